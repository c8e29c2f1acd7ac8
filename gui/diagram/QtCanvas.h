#pragma once
// The canvas on a QImage: the screen surface, bitmap export and printing all paint this image.
// Works at a fixed 96 pixels per inch without antialiasing, so text metrics and pixels repeat.

#include "Canvas.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <functional>

class TQtCanvas final : public TCanvas {
public:
  // Paints on `image` (which must outlive the canvas); the image is set to 96 dpi.
  explicit TQtCanvas(QImage& image);
  ~TQtCanvas() override;

  // Called by Refresh(), e.g. to update a window and process pending messages.
  std::function<void()> OnRefresh;

  void SetPen(const TPen& pen) override;
  void SetBrush(const TBrush& brush) override;
  void SetFont(const TFont& font) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Polyline(const std::vector<TCanvasPoint>& points) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  void Pie(int x1, int y1, int x2, int y2, double startAngle, double sweepAngle) override;
  void TextOut(int x, int y, const std::string& text) override;
  TTextSize TextExtent(const std::string& text) override;
  TColor Pixel(int x, int y) const override;
  void SetPixel(int x, int y, TColor color) override;
  void Refresh() override;

  // Conversions between 0x00BBGGRR and Qt colours.
  static QColor ToQColor(TColor color);
  static TColor FromQRgb(QRgb rgb);

private:
  QImage& image_;
  QPainter painter_;
  TFont font_;
  QFont qfont_;
};
