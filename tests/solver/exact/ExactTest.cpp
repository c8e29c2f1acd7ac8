#include "Exact.h"

#include "AlgorithmTable.h"
#include "BruteForceOracle.h"
#include "HandedTree.h"
#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "LogCapture.h"
#include "RandomInstances.h"
#include "LogStream.h"
#include "PruneSolution.h"
#include "ReduceGraph.h"
#include "Shell.h"
#include "SubsetEnumeration.h"

#include <gtest/gtest.h>

#include <random>

using namespace tesmotest;
using tesmo::IntArray;
using tesmo::ReduceGraph;

namespace {

// The slots of a count-prefixed list form a Steiner tree of R (checked on the graph it came from).
std::int64_t treeCost(const ReduceGraph& R, const IntArray& slots, const tesmo::Graph& g) {
  std::vector<int> arcs;
  std::int64_t cost = 0;
  for (int k = 1; k <= slots[0]; ++k) {
    arcs.push_back(R.ID[slots[k]]);
    cost += R.arcs[slots[k]].cost;
  }
  EXPECT_TRUE(isSteinerTree(g, arcs));
  return cost;
}

TEST(Branching, FindsTheBruteForceOptimumOnRandomInstances) {
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("Reduction", "v");
  std::mt19937 rng(17);
  for (int round = 0; round < 60; ++round) {
    const int V = 4 + round % 6;
    tesmo::Graph g = randomSimpleGraph(rng, V, V + 4, 2 + round % 3, round % 2 ? 3 : 9);
    const BruteForceResult expected = bruteForce(g);
    ReduceGraph R(g);
    R.resetLower();
    const int value = tesmo::branching(R, tesmo::maxint);
    ASSERT_EQ(value, expected.optimum) << "round " << round;
    EXPECT_EQ(treeCost(R, tesmo::solutionList, g), expected.optimum);
    EXPECT_EQ(R.upperValue, expected.optimum);  // offered to the instance
  }
}

// Program 2's algorithm leaves currentGraph as it was and says its list holds that graph's arcs.
TEST(Exact, HandsBackArcsOfTheGraphItSolved) {
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("Reduction", "v");
  std::mt19937 rng(23);
  for (int round = 0; round < 12; ++round) {
    tesmo::Graph g = randomSimpleGraph(rng, 5 + round % 4, 9 + round % 4, 2 + round % 3, 9);
    const BruteForceResult expected = bruteForce(g);
    tesmo::currentGraph = &g;
    tesmo::solutionList.assign(g.E + 2, 0);
    const tesmo::HandedTree tree = tesmo::runExact();
    tesmo::currentGraph = nullptr;
    EXPECT_EQ(tree.graph, &g) << "round " << round;
    EXPECT_EQ(tree.numbering, tesmo::TreeNumbering::slots);
    EXPECT_EQ(tesmo::expandTree(tree, g), expected.optimum) << "round " << round;
  }
}

TEST(Branching, TreeOfTerminalsAndSingleTerminal) {
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("Reduction", "v");
  // A path of required vertices: the tree is the whole path.
  tesmo::Graph path = makeGraph(3, {{1, 2, 4}, {2, 3, 5}}, {1, 2, 3});
  ReduceGraph R(path);
  EXPECT_EQ(tesmo::branching(R, tesmo::maxint), 9);
  EXPECT_EQ(tesmo::solutionList[0], 2);
  // One terminal: the empty tree.
  tesmo::Graph single = makeGraph(2, {{1, 2, 4}}, {1});
  ReduceGraph S(single);
  EXPECT_EQ(tesmo::branching(S, tesmo::maxint), 0);
  EXPECT_EQ(tesmo::solutionList[0], 0);
}

TEST(Branching, RestoresVerbosityAndPhase) {
  tesmotest::LogCapture capture(4);
  tesmo::shell.Sset("Reduction", "v");
  tesmo::shell.phase = '3';
  tesmo::Graph g = makeGraph(3, {{1, 2, 1}, {2, 3, 1}, {1, 3, 3}}, {1, 3});
  ReduceGraph R(g);
  EXPECT_EQ(tesmo::branching(R, 0), 2);
  EXPECT_EQ(tesmo::verbose, 4);
  EXPECT_EQ(tesmo::shell.phase, '3');
}

TEST(BranchingDeath, RefusesAnUnsetLowerBound) {
  tesmo::Graph g = makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3});
  EXPECT_EXIT(
      {
        tesmotest::LogCapture capture(0);
        ReduceGraph R(g);
        R.lowerValue = tesmo::maxint;
        tesmo::branching(R, tesmo::maxint);
      },
      testing::ExitedWithCode(1), "");  // the warning line goes to standard output
}

TEST(SubsetEnumeration, LeavesOutVerticesThatCanOnlyBeLeaves) {
  tesmotest::LogCapture capture(0);
  // 3 and 4 hang off 2 as a chain; 5 lies on a cycle.
  tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {1, 5, 1}, {5, 2, 1}}, {1, 2});
  ReduceGraph R(g);
  tesmo::SubsetEnumeration search(R);
  EXPECT_EQ(search.candidateCount(), 1);
}

