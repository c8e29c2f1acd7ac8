// The main road, end to end and headless: a data file -> median joining -> .out -> the real solver
// -> .sto -> the diagram with its shortest trees.
#include "Dia_File.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "umwandl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numeric>
#include <set>

namespace fs = std::filesystem;

namespace {

struct RoadCase {
  const char* name;
  bool shared;       // from the shared real data (skipped when absent) or our own examples/
  const char* file;  // .rdf or .phy
  int epsilon;
};

fs::path sourcePath(const RoadCase& c) {
  return c.shared ? testpaths::sharedData(c.file)
                  : fs::path(TARVANE_SOURCE_DIR) / "examples" / c.file;
}

int find(std::vector<int>& parent, int x) {
  while (parent[x] != x) x = parent[x] = parent[parent[x]];
  return x;
}

// Runs the solver as the MP panel starts it; the diagram as the drawing window reads the result.
TNetwork_Diagramm solve(const fs::path& dir, const std::string& out, int program) {
  const std::string stem = (dir / ("p" + std::to_string(program))).string();
  const std::string sto = stem + ".sto", log = stem + ".log";
  const std::string command = std::string("\"") + TESMO_EXE + "\" \"" + out + "\" " +
                              std::to_string(program) + " \"" + sto + "\" \"" + log +
                              "\" > /dev/null";
  TNetwork_Diagramm d;
  EXPECT_EQ(std::system(command.c_str()), 0) << testpaths::readFile(log);
  const std::string logText = testpaths::readFile(log);
  EXPECT_NE(logText.find("\nprocess time: "), std::string::npos) << logText;
  EXPECT_EQ(logText.find("Warning:"), std::string::npos) << logText;
  EXPECT_EQ(logText.find("Error:"), std::string::npos) << logText;
  std::string error;
  EXPECT_TRUE(LoadStoFile(d, sto, &error)) << error;
  return d;
}

// Checks that `tree` is a tree of the network joining every observed type, and returns its
// weighted length.
long long checkTree(const TNetwork_Diagramm& d, const SubTree& tree,
                    const std::map<int, int>& weightOf) {
  std::vector<int> parent(d.NodeCount());
  std::iota(parent.begin(), parent.end(), 0);
  long long length = 0;
  for (int link : tree) {
    EXPECT_GE(link, 1);
    EXPECT_LE(link, d.LinkCount());
    if (link < 1 || link > d.LinkCount()) continue;
    const LinkType& l = d.Links[link - 1];
    const int a = d.FindNode(l.Taxon1), b = d.FindNode(l.Taxon2);
    EXPECT_GE(a, 0);
    EXPECT_GE(b, 0);
    if (a < 0 || b < 0) continue;
    EXPECT_NE(find(parent, a), find(parent, b)) << "cycle through link " << link;
    parent[find(parent, a)] = find(parent, b);
    for (const MutationType& m : l.Mutations) length += weightOf.at(std::stoi(m.Character));
  }
  // Every observed type but the duplicates, which the network shows through their representative.
  std::set<std::string> duplicates;
  for (const EquiTaxonType& e : d.EquivalentTaxa) duplicates.insert(e.Taxon2);
  int root = -1;
  for (int v = 0; v < d.NodeCount(); ++v) {
    if (IsMedianName(d.Taxa[v].Name) || duplicates.contains(d.Taxa[v].Name)) continue;
    if (root < 0) root = find(parent, v);
    EXPECT_EQ(find(parent, v), root) << d.Taxa[v].Name << " is not joined by the tree";
  }
  return length;
}

class Road : public ::testing::TestWithParam<RoadCase> {};

}  // namespace

TEST_P(Road, DataToDrawingThroughTheSolver) {
  const RoadCase& c = GetParam();
  if (c.shared) SKIP_WITHOUT_SHARED_DATA(c.file);
  testpaths::TempDir dir;
  ScriptedDialogsScope s;

  // 1. The data file, imported into an .rdf beside it when it is PHYLIP.
  const fs::path input = dir.path() / sourcePath(c).filename();
  fs::copy_file(sourcePath(c), input);
  fs::path rdf = input;
  if (input.extension() == ".phy") {
    ASSERT_TRUE(ImportPhylipFile(input.string(), false));
    rdf.replace_extension(".rdf");
  }

  // 2. Median joining and its .out file.
  Trdf_DataSet data;
  ASSERT_TRUE(LoadMJDataSet(data, rdf.string(), false, true, true));
  TMJOptions options;
  options.Epsilon = static_cast<uint8_t>(c.epsilon);
  TMJCalculation calc(data, options);
  ASSERT_TRUE(calc.Calculate());
  const std::string out = (dir.path() / "net.out").string();
  ASSERT_TRUE(outfile::WriteOutText(out, MJOutText(calc, rdf.string())));
  std::map<int, int> weightOf;
  for (int k = 1; k <= data.CharacterCount(); ++k) weightOf[k] = data.Character(k).Weight;

  // 3. Program 1: one good tree, drawn with its length.
  TNetwork_Diagramm near = solve(dir.path(), out, 1);
  ASSERT_EQ(near.SteinerTreeCount(), 1);
  EXPECT_GE(near.NodeCount(), calc.SequenceCount());
  EXPECT_EQ(checkTree(near, near.SteinerTrees[0], weightOf), near.SteinerLength);
  near.MarkSteinerTree(1);

  // 4. Program 2: one shortest tree, no longer than program 1's.
  TNetwork_Diagramm best = solve(dir.path(), out, 2);
  ASSERT_EQ(best.SteinerTreeCount(), 1);
  const long long optimum = checkTree(best, best.SteinerTrees[0], weightOf);
  EXPECT_EQ(optimum, best.SteinerLength);
  EXPECT_LE(optimum, near.SteinerLength);

  // 5. Program 4: the network of all shortest trees with trees that generate it; every tree is
  // shortest and together they cover the network the window marks.
  TNetwork_Diagramm all = solve(dir.path(), out, 4);
  ASSERT_GE(all.SteinerTreeCount(), 1);
  ASSERT_FALSE(all.SteinerNetwork.empty());
  std::set<int> covered;
  for (const SubTree& tree : all.SteinerTrees) {
    EXPECT_EQ(checkTree(all, tree, weightOf), optimum);
    covered.insert(tree.begin(), tree.end());
  }
  EXPECT_EQ(covered, std::set<int>(all.SteinerNetwork.begin(), all.SteinerNetwork.end()));
  for (int link : best.SteinerTrees[0]) EXPECT_TRUE(covered.contains(link)) << link;
  all.MarkSteinerNetwork();
  for (int link : all.SteinerNetwork) EXPECT_TRUE(all.Links[link - 1].Active) << link;

  // 6. Program 3: the same network of all shortest trees, without the trees.
  const TNetwork_Diagramm network = solve(dir.path(), out, 3);
  EXPECT_EQ(std::set<int>(network.SteinerNetwork.begin(), network.SteinerNetwork.end()), covered);
}

