// The dynamic program over border partitions (letter Y): its optimum against the branch and
// bound and the enumeration oracle on narrow instances, the count of optimal trees, and the
// cases in which it refuses to run.

#include "DynSteiner.h"

#include "Branching.h"
#include "BruteForceOracle.h"
#include "DreyfusWagner.h"
#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "LogCapture.h"
#include "ReduceGraph.h"
#include "SafetyTest.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::ReduceGraph;

namespace {

struct DpRun {
  std::int64_t count = 0;
  int upper = tesmo::maxint;
  int lower = 0;
  bool ran = false;
  std::string log;
};

DpRun runDp(ReduceGraph& R, std::vector<std::string> options = {}) {
  LogCapture capture(3);
  tesmo::shell.clearVariables();
  for (const std::string& o : options) tesmo::shell.setAssignment(o);
  tesmo::registerScriptLetters();
  tesmo::DynSteiner dp;
  DpRun run;
  dp.run(R, run.count);
  run.ran = dp.completed();
  run.upper = R.upperValue;
  run.lower = R.lowerValue;
  run.log = capture.text();
  return run;
}

tesmo::Graph chain(int n, const std::vector<int>& costs, const std::vector<int>& terminals) {
  std::vector<Edge> edges;
  for (int i = 1; i < n; ++i) edges.push_back({i, i + 1, costs[(i - 1) % costs.size()]});
  return makeGraph(n, edges, terminals);
}

// The optimum of the branch and bound on a fresh copy of g.
int branchAndBound(const tesmo::Graph& g) {
  ReduceGraph R(g);
  tesmo::shell.clearVariables();
  tesmo::shell.Sset("Reduction", "v");
  tesmo::registerScriptLetters();
  tesmo::Branching search;
  return search.run(R, 0);
}

TEST(DynSteiner, ChainGivesThePathBetweenTheOutermostTerminals) {
  //  1 -3- 2 -1- 3 -4- 4 -1- 5 -5- 6 -9- 7 -2- 8
  const tesmo::Graph g = chain(8, {3, 1, 4, 1, 5, 9, 2}, {5, 2, 4});
  ReduceGraph R(g);
  const DpRun run = runDp(R);
  ASSERT_TRUE(run.ran) << run.log;
  EXPECT_EQ(run.upper, 1 + 4 + 1);
  EXPECT_EQ(run.lower, run.upper);
  EXPECT_TRUE(R.upperOk);
  EXPECT_NE(run.log.find("invalid dynStartVertex, set to zero."), std::string::npos);
}

struct ShapeCase {
  steinertest::Shape shape;
  int vertices;
};

class DynSteinerShapes : public testing::TestWithParam<ShapeCase> {};

// Narrow shapes with every cost pattern: the program runs, and its tree is optimal.
TEST_P(DynSteinerShapes, EqualsBranchAndBoundAndTheOracle) {
  using steinertest::Costs;
  const Costs costs[] = {Costs::Unit, Costs::Small, Costs::WithZero, Costs::ParallelPaths, Costs::Wide};
  int ran = 0;
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const auto inst = steinertest::generateInstance(seed, GetParam().shape, costs[seed % 5],
                                                    GetParam().vertices, 2 + static_cast<int>(seed % 6));
    ReduceGraph R(inst.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    const DpRun run = runDp(R, {"maxBorder=12"});
    if (!run.ran) continue;
    ++ran;
    EXPECT_EQ(run.upper, optimum) << inst.description;
    EXPECT_EQ(run.upper, branchAndBound(inst.graph)) << inst.description;
    EXPECT_EQ(run.lower, run.upper) << inst.description;
    EXPECT_EQ(steinertest::judgeInstance(inst.graph, R, optimum), "") << inst.description;
  }
  EXPECT_GE(ran, 10);
}

INSTANTIATE_TEST_SUITE_P(Narrow, DynSteinerShapes,
                         testing::Values(ShapeCase{steinertest::Shape::Ladder, 20},
                                         ShapeCase{steinertest::Shape::Ladder, 36},
                                         ShapeCase{steinertest::Shape::Grid, 16},
                                         ShapeCase{steinertest::Shape::Grid, 30},
                                         ShapeCase{steinertest::Shape::Sparse, 24},
                                         ShapeCase{steinertest::Shape::Wheel, 14}),
                         [](const testing::TestParamInfo<ShapeCase>& info) {
                           return std::string(steinertest::shapeName(info.param.shape)) +
                                  std::to_string(info.param.vertices);
                         });

// A tree that closes while another block is still open must not count: on a star of two arms
// whose far ends are terminals, the order closes one arm before it reaches the other.
TEST(DynSteiner, NeverJoinsSeparateComponentsIntoATree) {
  //      2 - 1 - 3           terminals 2 and 5; 1 - 4 costs 10, so the tree costs 12
  //          |
  //          4 - 5
  const tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {1, 3, 1}, {1, 4, 10}, {4, 5, 1}}, {2, 5});
  for (int start = 1; start <= 5; ++start) {
    ReduceGraph R(g);
    const DpRun run = runDp(R, {"dynStartVertex=" + std::to_string(start)});
    ASSERT_TRUE(run.ran) << run.log;
    EXPECT_EQ(run.upper, 12) << "start " << start;
  }
}

