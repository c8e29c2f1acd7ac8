// The l1 Lagrangian ascent (letter g): over its step rules and options its bound stays at or
// below the optimum and the trees it stores are trees of the instance (safety test); its tree
// heuristic, its stops and its refusal of the tree fixing without a stored tree.

#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "Lgr1a.h"
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

class Lgr1aSafety : public testing::TestWithParam<Variant> {};

TEST_P(Lgr1aSafety, KeepsTheOptimumAndBoundsBelowIt) {
  LogCapture capture(0);
  tesmo::shell.Sset("l1Iter", "150");
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  int improved = 0;
  const auto failures = steinertest::checkSafety([&improved](ReduceGraph& R) {
    tesmo::lgr1a(R);
    if (R.lowerValue > 0) ++improved;
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  EXPECT_GT(improved, 150);  // the bound is of use, not just safe
}

INSTANTIATE_TEST_SUITE_P(
    Options, Lgr1aSafety,
    testing::Values(Variant{"targetStep", {}}, Variant{"slackSelection", {"l1Projection=0"}},
                    Variant{"fixedToTheStoredTree", {"l1X=1"}}, Variant{"treeEveryThirdStep", {"l1X=3"}},
                    Variant{"followTheBestTree", {"l1X=2"}}, Variant{"stopAtUpper", {"l1Break=-1"}},
                    Variant{"adjustedSteps", {"l1AdjustGG=1", "l1Half=3"}},
                    Variant{"fromTheAscent", {"l1Ascent=1"}}, Variant{"delayed", {"l1Delay=20", "l1Faktor=7"}},
                    Variant{"deflectedShrinking", {"l1Reinelt=0.95"}}, Variant{"deflectedHarmonic", {"l1Reinelt=-1"}},
                    Variant{"deflectedByRounds", {"l1Reinelt=-3", "l1Sia=5"}},
                    Variant{"deflectedSlack", {"l1Reinelt=0.9", "l1Projection=0"}},
                    Variant{"cleanUp", {"l1Reduction=1", "root=0"}},
                    // The reduction passes: after each change, or also every third step.
                    Variant{"passes", {"l1Reduction=2"}}, Variant{"passesEveryThirdStep", {"l1Reduction=3"}},
                    Variant{"passesReducedCostsLate", {"l1Reduction=2", "Vorgaenger=0"}},
                    Variant{"passesFromTheAscent", {"l1Reduction=2", "l1Ascent=1"}},
                    Variant{"passesFixedTree", {"l1Reduction=2", "l1X=1"}},
                    Variant{"passesOtherRoot", {"l1Reduction=2", "root=3"}},
                    Variant{"passesDelayed", {"l1Reduction=2", "l1Delay=10"}},
                    Variant{"passesDeflected", {"l1Reduction=2", "l1Reinelt=0.95"}},
                    Variant{"passesLockedRequired", {"l1Reduction=2", "l1LockReq=3"}},
                    Variant{"passesWithoutProjection", {"l1Reduction=2", "l1Projection=0"}},
                    // The propagation, alone (labels only) and with the passes' tests.
                    Variant{"propagationOnly", {"l1Propagate=3"}},
                    Variant{"propagationAfterTheDelay", {"l1Propagate=2", "l1Delay=5", "l1Reduction=1"}},
                    Variant{"propagationWithPasses", {"l1Propagate=3", "l1Reduction=2"}}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

TEST(Lgr1a, ThePassesDeleteEdgesOfNoBetterTree) {
  LogCapture capture(0);
  tesmo::shell.Sset("l1Iter", "150");
  tesmo::shell.Sset("l1Reduction", "2");
  int reduced = 0, instances = 0;
  for (auto& generated : steinertest::instanceMix(100, 5)) {
    ReduceGraph R(generated.graph);
    tesmo::IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "seed", 0);
    const int edges = R.Eanz;
    tesmo::lgr1a(R);
    ++instances;
    if (R.Eanz < edges) ++reduced;
    // Only edges excluded both ways are gone: no slot is left deleted without its partner.
    for (int v = 1; v <= R.V; ++v)
      for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s))
        ASSERT_FALSE(R.delE[R.partner[s]]) << generated.description;
  }
  EXPECT_GT(reduced, instances / 4);
}

TEST(Lgr1a, ThePropagationMovesWeightAndExcludesNothingAlone) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Iter", "20");
  tesmo::shell.Sset("l1Propagate", "3");
  const tesmo::Graph g = makeGraph(6, {{1, 5, 2}, {2, 5, 2}, {3, 6, 2}, {4, 6, 2}, {5, 6, 3}, {1, 2, 3}, {3, 4, 3},
                                       {2, 3, 5}, {1, 4, 7}},
                                   {1, 2, 3, 4});
  ReduceGraph R(g);
  const int edges = R.Eanz;
  tesmo::lgr1a(R);
  const std::string log = capture.text();
  EXPECT_NE(log.find("Propagate-Successes: "), std::string::npos) << log;
  EXPECT_NE(log.find("Propagating "), std::string::npos) << log;
  EXPECT_EQ(log.find("delE"), std::string::npos) << log;
  EXPECT_EQ(R.Eanz, edges);
  EXPECT_LE(R.lowerValue, steinertest::dreyfusWagner(R));
}

