// The style dialogs' values and rules, what a confirmed dialog applies to the diagram, and the
// previews, without widgets.

#include "DiagramStyles.h"
#include "RecordingCanvas.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

const std::string kLastPieMessage =
    "Can not delete last pie. At least one specification must remain.";
const std::string kFontSizeMessage = "Value of font size is out of range.";

TaxonType Node(const std::string& name, int frequency, std::vector<Pie> pies = {}) {
  TaxonType t;
  t.Name = t.Label = name;
  t.Frequency = frequency;
  t.Pies = std::move(pies);
  t.LineWidth = 1;
  return t;
}

Pie Slice(TColor colour, int frequency, std::uint8_t pattern = bsSolid) {
  Pie p;
  p.PieColor = colour;
  p.PieFrequency = frequency;
  p.PiePattern = pattern;
  return p;
}

TTaxonStyle ThreeSlices() {
  TTaxonStyle s;
  s.SetPieColours({0x0000FF, 0x00FF00, 0xFF0000});
  s.SetPieFrequencies({1, 2, 3});
  s.SetPiePatterns({bsSolid, bsCross, bsVertical});
  return s;
}

// Taxa A and B, median vector mv1; link 1 A-mv1 in the torso, link 2 mv1-B outside it.
TNetwork_Diagramm SmallDiagram() {
  TNetwork_Diagramm d;
  d.Taxa = {Node("A", 10, {Slice(clYellow, 10)}), Node("mv1", 0, {Slice(clRed, 0)}),
            Node("B", 2, {Slice(clYellow, 2)})};
  for (const auto& [t1, t2, torso] :
       {std::tuple{"A", "mv1", true}, std::tuple{"mv1", "B", false}}) {
    LinkType l;
    l.Taxon1 = t1;
    l.Taxon2 = t2;
    l.InTorso = torso;
    l.LineWidth = 1;
    for (const char* c : {"12", "30"}) {
      MutationType m;
      m.Character = m.Name = c;
      m.NameHeight = 6;
      l.Mutations.push_back(m);
    }
    d.Links.push_back(l);
  }
  SchemeType scheme;
  scheme.SchemeName = "Region";
  scheme.SchemeActive = true;
  scheme.SchemeLabels = {"North", "South"};
  scheme.SchemeColors = {clYellow, clYellow};
  d.ColorSchemes = {scheme, scheme};
  d.ColorSchemes[1].SchemeActive = false;
  return d;
}

}  // namespace

// ---- Pie chart definition --------------------------------------------------------------------

TEST(TaxonStyle, OutlineWidthSetterKeepsThePreviousWidthOutsideOneToFour) {
  TTaxonStyle s;
  s.SetOutlineWidth(3);
  for (int refused : {0, 5, 7, -1}) {
    s.SetOutlineWidth(refused);
    EXPECT_EQ(s.OutlineWidth(), 3) << refused;
  }
  s.SetOutlineWidth(4);
  EXPECT_EQ(s.OutlineWidth(), 4);
}

TEST(TaxonStyle, RemovingTheOnlySliceIsRefusedWithAMessage) {
  ScriptedDialogsScope d;
  TTaxonStyle s;
  s.SetPieColours({clRed});
  s.SetPieFrequencies({4});
  EXPECT_FALSE(s.RemoveSlice(1));
  EXPECT_EQ(d.dialogs.messages(), std::vector<std::string>{kLastPieMessage});
  EXPECT_EQ(s.SliceCount(), 1);
  EXPECT_EQ(s.PieFrequencies(), TPieFrequencies{4});
}

TEST(TaxonStyle, RemovedSliceShiftsTheRestAndAddingShowsTheHiddenRowAgain) {
  ScriptedDialogsScope d;
  TTaxonStyle s = ThreeSlices();
  ASSERT_TRUE(s.RemoveSlice(2));
  EXPECT_EQ(s.SliceCount(), 2);
  EXPECT_EQ(s.PieColours()[0], 0x0000FF);
  EXPECT_EQ(s.PieColours()[1], 0xFF0000);  // the old third is the new second
  EXPECT_EQ(s.PieFrequencies()[1], 3);
  EXPECT_EQ(s.PiePatterns()[1], bsVertical);

  // The third row comes back with the values last stored for it.
  s.AddSlice();
  EXPECT_EQ(s.SliceCount(), 3);
  EXPECT_EQ(s.PieColours()[2], 0xFF0000);
  EXPECT_EQ(s.PieFrequencies()[2], 3);

  // Beyond the rows ever shown a new black solid slice of 1 appears.
  s.AddSlice();
  EXPECT_EQ(s.SliceCount(), 4);
  EXPECT_EQ(s.PieColours()[3], clBlack);
  EXPECT_EQ(s.PieFrequencies()[3], 1);
  EXPECT_EQ(s.PiePatterns()[3], bsSolid);
  EXPECT_TRUE(d.dialogs.messages().empty());
}