struct CountCase {
  const char* name;
  tesmo::Graph graph;
  int optimum;
  int trees;
};

// storeTrees 2 counts the optimal trees and offers none.
TEST(DynSteiner, StoreTreesTwoCountsTheOptimalTrees) {
  const CountCase cases[] = {
      // A square with terminals at opposite corners: two ways round.
      {"square", makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {1, 3}), 2, 2},
      // Three parallel paths of two edges.
      {"three paths", makeGraph(5, {{1, 2, 1}, {2, 5, 1}, {1, 3, 1}, {3, 5, 1}, {1, 4, 1}, {4, 5, 1}}, {1, 5}), 2, 3},
      // A single optimum beside a dearer detour.
      {"unique", makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 2}, {4, 1, 1}}, {1, 3}), 2, 1},
  };
  for (const CountCase& c : cases) {
    ReduceGraph R(c.graph);
    const DpRun run = runDp(R, {"storeTrees=2"});
    ASSERT_TRUE(run.ran) << c.name;
    EXPECT_EQ(run.count, c.trees) << c.name;
    EXPECT_NE(run.log.find("found " + std::to_string(c.trees) + " solution(s)."), std::string::npos) << c.name;
    EXPECT_NE(run.log.find("As trees are not stored, upper is not set."), std::string::npos) << c.name;
    EXPECT_EQ(run.upper, tesmo::maxint) << c.name;
    EXPECT_EQ(run.lower, 0) << c.name;
    EXPECT_EQ(bruteForce(c.graph).optimalTreeCount, c.trees) << c.name;
    EXPECT_EQ(tesmo::SolutionTree::liveNodes, 0) << c.name;
  }
}

TEST(DynSteiner, StoreTreesZeroLeavesBothBounds) {
  const tesmo::Graph g = chain(6, {2, 1, 3}, {1, 6});
  ReduceGraph R(g);
  const DpRun run = runDp(R, {"storeTrees=0"});
  EXPECT_TRUE(run.ran);
  EXPECT_EQ(run.upper, tesmo::maxint);
  EXPECT_EQ(run.lower, 0);
  EXPECT_NE(run.log.find("As trees are not stored, upper is not set."), std::string::npos);
}

// A grid of 11 x 11 has no order whose border stays within 9 vertices.
TEST(DynSteiner, TooWideABorderAborts) {
  std::vector<Edge> edges;
  const int n = 11;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const int v = r * n + c + 1;
      if (c + 1 < n) edges.push_back({v, v + 1, 1});
      if (r + 1 < n) edges.push_back({v, v + n, 1});
    }
  const tesmo::Graph g = makeGraph(n * n, edges, {1, n * n, n * n / 2});
  for (const char* start : {"dynStartVertex=0", "dynStartVertex=61"}) {
    ReduceGraph R(g);
    const DpRun run = runDp(R, {start});
    EXPECT_FALSE(run.ran) << start;
    EXPECT_EQ(run.count, -1) << start;
    EXPECT_NE(run.log.find("brach-width too high, dynamic programming aborted."), std::string::npos) << start;
    EXPECT_EQ(run.upper, tesmo::maxint) << start;
    EXPECT_EQ(run.lower, 0) << start;
  }
}

TEST(DynSteiner, SmallGapSkipsTheRun) {
  const tesmo::Graph g = chain(6, {100}, {1, 6});
  ReduceGraph R(g);
  storeSimpleTree(R);  // the chain itself: 500
  R.setLower(490, 0);  // gap 2 %: below the default of 3
  const int lower = R.lowerValue;
  const DpRun run = runDp(R);
  EXPECT_FALSE(run.ran);
  EXPECT_NE(run.log.find("%) to low, dynamic programming skipped."), std::string::npos) << run.log;
  EXPECT_EQ(run.lower, lower);
}

// The gap is computed in 64 bits: costs near the limit must not wrap it negative.
TEST(DynSteiner, GapOfLargeCostsDoesNotOverflow) {
  const tesmo::Graph g = makeGraph(3, {{1, 2, 700000000}, {2, 3, 700000000}}, {1, 3});
  ReduceGraph R(g);
  R.setLower(1, 0);
  const DpRun run = runDp(R);
  ASSERT_TRUE(run.ran) << run.log;
  EXPECT_EQ(run.upper, 1400000000);
}

TEST(DynSteiner, LetterKeepsTheOptimumAndTheTree) {
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  const auto failures = steinertest::checkSafety([](ReduceGraph& R) { tesmo::dynsteiner(R); });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

}  // namespace
