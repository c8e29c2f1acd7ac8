// The spanning-tree Lagrangian relaxation (letter B): its bound and reductions against the
// exact oracles over its option variants, its tree state operations on a small fixture, its
// ends (bounds met, no stored tree, no upper bound), and the class-V scripts that run it.

#include "Beasley.h"
#include "Branching.h"
#include "Exact.h"
#include "InstanceBuilders.h"
#include "LagrangianTree.h"
#include "LogCapture.h"
#include "ProgramDefaults.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::ReduceGraph;

namespace {

// The letters of the scripts, as the program has them (prune1 runs its scripts with them).
class Letters : public testing::Environment {
  void SetUp() override { tesmo::registerScriptLetters(); }
};
const auto* const letters = testing::AddGlobalTestEnvironment(new Letters);

// Stores the pruned spanning tree as upper bound; withTree 0 keeps only its value.
void seedUpper(ReduceGraph& R, bool withTree) {
  if (!R.upperOk) {
    tesmo::IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "seed", 0);
  }
  if (!withTree) R.destroyUpper();
}

struct Variant {
  const char* name;
  std::vector<const char*> assignments;
  bool withTree = true;
};

class BeasleySafety : public testing::TestWithParam<Variant> {};

TEST_P(BeasleySafety, KeepsTheOptimumAndBoundsBelowIt) {
  LogCapture capture(0);
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  steinertest::SafetyOptions options;
  options.seedTree = false;
  const bool withTree = GetParam().withTree;
  const auto failures = steinertest::checkSafety(
      [withTree](ReduceGraph& R) {
        seedUpper(R, withTree);
        tesmo::beasley(R);
      },
      options);
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

INSTANTIATE_TEST_SUITE_P(
    Options, BeasleySafety,
    testing::Values(Variant{"defaults", {}}, Variant{"valueWithoutTree", {}, false},
                    // The tests after every iteration, on trees that are still far from optimal.
                    Variant{"testsEveryIteration", {"beasleyReduction=1"}},
                    Variant{"testsEveryIterationNoTree", {"beasleyReduction=1"}, false},
                    Variant{"hangingEndVariants", {"beasleyReduction=2", "beasleyReduction2=3"}},
                    Variant{"oneHangingEnd", {"beasleyReduction=1", "beasleyReduction2=2"}},
                    Variant{"startFromTree", {"beasleySetF=1"}}, Variant{"startFromTreeHigh", {"beasleySetF=3"}},
                    Variant{"upperFromTree", {"beasleySetU=1", "beasleyPrune=1"}},
                    Variant{"decayingSteps", {"beasleyGroet=900"}},
                    Variant{"noAdjust", {"beasleyAdjust=0", "beasleyAdjust2=0", "beasleyAdjustFinal=0"}},
                    Variant{"randomRoot", {"beasleyChoose=0"}},
                    Variant{"fewIterations", {"beasleyIter=3", "beasleyReduction=1"}},
                    Variant{"halfOften", {"beasleyHalf=2", "beasleyRelax=0"}},
                    // Terminal distances over the reduced weights, their vertex and edge tests.
                    Variant{"distances", {"beasleyReduction=1", "beasleyReduction2=64"}},
                    Variant{"distancesNoTree", {"beasleyReduction=1", "beasleyReduction2=64"}, false},
                    Variant{"distancesCorrect", {"beasleyReduction=1", "beasleyReduction2=64", "correct=1"}},
                    Variant{"distancesFinalPassOnly", {"beasleyReduction2=67", "increaseF=0.5"}},
                    Variant{"replaceCandidates", {"beasleyReduction=1", "beasleyReduction2=192", "maxDegree=6"}},
                    Variant{"replaceAllBits", {"beasleyReduction=2", "beasleyReduction2=231", "correct=1"}},
                    // End reductions with thresholds far below the gap: only the bound may delete.
                    Variant{"endEdges", {"reduceE=0.5"}},
                    Variant{"endEdgesCorrect", {"reduceE=0.5", "correct=1", "beasleyReduction2=64"}},
                    Variant{"endEdgesNoTree", {"reduceE=0.5"}, false},
                    Variant{"endVertices", {"reduce2=0.5"}},
                    Variant{"endVerticesCorrect", {"reduce2=0.5", "correct=1", "beasleyIter=5"}},
                    Variant{"endPercent", {"reduce=60", "upgrade=3"}},
                    Variant{"endPercentNoTree", {"reduce=60", "upgrade=2"}, false},
                    Variant{"endProtected", {"reduceE=0.1", "reduce2=0.1", "protectUpper=1", "protectRoot=2"}},
                    Variant{"endUpperWithoutFarVertices", {"beasleySetU=-1", "reduce2=1"}},
                    Variant{"printListing", {"print=1", "beasleyReduction2=64", "reduceE=0.5"}}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// Terminals 1, 3, 5 on a path of unit edges 1-2-3-4-5, a shortcut 2-4 of cost 1 and an edge 1-5
// far above any tree (100 times the upper bound, so Faktor times its cost passes 32 bits).
tesmo::Graph pathWithExpensiveEdge() {
  return makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {2, 4, 1}, {1, 5, 400}}, {1, 3, 5});
}

TEST(Beasley, AnEdgeFarAboveTheUpperBoundIsDeletedWithoutOverflow) {
  const tesmo::Graph g = pathWithExpensiveEdge();
  LogCapture capture(3);
  ReduceGraph R(g);
  seedUpper(R, true);
  ASSERT_EQ(R.upperValue, 4);
  tesmo::beasley(R);
  EXPECT_LE(R.lowerValue, 4);
  EXPECT_EQ(R.upperOpt, 1) << capture.text();
  EXPECT_NE(capture.text().find("Big Success: Lower==Upper! Break.\n"), std::string::npos) << capture.text();
}

TEST(Beasley, WithoutAStoredTreeTheTestsKeepTheStrictLimit) {
  const tesmo::Graph g = pathWithExpensiveEdge();
  LogCapture capture(3);
  tesmo::shell.Sset("beasleyReduction", "1");
  ReduceGraph R(g);
  seedUpper(R, false);
  tesmo::beasley(R);
  const std::string log = capture.text();
  EXPECT_NE(log.find("!upperOk -> Relax=0\nUpper: "), std::string::npos) << log;
  // The tests of the first iteration already drop the far edge.
  EXPECT_NE(log.find("Deleted: "), std::string::npos) << log;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s]) {
      EXPECT_LT(R.arcs[s].cost, 400);
    }
  EXPECT_LE(R.lowerValue, 4);
  EXPECT_TRUE(steinertest::judgeInstance(g, R, 4).empty()) << steinertest::judgeInstance(g, R, 4);
}

