#include "StyleDialogParts.h"

#include "Dialogs.h"
#include "QtCanvas.h"

#include <QBoxLayout>
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
