// Random small instances put through contractions, copies and exports; after every operation
// the invariants hold and the stored tree still maps back to a tree of the input graph of the
// same value.

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

}  // namespace
