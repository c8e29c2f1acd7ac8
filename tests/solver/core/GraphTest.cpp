#include "Graph.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

using namespace tesmo;
using tesmotest::intList;
using tesmotest::makeGraph;

TEST(GraphBuildAdjacency, GroupsArcsByTailAndKeepsTheCheaperOfParallelEdges) {
  tesmotest::LogCapture log(5);
  // 1 -5- 2, 1 -3- 2 (parallel), 2 -4- 3, a loop 3-3.
  Graph g = makeGraph(3, {{1, 2, 5}, {1, 2, 3}, {2, 3, 4}, {3, 3, 7}}, {1, 3});
  EXPECT_EQ(g.E, 2);
  EXPECT_EQ(g.degree[1], 1);
  EXPECT_EQ(g.degree[2], 2);
  EXPECT_EQ(g.degree[3], 1);
  const int a = g.findArc(1, 2);
  ASSERT_NE(a, 0);
  EXPECT_EQ(g.arcs[a].cost, 3);
  EXPECT_EQ(g.arcs[g.findArc(2, 1)].cost, 3);
  EXPECT_EQ(g.maxCost, 7);  // the loop's cost is seen before it is dropped
  for (int v = 1; v <= g.V; ++v)
    for (int k = g.firstArc[v]; k < g.firstArc[v] + g.degree[v]; ++k) EXPECT_EQ(g.arcs[k].tail, v);
  const std::string text = log.text();
  EXPECT_NE(text.find("Multiple edge (1-2) removed.\n"), std::string::npos);
  EXPECT_EQ(text.find("rearrange diff"), std::string::npos);
}

TEST(GraphBuildAdjacency, ReportsAnEmptyRecordAndKeepsIdentitiesWithTheirArcs) {
  tesmotest::LogCapture log(5);
  Graph g;
  g.allocate(3, 3, 1);
  g.setEdge(1, 1, 2, 4);
  g.setEdge(3, 2, 3, 6);  // edge 2 stays all zero
  g.R = 1;
  g.terminals[1] = 1;
  g.ID = intList({11, 12, 21, 22, 31, 32});
  g.ID[0] = 0;
  g.IDcount = 6;
  g.buildAdjacency();
  EXPECT_NE(log.text().find("error! edge: (0-0)"), std::string::npos);
  EXPECT_EQ(g.E, 2);
  EXPECT_EQ(g.ID[g.findArc(1, 2)], 11);
  EXPECT_EQ(g.ID[g.findArc(3, 2)], 32);
}

TEST(GraphBuildAdjacencyDeathTest, RefusesACostAboveMaxintAndAnEmptyInstance) {
  tesmotest::LogCapture log(5);
  // The failure line goes to the screen and the log; the log is what the caller watches.
  EXPECT_EXIT(makeGraph(2, {{1, 2, maxint + 1}}, {1}), testing::ExitedWithCode(1), "");
  EXPECT_NE(log.text().find("Error: edge to large:1600000001\n"), std::string::npos);
  EXPECT_EXIT(makeGraph(2, {{1, 2, 1}}, {}), testing::ExitedWithCode(1), "");
  EXPECT_NE(log.text().find("Error: incorrect input or file not found.\n"), std::string::npos);
  Graph ok = makeGraph(2, {{1, 2, maxint}}, {1});
  EXPECT_EQ(ok.maxCost, maxint);
}

TEST(GraphSubgraph, DropsVerticesWithoutArcsAndRenumbersTheRest) {
  tesmotest::LogCapture log(5);
  // 1-2-3-4 path plus 2-4; keep 1-2 and 2-4: vertex 3 goes, 4 becomes 3.
  Graph g = makeGraph(4, {{1, 2, 1}, {2, 3, 2}, {3, 4, 3}, {2, 4, 9}}, {1, 4});
  IntArray list = intList({g.findArc(1, 2), g.findArc(4, 2)});
  IntArray map;
  Graph sub;
  sub.subgraphFromEdges(g, list, &map);
  EXPECT_EQ(sub.V, 3);
  EXPECT_EQ(sub.E, 2);
  EXPECT_EQ(map[3], -123);
  EXPECT_EQ(map[4], 3);
  EXPECT_EQ(sub.terminals[2], 3);
  EXPECT_EQ(sub.arcs[sub.findArc(2, 3)].cost, 9);
  EXPECT_NE(log.text().find("ReducedGraph: V: 3, E: 2, R: 2, delE: 0, delV: 1\n"),
            std::string::npos);
}

TEST(GraphPrintSolution, ReportsDefectsButStillReturnsTheSum) {
  tesmotest::LogCapture log(5);
  // Triangle 1-2-3 and a pendant terminal 4 at 3; terminals 1, 4 and 7 (7 unreachable).
  Graph g = makeGraph(7, {{1, 2, 1}, {2, 3, 2}, {1, 3, 4}, {3, 4, 8}, {6, 7, 1}}, {1, 4, 7});
  g.contractCost = 100;
  IntArray cycle = intList({g.findArc(1, 2), g.findArc(2, 3), g.findArc(3, 1), 0, g.findArc(3, 4)});
  EXPECT_EQ(printSolution(g, cycle), 1 + 2 + 4 + 8 + 100);
  const std::string text = log.text();
  EXPECT_NE(text.find("Solution contains a cycle! one edge on the cycle: (3-1)"), std::string::npos);
  EXPECT_NE(text.find("\nEdge 4 is a zero-edge.\n"), std::string::npos);
  EXPECT_NE(text.find("false solution! Required vertice 7is missing.\n"), std::string::npos);
  EXPECT_NE(text.find("cost of the solution: 15\n"), std::string::npos);
  EXPECT_NE(text.find("(with contracted costs: 115)\n"), std::string::npos);
}

TEST(GraphExpandSolution, WithoutIdentitiesIsPrintSolution) {
  tesmotest::LogCapture log(5);
  Graph g = makeGraph(3, {{1, 2, 5}, {2, 3, 6}}, {1, 3});
  IntArray solution = intList({g.findArc(1, 2), g.findArc(2, 3)});
  const IntArray before = solution;
  EXPECT_EQ(expandSolution(g, solution, g), 11);
  EXPECT_EQ(solution, before);
}