TEST(Beasley, WithoutAnUpperBoundOrWithOneTerminalNothingHappens) {
  LogCapture capture(3);
  for (const std::vector<int>& terminals : {std::vector<int>{1, 3, 5}, std::vector<int>{3}}) {
    const tesmo::Graph g =
        makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {2, 4, 1}, {1, 5, 400}}, terminals);
    ReduceGraph R(g);
    const int edges = R.Eanz;
    tesmo::beasley(R);
    EXPECT_EQ(R.Eanz, edges);
    EXPECT_EQ(R.lowerValue, 0);
    EXPECT_EQ(R.upperOpt, 0);
  }
}

TEST(Beasley, ATerminalCutOffMarksTheInstanceDisconnected) {
  // 4-5 holds only terminals: nothing can hang it on the artificial root.
  const tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {4, 5, 2}}, {1, 3, 4, 5});
  LogCapture capture(1);
  tesmo::shell.Sset("exitWarning", "0");
  ReduceGraph R(g);
  R.upperValue = 9;  // a value without a tree (no tree joins 4 and 5 to 1)
  tesmo::beasley(R);
  EXPECT_EQ(R.upperOpt, -1);
  EXPECT_NE(capture.text().find("empty PQ \n"), std::string::npos) << capture.text();
}

// The fixture of the tree operations: terminals 1 (root) and 4; 1-2 and 2-4 cost 1; 1-3, 3-4
// cost 3; 2-3 cost 1. Under zero multipliers the relaxed tree hangs 2 and 3 on 0.
class LagrangianTreeFixture : public testing::Test {
protected:
  LagrangianTreeFixture()
      : g(makeGraph(4, {{1, 2, 1}, {2, 4, 1}, {1, 3, 3}, {3, 4, 3}, {2, 3, 1}}, {1, 4})), R(g), tree(R, 10) {
    for (int s = 1; s <= 2 * R.E; ++s) tree.lagrWeight[s] = 10 * R.arcs[s].cost;
  }
  int slotOf(int u, int v) const {
    for (int s = 1; s <= 2 * R.E; ++s)
      if (R.arcs[s].tail == u && R.arcs[s].head == v) return s;
    return 0;
  }
  // The bound recomputed from scratch: the constant plus the tree's weights.
  tesmo::LagrangianTree::Weight treeValue() const {
    tesmo::LagrangianTree::Weight sum = tree.lagrWeight[0];
    for (int v = 1; v <= R.V; ++v) sum += tree.lagrKey[v];
    return sum;
  }
  tesmo::Graph g;
  ReduceGraph R;
  tesmo::LagrangianTree tree;
};

