#include "ReduceGraph.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace tesmo;
using namespace tesmotest;

namespace {

//      1(T)
//     / \.
//    2---3      costs: 1-2 4, 1-3 5, 2-3 1, 2-4 2, 3-5 3, 4-5 6
//    |   |
//    4---5(T)
Graph house() {
  return makeGraph(5, {{1, 2, 4}, {1, 3, 5}, {2, 3, 1}, {2, 4, 2}, {3, 5, 3}, {4, 5, 6}}, {1, 5});
}

TEST(ReduceGraphBuild, LaysOutPartneredRangesWithCapacities) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.Emax, g.E + 2000);
  EXPECT_EQ(R.IDmax, 25 + 2 * R.Emax);
  EXPECT_EQ(R.Vanz, 5);
  EXPECT_EQ(R.Eanz, 6);
  EXPECT_EQ(R.IDcount, 12);
  EXPECT_EQ(R.upperValue, maxint);
  EXPECT_EQ(R.firstArc[6], R.firstArc[5] + R.degree[5]);
  EXPECT_EQ(R.degree[6], 1);
  // Identities are arc numbers of the graph.
  for (int s = 1; s <= 2 * R.E; ++s) {
    const Arc& gArc = g.arcs[R.ID[s]];
    EXPECT_EQ(std::minmax(gArc.tail, gArc.head), std::minmax(R.arcs[s].tail, R.arcs[s].head));
  }
  // Vertex 3's range: smaller neighbours first (as its own arcs are walked), then larger ones in
  // ascending order.
  std::vector<int> heads;
  for (int s = R.firstArc[3]; s < R.firstArc[3] + R.degree[3]; ++s) heads.push_back(R.arcs[s].head);
  ASSERT_EQ(heads.size(), 3u);
  EXPECT_EQ(heads[2], 5);
  EXPECT_EQ(R.treeDegree[2], maxint);
  EXPECT_EQ(R.inTree[1], 1);
}

TEST(ReduceGraphBuild, ATerminalNamedTwiceCountsOnce) {
  tesmotest::LogCapture log(5);
  Graph g = makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {3, 1, 3});
  ReduceGraph R(g);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.R, 2);
  EXPECT_EQ(R.terminals[1], 3);
  EXPECT_EQ(R.terminals[2], 1);
}

TEST(ReduceGraphCopy, KeepingIdentitiesCopiesRecordsAndBounds) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, "test", 0);
  R.newMergedID(slotOf(R, 2, 4), slotOf(R, 4, 5), slotOf(R, 2, 4));
  R.setLower(3, 0);
  ReduceGraph C = ReduceGraph::copyGraph(R, 2);
  EXPECT_INSTANCE_VALID(C);
  EXPECT_EQ(C.ID[0], 2);
  EXPECT_EQ(C.IDcount, R.IDcount);
  EXPECT_EQ(C.mergeHistory[0], 3);
  EXPECT_EQ(C.upperValue, 8);
  EXPECT_EQ(C.upperOk, 1);
  EXPECT_EQ(C.lowerValue, 3);
  for (int s = 1; s <= 2 * R.E; ++s) EXPECT_EQ(C.ID[s], R.ID[s]);
}

TEST(ReduceGraphCopy, FreshNumberingContractsZeroCostEdges) {
  tesmotest::LogCapture log(5);
  // The only zero-cost edge joins the two terminals 1 and 2.
  Graph g = makeGraph(4, {{1, 2, 0}, {2, 3, 4}, {3, 4, 5}, {1, 4, 7}}, {1, 2, 4});
  ReduceGraph R(g);
  const int zeroSlot = slotOf(R, 1, 2);
  ReduceGraph C = ReduceGraph::copyGraph(R, 0);
  EXPECT_INSTANCE_VALID(C);
  EXPECT_EQ(C.Vanz, R.Vanz - 1);
  EXPECT_EQ(C.R, 2);
  EXPECT_EQ(C.contractCost, 0);
  ASSERT_EQ(C.contractID[0], 1);
  EXPECT_EQ(C.contractID[1], std::min(zeroSlot, R.partner[zeroSlot]));
  EXPECT_EQ(C.ID[0], 2);
  EXPECT_EQ(C.mergeHistory[0], 0);
}

TEST(ReduceGraphCopy, FreshNumberingTranslatesTheStoredTree) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, nullptr, 0);
  ReduceGraph C = ReduceGraph::copyGraph(R, 0);
  EXPECT_INSTANCE_VALID(C);
  EXPECT_EQ(C.upperOk, 1);
  ASSERT_EQ(C.upperTree[0], 3);
  for (int i = 1; i <= 3; ++i) {
    const int id = C.upperTree[i];
    EXPECT_EQ(id, std::min(id, C.partner[id]));  // a slot number of the copy
    EXPECT_TRUE(R.inTree[R.ID[id]]);
  }
}

