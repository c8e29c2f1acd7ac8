// Degree reductions and connectivity: the examples of removeVertices, removeVertices2,
// deleteUnreachable and markDisconnected, exact optima kept on random small instances, and the
// shared Steiner instances reduced and solved back onto their input graphs.

#include "ReduceGraph.h"
#include "StpReader.h"

#include "BruteForceOracle.h"
#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "KnownInstances.h"
#include "LogCapture.h"
#include "RandomInstances.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

using namespace tesmo;
using namespace tesmotest;

namespace {

// The triangle 1-2-6 (direct edge 1-6 of cost 5) beside the terminal 7, terminals 1, 6 and 7,
// with a path of three non-terminals hanging off 2. Numbered outwards (2-3-4-5) the path goes in increasing order;
// numbered inwards (2-5-4-3) it goes only because each freed neighbour is revisited at once.
struct HangingPath {
  const char* name;
  std::vector<int> path;  // from 2 outwards
};

class HangingPaths : public ::testing::TestWithParam<HangingPath> {};

TEST_P(HangingPaths, DisappearInOnePass) {
  tesmotest::LogCapture log(3);
  const std::vector<int>& path = GetParam().path;
  std::vector<Edge> edges = {{1, 2, 1}, {2, 6, 1}, {1, 6, 5}, {1, 7, 9}, {6, 7, 9}};
  int previous = 2;
  for (int v : path) {
    edges.emplace_back(previous, v, 1);
    previous = v;
  }
  const Graph input = makeGraph(7, edges, {1, 6, 7});
  ReduceGraph R(input);
  R.removeVertices();
  EXPECT_EQ(InstanceChecker().check(R), "");
  EXPECT_EQ(R.Eanz, 3);
  EXPECT_EQ(R.Vanz, 3);
  const int s = slotOf(R, 1, 6);
  ASSERT_NE(s, 0);
  EXPECT_EQ(R.arcs[s].cost, 2);  // the path 1-2-6 took the direct edge over
  EXPECT_NE(log.text().find("removed vertices: 4\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Table, HangingPaths,
                         ::testing::Values(HangingPath{"Outwards", {3, 4, 5}},
                                           HangingPath{"Inwards", {5, 4, 3}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DegreeReductions, TheOnlyTerminalKeepsNoEdgeAndNothingIsContracted) {
  tesmotest::LogCapture log(0);
  ReduceGraph R(makeGraph(3, {{1, 2, 3}, {2, 3, 4}}, {1}));
  R.removeVertices();
  EXPECT_EQ(R.Eanz, 0);
  EXPECT_EQ(R.Vanz, 0);
  EXPECT_EQ(R.R, 1);
  EXPECT_EQ(R.contractID[0], 0);
  EXPECT_EQ(R.contractCost, 0);
  EXPECT_EQ(InstanceChecker().check(R), "");
}

TEST(DegreeReductions, ADegreeOneTerminalIsContractedIntoItsNeighbour) {
  tesmotest::LogCapture log(0);
  const Graph input = makeGraph(4, {{1, 2, 3}, {2, 3, 4}, {2, 4, 1}, {3, 4, 1}}, {1, 3});
  ReduceGraph R(input);
  storeSimpleTree(R);
  ASSERT_EQ(R.upperValue, 5);
  // 1 goes into 2, which takes its place; the path 2-4-3 becomes one tree edge, and with it the
  // two terminals left become one.
  R.removeVertices();
  EXPECT_EQ(R.contractCost, 5);
  EXPECT_EQ(R.isReq[1], 0);
  EXPECT_EQ(R.R, 1);
  EXPECT_NE(R.terminals[1], 1);
  EXPECT_EQ(R.upperOk, 1);
  EXPECT_EQ(R.upperValue, 5);
  EXPECT_EQ(InstanceChecker().check(R), "");
  expectTreeMapsBack(R, input);
}

// Vertex 2 (not required) lies between 1 and 3, which a direct edge 1-3 joins; the terminal 4
// hangs on 1 and 3 (edges of cost 9, 1-4 in every tree) so that they keep degree 2.
struct DegreeTwoCase {
  const char* name;
  int c12, c23, c13;
  std::vector<std::pair<int, int>> tree;
  int cost13;        // of edge 1-3 afterwards
  bool merged;       // 1-3 now stands for the path through 2
  int upperValue;    // afterwards (the tree stays valid)
  const char* line;  // logged, or empty
};

class DegreeTwoCases : public ::testing::TestWithParam<DegreeTwoCase> {};

TEST_P(DegreeTwoCases, PathAndDirectEdge) {
  tesmotest::LogCapture log(2);
  const DegreeTwoCase& c = GetParam();
  const Graph input = makeGraph(
      4, {{1, 2, c.c12}, {2, 3, c.c23}, {1, 3, c.c13}, {1, 4, 9}, {3, 4, 9}}, {1, 3, 4});
  ReduceGraph R(input);
  IntArray tree(1, static_cast<int>(c.tree.size()) + 1);
  for (const auto& [u, w] : c.tree) tree.push_back(slotOf(R, u, w));
  tree.push_back(slotOf(R, 1, 4));
  R.setUpper(tree, "test", 0);
  ASSERT_EQ(R.upperOk, 1);
  const int oldID = R.ID[slotOf(R, 1, 3)];
  R.removeVertices();
  EXPECT_EQ(InstanceChecker().check(R), "");
  EXPECT_EQ(R.Eanz, 3);
  EXPECT_EQ(R.degree[2], 0);
  const int s = slotOf(R, 1, 3);
  ASSERT_NE(s, 0);
  EXPECT_EQ(R.arcs[s].cost, c.cost13);
  EXPECT_EQ(R.ID[s] != oldID, c.merged);
  EXPECT_EQ(R.upperOk, 1);
  EXPECT_EQ(R.upperValue, c.upperValue);
  if (*c.line) {
    EXPECT_NE(log.text().find(c.line), std::string::npos) << log.text();
  }
  expectTreeMapsBack(R, input);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DegreeTwoCases,
    ::testing::Values(
        DegreeTwoCase{"CheaperDirectEdgeStays", 2, 2, 3, {{1, 3}}, 3, false, 12, ""},
        DegreeTwoCase{"EqualPathOfTheTreeReplacesTheDirectEdge", 2, 1, 3, {{1, 2}, {2, 3}}, 3,
                      true, 12, ""},
        DegreeTwoCase{"EqualPathOffTheTreeLeavesIt", 2, 1, 3, {{1, 3}}, 3, false, 12, ""},
        DegreeTwoCase{"CheaperPathReplacesATreeEdge", 1, 1, 3, {{1, 3}}, 2, true, 11,
                      "removeVertices (2) improved upper by 1 --> 11\n"},
        DegreeTwoCase{"CheaperPathWithATreeLeafAtTheVertex", 1, 1, 3, {{1, 3}, {1, 2}}, 2, true,
                      11, "removeVertices (2) improved upper by 2 --> 11\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DegreeReductions, ANonTerminalLeafOfTheTreeIsDroppedFromIt) {
  tesmotest::LogCapture log(2);
  // 3 - 1 - 2 - 4 with terminals 1, 3; the stored tree also holds the leaf edge 1-2.
  const Graph input = makeGraph(4, {{1, 2, 1}, {2, 4, 1}, {1, 3, 2}}, {1, 3});
  ReduceGraph R(input);
  IntArray tree = slotList(R, {{1, 3}, {1, 2}});
  R.setUpper(tree, "with a leaf", 0);
  ASSERT_EQ(R.upperValue, 3);
  R.removeVertices();
  EXPECT_NE(log.text().find("removeVertices (3) improved upper by 1 --> 2\n"), std::string::npos);
  EXPECT_EQ(R.upperOk, 1);
  EXPECT_EQ(R.upperValue, 2);
  EXPECT_EQ(InstanceChecker().check(R), "");
  expectTreeMapsBack(R, input);
}

TEST(DegreeReductions, DegreeTwoTerminalIsContractedIntoATerminalNeighbour) {
  tesmotest::LogCapture log(3);
  //  1 -1- 2 -4- 3,  1 -6- 3: terminals 1, 2, 3; the tree runs 1-2 and 1-3. Terminal 1 goes
  //  into 2; its edge to 3, re-hung at 2, is dearer than 2-3, which takes its place in the tree.
  const Graph input = makeGraph(3, {{1, 2, 1}, {2, 3, 4}, {1, 3, 6}}, {1, 2, 3});
  ReduceGraph R(input);
  IntArray tree = slotList(R, {{1, 2}, {1, 3}});
  R.setUpper(tree, "test", 0);
  ASSERT_EQ(R.upperValue, 7);
  R.removeVertices2();
  EXPECT_EQ(R.R, 2);
  EXPECT_EQ(R.isReq[1], 0);
  EXPECT_EQ(R.contractCost, 1);
  EXPECT_EQ(R.Eanz, 1);
  const int s = slotOf(R, 2, 3);
  ASSERT_NE(s, 0);
  EXPECT_EQ(R.arcs[s].cost, 4);
  EXPECT_EQ(R.upperOk, 1);
  EXPECT_EQ(R.upperValue, 5);
  const std::string text = log.text();
  EXPECT_NE(text.find("removeVertices (1) improved upper by 2 --> 5\n"), std::string::npos);
  EXPECT_NE(text.find("simple SE contracted: 1\n"), std::string::npos);
  EXPECT_EQ(InstanceChecker().check(R), "");
  expectTreeMapsBack(R, input);
}

TEST(DegreeReductions, DegreeTwoTerminalWithoutATerminalNeighbourStays) {
  tesmotest::LogCapture log(0);
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {1, 3, 1}, {2, 4, 1}, {3, 4, 1}}, {1, 4}));
  R.removeVertices2();
  EXPECT_EQ(R.R, 2);
  EXPECT_EQ(R.Eanz, 4);
}

TEST(Connectivity, DeleteUnreachableOnAConnectedInstanceChangesNothing) {
  tesmotest::LogCapture log(4);
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 4}));
  const auto arcs = R.arcs;
  R.deleteUnreachable();
  EXPECT_EQ(R.arcs, arcs);
  EXPECT_EQ(R.Eanz, 3);
  EXPECT_EQ(R.Vanz, 4);
  EXPECT_NE(log.text().find("Components: DelEdges:0, DelVertices:0(0)\n"), std::string::npos);
  EXPECT_EQ(InstanceChecker().check(R), "");
}

TEST(Connectivity, DeleteUnreachableRemovesOtherComponents) {
  tesmotest::LogCapture log(4);
  ReduceGraph R(makeGraph(6, {{1, 2, 1}, {3, 4, 1}, {4, 5, 1}, {5, 3, 1}}, {1, 2}));
  R.deleteUnreachable();
  EXPECT_EQ(R.Eanz, 1);
  EXPECT_EQ(R.Vanz, 2);
  EXPECT_EQ(R.upperOpt, 0);
  EXPECT_NE(log.text().find("Components: DelEdges:3, DelVertices:3(3)\n"), std::string::npos);
  EXPECT_EQ(InstanceChecker().check(R), "");
}

TEST(Connectivity, ACutOffTerminalClosesTheBounds) {
  tesmotest::LogCapture log(1);
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {3, 4, 1}}, {1, 3}));
  R.upperValue = 12;  // known, but no tree of it is held
  R.deleteUnreachable();
  EXPECT_EQ(R.upperOpt, -1);
  EXPECT_EQ(R.lowerValue, 12);
  EXPECT_EQ(R.Eanz, 1);
  EXPECT_EQ(InstanceChecker().check(R), "");
  EXPECT_NE(log.text().find("Graph is not connected anymore! \n(required vertex isolated).\n"),
            std::string::npos);
}

