// The shared dual-ascent step (growing and merging root components) and the deletion engine's
// pass start.

#include "AscentDelEngine.h"
#include "AscentEngine.h"
#include "Shell.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

// Terminals 1 (root 1) and 5 (root 2) on a path 1-2-3-4-5; 3-6 costs 0 and 6-7 costs 0, so a
// flood from 3 runs into 6 and 7.
Graph pathGraph() {
  return makeGraph(7, {{1, 2, 4}, {2, 3, 4}, {3, 4, 4}, {4, 5, 4}, {3, 6, 0}, {6, 7, 0}}, {1, 5});
}

struct EngineFixture : ::testing::Test {
  tesmotest::LogCapture log{0};
  ReduceGraph R{pathGraph()};
};

TEST_F(EngineFixture, NewVertexJoinsTheReachedSet) {
  AscentEngine engine(R);
  ASSERT_EQ(engine.active[0], 2);
  engine.countingMode = 1;
  int index = 1;
  EXPECT_EQ(engine.extendActiveComponent(2, 1, 1, index), 0);
  EXPECT_EQ(index, 1);
  EXPECT_TRUE(engine.inReachedSet(1, 2));
  EXPECT_FALSE(engine.inReachedSet(2, 2));
  EXPECT_EQ(engine.reached[1][0], 2);
  EXPECT_EQ(engine.membership[2], 1);
  EXPECT_EQ(engine.rootValue[1], 1);
  EXPECT_EQ(engine.vertexStack[0], 1);
  EXPECT_EQ(engine.vertexStack[1], 2);

  // Already reached: nothing changes.
  EXPECT_EQ(engine.extendActiveComponent(2, 1, 1, index), 0);
  EXPECT_EQ(engine.reached[1][0], 2);
  EXPECT_EQ(engine.membership[2], 1);
  EXPECT_EQ(engine.rootValue[1], 1);
  EXPECT_EQ(engine.vertexStack[0], 1);

  // Without counting mode the value stays; a vertex may stand in several reached sets.
  engine.countingMode = 0;
  int other = 2;
  EXPECT_EQ(engine.extendActiveComponent(2, 3, 2, other), 0);
  EXPECT_EQ(engine.membership[2], 2);
  EXPECT_EQ(engine.rootValue[2], 0);
}

TEST_F(EngineFixture, MeetingAnotherComponentMergesAndDeactivatesTheRoot) {
  struct Case {
    int revBack;
    std::vector<int> joined;  // vertices given root 2's component by the flood
  };
  for (const Case& c : {Case{0, {}}, Case{1, {3, 6, 7}}}) {
    SCOPED_TRACE(c.revBack);
    shell.Sset("revBack", std::to_string(c.revBack));
    AscentEngine engine(R);
    EXPECT_EQ(engine.revBack, c.revBack);
    // Root 2's component holds vertex 4; root 1 reaches 4 from 3.
    engine.component[4] = 2;
    int index = 1;  // root 1 stands first in the active list
    EXPECT_EQ(engine.extendActiveComponent(4, 3, 1, index), 1);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(engine.active[0], 1);
    EXPECT_EQ(engine.active[1], 2);
    EXPECT_EQ(engine.rootValue[1], maxint);
    EXPECT_EQ(engine.findComponent(1), 2);
    EXPECT_FALSE(engine.inReachedSet(1, 4));
    for (int v : {3, 6, 7}) {
      const bool joined = std::find(c.joined.begin(), c.joined.end(), v) != c.joined.end();
      EXPECT_EQ(engine.component[v], joined ? 2 : 0) << v;
    }
    EXPECT_EQ(engine.component[2], 0);  // over a slot with slack
    EXPECT_EQ(engine.vertexStack[0], 0);
  }
}

TEST_F(EngineFixture, ComponentThatAlreadyReachesTheTerminalIsExtended) {
  AscentEngine engine(R);
  // Root 2's reached set already holds root 1's terminal: no merge, v joins root 1's set.
  engine.addToReachedSet(2, 1);
  engine.component[4] = 2;
  int index = 1;
  EXPECT_EQ(engine.extendActiveComponent(4, 3, 1, index), 0);
  EXPECT_EQ(index, 1);
  EXPECT_TRUE(engine.inReachedSet(1, 4));
  EXPECT_EQ(engine.active[0], 2);
  EXPECT_EQ(engine.findComponent(1), 1);
}

TEST_F(EngineFixture, DeletionPassStartRescalesAroundTheTestedVertex) {
  // Vertex 3 has slots of cost 4 (to 2), 4 (to 4) and 0 (to 6).
  AscentDelEngine engine(R, 3);
  engine.workCost[slotOf(R, 3, 6)] = 5;
  engine.workCost[slotOf(R, 6, 3)] = 5;
  engine.workCost[slotOf(R, 3, 2)] = 2;
  engine.workCost[slotOf(R, 2, 3)] = 3;
  engine.onPassStart();
  // Working costs at 3 in storage order: 2 (to 2), 4 (to 4), 5 (to 6).
  EXPECT_EQ(engine.smallest, 2);
  EXPECT_EQ(engine.secondSmallest, 4);
  struct Expect {
    int tail, head, cost;
  };
  for (const Expect& e : std::vector<Expect>{
           {3, 2, 1},                        // equals the smallest: 1, not 0
           {2, 3, 4},                        // (3 - 2) * 4
           {3, 4, 8}, {4, 3, 8},             // (4 - 2) * 4
           {3, 6, 12}, {6, 3, 12},           // (5 - 2) * 4
           {1, 2, 16}, {4, 5, 16}, {6, 7, 0}  // elsewhere times 4
       })
    EXPECT_EQ(engine.workCost[slotOf(R, e.tail, e.head)], e.cost) << e.tail << "-" << e.head;
}

TEST_F(EngineFixture, DeletionPassStartSaturatesInsteadOfOverflowing) {
  AscentDelEngine engine(R, 3);
  engine.workCost[slotOf(R, 1, 2)] = maxint;
  engine.onPassStart();
  EXPECT_EQ(engine.workCost[slotOf(R, 1, 2)], maxint);
}

}  // namespace
