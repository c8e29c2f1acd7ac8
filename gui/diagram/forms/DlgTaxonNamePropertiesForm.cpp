#include "DlgTaxonNamePropertiesForm.h"

#include <QCheckBox>

TTaxonNamePropertiesDlg::TTaxonNamePropertiesDlg(TTextStyle& values, QWidget* parent)
    : TTextStyleDlg(values, "TaxonNamePropertiesDlg", "Define taxon name properties",
                    {"CheckApplyToTaxa", "Apply to all taxa"},
                    {"CheckApplyToMedians", "Apply to all median vectors"}, parent) {
  connect(ApplyFirst_, &QCheckBox::toggled, this,
          &TTaxonNamePropertiesDlg::CheckApplyToTaxaClick);
  connect(ApplySecond_, &QCheckBox::toggled, this,
          &TTaxonNamePropertiesDlg::CheckApplyToMediansClick);
}

void TTaxonNamePropertiesDlg::CheckApplyToTaxaClick() {
  values_.SetApplyFirst(ApplyFirst_->isChecked());
}

void TTaxonNamePropertiesDlg::CheckApplyToMediansClick() {
  values_.SetApplySecond(ApplySecond_->isChecked());
}
