#include "Printing.h"

#include "Dialogs.h"

#include <QPainter>
#include <QPrinter>

bool PrintStretched(QPrinter& printer, const QImage& picture, const std::string& failure) {
  printer.setPageOrientation(QPageLayout::Landscape);
  QPainter painter;
  if (!painter.begin(&printer)) {
    dialogs().showMessage(failure, DialogKind::Error);
    return false;
  }
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  painter.drawImage(QRect(QPoint(50, 50), QPoint(page.width() - 50, page.height() - 50)),
                    picture);
  return painter.end();
}

TWindowPrinter::TWindowPrinter() = default;
TWindowPrinter::~TWindowPrinter() = default;

QPrinter& TWindowPrinter::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

bool TWindowPrinter::Print(const std::function<QImage()>& picture, const std::string& failure) {
  return dialogs().choosePrinter(printer()) && PrintStretched(printer(), picture(), failure);
}

void TWindowPrinter::Setup() {
  if (dialogs().choosePrinter(printer())) dialogs().showMessage("The printer setup has been changed.");
}
