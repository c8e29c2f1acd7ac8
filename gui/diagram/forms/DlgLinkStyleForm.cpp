#include "DlgLinkStyleForm.h"

#include "StyleDialogParts.h"
#include "UHelp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TLinkStyleDlg::TLinkStyleDlg(TLinkStyle& values, QWidget* parent)
    : QDialog(parent), values_(values) {
  setObjectName(QStringLiteral("LinkStyleDlg"));
  setWindowTitle(QStringLiteral("Define link style"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);

  const TLineStyleRows rows =
      AddLineStyleRows(*form, this,
                       {"SpinLinkWidth", "Link width", "ImgLinkColor", "Link color",
                        "BtnChangeLinkColor", "ComboLinkStyle", "Link style"});
  SpinLinkWidth_ = rows.Width;
  ImgLinkColor_ = rows.Swatch;
  ComboLinkStyle_ = rows.Style;

  CheckApplyAllLinks_ = new QCheckBox(QStringLiteral("Apply to all links outside torso"), this);
  CheckApplyAllLinks_->setObjectName(QStringLiteral("CheckApplyAllLinks"));
  CheckApplyAllTorsoLinks_ = new QCheckBox(QStringLiteral("Apply to all links within torso"), this);
  CheckApplyAllTorsoLinks_->setObjectName(QStringLiteral("CheckApplyAllTorsoLinks"));
  layout->addWidget(CheckApplyAllLinks_);
  layout->addWidget(CheckApplyAllTorsoLinks_);

  auto* previewGroup = new QGroupBox(QStringLiteral("Preview"), this);
  auto* previewLayout = new QVBoxLayout(previewGroup);
  ImgPreview_ = new TPreviewImage(
      QSize(200, 60),
      [this](TCanvas& canvas, int w, int h) { DrawLinkPreview(canvas, w, h, values_); },
      previewGroup);
  previewLayout->addWidget(ImgPreview_);
  layout->addWidget(previewGroup);

  auto [ok, cancel] = AddOkCancel(*this, *layout);
  connect(SpinLinkWidth_, &QSpinBox::valueChanged, this, &TLinkStyleDlg::SpinLinkWidthChange);
  connect(ComboLinkStyle_, &QComboBox::currentIndexChanged, this,
          &TLinkStyleDlg::ComboLinkStyleChange);
  connect(CheckApplyAllLinks_, &QCheckBox::toggled, this, &TLinkStyleDlg::CheckApplyAllLinksClick);
  connect(CheckApplyAllTorsoLinks_, &QCheckBox::toggled, this,
          &TLinkStyleDlg::CheckApplyAllTorsoLinksClick);
  connect(rows.Change, &QPushButton::clicked, this, &TLinkStyleDlg::BtnChangeLinkColorClick);
  connect(ok, &QPushButton::clicked, this, &TLinkStyleDlg::OKBtnClick);
  connect(cancel, &QPushButton::clicked, this, &TLinkStyleDlg::CancelBtnClick);
}

void TLinkStyleDlg::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
  FixAndCentre(*this);
}

void TLinkStyleDlg::FormActivate() {
  activating_ = true;
  SpinLinkWidth_->setValue(values_.Width());
  CheckApplyAllLinks_->setChecked(values_.ApplyOutsideTorso());
  CheckApplyAllTorsoLinks_->setChecked(values_.ApplyWithinTorso());
  ImgLinkColor_->SetColour(values_.Color());
  ComboLinkStyle_->setCurrentIndex(PenStyleItem(values_.Style()));
  activating_ = false;
  FormPaint();
}

void TLinkStyleDlg::FormPaint() { ImgPreview_->Refresh(); }

void TLinkStyleDlg::SpinLinkWidthChange() {
  if (activating_) return;
  values_.StoreWidth(SpinLinkWidth_->value());
  FormPaint();
}

void TLinkStyleDlg::ComboLinkStyleChange() {
  if (activating_) return;
  values_.SetStyle(static_cast<std::uint8_t>(
      PenStyleFromName(ComboLinkStyle_->currentText().toStdString(), values_.Style())));
  FormPaint();
}

void TLinkStyleDlg::CheckApplyAllLinksClick() {
  values_.SetApplyOutsideTorso(CheckApplyAllLinks_->isChecked());
}

void TLinkStyleDlg::CheckApplyAllTorsoLinksClick() {
  values_.SetApplyWithinTorso(CheckApplyAllTorsoLinks_->isChecked());
}

void TLinkStyleDlg::BtnChangeLinkColorClick() {
  TColor colour = values_.Color();
  if (!ChooseColour(colour)) return;
  values_.SetColor(colour);
  ImgLinkColor_->SetColour(colour);
  FormPaint();
}

void TLinkStyleDlg::OKBtnClick() { done(kModalOk); }
void TLinkStyleDlg::CancelBtnClick() { done(kModalCancel); }
