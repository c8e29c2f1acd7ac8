#include "DlgTaxonStyle_newForm.h"

#include "StyleDialogParts.h"
#include "UHelp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kMaxFrequency = 9999;  // at most four characters

}  // namespace

std::vector<QWidget*> TPieEntry::Controls() const {
  return {IndividualsLabel, FrequencySpin, PatternLabel, PatternCombo,
          ColourLabel,      Swatch,        ChangeColourBtn, RemovePieBtn};
}

TTaxonStyleDlg_new::TTaxonStyleDlg_new(TTaxonStyle& values, QWidget* parent)
    : QDialog(parent), values_(values) {
  setObjectName(QStringLiteral("TaxonStyleDlg_new"));
  setWindowTitle(QStringLiteral("Pie chart definition"));
  auto* layout = new QVBoxLayout(this);

  auto* outline = new QGroupBox(QStringLiteral("Outline"), this);
  auto* form = new QFormLayout(outline);
  const TLineStyleRows rows =
      AddLineStyleRows(*form, outline,
                       {"SpinLineWidth", "Line width", "ImgLineColor", "Line colour",
                        "BtnChangeLineColor", "ComboLineStyle", "Line style"});
  SpinLineWidth_ = rows.Width;
  ImgLineColor_ = rows.Swatch;
  ComboLineStyle_ = rows.Style;
  layout->addWidget(outline);

  PieScrollBox_ = new QScrollArea(this);
  PieScrollBox_->setObjectName(QStringLiteral("PieScrollBox"));
  PieScrollBox_->setMinimumSize(640, 200);
  rowArea_ = new QWidget(PieScrollBox_);
  PieScrollBox_->setWidget(rowArea_);
  layout->addWidget(PieScrollBox_);
  QPushButton* add = NamedButton("AddPieBtn", QStringLiteral("Add Slice"), this);
  layout->addWidget(add, 0, Qt::AlignLeft);

  CheckApplyAllTaxa_ = new QCheckBox(QStringLiteral("Apply to all taxa"), this);
  CheckApplyAllTaxa_->setObjectName(QStringLiteral("CheckApplyAllTaxa"));
  CheckApplyAllMedians_ = new QCheckBox(QStringLiteral("Apply to all median vectors"), this);
  CheckApplyAllMedians_->setObjectName(QStringLiteral("CheckApplyAllMedians"));
  layout->addWidget(CheckApplyAllTaxa_);
  layout->addWidget(CheckApplyAllMedians_);

  auto* previewGroup = new QGroupBox(QStringLiteral("Preview"), this);
  auto* previewLayout = new QVBoxLayout(previewGroup);
  ImgPreview_ = new TPreviewImage(
      QSize(160, 160),
      [this](TCanvas& canvas, int w, int h) { DrawPiePreview(canvas, w, h, values_); },
      previewGroup);
  previewLayout->addWidget(ImgPreview_, 0, Qt::AlignHCenter);
  layout->addWidget(previewGroup);

  auto [ok, cancel] = AddOkCancel(*this, *layout);
  connect(SpinLineWidth_, &QSpinBox::valueChanged, this, &TTaxonStyleDlg_new::SpinLineWidthChange);
  connect(ComboLineStyle_, &QComboBox::currentIndexChanged, this,
          &TTaxonStyleDlg_new::ComboLineStyleChange);
  connect(rows.Change, &QPushButton::clicked, this, &TTaxonStyleDlg_new::BtnChangeLineColorClick);
  connect(CheckApplyAllTaxa_, &QCheckBox::toggled, this,
          &TTaxonStyleDlg_new::CheckApplyAllTaxaClick);
  connect(CheckApplyAllMedians_, &QCheckBox::toggled, this,
          &TTaxonStyleDlg_new::CheckApplyAllMediansClick);
  connect(add, &QPushButton::clicked, this, &TTaxonStyleDlg_new::AddPieBtnClick);
  connect(ok, &QPushButton::clicked, this, &TTaxonStyleDlg_new::OKBtnClick);
  connect(cancel, &QPushButton::clicked, this, &TTaxonStyleDlg_new::CancelBtnClick);
}