TEST(TaxonStyle, SliceEditsStayWithinTheShownSlicesAndNegativeFrequencyBecomesZero) {
  TTaxonStyle s = ThreeSlices();
  s.SetSliceFrequency(2, -5);
  EXPECT_EQ(s.PieFrequencies()[1], 0);
  s.SetSliceColour(3, 0x123456);
  s.SetSlicePattern(3, bsDiagCross);
  EXPECT_EQ(s.PieColours()[2], 0x123456);
  EXPECT_EQ(s.PiePatterns()[2], bsDiagCross);
  // Rows that do not exist change nothing.
  const TTaxonStyle before = s;
  for (int row : {0, 4, -1}) {
    s.SetSliceFrequency(row, 9);
    s.SetSliceColour(row, 0x111111);
    s.SetSlicePattern(row, bsCross);
  }
  EXPECT_EQ(s.PieFrequencies(), before.PieFrequencies());
  EXPECT_EQ(s.PieColours(), before.PieColours());
  EXPECT_EQ(s.PiePatterns(), before.PiePatterns());
}

TEST(TaxonStyle, ShortFrequencyAndPatternArraysAreCompletedForEveryRow) {
  TTaxonStyle s;
  s.SetPieFrequencies({5});
  s.SetPiePatterns({});
  s.SetPieColours({clRed, clBlue});
  EXPECT_EQ(s.SliceCount(), 2);
  EXPECT_EQ(s.PieFrequencies(), (TPieFrequencies{5, 1}));
  EXPECT_EQ(s.PiePatterns(), (TPiePatterns{bsSolid, bsSolid}));
}

TEST(TaxonStyle, OkWithAWrongTotalSaysSoAndCutsTheArrays) {
  ScriptedDialogsScope d;
  TTaxonStyle s = ThreeSlices();
  s.SetTaxonFrequency(10);
  s.SetSliceFrequency(1, 6);
  s.SetSliceFrequency(2, 3);
  ASSERT_TRUE(s.RemoveSlice(3));
  s.Accept();
  EXPECT_EQ(d.dialogs.messages(),
            std::vector<std::string>{
                "The entered number of individuals (9) does not agree with the real number of "
                "individuals within the node (10). Tarvane will adjust your values to the real "
                "number of individuals."});
  EXPECT_EQ(s.PieFrequencies(), (TPieFrequencies{6, 3}));
  EXPECT_EQ(s.PieColours().size(), 2u);
  EXPECT_EQ(s.PiePatterns().size(), 2u);

  d.dialogs.clear();
  s.SetTaxonFrequency(9);
  s.Accept();
  EXPECT_TRUE(d.dialogs.messages().empty());
}

TEST(TaxonStyle, LoadOffersASingleSegmentAsTwoSlices) {
  struct Case {
    const char* what;
    std::vector<Pie> pies;
    TPieFrequencies frequencies;
    TPieColours colours;
  };
  const Case cases[] = {
      {"one segment of 5", {Slice(clYellow, 5, bsCross)}, {4, 1}, {clYellow, clBlack}},
      {"one segment of 1", {Slice(clYellow, 1)}, {1}, {clYellow}},
      {"two segments", {Slice(clYellow, 3), Slice(clRed, 2)}, {3, 2}, {clYellow, clRed}},
      {"no segment", {}, {5}, {clBlack}},
  };
  for (const Case& c : cases) {
    TTaxonStyle s;
    s.SetApplyAllTaxa(true);
    LoadTaxonStyle(s, Node("A", 5, c.pies));
    EXPECT_EQ(s.PieFrequencies(), c.frequencies) << c.what;
    EXPECT_EQ(s.PieColours(), c.colours) << c.what;
    EXPECT_EQ(s.SliceCount(), static_cast<int>(c.colours.size())) << c.what;
    EXPECT_FALSE(s.ApplyAllTaxa()) << c.what;
    EXPECT_EQ(s.TaxonFrequency(), 5);
  }
  TTaxonStyle s;
  LoadTaxonStyle(s, Node("A", 5, {Slice(clYellow, 5, bsCross)}));
  EXPECT_EQ(s.PiePatterns(), (TPiePatterns{bsCross, bsSolid}));
}

