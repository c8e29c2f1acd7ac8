// A handed-back tree is read in the numbering its algorithm states, and refused when the graph
// it names says otherwise.

#include "HandedTree.h"

#include "Graph.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace tesmo;
using tesmotest::makeGraph;

namespace {

// 1 -2- 2 -3- 3 -7- 1 with terminals 1 and 3, each arc carrying its own number as identity (an
// export names the arcs of the graph it was built from so).
Graph triangleWithIdentities() {
  Graph g = makeGraph(3, {{1, 2, 2}, {2, 3, 3}, {3, 1, 7}}, {1, 3});
  g.ID.assign(2 * g.E + 1, 0);
  for (int a = 1; a <= 2 * g.E; ++a) g.ID[a] = a;
  g.IDcount = 2 * g.E;
  return g;
}

TEST(HandedTree, TheStatedNumberingSetsTheGraphsFlagAndReadsTheList) {
  tesmotest::LogCapture log(0);
  Graph g = triangleWithIdentities();
  const int a12 = g.findArc(1, 2);
  const int a23 = g.findArc(2, 3);
  solutionList = {2, a12, a23};

  const HandedTree slots = handBackTree(g, TreeNumbering::slots);
  EXPECT_FALSE(g.solutionAsIDs);
  EXPECT_EQ(slots.graph, &g);
  EXPECT_EQ(slots.edges, &solutionList);
  EXPECT_EQ(handedBackTree().numbering, TreeNumbering::slots);  // currentGraph is not g
  EXPECT_EQ(expandTree(slots, g), 5);

  solutionList = {2, g.ID[a12], g.ID[a23]};
  const HandedTree ids = handBackTree(g, TreeNumbering::identities);
  EXPECT_TRUE(g.solutionAsIDs);
  currentGraph = &g;
  EXPECT_EQ(handedBackTree().numbering, TreeNumbering::identities);
  currentGraph = nullptr;
  EXPECT_EQ(expandTree(ids, g), 5);
  EXPECT_FALSE(g.solutionAsIDs);  // the expansion leaves arc numbers
}

TEST(HandedTreeDeath, ANumberingTheGraphContradictsIsRefused) {
  struct Case {
    const char* name;
    TreeNumbering numbering;
    bool flag;        // the graph's solutionAsIDs
    bool identities;  // the graph carries identities
  };
  const Case cases[] = {
      {"identities of a graph flagged for slots", TreeNumbering::identities, false, true},
      {"slots of a graph flagged for identities", TreeNumbering::slots, true, true},
      {"identities of a graph without any", TreeNumbering::identities, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EXIT(
        {
          std::cout.rdbuf(std::cerr.rdbuf());
          tesmotest::LogCapture log(0);
          Graph g = triangleWithIdentities();
          if (!c.identities) g.ID.clear();
          g.solutionAsIDs = c.flag;
          solutionList.assign(2, 1);  // one edge: arc (or identity) 1
          HandedTree tree;
          tree.graph = &g;
          tree.edges = &solutionList;
          tree.numbering = c.numbering;
          expandTree(tree, g);
        },
        ::testing::ExitedWithCode(1), "in file 'handedTree'");
  }
}

}  // namespace