TEST_F(LagrangianTreeFixture, TreeAndPathMaxima) {
  LogCapture capture(3);
  bool reached = false;
  const auto lower = tree.computeTree(1, reached);
  ASSERT_TRUE(reached);
  // Zero multipliers: 1, 2, 3 hang on 0 at weight 0; 4 joins 2 at 10.
  EXPECT_EQ(lower, 10);
  EXPECT_TRUE(tree.hangsOnRoot(2));
  EXPECT_EQ(tree.lagrPred[4], 2);
  EXPECT_EQ(tree.lagrDepth[4], 1);
  EXPECT_TRUE(tree.isTreeEdge(slotOf(2, 4)));
  EXPECT_TRUE(tree.isTreeEdge(slotOf(4, 2)));
  tree.TreePathMaximum();
  // A tree edge gets no path maximum; 3-4 closes the cycle 3-0-2-4 whose largest key is 10.
  EXPECT_EQ(tree.pathMax[slotOf(2, 4)], tesmo::LagrangianTree::notComputed);
  EXPECT_EQ(tree.pathMax[slotOf(3, 4)], 10);
  EXPECT_EQ(tree.pathMax[slotOf(4, 3)], 10);
  // A vertex hanging on 0 has no path maximum of its own.
  EXPECT_EQ(tree.pathMax[tree.artificial(2)], tesmo::LagrangianTree::notComputed);
  // Only 3-4 (30) closes a cycle through the tree edge 2-4; 2-3 (10) covers the artificial edges.
  EXPECT_EQ(tree.replaceMin[4], 30);
  EXPECT_EQ(tree.replaceMin[2], 10);
}

TEST_F(LagrangianTreeFixture, AdjustRaisesTheBoundAndKeepsTheTreeMinimal) {
  LogCapture capture(3);
  bool reached = false;
  auto lower = tree.computeTree(1, reached);
  const auto before = lower;
  tree.MultiplierAdjust(lower);
  EXPECT_GT(lower, before);
  EXPECT_EQ(lower, treeValue());
  // The same tree is still a minimum one under the new weights.
  auto recomputed = tree.computeTree(1, reached);
  EXPECT_EQ(recomputed, lower);
  EXPECT_LE(recomputed, 10 * 2);  // never above the optimum (1-2-4) times Faktor
  EXPECT_NE(capture.text().find("Adjust: "), std::string::npos);
}

TEST_F(LagrangianTreeFixture, AdjustWithNothingToMoveWritesOnlyA) {
  LogCapture capture(3);
  bool reached = false;
  auto lower = tree.computeTree(1, reached);
  tree.MultiplierAdjust(lower);
  tree.computeTree(1, reached);
  // Bound at the optimum: no constraint is violated any more.
  auto again = tree.computeTree(1, reached);
  const std::string before = capture.text();
  tree.MultiplierAdjust(again);
  tree.MultiplierAdjust(again);
  EXPECT_EQ(capture.text().substr(before.size()), "AA");
}

