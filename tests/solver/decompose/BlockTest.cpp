// The block decomposition (letter b) and the block search it rests on: hand-made block
// structures, the oracle over instances with articulation vertices, and long paths.

#include "AlgorithmTable.h"
#include "BlockAnalyser.h"
#include "ExactDefaults.h"
#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "LogCapture.h"
#include "ReduceGraph.h"
#include "SafetyTest.h"
#include "Shell.h"
#include "TriCon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmotest;
using decomposetest::exactDefaults;
using tesmo::ReduceGraph;

namespace {

int countOf(const std::string& text, const std::string& piece) {
  int n = 0;
  for (std::size_t p = text.find(piece); p != std::string::npos; p = text.find(piece, p + 1)) ++n;
  return n;
}

TEST(BlockSearch, CountsBlocksAndRecordsOnlyThoseBetweenTerminals) {
  // Two triangles sharing vertex 3, a pendant triangle 5-6-7 on vertex 5 without terminals:
  //   1 - 2        4
  //    \ /        / \
  //     3 ------ 5   (3-4, 4-5, 3-5 triangle)
  //              |\
  //              6-7
  const tesmo::Graph g = makeGraph(7, {{1, 2, 1}, {2, 3, 1}, {1, 3, 1}, {3, 4, 1}, {4, 5, 1}, {3, 5, 1},
                                        {5, 6, 1}, {6, 7, 1}, {5, 7, 1}},
                                   {1, 4});
  ReduceGraph R(g);
  LogCapture capture(0);
  exactDefaults();
  tesmo::BlockAnalyser analyser(R);
  analyser.reset();
  analyser.search(1);
  EXPECT_EQ(analyser.blockCount(), 3);
  EXPECT_EQ(analyser.recordedCount(), 2);
  EXPECT_EQ(analyser.blockOf(3), tesmo::maxint);  // joins the two recorded blocks
  EXPECT_EQ(analyser.blockOf(6), 0);              // only in the pendant block
  EXPECT_EQ(tesmo::biconTest(R), 2);
}

struct BlockCase {
  const char* name;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  int liveEdgesAfter;        // -1: not checked
  std::int64_t optimum;
};

class BlockDecomposition : public testing::TestWithParam<BlockCase> {};

TEST_P(BlockDecomposition, KeepsTheOptimumAndShrinksAsExpected) {
  const BlockCase& c = GetParam();
  const tesmo::Graph g = makeGraph(c.V, c.edges, c.terminals);
  ReduceGraph R(g);
  LogCapture capture(3);
  exactDefaults();
  tesmo::biConNew(R);
  if (c.liveEdgesAfter >= 0) EXPECT_EQ(R.Eanz, c.liveEdgesAfter) << capture.text();
  EXPECT_EQ(steinertest::judgeInstance(g, R, c.optimum), "");
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, BlockDecomposition,
    testing::Values(
        // One block: nothing changes.
        BlockCase{"cycle", 4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {1, 3}, 4, 2},
        // A path of terminals: every edge a bridge, all contracted.
        BlockCase{"path", 5, {{1, 2, 3}, {2, 3, 4}, {3, 4, 5}, {4, 5, 6}}, {1, 2, 3, 4, 5}, 0, 18},
        // A pendant triangle without terminals stays as it is (its edges are no one's business).
        BlockCase{"pendant", 5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 2, 1}, {1, 5, 2}, {5, 2, 2}}, {1, 2}, -1, 1},
        // Two triangles through a non-terminal articulation vertex 3: each block solved with 3
        // required, its tree contracted, its other edge deleted.
        BlockCase{"twoBlocks", 5, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}, {3, 4, 2}, {4, 5, 2}, {3, 5, 1}}, {1, 5}, 0, 3}),
    [](const testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.name); });

TEST(BlockDecomposition, LogsItsCountsAndLeavesABiconnectedInstanceAlone) {
  const tesmo::Graph path = makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 2, 3, 4});
  ReduceGraph R(path);
  LogCapture capture(3);
  exactDefaults();
  tesmo::biConNew(R);
  EXPECT_NE(capture.text().find("3/3 BiCons!"), std::string::npos) << capture.text();
  EXPECT_NE(capture.text().find("deleted edges: 0, contracted: 3"), std::string::npos) << capture.text();

  const tesmo::Graph cycle = makeGraph(3, {{1, 2, 1}, {2, 3, 1}, {3, 1, 1}}, {1, 2});
  ReduceGraph C(cycle);
  LogCapture quiet(3);
  exactDefaults();
  tesmo::biConNew(C);
  EXPECT_EQ(quiet.text().find("BiCons!"), std::string::npos);
  EXPECT_EQ(C.Eanz, 3);
}

TEST(BlockDecomposition, ABlockOfMoreThanHalfTheEdgesIsLeftToTheSearch) {
  // A square (4 edges) and a bridge: E = 5, E/2 = 2, so the square stays; the bridge goes.
  const tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}, {3, 5, 1}}, {1, 5});
  ReduceGraph R(g);
  LogCapture capture(0);
  exactDefaults();
  tesmo::biConNew(R);
  EXPECT_EQ(R.Eanz, 4);
  EXPECT_EQ(R.contractCost, 1);
}

