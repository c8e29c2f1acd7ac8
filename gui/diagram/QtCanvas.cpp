#include "QtCanvas.h"

#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kDotsPerMeter96Dpi = 3780;  // 96 / 0.0254

Qt::PenStyle QtPenStyle(std::uint8_t style) {
  switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

Qt::BrushStyle QtBrushStyle(std::uint8_t style) {
  switch (style) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

QRect Box(int x1, int y1, int x2, int y2) {
  return QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
               QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
}

}  // namespace

QColor TQtCanvas::ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

TColor TQtCanvas::FromQRgb(QRgb rgb) {
  return static_cast<TColor>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}

TQtCanvas::TQtCanvas(QImage& image) : image_(image) {
  image_.setDotsPerMeterX(kDotsPerMeter96Dpi);
  image_.setDotsPerMeterY(kDotsPerMeter96Dpi);
  painter_.begin(&image_);
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, false);
  SetPen(TPen{});
  SetBrush(TBrush{});
  SetFont(TFont{});
}

TQtCanvas::~TQtCanvas() { painter_.end(); }

void TQtCanvas::SetPen(const TPen& pen) {
  QPen q(ToQColor(pen.Color));
  q.setWidth(std::max(1, pen.Width));
  q.setStyle(QtPenStyle(pen.Style));
  painter_.setPen(q);
}

void TQtCanvas::SetBrush(const TBrush& brush) {
  painter_.setBrush(QBrush(ToQColor(brush.Color), QtBrushStyle(brush.Style)));
}

void TQtCanvas::SetFont(const TFont& font) {
  font_ = font;
  qfont_ = QFont(QString::fromStdString(font.Name));
  // Points at 96 dpi, in whole pixels so sizes repeat on every surface.
  qfont_.setPixelSize(std::max(1, static_cast<int>(std::lround(font.Size * 96.0 / 72.0))));
  qfont_.setBold(font.Style & fsBold);
  qfont_.setItalic(font.Style & fsItalic);
  qfont_.setUnderline(font.Style & fsUnderline);
  qfont_.setStrikeOut(font.Style & fsStrikeOut);
  qfont_.setStyleStrategy(QFont::NoAntialias);
  painter_.setFont(qfont_);
}

void TQtCanvas::Line(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

void TQtCanvas::Polyline(const std::vector<TCanvasPoint>& points) {
  QPolygon polygon;
  for (const TCanvasPoint& p : points) polygon << QPoint(p.X, p.Y);
  painter_.drawPolyline(polygon);
}

void TQtCanvas::Rectangle(int x1, int y1, int x2, int y2) { painter_.drawRect(Box(x1, y1, x2, y2)); }

void TQtCanvas::Ellipse(int x1, int y1, int x2, int y2) { painter_.drawEllipse(Box(x1, y1, x2, y2)); }

void TQtCanvas::Pie(int x1, int y1, int x2, int y2, double startAngle, double sweepAngle) {
  // Qt measures in sixteenths of a degree, counter-clockwise: the same sense as ours.
  const auto sixteenths = [](double radians) {
    return static_cast<int>(std::lround(radians * 180.0 / std::numbers::pi * 16.0));
  };
  painter_.drawPie(Box(x1, y1, x2, y2), sixteenths(startAngle), sixteenths(sweepAngle));
}

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
  const QPen pen = painter_.pen();
  painter_.setPen(ToQColor(font_.Color));
  const QFontMetrics metrics(qfont_, &image_);
  painter_.drawText(x, y + metrics.ascent(), QString::fromStdString(text));
  painter_.setPen(pen);
}

TTextSize TQtCanvas::TextExtent(const std::string& text) {
  const QFontMetrics metrics(qfont_, &image_);
  return {metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}

TColor TQtCanvas::Pixel(int x, int y) const {
  if (!image_.valid(x, y)) return clWhite;
  return FromQRgb(image_.pixel(x, y));
}

void TQtCanvas::SetPixel(int x, int y, TColor color) {
  const QPen pen = painter_.pen();
  painter_.setPen(QPen(ToQColor(color), 1));
  painter_.drawPoint(x, y);
  painter_.setPen(pen);
}

void TQtCanvas::Refresh() {
  if (OnRefresh) OnRefresh();
}