TEST(ReduceGraphFromSolution, TakesTheStoredTreeWhenItLiesInTheList) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, nullptr, 0);
  IntArray next(2 * R.E + 1, 0);
  auto chain = [&next](std::initializer_list<int> slots) {
    std::fill(next.begin(), next.end(), 0);
    int previous = 0;
    int first = 0;
    for (int s : slots) {
      if (previous) next[previous] = s; else first = s;
      previous = s;
    }
    return first;
  };
  const int first = chain({tree[1], tree[2], tree[3]});
  ReduceGraph whole = ReduceGraph::graphFromSolution(R, first, next, true, false);
  EXPECT_INSTANCE_VALID(whole);
  EXPECT_EQ(whole.upperOk, 1);
  EXPECT_EQ(whole.upperValue, 8);
  EXPECT_EQ(whole.ID[0], 2);
  EXPECT_EQ(whole.E, 3);
  EXPECT_EQ(whole.R, 2);

  const int partial = chain({tree[1], tree[2], slotOf(R, 2, 4)});
  ReduceGraph missing = ReduceGraph::graphFromSolution(R, partial, next, true, true);
  EXPECT_INSTANCE_VALID(missing);
  EXPECT_EQ(missing.upperValue, maxint);
  EXPECT_EQ(missing.upperOk, 0);
  EXPECT_EQ(missing.R, 1);  // terminal 5 has no listed edge
  EXPECT_EQ(missing.ID[0], 1);
}

TEST(ReduceGraphContract, ChainOfNonTerminalsBecomesOneRequiredVertex) {
  tesmotest::LogCapture log(5);
  // 1(T) -1- 2 -2- 3 -3- 4 -4- 5(T), plus 1 -20- 5.
  Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 2}, {3, 4, 3}, {4, 5, 4}, {1, 5, 20}}, {1, 5});
  ReduceGraph R(g);
  R.addPendingContraction(slotOf(R, 2, 3));
  R.addPendingContraction(slotOf(R, 3, 4));
  IntArray map;
  R.updateContract(&map, true);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.V, 3);
  EXPECT_EQ(R.Vanz, 3);
  EXPECT_EQ(R.Eanz, 3);
  EXPECT_EQ(map[2], 2);
  EXPECT_EQ(map[3], 2);
  EXPECT_EQ(map[4], 2);
  EXPECT_EQ(map[5], 3);
  EXPECT_EQ(R.R, 3);
  EXPECT_NE(R.isReq[2], 0);
  EXPECT_EQ(R.contractCost, 5);
  EXPECT_EQ(R.contractID[0], 2);
  EXPECT_LT(R.origVertex[2], 0);
  EXPECT_EQ(R.arcs[slotOf(R, 2, 3)].cost, 4);
  EXPECT_NE(log.text().find("UpdateContract\n"), std::string::npos);
}

TEST(ReduceGraphContract, EdgeBetweenTwoTerminalsLeavesOneTerminal) {
  tesmotest::LogCapture log(5);
  Graph g = makeGraph(4, {{1, 2, 3}, {2, 3, 4}, {3, 4, 5}}, {1, 2, 4});
  ReduceGraph R(g);
  R.addPendingContraction(slotOf(R, 1, 2));
  R.updateContract(nullptr, true);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.R, 2);
  EXPECT_EQ(R.V, 3);
  EXPECT_EQ(R.contractCost, 3);
}

TEST(ReduceGraphContract, ParallelEdgesKeepTheCheaperAndImproveTheStoredTree) {
  tesmotest::LogCapture log(5);
  // Contracting 2-3 leaves two edges from {2,3} to 4 (5 and 2) and two to 1 (1 and 1).
  Graph g = makeGraph(4, {{1, 2, 1}, {2, 4, 5}, {1, 3, 1}, {3, 4, 2}, {2, 3, 1}}, {1, 4});
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {2, 4}});
  R.setUpper(tree, nullptr, 0);
  ASSERT_EQ(R.upperValue, 7);
  R.addPendingContraction(slotOf(R, 2, 3));
  R.updateContract(nullptr, true);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.Eanz, 2);
  EXPECT_EQ(R.upperValue, 4);
  EXPECT_EQ(R.upperOk, 1);
  EXPECT_EQ(R.arcs[slotOf(R, 2, 3)].cost, 2);
  EXPECT_NE(log.text().find("Improving Upper by: 3 --> 4\n"), std::string::npos);
}

