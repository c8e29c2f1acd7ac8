#include "DlgMutationPropertiesForm.h"

#include <QCheckBox>

TMutationPropertiesDlg::TMutationPropertiesDlg(TTextStyle& values, QWidget* parent)
    : TTextStyleDlg(values, "MutationPropertiesDlg", "Define text style",
                    {"CheckApplyToLink", "Apply to complete link"},
                    {"CheckApplyToAllLinks", "Apply to all links"}, parent) {
  connect(ApplyFirst_, &QCheckBox::toggled, this, &TMutationPropertiesDlg::CheckApplyToLinkClick);
  connect(ApplySecond_, &QCheckBox::toggled, this,
          &TMutationPropertiesDlg::CheckApplyToAllLinksClick);
}

void TMutationPropertiesDlg::CheckApplyToLinkClick() {
  values_.SetApplyFirst(ApplyFirst_->isChecked());
}

void TMutationPropertiesDlg::CheckApplyToAllLinksClick() {
  values_.SetApplySecond(ApplySecond_->isChecked());
}
