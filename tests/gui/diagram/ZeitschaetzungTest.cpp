// The rho statistic, its standard deviation, the paths they are measured on and the number format
// of the results.
#include "Zeitschaetzung.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>

namespace {

struct NodeSpec {
  const char* name;
  int frequency;
};
struct LinkSpec {
  const char* from;
  const char* to;
  int mutations;
  bool active = true;
};

TNetwork_Diagramm MakeNetwork(std::initializer_list<NodeSpec> nodes,
                              std::initializer_list<LinkSpec> links) {
  TNetwork_Diagramm d;
  for (const NodeSpec& n : nodes) {
    TaxonType t;
    t.Name = n.name;
    t.Frequency = n.frequency;
    t.Active = true;
    d.Taxa.push_back(t);
  }
  for (const LinkSpec& l : links) {
    LinkType link;
    link.Taxon1 = l.from;
    link.Taxon2 = l.to;
    link.Mutations.resize(static_cast<std::size_t>(l.mutations));
    link.Active = l.active;
    d.Links.push_back(link);
  }
  return d;
}

struct RhoCase {
  const char* name;
  TNetwork_Diagramm network;
  int ancestor;
  std::vector<int> descendants;
  double rho;
  double sigma;
  std::vector<std::vector<int>> paths;  // per descendant, 1-based links
};

class RhoStatisticTable : public ::testing::TestWithParam<RhoCase> {};

TEST_P(RhoStatisticTable, RhoSigmaAndPaths) {
  const RhoCase& c = GetParam();
  TTimeSelection selection;
  selection.SetAncestor(c.ancestor);
  for (int node : c.descendants)
    ASSERT_EQ(selection.ToggleDescendant(node), TTimeSelection::Toggle::Added);
  const TRhoResult r = selection.Calculate(c.network);
  EXPECT_NEAR(r.Rho, c.rho, 1e-12);
  EXPECT_NEAR(r.Sigma, c.sigma, 1e-12);
  ASSERT_EQ(selection.Descendants().size(), c.paths.size());
  for (std::size_t i = 0; i < c.paths.size(); ++i)
    EXPECT_EQ(selection.Descendants()[i].Path, c.paths[i]) << "descendant " << i;
}

//            A (1)
//     1 mut /     \ 2 mut
//        mv1 (0)   C (2)
//   1 mut /  \ 3    | 2
//     B (1)   D (1)-+
// D lies 4 from A both ways; the way over mv1 is found first and kept.
TNetwork_Diagramm Branched(bool cToDActiveOnly = false) {
  return MakeNetwork({{"A", 1}, {"mv1", 0}, {"B", 1}, {"C", 2}, {"D", 1}},
                     {{"A", "mv1", 1, !cToDActiveOnly},
                      {"mv1", "B", 1},
                      {"A", "C", 2},
                      {"mv1", "D", 3, !cToDActiveOnly},
                      {"C", "D", 2}});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RhoStatisticTable,
    ::testing::Values(
        // One descendant of frequency 1 at 2 mutations: rho 2 / 2, sigma sqrt(2) / 2.
        RhoCase{"singleLink", MakeNetwork({{"A", 1}, {"B", 1}}, {{"A", "B", 2}}), 1, {2}, 1.0,
                std::sqrt(2.0) / 2, {{1}}},
        // Two descendants on separate branches of length 3 from an ancestor of frequency 0.
        RhoCase{"equalBranches",
                MakeNetwork({{"A", 0}, {"B", 1}, {"C", 2}}, {{"A", "B", 3}, {"A", "C", 3}}), 1,
                {2, 3}, 3.0, std::sqrt(3.0 * 1 + 3.0 * 4) / 3, {{1}, {2}}},
        // A path through a median vector: both links carry the descendant's individual.
        RhoCase{"throughMedian",
                MakeNetwork({{"A", 1}, {"mv1", 0}, {"B", 1}}, {{"A", "mv1", 1}, {"mv1", "B", 1}}),
                1, {3}, 1.0, std::sqrt(2.0) / 2, {{1, 2}}},
        // F = 5, S = 2 + 4 + 4; Q = 1 x 2^2 + 1 + 2 x 2^2 + 3 = 16.
        RhoCase{"branched", Branched(), 1, {3, 4, 5}, 2.0, 0.8, {{1, 2}, {3}, {1, 4}}},
        // Inactive links are not walked: D is reached over C only, B not at all.
        RhoCase{"inactiveLinks", Branched(true), 1, {4, 5}, (4.0 + 4.0) / 4,
                std::sqrt(2.0 * 9 + 2.0 * 1) / 4, {{3}, {3, 5}}},
        // A descendant that cannot be reached counts with distance 0 and no path.
        RhoCase{"unreached", MakeNetwork({{"A", 1}, {"B", 1}, {"Z", 2}}, {{"A", "B", 4}}), 1,
                {2, 3}, 4.0 / 4, 2.0 / 4, {{1}, {}}},
        // Ancestor and descendants of frequency 0: nothing to average.
        RhoCase{"noIndividuals", MakeNetwork({{"A", 0}, {"B", 0}}, {{"A", "B", 2}}), 1, {2}, 0.0,
                0.0, {{1}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Equal distances: a chosen descendant is expanded before another node, so the descendant beyond
// both is reached through it and shares its link.
//   A -1- M -1- D        M (not chosen) is entered first, B (chosen) wins the tie.
//   A -1- B -1- D
TEST(RhoPaths, ChosenDescendantWinsATie) {
  TNetwork_Diagramm d = MakeNetwork({{"A", 1}, {"M", 0}, {"B", 1}, {"D", 1}},
                                    {{"A", "M", 1}, {"A", "B", 1}, {"M", "D", 1}, {"B", "D", 1}});
  TTimeSelection s;
  s.SetAncestor(1);
  s.ToggleDescendant(3);
  s.ToggleDescendant(4);
  const TRhoResult r = s.Calculate(d);
  EXPECT_EQ(s.Descendants()[1].Path, (std::vector<int>{2, 4}));
  EXPECT_DOUBLE_EQ(r.Rho, 1.0);
  EXPECT_NEAR(r.Sigma, std::sqrt(5.0) / 3, 1e-12);
  EXPECT_EQ(s.PathLinks(), (std::vector<int>{2, 4}));
}

TEST(RhoPaths, NodesTenThousandMutationsAwayAreNotReached) {
  TNetwork_Diagramm d =
      MakeNetwork({{"A", 1}, {"B", 1}, {"C", 1}}, {{"A", "B", 9999}, {"B", "C", 1}});
  std::vector<TDescendant> t{{2, 0, {}}, {3, 0, {}}};
  CollectDescendantPaths(d, 1, t);
  EXPECT_EQ(t[0].Distance, 9999);
  EXPECT_EQ(t[1].Distance, 0);
  EXPECT_TRUE(t[1].Path.empty());
}

TEST(RhoPaths, LinksToUnknownNodesAndLoopsAreSkipped) {
  TNetwork_Diagramm d = MakeNetwork({{"A", 1}, {"B", 1}},
                                    {{"A", "A", 1}, {"A", "nowhere", 1}, {"A", "B", 2}});
  std::vector<TDescendant> t{{2, 0, {}}};
  CollectDescendantPaths(d, 1, t);
  EXPECT_EQ(t[0].Path, (std::vector<int>{3}));
  // An ancestor outside the diagram reaches nothing.
  CollectDescendantPaths(d, 7, t);
  EXPECT_TRUE(t[0].Path.empty());
}

TEST(TimeSelection, TogglingAddsRemovesAndRefuses) {
  TTimeSelection s;
  s.SetAncestor(1);
  EXPECT_EQ(s.ToggleDescendant(1), TTimeSelection::Toggle::Refused);  // the ancestor itself
  EXPECT_EQ(s.ToggleDescendant(2), TTimeSelection::Toggle::Added);
  EXPECT_EQ(s.ToggleDescendant(3), TTimeSelection::Toggle::Added);
  EXPECT_EQ(s.ToggleDescendant(2), TTimeSelection::Toggle::Removed);
  ASSERT_EQ(s.Descendants().size(), 1u);
  EXPECT_EQ(s.Descendants()[0].Node, 3);  // later records move up
  for (int node = 10; s.Descendants().size() < time_estimate::MaxDescendants; ++node)
    ASSERT_EQ(s.ToggleDescendant(node), TTimeSelection::Toggle::Added);
  EXPECT_EQ(s.ToggleDescendant(9999), TTimeSelection::Toggle::Refused);
  EXPECT_EQ(s.ToggleDescendant(3), TTimeSelection::Toggle::Removed);  // removing still works
  s.Clear();
  EXPECT_EQ(s.Ancestor(), 0);
  EXPECT_TRUE(s.Descendants().empty());
}

// ---- Number format ---------------------------------------------------------------------------

struct FormatCase {
  double value;
  int precision;
  int exponentDigits;
  const char* text;
};

class GeneralFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GeneralFormat, Formats) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(FormatGeneral(c.value, c.precision, c.exponentDigits), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeneralFormat,
    ::testing::Values(FormatCase{0, 5, 3, "0"}, FormatCase{1, 5, 3, "1"},
                      FormatCase{2.5, 5, 3, "2.5"}, FormatCase{0.70710678, 5, 3, "0.70711"},
                      FormatCase{12345, 5, 3, "12345"}, FormatCase{123456.7, 5, 3, "1.2346E+005"},
                      FormatCase{99999.7, 5, 3, "1E+005"}, FormatCase{0.00012345678, 5, 3, "0.00012346"},
                      FormatCase{0.000001234, 5, 3, "1.234E-006"}, FormatCase{-2.25, 5, 3, "-2.25"},
                      FormatCase{20180, 9, 5, "20180"},
                      FormatCase{1234567890.0, 9, 5, "1.23456789E+00009"}),
    [](const auto& info) {
      std::string name = std::string("text_") + info.param.text;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(ResultTexts, YearsFollowTheRate) {
  EXPECT_EQ(FormatYears(1, 20180), "20180 years");
  EXPECT_EQ(FormatYears(0.8, 20180), "16144 years");
  EXPECT_EQ(FormatYears(0, 20180), "0 years");
  EXPECT_EQ(FormatMutations(std::sqrt(2.0) / 2), "0.70711");
}

TEST(ResultTexts, PlainColours) {
  TaxonType t;
  t.Name = "mv12";
  EXPECT_EQ(PlainNodeColor(t), clRed);
  t.Name = "Alpha";
  EXPECT_EQ(PlainNodeColor(t), clYellow);
}

}  // namespace
