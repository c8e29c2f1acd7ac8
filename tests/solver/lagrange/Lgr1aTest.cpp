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
  int verbosity = 0;
};

class Lgr1aSafety : public testing::TestWithParam<Variant> {};

TEST_P(Lgr1aSafety, KeepsTheOptimumAndBoundsBelowIt) {
  LogCapture capture(GetParam().verbosity);
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
                    // The second term of the edge test, on the paths that shape its labels.
                    Variant{"secondTerm", {"l1Reduction=2", "l1Reduction2=1"}},
                    Variant{"secondTermEveryThirdStep", {"l1Reduction=3", "l1Reduction2=1", "l1Iter=60"}},
                    Variant{"secondTermReducedCostsLate", {"l1Reduction=2", "l1Reduction2=1", "Vorgaenger=0"}},
                    Variant{"secondTermAlone", {"l1Reduction=2", "l1Reduction2=1", "oldReduction=0"}},
                    Variant{"secondTermFromTheAscent", {"l1Reduction=2", "l1Reduction2=1", "l1Ascent=1"}},
                    Variant{"secondTermOtherRoot", {"l1Reduction=2", "l1Reduction2=1", "root=2"}},
                    Variant{"secondTermFixedTree", {"l1Reduction=2", "l1Reduction2=1", "l1X=1"}},
                    Variant{"secondTermDeflected", {"l1Reduction=2", "l1Reduction2=1", "l1Reinelt=-2"}},
                    Variant{"secondTermWithPropagation", {"l1Reduction=2", "l1Reduction2=1", "l1Propagate=3"}},
                    // The propagation, alone (labels only) and with the passes' tests.
                    Variant{"propagationOnly", {"l1Propagate=3"}},
                    Variant{"propagationAfterTheDelay", {"l1Propagate=2", "l1Delay=5", "l1Reduction=1"}},
                    Variant{"propagationWithPasses", {"l1Propagate=3", "l1Reduction=2"}},
                    Variant{"propagationTestsAfterEveryPass", {"l1Propagate=2", "l1Reduction=1", "l1Reduction2=1"}},
                    // The change counters (kept above verbosity 3) change nothing.
                    Variant{"changeCounters", {"l1Iter=40"}, 4}),
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

