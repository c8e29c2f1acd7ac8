// Distance-ranked pruning r and R: the numbers of vertices they aim at, their limits, the first
// tree of reduce, and that what they leave still holds valid trees no cheaper than the optimum.

#include "DistanceRankedPruning.h"
#include "AscentEngine.h"
#include "Shell.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "ReductionSafety.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

// A side x side grid of unit costs (vertex (r, c) = r * side + c + 1) with the given terminals.
Graph grid(int side, const std::vector<int>& terminals) {
  std::vector<Edge> edges;
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c) {
      const int v = r * side + c + 1;
      if (c + 1 < side) edges.emplace_back(v, v + 1, 1 + (r + c) % 3);
      if (r + 1 < side) edges.emplace_back(v, v + side, 1 + (r * c) % 4);
    }
  return makeGraph(side * side, edges, terminals);
}

std::vector<int> spreadTerminals(int vertices, int count) {
  std::vector<int> t;
  for (int i = 0; i < count; ++i) t.push_back(1 + i * vertices / count);
  return t;
}

TEST(DistanceRankedPruning, PercentAndNumber) {
  struct Case {
    int terminals, live, minPercent, maxPercent, percent, number;
  };
  for (const Case& c : std::vector<Case>{{10, 100, 2, maxint, 20, 20},   // reduce
                                         {10, 100, 5, 20, 20, 20},      // WCreduce
                                         {40, 100, 2, maxint, 2, 2},
                                         {40, 100, 5, 20, 5, 5},
                                         {1, 100, 5, 20, 20, 20},       // 47 capped by reduceMax
                                         {3, 10, 2, maxint, 2, 1}}) {   // raised to reduceMinNo
    SCOPED_TRACE(testing::Message() << c.terminals << "/" << c.live << " max " << c.maxPercent);
    const PruneCount n = pruneCount(c.terminals, c.live, 1.0, c.minPercent, c.maxPercent, 1);
    EXPECT_EQ(n.percent, c.percent);
    EXPECT_EQ(n.number, c.number);
  }
}

TEST(DistanceRankedPruning, ReduceDeletesTheComputedNumberOnAGrid) {
  tesmotest::LogCapture log{3};
  ReduceGraph R(grid(10, spreadTerminals(100, 10)));
  ASSERT_EQ(R.Vanz, 100);
  reduce(R);
  const std::string text = log.text();
  EXPECT_NE(text.find("reduce: 20, reduceMin: 1 ==> number: 20\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Calculating a solution...\n"), std::string::npos);
  EXPECT_NE(text.find("deleted vertices:  20\n"), std::string::npos) << text;
  // The first tree stays stored with its value but no longer counts as the instance's.
  EXPECT_LT(R.upperValue, maxint);
  EXPECT_FALSE(R.upperOk);
  EXPECT_INSTANCE_VALID(R);
}

TEST(DistanceRankedPruning, WCreduceAimsAtTheCappedNumber) {
  tesmotest::LogCapture log{3};
  ReduceGraph R(grid(10, spreadTerminals(100, 10)));
  const int before = R.Vanz;
  WCreduce(R);
  EXPECT_NE(log.text().find("number: 20\n"), std::string::npos) << log.text();
  EXPECT_NE(log.text().find("set to degree2:"), std::string::npos);
  EXPECT_LT(R.Vanz, before);
  EXPECT_INSTANCE_VALID(R);
}

