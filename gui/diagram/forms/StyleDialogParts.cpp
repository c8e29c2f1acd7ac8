#include "StyleDialogParts.h"

#include "DiagramStyles.h"
#include "Dialogs.h"
#include "QtCanvas.h"
#include "UHelp.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

TColourSwatch::TColourSwatch(const char* name, QSize size, QWidget* parent) : QLabel(parent) {
  setObjectName(QString::fromLatin1(name));
  setFixedSize(size);
  SetColour(clBlack);
}

void TColourSwatch::SetColour(TColor colour) {
  colour_ = colour;
  QPixmap pixmap(size());
  pixmap.fill(TQtCanvas::ToQColor(colour));
  setPixmap(pixmap);
}

TPreviewImage::TPreviewImage(QSize size, TPaint paint, QWidget* parent)
    : QLabel(parent), image_(size, QImage::Format_RGB32), paint_(std::move(paint)) {
  setObjectName(QStringLiteral("ImgPreview"));
  setFixedSize(size);
  image_.fill(Qt::white);
  setPixmap(QPixmap::fromImage(image_));
}

void TPreviewImage::Refresh() {
  {
    TQtCanvas canvas(image_);
    paint_(canvas, image_.width(), image_.height());
  }
  setPixmap(QPixmap::fromImage(image_));
}

TLineStyleRows AddLineStyleRows(QFormLayout& form, QWidget* parent, const TLineStyleNames& names) {
  TLineStyleRows rows;
  rows.Width = new QSpinBox(parent);
  rows.Width->setObjectName(QString::fromLatin1(names.Width));
  rows.Width->setRange(kMinLineWidth, kMaxLineWidth);
  form.addRow(QString::fromLatin1(names.WidthCaption), rows.Width);
  auto* colourRow = new QHBoxLayout;
  rows.Swatch = new TColourSwatch(names.Swatch, QSize(30, 20), parent);
  rows.Change = NamedButton(names.Change, QStringLiteral("&Change"), parent);
  colourRow->addWidget(rows.Swatch);
  colourRow->addWidget(rows.Change);
  form.addRow(QString::fromLatin1(names.ColourCaption), colourRow);
  rows.Style = new QComboBox(parent);
  rows.Style->setObjectName(QString::fromLatin1(names.Style));
  for (const char* item : kPenStyleItems) rows.Style->addItem(QString::fromLatin1(item));
  form.addRow(QString::fromLatin1(names.StyleCaption), rows.Style);
  return rows;
}

bool ChooseColour(TColor& colour) {
  const std::optional<unsigned> chosen = dialogs().chooseColor(static_cast<unsigned>(colour));
  if (!chosen) return false;
  colour = static_cast<TColor>(*chosen & 0x00FFFFFFu);
  return true;
}

std::pair<QPushButton*, QPushButton*> AddOkCancel(QDialog& dialog, QBoxLayout& layout) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  QPushButton* ok = NamedButton("OKBtn", QStringLiteral("OK"), &dialog);
  QPushButton* cancel = NamedButton("CancelBtn", QStringLiteral("Cancel"), &dialog);
  ok->setDefault(true);
  row->addWidget(ok);
  row->addWidget(cancel);
  layout.addLayout(row);
  return {ok, cancel};
}

QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

void FixAndCentre(QDialog& dialog) {
  dialog.setFixedSize(dialog.sizeHint().expandedTo(dialog.minimumSizeHint()));
  const QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame(QPoint(), dialog.size());
  frame.moveCenter(screen->availableGeometry().center());
  dialog.move(frame.topLeft());
}

int RowNumberOf(const QObject& control, TRowNumberRule rule) {
  const std::string name = control.objectName().toStdString();
  try {
    if (rule == TRowNumberRule::TrailingDigits) return TrailingNumber(name);
    const std::size_t underscore = name.rfind('_');
    std::size_t used = 0;
    const std::string rest = underscore == std::string::npos ? name : name.substr(underscore + 1);
    const int row = std::stoi(rest, &used);
    return used == rest.size() ? row : 1;
  } catch (const std::exception&) {
    return 1;
  }
}

namespace {
constexpr int kRowGap = 20;
}

TRowPlacer::TRowPlacer(QWidget& area)
    : area_(area), labelHeight_(QFontMetrics(area.font()).height()) {}

void TRowPlacer::StartRow(int row) {
  row_ = row;
  x_ = kRowGap;
  top_ = row * (labelHeight_ + kRowGap);
}

void TRowPlacer::Place(QWidget& control, int width) {
  control.setParent(&area_);
  control.setGeometry(x_, top_, width, control.sizeHint().height());
  control.show();
  x_ += width + kRowGap;
  right_ = std::max(right_, x_);
  bottom_ = std::max(bottom_, top_ + control.height() + kRowGap);
}

QLabel* TRowPlacer::Label(const QString& text) {
  auto* label = new QLabel(text, &area_);
  Place(*label, label->sizeHint().width());
  return label;
}

TColourSwatch* TRowPlacer::Swatch(TColor colour) {
  auto* swatch =
      new TColourSwatch("", QSize(labelHeight_ * 3 / 2, labelHeight_), &area_);
  swatch->SetColour(colour);
  Place(*swatch, swatch->width());
  return swatch;
}

QPushButton* TRowPlacer::Button(const char* prefix, int row, const QString& caption, int width) {
  QPushButton* button = NamedButton("", caption, &area_);
  button->setObjectName(QString::fromLatin1(prefix) + QString::number(row));
  button->setFixedHeight(labelHeight_ * 3 / 2);
  Place(*button, width);
  return button;
}

void TRowPlacer::Finish() { area_.resize(std::max(right_, area_.width()), bottom_); }