TEST(ReduceGraphContract, WithoutImprovementADroppedTreeEdgeDestroysTheTree) {
  tesmotest::LogCapture log(5);
  shell.Sset("improveUpperWhileContract", "0");
  Graph g = makeGraph(4, {{1, 2, 1}, {2, 4, 5}, {1, 3, 1}, {3, 4, 2}, {2, 3, 1}}, {1, 4});
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {2, 4}});
  R.setUpper(tree, nullptr, 0);
  R.addPendingContraction(slotOf(R, 2, 3));
  R.updateContract(nullptr, true);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.upperOk, 0);
  EXPECT_EQ(R.upperValue, 7);
}

TEST(ReduceGraphMerge, RecordsTriplesAndFollowsTheTree) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  const int before = R.IDcount;
  R.newMergedID(0, 0, slotOf(R, 4, 5));
  EXPECT_EQ(R.mergeHistory[0], 0);
  EXPECT_EQ(R.ID[slotOf(R, 4, 5)], before + 1);
  EXPECT_EQ(R.ID[slotOf(R, 5, 4)], before + 1);

  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, nullptr, 0);
  const int i1 = R.ID[slotOf(R, 1, 2)];
  const int i2 = R.ID[slotOf(R, 2, 3)];
  R.newMergedID(slotOf(R, 1, 2), slotOf(R, 2, 3), slotOf(R, 1, 3));
  ASSERT_EQ(R.mergeHistory[0], 3);
  EXPECT_EQ(R.mergeHistory[1], i1);
  EXPECT_EQ(R.mergeHistory[2], i2);
  EXPECT_EQ(R.mergeHistory[3], R.IDcount);
  EXPECT_EQ(R.inTree[R.IDcount], 1);
  EXPECT_EQ(R.upperTree[0], 2);  // i1 and i2 replaced by the merged identity
}

TEST(ReduceGraphMerge, IdentitiesGrowUpToTheLimitOnly) {
  tesmotest::LogCapture log(0);
  Graph g = house();
  ReduceGraph R(g);
  R.IDlimit = R.IDmax + 1;
  R.newMergedID(0, 0, slotOf(R, 4, 5));
  R.newMergedID(0, 0, slotOf(R, 1, 2));
  EXPECT_LE(R.IDmax, R.IDlimit);  // the store grows no further than the limit
  EXPECT_GE(R.IDmax, R.IDcount);
  EXPECT_EQ(R.ID[slotOf(R, 1, 2)], R.IDcount);
}

TEST(ReduceGraphMergeDeathTest, IdentityBeyondTheLimitIsRefused) {
  // A forked child writes into the log opened here, so its lines can be read after it died.
  ::testing::FLAGS_gtest_death_test_style = "fast";
  // Even when failed checks are set to let the run go on, no identity past the limit is handed out.
  for (const char* exitWarning : {"1", "0"}) {
    tesmotest::LogCapture log(0);
    EXPECT_EXIT(
        {
          std::cout.rdbuf(std::cerr.rdbuf());
          shell.Sset("exitWarning", exitWarning);
          Graph g = house();
          ReduceGraph R(g);
          R.IDlimit = R.IDcount;
          R.newMergedID(0, 0, slotOf(R, 4, 5));
        },
        ::testing::ExitedWithCode(1), "Warning: \\(1\\) in file 'reduceGraph'");
    EXPECT_NE(log.text().find("ID overflow!\n"), std::string::npos) << log.text();
  }
}

TEST(ReduceGraphReconstruct, MapsACopysTreeBackThroughContractions) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  ReduceGraph C = ReduceGraph::copyGraph(R, 2);
  C.addPendingContraction(slotOf(C, 2, 3));
  C.updateContract(nullptr, true);
  EXPECT_INSTANCE_VALID(C);
  // In C: 1(T), {2,3}=2, 4, 5(T) renumbered to 4; tree 1-{23} (4), {23}-5 (3).
  IntArray tree = slotList(C, {{1, 2}, {2, 4}});
  C.setUpper(tree, nullptr, 0);
  ASSERT_EQ(C.upperValue, 8);
  EXPECT_EQ(C.reconstructSolution(R), 8);
  ASSERT_EQ(solutionList[0], 3);
  std::vector<std::pair<int, int>> edges;
  for (int i = 1; i <= 3; ++i) {
    const Arc& a = R.arcs[solutionList[i]];
    edges.emplace_back(std::min(a.tail, a.head), std::max(a.tail, a.head));
  }
  std::sort(edges.begin(), edges.end());
  EXPECT_EQ(edges, (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}, {3, 5}}));
}

