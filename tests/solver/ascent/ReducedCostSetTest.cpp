// Reduced-cost sets: the spread of the roots, the per-root results taken from the engine, and
// the one-root set built from arrays.

#include "AscentEngine.h"
#include "ReducedCostSet.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "RandomInstances.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace tesmo;

namespace {

TEST(ReducedCostSet, RootsSpreadOverTheTerminalList) {
  struct Case {
    int terminals, k;
    std::vector<int> roots;
  };
  for (const Case& c : std::vector<Case>{{10, 3, {1, 5, 10}},
                                         {10, 1, {10}},
                                         {10, 2, {1, 10}},
                                         {4, 9, {1, 2, 3, 4}},
                                         {4, 4, {1, 2, 3, 4}},
                                         {5, 0, {5}},
                                         {7, -2, {7}},
                                         {1, 3, {1}}}) {
    SCOPED_TRACE(testing::Message() << c.terminals << " terminals, k " << c.k);
    const IntArray roots = spreadRoots(c.terminals, c.k);
    EXPECT_EQ(std::vector<int>(roots.begin() + 1, roots.end()), c.roots);
    EXPECT_EQ(roots[0], static_cast<int>(c.roots.size()));
  }
}

TEST(ReducedCostSet, EachRootHoldsThatAscentsResults) {
  tesmotest::LogCapture log{0};
  std::mt19937 rng(3);
  const Graph g = tesmotest::randomSimpleGraph(rng, 30, 70, 9, 7);
  ReduceGraph R(g);
  R.upperValue = 500;
  ReducedCostSet set;
  emptyReducedCostSet(set);
  reducedCostSetFromAscents(set, R, 3, 1);
  ASSERT_EQ(set.rootCount(), 3);
  EXPECT_EQ(set.roots[1], 1);
  EXPECT_EQ(set.roots[3], 9);

  ReduceGraph fresh(g);
  fresh.upperValue = 500;
  AscentEngine engine(fresh);
  int best = 0;
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    const int bound = engine.run(set.roots[i]);
    engine.reducedCostDistances();
    best = std::max(best, bound);
    EXPECT_EQ(set.gaps[i], 500 - bound);
    EXPECT_EQ(set.reducedCosts[i][0], 6 * R.E);  // sizeCode 1: room for three times the slots
    for (int s = 1; s <= 2 * R.E; ++s) ASSERT_EQ(set.reducedCosts[i][s], engine.reducedCosts()[s]) << s;
    for (int v = 1; v <= R.V; ++v) {
      ASSERT_EQ(set.distFromRoots[i][v], engine.distancesFromRoot()[v]) << v;
      ASSERT_EQ(set.distToTerminals[i][v], engine.distancesToTerminal()[v]) << v;
    }
  }
  // Every ascent offered its bound to the instance.
  EXPECT_EQ(R.lowerValue, best);
  EXPECT_EQ(set.factor, 1);

  freeReducedCostSet(set);
  EXPECT_TRUE(set.empty());
  freeReducedCostSet(set);  // an empty set is freed without effect
  EXPECT_TRUE(set.empty());
}

TEST(ReducedCostSet, OneRootFromArraysCopiesIntoRoomForMoreSlots) {
  tesmotest::LogCapture log{1};
  ReduceGraph R(tesmotest::makeGraph(3, {{1, 2, 4}, {2, 3, 5}}, {1, 3}));
  IntArray costs{5, 1, 2, 3, 4};
  IntArray from{0, 0, 1, 2};
  IntArray to{0, 2, 1, 0};
  ReducedCostSet set;
  reducedCostSetFromArrays(set, R, 2, costs, from, to, 1, 7);
  EXPECT_EQ(set.rootCount(), 1);
  EXPECT_EQ(set.roots[1], 2);
  EXPECT_EQ(set.gaps[1], 7);
  ASSERT_EQ(set.reducedCosts[1].size(), 12u);
  EXPECT_EQ(set.reducedCosts[1][0], 12);
  EXPECT_EQ(std::vector<int>(set.reducedCosts[1].begin() + 1, set.reducedCosts[1].begin() + 5),
            (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(set.distToTerminals[1][1], 2);
  EXPECT_NE(log.text().find("factor 1 will reduce the performance.\n"), std::string::npos);

  reducedCostSetFromArrays(set, R, 2, costs, from, to, 4, 7);
  EXPECT_EQ(set.factor, 4);
}

}  // namespace
