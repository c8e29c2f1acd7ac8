// The edge iterators, shared solution trees and member lists.

#include "GraphEdgeIterator.h"
#include "LiveEdgeIterator.h"
#include "MemberLists.h"
#include "ReduceGraph.h"
#include "SolutionTree.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

std::vector<Arc> allGraphEdges(const Graph& g, bool onlyForward) {
  std::vector<Arc> list;
  GraphEdgeIterator it;
  for (Arc a = nextGraphEdge(g, it, onlyForward); a.tail != 0; a = nextGraphEdge(g, it, onlyForward))
    list.push_back(a);
  // Past the end it keeps answering the end.
  EXPECT_EQ(nextGraphEdge(g, it, onlyForward), Arc{});
  return list;
}

TEST(GraphEdgeIterator, OnlyForwardGivesEachEdgeOnceFromItsSmallerEnd) {
  const Graph g = makeGraph(3, {{1, 2, 5}, {2, 3, 6}, {1, 3, 7}}, {1, 3});
  const std::vector<Arc> forward = allGraphEdges(g, true);
  ASSERT_EQ(forward.size(), 3u);
  std::set<std::tuple<int, int, int>> seen;
  for (const Arc& a : forward) {
    EXPECT_LT(a.tail, a.head);
    seen.emplace(a.tail, a.head, a.cost);
  }
  EXPECT_EQ(seen, (std::set<std::tuple<int, int, int>>{{1, 2, 5}, {2, 3, 6}, {1, 3, 7}}));
  EXPECT_EQ(allGraphEdges(g, false).size(), 6u);
}

TEST(GraphEdgeIterator, SkipsVerticesWithoutArcs) {
  // Vertices 1, 3 and 5 have no arcs.
  const Graph g = makeGraph(6, {{2, 4, 1}, {4, 6, 2}}, {2, 6});
  const std::vector<Arc> arcs = allGraphEdges(g, false);
  ASSERT_EQ(arcs.size(), 4u);
  EXPECT_EQ(arcs.front().tail, 2);
  EXPECT_EQ(arcs.back().tail, 6);
  EXPECT_TRUE(allGraphEdges(Graph{}, true).empty());
}

std::vector<int> liveSlots(const ReduceGraph& R, int v) {
  std::vector<int> slots;
  LiveEdgeIterator it(R, v);
  while (nextLiveEdge(R, it)) {
    EXPECT_EQ(it.arc, &R.arcs[it.slot]);
    slots.push_back(it.slot);
  }
  EXPECT_EQ(nextLiveEdge(R, it), 0);
  return slots;
}

TEST(LiveEdgeIterator, WalksTheRangeThenTheOverflowChain) {
  tesmotest::LogCapture log(0);
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {1, 3, 2}, {2, 3, 3}}, {1, 2}));
  const int first = R.firstArc[1];
  // Inside the range deleted slots come too; callers test delE.
  EXPECT_EQ(liveSlots(R, 1), (std::vector<int>{first, first + 1}));
  // Vertex 4 has neither range nor chain.
  EXPECT_TRUE(liveSlots(R, 4).empty());

  // Hand-made chain of vertex 1: three overflow slots, the middle one deleted.
  const int a = 2 * R.E + 1;
  R.arcs[a] = Arc{1, 4, 9};
  R.arcs[a + 2] = Arc{1, 4, 9};
  R.arcs[a + 4] = Arc{1, 4, 9};
  R.delE[a + 2] = 1;
  R.vertexWork[1] = a;
  R.slotNext[a] = a + 2;
  R.slotNext[a + 2] = a + 4;
  R.overflowMode = 1;
  EXPECT_EQ(liveSlots(R, 1), (std::vector<int>{first, first + 1, a, a + 4}));
  // A chain whose slots are all deleted, behind an empty range.
  R.vertexWork[4] = a + 2;
  R.slotNext[a + 2] = 0;
  EXPECT_TRUE(liveSlots(R, 4).empty());
  // Without overflow mode the chain is not visited.
  R.overflowMode = 0;
  EXPECT_EQ(liveSlots(R, 1), (std::vector<int>{first, first + 1}));
  R.vertexWork[1] = R.vertexWork[4] = 0;
}

IntArray list(std::initializer_list<int> entries) { return intList(entries); }

// Frees a test's tree and checks that every node it made is gone.
struct TreeGuard {
  int before = SolutionTree::liveNodes;
  ~TreeGuard() { EXPECT_EQ(SolutionTree::liveNodes, before); }
};

