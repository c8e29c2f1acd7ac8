#include "PdfCanvas.h"

#include "PdfBox.h"
#include "PdfFormat.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace {

// Font sizes beyond this many points are measured at it; keeps pixel sizes in range.
constexpr double MaxMeasuredSize = 10000.0;

QFont measuringFont(const TPdfTextFont& font, double factor, bool withStyle) {
  QFont qfont(QString::fromStdString(font.Name));
  const double points = std::min(std::abs(font.Size) * factor, MaxMeasuredSize);
  qfont.setPixelSize(std::max(1, static_cast<int>(PdfRound(points * PdfPixelsPerInch / 72.0))));
  if (withStyle) {
    qfont.setBold(font.Style & pdfBold);
    qfont.setItalic(font.Style & pdfItalic);
    qfont.setUnderline(font.Style & pdfUnderline);
    qfont.setStrikeOut(font.Style & pdfStrikeOut);
  }
  return qfont;
}

std::string colorText(TPdfColor color) {
  return PdfNumber((color & 0xFF) / 255.0) + " " + PdfNumber(((color >> 8) & 0xFF) / 255.0) + " " +
         PdfNumber(((color >> 16) & 0xFF) / 255.0) + " ";
}

int toInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

bool TPdfCanvas::checkOpen() {
  if (box_.aborted_) return false;
  if (!box_.open_) return box_.fail("", "Document not opened");
  return true;
}

bool TPdfCanvas::canMeasure() {
  // Fonts exist only in a GUI application.
  if (qGuiApp != nullptr) return true;
  return box_.fail("", "Internal error");
}

bool TPdfCanvas::DrawGraphic(const TPdfRect& rect, const QImage& graphic) {
  if (!checkOpen()) return false;
  if (graphic.isNull()) return box_.fail("", "Invalid method call");
  // 64-bit arithmetic: differences of extreme rectangles do not fit an int.
  long long left = rect.Left;
  long long top = rect.Top;
  long long right = rect.Right;
  long long bottom = rect.Bottom;
  const long long rectWidth = right - left;
  const long long rectHeight = bottom - top;
  if (rectWidth == 0 || rectHeight == 0) return true;

  if (box_.SmartStretchDraw) {
    const double sx = static_cast<double>(rectWidth) / graphic.width();
    const double sy = static_cast<double>(rectHeight) / graphic.height();
    if (sy >= sx) {
      const long long h = PdfRound(graphic.height() * sx);
      top += PdfRound(static_cast<double>(rectHeight - h) / 2.0);
      bottom = top + h;
    } else {
      const long long w = PdfRound(graphic.width() * sy);
      left += PdfRound(static_cast<double>(rectWidth - w) / 2.0);
      right = left + w;
    }
  }

  auto image = std::make_unique<TPdfImage>();
  std::string error;
  if (!image->Encode(graphic, box_.compressMode_, box_.jpegQuality_, &error))
    return box_.fail("", error);

  const double tp = box_.toPoints();
  content_.push_back("q");
  content_.push_back(PdfNumber((static_cast<double>(right - left) - 1.0) * tp) + " 0 0 " +
                     PdfNumber((static_cast<double>(bottom - top) - 1.0) * tp) + " " +
                     PdfNumber(static_cast<double>(left) * tp) + " " +
                     PdfNumber((static_cast<double>(box_.pageHeight_) - bottom) * tp) + " cm");
  content_.push_back("/Im" + std::to_string(box_.images_.size()) + " Do");
  content_.push_back("Q");
  box_.images_.push_back(std::move(image));
  return true;
}

bool TPdfCanvas::TextOut(double x, double y, const std::string& text) {
  if (!checkOpen()) return false;
  TPdfFont* font = box_.fontFor(Font);
  if (font == nullptr) return false;

  const std::string bytes = PdfSingleByte(text);
  const double tp = box_.toPoints();
  const double s = std::abs(Font.Size);
  const double px = x * tp;
  const double py = (box_.pageHeight_ - y) * tp - s * font->AscentFactor();
  const double angle = TextAngle * std::numbers::pi / 180.0;
  const double c = std::cos(angle);
  const double sn = std::sin(angle);

  content_.push_back("BT");
  content_.push_back(font->ResourceName() + " " + PdfNumber(s) + " Tf");
  content_.push_back(colorText(Font.Color) + "rg");
  if (TextAngle != 0)
    content_.push_back(PdfNumber(c) + " " + PdfNumber(sn) + " " + PdfNumber(-sn) + " " +
                       PdfNumber(c) + " " + PdfNumber(px) + " " + PdfNumber(py) + " Tm");
  else
    content_.push_back(PdfNumber(px) + " " + PdfNumber(py) + " Td");
  content_.push_back("(" + PdfEscapeString(bytes) + ") Tj");
  content_.push_back("ET");

  if (Font.Style & pdfUnderline) {
    const double offset = s * font->UnderlinePosition();
    const double width = font->TextWidth(bytes) * s / 1000.0;
    const double x1 = px - sn * offset;
    const double y1 = py + c * offset;
    const double x2 = x1 + c * width;
    const double y2 = y1 + sn * width;
    content_.push_back(colorText(PenColor) + "RG");
    content_.push_back("[]0 d");
    content_.push_back(PdfNumber(s * font->UnderlineThickness()) + " w");
    content_.push_back(PdfNumber(x1) + " " + PdfNumber(y1) + " m " + PdfNumber(x2) + " " +
                       PdfNumber(y2) + " l S");
  }
  return true;
}

int TPdfCanvas::TextWidth(const std::string& text) {
  if (box_.aborted_) return 1;
  if (!checkOpen() || !canMeasure()) return 0;
  // Measured at ten times the size, without style, for finer steps.
  const QFontMetricsF metrics(measuringFont(Font, 10.0, false));
  const double width = metrics.horizontalAdvance(QString::fromStdString(text));
  return toInt(PdfRound(width * box_.pixelsToUnit() / 10.0));
}

int TPdfCanvas::TextHeight(const std::string&) {
  if (box_.aborted_) return 1;
  if (!checkOpen() || !canMeasure()) return 0;
  const QFontMetricsF metrics(measuringFont(Font, 1.0, true));
  return toInt(PdfRound(metrics.height() * box_.pixelsToUnit()));
}
