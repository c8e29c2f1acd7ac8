// The second Lagrangian ascent (letter 2): its bound stays at or below the optimum over its
// option variants and leaves the instance as it was; its root choice, its stop at the upper
// bound and its refusal of the tree fixing without a stored tree.

#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "Lgr2a.h"
#include "ReduceGraph.h"
#include "Shell.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::ReduceGraph;

namespace {

struct Variant {
  const char* name;
  std::vector<const char*> assignments;
};

class Lgr2aBound : public testing::TestWithParam<Variant> {};

TEST_P(Lgr2aBound, StaysAtOrBelowTheOptimumAndChangesNothingElse) {
  LogCapture capture(0);
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  int improved = 0;
  for (auto& generated : steinertest::instanceMix(200, 3)) {
    ReduceGraph R(generated.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    tesmo::IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "seed", 0);
    const int edges = R.Eanz, upper = R.upperValue;
    tesmo::lgr2a(R);
    EXPECT_LE(R.lowerValue, optimum) << generated.description;
    EXPECT_EQ(R.Eanz, edges) << generated.description;
    EXPECT_EQ(R.upperValue, upper) << generated.description;
    EXPECT_TRUE(R.upperOk) << generated.description;
    if (R.lowerValue > 0) ++improved;
  }
  EXPECT_GT(improved, 100);  // the bound is of use, not just safe
}

INSTANTIATE_TEST_SUITE_P(
    Options, Lgr2aBound,
    testing::Values(Variant{"defaults", {}}, Variant{"slackSelection", {"l1Projection=0"}},
                    Variant{"fixedToTheStoredTree", {"l1X=1"}}, Variant{"stopAtUpper", {"l1Break=-1"}},
                    Variant{"lockedRequired", {"l1LockReq=3"}}, Variant{"adjustedSteps", {"l1AdjustGG=1", "l1Half=3"}},
                    Variant{"delayedSmallFactor", {"l1Delay=5", "l1Faktor=3", "l1Iter=40"}},
                    Variant{"recordedRoot", {"root=0"}}, Variant{"rootPastTheEnd", {"root=99"}},
                    Variant{"ascentBoundOnly", {"l1Ascent=1", "l1Iter=5"}},
                    Variant{"startFromTheAscent", {"l1Ascent=1", "l1ASCENT=1"}},
                    Variant{"slackFromTheAscent", {"l1Ascent=1", "l1ASCENT=1", "l1Projection=0", "l1Iter=30"}}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// A path of three terminals: the bound reaches the tree's value.
tesmo::Graph pathOfTerminals() { return makeGraph(4, {{1, 2, 2}, {2, 3, 3}, {3, 4, 1}, {1, 4, 9}}, {1, 3, 4}); }

TEST(Lgr2a, ReachingTheUpperBoundEndsTheRunProven) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Break", "-1");
  ReduceGraph R(pathOfTerminals());
  tesmo::IntArray tree = mstPruneTree(R);
  R.setUpper(tree, "seed", 0);
  ASSERT_EQ(R.upperValue, 6);
  tesmo::lgr2a(R);
  EXPECT_EQ(R.lowerValue, 6);
  EXPECT_EQ(R.upperOpt, 1);
  EXPECT_NE(capture.text().find("\nLower==Upper !\n\n"), std::string::npos) << capture.text();
}

TEST(Lgr2a, ALimitOfTheCallerStopsWithoutClaimingOptimality) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Break", "2");
  // Terminals 1, 2, 3 around a centre 4 (cost 2 each), joined in pairs at cost 3: optimum 6,
  // the first bound 3.
  ReduceGraph R(makeGraph(4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}}, {1, 2, 3}));
  tesmo::IntArray tree = mstPruneTree(R);
  R.setUpper(tree, "seed", 0);
  tesmo::lgr2a(R);
  EXPECT_NE(capture.text().find("\nLower==Upper !\n\n"), std::string::npos) << capture.text();
  EXPECT_LT(R.lowerValue, 6);
  EXPECT_EQ(R.upperOpt, 0);
}

TEST(Lgr2a, RootChoiceAndTreeFixingWithoutATree) {
  struct Case {
    const char* root;
    int lowerTag;
    const char* expected;
  };
  for (const Case& c : {Case{"0", 2, "root->2\n"}, Case{"-4", 3, "root->3\n"}, Case{"7", 2, "root->1\n"},
                        Case{"3", 1, "root->3\n"}}) {
    LogCapture capture(3);
    tesmo::shell.Sset("root", c.root);
    tesmo::shell.Sset("l1X", "1");
    tesmo::shell.Sset("l1Iter", "2");
    ReduceGraph R(pathOfTerminals());
    R.lowerTag = c.lowerTag;
    tesmo::lgr2a(R);
    const std::string log = capture.text();
    EXPECT_NE(log.find(c.expected), std::string::npos) << c.root << "\n" << log;
    EXPECT_NE(log.find("l1X=0! (!upperOk)\n"), std::string::npos) << log;
    EXPECT_LE(R.lowerValue, 6);
  }
}

TEST(Lgr2a, AnUnreachableTerminalMarksTheInstanceDisconnected) {
  for (const char* ascent : {"0", "1"}) {
    LogCapture capture(1);
    tesmo::shell.Sset("l1Ascent", ascent);
    ReduceGraph R(makeGraph(4, {{1, 2, 1}, {3, 4, 1}}, {1, 2, 4}));
    tesmo::lgr2a(R);
    EXPECT_EQ(R.upperOpt, -1) << ascent;
  }
}

TEST(Lgr2a, TheStartingAscentBoundsTheStar) {
  // Terminals 1, 2, 3 around a centre 4 (cost 2 each), joined in pairs at cost 3: the ascent
  // from root 1 raises both other terminals to 3 each before their components meet.
  LogCapture capture(2);
  tesmo::shell.Sset("l1Ascent", "1");
  tesmo::shell.Sset("l1Iter", "1");
  ReduceGraph R(makeGraph(4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}}, {1, 2, 3}));
  tesmo::lgr2a(R);
  EXPECT_NE(capture.text().find("Lower: "), std::string::npos) << capture.text();
  EXPECT_GE(R.lowerValue, 4);
  EXPECT_LE(R.lowerValue, 6);
}

TEST(Lgr2a, OneTerminalReturnsAtOnce) {
  LogCapture capture(3);
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {2}));
  tesmo::lgr2a(R);
  EXPECT_EQ(R.lowerValue, 0);
  EXPECT_EQ(capture.text().find("root->"), std::string::npos);
}

}  // namespace