TEST(PatternItems, ComboOrderAndBrushPatterns) {
  EXPECT_EQ(PiePatternItem(bsSolid), 0);
  EXPECT_EQ(PiePatternItem(bsBDiagonal), 1);
  EXPECT_EQ(PiePatternItem(bsVertical), 6);
  EXPECT_EQ(PiePatternItem(bsClear), -1);  // not offered
  EXPECT_EQ(PenStyleItem(psSolid), 0);
  EXPECT_EQ(PenStyleItem(psClear), 1);
  EXPECT_EQ(PenStyleItem(psDash), -1);
}

// ---- Colour scheme, link and text values ------------------------------------------------------

TEST(SchemeColorsEdit, OneRowPerColourAndOkCutsBothArrays) {
  TSchemeColorsEdit e;
  e.SetEditedSchemeLabels({"North"});
  e.SetEditedSchemeColours({clYellow, clRed});
  EXPECT_EQ(e.SchemeRowCount(), 2);
  EXPECT_EQ(e.EditedSchemeLabels(), (TSchemeLabels{"North", ""}));
  e.SetRowColour(2, clBlue);
  e.SetRowColour(3, clBlack);  // no such row
  e.Accept();
  EXPECT_EQ(e.EditedSchemeColours(), (TSchemeColours{clYellow, clBlue}));

  e.SetEditedSchemeLabels({"a", "b", "c"});
  e.Accept();
  EXPECT_EQ(e.EditedSchemeLabels().size(), 2u);
}

TEST(LinkStyle, WidthOutsideOneToFourKeepsTheDialogsPreviousWidth) {
  TLinkStyle s;
  s.SetWidth(2);
  LinkType wide;
  wide.LineWidth = 6;
  wide.LineColor = clBlue;
  wide.LineStyle = psClear;
  s.SetApplyOutsideTorso(true);
  LoadLinkStyle(s, wide);
  EXPECT_EQ(s.Width(), 2);
  EXPECT_EQ(s.Color(), clBlue);
  EXPECT_EQ(s.Style(), psClear);
  EXPECT_FALSE(s.ApplyOutsideTorso());

  // OK then applies that previous width.
  TNetwork_Diagramm d = SmallDiagram();
  d.Links[0].LineWidth = 6;
  ApplyLinkStyle(d, 1, s);
  EXPECT_EQ(d.Links[0].LineWidth, 2);
}

TEST(TextStyle, SizeOutsideFourToNinetyNineShowsAMessageAndKeepsThePreviousSize) {
  ScriptedDialogsScope d;
  TTextStyle s;
  s.SetSize(8);
  LoadTextStyle(s, 2, fsItalic, clRed);
  EXPECT_EQ(d.dialogs.messages(), std::vector<std::string>{kFontSizeMessage});
  EXPECT_EQ(s.Size(), 8);
  EXPECT_EQ(s.Style(), fsItalic);
  EXPECT_EQ(s.Color(), clRed);
  s.SetSize(100);
  EXPECT_EQ(s.Size(), 8);
  for (int accepted : {4, 99}) {
    s.SetSize(accepted);
    EXPECT_EQ(s.Size(), accepted);
  }
  EXPECT_EQ(d.dialogs.messages().size(), 2u);
}

TEST(TextStyle, StyleBits) {
  TTextStyle s;
  s.SetStyleBit(fsBold, true);
  s.SetStyleBit(fsUnderline, true);
  EXPECT_EQ(s.Style(), 5);
  s.SetStyleBit(fsBold, false);
  EXPECT_EQ(s.Style(), fsUnderline);
}

// ---- Applying ---------------------------------------------------------------------------------

