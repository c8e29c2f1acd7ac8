// Fast ascent A: the root schedule, the safety check with its variants, and the bound meeting the
// tree of the auxiliary graph.

#include "AscentFast.h"
#include "ReducedCostDeletion.h"
#include "Shell.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "../reduce/ReductionSafety.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The rules by which a reduced-cost bound at the gap removes something, on one small graph with
// the distances and reduced costs written in by hand (gap 4):
//
//   1 --- 2 --- 3        terminals 1 (root) and 3; the stored tree is 1-2-3 (when stored)
//   |     |     |        every edge of cost 1
//   4 --- 5 ----'        edges 1-2, 2-3, 1-4, 4-3, 2-5, 4-5
//
// A bound equal to the gap removes only what a stored tree avoids; one above it removes
// always. Vertices: 2 (tree) and 4 (off tree) at the gap, 5 beyond it.
class ReducedCostGapRules : public ::testing::Test {
protected:
  ReducedCostGapRules()
      : R(makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 4, 1}, {4, 3, 1}, {2, 5, 1}, {4, 5, 1}}, {1, 3})),
        rc(static_cast<std::size_t>(2 * R.E) + 1, 0), fromRoot(6, 0), toTerminal(6, 0), replace(6, 0) {}

  void storeTree() {
    IntArray tree = slotList(R, {{1, 2}, {2, 3}});
    R.setUpper(tree, "test", 0);
    ASSERT_TRUE(R.upperOk);
  }
  void setArc(int u, int v, int cost) { rc[slotOf(R, u, v)] = cost; }
  ReducedCostDeletions run(int maxDegree = 10) {
    return deleteByReducedCosts(R, rc, fromRoot, toTerminal, 4, maxDegree, replace);
  }
  bool edgeLive(int u, int v) const { return slotOf(R, u, v) != 0; }

  LogCapture log{0};
  ReduceGraph R;
  IntArray rc, fromRoot, toTerminal, replace;
};

TEST_F(ReducedCostGapRules, VertexAtTheGapGoesOnlyWhenAStoredTreeAvoidsIt) {
  for (const bool tree : {false, true}) {
    SCOPED_TRACE(tree ? "tree stored" : "no tree");
    R = ReduceGraph(makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 4, 1}, {4, 3, 1}, {2, 5, 1}, {4, 5, 1}}, {1, 3}));
    if (tree) storeTree();
    fromRoot[2] = 1, toTerminal[2] = 3;
    fromRoot[4] = 3, toTerminal[4] = 1;
    fromRoot[5] = 2, toTerminal[5] = 3;
    const ReducedCostDeletions done = run();
    EXPECT_EQ(done.vertices, tree ? 2 : 1);
    EXPECT_NE(R.degree[2], 0);
    EXPECT_EQ(R.degree[4] == 0, tree);
    EXPECT_EQ(R.degree[5], 0);
    EXPECT_EQ(R.upperOk != 0, tree);
  }
}

TEST_F(ReducedCostGapRules, EdgeAtTheGap) {
  struct Case {
    const char* what;
    bool tree;
    int u, v, forward, backward;  // reduced costs of u->v and v->u
    bool deleted;
  };
  for (const Case& c : std::vector<Case>{
           {"off-tree edge at the gap, tree stored", true, 1, 4, 4, 4, true},
           {"off-tree edge at the gap, no tree", false, 1, 4, 4, 4, false},
           {"off-tree edge below the gap one way", true, 1, 4, 3, 4, false},
           {"tree edge at the gap one way", true, 1, 2, 5, 4, false},
           {"tree edge beyond the gap both ways", true, 1, 2, 5, 5, true},
       }) {
    SCOPED_TRACE(c.what);
    R = ReduceGraph(makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 4, 1}, {4, 3, 1}, {2, 5, 1}, {4, 5, 1}}, {1, 3}));
    std::fill(rc.begin(), rc.end(), 0);
    if (c.tree) storeTree();
    setArc(c.u, c.v, c.forward);
    setArc(c.v, c.u, c.backward);
    const ReducedCostDeletions done = run();
    EXPECT_EQ(done.edges, c.deleted ? 1 : 0);
    EXPECT_EQ(edgeLive(c.u, c.v), !c.deleted);
    // Deleting a tree edge costs the stored tree.
    EXPECT_EQ(R.upperOk != 0, c.tree && !(c.deleted && c.u == 1 && c.v == 2));
  }
}

// Replacement: root distance + twice the terminal distance at the gap marks a vertex only while
// a stored tree has it at degree below 3; beyond the gap always; never above ascentMaxDegree
// or below degree 3 (vertex 5 has degree 2).
TEST_F(ReducedCostGapRules, ReplacementMarks) {
  struct Case {
    const char* what;
    bool tree;
    int maxDegree;
    int fromRoot4;  // vertex 4 (off tree, degree 3); vertex 2 (tree degree 2) sits at the gap
    std::vector<int> marked;
  };
  for (const Case& c : std::vector<Case>{{"tree stored", true, 10, 2, {2, 4}},
                                         {"no tree", false, 10, 2, {}},
                                         {"vertex 4 beyond the gap, no tree", false, 10, 3, {4}},
                                         {"degree limit 2", false, 2, 3, {}}}) {
    SCOPED_TRACE(c.what);
    R = ReduceGraph(makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 4, 1}, {4, 3, 1}, {2, 5, 1}, {4, 5, 1}}, {1, 3}));
    std::fill(replace.begin(), replace.end(), 0);
    if (c.tree) storeTree();
    fromRoot[2] = 2, toTerminal[2] = 1;  // bound 3 keeps the vertex; 2 + 2 x 1 = gap
    fromRoot[4] = c.fromRoot4, toTerminal[4] = 1;
    fromRoot[5] = 0, toTerminal[5] = 3;  // degree 2: never a candidate
    const ReducedCostDeletions done = run(c.maxDegree);
    EXPECT_EQ(done.vertices, 0);
    std::vector<int> marked;
    for (int v = 1; v <= R.V; ++v)
      if (replace[v]) marked.push_back(v);
    EXPECT_EQ(marked, c.marked);
    EXPECT_EQ(done.marked, static_cast<int>(c.marked.size()));
  }
}
