// The cut pool of the Lagrangian ascent: cuts of forest components, subgradient steps that keep
// the weights equal to the costs less the multipliers, and the renewal of a full pool.

#include "DynamicCutPool.h"
#include "Shell.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

void settings(const std::vector<std::pair<const char*, const char*>>& values) {
  shell.clearVariables();
  shell.Sset("exitWarning", "0");
  shell.Sset("beasleyFaktor", "1");
  for (const auto& [name, value] : values) shell.Sset(name, value);
}

// Weights as the ascent starts them: the costs, constant term 0.
IntArray costWeights(const ReduceGraph& R) {
  IntArray w(static_cast<std::size_t>(2 * R.E) + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s) w[s] = R.arcs[s].cost;
  return w;
}

// Path 1 - 2 - 3 - 4, terminals 1 and 4.
Graph path() { return makeGraph(4, {{1, 2, 2}, {2, 3, 3}, {3, 4, 4}}, {1, 4}); }

IntArray noForest(const ReduceGraph& R) { return IntArray(static_cast<std::size_t>(R.V) + 1, 0); }

}  // namespace

TEST(DynamicCutPool, CutOfAComponentIsTheSlotsLeavingIt) {
  settings({});
  ReduceGraph R(path());
  IntArray w = costWeights(R);
  DynamicCutPool pool(R, w);
  IntArray parent = noForest(R);
  parent[2] = 1;  // component {1, 2}
  std::vector<int> cut;
  ASSERT_TRUE(pool.findCut(1, parent, cut));
  EXPECT_EQ(cut, (std::vector<int>{slotOf(R, 2, 3)}));
  ASSERT_TRUE(pool.findCut(2, parent, cut));
  EXPECT_EQ(cut, (std::vector<int>{slotOf(R, 4, 3)}));
}

TEST(DynamicCutPool, ComponentWithEveryTerminalHasNoCut) {
  LogCapture log{3};
  settings({});
  ReduceGraph R(path());
  IntArray w = costWeights(R);
  DynamicCutPool pool(R, w);
  IntArray parent = noForest(R);
  parent[2] = 1, parent[3] = 2, parent[4] = 3;
  std::vector<int> cut{7};
  EXPECT_FALSE(pool.findCut(1, parent, cut));
  EXPECT_TRUE(cut.empty());
  EXPECT_NE(log.text().find("All conected, no cut possible.\n"), std::string::npos);
}

// Steps raise an uncovered cut, leave a cut with one forest edge alone and lower an overcovered
// one no further than to 0; the weights always equal the costs less the multipliers.
TEST(DynamicCutPool, SubgradientStepsKeepTheWeightsConsistent) {
  settings({});
  ReduceGraph R(path());
  IntArray w = costWeights(R);
  DynamicCutPool pool(R, w);
  IntArray forest = noForest(R);
  std::vector<int> cut;
  ASSERT_TRUE(pool.findCut(1, forest, cut));
  const int place = pool.storeCut(cut);
  ASSERT_NE(place, 0);
  const int s = slotOf(R, 1, 2), p = slotOf(R, 2, 1);

  struct Step {
    const char* what;
    std::vector<std::pair<int, int>> edges;  // (child, parent)
    int stepSize;
    std::int64_t multiplier;
  };
  const std::vector<Step> steps{
      {"no forest edge on the cut: rises by the step", {}, 5, 5},
      {"step too small for the slot count: rises by 1", {}, 0, 6},
      {"one forest edge: unchanged", {{2, 1}}, 100, 6},
      {"edge counted once from either end", {{2, 1}, {1, 2}}, 100, 6},
  };
  for (const Step& st : steps) {
    SCOPED_TRACE(st.what);
    IntArray parent = noForest(R);
    for (auto [child, par] : st.edges) parent[child] = par;
    pool.subgradientStep(parent, st.stepSize);
    EXPECT_EQ(pool.multiplier(place), st.multiplier);
    EXPECT_EQ(w[0], st.multiplier);
    EXPECT_EQ(w[s], 2 - st.multiplier);
    EXPECT_EQ(w[p], 2 - st.multiplier);
    EXPECT_EQ(pool.check(), 0);
  }
  // A second cut, of {1, 2}: raised while uncovered, left alone once the forest crosses it.
  IntArray parent = noForest(R);
  parent[2] = 1;
  ASSERT_TRUE(pool.findCut(1, parent, cut));
  const int second = pool.storeCut(cut);
  ASSERT_NE(second, 0);
  pool.subgradientStep(noForest(R), 3);
  EXPECT_EQ(pool.multiplier(second), 3);
  parent = noForest(R);
  parent[3] = 2;
  pool.subgradientStep(parent, 100);
  EXPECT_EQ(pool.multiplier(second), 3);
  EXPECT_EQ(pool.check(), 0);
}

