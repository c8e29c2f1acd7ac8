// Drawing a diagram, checked call by call on the recording canvas.
#include "DiagramTestUtil.h"
#include "DrawNetwork_Diagramm.h"
#include "RecordingCanvas.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

using namespace diagramtest;
using Kind = TRecordingCanvas::Kind;
constexpr double kPi = std::numbers::pi;

TDrawOptions Options() {
  TDrawOptions o;
  o.ShowNodeNames = false;
  o.ShowCharacters = false;
  o.NodesProportional = true;
  o.MinRadius = 5;
  o.MaxRadius = 12;
  o.MedRadius = 3;
  return o;
}

// Ellipses with the brush of a node (the white disc before it excluded).
std::vector<TRecordingCanvas::Call> NodeEllipses(const TRecordingCanvas& c) {
  std::vector<TRecordingCanvas::Call> out;
  for (const auto& call : c.Of(Kind::Ellipse))
    if (!(call.pen.Color == clWhite && call.brush == TBrush{clWhite, bsSolid})) out.push_back(call);
  return out;
}

TEST(DrawDiagram, DrawsNothingWithoutLinksOrNodes) {
  TRecordingCanvas c;
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 10, 10)};
  DrawDiagram(d, c, 200, 200, Options());
  EXPECT_TRUE(c.calls.empty());

  TNetwork_Diagramm noNodes;
  noNodes.Links = {Link("a", "b", {"1"})};
  DrawDiagram(noNodes, c, 200, 200, Options());
  EXPECT_TRUE(c.calls.empty());
}

TEST(DrawDiagram, BackgroundLinksThenNodes) {
  TRecordingCanvas c;
  TNetwork_Diagramm d;
  d.ImageCenter = {105, 100};
  d.DiagramCenter = {100, 100};
  d.Taxa = {Node("a", 20, 30, 1), Node("b", 80.5, 30, 1)};
  d.Links = {Link("a", "b", {"1"}), Link("a", "zz")};  // the second has no end node
  d.Links[0].LineColor = 0x808080;
  d.Links[0].LineWidth = 3;
  DrawDiagram(d, c, 200, 150, Options());

  ASSERT_FALSE(c.calls.empty());
  const auto& background = c.calls.front();
  EXPECT_EQ(background.kind, Kind::Rectangle);
  EXPECT_EQ(background.coords, (std::vector<int>{1, 1, 200, 150}));
  EXPECT_EQ(background.pen, (TPen{clBlack, 2, psSolid}));
  EXPECT_EQ(background.brush, (TBrush{clWhite, bsSolid}));
  const auto lines = c.Of(Kind::Line);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].coords, (std::vector<int>{25, 30, 86, 30}));  // 85.5 to even
  EXPECT_EQ(lines[0].pen, (TPen{0x808080, 3, psSolid}));
  const auto ellipses = c.Of(Kind::Ellipse);
  ASSERT_EQ(ellipses.size(), 4u);  // a white disc and the node for each
  EXPECT_EQ(ellipses[0].brush, (TBrush{clWhite, bsSolid}));
  EXPECT_EQ(ellipses[0].pen, (TPen{clWhite, 1, psSolid}));
  EXPECT_EQ(ellipses[1].coords, (std::vector<int>{20, 25, 30, 35}));
  EXPECT_EQ(ellipses[1].brush, (TBrush{clYellow, bsSolid}));
  EXPECT_EQ(ellipses[1].pen, (TPen{clBlack, 1, psSolid}));
}

struct RadiusCase {
  const char* name;
  std::string node;
  int frequency;
  bool proportional;
  bool showMedians;
  int radius;  // 0: not drawn
};

class NodeRadii : public testing::TestWithParam<RadiusCase> {};

TEST_P(NodeRadii, FollowFrequencyAndLimits) {
  const RadiusCase& r = GetParam();
  TNetwork_Diagramm d;
  d.Taxa = {Node(r.node, 50, 50, r.frequency), Node("other", 500, 500)};  // "other" lies outside
  d.Links = {Link(r.node, "other")};
  TDrawOptions o = Options();
  o.NodesProportional = r.proportional;
  o.ShowMedians = r.showMedians;
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, o);
  const auto nodes = NodeEllipses(c);
  if (r.radius == 0) {
    EXPECT_TRUE(nodes.empty());
    return;
  }
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].coords, (std::vector<int>{50 - r.radius, 50 - r.radius, 50 + r.radius, 50 + r.radius}));
}