TEST(SolutionTree, CountsAndFlattensEveryRootToLeafPath) {
  TreeGuard guard;
  SolutionTree empty;
  // Two leaves of 2 and 3 edges below a root of 1 edge.
  SolutionTree* leafA = extendTree(&empty, list({11, 12}));
  SolutionTree* leafB = extendTree(&empty, list({21, 22, 23}));
  EXPECT_EQ(leafA->childCount, 0);  // an empty tree is not linked
  auto* root = new SolutionTree;
  ++SolutionTree::liveNodes;
  root->edges = list({5});
  root->children = {leafA, leafB};
  root->childCount = 2;

  std::int64_t count = 0;
  std::int64_t ints = 0;
  countTreeSolutions(root, count, ints);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ints, (1 * 1 + 3) + (1 * 1 + 4));

  IntArray path;
  IntArray store;
  IntArray starts;
  flattenTreeSolutions(root, path, store, starts);
  // Last child first; each solution root first, 0-terminated.
  ASSERT_EQ(starts[0], 2);
  EXPECT_EQ(store[0], ints);
  EXPECT_EQ(std::vector<int>(store.begin() + 1, store.begin() + store[0] + 1),
            (std::vector<int>{5, 21, 22, 23, 0, 5, 11, 12, 0}));
  EXPECT_EQ(starts[1], 1);
  EXPECT_EQ(starts[2], 6);
  EXPECT_EQ(path[0], 0);
  releaseTree(root, true);
}

// A node made by hand (as the dynamic program links several children), counted live.
SolutionTree* node(std::initializer_list<int> edges, std::vector<SolutionTree*> children) {
  auto* n = new SolutionTree;
  ++SolutionTree::liveNodes;
  n->edges = intList(edges);
  n->children = std::move(children);
  n->childCount = static_cast<int>(n->children.size());
  return n;
}

