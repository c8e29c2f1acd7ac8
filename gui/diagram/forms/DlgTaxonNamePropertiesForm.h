#pragma once
// "Define taxon name properties": the font of a node label, and whether it goes to all taxa
// and/or all median vectors.

#include "DlgTextStyleForm.h"

class TTaxonNamePropertiesDlg final : public TTextStyleDlg {
  Q_OBJECT
public:
  explicit TTaxonNamePropertiesDlg(TTextStyle& values, QWidget* parent = nullptr);

  void SetApplyToTaxa(bool value) { values_.SetApplyFirst(value); }
  bool ApplyToTaxa() const { return values_.ApplyFirst(); }
  void SetApplyToMedians(bool value) { values_.SetApplySecond(value); }
  bool ApplyToMedians() const { return values_.ApplySecond(); }

public slots:
  void CheckApplyToTaxaClick();
  void CheckApplyToMediansClick();
};
