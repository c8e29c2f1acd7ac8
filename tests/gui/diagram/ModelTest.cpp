// The diagram model's operations.
#include "DiagramTestUtil.h"
#include "Network_Diagramm.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace diagramtest;

TEST(Model, ZoomScalesAboutTheDiagramCentre) {
  TNetwork_Diagramm d;
  d.DiagramCenter = {100, 100};
  d.ImageCenter = {151, 100};
  d.Taxa = {Node("a", 100, 100), Node("b", 110, 90)};
  d.HelpPointLinks = {{"a", "b", {{90, 100}}}};
  const TNetwork_Diagramm before = d;
  d.ZoomDiagram(200, 200, 1.005);
  EXPECT_TRUE(d == before);

  d.ZoomDiagram(200, 200, 2);
  EXPECT_DOUBLE_EQ(d.Taxa[0].X, 100);
  EXPECT_DOUBLE_EQ(d.Taxa[0].Y, 100);
  EXPECT_DOUBLE_EQ(d.Taxa[1].X, 120);
  EXPECT_DOUBLE_EQ(d.Taxa[1].Y, 80);
  EXPECT_DOUBLE_EQ(d.HelpPointLinks[0].Points[0].X, 80);
  EXPECT_EQ(d.ImageCenter, (TIntPoint{202, 100}));  // 100 + 2 * 51
  d.ZoomDiagram(200, 200, 1.5);
  EXPECT_EQ(d.ImageCenter, (TIntPoint{253, 100}));  // 100 + 1.5 * 102
  d.ImageCenter = {101, 99};
  d.ZoomDiagram(200, 200, 1.5);  // 101.5 and 98.5: halves to even
  EXPECT_EQ(d.ImageCenter, (TIntPoint{102, 98}));
  EXPECT_EQ(d.ImageOffsetX(), 2);
  EXPECT_EQ(d.ImageOffsetY(), -2);
}

TEST(Model, LookupsAndSplit) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("a", 1, 1)};
  d.Taxa[0].Label = "first";
  d.Taxa[1].Label = "second";
  EXPECT_EQ(d.LookupNodeLabel("a"), "first");
  EXPECT_EQ(d.LookupNodeLabel("zz"), "zz");
  EXPECT_TRUE(d.HasSinglePie(1));
  EXPECT_FALSE(d.HasSinglePie(3));

  EXPECT_EQ(SplitAtChar("a;b;c", ';').Head, "a");
  EXPECT_EQ(SplitAtChar("a;b;c", ';').Rest, "b;c");
  EXPECT_EQ(SplitAtChar("abc", ';').Head, "abc");
  EXPECT_EQ(SplitAtChar("abc", ';').Rest, "");
  EXPECT_EQ(RoundEven(2.5), 2);
  EXPECT_EQ(RoundEven(3.5), 4);
  EXPECT_EQ(RoundEven(-2.5), -2);
}

TEST(Model, ClearDiagramEmptiesEverything) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0)};
  d.Links = {Link("a", "b")};
  d.SteinerTrees = {{1}};
  d.SpecialFileType = true;
  d.LongEdges = d.SteinerLength = d.TotalTaxa = d.TotalHaplotypes = 3;
  d.DiagramCenter = d.ImageCenter = {1, 2};
  d.ClearDiagram();
  EXPECT_TRUE(d == TNetwork_Diagramm{});
}

TEST(Model, MarkSteinerTreeAndNetwork) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("b", 0, 0), Node("c", 0, 0)};
  d.Links = {Link("a", "b"), Link("b", "c")};
  d.SteinerTrees = {{2}, {}};
  const TNetwork_Diagramm before = d;
  for (int t : {0, 2, 3}) {  // out of range, or an empty tree
    d.MarkSteinerTree(t);
    EXPECT_TRUE(d == before) << t;
  }
  d.MarkSteinerTree(1);
  EXPECT_FALSE(d.Links[0].Active);
  EXPECT_TRUE(d.Links[1].Active);
  EXPECT_FALSE(d.Taxa[0].Active);
  EXPECT_TRUE(d.Taxa[1].Active);
  EXPECT_TRUE(d.Taxa[2].Active);

  d.MarkSteinerNetwork();  // empty network: nothing changes
  EXPECT_FALSE(d.Taxa[0].Active);
  d.SteinerNetwork = {1};
  d.MarkSteinerNetwork();
  EXPECT_TRUE(d.Links[0].Active);
  EXPECT_FALSE(d.Links[1].Active);
  EXPECT_FALSE(d.Taxa[2].Active);
}

