#pragma once
// "Define link style": width, colour and pen style of a link, and whether they go to all links
// outside and/or within the torso. Filled through its accessors before it is shown, read back
// through them after it closed with OK (kModalOk). The values live in a TLinkStyle the caller
// keeps, so a refused value leaves what the dialog held the last time.

#include "DiagramStyles.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;
class TColourSwatch;
class TPreviewImage;

class TLinkStyleDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TLinkStyleDlg(TLinkStyle& values, QWidget* parent = nullptr);

  // Accepts 1..4 only.
  void SetLinkWidth(std::int32_t value) { values_.SetWidth(value); }
  std::int32_t LinkWidth() const { return values_.Width(); }
  void SetLinkColor(TColor value) { values_.SetColor(value); }
  TColor LinkColor() const { return values_.Color(); }
  void SetLinkStyle(std::uint8_t value) { values_.SetStyle(value); }
  std::uint8_t LinkStyle() const { return values_.Style(); }
  void SetApplyAllLinks(bool value) { values_.SetApplyOutsideTorso(value); }
  bool ApplyAllLinks() const { return values_.ApplyOutsideTorso(); }
  void SetApplyAllTorsoLinks(bool value) { values_.SetApplyWithinTorso(value); }
  bool ApplyAllTorsoLinks() const { return values_.ApplyWithinTorso(); }
  const TLinkStyle& Values() const { return values_; }

  const TPreviewImage* Preview() const { return ImgPreview_; }

public slots:
  void FormActivate();
  void FormPaint();
  void SpinLinkWidthChange();
  void ComboLinkStyleChange();
  void CheckApplyAllLinksClick();
  void CheckApplyAllTorsoLinksClick();
  void BtnChangeLinkColorClick();
  void OKBtnClick();
  void CancelBtnClick();

protected:
  void showEvent(QShowEvent* event) override;

private:
  TLinkStyle& values_;
  bool activating_ = false;
  QSpinBox* SpinLinkWidth_ = nullptr;
  TColourSwatch* ImgLinkColor_ = nullptr;
  QComboBox* ComboLinkStyle_ = nullptr;
  QCheckBox* CheckApplyAllLinks_ = nullptr;
  QCheckBox* CheckApplyAllTorsoLinks_ = nullptr;
  TPreviewImage* ImgPreview_ = nullptr;
};