TEST(DynamicCutPool, NegativeStepStopsAtZero) {
  settings({});
  // Two parallel edges between the terminals: a forest can hold only one of them, so build the
  // overcovered cut from a triangle whose cut carries two forest edges.
  ReduceGraph R(makeGraph(3, {{1, 2, 4}, {1, 3, 4}, {2, 3, 4}}, {1, 2, 3}));
  IntArray w = costWeights(R);
  DynamicCutPool pool(R, w);
  std::vector<int> cut;
  ASSERT_TRUE(pool.findCut(1, noForest(R), cut));  // slots 1->2 and 1->3
  const int place = pool.storeCut(cut);
  pool.subgradientStep(noForest(R), 4);
  EXPECT_EQ(pool.multiplier(place), 2);
  IntArray star = noForest(R);
  star[2] = 1, star[3] = 1;  // both cut edges in the forest: 1 - e = -1
  pool.subgradientStep(star, 100);
  EXPECT_EQ(pool.multiplier(place), 0);
  EXPECT_EQ(w[0], 0);
  EXPECT_EQ(pool.check(), 0);
}

TEST(DynamicCutPool, DeletingACutGivesItsMultiplierBack) {
  LogCapture log{5};
  settings({});
  ReduceGraph R(path());
  IntArray w = costWeights(R);
  const IntArray before = w;
  DynamicCutPool pool(R, w);
  std::vector<int> cut;
  ASSERT_TRUE(pool.findCut(2, noForest(R), cut));
  const int place = pool.storeCut(cut);
  pool.subgradientStep(noForest(R), 7);
  EXPECT_NE(w, before);
  pool.deleteCut(place);
  EXPECT_EQ(w, before);
  EXPECT_EQ(pool.multiplier(place), -1);
  EXPECT_EQ(pool.cutsInUse(), 0);
  EXPECT_NE(log.text().find("Loesche " + std::to_string(place) + "\n"), std::string::npos);
  // The place and its list nodes serve again.
  EXPECT_EQ(pool.storeCut(cut), place);
  EXPECT_EQ(pool.check(), 0);
}

TEST(DynamicCutPool, CheckReportsEveryMismatch) {
  LogCapture log{1};
  settings({});
  ReduceGraph R(path());
  IntArray w = costWeights(R);
  DynamicCutPool pool(R, w);
  const int s = slotOf(R, 2, 3);
  w[s] += 1;
  w[0] = 4;
  EXPECT_EQ(pool.check(), 2);
  const std::string text = log.text();
  EXPECT_NE(text.find("L-Error: " + std::to_string(s) + " : soll: 3 ist: 4\n"), std::string::npos) << text;
  EXPECT_NE(text.find("L-Error: 0 : soll: 0 ist: 4\n"), std::string::npos) << text;
}

