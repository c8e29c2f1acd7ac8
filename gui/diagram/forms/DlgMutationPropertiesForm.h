#pragma once
// "Define text style": the font of a mutation label, and whether it goes to every label of the
// link and/or of all links.

#include "DlgTextStyleForm.h"

class TMutationPropertiesDlg final : public TTextStyleDlg {
  Q_OBJECT
public:
  explicit TMutationPropertiesDlg(TTextStyle& values, QWidget* parent = nullptr);

  void SetApplyToLink(bool value) { values_.SetApplyFirst(value); }
  bool ApplyToLink() const { return values_.ApplyFirst(); }
  void SetApplyToAllLinks(bool value) { values_.SetApplySecond(value); }
  bool ApplyToAllLinks() const { return values_.ApplySecond(); }

public slots:
  void CheckApplyToLinkClick();
  void CheckApplyToAllLinksClick();
};
