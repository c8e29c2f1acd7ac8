// The recording ascent engine (raises per terminal and arc, distances under them) and the
// shortest-path heuristic tree cost.

#include "AscentRecorder.h"

#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

TEST(AscentRecorder, RecordsTheRaisesOfAPath) {
  // 1 -3- 2 -4- 3, terminals 1 and 3, root terminal 2 (vertex 3): terminal 1's cut is raised by
  // 3 on 2->1, then by 4 on 3->2.
  ReduceGraph R(makeGraph(3, {{1, 2, 3}, {2, 3, 4}}, {1, 3}));
  LogCapture capture(0);
  AscentRecorder recorder(R);
  EXPECT_TRUE(recorder.ownsMatrices());
  recorder.applyToInstance = 0;
  EXPECT_EQ(recorder.ascentPass(2), 7);
  const IntMatrix& raise = recorder.recordedRaise();
  EXPECT_EQ(raise[1][slotOf(R, 2, 1)], 3);
  EXPECT_EQ(raise[1][slotOf(R, 3, 2)], 4);
  EXPECT_EQ(raise[1][slotOf(R, 1, 2)], 0);
  EXPECT_EQ(raise[1][slotOf(R, 2, 3)], 0);
  recorder.recordedRaiseDistances();
  const IntMatrix& dist = recorder.recordedDistance();
  EXPECT_EQ(dist[1][3], 0);
  EXPECT_EQ(dist[1][2], 4);
  EXPECT_EQ(dist[1][1], 7);
}

TEST(AscentRecorder, UsesMatricesHandedIn) {
  ReduceGraph R(makeGraph(3, {{1, 2, 3}, {2, 3, 4}}, {1, 3}));
  LogCapture capture(0);
  IntMatrix raises(R.R, 2 * R.E), distances(R.R, R.V);
  raises[1][1] = 99;  // cleared by the constructor
  {
    AscentRecorder recorder(R, &raises, &distances);
    EXPECT_FALSE(recorder.ownsMatrices());
    EXPECT_EQ(&recorder.recordedRaise(), &raises);
    recorder.recordedRaiseDistances();  // before a pass: nothing
    EXPECT_EQ(distances[1][1], 0);
    recorder.applyToInstance = 0;
    recorder.ascentPass(2);
    recorder.recordedRaiseDistances();
  }
  // The matrices outlive the recorder with its results.
  EXPECT_EQ(raises[1][slotOf(R, 2, 1)], 3);
  EXPECT_EQ(distances[1][1], 7);
}

// Every root-terminal path crosses each cut raised for that terminal, so its distance under the
// recorded raises is at least their sum; over all terminals the sums make the bound.
TEST(AscentRecorder, DistancesCoverTheBoundOnGeneratedInstances) {
  LogCapture capture(0);
  for (int sizeCrit : {1, 2}) {
    for (const steinertest::GeneratedInstance& instance : steinertest::instanceMix(60, 7)) {
      SCOPED_TRACE(instance.description + ", sizeCrit " + std::to_string(sizeCrit));
      ReduceGraph R(instance.graph);
      if (R.R < 2) continue;
      AscentRecorder recorder(R);
      recorder.applyToInstance = 0;
      recorder.sizeCrit = sizeCrit;
      const int root = R.R;
      const int lower = recorder.ascentPass(root);
      if (recorder.disconnected()) continue;
      recorder.recordedRaiseDistances();
      std::int64_t covered = 0, recorded = 0;
      for (int k = 1; k < R.R; ++k) {
        const int d = recorder.recordedDistance()[k][R.terminals[k]];
        ASSERT_LT(d, maxint);
        covered += d;
        for (int s = 1; s <= 2 * R.E; ++s) recorded += recorder.recordedRaise()[k][s];
      }
      EXPECT_GE(covered, lower);
      EXPECT_GE(recorded, lower);  // each raise lifts at least one arc
      for (int s = 1; s <= 2 * R.E; ++s) EXPECT_EQ(recorder.recordedRaise()[root][s], 0);
    }
  }
}

struct SphCase {
  const char* name;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  int start;
  std::int64_t cost;
};

class ShortestPathTreeCost : public testing::TestWithParam<SphCase> {};

TEST_P(ShortestPathTreeCost, JoinsTheNearestTerminalEachTime) {
  const SphCase& c = GetParam();
  ReduceGraph R(makeGraph(c.V, c.edges, c.terminals));
  EXPECT_EQ(shortestPathTreeCost(R, c.start), c.cost);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ShortestPathTreeCost,
    testing::Values(
        SphCase{"SingleTerminal", 2, {{1, 2, 5}}, {1}, 1, 0},
        SphCase{"Triangle", 3, {{1, 2, 2}, {2, 3, 2}, {1, 3, 3}}, {1, 2, 3}, 1, 4},
        // From 3 the first join may take 2; the second then reaches 1 through 2 as well.
        SphCase{"TriangleOtherStart", 3, {{1, 2, 2}, {2, 3, 2}, {1, 3, 3}}, {1, 2, 3}, 3, 4},
        // A Steiner centre 4 on the way: 1-4-2 (4) joins 2, then 3 over 4 (2) once 4 is in.
        SphCase{"ThroughSteinerVertex", 4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 5}, {2, 3, 5}}, {1, 2, 3}, 1, 6},
        // Joins each below maxint, their sum beyond 32 bits.
        SphCase{"HugeCosts", 3, {{1, 2, maxint - 1}, {2, 3, maxint - 1}}, {1, 2, 3}, 1, 2 * std::int64_t{maxint - 1}},
        // A single join as long as maxint counts as none.
        SphCase{"JoinAtInfinity", 3, {{1, 2, maxint - 1}, {2, 3, maxint - 1}}, {1, 3}, 1, maxint},
        SphCase{"Unreachable", 4, {{1, 2, 1}, {3, 4, 1}}, {1, 4}, 1, maxint},
        SphCase{"BadStart", 2, {{1, 2, 1}}, {1, 2}, 3, maxint}),
    [](const testing::TestParamInfo<SphCase>& info) { return info.param.name; });

TEST(ShortestPathTreeCostLive, SkipsDeletedSlotsAndAddsContractCost) {
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}}, {1, 3}));
  EXPECT_EQ(shortestPathTreeCost(R, 1), 2);
  const int s = slotOf(R, 1, 2);
  R.delE[s] = R.delE[R.partner[s]] = 1;
  R.contractCost = 10;
  EXPECT_EQ(shortestPathTreeCost(R, 1), 15);
}

}  // namespace
