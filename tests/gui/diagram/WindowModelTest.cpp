// The drawing window's models: statistics and the .sta file, taxon information, file choice,
// default styles, the free-standing Steiner network, tree browsing and the 32-bit bitmap.

#include "Dia_File.h"
#include "DiagramTestUtil.h"
#include "Graphik_Statistics.h"
#include "Graphik_Taxon_info.h"
#include "Graphik_WindowLogic.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QColor>

#include <algorithm>

using diagramtest::Link;
using diagramtest::Node;

namespace {

// The fixture network: a square torso (1, 2, 3, mv 1) with branches 4-1, 6-mv 2-mv 1; taxon 5
// has the same sequence as 1.
TNetwork_Diagramm LoadNetwork(const std::string& rel = "window/network.out") {
  ScriptedDialogsScope s;
  TNetwork_Diagramm d;
  const std::string path = testpaths::testData(rel).string();
  EXPECT_TRUE(rel.ends_with(".sto") ? LoadStoFile(d, path) : LoadOutFile(d, path));
  ShowOriginalNetwork(d);
  return d;
}

MutationType Mutation(const std::string& character, const std::string& name) {
  MutationType m;
  m.Character = character;
  m.Name = name;
  return m;
}

std::vector<std::string> Rows(const std::vector<TCharacterRow>& rows) {
  std::vector<std::string> out;
  for (const TCharacterRow& r : rows) out.push_back(r.Name + "=" + std::to_string(r.Count));
  return out;
}

}  // namespace

// ---- Statistics ------------------------------------------------------------------------------

TEST(StatisticsExport, StaOfTheFixtureMatchesTheExpectedFile) {
  const TNetwork_Diagramm d = LoadNetwork();
  const TNetworkStatistics s(d);
  EXPECT_FALSE(s.TreeLengthFailed);
  const std::string expected = testpaths::readFile(testpaths::testData("window/network.sta"));
  EXPECT_EQ(s.StaText(), expected);

  testpaths::TempDir dir;
  ASSERT_TRUE(WriteStaFile(s, dir.file("out.sta")));
  EXPECT_EQ(testpaths::readFile(dir.file("out.sta")), expected);
}

TEST(StatisticsExport, UnwritableFileReportsAnError) {
  const TNetworkStatistics s(LoadNetwork());
  std::string error;
  EXPECT_FALSE(WriteStaFile(s, "/nonexistent-folder/x.sta", &error));
  EXPECT_FALSE(error.empty());
}

TEST(StatisticsExport, LongLinksPutTheWarningFirst) {
  TNetwork_Diagramm d = LoadNetwork();
  d.LongEdges = 1;
  const std::string text = TNetworkStatistics(d).StaText();
  EXPECT_EQ(text.substr(0, text.find("\r\n")), StatisticsLongEdgesWarning());
  EXPECT_NE(StatisticsLongEdgesWarning().find("more than 1000 mutations. As a conseqence"),
            std::string::npos);
}

TEST(Statistics, SteinerTreesGiveTheExactTorsoFigure) {
  const TNetwork_Diagramm d = LoadNetwork("window/trees.sto");
  ASSERT_EQ(d.SteinerTreeCount(), 3);
  // The first tree leaves out link 1: torso links 2, 3, 4 with one mutation each.
  EXPECT_EQ(SteinerTorsoMutationSum(d), 3);
  const TNetworkStatistics s(d);
  EXPECT_EQ(s.Lines[1], (TStatisticsLine{"Number of mutations of steiner tree within the torso:",
                                         "    3"}));
  EXPECT_EQ(s.Lines[2], (TStatisticsLine{"Number of mutations of steiner tree: ", "    8"}));
  EXPECT_EQ(s.Lines[3], (TStatisticsLine{"Weighted length of Steiner tree(s):", "    8"}));
}

TEST(Statistics, MissingTotalsShowQuestionMarks) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("1", 0, 0, 2), Node("2", 0, 0, 0)};
  d.Links = {Link("1", "2", {"1      a"})};
  const TNetworkStatistics s(d);
  EXPECT_EQ(s.Lines[3].Value, "n/a");
  EXPECT_EQ(s.Lines[4].Value, "?");
  EXPECT_EQ(s.Lines[6].Value, "?");
  EXPECT_EQ(s.Lines[5].Value, "    2");  // active taxa
  EXPECT_EQ(s.Lines[7].Value, "    1");  // active haplotypes: frequency above 0
  EXPECT_EQ(s.Lines[0].Value, "    1");  // the one link is outside the torso
}

