// The dual-ascent engine: the step that grows and merges components, the choice of the raised
// component, the deletion engine's pass start, and the bound and reduced costs checked against
// optimal trees found by enumeration.

#include "AscentDelEngine.h"
#include "AscentEngine.h"
#include "Shell.h"

#include "BruteForceOracle.h"
#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "RandomInstances.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

// Reaches the engine's state for the tests of its single steps.
class EngineProbe : public AscentEngine {
public:
  using AscentEngine::AscentEngine;
  using AscentEngine::active;
  using AscentEngine::coverCount;
  using AscentEngine::label;
  using AscentEngine::priority;
  using AscentEngine::reducedCost;
  using AscentEngine::stack;
  // The state of a pass from root before its first raise.
  void startPass(int r) {
    applyToInstance = 0;
    stopAtStart = true;
    ascentPass(r);
    active[0] = activeAtStart;
    stopAtStart = false;
  }
  void onPassStart() override {
    if (!stopAtStart) return;
    activeAtStart = active[0];
    active[0] = 0;  // no raise happens; startPass restores the list
  }
  bool stopAtStart = false;
  int activeAtStart = 0;
};

// Terminals 1 (index 1) and 5 (index 2) on a path 1-2-3-4-5; 3-6 and 6-7 cost 0, so a flood
// from 3 runs into 6 and 7.
Graph pathGraph() {
  return makeGraph(7, {{1, 2, 4}, {2, 3, 4}, {3, 4, 4}, {4, 5, 4}, {3, 6, 0}, {6, 7, 0}}, {1, 5});
}

struct EngineFixture : ::testing::Test {
  tesmotest::LogCapture log{0};
  ReduceGraph R{pathGraph()};
};

TEST_F(EngineFixture, NewVertexJoinsTheComponent) {
  EngineProbe engine(R);
  engine.startPass(1);
  ASSERT_EQ(engine.active[0], 1);  // the root's terminal is not active
  int pos = 1;
  const int before = engine.priority[2];
  EXPECT_EQ(engine.extendActiveComponent(4, 5, 2, pos), 0);
  EXPECT_EQ(pos, 1);
  EXPECT_TRUE(engine.inComponent(2, 4));
  EXPECT_FALSE(engine.inComponent(1, 4));
  EXPECT_EQ(engine.componentSize(2), 2);
  EXPECT_EQ(engine.coverCount[4], 1);
  EXPECT_EQ(engine.priority[2], before + 1);  // sizeCrit 1 counts the vertices
  EXPECT_EQ(engine.stack[0], 1);

  // Already in the component: nothing changes.
  EXPECT_EQ(engine.extendActiveComponent(4, 5, 2, pos), 0);
  EXPECT_EQ(engine.componentSize(2), 2);
  EXPECT_EQ(engine.coverCount[4], 1);
  EXPECT_EQ(engine.stack[0], 1);
}

TEST_F(EngineFixture, MeetingAnotherComponentMergesAndDeactivates) {
  struct Case {
    int revBack;
    std::vector<int> flooded;  // vertices labelled with the root's index by the flood from 3
  };
  for (const Case& c : {Case{0, {}}, Case{1, {3, 6, 7}}}) {
    SCOPED_TRACE(c.revBack);
    shell.Sset("revBack", std::to_string(c.revBack));
    EngineProbe engine(R);
    EXPECT_EQ(engine.revBack, c.revBack);
    engine.startPass(1);
    // Terminal 2 grows towards vertex 2, which carries the root's label.
    engine.label[2] = 1;
    int pos = 1;
    EXPECT_EQ(engine.extendActiveComponent(2, 3, 2, pos), 1);
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(engine.active[0], 0);
    EXPECT_EQ(engine.priority[2], maxint);
    EXPECT_EQ(engine.unionRoot(2), 1);
    EXPECT_FALSE(engine.inComponent(2, 2));
    for (int v : {3, 6, 7}) {
      const bool flooded = std::find(c.flooded.begin(), c.flooded.end(), v) != c.flooded.end();
      EXPECT_EQ(engine.labelOf(v), flooded ? 1 : 0) << v;
    }
    EXPECT_EQ(engine.labelOf(4), 0);  // over an arc with slack
    EXPECT_EQ(engine.stack[0], 0);
  }
}

TEST_F(EngineFixture, OwnLabelIsAbsorbedNormally) {
  EngineProbe engine(R);
  engine.startPass(1);
  // A vertex labelled by the component's own terminal joins it.
  engine.label[4] = 2;
  int pos = 1;
  EXPECT_EQ(engine.extendActiveComponent(4, 5, 2, pos), 0);
  EXPECT_TRUE(engine.inComponent(2, 4));
  EXPECT_EQ(engine.active[0], 1);
}

TEST_F(EngineFixture, ReachingTheRootVertexEndsTheComponent) {
  EngineProbe engine(R);
  engine.startPass(2);
  int pos = 1;
  EXPECT_EQ(engine.extendActiveComponent(5, 4, 1, pos), 1);  // vertex 5 is the root's
  EXPECT_EQ(engine.active[0], 0);
}