TEST(SolutionTree, CountsAgreeWithTheFlattenedStore) {
  struct Case {
    const char* name;
    SolutionTree* (*make)();
    std::int64_t count, ints;
  };
  const std::vector<Case> cases = {
      {"leaf", [] { return node({1, 2, 3}, {}); }, 1, 4},
      {"root and two leaves", [] { return node({5}, {node({11, 12}, {}), node({21, 22, 23}, {})}); }, 2,
       (1 + 3) + (1 + 4)},
      {"three levels",
       [] { return node({1, 2}, {node({3}, {node({4}, {}), node({5, 6}, {})})}); }, 2,
       2 * 2 + (1 + 2) + (1 + 3)},
      {"shared leaf",
       [] {
         SolutionTree* leaf = node({7, 8}, {});
         ++leaf->extraReferences;
         return node({9}, {leaf, leaf});
       },
       2, 2 * (1 + 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TreeGuard guard;
    SolutionTree* root = c.make();
    std::int64_t count = 0;
    std::int64_t ints = 0;
    countTreeSolutions(root, count, ints);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(ints, c.ints);
    IntArray path;
    IntArray store;
    IntArray starts;
    flattenTreeSolutions(root, path, store, starts);
    EXPECT_EQ(starts[0], count);
    EXPECT_EQ(store[0], ints);
    // Each solution ends with the 0 just before the next one starts.
    EXPECT_EQ(starts[1], 1);
    for (int k = 2; k <= starts[0]; ++k) EXPECT_EQ(store[starts[k] - 1], 0);
    EXPECT_EQ(store[store[0]], 0);
    releaseTree(root, true);
  }
}

TEST(SolutionTree, SharedNodesAreFreedByTheirLastOwner) {
  TreeGuard guard;
  SolutionTree empty;
  SolutionTree* leaf = extendTree(&empty, list({1}));
  // An empty list hands back the same node with one more reference.
  EXPECT_EQ(extendTree(leaf, IntArray(1, 0)), leaf);
  EXPECT_EQ(leaf->extraReferences, 1);
  SolutionTree* above = extendTree(leaf, list({2, 3}));
  EXPECT_EQ(above->childCount, 1);
  EXPECT_EQ(leaf->extraReferences, 2);
  const int live = SolutionTree::liveNodes;
  releaseTree(leaf, true);
  releaseTree(leaf, true);
  EXPECT_EQ(SolutionTree::liveNodes, live);  // the parent still holds it
  releaseTree(above, true);
  EXPECT_EQ(SolutionTree::liveNodes, live - 2);
}

TEST(SolutionTree, CostIsThatOfTheFirstLeafReached) {
  TreeGuard guard;
  tesmotest::LogCapture log(0);
  ReduceGraph R(makeGraph(4, {{1, 2, 10}, {2, 3, 20}, {3, 4, 40}}, {1, 4}));
  const int s12 = slotOf(R, 1, 2);
  const int s23 = slotOf(R, 2, 3);
  const int s34 = slotOf(R, 3, 4);
  SolutionTree empty;
  SolutionTree* cheap = extendTree(&empty, list({s12}));
  SolutionTree* dear = extendTree(&empty, list({s34}));
  auto* root = new SolutionTree;
  ++SolutionTree::liveNodes;
  root->edges = list({s23});
  root->children = {cheap, dear};
  root->childCount = 2;
  // The last child is reached first.
  EXPECT_EQ(treeSolutionCost(root, R, 0, maxint), 20 + 40);
  EXPECT_EQ(treeSolutionCost(root, R, 5, 7), 7);
  releaseTree(root, true);
}

// The dynamic program links one node per step: chains as long as an instance has vertices must
// be counted, listed, costed and freed without running out of stack.
TEST(SolutionTree, LongChainsAreWalkedWithoutRecursion) {
  TreeGuard guard;
  ReduceGraph R(makeGraph(2, {{1, 2, 3}}, {1, 2}));
  const int slot = slotOf(R, 1, 2);
  SolutionTree empty;
  SolutionTree* chain = extendTree(&empty, list({slot}));
  const int length = 300000;
  for (int k = 1; k < length; ++k) {
    SolutionTree* next = extendTree(chain, list({slot}));
    releaseTree(chain, true);  // the new node holds it now
    chain = next;
  }
  std::int64_t count = 0;
  std::int64_t ints = 0;
  countTreeSolutions(chain, count, ints);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(ints, length + 1);
  IntArray path;
  IntArray store;
  IntArray starts;
  flattenTreeSolutions(chain, path, store, starts);
  EXPECT_EQ(starts[0], 1);
  EXPECT_EQ(store[0], length + 1);
  EXPECT_EQ(treeSolutionCost(chain, R, 0, maxint), 3LL * length);
  EXPECT_EQ(checkTreeSolutions(chain, R), 3LL * length);
  releaseTree(chain, true);
}

// Shared nodes: every level doubles the solutions while adding three nodes. The counts are 64-bit,
// found in time linear in the nodes, and saturate instead of wrapping.
TEST(SolutionTree, CountsOfSharedLevelsGrowPastThirtyTwoBitsAndSaturate) {
  struct Case {
    int levels;
    std::int64_t count, ints;
  };
  constexpr std::int64_t top = std::numeric_limits<std::int64_t>::max();
  const Case cases[] = {{1, 2, 2 * 2}, {40, std::int64_t{1} << 40, (std::int64_t{1} << 40) * 41}, {70, top, top}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.levels);
    TreeGuard guard;
    SolutionTree* below = node({}, {});
    for (int level = 0; level < c.levels; ++level) {
      // Two alternatives of one edge each above the same rest.
      SolutionTree* a = extendTree(below, list({1}));
      SolutionTree* b = extendTree(below, list({2}));
      releaseTree(below, true);
      below = node({}, {a, b});
    }
    std::int64_t count = 0;
    std::int64_t ints = 0;
    countTreeSolutions(below, count, ints);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(ints, c.ints);
    releaseTree(below, true);
  }
}

TEST(SolutionTree, CheckGivesTheCommonCostOrMinusOne) {
  TreeGuard guard;
  ReduceGraph R(makeGraph(4, {{1, 2, 10}, {2, 3, 20}, {3, 4, 10}, {1, 4, 30}}, {1, 3}));
  const int s12 = slotOf(R, 1, 2), s23 = slotOf(R, 2, 3), s34 = slotOf(R, 3, 4), s14 = slotOf(R, 1, 4);
  struct Case {
    const char* name;
    std::vector<std::vector<int>> alternatives;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"equal costs", {{s12, s23}, {s14}}, 30},
      {"different costs", {{s12, s23}, {s34, s14}}, -1},
      {"no such slot", {{s12, 2 * R.E + 1}}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<SolutionTree*> children;
    for (const auto& edges : c.alternatives) {
      IntArray l(1, 0);
      for (int e : edges) l.push_back(e), ++l[0];
      auto* leaf = node({}, {});
      leaf->edges = l;
      children.push_back(leaf);
    }
    SolutionTree* root = node({}, children);
    EXPECT_EQ(checkTreeSolutions(root, R), c.expected);
    releaseTree(root, true);
  }
}

TEST(MemberLists, MergesKeepCircularListsSizesAndRoots) {
  struct Step {
    int a, b, survivor, size;
  };
  // Elements 1..6.
  const std::vector<Step> steps = {
      {1, 2, 1, 2},  // tie: a's root survives
      {3, 1, 1, 3},  // the larger set survives, whichever side it is on
      {4, 5, 4, 2},
      {4, 2, 1, 5},  // set of 2 into the set of 3
      {6, 3, 1, 6},
      {2, 5, 1, 6},  // already one set: nothing changes
  };
  MemberLists sets;
  sets.reset(6);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.a * 10 + step.b);
    EXPECT_EQ(mergeMemberLists(sets, step.a, step.b), step.survivor);
    EXPECT_EQ(sets.size[step.survivor], step.size);
    // Walking the survivor's circle meets exactly the elements with that root.
    std::set<int> members;
    int x = step.survivor;
    do {
      EXPECT_TRUE(members.insert(x).second);
      x = sets.next[x];
    } while (x != step.survivor);
    EXPECT_EQ(static_cast<int>(members.size()), step.size);
    for (int e = 1; e <= 6; ++e) EXPECT_EQ(members.count(e) == 1, sets.root[e] == step.survivor);
  }
}

TEST(MemberLists, SizeThreeAbsorbsSizeOne) {
  MemberLists sets;
  sets.reset(4);
  mergeMemberLists(sets, 1, 2);
  mergeMemberLists(sets, 1, 3);
  EXPECT_EQ(mergeMemberLists(sets, 4, 2), 1);
  EXPECT_EQ(sets.size[1], 4);
  EXPECT_EQ(sets.root[4], 1);
}

}  // namespace