TEST(BlockDecomposition, ContractingOutsideTheStoredTreeDestroysIt) {
  // Triangle 1-2-3 and the path 3-4-5-6; the stored tree goes round 1-2-3, the block's tree is
  // the edge 1-3, so the tree's edge 1-2 is deleted.
  const tesmo::Graph g = makeGraph(6, {{1, 2, 1}, {2, 3, 1}, {1, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 1}}, {1, 6});
  ReduceGraph R(g);
  tesmo::IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}});
  R.setUpper(tree, "test", 0);
  ASSERT_TRUE(R.upperOk);
  LogCapture capture(3);
  exactDefaults();
  tesmo::biConNew(R);
  EXPECT_FALSE(R.upperOk);
  EXPECT_NE(capture.text().find("Upper destroyed!"), std::string::npos);
  EXPECT_EQ(steinertest::judgeInstance(g, R, 4), "");
}

TEST(BlockDecomposition, WithPruneABlockTakesTheHeuristicTree) {
  const tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}, {3, 4, 2}, {4, 5, 2}, {3, 5, 1}}, {1, 5});
  ReduceGraph R(g);
  LogCapture capture(0);
  exactDefaults({"biconPrune=1"});
  tesmo::biConNew(R);
  EXPECT_LT(R.Eanz, 6);
  EXPECT_EQ(steinertest::judgeInstance(g, R, 3), "");
}

TEST(BlockDecomposition, KeepsTheOptimumOnInstancesWithArticulationVertices) {
  std::vector<steinertest::GeneratedInstance> instances;
  for (unsigned seed = 1; seed <= 150; ++seed) instances.push_back(steinertest::articulatedInstance(seed));
  LogCapture capture(0);
  exactDefaults();
  int shrunk = 0;
  const auto failures = steinertest::checkSafetyOn(
      [&shrunk](ReduceGraph& R) {
        const int before = R.Eanz;
        tesmo::biConNew(R);
        if (R.Eanz < before) ++shrunk;
      },
      instances);
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  EXPECT_GT(shrunk, 100);
}

TEST(BlockDecomposition, TwoTerminalLetterTakesTheBlockRoadWhenNotBiconnected) {
  const tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}, {3, 4, 2}, {4, 5, 2}, {3, 5, 1}}, {1, 5});
  ReduceGraph R(g);
  LogCapture capture(3);
  exactDefaults();
  tesmo::triCon(R);
  EXPECT_NE(capture.text().find("graph not biconnected! TriCon->biCon"), std::string::npos);
  EXPECT_EQ(R.Eanz, 0);
  EXPECT_EQ(steinertest::judgeInstance(g, R, 3), "");
}

TEST(BlockDecomposition, LongPathsRunWithoutDeepRecursion) {
  // 20000 vertices in a row, every fifth required, and the same with the ends joined (one
  // block: the two-terminal letter then searches its pairs).
  constexpr int n = 20000;
  for (bool closed : {false, true}) {
    std::vector<Edge> edges;
    for (int v = 1; v < n; ++v) edges.push_back({v, v + 1, 1 + v % 3});
    if (closed) edges.push_back({n, 1, 1});
    std::vector<int> terminals;
    for (int v = 1; v <= n; v += 5000) terminals.push_back(v);
    const tesmo::Graph g = makeGraph(n, edges, terminals);
    LogCapture capture(0);
    exactDefaults();
    ReduceGraph B(g);
    tesmo::biConNew(B);
    if (!closed) EXPECT_LT(B.Eanz, n - 1);
    ReduceGraph C(g);
    tesmo::shell.setAssignment("maxSeparators=3");
    tesmo::triCon(C);
    EXPECT_LE(C.Eanz, n - (closed ? 0 : 1));
  }
}

}  // namespace

namespace {

TEST(BlockAlgorithm, SearchesTheCurrentGraphAndChangesNothing) {
  // Two blocks joined at vertex 3, and a path with one terminal: the entry only searches.
  const tesmo::Graph blocks = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}, {3, 4, 2}, {4, 5, 2}, {3, 5, 1}}, {1, 5});
  for (const tesmo::Graph& original : {blocks, makeGraph(3, {{1, 2, 4}, {2, 3, 4}}, {2})}) {
    tesmo::Graph g = original;
    tesmo::Graph* const saved = tesmo::currentGraph;
    tesmo::currentGraph = &g;
    LogCapture capture(3);
    exactDefaults();
    tesmo::algorithmTable("biCon")();
    tesmo::currentGraph = saved;
    EXPECT_EQ(g.V, original.V);
    ASSERT_EQ(g.E, original.E);
    for (int a = 1; a <= 2 * g.E; ++a) EXPECT_EQ(g.arcs[a].cost, original.arcs[a].cost);
    EXPECT_EQ(capture.text().find("BiCons!"), std::string::npos);
  }
}

}  // namespace
