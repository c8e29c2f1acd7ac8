#pragma once
// A canvas that records every call with the pen, brush and font in force, for exact geometry
// checks. Text is measured by a fixed rule: every character is `Size` pixels wide and a text is
// 2 x `Size` pixels high.

#include "Canvas.h"

#include <map>
#include <utility>

class TRecordingCanvas final : public TCanvas {
public:
  enum class Kind { Line, Polyline, Rectangle, Ellipse, Pie, Text, Pixel };
  struct Call {
    Kind kind;
    std::vector<int> coords;  // x1, y1, x2, y2 (boxes, lines), x, y (text, pixel), or points
    double startAngle = 0, sweepAngle = 0;  // Pie
    std::string text;
    TPen pen;
    TBrush brush;
    TFont font;
  };

  std::vector<Call> calls;

  std::vector<Call> Of(Kind kind) const {
    std::vector<Call> out;
    for (const Call& c : calls)
      if (c.kind == kind) out.push_back(c);
    return out;
  }

  void SetPen(const TPen& pen) override { pen_ = pen; }
  void SetBrush(const TBrush& brush) override { brush_ = brush; }
  void SetFont(const TFont& font) override { font_ = font; }
  void Line(int x1, int y1, int x2, int y2) override { Record(Kind::Line, {x1, y1, x2, y2}); }
  void Polyline(const std::vector<TCanvasPoint>& points) override {
    std::vector<int> coords;
    for (const TCanvasPoint& p : points) coords.insert(coords.end(), {p.X, p.Y});
    Record(Kind::Polyline, std::move(coords));
  }
  void Rectangle(int x1, int y1, int x2, int y2) override { Record(Kind::Rectangle, {x1, y1, x2, y2}); }
  void Ellipse(int x1, int y1, int x2, int y2) override { Record(Kind::Ellipse, {x1, y1, x2, y2}); }
  void Pie(int x1, int y1, int x2, int y2, double startAngle, double sweepAngle) override {
    Record(Kind::Pie, {x1, y1, x2, y2});
    calls.back().startAngle = startAngle;
    calls.back().sweepAngle = sweepAngle;
  }
  void TextOut(int x, int y, const std::string& text) override {
    Record(Kind::Text, {x, y});
    calls.back().text = text;
  }
  TTextSize TextExtent(const std::string& text) override {
    return {static_cast<int>(text.size()) * font_.Size, 2 * font_.Size};
  }
  TColor Pixel(int x, int y) const override {
    const auto it = pixels_.find({x, y});
    return it == pixels_.end() ? clWhite : it->second;
  }
  void SetPixel(int x, int y, TColor color) override {
    pixels_[{x, y}] = color;
    Record(Kind::Pixel, {x, y});
  }

private:
  void Record(Kind kind, std::vector<int> coords) {
    calls.push_back({kind, std::move(coords), 0, 0, {}, pen_, brush_, font_});
  }

  TPen pen_;
  TBrush brush_;
  TFont font_;
  std::map<std::pair<int, int>, TColor> pixels_;
};
