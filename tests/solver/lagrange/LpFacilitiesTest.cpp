// The terminal-edge contraction and the adjacency timing walk of the LP module.

#include "LpFiles.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "SafetyTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

struct ContractCase {
  const char* name;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  int contracted;
  std::int64_t optimum;
};

class ContractTerminalEdges : public testing::TestWithParam<ContractCase> {};

TEST_P(ContractTerminalEdges, ContractsOnlyCheapestEdgesBetweenTerminals) {
  const ContractCase& c = GetParam();
  const Graph g = makeGraph(c.V, c.edges, c.terminals);
  ReduceGraph R(g);
  LogCapture capture(3);
  const int terminalsBefore = R.R;
  EXPECT_EQ(contractTerminalEdges(R), c.contracted);
  EXPECT_NE(capture.text().find("Contract: " + std::to_string(c.contracted) + "\n"), std::string::npos);
  EXPECT_EQ(R.R, terminalsBefore - c.contracted);  // each contraction joins two terminals
  EXPECT_EQ(steinertest::judgeInstance(g, R, c.optimum), "");
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ContractTerminalEdges,
    testing::Values(
        // Terminals 1 and 2 joined by their cheapest edge.
        ContractCase{"CheapestEdge", 3, {{1, 2, 1}, {2, 3, 5}, {1, 3, 4}}, {1, 2}, 1, 1},
        // 1-2 costs 3, but both terminals have a cheaper edge to the Steiner vertex 3 (optimum 2).
        ContractCase{"NotCheapest", 3, {{1, 2, 3}, {1, 3, 1}, {2, 3, 1}}, {1, 2}, 0, 2},
        // A triangle of terminals: the third edge would close a cycle.
        ContractCase{"TriangleOfTerminals", 3, {{1, 2, 1}, {2, 3, 1}, {1, 3, 1}}, {1, 2, 3}, 2, 2},
        // 1-2 (2) is 1's cheapest edge; the joined group then has 2-4 (1) as its cheapest, so
        // 2-3 (2) must stay: the Steiner vertex 4 reaches 3 for 1 (optimum 2 + 1 + 1).
        ContractCase{"GroupCostFalls", 4, {{1, 2, 2}, {2, 3, 2}, {2, 4, 1}, {4, 3, 1}}, {1, 2, 3}, 1, 4},
        // No terminal pair adjacent.
        ContractCase{"NoPair", 3, {{1, 3, 1}, {3, 2, 1}}, {1, 2}, 0, 2}),
    [](const testing::TestParamInfo<ContractCase>& info) { return info.param.name; });

TEST(ContractTerminalEdgesSafety, KeepsTheOptimum) {
  LogCapture capture(0);
  int contracted = 0;
  const auto failures = steinertest::checkSafety([&](ReduceGraph& R) { contracted += contractTerminalEdges(R); });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  EXPECT_GT(contracted, 0);  // the mix does hold adjacent terminals
}

TEST(AdjacencyTimingTest, WalksAgreeAndChangeNothing) {
  // Terminals 1, 4 and 5; the stored tree is a pruned spanning tree.
  ReduceGraph R(makeGraph(6, {{1, 2, 2}, {2, 3, 2}, {3, 4, 2}, {2, 5, 3}, {1, 6, 4}, {6, 4, 3}, {5, 6, 2}}, {1, 4, 5}));
  IntArray tree = mstPruneTree(R);
  R.setUpper(tree, "seed", 0);
  ASSERT_TRUE(R.upperOk);
  const std::vector<Arc> arcs(R.arcs.begin(), R.arcs.begin() + 2 * R.E + 1);
  const int upper = R.upperValue, edges = R.Eanz;
  LogCapture capture(3);
  const auto counts = adjacencyTimingTest(R);
  EXPECT_GT(counts[0], 0);
  EXPECT_EQ(counts[1], counts[0]);
  EXPECT_EQ(counts[2], counts[0]);
  EXPECT_EQ(counts[0] % 100, 0);  // every run makes the same improvements
  const std::string text = capture.text();
  EXPECT_NE(text.find("G->upperOk:1, "), std::string::npos) << text;
  for (const char* label : {"Version with ed: ", "Version with ep: ", "Version with rec: "})
    EXPECT_NE(text.find(std::string(label) + "   " + std::to_string(counts[0]) + "  "), std::string::npos) << text;
  EXPECT_EQ(std::vector<Arc>(R.arcs.begin(), R.arcs.begin() + 2 * R.E + 1), arcs);
  EXPECT_EQ(R.upperValue, upper);
  EXPECT_EQ(R.Eanz, edges);
  EXPECT_TRUE(R.upperOk);
}

TEST(AdjacencyTimingTest, HugeCostsDoNotWrap) {
  // Two edges of cost near maxint: a path sum past 32 bits saturates instead of turning negative.
  ReduceGraph R(makeGraph(3, {{1, 2, maxint - 1}, {2, 3, maxint - 1}}, {1, 3}));
  LogCapture capture(0);
  const auto counts = adjacencyTimingTest(R);
  EXPECT_EQ(counts[0], 0);  // no stored tree: nothing counted
  EXPECT_EQ(counts[1], 0);
}

}  // namespace