TEST(CharacterTable, CountsAlikeKeysOnceAndOrdersByCountStably) {
  TNetwork_Diagramm d;
  // Keys A, B, C, D appear 2, 5, 2, 5 times; "A" under two spellings of its last characters.
  const std::vector<std::pair<std::string, int>> plan = {{"A11111xx", 2}, {"B22222", 5},
                                                         {"C33333", 2}, {"D44444", 5}};
  for (const auto& [key, count] : plan)
    for (int i = 0; i < count; ++i) {
      LinkType l = Link("1", "2");
      l.Mutations.push_back(Mutation(i == 1 ? key.substr(0, 6) + "yy" : key, "name of " + key));
      d.Links.push_back(l);
    }
  d.Links.push_back(Link("1", "2", {"E55555"}));
  d.Links.back().Active = false;  // inactive links are not counted
  const std::vector<TCharacterRow> rows = CharacterTable(d);
  EXPECT_EQ(Rows(rows), (std::vector<std::string>{"name of =5", "name of =5", "name of =2",
                                                  "name of =2"}));
  EXPECT_EQ(rows[0].Character, "B22222");
  EXPECT_EQ(rows[1].Character, "D44444");
  EXPECT_EQ(rows[2].Character, "A11111xx");  // the first spelling stays
  EXPECT_EQ(rows[3].Character, "C33333");
  EXPECT_EQ(CharacterLine(rows[0]), "name of  :   5");
}

TEST(CharacterTable, GrowsBeyondFiveThousandRows) {
  TNetwork_Diagramm d;
  LinkType l = Link("1", "2");
  for (int i = 0; i < 6000; ++i) l.Mutations.push_back(Mutation(std::to_string(100000 + i), "x"));
  d.Links.push_back(l);
  EXPECT_EQ(CharacterTable(d).size(), 6000u);
}

// ---- Tree length estimate --------------------------------------------------------------------

struct TreeCase {
  const char* name;
  std::vector<LinkType> links;
  int length;
  bool failed;
};

class TreeLength : public ::testing::TestWithParam<TreeCase> {};

TEST_P(TreeLength, EstimatesAndEnds) {
  TNetwork_Diagramm d;
  d.Links = GetParam().links;
  const TTreeLengthEstimate e = TreeLengthStatistics(d);
  EXPECT_EQ(e.Length, GetParam().length);
  EXPECT_EQ(e.Failed, GetParam().failed);
}

LinkType Bridge(const std::string& a, const std::string& b, std::vector<std::string> m) {
  LinkType l = Link(a, b, m, true);
  l.TorsoPart = 100;
  return l;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TreeLength,
    ::testing::Values(
        TreeCase{"NoTorso", {Link("1", "2", {"1"}), Link("2", "3", {"2"})}, 0, false},
        // Triangle 1-2-mv 1: the median vector is reached last and pruned as an unneeded leaf.
        TreeCase{"MedianLeafPruned",
                 {Link("1", "2", {"1"}, true), Link("2", "mv   1", {"2"}, true),
                  Link("mv   1", "1", {"3"}, true)},
                 1, false},
        // The same median vector carrying a branch stays.
        TreeCase{"AttachedMedianKept",
                 {Link("1", "2", {"1"}, true), Link("2", "mv   1", {"2"}, true),
                  Link("mv   1", "1", {"3"}, true), Link("mv   1", "9", {"4"})},
                 2, false},
        // Growth takes the cheapest link first: 1-3 (2 mutations) before 2-3 (3).
        TreeCase{"CheapestFirst",
                 {Link("1", "2", {"1"}, true), Link("2", "3", {"2", "3", "4"}, true),
                  Link("3", "1", {"5", "6"}, true)},
                 3, false},
        // A torso node reached only through a link without mutations is joined at no cost.
        TreeCase{"LinkWithoutMutations",
                 {Link("1", "2", {"1"}, true), Link("2", "3", {}, true),
                  Link("3", "1", {}, true)},
                 1, false},
        // A bridge between two triangles is always part of the tree.
        TreeCase{"BridgeSelected",
                 {Link("1", "2", {"1"}, true), Link("2", "3", {"2"}, true),
                  Link("3", "1", {"3"}, true), Bridge("3", "4", {"4", "5"}),
                  Link("4", "5", {"6"}, true), Link("5", "6", {"7"}, true),
                  Link("6", "4", {"8"}, true)},
                 6, false},
        // Two torso parts with no torso link between them: the growth stops.
        TreeCase{"DisconnectedTorsoFails",
                 {Link("1", "2", {"1"}, true), Link("2", "3", {"2"}, true),
                  Link("3", "1", {"3"}, true), Link("4", "5", {"4"}, true),
                  Link("5", "6", {"5"}, true), Link("6", "4", {"6"}, true)},
                 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TreeLengthLarge, MoreThanNineHundredNinetyNineLinksAreEstimated) {
  TNetwork_Diagramm d;
  for (int i = 0; i < 1500; ++i)
    d.Links.push_back(Link("t" + std::to_string(i), "t" + std::to_string(i + 1), {"c"}, true));
  const TTreeLengthEstimate e = TreeLengthStatistics(d);
  EXPECT_FALSE(e.Failed);
  EXPECT_EQ(e.Length, 1500);
}

// ---- Taxon information -----------------------------------------------------------------------

TEST(TaxonInfo, ListsItemsFrequencyAndIncludedTaxa) {
  const TNetwork_Diagramm d = LoadNetwork();
  EXPECT_EQ(TaxonInfoLines(d, 1),
            (std::vector<std::string>{"Information about taxon Alpha:", "Phenotype: Hunters",
                                      "Geography: North", "Lineage: H1", "Group1: g1",
                                      "Total frequency:   5", "_____________________________",
                                      "Taxon included: Eps", "Phenotype: Farmers",
                                      "Geography: East", ""}));
  EXPECT_EQ(TaxonInfoLines(d, 2),
            (std::vector<std::string>{"Information about taxon Beta:", "Total frequency:   1",
                                      "_____________________________"}));
  EXPECT_TRUE(TaxonInfoLines(d, 0).empty());
  EXPECT_TRUE(TaxonInfoLines(d, d.NodeCount() + 1).empty());
}

TEST(TaxonInfo, IncludedTaxonWithoutNodeIsNamedAndEveryPairListed) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("1", 0, 0, 1234)};
  d.EquivalentTaxa = {{"1", "7"}, {"1", "8"}, {"2", "9"}};
  const std::vector<std::string> lines = TaxonInfoLines(d, 1);
  EXPECT_EQ(lines, (std::vector<std::string>{"Information about taxon 1:", "Total frequency: 1234",
                                             "_____________________________", "Taxon included: 7",
                                             "", "Taxon included: 8", ""}));
}

