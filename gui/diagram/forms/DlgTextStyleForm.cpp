#include "DlgTextStyleForm.h"

#include "StyleDialogParts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QCheckBox* NamedCheck(const char* name, const char* caption, QWidget* parent) {
  auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

}  // namespace

TTextStyleDlg::TTextStyleDlg(TTextStyle& values, const char* objectName, const char* caption,
                             TApplyBox first, TApplyBox second, QWidget* parent)
    : QDialog(parent), values_(values) {
  setObjectName(QString::fromLatin1(objectName));
  setWindowTitle(QString::fromLatin1(caption));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);

  SpinTextSize_ = new QSpinBox(this);
  SpinTextSize_->setObjectName(QStringLiteral("SpinTextSize"));
  SpinTextSize_->setRange(kMinTextSize, kMaxTextSize);
  // Changed with the arrows only.
  if (auto* edit = SpinTextSize_->findChild<QLineEdit*>()) edit->setReadOnly(true);
  SpinTextSize_->setValue(6);
  form->addRow(QStringLiteral("Font size"), SpinTextSize_);

  auto* colourRow = new QHBoxLayout;
  ImgTextColor_ = new TColourSwatch("ImgTextColor", QSize(30, 20), this);
  QPushButton* change = NamedButton("BtnChangeTextColor", QStringLiteral("&Change"), this);
  colourRow->addWidget(ImgTextColor_);
  colourRow->addWidget(change);
  form->addRow(QStringLiteral("Font colour"), colourRow);

  auto* styleGroup = new QGroupBox(QStringLiteral("Font style"), this);
  auto* styleLayout = new QVBoxLayout(styleGroup);
  CheckBold_ = NamedCheck("CheckBold", "bold", styleGroup);
  CheckItalic_ = NamedCheck("CheckItalic", "italic", styleGroup);
  CheckUnderline_ = NamedCheck("CheckUnderline", "underline", styleGroup);
  CheckStrikeout_ = NamedCheck("CheckStrikeout", "strikeout", styleGroup);
  for (QCheckBox* box : {CheckBold_, CheckItalic_, CheckUnderline_, CheckStrikeout_})
    styleLayout->addWidget(box);
  layout->addWidget(styleGroup);

  ApplyFirst_ = NamedCheck(first.Name, first.Caption, this);
  ApplySecond_ = NamedCheck(second.Name, second.Caption, this);
  layout->addWidget(ApplyFirst_);
  layout->addWidget(ApplySecond_);

  auto* previewGroup = new QGroupBox(QStringLiteral("Preview"), this);
  auto* previewLayout = new QVBoxLayout(previewGroup);
  ImgPreview_ = new TPreviewImage(
      QSize(200, 80),
      [this](TCanvas& canvas, int w, int h) { DrawTextPreview(canvas, w, h, values_); },
      previewGroup);
  previewLayout->addWidget(ImgPreview_);
  layout->addWidget(previewGroup);

  auto [ok, cancel] = AddOkCancel(*this, *layout);
  connect(SpinTextSize_, &QSpinBox::valueChanged, this, &TTextStyleDlg::SpinTextSizeChange);
  connect(CheckBold_, &QCheckBox::toggled, this, &TTextStyleDlg::CheckBoldClick);
  connect(CheckItalic_, &QCheckBox::toggled, this, &TTextStyleDlg::CheckItalicClick);
  connect(CheckUnderline_, &QCheckBox::toggled, this, &TTextStyleDlg::CheckUnderlineClick);
  connect(CheckStrikeout_, &QCheckBox::toggled, this, &TTextStyleDlg::CheckStrikeoutClick);
  connect(change, &QPushButton::clicked, this, &TTextStyleDlg::BtnChangeTextColorClick);
  connect(ok, &QPushButton::clicked, this, &TTextStyleDlg::OKBtnClick);
  connect(cancel, &QPushButton::clicked, this, &TTextStyleDlg::CancelBtnClick);
}

void TTextStyleDlg::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
  FixAndCentre(*this);
}

void TTextStyleDlg::FormActivate() {
  activating_ = true;
  SpinTextSize_->setValue(values_.Size());
  ApplyFirst_->setChecked(values_.ApplyFirst());
  ApplySecond_->setChecked(values_.ApplySecond());
  ImgTextColor_->SetColour(values_.Color());
  const std::uint8_t style = values_.Style();
  CheckBold_->setChecked(style & fsBold);
  CheckItalic_->setChecked(style & fsItalic);
  CheckUnderline_->setChecked(style & fsUnderline);
  CheckStrikeout_->setChecked(style & fsStrikeOut);
  activating_ = false;
  FormPaint();
}

void TTextStyleDlg::FormPaint() { ImgPreview_->Refresh(); }

void TTextStyleDlg::SpinTextSizeChange() {
  if (activating_) return;
  values_.StoreSize(SpinTextSize_->value());
  FormPaint();
}

void TTextStyleDlg::StyleBitClick(QCheckBox* box, std::uint8_t bit) {
  if (activating_) return;
  values_.SetStyleBit(bit, box->isChecked());
  FormPaint();
}

void TTextStyleDlg::CheckBoldClick() { StyleBitClick(CheckBold_, fsBold); }
void TTextStyleDlg::CheckItalicClick() { StyleBitClick(CheckItalic_, fsItalic); }
void TTextStyleDlg::CheckUnderlineClick() { StyleBitClick(CheckUnderline_, fsUnderline); }
void TTextStyleDlg::CheckStrikeoutClick() { StyleBitClick(CheckStrikeout_, fsStrikeOut); }

void TTextStyleDlg::BtnChangeTextColorClick() {
  TColor colour = values_.Color();
  if (!ChooseColour(colour)) return;
  values_.SetColor(colour);
  ImgTextColor_->SetColour(colour);
  FormPaint();
}

void TTextStyleDlg::OKBtnClick() { done(kModalOk); }
void TTextStyleDlg::CancelBtnClick() { done(kModalCancel); }