TEST(ApplyStyles, LinkStyleGoesToOneLinkOrToTheChosenSidesOfTheTorso) {
  struct Case {
    bool outside, within;
    std::vector<int> widths;  // of links 1 (torso) and 2 (outside)
  };
  for (const Case& c : {Case{false, false, {1, 4}}, Case{true, false, {1, 4}},
                        Case{false, true, {4, 1}}, Case{true, true, {4, 4}}}) {
    TNetwork_Diagramm d = SmallDiagram();
    TLinkStyle s;
    s.SetWidth(4);
    s.SetColor(clBlue);
    s.SetStyle(psClear);
    s.SetApplyOutsideTorso(c.outside);
    s.SetApplyWithinTorso(c.within);
    ApplyLinkStyle(d, 2, s);
    EXPECT_EQ(d.Links[0].LineWidth, c.widths[0]) << c.outside << c.within;
    EXPECT_EQ(d.Links[1].LineWidth, c.widths[1]) << c.outside << c.within;
    EXPECT_EQ(d.Links[1].LineColor, c.widths[1] == 4 ? clBlue : clBlack);
    EXPECT_EQ(d.Links[1].LineStyle, c.widths[1] == 4 ? psClear : psSolid);
  }
}

TEST(ApplyStyles, TaxonStyleMakesAPieAndSwitchesSchemesOff) {
  ScriptedDialogsScope dialogs;
  TNetwork_Diagramm d = SmallDiagram();
  TTaxonStyle s;
  LoadTaxonStyle(s, d.Taxa[0]);  // 9 and 1
  s.SetSliceColour(2, clBlue);
  s.SetSlicePattern(2, bsCross);
  s.SetSliceFrequency(1, 3);
  s.SetSliceFrequency(2, 2);
  s.SetOutlineWidth(3);
  s.SetOutlineColor(clRed);
  s.SetOutlineStyle(psClear);
  s.Accept();  // 5 of 10 individuals: the values are adjusted
  EXPECT_EQ(dialogs.dialogs.messages().size(), 1u);
  ApplyTaxonStyle(d, 1, s);
  const TaxonType& a = d.Taxa[0];
  ASSERT_EQ(a.Pies.size(), 2u);
  EXPECT_EQ(a.Pies[0].PieColor, clYellow);
  EXPECT_EQ(a.Pies[1].PieColor, clBlue);
  EXPECT_EQ(a.Pies[1].PiePattern, bsCross);
  // Shares 3:2 of the node's 10 individuals.
  EXPECT_EQ(a.Pies[0].PieFrequency, 6);
  EXPECT_EQ(a.Pies[1].PieFrequency, 4);
  EXPECT_EQ(a.LineWidth, 3);
  EXPECT_EQ(a.LineColor, clRed);
  EXPECT_EQ(a.LineStyle, psClear);
  // Only the clicked node.
  EXPECT_EQ(d.Taxa[2].Pies.size(), 1u);
  EXPECT_EQ(d.Taxa[2].LineWidth, 1);
  for (const SchemeType& scheme : d.ColorSchemes) EXPECT_FALSE(scheme.SchemeActive);
}

TEST(ApplyStyles, PieForAllTaxaGivesEveryTaxonTheChosenColours) {
  TNetwork_Diagramm d = SmallDiagram();
  TTaxonStyle s;
  LoadTaxonStyle(s, d.Taxa[0]);
  s.SetSliceColour(2, clBlue);
  s.SetApplyAllTaxa(true);
  s.Accept();
  ApplyTaxonStyle(d, 1, s);
  const TaxonType& b = d.Taxa[2];
  ASSERT_EQ(b.Pies.size(), 2u);
  EXPECT_EQ(b.Pies[0].PieColor, clYellow);
  EXPECT_EQ(b.Pies[1].PieColor, clBlue);
  EXPECT_EQ(b.Pies[0].PieFrequency + b.Pies[1].PieFrequency, 2);
  // The median vector is no taxon.
  EXPECT_EQ(d.Taxa[1].Pies.size(), 1u);
  EXPECT_EQ(d.Taxa[1].Pies[0].PieColor, clRed);
}