// Terminals 1, 2, 3 around a centre 4 (cost 2 each), joined in pairs at cost 3: optimum 6 (the
// star), the pair edges a tree of 6 as well.
tesmo::Graph star() {
  return makeGraph(4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}}, {1, 2, 3});
}

// A path of three terminals with a dear shortcut: optimum 6.
tesmo::Graph pathOfTerminals() { return makeGraph(4, {{1, 2, 2}, {2, 3, 3}, {3, 4, 1}, {1, 4, 9}}, {1, 3, 4}); }

TEST(Lgr1a, WithoutAStoredTreeTheHeuristicStoresOne) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Iter", "30");
  const tesmo::Graph g = star();
  ReduceGraph R(g);
  ASSERT_FALSE(R.upperOk);
  tesmo::lgr1a(R);
  EXPECT_TRUE(R.upperOk);
  EXPECT_EQ(R.upperValue, 6);
  EXPECT_LE(R.lowerValue, 6);
  EXPECT_NE(capture.text().find(" Upper(1) : 6\n"), std::string::npos) << capture.text();
  EXPECT_TRUE(steinertest::judgeInstance(g, R, 6).empty()) << steinertest::judgeInstance(g, R, 6);
}

TEST(Lgr1a, ReachingTheBestTreeEndsTheRunProven) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Break", "-1");
  ReduceGraph R(pathOfTerminals());
  tesmo::lgr1a(R);
  EXPECT_EQ(R.upperValue, 6);
  EXPECT_EQ(R.lowerValue, 6);
  EXPECT_EQ(R.upperOpt, 1);
  EXPECT_NE(capture.text().find("\nLower==Upper !\n\n"), std::string::npos) << capture.text();
}

TEST(Lgr1a, ALimitOfTheCallerStopsWithoutClaimingOptimality) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Break", "2");
  ReduceGraph R(star());
  tesmo::lgr1a(R);
  EXPECT_NE(capture.text().find("\nLower==Upper !\n\n"), std::string::npos) << capture.text();
  EXPECT_LT(R.lowerValue, 6);
  EXPECT_EQ(R.upperOpt, 0);
}

TEST(Lgr1a, TheTreeFixingDecidesWhenTheHeuristicRuns) {
  struct Case {
    const char* fix;
    bool withTree;
    int heuristicRuns;  // of 7 steps
  };
  for (const Case& c : {Case{"0", true, 7}, Case{"1", true, 0}, Case{"3", true, 3}, Case{"1", false, 7}}) {
    LogCapture capture(4);
    tesmo::shell.Sset("l1X", c.fix);
    tesmo::shell.Sset("l1Iter", "7");
    tesmo::shell.Sset("l1Break", "0");
    ReduceGraph R(star());
    if (c.withTree) {
      tesmo::IntArray tree = mstPruneTree(R);
      R.setUpper(tree, "seed", 0);
    }
    tesmo::lgr1a(R);
    const std::string log = capture.text();
    int runs = 0;
    for (std::size_t at = log.find(" Upper"); at != std::string::npos; at = log.find(" Upper", at + 1))
      if (log.compare(at, 7, " Upper(") == 0 || log.compare(at, 8, " Upper: ") == 0) ++runs;
    EXPECT_EQ(runs, c.heuristicRuns) << c.fix << " " << c.withTree << "\n" << log;
    EXPECT_EQ(log.find("l1X=0! (!upperOk)\n") != std::string::npos, !c.withTree) << log;
    EXPECT_LE(R.lowerValue, 6);
  }
}

TEST(Lgr1a, AShrinkingDeflectedStepEndsWhenTheFactorIsTooSmall) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Reinelt", "0.5");
  ReduceGraph R(star());
  tesmo::lgr1a(R);
  // 2 halved each step falls to 1/2000 after a dozen steps.
  EXPECT_NE(capture.text().find("Faktor zu klein. 12\n"), std::string::npos) << capture.text();
  EXPECT_LE(R.lowerValue, 6);
}

TEST(Lgr1a, AnUnreachableTerminalMarksTheInstanceDisconnected) {
  for (const char* ascent : {"0", "1"}) {
    LogCapture capture(1);
    tesmo::shell.Sset("l1Ascent", ascent);
    ReduceGraph R(makeGraph(4, {{1, 2, 1}, {3, 4, 1}}, {1, 2, 4}));
    tesmo::lgr1a(R);
    EXPECT_EQ(R.upperOpt, -1) << ascent;
  }
}

TEST(Lgr1a, OneTerminalReturnsAtOnce) {
  LogCapture capture(3);
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {2}));
  tesmo::lgr1a(R);
  EXPECT_EQ(R.lowerValue, 0);
  EXPECT_FALSE(R.upperOk);
  EXPECT_EQ(capture.text().find("root->"), std::string::npos);
}

}  // namespace