TEST_F(EngineFixture, DeletionPassStartRescalesAroundTheTestedVertex) {
  struct Probe : AscentDelEngine {
    using AscentDelEngine::AscentDelEngine;
    void prepare(int v) {
      run(1, v);  // sizes and fills the pass state; the costs are set again below
      for (int s = 1; s <= 2 * instance.E; ++s) setWorkingCost(s, instance.arcs[s].cost);
    }
  };
  Probe engine(R);
  engine.prepare(3);
  // Vertex 3 has slots of cost 4 (to 2), 4 (to 4) and 0 (to 6).
  engine.setWorkingCost(slotOf(R, 3, 6), 5);
  engine.setWorkingCost(slotOf(R, 6, 3), 5);
  engine.setWorkingCost(slotOf(R, 3, 2), 2);
  engine.setWorkingCost(slotOf(R, 2, 3), 3);
  engine.onPassStart();
  EXPECT_EQ(engine.smallestCost(), 2);
  EXPECT_EQ(engine.secondSmallestCost(), 4);
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
    EXPECT_EQ(engine.workingCost(slotOf(R, e.tail, e.head)), e.cost) << e.tail << "-" << e.head;
}

TEST_F(EngineFixture, DeletionEngineTakesTheTestedVertexPerRun) {
  AscentDelEngine engine(R);
  engine.applyToInstance = 0;
  const int plain = AscentEngine(R).run(1);
  // Costs away from the tested vertex are multiplied by 4, so a bound of about four times the
  // plain one follows; the tested vertex changes from run to run on one engine.
  for (int v : {2, 3, 4}) {
    const int bound = engine.run(1, v);
    EXPECT_EQ(engine.testedVertex(), v);
    EXPECT_GT(bound, plain) << v;
    EXPECT_LE(bound, 4 * plain) << v;
  }
}

TEST_F(EngineFixture, DeletionPassStartSaturatesInsteadOfOverflowing) {
  ReduceGraph big(makeGraph(3, {{1, 2, maxint - 1}, {2, 3, 1}}, {1, 3}));
  AscentDelEngine engine(big);
  engine.applyToInstance = 0;
  engine.run(1, 3);
  EXPECT_EQ(engine.lowerBound(), maxint);
}

// Records the raised terminal and amount of every raise.
class RaiseRecorder : public AscentEngine {
public:
  using AscentEngine::AscentEngine;
  void onDualIncrease() override { raises.push_back({chosen, delta, lower}); }
  struct Raise {
    int terminal, amount, lowerAfter;
  };
  std::vector<Raise> raises;
};

TEST(AscentPass, EqualKeysRaiseTheLaterActiveEntryFirst) {
  tesmotest::LogCapture log{0};
  // A star: root 1 at the centre, terminals 2, 3, 4 on spokes of different cost.
  ReduceGraph R(makeGraph(4, {{1, 2, 5}, {1, 3, 2}, {1, 4, 7}}, {1, 2, 3, 4}));
  for (int crit : {1, 2, 0}) {
    SCOPED_TRACE(crit);
    shell.Sset("sizeCrit", std::to_string(crit));
    RaiseRecorder engine(R);
    engine.applyToInstance = 0;
    EXPECT_EQ(engine.run(1), 14);
    ASSERT_FALSE(engine.raises.empty());
    // Every key starts equal: the last active terminal (index 4) goes first, for every sizeCrit;
    // the hook sees the bound already raised.
    EXPECT_EQ(engine.raises.front().terminal, 4);
    EXPECT_EQ(engine.raises.front().amount, 7);
    EXPECT_EQ(engine.raises.front().lowerAfter, 7);
  }
}

TEST(AscentPass, OneTerminalGivesTheContractedCostOnly) {
  tesmotest::LogCapture log{0};
  ReduceGraph R(makeGraph(3, {{1, 2, 5}, {2, 3, 2}}, {2}));
  R.contractCost = 11;
  AscentEngine engine(R);
  EXPECT_EQ(engine.run(1), 11);
  EXPECT_EQ(R.lowerValue, 11);
  engine.applyToInstance = 0;
  EXPECT_EQ(engine.run(1), 0);
}

TEST(AscentPass, UnreachableTerminalStopsThePassAndMarksTheInstance) {
  tesmotest::LogCapture log{0};
  ReduceGraph R(makeGraph(4, {{1, 2, 3}, {2, 3, 4}, {3, 4, 1}}, {1, 4}));
  // Delete 2-3 lazily: terminal 4 is cut off.
  const int s = slotOf(R, 2, 3);
  R.delE[s] = R.delE[R.partner[s]] = 1;
  --R.Eanz;
  AscentEngine engine(R);
  const int bound = engine.run(1);
  EXPECT_TRUE(engine.disconnected());
  EXPECT_LT(bound, maxint);
  EXPECT_EQ(R.upperOpt, -1);
}