TEST(ApplyStyles, NameAndMutationStylesFollowTheirApplyBoxes) {
  TNetwork_Diagramm d = SmallDiagram();
  TTextStyle s;
  s.SetSize(11);
  s.SetColor(clBlue);
  s.SetStyle(fsBold);
  s.SetApplySecond(true);  // all median vectors
  ApplyTaxonNameStyle(d, 1, s);
  EXPECT_EQ(d.Taxa[1].NameHeight, 11);
  EXPECT_EQ(d.Taxa[1].NameColor, clBlue);
  EXPECT_EQ(d.Taxa[1].NameStyle, fsBold);
  EXPECT_EQ(d.Taxa[0].NameHeight, 0);
  s.SetApplySecond(false);
  ApplyTaxonNameStyle(d, 3, s);
  EXPECT_EQ(d.Taxa[2].NameHeight, 11);
  EXPECT_EQ(d.Taxa[0].NameHeight, 0);

  struct Case {
    bool link, all;
    int changed;  // labels changed, in link order
  };
  for (const Case& c : {Case{false, false, 1}, Case{true, false, 2}, Case{false, true, 4}}) {
    TNetwork_Diagramm m = SmallDiagram();
    s.SetApplyFirst(c.link);
    s.SetApplySecond(c.all);
    ApplyMutationStyle(m, 1, 2, s);
    int changed = 0;
    for (const LinkType& l : m.Links)
      for (const MutationType& mu : l.Mutations)
        changed += mu.NameHeight == 11 && mu.NameColor == clBlue && mu.NameStyle == fsBold;
    EXPECT_EQ(changed, c.changed) << c.link << c.all;
    if (!c.link && !c.all) {
      EXPECT_EQ(m.Links[0].Mutations[1].NameHeight, 11);
    }
  }
}

TEST(ApplyStyles, ActivateSchemeTakesTheColoursAndIsTheOnlyActiveOne) {
  TNetwork_Diagramm d = SmallDiagram();
  ActivateScheme(d, 2, {clRed, clBlue});
  EXPECT_FALSE(d.ColorSchemes[0].SchemeActive);
  EXPECT_TRUE(d.ColorSchemes[1].SchemeActive);
  EXPECT_EQ(d.ColorSchemes[1].SchemeColors, (std::vector<TColor>{clRed, clBlue}));
  const TNetwork_Diagramm before = d;
  ActivateScheme(d, 3, {clRed});
  EXPECT_EQ(d, before);
}

// ---- Previews ---------------------------------------------------------------------------------

TEST(Previews, PieLeavesOutEmptySlicesAndIsOutlinedLast) {
  TTaxonStyle s = ThreeSlices();
  s.SetSliceFrequency(1, 1);
  s.SetSliceFrequency(2, 0);
  s.SetSliceFrequency(3, 3);
  s.SetOutlineWidth(2);
  s.SetOutlineColor(clRed);
  TRecordingCanvas canvas;
  DrawPiePreview(canvas, 160, 120, s);
  const auto pies = canvas.Of(TRecordingCanvas::Kind::Pie);
  ASSERT_EQ(pies.size(), 2u);
  EXPECT_EQ(pies[0].coords, (std::vector<int>{40, 20, 120, 100}));  // r = 40 about (80, 60)
  EXPECT_DOUBLE_EQ(pies[0].startAngle, 0);
  EXPECT_NEAR(pies[0].sweepAngle, std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(pies[1].startAngle, std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(pies[1].sweepAngle, 3 * std::numbers::pi / 2, 1e-12);
  EXPECT_EQ(pies[1].brush.Color, 0xFF0000);
  EXPECT_EQ(pies[1].brush.Style, bsVertical);
  EXPECT_EQ(pies[1].pen.Color, 0xFF0000);
  const TRecordingCanvas::Call& outline = canvas.calls.back();
  EXPECT_EQ(outline.kind, TRecordingCanvas::Kind::Ellipse);
  EXPECT_EQ(outline.pen, (TPen{clRed, 2, psSolid}));
  EXPECT_EQ(outline.brush.Style, bsClear);
}

TEST(Previews, LinkLineAndTextSample) {
  TLinkStyle link;
  link.SetWidth(3);
  link.SetColor(clBlue);
  TRecordingCanvas canvas;
  DrawLinkPreview(canvas, 200, 61, link);
  const auto lines = canvas.Of(TRecordingCanvas::Kind::Line);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].coords, (std::vector<int>{50, 30, 150, 30}));  // 30.5 rounds to even
  EXPECT_EQ(lines[0].pen, (TPen{clBlue, 3, psSolid}));

  TTextStyle text;
  text.SetSize(12);
  text.SetStyle(fsItalic);
  TRecordingCanvas textCanvas;
  DrawTextPreview(textCanvas, 200, 80, text);
  const auto texts = textCanvas.Of(TRecordingCanvas::Kind::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "example");
  EXPECT_EQ(texts[0].coords, (std::vector<int>{50, 40}));
  EXPECT_EQ(texts[0].font, (TFont{"Arial", 12, fsItalic, clBlack}));
}