TEST_F(LagrangianTreeFixture, UpperBoundFromTheTreeIsOfferedAtEqualValue) {
  LogCapture capture(3);
  tesmo::IntArray stored = mstPruneTree(R);
  R.setUpper(stored, "seed", 0);
  bool reached = false;
  auto lower = tree.computeTree(1, reached);
  tree.MultiplierAdjust(lower);
  tree.computeTree(1, reached);
  tesmo::LagrangianTree::Weight upperScaled = 10 * (R.upperValue - R.contractCost);
  tree.LagrangianUpperBound(R, false, upperScaled);
  EXPECT_EQ(upperScaled, 20);
  EXPECT_NE(capture.text().find("(Dual Success!)"), std::string::npos) << capture.text();
}

// Many terminals (class V: at most ten vertices per terminal, terminal degrees above ten on
// average): every vertex joined to a dozen others at costs 4 or 5, so no path of two edges is as
// short as one edge and the classic tests leave the instance to the Lagrangian bound.
tesmo::Graph manyTerminals(std::mt19937& rng, int V) {
  std::vector<Edge> edges;
  std::uniform_int_distribution<int> cost(4, 5);
  for (int v = 2; v <= V; ++v) edges.push_back({v, std::uniform_int_distribution<int>(1, v - 1)(rng), cost(rng)});
  std::vector<int> others(V);
  for (int v = 1; v <= V; ++v) {
    for (int w = 1; w <= V; ++w) others[w - 1] = w;
    std::shuffle(others.begin(), others.end(), rng);
    for (int k = 0; k < 6; ++k)
      if (others[k] != v) edges.push_back({v, others[k], cost(rng)});
  }
  std::vector<int> terminals;
  for (int v = 1; v <= V; v += 4) terminals.push_back(v);
  return makeGraph(V, edges, terminals);
}

TEST(Beasley, ClassVScriptsSolveManyTerminalInstancesToTheOptimum) {
  LogCapture capture(3);
  tesmo::setProgramDefaults('2');
  std::mt19937 rng(17);
  for (int round = 0; round < 12; ++round) {
    const tesmo::Graph g = manyTerminals(rng, 36 + round % 8);
    ReduceGraph R(g);
    const std::int64_t optimum = steinertest::dreyfusWagner(R) + R.contractCost;
    tesmo::chooseProblemClass(R);
    ASSERT_EQ(tesmo::shell.Phase, 'V') << round;
    const int value = tesmo::branching(R, tesmo::maxint);
    EXPECT_EQ(value, optimum) << round;
    EXPECT_EQ(R.lowerValue, optimum) << round;
  }
  // The other letters of the scripts may close these instances before `B` is reached; a class-V
  // script of `B` alone shows the letter runs there and keeps the optimum.
  tesmo::shell.setAssignment("VReduction=;0B");
  tesmo::shell.setAssignment("VReduction1=;0B");
  const tesmo::Graph g = manyTerminals(rng, 40);
  ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R) + R.contractCost;
  tesmo::chooseProblemClass(R);
  ASSERT_EQ(tesmo::shell.Phase, 'V');
  EXPECT_EQ(tesmo::branching(R, tesmo::maxint), optimum);
  EXPECT_NE(capture.text().find("beasley(&R)"), std::string::npos) << capture.text().substr(0, 6000);
  tesmo::setProgramDefaults('2');
}

}  // namespace

