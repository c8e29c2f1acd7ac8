// The main road, end to end and headless: a data file -> median joining -> .out -> the real solver
// -> .sto -> the diagram with its shortest tree.
#include "Dia_File.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "umwandl.h"

#include <gtest/gtest.h>

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
  int program;
};

std::string caseName(const ::testing::TestParamInfo<RoadCase>& info) {
  return std::string(info.param.name) + "_p" + std::to_string(info.param.program);
}

fs::path sourcePath(const RoadCase& c) {
  return c.shared ? testpaths::sharedData(c.file)
                  : fs::path(TARVANE_SOURCE_DIR) / "examples" / c.file;
}

int find(std::vector<int>& parent, int x) {
  while (parent[x] != x) x = parent[x] = parent[parent[x]];
  return x;
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

  // 3. The solver, as the MP panel starts it.
  const std::string sto = (dir.path() / "net.sto").string();
  const std::string log = (dir.path() / "net.log").string();
  const std::string command = std::string("\"") + TESMO_EXE + "\" \"" + out + "\" " +
                              std::to_string(c.program) + " \"" + sto + "\" \"" + log +
                              "\" > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << testpaths::readFile(log);
  const std::string logText = testpaths::readFile(log);
  EXPECT_NE(logText.find("\nprocess time: "), std::string::npos) << logText;
  EXPECT_EQ(logText.find("Warning:"), std::string::npos) << logText;
  EXPECT_EQ(logText.find("Error:"), std::string::npos) << logText;

  if (std::getenv("ROAD_KEEP")) fs::copy(dir.path(), std::getenv("ROAD_KEEP"), fs::copy_options::overwrite_existing | fs::copy_options::recursive);
  // 4. The drawing window's reader: the network and its shortest tree.
  TNetwork_Diagramm d;
  std::string error;
  ASSERT_TRUE(LoadStoFile(d, sto, &error)) << error;
  ASSERT_GE(d.SteinerTreeCount(), 1);
  EXPECT_GE(d.NodeCount(), calc.SequenceCount());

  // The tree is a tree over nodes of the network that joins every observed type, and its length
  // is the weighted sum of its links' mutations.
  std::map<int, int> weightOf;
  for (int k = 1; k <= data.CharacterCount(); ++k) weightOf[k] = data.Character(k).Weight;
  std::vector<int> parent(d.NodeCount());
  std::iota(parent.begin(), parent.end(), 0);
  long long length = 0;
  for (int link : d.SteinerTrees[0]) {
    ASSERT_GE(link, 1);
    ASSERT_LE(link, d.LinkCount());
    const LinkType& l = d.Links[link - 1];
    const int a = d.FindNode(l.Taxon1), b = d.FindNode(l.Taxon2);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_NE(find(parent, a), find(parent, b)) << "cycle through link " << link;
    parent[find(parent, a)] = find(parent, b);
    for (const MutationType& m : l.Mutations) length += weightOf[std::stoi(m.Character)];
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
  EXPECT_EQ(length, d.SteinerLength);
  d.MarkSteinerTree(1);
}

INSTANTIATE_TEST_SUITE_P(
    MainRoad, Road,
    ::testing::Values(RoadCase{"example", false, "example.rdf", 0, 1},
                      RoadCase{"example_eps10", false, "example.rdf", 10, 1},
                      RoadCase{"woodmouse", true, "mj/woodmouse_cytb.phy", 0, 1},
                      RoadCase{"dolphin", true, "mj/dolphin_dloop.phy", 0, 1}),
    caseName);
