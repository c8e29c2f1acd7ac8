// Random small instances put through contractions, copies and exports; after every operation
// the invariants hold and the stored tree still maps back to a tree of the input graph of the
// same value.

#include "InstanceChecker.h"
#include "ReduceGraph.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "RandomInstances.h"

#include <gtest/gtest.h>

#include <random>

using namespace tesmo;
using namespace tesmotest;

namespace {

TEST(ReduceGraphProperties, ContractingTreeEdgesKeepsEverythingConsistent) {
  tesmotest::LogCapture log(0);
  std::mt19937 random(20261210);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const Graph input = randomGraph(random, 4 + round % 9, 9, 0, 0);  // costs 0..9
    ReduceGraph R(input);
    ASSERT_EQ(InstanceChecker().check(R), "");
    IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "MST", 1);
    ASSERT_EQ(R.upperOk, 1);
    ASSERT_EQ(InstanceChecker().check(R), "");

    // Contract tree edges, one or two at a time, until none is left or a coin says stop.
    while (R.upperOk && R.upperTree[0] > 0 && random() % 4 != 0) {
      for (int n = 1 + random() % 2; n > 0 && R.upperTree[0] > 0; --n) {
        std::vector<int> liveTreeSlots;
        for (int s = 1; s <= 2 * R.E; ++s)
          if (!R.delE[s] && s < R.partner[s] && R.inTree[R.ID[s]]) liveTreeSlots.push_back(s);
        if (liveTreeSlots.empty()) break;
        const int slot = liveTreeSlots[random() % liveTreeSlots.size()];
        R.addPendingContraction(slot);
        ASSERT_EQ(InstanceChecker(false).check(R), "");
        if (R.pendingContractions() >= R.Vanz - 1) break;
      }
      const int before = R.upperValue;
      R.updateContract(nullptr, true);
      ASSERT_EQ(InstanceChecker().check(R), "");
      EXPECT_LE(R.upperValue, before);
    }

    // The copy keeping identities maps its tree back onto R; the fresh copy is consistent too.
    ReduceGraph kept = ReduceGraph::copyGraph(R, 2);
    ASSERT_EQ(InstanceChecker().check(kept), "");
    ReduceGraph fresh = ReduceGraph::copyGraph(R, 0);
    ASSERT_EQ(InstanceChecker().check(fresh), "");
    if (fresh.upperOk) {
      EXPECT_EQ(fresh.upperValue, R.upperValue);
    }

    if (!R.upperOk) continue;
    IntArray solution;
    std::unique_ptr<Graph> exported = R.toGraphWithTree(solution);
    const std::int64_t value = expandSolution(*exported, solution, input);
    EXPECT_EQ(value, R.upperValue);
    EXPECT_EQ(expandedTreeCost(input, solution), R.upperValue);
  }
}

}  // namespace

namespace {

TEST(ReduceGraphProperties, DeletionsCompactionSortingAndContractionsMix) {
  tesmotest::LogCapture log(0);
  std::mt19937 random(777);
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE(round);
    const Graph input = randomGraph(random, 5 + round % 8, 9, 0, 0);  // costs 0..9
    ReduceGraph R(input);
    IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "MST", 0);
    for (int step = 0; step < 8; ++step) {
      std::vector<int> live;
      for (int s = 1; s <= 2 * R.E; ++s)
        if (!R.delE[s] && s < R.partner[s]) live.push_back(s);
      if (live.empty()) break;
      const int s = live[random() % live.size()];
      const bool inTree = R.inTree[R.ID[s]] != 0;
      switch (random() % 3) {
        case 0:  // lazy deletion of an edge off the tree, then compaction
          if (inTree) break;
          R.delE[s] = R.delE[R.partner[s]] = 1;
          --R.Eanz;
          R.vertexWork[R.arcs[s].tail] = R.vertexWork[R.arcs[s].head] = 1;
          R.compactEdges(nullptr);
          break;
        case 1:
          R.sortAdjacency();
          break;
        default:  // contraction; an edge off the tree invalidates the tree first
          if (R.upperOk && !inTree) R.destroyUpper();
          R.addPendingContraction(s);
          R.updateContract(nullptr, true);
          break;
      }
      ASSERT_EQ(InstanceChecker().check(R), "") << "step " << step;
    }
    if (!R.upperOk) continue;
    IntArray solution;
    std::unique_ptr<Graph> exported = R.toGraphWithTree(solution);
    EXPECT_EQ(expandSolution(*exported, solution, input), R.upperValue);
    EXPECT_EQ(expandedTreeCost(input, solution), R.upperValue);
  }
}