TEST(Model, StyleSettersSelectOneOrGroups) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("mv   1", 0, 0), Node("b", 0, 0)};
  d.Links = {Link("a", "mv   1", {"1", "2"}, true), Link("mv   1", "b", {"3"})};

  d.SetTaxonNameColor(2, 7, false, false);
  EXPECT_EQ(d.Taxa[1].NameColor, 7);
  EXPECT_EQ(d.Taxa[0].NameColor, 0);
  d.SetTaxonNameColor(9, 8, false, false);  // outside: nothing
  d.SetTaxonLineWidth(0, 5, true, false);
  EXPECT_EQ(d.Taxa[1].LineWidth, 5);
  EXPECT_EQ(d.Taxa[0].LineWidth, 1);
  d.SetTaxonLineWidth(0, 6, false, true);
  EXPECT_EQ(d.Taxa[0].LineWidth, 6);
  EXPECT_EQ(d.Taxa[2].LineWidth, 6);
  EXPECT_EQ(d.Taxa[1].LineWidth, 5);
  d.SetTaxonPieColor(0, 2, 9, true, true);  // no node has segment 2: nothing
  d.SetTaxonPieColor(0, 1, 9, true, true);
  EXPECT_EQ(d.Taxa[2].Pies[0].PieColor, 9);

  d.SetLinkLineColor(0, 3, false, true);
  EXPECT_EQ(d.Links[0].LineColor, 3);
  EXPECT_EQ(d.Links[1].LineColor, 0);
  d.SetLinkLineStyle(2, psClear, false, false);
  EXPECT_EQ(d.Links[1].LineStyle, psClear);

  d.SetMutationNameHeight(1, 2, 3, false, false);
  EXPECT_EQ(d.Links[0].Mutations[1].NameHeight, 6);  // 3 or less is refused
  d.SetMutationNameHeight(1, 2, 4, false, false);
  EXPECT_EQ(d.Links[0].Mutations[1].NameHeight, 4);
  EXPECT_EQ(d.Links[0].Mutations[0].NameHeight, 6);
  d.SetMutationNameColor(1, 0, 5, true, false);
  EXPECT_EQ(d.Links[0].Mutations[0].NameColor, 5);
  EXPECT_EQ(d.Links[1].Mutations[0].NameColor, 0);
  d.SetMutationNameStyle(0, 0, fsBold, false, true);
  EXPECT_EQ(d.Links[1].Mutations[0].NameStyle, fsBold);
  d.SetAllMutationNameHeights(9);
  d.SetAllMutationNameColors(1);
  EXPECT_EQ(d.Links[1].Mutations[0].NameHeight, 9);
  EXPECT_EQ(d.Links[0].Mutations[1].NameColor, 1);
}

TEST(Model, PieFrequenciesFromShares) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0, 10), Node("b", 0, 0, 0), Node("mv   1", 0, 0, 0)};
  d.SetTaxonPieFrequencies(1, {1, 2, 1}, false, false);
  ASSERT_EQ(d.Taxa[0].Pies.size(), 3u);
  EXPECT_EQ(d.Taxa[0].Pies[1].PieFrequency, 5);
  EXPECT_EQ(d.Taxa[0].Pies[2].PieFrequency, 2);  // 2.5 to even
  EXPECT_EQ(d.Taxa[0].Pies[0].PieFrequency, 3);  // what the others leave
  d.SetTaxonPieFrequencies(2, {0, 0}, false, false);
  EXPECT_EQ(d.Taxa[1].Pies[0].PieFrequency, 1);
  EXPECT_EQ(d.Taxa[1].Pies[1].PieFrequency, 0);
  d.SetTaxonPieFrequencies(0, {1, 1}, false, true);  // every taxon
  EXPECT_EQ(d.Taxa[0].Pies.size(), 2u);
  EXPECT_EQ(d.Taxa[2].Pies.size(), 1u);  // median vectors untouched
}

TEST(Model, HitTestFindsNodesLabelsMutationsAndLinks) {
  TNetwork_Diagramm d;
  d.ImageCenter = {110, 100};
  d.DiagramCenter = {100, 100};  // painted 10 pixels to the right
  d.Taxa = {Node("a", 50, 50), Node("b", 150, 50), Node("mv   1", 50, 150)};
  d.Taxa[0].NameBox = {10, 40, 40, 60};
  d.Links = {Link("a", "b", {"1"}), Link("a", "mv   1")};
  d.Links[0].Mutations[0].NameBox = {95, 30, 105, 40};

  const auto hit = [&](double x, double y, bool medians = true) {
    const THitResult r = d.HitTest(x, y, true, true, medians, false);
    return std::tuple(r.Kind, r.Index, r.Mutation);
  };
  EXPECT_EQ(hit(64, 55), std::tuple(THitKind::Node, 1, 0));
  EXPECT_EQ(hit(30, 50), std::tuple(THitKind::NodeLabel, 1, 0));
  EXPECT_EQ(hit(110, 35), std::tuple(THitKind::Mutation, 1, 1));
  EXPECT_EQ(hit(100, 53), std::tuple(THitKind::Link, 1, 0));
  EXPECT_EQ(hit(100, 56), std::tuple(THitKind::Nothing, 0, 0));
  EXPECT_EQ(hit(62, 100), std::tuple(THitKind::Link, 2, 0));  // steep link: x and y exchanged
  EXPECT_EQ(hit(60, 150), std::tuple(THitKind::Node, 3, 0));
  EXPECT_EQ(hit(60, 150, false), std::tuple(THitKind::Nothing, 0, 0));
}

