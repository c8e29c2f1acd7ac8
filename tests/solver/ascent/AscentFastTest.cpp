// Fast ascent A: the root schedule, the safety check with its variants, and the bound meeting the
// tree of the auxiliary graph.

#include "AscentFast.h"
#include "Shell.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "../reduce/ReductionSafety.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

TEST(AscentFast, RootSchedule) {
  struct Case {
    int option, terminals, edges, lowerRoot;
    std::vector<int> roots;
  };
  for (const Case& c : std::vector<Case>{{0, 5, 9, 1, {1, 2, 3, 4, 5}},
                                         {-2, 10, 23, 1, {4, 7}},
                                         {-1, 6, 9, 3, {3}},  // the root of the last bound
                                         {-1, 6, 9, 1, {1}},
                                         {9, 5, 9, 1, {5}},   // capped at the terminal count
                                         {2, 5, 9, 1, {2}},
                                         {-9, 4, 9, 1, {1, 2, 3, 4}},
                                         {-1, 1, 0, 1, {1}}}) {
    SCOPED_TRACE(testing::Message() << "root " << c.option << ", " << c.terminals << " terminals");
    const IntArray roots = ascentRoots(c.option, c.terminals, c.edges, c.lowerRoot);
    EXPECT_EQ(std::vector<int>(roots.begin() + 1, roots.end()), c.roots);
  }
}

TEST(AscentFast, IsSafe) {
  LogCapture log{0};
  safetytest::checkSafety(ascentFast);
}

TEST(AscentFast, EveryRootAndOnlyBoundsStaySafe) {
  LogCapture log{0};
  shell.Sset("root", "0");
  safetytest::checkSafety(ascentFast, 25, 31);
  shell.Sset("ascentPrune", "0");
  safetytest::checkSafety(ascentFast, 25, 32);
}

// On a tree the ascent's bound is the tree's cost: the auxiliary graph gives the same tree, which
// comes after the bound and meets it.
TEST(AscentFast, BoundMeetsTheTreeOfTheAuxiliaryGraph) {
  LogCapture log{3};
  ReduceGraph R(makeGraph(6, {{1, 2, 3}, {2, 3, 2}, {2, 4, 5}, {4, 5, 1}, {4, 6, 7}}, {1, 3, 5, 6}));
  ascentFast(R);
  EXPECT_EQ(R.upperValue, 18);
  EXPECT_EQ(R.lowerValue, 18);
  EXPECT_EQ(R.upperOpt, 1);
  const std::string text = log.text();
  EXPECT_NE(text.find("Upper reaches known lower.\n"), std::string::npos) << text;
  EXPECT_NE(text.find("auxiliary graph: |V|="), std::string::npos);
  EXPECT_INSTANCE_VALID(R);
}

TEST(AscentFast, WithoutPruneScriptOnlyTheBoundsAreKept) {
  LogCapture log{3};
  shell.Sset("ascentPrune", "0");
  shell.Sset("root", "0");
  ReduceGraph R(makeGraph(5, {{1, 2, 3}, {2, 3, 3}, {1, 4, 2}, {4, 3, 5}, {3, 5, 1}}, {1, 3, 5}));
  ascentFast(R);
  EXPECT_EQ(R.upperValue, maxint);
  EXPECT_GT(R.lowerValue, 0);
  EXPECT_LE(R.lowerValue, 7);
  const std::string text = log.text();
  EXPECT_EQ(text.find("auxiliary graph"), std::string::npos);
  EXPECT_NE(text.find(" Replacing... 0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n\nroot: 3 (5)\n"), std::string::npos);
}

TEST(AscentFast, OneTerminalNeedsNoTree) {
  LogCapture log{0};
  ReduceGraph R(makeGraph(3, {{1, 2, 3}, {2, 3, 4}}, {2}));
  ascentFast(R);
  EXPECT_EQ(R.lowerValue, 0);
  EXPECT_INSTANCE_VALID(R);
}

}  // namespace
