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

#include <algorithm>
#include <map>
#include <random>
#include <set>
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
  std::int64_t reductionSuccess = 0;
  std::vector<std::vector<int>> listed;  // storeTrees 2: the optimal trees as R's slots
};

DpRun runDp(ReduceGraph& R, std::vector<std::string> options = {}, int verbosity = 3) {
  LogCapture capture(verbosity);
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
  run.reductionSuccess = dp.reductionSuccess();
  for (int k = 1; k <= dp.solutionStarts()[0]; ++k) {
    std::vector<int> tree;
    for (int i = dp.solutionStarts()[k]; dp.solutionStore()[i] != 0; ++i) tree.push_back(dp.solutionStore()[i]);
    run.listed.push_back(tree);
  }
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

int countOf(const std::string& text, const std::string& piece) {
  int n = 0;
  for (std::size_t p = text.find(piece); p != std::string::npos; p = text.find(piece, p + 1)) ++n;
  return n;
}

// Start vertices tried: by default as many as the instance has vertices, never more than the
// first three (the first, last and middle terminal, which may repeat) and the other live vertices.
TEST(DynSteiner, TriesAsManyStartVerticesAsTheDefaultAllows) {
  struct Case {
    const char* name;
    int vertices;
    std::vector<int> terminals;
    std::vector<int> deleted;  // vertices deleted before the run
    std::vector<std::string> options;
    int tries;
  };
  const Case cases[] = {
      {"every vertex of a chain", 12, {1, 6, 12}, {}, {}, 12},
      {"set by the option", 12, {1, 6, 12}, {}, {"dynMaxTrys=5"}, 5},
      // Live: 1..9, of which 1 and 3 are among the first three (1, 3, 1): 3 + 7 candidates.
      {"only live vertices", 12, {1, 2, 3}, {10, 11, 12}, {}, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const tesmo::Graph g = chain(c.vertices, {2, 1, 3}, c.terminals);
    ReduceGraph R(g);
    for (int v : c.deleted) R.deleteVertex(v);
    const DpRun run = runDp(R, c.options);
    EXPECT_TRUE(run.ran) << run.log;
    EXPECT_EQ(countOf(run.log, "checking starting vertex "), c.tries) << run.log;
  }
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

// A connected random graph of n vertices with costs 1 and 2 (many equal-cost trees) and few
// enough edges for the brute-force count of optimal trees.
tesmo::Graph smallTiedGraph(std::mt19937& rng, int n, int extraEdges, int terminals) {
  std::vector<Edge> edges;
  std::set<std::pair<int, int>> used;
  auto cost = [&] { return 1 + static_cast<int>(rng() % 3 == 0); };
  for (int v = 2; v <= n; ++v) {
    const int u = 1 + static_cast<int>(rng() % static_cast<unsigned>(v - 1));
    used.insert({u, v});
    edges.push_back({u, v, cost()});
  }
  for (int tries = 0; tries < 100 && extraEdges > 0; ++tries) {
    int u = 1 + static_cast<int>(rng() % static_cast<unsigned>(n));
    int v = 1 + static_cast<int>(rng() % static_cast<unsigned>(n));
    if (u == v) continue;
    if (u > v) std::swap(u, v);
    if (!used.insert({u, v}).second) continue;
    edges.push_back({u, v, cost()});
    --extraEdges;
  }
  std::vector<int> all(static_cast<std::size_t>(n));
  for (int v = 1; v <= n; ++v) all[static_cast<std::size_t>(v - 1)] = v;
  std::shuffle(all.begin(), all.end(), rng);
  return makeGraph(n, edges, std::vector<int>(all.begin(), all.begin() + terminals));
}

// storeTrees 2 lists every optimal tree once: the count and the listing agree with brute force,
// equal-cost links from the new vertex into one block included.
TEST(DynSteiner, StoreTreesTwoListsEveryOptimalTreeOnce) {
  std::mt19937 rng(19);
  int withSeveral = 0;
  for (int round = 0; round < 60; ++round) {
    const int n = 6 + round % 4;
    const tesmo::Graph g = smallTiedGraph(rng, n, 14 - n, 2 + round % 3);
    const BruteForceResult truth = bruteForce(g);
    ReduceGraph R(g);
    const DpRun run = runDp(R, {"storeTrees=2", "maxBorder=12"});
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(run.ran) << run.log;
    EXPECT_EQ(run.count, truth.optimalTreeCount);
    ASSERT_EQ(run.listed.size(), static_cast<std::size_t>(run.count));
    std::set<std::vector<EdgeKey>> distinct;
    std::set<EdgeKey> covered;
    std::map<EdgeKey, int> arcOf;
    for (int a : edgeArcs(g)) arcOf[keyOf(g.arcs[a])] = a;
    for (const std::vector<int>& tree : run.listed) {
      std::vector<EdgeKey> keys;
      std::vector<int> arcs;
      std::int64_t cost = 0;
      for (int slot : tree) {
        keys.push_back(keyOf(R.arcs[slot]));
        arcs.push_back(arcOf.at(keys.back()));
        cost += R.arcs[slot].cost;
      }
      EXPECT_EQ(cost, truth.optimum);
      EXPECT_TRUE(isSteinerTree(g, arcs));
      covered.insert(keys.begin(), keys.end());
      std::sort(keys.begin(), keys.end());
      EXPECT_TRUE(distinct.insert(keys).second) << "a tree is listed twice";
    }
    EXPECT_EQ(covered, truth.unionOfOptimal);
    EXPECT_EQ(tesmo::SolutionTree::liveNodes, 0);
    if (truth.optimalTreeCount > 1) ++withSeveral;
  }
  EXPECT_GE(withSeveral, 20);
}

// The reduced-cost discarding of partitions (dynReduction 1 and 2) keeps the optimum whatever R
// holds: a tree, a better-than-nothing tree, or a bare value above or below the optimum.
TEST(DynSteiner, DynamicReductionKeepsTheOptimum) {
  enum class Upper { Optimal, Simple, ValueAbove, ValueBelow };
  const Upper uppers[] = {Upper::Optimal, Upper::Simple, Upper::ValueAbove, Upper::ValueBelow};
  const steinertest::Shape shapes[] = {steinertest::Shape::Ladder, steinertest::Shape::Grid,
                                       steinertest::Shape::Sparse};
  std::int64_t pruned = 0;
  int removedAll = 0;
  for (const char* mode : {"dynReduction=1", "dynReduction=2"})
    for (Upper upper : uppers)
      for (unsigned seed = 1; seed <= 8; ++seed) {
        const auto inst = steinertest::generateInstance(seed, shapes[seed % 3], steinertest::Costs::Small,
                                                        24, 3 + static_cast<int>(seed % 4));
        SCOPED_TRACE(inst.description + " " + mode + " upper " + std::to_string(static_cast<int>(upper)));
        ReduceGraph probe(inst.graph);
        const std::int64_t optimum = steinertest::dreyfusWagner(probe);
        ReduceGraph R(inst.graph);
        if (upper == Upper::Optimal) {
          ReduceGraph solved(inst.graph);
          runDp(solved, {"maxBorder=12"});
          ASSERT_EQ(solved.upperValue, optimum);
          tesmo::IntArray tree(1, 0);
          for (int s : liveEdgeSlots(solved))
            if (solved.inTree[solved.ID[s]]) tree.push_back(s), ++tree[0];
          R.setUpper(tree, "test", 0);
          ASSERT_EQ(R.upperValue, optimum);
        } else if (upper == Upper::Simple) {
          storeSimpleTree(R);
        } else {
          R.upperValue = static_cast<int>(optimum) + (upper == Upper::ValueAbove ? 2 : -1);
          R.upperValueValid = 0;
        }
        const int before = R.upperValue;
        const DpRun run = runDp(R, {mode, "maxBorder=12"});
        if (!run.ran && run.log.find("Graph solved.") == std::string::npos) continue;  // too wide
        EXPECT_LE(run.lower, optimum) << run.log;
        if (upper == Upper::ValueBelow) {
          EXPECT_EQ(run.upper, before);
        } else {
          EXPECT_EQ(run.upper, optimum) << run.log;
          EXPECT_EQ(run.lower, optimum) << run.log;
          EXPECT_EQ(steinertest::judgeInstance(inst.graph, R, optimum), "");
        }
        pruned += run.reductionSuccess;
        if (run.log.find("Reduction removed all possible trees.") != std::string::npos) ++removedAll;
      }
  EXPECT_GT(pruned, 0);  // the test does discard partitions
  EXPECT_GT(removedAll, 0);
}

// Tables and pools that start far too small grow (compacted first with dynGarbageCollection)
// without changing the result.
TEST(DynSteiner, TablesAndPoolsGrowFromATinyStart) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    const auto inst = steinertest::generateInstance(seed, steinertest::Shape::Grid, steinertest::Costs::Small, 30, 5);
    ReduceGraph probe(inst.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(probe);
    for (const char* collect : {"dynGarbageCollection=0", "dynGarbageCollection=1"}) {
      SCOPED_TRACE(inst.description + " " + collect);
      ReduceGraph R(inst.graph);
      const DpRun run = runDp(R, {"maxPartitions=16", "maxData=16", collect, "maxBorder=12"});
      ASSERT_TRUE(run.ran) << run.log;
      EXPECT_EQ(run.upper, optimum);
      EXPECT_NE(run.log.find("- doubling partitionTable: maxPartitions:"), std::string::npos);
      EXPECT_NE(run.log.find("- still not enough space, doubling: maxData:"), std::string::npos);
      EXPECT_EQ(run.log.find("- garbageCollection") != std::string::npos, collect[21] == '1');
    }
  }
}

// At a high verbosity every table is dumped and checked against the instance after each step.
TEST(DynSteiner, StoredTreesAreCheckedAtHighVerbosity) {
  const auto inst = steinertest::generateInstance(3, steinertest::Shape::Ladder, steinertest::Costs::Unit, 16, 4);
  for (const char* store : {"storeTrees=1", "storeTrees=2"}) {
    ReduceGraph R(inst.graph);
    const DpRun run = runDp(R, {store}, 6);
    ASSERT_TRUE(run.ran) << store;
    EXPECT_NE(run.log.find("P-cost:"), std::string::npos) << store;
    EXPECT_NE(run.log.find(" |"), std::string::npos) << store;  // a partition of two blocks
    EXPECT_EQ(run.log.find("Warning"), std::string::npos) << store;
    if (store[11] == '2') {
      EXPECT_NE(run.log.find("trees:"), std::string::npos);
    }
  }
}

TEST(DynSteiner, LetterKeepsTheOptimumAndTheTree) {
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  const auto failures = steinertest::checkSafety([](ReduceGraph& R) { tesmo::dynsteiner(R); });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

}  // namespace