// ---- File choice, styles, Steiner network, browsing -------------------------------------------

TEST(WindowFiles, KindsAndProposedNames) {
  EXPECT_EQ(DiagramFileKind("/a/net.out"), TDiagramFileKind::Out);
  EXPECT_EQ(DiagramFileKind("/a/net.STO"), TDiagramFileKind::Sto);
  EXPECT_EQ(DiagramFileKind("/a/net.dia"), TDiagramFileKind::Dia);
  EXPECT_EQ(DiagramFileKind("/a/net.Fdi"), TDiagramFileKind::Fdi);
  EXPECT_EQ(DiagramFileKind("/a.b/net"), TDiagramFileKind::Out);
  EXPECT_EQ(ExportKind("/a/result.bmp"), TExportKind::Bmp);
  EXPECT_EQ(ExportKind("/a/result.PDF"), TExportKind::Pdf);
  EXPECT_EQ(ExportKind("/a/result"), TExportKind::Fdi);
  EXPECT_EQ(ExportKind("/a/result.fdi"), TExportKind::Fdi);
  EXPECT_EQ(ProposedFdiName("/data/net.out"), "/data/net.fdi");
  EXPECT_EQ(ProposedFdiName("/data/net.sto"), "/data/net.fdi");
  EXPECT_EQ(ProposedFdiName("ab"), "fdi");
}

TEST(WindowStyles, DefaultStylesOfAFreshNetwork) {
  TNetwork_Diagramm d = LoadNetwork();
  ApplyDefaultStyles(d);
  for (const LinkType& l : d.Links) {
    EXPECT_EQ(l.LineColor, 0x808080);
    EXPECT_EQ(l.LineWidth, 1);
    EXPECT_EQ(l.LineStyle, psSolid);
    for (const MutationType& m : l.Mutations) {
      EXPECT_EQ(m.NameHeight, 6);
      EXPECT_EQ(m.NameColor, 0x0000FF);
    }
  }
  for (const TaxonType& t : d.Taxa) {
    EXPECT_EQ(t.NameHeight, 6);
    EXPECT_EQ(t.NameColor, 0);
    EXPECT_EQ(t.LineWidth, 1);
    ASSERT_FALSE(t.Pies.empty());
    EXPECT_EQ(t.Pies[0].PieColor, IsMedianName(t.Name) ? 0x0000FF : 0x00FFFF) << t.Name;
  }
}

