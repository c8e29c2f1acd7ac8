#pragma once
// The common form of the two text style dialogs (node labels and mutation labels): font size,
// colour and style with a preview of "example", and two "apply" boxes whose meaning the dialog
// gives. Filled through its accessors before it is shown, read back through them after it closed
// with OK (kModalOk). The values live in a TTextStyle the caller keeps, so a refused size leaves
// what the dialog held the last time.

#include "DiagramStyles.h"

#include <QDialog>

class QCheckBox;
class QSpinBox;
class TColourSwatch;
class TPreviewImage;

class TTextStyleDlg : public QDialog {
  Q_OBJECT
public:
  // Accepts 4..99; other values show "Value of font size is out of range." and are ignored.
  void SetTextSize(std::int32_t value) { values_.SetSize(value); }
  std::int32_t TextSize() const { return values_.Size(); }
  void SetTextColor(TColor value) { values_.SetColor(value); }
  TColor TextColor() const { return values_.Color(); }
  void SetTextStyle(std::uint8_t value) { values_.SetStyle(value); }
  std::uint8_t TextStyle() const { return values_.Style(); }
  const TTextStyle& Values() const { return values_; }

  const TPreviewImage* Preview() const { return ImgPreview_; }

public slots:
  void FormActivate();
  void FormPaint();
  void SpinTextSizeChange();
  void CheckBoldClick();
  void CheckItalicClick();
  void CheckUnderlineClick();
  void CheckStrikeoutClick();
  void BtnChangeTextColorClick();
  void OKBtnClick();
  void CancelBtnClick();

protected:
  // `first` and `second` name the two "apply" boxes: object name and caption.
  struct TApplyBox {
    const char* Name;
    const char* Caption;
  };
  TTextStyleDlg(TTextStyle& values, const char* objectName, const char* caption, TApplyBox first,
                TApplyBox second, QWidget* parent);
  void showEvent(QShowEvent* event) override;

  TTextStyle& values_;
  QCheckBox* ApplyFirst_ = nullptr;
  QCheckBox* ApplySecond_ = nullptr;

private:
  void StyleBitClick(QCheckBox* box, std::uint8_t bit);

  bool activating_ = false;
  QSpinBox* SpinTextSize_ = nullptr;
  TColourSwatch* ImgTextColor_ = nullptr;
  QCheckBox* CheckBold_ = nullptr;
  QCheckBox* CheckItalic_ = nullptr;
  QCheckBox* CheckUnderline_ = nullptr;
  QCheckBox* CheckStrikeout_ = nullptr;
  TPreviewImage* ImgPreview_ = nullptr;
};