TEST(Connectivity, ACutOffTerminalWithBothBoundsProvenFailsTheCheck) {
  tesmotest::LogCapture log(1);
  shell.Sset("exitWarning", "0");
  ReduceGraph R(makeGraph(2, {{1, 2, 1}}, {1, 2}));
  R.upperValue = 12;
  R.upperValueValid = 1;
  R.lowerValue = 3;
  R.markDisconnected();
  EXPECT_EQ(R.upperOpt, -1);
  EXPECT_EQ(R.lowerValue, 3);
  EXPECT_NE(log.text().find("Warning: (upperValueValid)"), std::string::npos) << log.text();
}

// Random small instances with hanging paths (with and without a stored tree) keep their exact
// optimum and their invariants through every degree reduction; a surviving tree maps back onto
// the input graph.
TEST(DegreeReductionProperties, ExactOptimumIsKept) {
  tesmotest::LogCapture log(0);
  std::mt19937 random(3142);
  int shrunk = 0;
  for (int round = 0; round < 250; ++round) {
    SCOPED_TRACE(round);
    const Graph input = randomGraph(random, 4 + round % 6, round % 4 == 0 ? 3 : 9, round % 3);
    ReduceGraph R(input);
    if (round % 2 == 0) storeSimpleTree(R);
    const std::int64_t optimum = steinerOptimum(R);
    const int edges = R.Eanz;
    for (int step = 0; step < 4; ++step) {
      switch (random() % 3) {
        case 0:
          R.removeVertices();
          break;
        case 1:
          R.removeVertices2();
          break;
        default:
          R.deleteUnreachable();
          break;
      }
      ASSERT_EQ(InstanceChecker().check(R), "") << "step " << step;
      if (R.upperOk) {
        EXPECT_GE(R.upperValue, optimum);
      }
    }
    ASSERT_EQ(steinerOptimum(R), optimum);
    if (R.Eanz < edges) ++shrunk;
    if (R.upperOk) expectTreeMapsBack(R, input);
    storeSimpleTree(R);
    if (R.upperOk) {
      EXPECT_GE(R.upperValue, optimum);
      expectTreeMapsBack(R, input);
    }
  }
  EXPECT_GT(shrunk, 100);  // the sequences did reduce
}