// Link numbers from 100000 on push the rest of their line one column to the right; the solver and
// the drawing window still read every link. 448 taxa of nine binary characters (the numbers
// 1..448) and one median vector (the number 0), every pair linked: 100576 links. Links of one
// mutation join all taxa without the median vector, so the shortest tree is 447 long.
TEST(RoadLarge, AHundredThousandLinksReachTheSolverAndTheDrawing) {
  testpaths::TempDir dir;
  ScriptedDialogsScope dialogs;
  Trdf_DataSet data;
  for (int c = 1; c <= 9; ++c) data.Characters.push_back(Trdf_Character{.Name = "c" + std::to_string(c), .Weight = 1});
  const int taxa = 449;
  for (int t = 1; t <= taxa; ++t) {
    Trdf_Sequence s;
    const int number = t == taxa ? 0 : t;
    for (int bit = 8; bit >= 0; --bit) s.States += (number >> bit) & 1 ? '1' : '0';
    s.Name = t == taxa ? "mv   1" : "T" + std::to_string(t);
    s.Frequency = t == taxa ? 0 : 1;
    data.Taxa.push_back(s);
  }
  TMJLinkList links;
  for (int a = 1; a <= taxa; ++a)
    for (int b = a + 1; b <= taxa; ++b) links.push_back({a, b, 0});
  ASSERT_EQ(links.size(), 100576u);

  // The writer's sections in the order of a reduced-median file.
  std::string text;
  outfile::AppendLine(text, "Results of file large.rdf with reduction threshold=" + outfile::ScientificThreshold(2));
  outfile::AppendLine(text, "");
  outfile::AppendEquivalentTaxa(text, data, false);
  outfile::AppendLinks(text, data, links, outfile::MutationMarks::Blank);
  outfile::AppendLine(text, outfile::StarLine());
  for (int t = 1; t <= taxa; ++t)
    outfile::AppendLine(text, outfile::FrequencyLine(outfile::SequenceKey(data.Taxon(t).Name, t), data.Taxon(t).Frequency, 3));
  outfile::AppendLine(text, outfile::StarLine());
  outfile::AppendWeights(text, data, true);
  outfile::AppendLine(text, outfile::StarLine());
  outfile::AppendCharacterMappings(text, data);
  for (int t = 1; t <= taxa; ++t) outfile::AppendTaxonMapping(text, outfile::SequenceKey(data.Taxon(t).Name, t), data.Taxon(t));
  const std::string out = (dir.path() / "large.out").string();
  ASSERT_TRUE(outfile::WriteOutText(out, text));
  ASSERT_NE(text.find("\r\nLink100000 0 Seq.    415 with Seq.    434, mutations at "), std::string::npos);

  std::map<int, int> weightOf;
  for (int k = 1; k <= 9; ++k) weightOf[k] = 1;
  for (int program : {1, 2}) {
    SCOPED_TRACE("program " + std::to_string(program));
    const TNetwork_Diagramm d = solve(dir.path(), out, program);
    ASSERT_EQ(d.LinkCount(), 100576);
    EXPECT_EQ(d.Links.back().Taxon1, "   448");
    EXPECT_EQ(d.Links.back().Taxon2, "mv   1");
    ASSERT_EQ(d.Links.back().Mutations.size(), 3u);  // 448 is 111000000
    EXPECT_EQ(d.Links.back().Mutations[2].Character, "3       ");
    ASSERT_EQ(d.SteinerTreeCount(), 1);
    EXPECT_EQ(d.SteinerLength, 447);
    EXPECT_EQ(checkTree(d, d.SteinerTrees[0], weightOf), 447);
  }
}

INSTANTIATE_TEST_SUITE_P(MainRoad, Road,
                         ::testing::Values(RoadCase{"example", false, "example.rdf", 0},
                                           RoadCase{"example_eps10", false, "example.rdf", 10},
                                           RoadCase{"woodmouse", true, "mj/woodmouse_cytb.phy", 0},
                                           RoadCase{"dolphin", true, "mj/dolphin_dloop.phy", 0},
                                           RoadCase{"h1n1", true, "mj/h1n1_na_usa.phy", 0},
                                           RoadCase{"dolphin_eps10", true, "mj/dolphin_dloop.phy", 10}),
                         [](const auto& info) { return std::string(info.param.name); });
