#include "Reduction.h"

#include "Graph.h"
#include "LogStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

using tesmo::Graph;

namespace {

// Taxa 1, 2 and 3 hang on the Steiner vertex 5 by links of cost 2; the direct link 1-2 costs 9
// and the Steiner vertex 4 is a dead end behind 3 (cost 1) that pruning removes.
TEST(ReductionStandIn, HandsOverItsTreeAsIdentitiesOfAnExportedGraph) {
  tesmo::verbose = 0;
  Graph input;
  input.allocate(5, 5, 3);
  input.R = 3;
  input.terminals[1] = 1;
  input.terminals[2] = 2;
  input.terminals[3] = 3;
  input.setEdge(1, 1, 5, 2);
  input.setEdge(2, 5, 2, 2);
  input.setEdge(3, 5, 3, 2);
  input.setEdge(4, 1, 2, 9);
  input.setEdge(5, 3, 4, 1);
  input.buildAdjacency();
  tesmo::currentGraph = &input;
  tesmo::solutionList.assign(input.E + 2, 0);

  tesmo::reduction();

  ASSERT_NE(tesmo::currentGraph, &input);
  std::unique_ptr<Graph> exported(tesmo::currentGraph);
  tesmo::currentGraph = nullptr;
  EXPECT_TRUE(exported->solutionAsIDs);
  EXPECT_EQ(tesmo::solutionList[0], 3);
  EXPECT_EQ(tesmo::expandSolution(*exported, tesmo::solutionList, input), 6);
  EXPECT_FALSE(exported->solutionAsIDs);
  std::set<std::pair<int, int>> edges;
  for (int i = 1; i <= tesmo::solutionList[0]; ++i) {
    const tesmo::Arc& a = input.arcs[tesmo::solutionList[i]];
    edges.insert({std::min(a.tail, a.head), std::max(a.tail, a.head)});
  }
  EXPECT_EQ(edges, (std::set<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}}));
}

}  // namespace