// Every shared instance: the degree reductions keep the invariants and a stored tree; a simple
// tree of what remains maps back onto the input graph as a tree not cheaper than the optimum.
TEST(DegreeReductionSteinerData, ReducedInstancesSolveBackAboveTheOptimum) {
  SKIP_WITHOUT_SHARED_DATA("steiner/optima.tsv");
  tesmotest::LogCapture log(0);
  const std::vector<KnownInstance> instances = readKnownInstances(sharedSteinerTable());
  ASSERT_FALSE(instances.empty());
  for (const KnownInstance& k : instances) {
    SCOPED_TRACE(k.file);
    const std::string path = k.path.string();
    shell.Sset("problem", path);
    Graph g;
    StpReader reader;
    ASSERT_TRUE(reader.read(g, path)) << reader.error();
    ReduceGraph R(g);
    storeSimpleTree(R);
    ASSERT_EQ(R.upperOk, 1);
    const int before = R.upperValue;
    const int edgesBefore = R.Eanz;
    R.removeVertices();
    ASSERT_EQ(InstanceChecker().check(R), "");
    R.removeVertices2();
    ASSERT_EQ(InstanceChecker().check(R), "");
    R.deleteUnreachable();
    ASSERT_EQ(InstanceChecker().check(R), "");
    EXPECT_LE(R.Eanz, edgesBefore);
    if (R.upperOk) {
      EXPECT_LE(R.upperValue, before);
      EXPECT_GE(R.upperValue, k.optimum);
      expectTreeMapsBack(R, g);
    }
    storeSimpleTree(R);
    ASSERT_EQ(R.upperOk, 1);
    EXPECT_GE(R.upperValue, k.optimum);
    ASSERT_EQ(InstanceChecker().check(R), "");
    expectTreeMapsBack(R, g);
  }
}

}  // namespace
