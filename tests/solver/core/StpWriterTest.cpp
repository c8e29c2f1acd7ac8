#include "ReduceGraph.h"
#include "StpReader.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

using namespace tesmo;
using namespace tesmotest;

namespace {

Graph readBack(const std::string& path) {
  Graph g;
  StpReader reader;
  EXPECT_TRUE(reader.read(g, path)) << reader.error();
  return g;
}

using EdgeSet = std::vector<std::tuple<int, int, int>>;

EdgeSet edgesOf(const Graph& g) {
  EdgeSet edges;
  for (int a = 1; a <= 2 * g.E; ++a)
    if (g.arcs[a].tail < g.arcs[a].head) edges.emplace_back(g.arcs[a].tail, g.arcs[a].head, g.arcs[a].cost);
  std::sort(edges.begin(), edges.end());
  return edges;
}

TEST(SaveGraph, NetworkFileHasTheFormatsLayout) {
  tesmotest::LogCapture log(5);
  shell.Sset("problem", log.dir().file("net.out"));
  Graph g = makeGraph(3, {{1, 2, 10}, {2, 3, 20}}, {1, 3});
  ReduceGraph R(g);
  const std::string path = log.dir().file("network.stp");
  R.saveGraph(path.c_str(), "");
  EXPECT_EQ(testpaths::readFile(path),
            "33D32945 STP File, STP Format Version 1.0\n\n"
            "Section Comment\n\nEnd\n\n"
            "Section Graph\nNodes 3\nEdges 2\nE 1 2 10\nE 2 3 20\nEnd\n\n"
            "Section Terminals\nTerminals 2\nT 1\nT 3\nEnd\n\n"
            "\nEOF\n");
  EXPECT_NE(log.text().find("saving Graph to: " + path + "\n"), std::string::npos);
}

TEST(SaveGraph, ReadingBackGivesTheSameInstance) {
  tesmotest::LogCapture log(5);
  Graph g = makeGraph(6, {{1, 2, 3}, {2, 3, 3}, {3, 4, 2}, {1, 5, 4}, {5, 4, 4}, {5, 6, 1}, {6, 3, 6}},
                      {1, 4, 6});
  ReduceGraph R(g);
  const std::string path = log.dir().file("round.stp");
  R.saveGraph(path.c_str(), nullptr);
  Graph back = readBack(path);
  EXPECT_EQ(back.V, g.V);
  EXPECT_EQ(edgesOf(back), edgesOf(g));
  EXPECT_EQ(back.R, 3);
  EXPECT_EQ(std::vector<int>(back.terminals.begin() + 1, back.terminals.begin() + 4),
            (std::vector<int>{1, 4, 6}));
}

TEST(SaveGraph, ValueWithoutValidTreeWritesNoTreeEdges) {
  tesmotest::LogCapture log(5);
  Graph g = makeGraph(3, {{1, 2, 10}, {2, 3, 20}}, {1, 3});
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}});
  R.setUpper(tree, nullptr, 0);
  R.destroyUpper();
  const std::string path = log.dir().file("value.stp");
  R.saveGraph(path.c_str(), nullptr);
  EXPECT_NE(testpaths::readFile(path).find("Section Tree\nValue 30\nTree-Edges 0\nEnd\n\nEOF\n"),
            std::string::npos);
}

TEST(SaveGraph, ContractedCostAndStoredTreeRoundTrip) {
  tesmotest::LogCapture log(5);
  // 1(T) -1- 2 -2- 3(T) -3- 4(T), 1 -9- 4; contract 3-4 and store the tree 1-2-{34}.
  Graph g = makeGraph(4, {{1, 2, 1}, {2, 3, 2}, {3, 4, 3}, {1, 4, 9}}, {1, 3, 4});
  ReduceGraph R(g);
  R.addPendingContraction(slotOf(R, 3, 4));
  R.updateContract(nullptr, true);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}});
  R.setUpper(tree, nullptr, 0);
  ASSERT_EQ(R.upperValue, 6);
  ASSERT_EQ(R.contractCost, 3);
  const std::string path = log.dir().file("contracted.stp");
  R.saveGraph(path.c_str(), nullptr);
  const std::string text = testpaths::readFile(path);
  EXPECT_NE(text.find("Nodes 4\nEdges 4\n"), std::string::npos) << text;
  EXPECT_NE(text.find("E 3 4 3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Terminals 3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Value 6\nTree-Edges 3\n"), std::string::npos) << text;

  shell.Sset("problem", path);
  Graph back = readBack(path);
  ReduceGraph B(back);
  B.readTree();
  EXPECT_INSTANCE_VALID(B);
  EXPECT_EQ(B.contractCost, 3);
  EXPECT_EQ(B.upperValue, 6);
  EXPECT_EQ(B.upperOk, 1);
  EXPECT_EQ(B.V, 3);
  EXPECT_NE(log.text().find("including contractCost\n"), std::string::npos);
}