TEST(AscentPass, DeletedSlotsCarryGapPlusOneAfterTheDistances) {
  tesmotest::LogCapture log{0};
  ReduceGraph R(makeGraph(4, {{1, 2, 3}, {2, 4, 3}, {1, 3, 4}, {3, 4, 4}}, {1, 4}));
  const int s = slotOf(R, 1, 3);
  R.delE[s] = R.delE[R.partner[s]] = 1;
  --R.Eanz;
  R.upperValue = 10;
  AscentEngine engine(R);
  EXPECT_EQ(engine.run(1), 6);
  engine.reducedCostDistances();
  EXPECT_EQ(engine.reducedCosts()[s], 10 - 6 + 1);
  EXPECT_EQ(engine.reducedCosts()[R.partner[s]], 10 - 6 + 1);
  // The path 1-2-4 is a shortest path at reduced cost 0 from the root.
  EXPECT_EQ(engine.vertexBound(2), 0);
  EXPECT_EQ(engine.distancesFromRoot()[4], 0);
}

TEST(AscentPass, NoUpperBoundExcludesNothingLive) {
  tesmotest::LogCapture log{0};
  ReduceGraph R(makeGraph(4, {{1, 2, maxint / 2}, {2, 4, maxint / 2}, {1, 3, 1}, {3, 4, 1}}, {1, 4}));
  AscentEngine engine(R);
  engine.run(1);
  engine.reducedCostDistances();
  // No upper bound: the gap is huge, sums saturate instead of wrapping.
  for (int v = 1; v <= 4; ++v) EXPECT_GE(engine.vertexBound(v), 0);
  EXPECT_LT(engine.reducedCosts()[slotOf(R, 1, 2)], maxint);
}

// --- the bound and the reduced costs against optimal trees ---

struct OracleCase {
  int vertices, edges, terminals, maxCost;
};

class AscentAgainstOptimum : public ::testing::TestWithParam<OracleCase> {};

// On random instances with ties and zero costs, from every root: the bound stays at or below
// the optimum, reduced costs are never negative nor above the cost, and deleting what the
// reduced-cost test excludes at gap = optimum - bound keeps the optimum.
TEST_P(AscentAgainstOptimum, BoundAndReducedCostsNeverCutAnOptimalTree) {
  tesmotest::LogCapture log{0};
  const OracleCase c = GetParam();
  std::mt19937 rng(1234u + static_cast<unsigned>(c.vertices * 31 + c.edges * 7 + c.maxCost));
  for (int round = 0; round < 60; ++round) {
    const Graph g = tesmotest::randomSimpleGraph(rng, c.vertices, c.edges, c.terminals, c.maxCost);
    const tesmotest::BruteForceResult opt = tesmotest::bruteForce(g);
    ASSERT_GE(opt.optimum, 0);

    ReduceGraph R(g);
    R.upperValue = static_cast<int>(opt.optimum);
    for (int crit : {1, 2}) {
      shell.Sset("sizeCrit", std::to_string(crit));
      AscentEngine engine(R);
      engine.applyToInstance = 0;
      for (int root = 1; root <= R.R; ++root) {
        SCOPED_TRACE(testing::Message() << "round " << round << " sizeCrit " << crit << " root " << root);
        const int bound = engine.run(root);
        ASSERT_FALSE(engine.disconnected());
        ASSERT_LE(bound, opt.optimum);
        for (int s = 1; s <= 2 * R.E; ++s) {
          ASSERT_GE(engine.reducedCosts()[s], 0) << s;
          ASSERT_LE(engine.reducedCosts()[s], R.arcs[s].cost) << s;
        }
        engine.reducedCostDistances();
        // Everything the reduced costs exclude at gap = optimum - bound goes; some optimal
        // tree (one whose leaves are terminals) must survive.
        const long long gap = opt.optimum - bound;
        std::vector<tesmotest::Edge> kept;
        for (int s = 1; s <= 2 * R.E; ++s) {
          const int p = R.partner[s];
          const Arc& a = R.arcs[s];
          if (s > p || (engine.reducedCosts()[s] > gap && engine.reducedCosts()[p] > gap)) continue;
          if (engine.vertexBound(a.tail) > gap || engine.vertexBound(a.head) > gap) continue;
          kept.push_back({a.tail, a.head, a.cost});
        }
        for (int k = 1; k <= R.R; ++k) ASSERT_LE(engine.vertexBound(R.terminals[k]), gap);
        std::vector<int> terminals(g.terminals.begin() + 1, g.terminals.begin() + 1 + g.R);
        ASSERT_EQ(tesmotest::bruteForce(tesmotest::makeGraph(g.V, kept, terminals)).optimum, opt.optimum);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(RandomInstances, AscentAgainstOptimum,
                         ::testing::Values(OracleCase{6, 9, 3, 3},     // dense, many ties
                                           OracleCase{8, 12, 4, 1},    // unit and zero costs
                                           OracleCase{9, 13, 5, 6},    // sparse
                                           OracleCase{10, 13, 2, 9},   // two terminals: a path
                                           OracleCase{7, 12, 7, 4}),   // every vertex required
                         [](const ::testing::TestParamInfo<OracleCase>& info) {
                           const OracleCase& c = info.param;
                           return "V" + std::to_string(c.vertices) + "E" + std::to_string(c.edges) +
                                  "T" + std::to_string(c.terminals) + "C" + std::to_string(c.maxCost);
                         });

}  // namespace