TTaxonStyleDlg_new::~TTaxonStyleDlg_new() = default;

void TTaxonStyleDlg_new::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
  FixAndCentre(*this);
}

void TTaxonStyleDlg_new::ClearRows() {
  for (const TPieEntry& row : PieRows_)
    for (QWidget* control : row.Controls()) delete control;
  PieRows_.clear();
}

void TTaxonStyleDlg_new::FormActivate() {
  activating_ = true;
  values_.Activate();
  ClearRows();
  SpinLineWidth_->setValue(values_.OutlineWidth());
  CheckApplyAllTaxa_->setChecked(values_.ApplyAllTaxa());
  CheckApplyAllMedians_->setChecked(values_.ApplyAllMedians());
  ImgLineColor_->SetColour(values_.OutlineColor());
  for (int n = 1; n <= values_.SliceCount(); ++n) BuildRow(n);
  ComboLineStyle_->setCurrentIndex(PenStyleItem(values_.OutlineStyle()));
  activating_ = false;
  FormPaint();
}

void TTaxonStyleDlg_new::BuildRow(int n) {
  TRowPlacer place(*rowArea_);
  place.StartRow(n);
  TPieEntry row;
  row.IndividualsLabel = place.Label(QStringLiteral("Individuals"));
  const int controlWidth = row.IndividualsLabel->width() * 3 / 2;
  row.FrequencySpin = new QSpinBox(rowArea_);
  row.FrequencySpin->setObjectName(QStringLiteral("FrequencySpin_%1").arg(n));
  row.FrequencySpin->setRange(0, kMaxFrequency);
  row.FrequencySpin->setSingleStep(1);
  place.Place(*row.FrequencySpin, controlWidth);
  row.PatternLabel = place.Label(QStringLiteral("Pattern"));
  row.PatternCombo = new QComboBox(rowArea_);
  row.PatternCombo->setObjectName(QStringLiteral("PatternCombo_%1").arg(n));
  for (const TPatternItem& item : kPiePatternItems)
    row.PatternCombo->addItem(QString::fromLatin1(item.Name));
  place.Place(*row.PatternCombo, std::max(controlWidth, row.PatternCombo->sizeHint().width()));
  row.ColourLabel = place.Label(QStringLiteral("Colour"));
  row.Swatch = place.Swatch(clBlack);
  row.ChangeColourBtn = place.Button("ChangeColourBtn_", n, QStringLiteral("Change"),
                                     5 * place.LabelHeight());
  row.RemovePieBtn = place.Button("RemovePieBtn_", n, QStringLiteral("Remove"),
                                  5 * place.LabelHeight());
  place.Finish();

  QSpinBox* spin = row.FrequencySpin;
  QComboBox* combo = row.PatternCombo;
  QPushButton* change = row.ChangeColourBtn;
  QPushButton* remove = row.RemovePieBtn;
  connect(spin, &QSpinBox::valueChanged, this, [this, spin] { FrequencySpinChange(spin); });
  connect(combo, &QComboBox::currentIndexChanged, this,
          [this, combo] { ComboPiePatternChange(combo); });
  connect(change, &QPushButton::clicked, this, [this, change] { BtnChangeColorClick(change); });
  connect(remove, &QPushButton::clicked, this, [this, remove] { BtnRemovePieClick(remove); });
  PieRows_.push_back(row);
  ShowRowValues(n);
}

void TTaxonStyleDlg_new::ShowRowValues(int n) {
  if (n < 1 || n > static_cast<int>(PieRows_.size()) || n > values_.SliceCount()) return;
  const bool wasActivating = activating_;
  activating_ = true;
  const TPieEntry& row = PieRows_[n - 1];
  row.FrequencySpin->setValue(values_.PieFrequencies()[n - 1]);
  row.PatternCombo->setCurrentIndex(PiePatternItem(values_.PiePatterns()[n - 1]));
  row.Swatch->SetColour(values_.PieColours()[n - 1]);
  activating_ = wasActivating;
}