INSTANTIATE_TEST_SUITE_P(
    Radii, NodeRadii,
    testing::Values(RadiusCase{"FrequencyOne", "a", 1, true, true, 5},
                    RadiusCase{"FrequencyTwo", "a", 2, true, true, 7},    // 7.07
                    RadiusCase{"CappedAtMaximum", "a", 9, true, true, 12},  // 15 > 12
                    RadiusCase{"NotProportional", "a", 9, false, true, 5},
                    RadiusCase{"FrequencyZero", "a", 0, true, true, 0},
                    RadiusCase{"NegativeFrequencyAsZero", "a", -4, true, true, 0},
                    RadiusCase{"MedianVector", "mv   1", 0, true, true, 3},
                    RadiusCase{"HiddenMedianVector", "mv   1", 0, true, false, 0}),
    [](const testing::TestParamInfo<RadiusCase>& info) { return std::string(info.param.name); });

TEST(DrawDiagram, ProportionalRadiusOfFrequencyFour) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 50, 50, 4), Node("b", 100, 50, 4)};
  d.Links = {Link("a", "b")};
  TDrawOptions o = Options();
  o.MaxRadius = 20;
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, o);
  EXPECT_EQ(NodeEllipses(c)[0].coords, (std::vector<int>{40, 40, 60, 60}));
}

TEST(DrawDiagram, NodesCrossingTheRightOrBottomEdgeAreNotDrawn) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("right", 196, 50), Node("bottom", 50, 196), Node("left", -3, 50), Node("in", 195, 195)};
  d.Links = {Link("right", "bottom")};
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, Options());
  const auto nodes = NodeEllipses(c);
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_EQ(nodes[0].coords[0], -8);  // beyond the left edge: drawn
  EXPECT_EQ(nodes[1].coords[2], 200);
}

TEST(DrawDiagram, PieSegmentsSweepTheirShare) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 50, 50, 4), Node("b", 100, 50)};
  d.Taxa[0].Pies = {{"", 0x0000FF, 1, bsSolid}, {"", 0x00FF00, 0, bsCross}, {"", 0xFF0000, 3, bsVertical}};
  d.Taxa[0].LineColor = 0x123456;
  d.Links = {Link("a", "b")};
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, Options());
  const auto pies = c.Of(Kind::Pie);
  ASSERT_EQ(pies.size(), 2u);  // the empty segment fills nothing
  EXPECT_EQ(pies[0].coords, (std::vector<int>{40, 40, 60, 60}));
  EXPECT_DOUBLE_EQ(pies[0].startAngle, 0);
  EXPECT_DOUBLE_EQ(pies[0].sweepAngle, kPi / 2);
  EXPECT_EQ(pies[0].brush, (TBrush{0x0000FF, bsSolid}));
  EXPECT_EQ(pies[0].pen, (TPen{0x0000FF, 1, psSolid}));
  EXPECT_DOUBLE_EQ(pies[1].startAngle, kPi / 2);
  EXPECT_DOUBLE_EQ(pies[1].sweepAngle, 3 * kPi / 2);
  EXPECT_EQ(pies[1].brush, (TBrush{0xFF0000, bsVertical}));

  // Then the outline with a clear brush.
  const auto ellipses = c.Of(Kind::Ellipse);
  const auto outline = ellipses[1];
  EXPECT_EQ(outline.brush.Style, bsClear);
  EXPECT_EQ(outline.pen.Color, 0x123456);
}

TEST(DrawDiagram, ANodeOfFrequencyZeroIsOneEllipseOfItsFirstSegment) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("mv   1", 50, 50, 0), Node("b", 100, 50)};
  d.Taxa[0].Pies = {{"", 0x0000FF, 0, bsSolid}, {"", 0x00FF00, 1, bsSolid}};
  d.Links = {Link("mv   1", "b")};
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, Options());
  EXPECT_TRUE(c.Of(Kind::Pie).empty());
  EXPECT_EQ(NodeEllipses(c)[0].brush, (TBrush{0x0000FF, bsSolid}));
}

