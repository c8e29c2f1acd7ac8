#pragma once
// The drawing surface of a PDF page: pictures and single lines of text, in the box's length unit
// with the origin at the top left of the page.

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

class TPdfBox;

// Colours are 0x00BBGGRR (red in the low byte), as everywhere in the program.
using TPdfColor = std::uint32_t;

struct TPdfTextFont {
  std::string Name = "Arial";
  double Size = 10;  // points
  std::uint8_t Style = 0;  // bold 1, italic 2, underline 4, strikeout 8
  TPdfColor Color = 0;
};

struct TPdfRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

class TPdfCanvas {
public:
  explicit TPdfCanvas(TPdfBox& box) : box_(box) {}
  TPdfCanvas(const TPdfCanvas&) = delete;
  TPdfCanvas& operator=(const TPdfCanvas&) = delete;

  TPdfTextFont Font;
  TPdfColor PenColor = 0;  // colour of underlines
  double TextAngle = 0;    // degrees, counter-clockwise

  // Places the picture in the rectangle of the current page; with the box's SmartStretchDraw the
  // picture keeps its aspect ratio and is centred. Does nothing after an abort and for an empty
  // rectangle or picture. False with the box's error on failure.
  bool DrawGraphic(const TPdfRect& rect, const QImage& graphic);

  // One line of text with its top-left corner at (x, y).
  bool TextOut(double x, double y, const std::string& text);
  // Width and height of a text in the length unit (1 after an abort, 0 with the box's error when
  // no document is open).
  int TextWidth(const std::string& text);
  int TextHeight(const std::string& text);

private:
  friend class TPdfBox;
  bool checkOpen();
  bool canMeasure();

  TPdfBox& box_;
  std::vector<std::string> content_;  // the current page's content lines
};