TEST(SteinerNetwork, ReductionRenumbersDropsMediansAndPeelsTheTorso) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("1", 0, 0), Node("2", 0, 0), Node("mv   1", 0, 0), Node("3", 0, 0),
            Node("mv   9", 0, 0), Node("4", 0, 0)};
  d.Links = {Link("1", "2", {"a"}),      Link("2", "mv   1", {"b"}), Link("mv   1", "mv   9", {"c"}),
             Link("mv   1", "1", {"d"}), Link("3", "1", {"e"}),      Link("4", "mv   9", {"f"})};
  d.SteinerNetwork = {5, 4, 1, 2};
  d.SteinerTrees = {{1, 2, 5}, {2, 4, 5}, {3, 1}};
  ReduceToSteinerNetwork(d);
  ASSERT_EQ(d.LinkCount(), 4);
  EXPECT_EQ(d.Links[2].Taxon1, "mv   1");  // old link 4
  EXPECT_EQ(d.Links[3].Taxon1, "3");       // old link 5
  EXPECT_EQ(d.SteinerNetwork, (SubTree{1, 2, 3, 4}));
  // Link 3 was removed: a tree naming it loses it instead of pointing at another link.
  EXPECT_EQ(d.SteinerTrees, (std::vector<SubTree>{{1, 2, 4}, {2, 3, 4}, {1}}));
  // mv 9 ended only removed links; taxon 4 stays although it lost its link.
  std::vector<std::string> names;
  for (const TaxonType& t : d.Taxa) names.push_back(t.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"1", "2", "mv   1", "3", "4"}));
  // The triangle 1-2-mv 1 is the torso; the pendant link 3-1 is not.
  EXPECT_TRUE(d.Links[0].InTorso && d.Links[1].InTorso && d.Links[2].InTorso);
  EXPECT_FALSE(d.Links[3].InTorso);
  for (const LinkType& l : d.Links) EXPECT_EQ(l.TorsoPart, 1);
}

TEST(SteinerNetwork, ATreeHasNoTorso) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("1", 0, 0), Node("2", 0, 0), Node("3", 0, 0), Node("4", 0, 0)};
  d.Links = {Link("1", "2"), Link("2", "3"), Link("2", "4")};
  d.SteinerNetwork = {1, 2, 3};
  ReduceToSteinerNetwork(d);
  for (const LinkType& l : d.Links) EXPECT_FALSE(l.InTorso);
}

TEST(SteinerNetwork, QuestionHasThreeParagraphs) {
  const std::string q = FreeStandingNetworkQuestion();
  EXPECT_TRUE(q.starts_with("This file contains calculation results for shortest trees."));
  EXPECT_NE(q.find("Please select:\r\r- Yes: Draw"), std::string::npos);
  EXPECT_NE(q.find("publication) \r\r- No : Draw the original"), std::string::npos);
  EXPECT_TRUE(q.ends_with("difficult)\r"));
}

TEST(TreeBrowser, ThreeTrees) {
  TTreeBrowser b;
  b.Reset(3);
  EXPECT_EQ(b.Current(), 1);
  EXPECT_FALSE(b.PreviousVisible());
  EXPECT_TRUE(b.NextVisible());
  b.Next();
  b.Next();
  EXPECT_EQ(b.Current(), 3);
  EXPECT_FALSE(b.NextVisible());
  b.Next();
  EXPECT_EQ(b.Current(), 3);
  b.Previous();
  EXPECT_TRUE(b.PreviousVisible() && b.NextVisible());
  b.Reset(0);
  EXPECT_EQ(b.Current(), 0);
  EXPECT_FALSE(b.PreviousVisible() || b.NextVisible());
}

// ---- 32-bit bitmap ---------------------------------------------------------------------------

namespace {
std::uint32_t U32(const QByteArray& b, int at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}
std::uint16_t U16(const QByteArray& b, int at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    (static_cast<unsigned char>(b[at + 1]) << 8));
}
}  // namespace

TEST(Bitmap32, HeaderAndBottomUpPixels) {
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setPixel(0, 0, qRgb(10, 20, 30));   // top left
  image.setPixel(2, 1, qRgb(200, 100, 50));  // bottom right
  const QByteArray b = Bitmap32Bytes(image);
  ASSERT_EQ(b.size(), 54 + 3 * 2 * 4);
  EXPECT_EQ(b.left(2), QByteArray("BM"));
  EXPECT_EQ(U32(b, 2), 54u + 24u);  // file size
  EXPECT_EQ(U32(b, 10), 54u);       // pixel offset
  EXPECT_EQ(U32(b, 14), 40u);       // info header
  EXPECT_EQ(U32(b, 18), 3u);
  EXPECT_EQ(U32(b, 22), 2u);
  EXPECT_EQ(U16(b, 26), 1u);   // planes
  EXPECT_EQ(U16(b, 28), 32u);  // bits per pixel
  EXPECT_EQ(U32(b, 30), 0u);   // uncompressed
  EXPECT_EQ(U32(b, 34), 24u);
  // The bottom row comes first: its last pixel is (200, 100, 50) as blue, green, red, 0.
  EXPECT_EQ(b.mid(54 + 8, 4), QByteArray("\x32\x64\xC8\x00", 4));
  // The top row's first pixel follows the bottom row.
  EXPECT_EQ(b.mid(54 + 12, 4), QByteArray("\x1E\x14\x0A\x00", 4));

  // Read back, the bitmap is the image.
  QImage back;
  ASSERT_TRUE(back.loadFromData(b, "BMP"));
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);
}