// An active colour scheme colours each node by its value of the scheme's information item; a
// node that stands for equivalent taxa becomes a pie of their values, weighted by frequency.
class SchemeColours : public ::testing::Test {
protected:
  static constexpr TColor kNorth = 0x0000FF, kSouth = 0xFF0000;
  void SetUp() override {
    // "a" (3 of its own) stands also for "a2" (1); "b" is one taxon; "c" has no value.
    d.Taxa = {Node("a", 50, 50, 4), Node("a2", 0, 0, 1), Node("b", 100, 50, 1),
              Node("c", 150, 50, 1), Node("mv   1", 100, 100, 0)};
    d.Taxa[0].OrigFrequency = 3;
    d.Taxa[1].Active = false;  // an equivalent taxon is no node of the picture
    d.Taxa[0].Info[1] = {"Geography", "North"};
    d.Taxa[1].Info[1] = {"Geography", "South"};
    d.Taxa[2].Info[1] = {"Geography", "South"};
    d.Taxa[4].Pies.front().PieColor = clRed;
    d.EquivalentTaxa = {{"a", "a2"}};
    d.Links = {Link("a", "b"), Link("b", "c"), Link("b", "mv   1")};
    d.BuildColorSchemes();
    ASSERT_EQ(d.ColorSchemes.size(), 6u);
    ASSERT_EQ(d.ColorSchemes[1].SchemeLabels, (std::vector<std::string>{"North", "South"}));
    d.ColorSchemes[1].SchemeColors = {kNorth, kSouth};
  }
  TRecordingCanvas Draw() {
    TRecordingCanvas c;
    DrawDiagram(d, c, 300, 300, Options());
    return c;
  }
  TNetwork_Diagramm d;
};

TEST_F(SchemeColours, NoActiveSchemeKeepsTheNodesOwnColours) {
  const TRecordingCanvas c = Draw();
  EXPECT_TRUE(c.Of(Kind::Pie).empty());
  for (const auto& e : NodeEllipses(c))
    EXPECT_TRUE(e.brush.Color == clYellow || e.brush.Color == clRed) << e.brush.Color;
}

TEST_F(SchemeColours, AnActiveSchemeColoursByValueAndWeighsEquivalentTaxa) {
  d.ColorSchemes[1].SchemeActive = true;
  const TRecordingCanvas c = Draw();
  // "a": three North of its own and one South from "a2", counter-clockwise from angle 0.
  const auto pies = c.Of(Kind::Pie);
  ASSERT_EQ(pies.size(), 2u);
  EXPECT_EQ(pies[0].brush, (TBrush{kNorth, bsSolid}));
  EXPECT_DOUBLE_EQ(pies[0].sweepAngle, 3 * kPi / 2);
  EXPECT_EQ(pies[1].brush, (TBrush{kSouth, bsSolid}));
  EXPECT_DOUBLE_EQ(pies[1].startAngle, 3 * kPi / 2);
  EXPECT_DOUBLE_EQ(pies[1].sweepAngle, kPi / 2);
  // "b" all South; "c" without a value and the median vector keep their own colours.
  std::vector<TColor> fills;
  for (const auto& e : NodeEllipses(c))
    if (e.brush.Style != bsClear) fills.push_back(e.brush.Color);
  EXPECT_EQ(fills, (std::vector<TColor>{kSouth, clYellow, clRed}));
  // The nodes' own pies are untouched: switching the scheme off brings them back.
  EXPECT_EQ(d.Taxa[0].Pies.size(), 1u);
  d.ColorSchemes[1].SchemeActive = false;
  EXPECT_TRUE(Draw().Of(Kind::Pie).empty());
}

TEST_F(SchemeColours, ANodeDrawnAloneTakesTheSchemeToo) {
  d.ColorSchemes[1].SchemeActive = true;
  TRecordingCanvas c;
  DrawNode(d, c, d.Taxa[2], 300, 300, Options());
  ASSERT_EQ(NodeEllipses(c).size(), 1u);
  EXPECT_EQ(NodeEllipses(c)[0].brush.Color, kSouth);
}

