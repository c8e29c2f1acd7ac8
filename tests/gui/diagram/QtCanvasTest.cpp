// Painting on a QImage offscreen: the colours land where the diagram says.
#include "Dia_File.h"
#include "DiagramTestUtil.h"
#include "DrawNetwork_Diagramm.h"
#include "QtCanvas.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

using namespace diagramtest;

QImage Blank(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::green);  // anything the drawing does not cover stays green
  return image;
}

TEST(QtCanvas, RendersTheDiaFixtureAtKnownPixels) {
  ScriptedDialogsScope scope;
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadDiaFile(d, testpaths::testData("diagram/demo.dia").string()));
  // Painted 10 to the right and 20 down: node 1 at (110, 220), mv at (160, 220), node 2 at
  // (210, 170), node 3 (an inactive equivalent) at (160, 280).
  QImage image = Blank(400, 300);
  int refreshed = 0;
  {
    TQtCanvas canvas(image);
    canvas.OnRefresh = [&refreshed] { ++refreshed; };
    TDrawOptions o;
    o.MinRadius = 6;
    o.MaxRadius = 15;
    o.MedRadius = 3;
    o.ShowCharacters = false;
    DrawDiagram(d, canvas, 400, 300, o);
    EXPECT_EQ(canvas.Pixel(110, 220), 0xFF0000);
  }
  EXPECT_EQ(refreshed, 1);
  const auto at = [&image](int x, int y) { return TQtCanvas::FromQRgb(image.pixel(x, y)); };
  EXPECT_EQ(at(300, 50), clWhite);     // background
  EXPECT_EQ(at(1, 150), clBlack);      // its frame
  EXPECT_EQ(at(110, 220), 0xFF0000);   // node 1, blue, radius 10
  EXPECT_EQ(at(118, 220), 0xFF0000);
  EXPECT_EQ(at(210, 170), 0xFF0000);   // node 2
  EXPECT_EQ(at(160, 220), 0xFF0000);   // the median vector
  EXPECT_EQ(at(170, 210), clBlack);    // link mv - 2
  EXPECT_EQ(at(160, 250), clBlack);    // link mv - 3
  EXPECT_EQ(at(160, 285), clWhite);    // node 3 is not drawn
  EXPECT_EQ(TQtCanvas::FromQRgb(image.pixel(0, 0)) == 0x00FF00, true);  // outside the frame
}

TEST(QtCanvas, PiesAndStylesPaintTheirColours) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 100, 100, 2), Node("b", 200, 100)};
  // Counter-clockwise from 3 o'clock: red fills the top half, blue the bottom.
  d.Taxa[0].Pies = {{"", 0x0000FF, 1, bsSolid}, {"", 0xFF0000, 1, bsSolid}};
  d.Links = {Link("a", "b")};
  d.Links[0].LineColor = 0x00FF00;
  d.Links[0].LineWidth = 3;
  TDrawOptions o;
  o.MinRadius = 20;
  o.MaxRadius = 40;
  o.ShowNodeNames = false;
  QImage image = Blank(300, 200);
  {
    TQtCanvas canvas(image);
    DrawDiagram(d, canvas, 300, 200, o);
  }
  const auto at = [&image](int x, int y) { return TQtCanvas::FromQRgb(image.pixel(x, y)); };
  EXPECT_EQ(at(100, 85), 0x0000FF);
  EXPECT_EQ(at(100, 115), 0xFF0000);
  EXPECT_EQ(at(150, 100), 0x00FF00);
  EXPECT_EQ(at(150, 101), 0x00FF00);  // three pixels wide
  EXPECT_EQ(at(150, 105), clWhite);
}

TEST(QtCanvas, TextMetricsRepeatAndPixelsReadBack) {
  QImage image = Blank(100, 100);
  TQtCanvas canvas(image);
  canvas.SetFont({"Arial", 8, 0, clBlack});
  const TTextSize a = canvas.TextExtent("Alpha");
  EXPECT_GT(a.Width, 0);
  EXPECT_GT(a.Height, 0);
  const TTextSize again = canvas.TextExtent("Alpha");
  EXPECT_EQ(a.Width, again.Width);
  canvas.SetFont({"Arial", 16, fsBold, clBlack});
  EXPECT_GT(canvas.TextExtent("Alpha").Width, a.Width);

  canvas.SetPixel(5, 6, 0x123456);
  EXPECT_EQ(canvas.Pixel(5, 6), 0x123456);
  EXPECT_EQ(canvas.Pixel(-1, 500), clWhite);  // outside the image counts as free
  EXPECT_EQ(image.dotsPerMeterX(), 3780);
}

}  // namespace
