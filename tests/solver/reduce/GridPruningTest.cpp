// Grid pruning on a small grid of three rows: rows run along axis A (cost 13), columns along
// axis B (cost 5). The middle row lies between two complete parallel rows.
//
//   1 -- 2 -- 3 -- 4 -- 5      top and bottom rows: all terminals
//   |    |    |    |    |
//   6 -- 7 -- 8 -- 9 -- 10     middle row: none, or two terminals
//   |    |    |    |    |
//   11 - 12 - 13 - 14 - 15

#include "ReduceGraph.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

using namespace tesmo;
using namespace tesmotest;

namespace {

constexpr int kColumns = 5;

Graph grid(const std::vector<int>& middleTerminals) {
  std::vector<Edge> edges;
  auto vertex = [](int row, int column) { return row * kColumns + column + 1; };
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column + 1 < kColumns; ++column)
      edges.emplace_back(vertex(row, column), vertex(row, column + 1), 13);
  for (int row = 0; row + 1 < 3; ++row)
    for (int column = 0; column < kColumns; ++column)
      edges.emplace_back(vertex(row, column), vertex(row + 1, column), 5);
  std::vector<int> terminals;
  for (int column = 0; column < kColumns; ++column) {
    terminals.push_back(vertex(0, column));
    terminals.push_back(vertex(2, column));
  }
  for (int v : middleTerminals) terminals.push_back(v);
  return makeGraph(3 * kColumns, edges, terminals);
}

// The plain arcs of the middle row's edges (axis A), each once.
std::vector<int> middleRowArcs(const Graph& g) {
  std::vector<int> list;
  for (int a = 1; a <= 2 * g.E; ++a) {
    const Arc& arc = g.arcs[a];
    if (arc.head < arc.tail && arc.cost == 13 && arc.tail > kColumns && arc.tail <= 2 * kColumns)
      list.push_back(a);
  }
  return list;
}

// Whether the identity still lives in R, itself or inside a merged edge.
bool identityLives(const ReduceGraph& R, int id) {
  for (int t = R.mergeHistory[0] - 2; t >= 1; t -= 3)
    if (R.mergeHistory[t] == id || R.mergeHistory[t + 1] == id) return identityLives(R, R.mergeHistory[t + 2]);
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && R.ID[s] == id) return true;
  return false;
}

class GridPruning : public ::testing::Test {
protected:
  void TearDown() override { currentGraph = nullptr; }
};

TEST_F(GridPruning, AnEmptyLineBetweenTwoParallelLinesLosesItsEdges) {
  tesmotest::LogCapture log(3);
  Graph input = grid({});
  currentGraph = &input;
  ReduceGraph R(input);
  R.pruneGrid();
  EXPECT_NE(log.text().find("Prune Grid: 4 / 4\n"), std::string::npos) << log.text();
  for (int a : middleRowArcs(input)) EXPECT_FALSE(identityLives(R, a)) << a;
  EXPECT_EQ(InstanceChecker().check(R), "");
}

TEST_F(GridPruning, ALineWithTwoTerminalsKeepsItsEdges) {
  tesmotest::LogCapture log(3);
  Graph input = grid({7, 9});
  currentGraph = &input;
  ReduceGraph R(input);
  R.pruneGrid();
  EXPECT_NE(log.text().find("Prune Grid: 0 / 0\n"), std::string::npos) << log.text();
  for (int a : middleRowArcs(input)) EXPECT_TRUE(identityLives(R, a)) << a;
  EXPECT_EQ(InstanceChecker().check(R), "");
}

TEST_F(GridPruning, SkipGridChangesNothingAndLogsNothing) {
  tesmotest::LogCapture log(5);
  shell.Sset("skipGrid", "1");
  Graph input = grid({});
  currentGraph = &input;
  ReduceGraph R(input);
  const auto arcs = R.arcs;
  R.pruneGrid();
  EXPECT_EQ(R.arcs, arcs);
  EXPECT_EQ(R.Eanz, input.E);
  EXPECT_EQ(log.text(), "");
}

TEST_F(GridPruning, AVertexWithTwoSuccessorsLeavesEveryLine) {
  tesmotest::LogCapture log(3);
  // A second axis-A edge from 8 (to 10) gives 8 two neighbours in one direction: 8 is unusable
  // and the middle row is no longer one line between complete cells.
  Graph input = grid({});
  std::vector<Edge> edges;
  for (int a = 1; a <= 2 * input.E; ++a)
    if (input.arcs[a].tail < input.arcs[a].head)
      edges.emplace_back(input.arcs[a].tail, input.arcs[a].head, input.arcs[a].cost);
  edges.emplace_back(8, 10, 13);
  std::vector<int> terminals(input.terminals.begin() + 1, input.terminals.begin() + input.R + 1);
  input = makeGraph(input.V, edges, terminals);
  currentGraph = &input;
  ReduceGraph R(input);
  R.pruneGrid();
  EXPECT_NE(log.text().find("Prune Grid: 0 / 0\n"), std::string::npos) << log.text();
  const int s = slotOf(R, 8, 10);
  EXPECT_TRUE(s != 0 || identityLives(R, input.findArc(10, 8)));
  EXPECT_EQ(InstanceChecker().check(R), "");
}

}  // namespace