TEST(DrawDiagram, NameBoxesSitLeftOfTheCircle) {
  TNetwork_Diagramm d;
  d.ImageCenter = {110, 100};
  d.DiagramCenter = {100, 100};
  d.Taxa = {Node("a", 100, 100, 4), Node("mv   1", 150, 100, 0), Node("c", 190, 195)};
  d.Taxa[0].Label = "Al pha long";
  d.Taxa[0].NameColor = 0x0000FF;
  d.Taxa[0].NameStyle = fsBold;
  d.Taxa[2].Label = "";
  d.Taxa[2].Name = "c d";
  d.Links = {Link("a", "mv   1"), Link("mv   1", "c d")};
  TDrawOptions o = Options();
  o.ShowNodeNames = true;
  o.ShowMedians = false;
  TRecordingCanvas c;
  DrawDiagram(d, c, 300, 200, o);

  // "Alphal": 6 characters of 8 pixels, 16 high; radius 10.
  EXPECT_EQ(d.Taxa[0].NameBox, (TNameBox{100 - 2 - 58, 92, 88, 108}));
  const auto texts = c.Of(Kind::Text);
  ASSERT_EQ(texts.size(), 1u);  // the median name is empty, "cd" would cross the bottom edge
  EXPECT_EQ(texts[0].text, "Alphal");
  EXPECT_EQ(texts[0].coords, (std::vector<int>{50, 92}));
  EXPECT_EQ(texts[0].font, (TFont{"Arial", 8, fsBold, 0x0000FF}));
  EXPECT_EQ(texts[0].brush.Style, bsClear);
  // A hidden median vector keeps its label box, computed with the median radius.
  EXPECT_EQ(d.Taxa[1].NameBox, (TNameBox{150 - 2 - 3, 92, 145, 108}));
  EXPECT_EQ(d.Taxa[2].NameBox.Right - d.Taxa[2].NameBox.Left, 16);  // "cd"

  o.ShowMedians = true;
  o.ShowMedianNames = true;
  c.calls.clear();
  DrawDiagram(d, c, 300, 200, o);
  EXPECT_EQ(c.Of(Kind::Text)[1].text, "mv1");
}

TEST(DrawDiagram, MutationLabelsAreSpacedAlongStraightLinks) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 100, 20), Node("b", 20, 100)};
  d.Links = {Link("a", "b", {"m1", "m2", "m3"})};
  d.Links[0].Mutations[2].Name = "";
  d.Links[0].Mutations[2].Character = "12 4567890";
  TDrawOptions o = Options();
  o.ShowCharacters = true;
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, o);
  const auto texts = c.Of(Kind::Text);
  ASSERT_EQ(texts.size(), 3u);
  // From b towards a: 1/4, 1/2 and 3/4 of the way; boxes centred there (6-pixel characters).
  const auto& m = d.Links[0].Mutations;
  EXPECT_EQ(m[0].NameBox, (TNameBox{40 - 6, 80 - 6, 40 + 6, 80 + 6}));
  EXPECT_EQ(m[1].NameBox, (TNameBox{60 - 6, 60 - 6, 60 + 6, 60 + 6}));
  EXPECT_EQ(texts[2].text, "12456");  // first six characters without blanks
  EXPECT_EQ(m[2].NameBox, (TNameBox{80 - 15, 40 - 6, 80 + 15, 40 + 6}));
  EXPECT_EQ(texts[0].coords, (std::vector<int>{34, 74}));
}

TEST(DrawDiagram, TorsoLinksThroughHelpPoints) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("b", 100, 0)};
  d.Links = {Link("a", "b", {"1", "2", "3"}, true)};
  // Drawn the other way round; the extra point is not used.
  d.HelpPointLinks = {{"b", "a", {{60, 20}, {30, 20}, {0, 99}}}};
  TDrawOptions o = Options();
  o.ShowCharacters = true;
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, o);
  const auto lines = c.Of(Kind::Line);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].coords, (std::vector<int>{100, 0, 60, 20}));
  EXPECT_EQ(lines[1].coords, (std::vector<int>{60, 20, 30, 20}));
  EXPECT_EQ(lines[2].coords, (std::vector<int>{30, 20, 0, 0}));
  const auto& m = d.Links[0].Mutations;
  EXPECT_EQ(m[0].NameBox, (TNameBox{80 - 3, 10 - 6, 80 + 3, 10 + 6}));
  EXPECT_EQ(m[1].NameBox, (TNameBox{45 - 3, 20 - 6, 45 + 3, 20 + 6}));
  EXPECT_EQ(m[2].NameBox, (TNameBox{15 - 3, 10 - 6, 15 + 3, 10 + 6}));

  // Exactly the n - 1 bend points a layout leaves for n mutations: the same polyline.
  d.HelpPointLinks[0].Points.resize(2);
  c.calls.clear();
  DrawDiagram(d, c, 200, 200, o);
  const auto bent = c.Of(Kind::Line);
  ASSERT_EQ(bent.size(), lines.size());
  for (std::size_t s = 0; s < bent.size(); ++s) EXPECT_EQ(bent[s].coords, lines[s].coords);

  // Too few points, or not a torso link: straight.
  d.HelpPointLinks[0].Points.resize(1);
  c.calls.clear();
  DrawDiagram(d, c, 200, 200, o);
  EXPECT_EQ(c.Of(Kind::Line).size(), 1u);
  d.HelpPointLinks[0].Points.resize(2);
  d.Links[0].InTorso = false;
  c.calls.clear();
  DrawDiagram(d, c, 200, 200, o);
  EXPECT_EQ(c.Of(Kind::Line).size(), 1u);
}

