#pragma once
// The drawing surface a diagram is painted on. One drawing routine serves the screen image, bitmap
// export, printing, PDF pages and the recording canvas of the tests, so this interface stays small:
// a current pen, brush and font, and a handful of primitives in whole pixels.

#include <cstdint>
#include <string>
#include <vector>

// Colours are 0x00BBGGRR (red in the low byte).
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clYellow = 0x00FFFF;

// Font style bits.
enum : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Pen styles 0..5.
enum : std::uint8_t { psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4, psClear = 5 };

// Brush patterns 0..7.
enum : std::uint8_t {
  bsSolid = 0, bsClear = 1, bsHorizontal = 2, bsVertical = 3,
  bsFDiagonal = 4, bsBDiagonal = 5, bsCross = 6, bsDiagCross = 7
};

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  std::uint8_t Style = psSolid;
  bool operator==(const TPen&) const = default;
};

struct TBrush {
  TColor Color = clWhite;
  std::uint8_t Style = bsSolid;
  bool operator==(const TBrush&) const = default;
};

struct TFont {
  std::string Name = "Arial";
  int Size = 8;  // points; the canvases work at 96 pixels per inch
  std::uint8_t Style = 0;
  TColor Color = clBlack;
  bool operator==(const TFont&) const = default;
};

struct TCanvasPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TCanvasPoint&) const = default;
};

struct TTextSize {
  int Width = 0;
  int Height = 0;
};

class TCanvas {
public:
  virtual ~TCanvas() = default;

  virtual void SetPen(const TPen& pen) = 0;
  virtual void SetBrush(const TBrush& brush) = 0;
  virtual void SetFont(const TFont& font) = 0;

  // Lines and outlines use the pen; closed shapes are filled with the brush. A box runs from
  // (x1, y1) to (x2, y2).
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  virtual void Polyline(const std::vector<TCanvasPoint>& points) = 0;
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
  // The sector of the ellipse in the box from `startAngle` over `sweepAngle`, both in radians,
  // counter-clockwise on the screen from the positive x axis.
  virtual void Pie(int x1, int y1, int x2, int y2, double startAngle, double sweepAngle) = 0;

  // Text in the current font with its top-left corner at (x, y), on a clear background.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual TTextSize TextExtent(const std::string& text) = 0;

  // The colour at a pixel; surfaces that cannot be read back report white (free).
  virtual TColor Pixel(int x, int y) const = 0;
  virtual void SetPixel(int x, int y, TColor color) = 0;

  // Called once when a whole diagram has been painted: the screen shows it and lets the window
  // process pending messages.
  virtual void Refresh() {}
};