// Every field a copy is judged by, compared entry by entry over what is in use.
void expectSameInstance(const ReduceGraph& a, const ReduceGraph& b) {
  ASSERT_EQ(a.V, b.V);
  ASSERT_EQ(a.E, b.E);
  ASSERT_EQ(a.R, b.R);
  EXPECT_EQ(a.Vanz, b.Vanz);
  EXPECT_EQ(a.Eanz, b.Eanz);
  ASSERT_EQ(a.IDcount, b.IDcount);
  EXPECT_EQ(a.upperValue, b.upperValue);
  EXPECT_EQ(a.upperOk, b.upperOk);
  EXPECT_EQ(a.lowerValue, b.lowerValue);
  EXPECT_EQ(a.lowerValueValid, b.lowerValueValid);
  EXPECT_EQ(a.contractCost, b.contractCost);
  EXPECT_EQ(a.maxCost, b.maxCost);
  auto same = [](const auto& x, const auto& y, int from, int to, const char* what) {
    for (int i = from; i <= to; ++i) ASSERT_TRUE(x[i] == y[i]) << what << "[" << i << "]";
  };
  same(a.firstArc, b.firstArc, 0, a.V + 1, "firstArc");
  same(a.degree, b.degree, 0, a.V + 1, "degree");
  same(a.isReq, b.isReq, 0, a.V, "isReq");
  same(a.origVertex, b.origVertex, 0, a.V, "origVertex");
  same(a.treeDegree, b.treeDegree, 0, a.V, "treeDegree");
  same(a.terminals, b.terminals, 0, a.R, "terminals");
  for (int s = 0; s <= 2 * a.E; ++s) {
    ASSERT_EQ(a.arcs[s].tail, b.arcs[s].tail) << s;
    ASSERT_EQ(a.arcs[s].head, b.arcs[s].head) << s;
    ASSERT_EQ(a.arcs[s].cost, b.arcs[s].cost) << s;
  }
  same(a.partner, b.partner, 0, 2 * a.E, "partner");
  same(a.delE, b.delE, 0, 2 * a.E, "delE");
  same(a.ID, b.ID, 0, 2 * a.E, "ID");
  same(a.inTree, b.inTree, 0, a.IDcount, "inTree");
  same(a.upperTree, b.upperTree, 0, a.upperTree[0] + 1, "upperTree");
  same(a.mergeHistory, b.mergeHistory, 0, a.mergeHistory[0], "mergeHistory");
  same(a.contractID, b.contractID, 0, a.contractID[0], "contractID");
}

// A working copy made again and again into one instance (larger ones first, contracted in
// between) equals a fresh copy every time, both with kept identities and with fresh ones.
TEST(ReduceGraphProperties, CopyIntoAUsedInstanceEqualsAFreshCopy) {
  tesmotest::LogCapture log(0);
  std::mt19937 random(4242);
  for (int keepIDs : {2, 0}) {
    SCOPED_TRACE(keepIDs);
    const Graph first = randomGraph(random, 14, 9, 0, 0);  // costs 0..9
    ReduceGraph work = ReduceGraph::copyGraph(ReduceGraph(first), keepIDs);
    for (int round = 0; round < 12; ++round) {
      SCOPED_TRACE(round);
      const Graph input = randomGraph(random, 4 + round % 9, 9, 0, 0);
      ReduceGraph R(input);
      IntArray tree = mstPruneTree(R);
      R.setUpper(tree, "MST", 0);
      if (R.upperOk && tree[0] > 0 && R.Vanz > 2) {  // some history to carry along
        R.addPendingContraction(tree[1]);
        R.updateContract(nullptr, true);
      }
      work.copyFrom(R, keepIDs);
      const ReduceGraph fresh = ReduceGraph::copyGraph(R, keepIDs);
      expectSameInstance(work, fresh);
      ASSERT_EQ(InstanceChecker().check(work), "");
      // Dirty the working copy before the next round.
      if (work.Eanz > 0) work.upperValue = 1;
    }
  }
}

}  // namespace