// Which nodes and help-point links a link is drawn with, found by name.
struct LinkEndsCase {
  const char* name;
  std::vector<TaxonType> nodes;
  LinkType link;
  std::vector<HelpPointLinkType> helpPoints;
  std::vector<std::vector<int>> lines;
};

class LinkEnds : public testing::TestWithParam<LinkEndsCase> {};

TEST_P(LinkEnds, AreTheFirstNodeOfTheNameAndTheHelpPointsOfThePair) {
  const LinkEndsCase& p = GetParam();
  TNetwork_Diagramm d;
  d.Taxa = p.nodes;
  d.Links = {p.link};
  d.HelpPointLinks = p.helpPoints;
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, Options());
  std::vector<std::vector<int>> lines;
  for (const auto& call : c.Of(Kind::Line)) lines.push_back(call.coords);
  EXPECT_EQ(lines, p.lines);
}

INSTANTIATE_TEST_SUITE_P(
    DrawDiagram, LinkEnds,
    testing::Values(
        LinkEndsCase{"FirstNodeOfAName",
                     {Node("a", 10, 10), Node("b", 90, 10), Node("a", 50, 90)},
                     Link("a", "b", {"1"}),
                     {},
                     {{10, 10, 90, 10}}},
        LinkEndsCase{"HelpPointsOfAnotherPairAreNotUsed",
                     {Node("a", 10, 10), Node("b", 90, 10), Node("c", 50, 90)},
                     Link("a", "b", {"1", "2"}, true),
                     {{"a", "c", {{50, 50}}}},
                     {{10, 10, 90, 10}}},
        LinkEndsCase{"NamesThatJoinAlikeAreAnotherPair",
                     {Node("ab", 10, 10), Node("c", 90, 10), Node("a", 50, 90), Node("bc", 90, 90)},
                     Link("ab", "c", {"1", "2"}, true),
                     {{"a", "bc", {{50, 50}}}},
                     {{10, 10, 90, 10}}},
        LinkEndsCase{"TheFirstFittingHelpPointLinkOfThePair",
                     {Node("a", 10, 10), Node("b", 90, 10)},
                     Link("a", "b", {"1", "2"}, true),
                     {{"b", "a", {}}, {"b", "a", {{50, 50}}}, {"a", "b", {{60, 60}}}},
                     {{90, 10, 50, 50}, {50, 50, 10, 10}}}),
    [](const testing::TestParamInfo<LinkEndsCase>& info) { return info.param.name; });

TEST(DrawDiagram, OnlyTorsoHidesOtherLinksAndTheirNodes) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 10, 10), Node("b", 50, 10), Node("c", 90, 10)};
  d.Links = {Link("a", "b", {}, true), Link("b", "c")};
  TDrawOptions o = Options();
  o.ShowOnlyTorso = true;
  TRecordingCanvas c;
  DrawDiagram(d, c, 200, 200, o);
  EXPECT_EQ(c.Of(Kind::Line).size(), 1u);
  EXPECT_EQ(NodeEllipses(c).size(), 2u);
}

struct ClipCase {
  const char* name;
  std::array<int, 4> in, out;
};

class Clip : public testing::TestWithParam<ClipCase> {};

TEST_P(Clip, CutsAtTheRightAndBottomEdges) {
  std::array<int, 4> p = GetParam().in;
  ClipLineToBox(p[0], p[1], p[2], p[3], 100, 50);
  EXPECT_EQ(p, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, Clip,
    testing::Values(ClipCase{"Inside", {10, 10, 90, 40}, {10, 10, 90, 40}},
                    ClipCase{"LeftAndTopKept", {-20, -5, 30, 10}, {-20, -5, 30, 10}},
                    ClipCase{"SecondEndRight", {50, 10, 150, 10}, {50, 10, 100, 10}},
                    ClipCase{"FirstEndRight", {150, 20, 50, 20}, {100, 20, 50, 20}},
                    ClipCase{"Corner", {0, 0, 200, 100}, {0, 0, 100, 50}},
                    ClipCase{"Bottom", {10, 0, 10, 80}, {10, 0, 10, 50}},
                    ClipCase{"WhollyRight", {110, 0, 120, 10}, {-1, -1, -1, -1}},
                    ClipCase{"WhollyBelow", {0, 60, 10, 70}, {-1, -1, -1, -1}}),
    [](const testing::TestParamInfo<ClipCase>& info) { return std::string(info.param.name); });

}  // namespace
