// The table of small STP instances with known optima (tests/data/solver/stp): every optimum is
// the brute-force one, the exact search reaches it, and the degree reductions keep it.

#include "Exact.h"
#include "ReduceGraph.h"

#include "BruteForceOracle.h"
#include "ConsistencyCheck.h"
#include "KnownInstances.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

using namespace tesmotest;
using tesmo::Graph;
using tesmo::ReduceGraph;

namespace {

std::vector<KnownInstance> table() {
  std::vector<KnownInstance> rows = readKnownInstances(smallInstanceTable());
  EXPECT_GE(rows.size(), 10u) << smallInstanceTable();
  return rows;
}

Graph read(const KnownInstance& k) {
  Graph g;
  EXPECT_EQ(readKnownGraph(k, g), "");
  return g;
}

TEST(KnownOptima, TableAgreesWithTheOracle) {
  LogCapture log(0);
  for (const KnownInstance& k : table()) {
    SCOPED_TRACE(k.file);
    const Graph g = read(k);
    ASSERT_EQ(g.V, k.nodes);
    ASSERT_EQ(g.E, k.edges);
    ASSERT_EQ(g.R, k.terminals);
    EXPECT_EQ(bruteForce(g).optimum, k.optimum);
  }
}

TEST(KnownOptima, BranchingReachesEachOptimum) {
  LogCapture log(0);
  tesmo::shell.Sset("Reduction", "v");  // the search runs a script at every node
  for (const KnownInstance& k : table()) {
    SCOPED_TRACE(k.file);
    const Graph g = read(k);
    ReduceGraph R(g);
    R.resetLower();
    EXPECT_EQ(tesmo::branching(R, tesmo::maxint), k.optimum);
    EXPECT_EQ(R.upperValue, k.optimum);
    EXPECT_INSTANCE_VALID(R);
  }
}

TEST(KnownOptima, DegreeReductionsKeepEachOptimum) {
  LogCapture log(0);
  for (const KnownInstance& k : table()) {
    SCOPED_TRACE(k.file);
    const Graph g = read(k);
    ReduceGraph R(g);
    R.removeVertices();
    R.removeVertices2();
    EXPECT_INSTANCE_VALID(R);
    EXPECT_EQ(steinerOptimum(R), k.optimum);
  }
}

}  // namespace
