#include "PrimMstPrune.h"

#include "Graph.h"
#include "LogStream.h"
#include "Shell.h"
#include "TestPaths.h"
#include "UnionFind.h"

#include "InstanceBuilders.h"
#include "RandomInstances.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>
#include <vector>

using tesmo::Graph;
using tesmo::IntArray;
using namespace tesmotest;

namespace {

IntArray marks(int V, const std::vector<int>& vertices) {
  IntArray m(V + 1, 0);
  for (int v : vertices) m[v] = 1;
  return m;
}

// The tree in solutionList: its edges as sorted vertex pairs, checked to be a tree.
std::set<std::pair<int, int>> treeEdges(const Graph& g) {
  std::set<std::pair<int, int>> edges;
  for (int i = 1; i <= tesmo::solutionList[0]; ++i) {
    const tesmo::Arc& a = g.arcs[tesmo::solutionList[i]];
    edges.insert({std::min(a.tail, a.head), std::max(a.tail, a.head)});
  }
  return edges;
}

struct MstCase {
  const char* label;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  std::vector<int> forbidden;  // vertices not allowed
  long long expected;
  std::set<std::pair<int, int>> tree;
};
void PrintTo(const MstCase& c, std::ostream* os) { *os << c.label; }

class PrimMstPrune : public ::testing::TestWithParam<MstCase> {
protected:
  void SetUp() override {
    tesmo::verbose = 0;
    tesmo::solutionList.assign(1, 0);
  }
};

//  1 --1-- 2 --1-- 3        a path with a dead end at 4 (not required) and a shortcut 1-3
//          |
//          1
//          4
TEST_P(PrimMstPrune, GrowsAndPrunesTheTree) {
  const MstCase& c = GetParam();
  const Graph g = makeGraph(c.V, c.edges, c.terminals);
  IntArray allowed(c.V + 1, 1);
  for (int v : c.forbidden) allowed[v] = 0;
  const IntArray required = marks(c.V, c.terminals);
  EXPECT_EQ(tesmo::primMstPrune(g, allowed, required), c.expected);
  if (c.expected != tesmo::maxint) {
    EXPECT_EQ(treeEdges(g), c.tree);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrimMstPrune,
    ::testing::Values(
        MstCase{"deadEndPruned", 4, {{1, 2, 1}, {2, 3, 1}, {2, 4, 1}, {1, 3, 5}}, {1, 3}, {}, 2, {{1, 2}, {2, 3}}},
        MstCase{"chainOfSteinerLeavesPruned", 5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {1, 5, 3}}, {1, 5}, {}, 3, {{1, 5}}},
        MstCase{"forbiddenVertexAvoided", 4, {{1, 2, 1}, {2, 3, 1}, {1, 4, 4}, {4, 3, 4}}, {1, 3}, {2}, 8,
                {{1, 4}, {3, 4}}},
        MstCase{"singleTerminal", 3, {{1, 2, 1}, {2, 3, 1}}, {2}, {}, 0, {}},
        MstCase{"firstTerminalIsALeaf", 4, {{1, 2, 2}, {1, 3, 2}, {1, 4, 9}}, {2, 3, 1}, {}, 4, {{1, 2}, {1, 3}}},
        MstCase{"zeroCostEdges", 3, {{1, 2, 0}, {2, 3, 0}}, {1, 3}, {}, 0, {{1, 2}, {2, 3}}},
        MstCase{"notConnected", 4, {{1, 2, 1}, {3, 4, 1}}, {1, 4}, {}, tesmo::maxint, {}},
        MstCase{"cutOffByForbidden", 3, {{1, 2, 1}, {2, 3, 1}}, {1, 3}, {2}, tesmo::maxint, {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(PrimMstPruneLog, ReportsBothWeightsAndNotConnected) {
  testpaths::TempDir tmp;
  tesmo::shell.clearVariables();
  tesmo::shell.Sset("output", tmp.file("l.log"));
  tesmo::logStream.openLog();
  tesmo::logStream.toScreen = false;
  tesmo::verbose = 3;
  tesmo::solutionList.assign(1, 0);
  const Graph g = makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {2, 4, 7}}, {1, 3});
  tesmo::primMstPrune(g, IntArray(5, 1), marks(4, {1, 3}));
  const Graph apart = makeGraph(4, {{1, 2, 1}, {3, 4, 1}}, {1, 4});
  tesmo::primMstPrune(apart, IntArray(5, 1), marks(4, {1, 4}));
  tesmo::logStream.closeLog();
  tesmo::shell.clearVariables();
  tesmo::verbose = 0;
  // Prim stops once 1 and 3 are reached, before the expensive dead end.
  EXPECT_EQ(testpaths::readFile(tmp.file("l.log")), "MST: 2 Pruned: 2\nNot Connected!\n");
}

// On random connected graphs: the result is a tree over allowed vertices that reaches every
// required vertex, has only required leaves, and weighs what it returns.
TEST(PrimMstPruneProperties, RandomGraphs) {
  tesmo::verbose = 0;
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const int V = 2 + static_cast<int>(rng() % 30);
    const Graph g = randomGraph(rng, V, RandomGraphOptions{0, 19});
    const std::vector<int> terminals(g.terminals.begin() + 1, g.terminals.begin() + 1 + g.R);
    const IntArray required = marks(V, terminals);
    tesmo::solutionList.assign(1, 0);
    const long long weight = tesmo::primMstPrune(g, IntArray(V + 1, 1), required);

    long long sum = 0;
    std::vector<int> degree(V + 1, 0);
    tesmo::UnionFind sets(V);
    for (int i = 1; i <= tesmo::solutionList[0]; ++i) {
      const tesmo::Arc& a = g.arcs[tesmo::solutionList[i]];
      sum += a.cost;
      ++degree[a.tail];
      ++degree[a.head];
      ASSERT_TRUE(sets.join(a.tail, a.head)) << "cycle in round " << round;
    }
    EXPECT_EQ(weight, sum);
    for (int t : terminals) EXPECT_TRUE(sets.same(t, terminals[0])) << "round " << round;
    for (int v = 1; v <= V; ++v)
      if (degree[v] == 1) {
        EXPECT_TRUE(required[v]) << "Steiner leaf " << v << " in round " << round;
      }
  }
}

}  // namespace

namespace {

// One object run again and again on one graph with other vertex sets: each run gives what a
// fresh object gives, so nothing of an earlier run leaks into the next.
TEST(PrimMstPruneObject, ReusedObjectMatchesAFreshOneRunAfterRun) {
  tesmo::verbose = 0;
  std::mt19937 rng(5);
  const Graph g = randomGraph(rng, 16, RandomGraphOptions{0, 9});
  tesmo::PrimMstPrune reused(g);
  for (int round = 0; round < 30; ++round) {
    IntArray allowed(g.V + 1, 1);
    for (int v = 1; v <= g.V; ++v)
      if (rng() % 4 == 0) allowed[v] = 0;
    IntArray required(g.V + 1, 0);
    for (int k = 1; k <= g.R; ++k) allowed[g.terminals[k]] = required[g.terminals[k]] = 1;
    tesmo::PrimMstPrune fresh(g);
    ASSERT_EQ(reused.run(allowed, required), fresh.run(allowed, required)) << round;
    ASSERT_EQ(reused.mstWeight(), fresh.mstWeight()) << round;
    const IntArray& a = reused.tree();
    const IntArray& b = fresh.tree();
    ASSERT_EQ(std::vector<int>(a.begin(), a.begin() + a[0] + 1),
              std::vector<int>(b.begin(), b.begin() + b[0] + 1)) << round;
  }
}

}  // namespace