TEST(SaveGraph, CarriesCommentsAndCoordinatesOfTheProblemFile) {
  tesmotest::LogCapture log(5);
  const std::string problem = testpaths::testData("solver/small.stp").string();
  shell.Sset("problem", problem);
  Graph g = readBack(problem);
  ReduceGraph R(g);
  R.readTree();
  EXPECT_EQ(R.upperValue, 9);
  const std::string path = log.dir().file("copy.stp");
  R.saveGraph(path.c_str(), nullptr);
  const std::string text = testpaths::readFile(path);
  EXPECT_NE(text.find("SECTION Comment\nName    \"small\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Section Coordinates\nDD 1 0 0\nDD 2 10 0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Value 9\nTree-Edges 3\n"), std::string::npos) << text;
}

struct TreeCase {
  const char* name;
  std::string treeSection;
  int upperValue;
  int upperOk;
  const char* logged;
};

void PrintTo(const TreeCase& c, std::ostream* os) { *os << c.name; }

class ReadTreeCases : public testing::TestWithParam<TreeCase> {};

TEST_P(ReadTreeCases, SeedsTheUpperBoundOnlyWhenTheTreeFits) {
  const TreeCase& c = GetParam();
  tesmotest::LogCapture log(5);
  const std::string path = log.dir().file("tree.stp");
  testpaths::writeFile(path, "33D32945 STP File, STP Format Version 1.0\n\nSECTION Graph\nNodes 3\n"
                             "Edges 2\nE 1 2 10\nE 2 3 20\nEND\n\nSECTION Terminals\nTerminals 2\n"
                             "T 1\nT 3\nEND\n\n" + c.treeSection + "EOF\n");
  shell.Sset("problem", path);
  shell.Sset("includeContractCost", "0");
  Graph g = readBack(path);
  ReduceGraph R(g);
  R.readTree();
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.upperValue, c.upperValue);
  EXPECT_EQ(R.upperOk, c.upperOk);
  EXPECT_NE(log.text().find(c.logged), std::string::npos) << log.text();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadTreeCases,
    testing::Values(
        TreeCase{"fits", "Section Tree\nValue 30\nTree-Edges 2\nTE 1 2\nTE 3 2\nEnd\n", 30, 1,
                 "(read from file)"},
        TreeCase{"noTreeSection", "", maxint, 0, "size: |V|=3"},
        TreeCase{"valueOnly", "SECTION TREE\nValue 25\nTree-Edges 0\nEnd\n", 25, 0,
                 "no tree saved, just setting upperValue: 25\n"},
        TreeCase{"edgeNotInTheInstance", "Section Tree\nValue 30\nTree-Edges 2\nTE 1 2\nTE 1 3\nEnd\n",
                 maxint, 0, "does not fit the instance, ignored.\n"},
        TreeCase{"vertexOutOfRange", "Section Tree\nValue 30\nTree-Edges 2\nTE 1 2\nTE 2 9\nEnd\n",
                 maxint, 0, "does not fit the instance, ignored.\n"},
        TreeCase{"tooManyEdges", "Section Tree\nValue 30\nTree-Edges 5\nTE 1 2\nTE 2 3\nEnd\n",
                 maxint, 0, "does not fit the instance, ignored.\n"},
        TreeCase{"cutShort", "Section Tree\nValue 30\nTree-Edges 2\nTE 1 2\n", maxint, 0,
                 "does not fit the instance, ignored.\n"}),
    [](const testing::TestParamInfo<TreeCase>& info) { return std::string(info.param.name); });

}  // namespace
