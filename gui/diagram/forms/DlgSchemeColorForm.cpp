#include "DlgSchemeColorForm.h"

#include "StyleDialogParts.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

TSchemeColorsDlg::TSchemeColorsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SchemeColorsDlg"));
  setWindowTitle(QStringLiteral("Color scheme definition"));
  auto* layout = new QVBoxLayout(this);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("SchemeScrollBox"));
  scroll->setMinimumSize(420, 260);
  rowArea_ = new QWidget(scroll);
  scroll->setWidget(rowArea_);
  layout->addWidget(scroll);
  auto [ok, cancel] = AddOkCancel(*this, *layout);
  connect(ok, &QPushButton::clicked, this, &TSchemeColorsDlg::OKBtnClick);
  connect(cancel, &QPushButton::clicked, this, &TSchemeColorsDlg::CancelBtnClick);
}

TSchemeColorsDlg::~TSchemeColorsDlg() = default;

void TSchemeColorsDlg::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
  FixAndCentre(*this);
}

void TSchemeColorsDlg::ClearRows() {
  for (TSchemeEntry& row : rows_) {
    delete row.SchemeLabel;
    delete row.ColourLabel;
    delete row.Swatch;
    delete row.ChangeButton;
  }
  rows_.clear();
}

void TSchemeColorsDlg::FormActivate() {
  ClearRows();
  values_.Activate();
  TRowPlacer place(*rowArea_);
  for (int n = 1; n <= values_.SchemeRowCount(); ++n) {
    TSchemeEntry row;
    place.StartRow(n);
    row.SchemeLabel = place.Label(
        QStringLiteral("Scheme: ") + QString::fromStdString(values_.EditedSchemeLabels()[n - 1]));
    row.ColourLabel = place.Label(QStringLiteral("Colour"));
    row.Swatch = place.Swatch(values_.EditedSchemeColours()[n - 1]);
    row.ChangeButton = place.Button("ChangeColourBtn_", n, QStringLiteral("Change"),
                                    5 * place.LabelHeight());
    QPushButton* button = row.ChangeButton;
    connect(button, &QPushButton::clicked, this, [this, button] { BtnChangeColorClick(button); });
    rows_.push_back(row);
  }
  place.Finish();
}

void TSchemeColorsDlg::BtnChangeColorClick(QObject* button) {
  const int row = RowNumberOf(*button, TRowNumberRule::AfterLastUnderscore);
  if (row < 1 || row > static_cast<int>(rows_.size())) return;
  TColor colour = values_.EditedSchemeColours()[row - 1];
  if (!ChooseColour(colour)) return;
  values_.SetRowColour(row, colour);
  rows_[row - 1].Swatch->SetColour(colour);
  update();
}

void TSchemeColorsDlg::OKBtnClick() {
  values_.Accept();
  done(kModalOk);
}

void TSchemeColorsDlg::CancelBtnClick() { done(kModalCancel); }