TEST(ReduceGraphSlots, CompactionSqueezesDeletedSlotsOut) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  // Delete 4's edges lazily: 2-4 and 4-5.
  for (auto [u, v] : {std::pair{2, 4}, std::pair{4, 5}}) {
    const int s = slotOf(R, u, v);
    R.delE[s] = R.delE[R.partner[s]] = 1;
    --R.Eanz;
    R.vertexWork[u] = R.vertexWork[v] = 1;
  }
  IntArray parallel(2 * R.Emax + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s) parallel[s] = R.ID[s];
  R.compactEdges(&parallel);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.degree[4], 0);
  EXPECT_EQ(R.Vanz, 4);
  EXPECT_EQ(R.degree[2], 2);
  for (int v = 1; v <= R.V; ++v)
    for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
      EXPECT_FALSE(R.delE[s]);
      EXPECT_EQ(parallel[s], R.ID[s]);
    }
  EXPECT_NE(log.text().find("All edges deleted for 4\n"), std::string::npos);
}

TEST(ReduceGraphSlots, SortingOrdersRangesByNeighbourAndByCost) {
  tesmotest::LogCapture log(5);
  Graph g = makeGraph(5, {{3, 1, 9}, {3, 5, 1}, {3, 2, 5}, {3, 4, 7}, {1, 2, 2}}, {1, 5});
  ReduceGraph R(g);
  R.sortAdjacency();
  EXPECT_INSTANCE_VALID(R);
  for (int v = 1; v <= R.V; ++v)
    for (int s = R.firstArc[v] + 1; s < R.firstArc[v] + R.degree[v]; ++s)
      EXPECT_LT(R.arcs[s - 1].head, R.arcs[s].head);
  R.sortAdjacencyByCost();
  std::vector<int> costs;
  for (int s = R.firstArc[3]; s < R.firstArc[3] + R.degree[3]; ++s)
    costs.push_back(R.arcs[R.slotScratch[s]].cost);
  EXPECT_EQ(costs, (std::vector<int>{1, 5, 7, 9}));
  for (int s = 0; s <= 2 * R.E; ++s) EXPECT_EQ(R.slotNext[s], 0);
}

TEST(ReduceGraphSlots, SortingKeepsTheMessageLevelOfACopy) {
  tesmotest::LogCapture log(5);
  Graph g = makeGraph(4, {{1, 2, 3}, {2, 3, 4}, {3, 4, 5}, {1, 4, 9}}, {1, 4});
  ReduceGraph R(g);
  ReduceGraph C = ReduceGraph::copyGraph(R, 2);
  ASSERT_EQ(C.ID[0], 2);
  C.sortAdjacency();
  EXPECT_EQ(C.ID[0], 2);
  EXPECT_INSTANCE_VALID(C);
}

TEST(ReduceGraphExport, RenumbersLiveVerticesAndCarriesTheRecords) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  // Vertex 4 loses its edges: 5 becomes 4.
  for (auto [u, v] : {std::pair{2, 4}, std::pair{4, 5}}) {
    const int s = slotOf(R, u, v);
    R.delE[s] = R.delE[R.partner[s]] = 1;
    --R.Eanz;
  }
  --R.Vanz;
  std::unique_ptr<Graph> out = R.toGraph();
  EXPECT_EQ(out->V, 4);
  EXPECT_EQ(out->E, 4);
  EXPECT_EQ(out->terminals[2], 4);
  EXPECT_EQ(out->arcs[out->findArc(3, 4)].cost, 3);
  EXPECT_EQ(out->ID[out->findArc(3, 4)], R.ID[slotOf(R, 3, 5)]);
  EXPECT_NE(log.text().find("Graph: |V|=4, |E|=4, |R|=2, contracted: 0\n"), std::string::npos);
}

TEST(ReduceGraphExport, ProgramOneHandsTheTreeBackInInputArcs) {
  tesmotest::LogCapture log(5);
  Graph input = house();
  ReduceGraph R(input);
  R.addPendingContraction(slotOf(R, 2, 3));
  R.updateContract(nullptr, true);
  // 1 -4- {2,3} -3- 5 in the contracted numbering (5 is now 4).
  IntArray tree = slotList(R, {{1, 2}, {2, 4}});
  R.setUpper(tree, "test", 1);
  ASSERT_EQ(R.upperValue, 8);
  IntArray solution;
  std::unique_ptr<Graph> exported = R.toGraphWithTree(solution);
  EXPECT_TRUE(exported->solutionAsIDs);
  EXPECT_EQ(expandSolution(*exported, solution, input), 8);
  EXPECT_FALSE(exported->solutionAsIDs);
  ASSERT_EQ(solution[0], 3);
  std::vector<std::pair<int, int>> edges;
  for (int i = 1; i <= 3; ++i)
    edges.emplace_back(std::min(input.arcs[solution[i]].tail, input.arcs[solution[i]].head),
                       std::max(input.arcs[solution[i]].tail, input.arcs[solution[i]].head));
  std::sort(edges.begin(), edges.end());
  EXPECT_EQ(edges, (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}, {3, 5}}));
  EXPECT_EQ(log.text().find("false solution"), std::string::npos);
}

}  // namespace