// One object serves instance after instance: what an earlier, larger instance left in its buffers
// must not leak into the next (the branch and bound reuses one object for every small node).
TEST(SubsetEnumeration, OneObjectAgreesWithFreshOnesOverManyInstances) {
  tesmotest::LogCapture capture(0);
  tesmo::SubsetEnumeration reused;
  EXPECT_EQ(reused.candidateCount(), 0);
  int compared = 0;
  for (const auto& instance : steinertest::instanceMix(150, 5)) {
    ReduceGraph R(instance.graph);
    tesmo::SubsetEnumeration fresh(R);
    if (fresh.candidateCount() > 12) continue;
    IntArray expectedTree;
    const std::int64_t expected = fresh.solve(expectedTree);
    IntArray tree(1, 0);
    EXPECT_EQ(reused.run(R, tree), expected) << instance.description;
    EXPECT_EQ(reused.candidateCount(), fresh.candidateCount()) << instance.description;
    EXPECT_EQ(tree, expectedTree) << instance.description;
    ++compared;
  }
  EXPECT_GT(compared, 50);
}

TEST(SubsetEnumerationDeath, RefusesTooManyCandidates) {
  // A ladder: every non-required vertex has degree 3.
  std::vector<Edge> edges;
  const int rungs = 8;
  for (int i = 1; i <= rungs; ++i) {
    edges.push_back({2 * i - 1, 2 * i, 1});
    if (i < rungs) {
      edges.push_back({2 * i - 1, 2 * i + 1, 1});
      edges.push_back({2 * i, 2 * i + 2, 1});
    }
  }
  tesmo::Graph g = makeGraph(2 * rungs, edges, {1, 2 * rungs});
  EXPECT_EXIT(
      {
        tesmotest::LogCapture capture(0);
        tesmo::shell.Sset("subsetLimit", "10");
        ReduceGraph R(g);
        IntArray slots;
        tesmo::SubsetEnumeration(R).solve(slots);
      },
      testing::ExitedWithCode(1), "");
}

TEST(ProblemClass, ManyOrFewRequiredVertices) {
  tesmotest::LogCapture capture(1);
  // Few: a path.
  tesmo::Graph path = makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3});
  tesmo::chooseProblemClass(ReduceGraph(path));
  EXPECT_EQ(tesmo::shell.Phase, 'W');
  // Many: every vertex required, average degree above 10.
  std::vector<Edge> edges;
  std::vector<int> all;
  for (int u = 1; u <= 12; ++u) {
    all.push_back(u);
    for (int w = u + 1; w <= 12; ++w) edges.push_back({u, w, 1});
  }
  tesmo::chooseProblemClass(ReduceGraph(makeGraph(12, edges, all)));
  EXPECT_EQ(tesmo::shell.Phase, 'V');
  const std::string log = capture.text();
  EXPECT_NE(log.find("average degree for R: 1; few required vertices\n"), std::string::npos);
  EXPECT_NE(log.find("average degree for R: 11; many required vertices\n"), std::string::npos);
}

TEST(PruneSolution, SpansTheSolutionsVerticesAndDropsSteinerLeaves) {
  tesmotest::LogCapture capture(0);
  // Terminals 1 and 3; the solution names 1-2, 2-3 and the spur 2-4.
  tesmo::Graph g = makeGraph(4, {{1, 2, 2}, {2, 3, 2}, {2, 4, 1}, {1, 3, 9}}, {1, 3});
  IntArray solution = {3, g.findArc(1, 2), g.findArc(2, 3), g.findArc(2, 4)};
  EXPECT_EQ(tesmo::pruneSolution(g, solution), 4);
  EXPECT_EQ(tesmo::solutionList[0], 2);
}

TEST(PruneSolutionDeath, RefusesIdentitySolutions) {
  tesmo::Graph g = makeGraph(2, {{1, 2, 2}}, {1, 2});
  g.solutionAsIDs = true;
  EXPECT_EXIT(
      {
        tesmotest::LogCapture capture(0);
        tesmo::pruneSolution(g, IntArray{1, 1});
      },
      testing::ExitedWithCode(1), "");
}

TEST(AlgorithmTableDeath, NamesMatchExactly) {
  for (const char* name : {"Exact", "exact ", "", "allsolutions"})
    EXPECT_EXIT(tesmo::algorithmTable(name), testing::ExitedWithCode(1),
                std::string("algorithm ") + name + " not implemented!");
}

TEST(AlgorithmTable, KnownNamesHaveEntries) {
  EXPECT_EQ(tesmo::algorithmTable("exact"), &tesmo::exact);
  EXPECT_EQ(tesmo::algorithmTable("allSolutions"), &tesmo::allSolutions);
  for (const char* name : {"tm3", "reduction", "reduction_phase", "exactMst", "combine", "kmb", "biCon"})
    EXPECT_NE(tesmo::algorithmTable(name), nullptr) << name;
}

}  // namespace