namespace {

// The deletion counts of the clean-up line "DeletedE: a, DeletedE2: b, DeletedE2new: c, ...".
struct Deleted {
  int edges = -1, bySum = -1, bySumAndTerm = -1;
};

Deleted deletedOf(const std::string& log) {
  Deleted d;
  const std::size_t at = log.find("DeletedE: ");
  if (at != std::string::npos)
    std::sscanf(log.c_str() + at, "DeletedE: %d, DeletedE2: %d, DeletedE2new: %d", &d.edges, &d.bySum, &d.bySumAndTerm);
  return d;
}

TEST(Lgr1a, TheSecondTermOfTheEdgeTestRaisesItsSumAndTheCountsAgree) {
  // Per pass the report sums the second test without and with its term: equal without the
  // term, never lower with it and higher in some passes. Per run the edges deleted by the second
  // test are counted without and with the term: both are part of the edges deleted, and they
  // agree without the term.
  for (const char* term : {"0", "1"}) {
    int bySum = 0, passes = 0, raised = 0;
    for (auto& generated : steinertest::instanceMix(120, 11)) {
      LogCapture capture(3);
      tesmo::shell.Sset("l1Iter", "150");
      tesmo::shell.Sset("l1Reduction", "2");
      tesmo::shell.Sset("l1Reduction2", term);
      ReduceGraph R(generated.graph);
      tesmo::IntArray tree = mstPruneTree(R);
      R.setUpper(tree, "seed", 0);
      tesmo::lgr1a(R);
      const std::string log = capture.text();
      const Deleted d = deletedOf(log);
      ASSERT_GE(d.edges, 0) << log;
      EXPECT_LE(d.bySum, d.bySumAndTerm) << generated.description;
      EXPECT_LE(d.bySumAndTerm, d.edges) << generated.description;
      if (*term == '0') {
        EXPECT_EQ(d.bySum, d.bySumAndTerm) << generated.description;
      }
      bySum += d.bySum;
      for (std::size_t at = log.find("\nSnew: "); at != std::string::npos; at = log.find("\nSnew: ", at + 1)) {
        double withoutTerm = 0, first = 0, withTerm = 0, zero = -1;
        ASSERT_EQ(std::sscanf(log.c_str() + at, "\nSnew: %lf Sold: %lfSnew2: %lf Sold2: %lf", &withoutTerm, &first,
                              &withTerm, &zero),
                  4)
            << log.substr(at, 80);
        ++passes;
        EXPECT_EQ(zero, 0);
        EXPECT_GE(withTerm, withoutTerm) << log.substr(at, 80);
        if (*term == '0') {
          EXPECT_EQ(withTerm, withoutTerm) << log.substr(at, 80);
        }
        if (withTerm > withoutTerm) ++raised;
      }
    }
    EXPECT_GT(bySum, 0) << term;
    EXPECT_GT(passes, 100) << term;
    if (*term == '1') {
      EXPECT_GT(raised, passes / 10);
    }
  }
}

TEST(Lgr1a, APassWhoseGapHasNotFallenBelowTheLastTestsWritesOnlyNR) {
  // After a pass, the next one runs only when the gap has fallen below the largest test value
  // that kept its slot or vertex; otherwise it writes "NR" and the step goes on with its move.
  // Before the delay no pass is skipped.
  struct Case {
    const char* delay;
    bool skips;
  };
  for (const Case& c : {Case{"0", true}, Case{"1000", false}}) {
    int skipped = 0, passes = 0;
    for (auto& generated : steinertest::instanceMix(60, 17)) {
      LogCapture capture(3);
      tesmo::shell.Sset("l1Iter", "80");
      tesmo::shell.Sset("l1Reduction", "2");
      tesmo::shell.Sset("l1Delay", c.delay);
      ReduceGraph R(generated.graph);
      tesmo::IntArray tree = mstPruneTree(R);
      R.setUpper(tree, "seed", 0);
      tesmo::lgr1a(R);
      const std::string log = capture.text();
      for (std::size_t at = log.find("NR"); at != std::string::npos; at = log.find("NR", at + 1)) {
        ++skipped;
        EXPECT_TRUE(log.compare(at + 2, 3, "t: ") == 0 || log.compare(at + 2, 5, "Keine") == 0)
            << generated.description << "\n" << log.substr(at, 60);
      }
      for (std::size_t at = log.find("Rest: "); at != std::string::npos; at = log.find("Rest: ", at + 1)) ++passes;
    }
    EXPECT_GT(passes, 60) << c.delay;
    EXPECT_EQ(skipped > 0, c.skips) << c.delay;
  }
}

// Instances whose per-commodity vertex tables pass the budget while the slot tables do not: many
// vertices without edges beside a small star of terminals.
tesmo::Graph manyLooseVertices() {
  const int terminals = 65, V = 1100000;
  std::vector<Edge> edges;
  std::vector<int> required;
  for (int t = 1; t <= terminals; ++t) {
    edges.push_back({t, terminals + 1, 1 + t % 3});
    required.push_back(t);
  }
  return makeGraph(V, edges, required);
}

TEST(Lgr1a, TablesPastTheBudgetAreRefusedWithALine) {
  const tesmo::Graph g = manyLooseVertices();
  {
    LogCapture capture(1);
    tesmo::shell.Sset("l1Iter", "2");
    tesmo::shell.Sset("l1Reduction", "2");
    tesmo::shell.Sset("l1Reduction2", "1");
    ReduceGraph R(g);
    tesmo::lgr1a(R);
    EXPECT_NE(capture.text().find("l1Reduction2 refused: 65 required vertices on 1100000 vertices"),
              std::string::npos)
        << capture.text();
    EXPECT_GT(R.lowerValue, 0);  // the ascent itself runs on
  }
  {
    LogCapture capture(1);
    tesmo::shell.Sset("l1Iter", "2");
    ReduceGraph R(g);
    tesmo::lgr1aEarly(R);
    EXPECT_NE(capture.text().find("early l1 ascent refused: 65 required vertices on 1100000 vertices"),
              std::string::npos)
        << capture.text();
    EXPECT_EQ(R.lowerValue, 0);
  }
}

TEST(Lgr1a, TheChangeCountersOfTerminalTwoAreReportedAboveVerbosityThree) {
  struct Case {
    int verbosity;
    const char* reinelt;
    bool report;
  };
  for (const Case& c : {Case{4, "0", true}, Case{3, "0", false}, Case{4, "0.9", false}}) {
    LogCapture capture(c.verbosity);
    tesmo::shell.Sset("l1Iter", "1");
    tesmo::shell.Sset("l1Faktor", "10");
    tesmo::shell.Sset("l1Reinelt", c.reinelt);
    ReduceGraph R(star());
    tesmo::lgr1a(R);
    const std::string log = capture.text();
    const std::size_t at = log.find("Anzahl der Aenderungen:\n");
    ASSERT_EQ(at != std::string::npos, c.report) << log;
    if (!c.report) continue;
    // Step 1: both commodities take their direct slot, which form the tree of the step (cost 6,
    // stored). Commodity 2 is off the chosen slot 1->3 with a weight there: a count of the second
    // kind; every other slot has none. The tree's edges carry a star; three columns for three
    // terminals.
    const std::string report = log.substr(at);
    EXPECT_NE(report.find("\n(1-3)*0 1 0 S:1\n"), std::string::npos) << report;
    EXPECT_NE(report.find("\n(1-2)*0 0 0 S:0\n"), std::string::npos) << report;
    EXPECT_NE(report.find("\n(1-4)0 0 0 S:0\n"), std::string::npos) << report;
    EXPECT_EQ(linesOf(report).size(), 1u + 12u) << report;
  }
}

// --- the earlier form ---

class Lgr1aEarlySafety : public testing::TestWithParam<Variant> {};

TEST_P(Lgr1aEarlySafety, KeepsTheOptimumAndBoundsBelowIt) {
  LogCapture capture(GetParam().verbosity);
  tesmo::shell.Sset("l1Iter", "120");
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  int improved = 0;
  const auto failures = steinertest::checkSafety([&improved](ReduceGraph& R) {
    tesmo::lgr1aEarly(R);
    if (R.lowerValue > 0) ++improved;
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  EXPECT_GT(improved, 150);
}

INSTANTIATE_TEST_SUITE_P(
    Options, Lgr1aEarlySafety,
    testing::Values(Variant{"targetStep", {}}, Variant{"slackSelection", {"l1Projection=0"}},
                    Variant{"onePropagationAfterAGain", {"l1PropMax=1"}},
                    Variant{"longPropagation", {"l1PropMax=50", "l1Iter=200"}},
                    Variant{"noPropagation", {"l1PropMax=0"}}, Variant{"fromTheAscent", {"l1Ascent=1"}},
                    Variant{"fixedToTheStoredTree", {"l1X=1"}}, Variant{"otherRoot", {"root=3"}},
                    Variant{"delayed", {"l1Delay=10"}}, Variant{"cleanUp", {"l1Reduction=1"}},
                    Variant{"deflected", {"l1Reinelt=-1"}},
                    Variant{"deflectedSlack", {"l1Reinelt=0.9", "l1Projection=0"}},
                    Variant{"stopAtUpper", {"l1Break=-1"}}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// The terminals recomputed in each step ("neu: k" before the step's "Weight : " line) and the
// terminal of each propagation step ("n. j  ").
struct EarlySteps {
  std::vector<std::vector<int>> recomputed;
  std::vector<int> propagatedTo;  // per step, 0 for a subgradient step
};

EarlySteps earlyStepsOf(const std::string& log) {
  EarlySteps steps;
  std::vector<int> current;
  std::size_t at = 0;
  while (at < log.size()) {
    const std::size_t neu = log.find("neu: ", at), weight = log.find("Weight : ", at);
    if (weight == std::string::npos) break;
    if (neu != std::string::npos && neu < weight) {
      current.push_back(std::atoi(log.c_str() + neu + 5));
      at = neu + 5;
      continue;
    }
    steps.recomputed.push_back(current);
    current.clear();
    // The step's own lines run to the next "neu: " or "Weight : ".
    const std::size_t end = std::min(log.find("neu: ", weight), log.find("Weight : ", weight + 1));
    const std::string body = log.substr(weight, end == std::string::npos ? std::string::npos : end - weight);
    int left = 0, to = 0;
    const std::size_t line = body.find("\n");
    steps.propagatedTo.push_back(0);
    for (std::size_t p = line; p != std::string::npos && p < body.size(); p = body.find('\n', p + 1))
      if (std::sscanf(body.c_str() + p + 1, "%d. %d  ", &left, &to) == 2 && body.find(". ", p + 1) < body.find('\n', p + 1))
        steps.propagatedTo.back() = to;
    at = weight + 9;
  }
  return steps;
}

TEST(Lgr1aEarly, AfterAPropagationStepOnlyItsTerminalIsComputedAnew) {
  LogCapture capture(4);
  tesmo::shell.Sset("l1Iter", "12");
  tesmo::shell.Sset("l1Faktor", "10");
  const tesmo::Graph g = makeGraph(6, {{1, 5, 2}, {2, 5, 2}, {3, 6, 2}, {4, 6, 2}, {5, 6, 3}, {1, 2, 3}, {3, 4, 3},
                                       {2, 3, 5}, {1, 4, 7}},
                                   {1, 2, 3, 4});
  ReduceGraph R(g);
  tesmo::lgr1aEarly(R);
  const std::string log = capture.text();
  const EarlySteps steps = earlyStepsOf(log);
  ASSERT_EQ(steps.recomputed.size(), 12u) << log;
  EXPECT_EQ(steps.recomputed[0], (std::vector<int>{2, 3, 4})) << log;
  int propagations = 0;
  for (std::size_t s = 0; s + 1 < steps.recomputed.size(); ++s) {
    if (steps.propagatedTo[s] == 0) {
      EXPECT_EQ(steps.recomputed[s + 1], (std::vector<int>{2, 3, 4})) << "after step " << s + 1 << "\n" << log;
    } else {
      ++propagations;
      EXPECT_EQ(steps.recomputed[s + 1], std::vector<int>{steps.propagatedTo[s]}) << "after step " << s + 1 << "\n" << log;
    }
  }
  EXPECT_GT(propagations, 0) << log;
  EXPECT_LE(R.lowerValue, steinertest::dreyfusWagner(R));
}

TEST(Lgr1aEarly, PropagationStepsTakeTheTerminalsInTurnSkippingTheRoot) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Iter", "5");
  tesmo::shell.Sset("root", "2");
  tesmo::shell.Sset("l1PropMax", "9");
  ReduceGraph R(makeGraph(6, {{1, 5, 2}, {2, 5, 2}, {3, 6, 2}, {4, 6, 2}, {5, 6, 3}}, {1, 2, 3, 4}));
  tesmo::lgr1aEarly(R);
  const std::string log = capture.text();
  // Each step after a gain moves weight to the next terminal: 3, 4, 1 (past the root 2), 3, ...
  std::vector<int> order;
  for (const std::string& line : linesOf(log)) {
    int left = 0, to = 0;
    if (std::sscanf(line.c_str(), "%d. %d  ", &left, &to) == 2) order.push_back(to);
  }
  EXPECT_EQ(order, (std::vector<int>{3, 4, 1, 3, 4})) << log;
}

}  // namespace