TEST(Model, ColourSchemesFromInformation) {
  TNetwork_Diagramm empty;
  empty.BuildColorSchemes();
  EXPECT_TRUE(empty.ColorSchemes.empty());

  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("b", 0, 0), Node("c", 0, 0)};
  d.Taxa[0].Info[1] = {"Region", "North"};
  d.Taxa[1].Info[1] = {"Region", "South"};
  d.Taxa[2].Info[1] = {"Region", "North"};
  d.BuildColorSchemes();
  ASSERT_EQ(d.ColorSchemes.size(), 6u);
  EXPECT_EQ(d.ColorSchemes[1], (SchemeType{"Region", false, {clYellow, clYellow}, {"North", "South"}}));
  EXPECT_TRUE(d.ColorSchemes[0].SchemeLabels.empty());
}

TEST(DrawModel, MutationUnitLengthSkipsLinksWithoutMutations) {
  ScriptedDialogsScope scope;
  TDrawNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("b", 30, 0), Node("c", 30, 40), Node("d", 100, 0)};
  d.Links = {Link("a", "b"), Link("a", "b", {"1", "2", "3"}), Link("b", "c", {"1", "2", "3", "4"}),
             Link("b", "d", {"1"})};
  // 30/3 = 10 and 40/4 = 10: the unit; the link without mutations is passed over.
  EXPECT_DOUBLE_EQ(d.MutationUnitLength(2, false), 10);
  EXPECT_DOUBLE_EQ(d.MutationUnitLength(1, false), 10);
  EXPECT_DOUBLE_EQ(d.MutationUnitLength(4, false), 70);  // off the unit: its own length
  scope.dialogs.answer(DialogAnswer::No);
  EXPECT_DOUBLE_EQ(d.MutationUnitLength(4, true), 0);
  scope.dialogs.answer(DialogAnswer::Yes);
  EXPECT_DOUBLE_EQ(d.MutationUnitLength(4, true), 70);
  EXPECT_EQ(scope.dialogs.questions(),
            std::vector<std::string>(2, "The chosen link is not shown with the correct length.Modify it anyway?"));
  d.Links.push_back(Link("a", "zz", {"1"}));
  EXPECT_DOUBLE_EQ(d.MutationUnitLength(5, false), 0);  // missing end node
}

TEST(DrawModel, SplitAndRotateMoveOneSide) {
  //  a - b - c        the split at link b-c puts c and d on one side
  //          |
  //          d
  TDrawNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("b", 10, 0), Node("c", 20, 0), Node("d", 20, 10)};
  d.Links = {Link("a", "b", {"1"}), Link("b", "c", {"2"}), Link("c", "d", {"3"})};
  d.SplitNetworkAtLink(2);
  EXPECT_EQ(d.LinkSides[0], (SplitType{"b", "a"}));
  EXPECT_EQ(d.LinkSides[1], (SplitType{"c", "d"}));

  // Turn c (and d with it) about b towards (3, 4), keeping the length of one mutation (10).
  d.RotateLinkSide(2, 2, 3, 3, 4);
  EXPECT_NEAR(d.Taxa[2].X, 16, 1e-9);
  EXPECT_NEAR(d.Taxa[2].Y, 8, 1e-9);
  EXPECT_NEAR(d.Taxa[3].X, 16, 1e-9);
  EXPECT_NEAR(d.Taxa[3].Y, 18, 1e-9);
  EXPECT_DOUBLE_EQ(d.Taxa[0].X, 0);
}

TEST(DrawModel, ParallelTorsoCopiesDoNotJoinTheSides) {
  // A square a-b-c-d-a whose opposite links a-b and d-c carry the same character.
  TDrawNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("b", 10, 0), Node("c", 10, 10), Node("d", 0, 10)};
  d.Links = {Link("a", "b", {"5      a"}, true), Link("b", "c", {"7"}, true),
             Link("d", "c", {"5      a"}, true), Link("a", "d", {"8"}, true)};
  d.SplitNetworkAtLink(1);
  EXPECT_EQ(d.LinkSides[0], (SplitType{"a", "d"}));
  EXPECT_EQ(d.LinkSides[1], (SplitType{"b", "c"}));
}

TEST(DrawModel, NumberTorsoPartsMarksBridges) {
  // Two triangles joined by the bridge c-d.
  TDrawNetwork_Diagramm d;
  d.Links = {Link("a", "b", {}, true), Link("b", "c", {}, true), Link("c", "a", {}, true),
             Link("c", "d", {}, true), Link("d", "e", {}, true), Link("e", "f", {}, true),
             Link("f", "d", {}, true), Link("x", "y", {}, false)};
  d.NumberTorsoParts();
  std::vector<int> parts;
  for (const LinkType& l : d.Links) parts.push_back(l.TorsoPart);
  EXPECT_EQ(parts, (std::vector<int>{1, 1, 1, 100, 2, 2, 2, 0}));
}

}  // namespace