TEST(DistanceRankedPruning, SmallInstancesAreLeftAlone) {
  tesmotest::LogCapture log{3};
  // A path of 9 vertices, terminals at its ends: 7 non-terminals (below exactMstMax 8).
  std::vector<Edge> path;
  for (int v = 1; v < 9; ++v) path.emplace_back(v, v + 1, 1);
  ReduceGraph R(makeGraph(9, path, {1, 9}));
  R.upperValueValid = 1;
  reduce(R);
  EXPECT_EQ(R.Vanz, 9);
  EXPECT_EQ(R.upperValueValid, 0);

  // WCreduce needs more than 11 non-terminals: 11 leave it untouched, 12 let it run.
  for (int n : {11, 12}) {
    SCOPED_TRACE(n);
    std::vector<Edge> longer;
    for (int v = 1; v <= n + 1; ++v) longer.emplace_back(v, v + 1, 1 + v % 2);
    for (int v = 1; v + 3 <= n + 2; v += 3) longer.emplace_back(v, v + 3, 4);
    ReduceGraph W(makeGraph(n + 2, longer, {1, n + 2}));
    W.upperValueValid = 1;
    tesmotest::LogCapture wlog{3};
    WCreduce(W);
    EXPECT_EQ(W.upperValueValid, n == 11 ? 1 : 0);
    EXPECT_EQ(wlog.text().find("number: ") != std::string::npos, n == 12);
  }
}

TEST(DistanceRankedPruning, BoundsAfterPruningClaimNothing) {
  tesmotest::LogCapture log{0};
  ReduceGraph R(grid(8, spreadTerminals(64, 6)));
  reduce(R);
  const int lower = R.lowerValue;
  R.setLower(R.upperValue, 1);
  EXPECT_EQ(R.lowerValue, lower);
  EXPECT_EQ(R.upperOpt, 0);
  // A prune copy inherits the mark.
  ReduceGraph copy = ReduceGraph::copyGraph(R, 2);
  EXPECT_EQ(copy.heuristicallyReduced, 1);
}

// What reduce leaves is no cheaper than the optimum, and every tree it stores is a tree of the
// instance (WCreduce needs larger instances: below).
TEST(DistanceRankedPruning, ReduceLeavesValidTreesNoCheaperThanTheOptimum) {
  tesmotest::LogCapture log{0};
  shell.Sset("exitWarning", "0");
  shell.Sset("exactMstMax", "0");  // so that reduce works on the small instances too
  std::mt19937 rng(21);
  for (const safetytest::Family& f : safetytest::families()) {
    for (int round = 0; round < 25; ++round) {
      const Graph g = tesmotest::randomSimpleGraph(rng, f.vertices, f.edges, f.terminals, f.maxCost);
      SCOPED_TRACE(testing::Message() << f.name << ", round " << round << ": " << safetytest::describe(g));
      const long long optimum = tesmotest::bruteForce(g).optimum;
      ReduceGraph R(g);
      if (round % 2 == 1) {
        IntArray tree = mstPruneTree(R);
        R.setUpper(tree, "test", 0);
      }
      reduce(R);
      ASSERT_EQ(InstanceChecker().check(R), "");
      ASSERT_EQ(safetytest::storedTreeProblem(R), "");
      ASSERT_GE(R.upperValue, optimum);
      if (R.upperOpt == -1) continue;  // a heuristic deletion may cut a terminal off
      const auto left = R.toGraph();
      const long long rest = tesmotest::bruteForce(*left).optimum;
      if (rest >= 0) ASSERT_GE(rest + left->contractCost, optimum);
    }
  }
}

// WCreduce runs only on more than 11 non-terminals: larger instances, checked against the bound
// of a dual ascent on the original.
TEST(DistanceRankedPruning, WCreduceOnLargerInstancesKeepsTreesAboveTheBound) {
  tesmotest::LogCapture log{0};
  shell.Sset("exitWarning", "0");
  std::mt19937 rng(33);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    const Graph g = tesmotest::randomSimpleGraph(rng, 30, 55, 2 + round % 6, 1 + round % 7);
    ReduceGraph original(g);
    AscentEngine engine(original);
    engine.applyToInstance = 0;
    const int bound = engine.run(1);
    ReduceGraph R(g);
    IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "test", 0);
    WCreduce(R);
    reduce(R);
    ASSERT_EQ(InstanceChecker().check(R), "");
    ASSERT_EQ(safetytest::storedTreeProblem(R), "");
    ASSERT_GE(R.upperValue, bound);
  }
}

}  // namespace