namespace {

// Number of log lines that start with the marker and report a non-zero count.
int nonZeroReports(const std::string& log, const std::string& marker) {
  int n = 0;
  for (std::size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
    const std::size_t digit = at + marker.size();
    if (digit < log.size() && log[digit] >= '1' && log[digit] <= '9') ++n;
  }
  return n;
}

struct Reach {
  const char* marker;
  std::vector<const char*> assignments;
};

class BeasleyReach : public testing::TestWithParam<Reach> {};

// The safety runs above prove nothing for a test that never fires: each new test must reduce
// somewhere on the instance mix.
TEST_P(BeasleyReach, TheTestReducesSomewhereOnTheMix) {
  LogCapture capture(3);
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  for (const auto& instance : steinertest::instanceMix(150, 3)) {
    ReduceGraph R(instance.graph);
    seedUpper(R, true);
    tesmo::beasley(R);
  }
  EXPECT_GT(nonZeroReports(capture.text(), GetParam().marker), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, BeasleyReach,
    testing::Values(Reach{"Direkt DelV: ", {"beasleyReduction=1", "beasleyReduction2=64"}},
                    Reach{"Direkt DelV: ", {"beasleyReduction=1", "beasleyReduction2=64", "correct=1"}},
                    Reach{"Replace: ", {"beasleyReduction=1", "beasleyReduction2=192"}},
                    Reach{"ReduceE: ", {"reduceE=0.5"}}, Reach{"ReduceE: ", {"reduceE=0.5", "correct=1"}},
                    Reach{"Reduce2: ", {"reduce2=0.5"}}, Reach{"Upgraded: ", {"upgrade=3"}},
                    Reach{"ContractedE: ", {"beasleyReduction2=192"}}));

}  // namespace

namespace {

// With print the loop deletes nothing and the listing shows every non-terminal and edge; the
// end edge test (bound-proven) still runs before the listing.
TEST(Beasley, PrintListsVerticesAndEdgesAndTheLoopDeletesNothing) {
  const tesmo::Graph g = pathWithExpensiveEdge();
  LogCapture capture(3);
  tesmo::shell.setAssignment("print=1");
  tesmo::shell.setAssignment("beasleyReduction=1");
  tesmo::shell.setAssignment("beasleyReduction2=64");
  tesmo::shell.setAssignment("beasleyConstruct=1");
  tesmo::shell.setAssignment("beasleyIter=4");
  ReduceGraph R(g);
  seedUpper(R, true);
  const int edges = R.Eanz;
  tesmo::beasley(R);
  const std::string log = capture.text();
  EXPECT_EQ(log.find("Deleted: "), std::string::npos) << log;
  EXPECT_EQ(log.find("Direkt DelV: "), std::string::npos) << log;
  EXPECT_NE(log.find("V(2) "), std::string::npos) << log;
  EXPECT_NE(log.find("V(4) "), std::string::npos) << log;
  EXPECT_NE(log.find("E(1-5)"), std::string::npos) << log;
  EXPECT_NE(log.find(" Cor: "), std::string::npos) << log;
  EXPECT_NE(log.find(" Cor0: "), std::string::npos) << log;
  EXPECT_EQ(R.Eanz, edges);
  EXPECT_TRUE(steinertest::judgeInstance(g, R, 4).empty()) << steinertest::judgeInstance(g, R, 4);
}

// The end tests with thresholds below every value: the bound alone decides, so the far edge
// goes and the optimum stays; the counts and the Max line are logged.
TEST(Beasley, EndTestsLogTheirCountsAndKeepTheOptimum) {
  const tesmo::Graph g = pathWithExpensiveEdge();
  LogCapture capture(3);
  tesmo::shell.setAssignment("beasleyConstruct=1");
  tesmo::shell.setAssignment("beasleyIter=6");
  tesmo::shell.setAssignment("reduceE=0.01");
  tesmo::shell.setAssignment("reduce2=0.01");
  tesmo::shell.setAssignment("reduce=50");
  tesmo::shell.setAssignment("correct=1");
  ReduceGraph R(g);
  seedUpper(R, true);
  tesmo::beasley(R);
  const std::string log = capture.text();
  EXPECT_NE(log.find("ReduceE: "), std::string::npos) << log;
  EXPECT_NE(log.find("Reduce2: "), std::string::npos) << log;
  EXPECT_NE(log.find("Max1: "), std::string::npos) << log;
  EXPECT_NE(log.find(", Max3: "), std::string::npos) << log;
  EXPECT_NE(log.find("Pruning : "), std::string::npos) << log;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s]) {
      EXPECT_LT(R.arcs[s].cost, 400);
    }
  EXPECT_TRUE(steinertest::judgeInstance(g, R, 4).empty()) << steinertest::judgeInstance(g, R, 4);
}

}  // namespace