void TTaxonStyleDlg_new::FormPaint() { ImgPreview_->Refresh(); }

void TTaxonStyleDlg_new::SpinLineWidthChange() {
  if (activating_) return;
  values_.StoreOutlineWidth(SpinLineWidth_->value());
  FormPaint();
}

void TTaxonStyleDlg_new::ComboLineStyleChange() {
  if (activating_) return;
  values_.SetOutlineStyle(static_cast<std::uint8_t>(
      PenStyleFromName(ComboLineStyle_->currentText().toStdString(), values_.OutlineStyle())));
  FormPaint();
}

void TTaxonStyleDlg_new::BtnChangeLineColorClick() {
  TColor colour = values_.OutlineColor();
  if (!ChooseColour(colour)) return;
  values_.SetOutlineColor(colour);
  ImgLineColor_->SetColour(colour);
  FormPaint();
}

void TTaxonStyleDlg_new::CheckApplyAllTaxaClick() {
  values_.SetApplyAllTaxa(CheckApplyAllTaxa_->isChecked());
}

void TTaxonStyleDlg_new::CheckApplyAllMediansClick() {
  values_.SetApplyAllMedians(CheckApplyAllMedians_->isChecked());
}

void TTaxonStyleDlg_new::FrequencySpinChange(QObject* control) {
  if (activating_) return;
  auto* spin = static_cast<QSpinBox*>(control);
  if (spin->value() < 0) spin->setValue(0);
  values_.SetSliceFrequency(RowNumberOf(*spin, TRowNumberRule::TrailingDigits), spin->value());
  FormPaint();
}

void TTaxonStyleDlg_new::ComboPiePatternChange(QObject* control) {
  if (activating_) return;
  auto* combo = static_cast<QComboBox*>(control);
  const int row = RowNumberOf(*combo, TRowNumberRule::TrailingDigits);
  if (row < 1 || row > values_.SliceCount()) return;
  values_.SetSlicePattern(row, static_cast<std::uint8_t>(BrushStyleFromName(
                                   combo->currentText().toStdString(),
                                   values_.PiePatterns()[row - 1])));
  FormPaint();
}

void TTaxonStyleDlg_new::BtnChangeColorClick(QObject* button) {
  const int row = RowNumberOf(*button, TRowNumberRule::AfterLastUnderscore);
  if (row < 1 || row > values_.SliceCount()) return;
  TColor colour = values_.PieColours()[row - 1];
  if (!ChooseColour(colour)) return;
  values_.SetSliceColour(row, colour);
  PieRows_[row - 1].Swatch->SetColour(colour);
  FormPaint();
}

void TTaxonStyleDlg_new::AddPieBtnClick() {
  values_.AddSlice();
  const int n = values_.SliceCount();
  if (n > static_cast<int>(PieRows_.size())) {
    PieScrollBox_->horizontalScrollBar()->setValue(0);
    PieScrollBox_->verticalScrollBar()->setValue(0);
    BuildRow(n);
  } else {
    // A row hidden by a removal shows again with the values its slice still holds.
    ShowRowValues(n);
  }
  for (QWidget* control : PieRows_[n - 1].Controls()) control->show();
  PieScrollBox_->ensureWidgetVisible(PieRows_[n - 1].RemovePieBtn);
  FormPaint();
}

void TTaxonStyleDlg_new::BtnRemovePieClick(QObject* button) {
  const int row = RowNumberOf(*button, TRowNumberRule::TrailingDigits);
  if (!values_.RemoveSlice(row)) return;
  const int n = values_.SliceCount();
  for (int k = row; k <= n; ++k) ShowRowValues(k);
  for (QWidget* control : PieRows_[n].Controls()) control->hide();
  FormPaint();
}

void TTaxonStyleDlg_new::OKBtnClick() {
  values_.Accept();
  done(kModalOk);
}

void TTaxonStyleDlg_new::CancelBtnClick() { done(kModalCancel); }