// A star of four terminals round a centre: the renewal of a full pool of two. Place 2 may get
// a multiplier first (place 1's edge is in the forest of that step, so place 1 stays at 0).
TEST(DynamicCutPool, UpdateRenewsAFullPool) {
  const Graph star = makeGraph(5, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}}, {2, 3, 4, 5});
  struct Case {
    const char* what;
    const char* clearLimit;
    const char* dynamicCuts;
    bool raiseSecond;
    int deleted;
  };
  const Case cases[] = {
      {"both at 0 long enough: both go", "1", "1", false, 2},
      {"only the cut at 0 goes", "1", "1", true, 1},
      {"none worn out: the weakest goes", "5", "1", true, 1},
      {"without dynamicCuts none goes", "1", "0", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LogCapture log{4};
    settings({{"maxCuts", "2"}, {"clearLimit", c.clearLimit}, {"dynamicCuts", c.dynamicCuts}});
    ReduceGraph R(star);
    IntArray w = costWeights(R);
    DynamicCutPool pool(R, w);
    const IntArray forest = noForest(R);
    pool.update(forest);
    ASSERT_EQ(pool.cutsInUse(), 2);
    if (c.raiseSecond) {
      IntArray parent = noForest(R);
      parent[2] = 1;
      pool.subgradientStep(parent, 1);
      ASSERT_EQ(pool.multiplier(1), 0);
      ASSERT_EQ(pool.multiplier(2), 1);
    }
    const std::size_t from = log.text().size();
    pool.update(forest);
    EXPECT_EQ(pool.cutsInUse(), 2);
    if (c.raiseSecond) EXPECT_EQ(pool.multiplier(2), 1);
    const std::string last = log.text().substr(from);
    EXPECT_NE(last.find("deleted: " + std::to_string(c.deleted) + ", added: " + std::to_string(c.deleted) + "\n"),
              std::string::npos)
        << last;
    EXPECT_NE(last.find("Cuts: 2 Avg:"), std::string::npos) << last;
    EXPECT_EQ(pool.check(), 0);
  }
}

// The first places go to the terminals in order, the last to the terminal with the smallest cut.
TEST(DynamicCutPool, LastPlaceGoesToTheSmallestCut) {
  settings({{"maxCuts", "2"}});
  // Terminal 1 (vertex 1) has three edges, terminal 2 (vertex 2) two, terminal 3 (vertex 5) one.
  ReduceGraph R(makeGraph(5, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {2, 3, 1}, {4, 5, 1}}, {1, 2, 5}));
  IntArray w = costWeights(R);
  DynamicCutPool pool(R, w);
  pool.update(noForest(R));
  ASSERT_EQ(pool.cutsInUse(), 2);
  // Place 1: terminal 1's three slots (the multiplier step shows the size); place 2: the one
  // slot of terminal 3, not terminal 2's two.
  pool.subgradientStep(noForest(R), 6);
  EXPECT_EQ(pool.multiplier(1), 2);
  EXPECT_EQ(pool.multiplier(2), 6);
}

// A parent array with a cycle is no forest: a clear warning, no endless walk.
TEST(DynamicCutPool, CyclicParentArrayIsRefused) {
  LogCapture log{1};
  settings({});
  ReduceGraph R(path());
  IntArray w = costWeights(R);
  DynamicCutPool pool(R, w);
  IntArray parent = noForest(R);
  parent[2] = 3, parent[3] = 2;
  std::vector<int> cut;
  pool.findCut(1, parent, cut);
  EXPECT_NE(log.text().find("parent array holds a cycle"), std::string::npos) << log.text();
}

// On leaving, the pool lists the multipliers of its cuts in beasleyFaktor units.
TEST(DynamicCutPool, DestructorListsTheMultipliers) {
  LogCapture log{4};
  settings({});
  shell.Sset("beasleyFaktor", "2");
  ReduceGraph R(path());
  IntArray w(static_cast<std::size_t>(2 * R.E) + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s) w[s] = 2 * R.arcs[s].cost;
  {
    DynamicCutPool pool(R, w);
    std::vector<int> cut;
    ASSERT_TRUE(pool.findCut(1, noForest(R), cut));
    pool.storeCut(cut);
    pool.subgradientStep(noForest(R), 3);
    EXPECT_EQ(pool.check(), 0);
  }
  EXPECT_NE(log.text().find("1.5 \n"), std::string::npos) << log.text();
}
