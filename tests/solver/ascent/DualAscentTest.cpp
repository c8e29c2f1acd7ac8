// Letter d's component ascent with grouping, its cut pool and its MST-pruned variant: safety on
// generated instances, and small fixtures whose bounds are known exactly.

#include "DualAscent.h"
#include "ReduceByString.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "SafetyTest.h"
#include "ScriptSafety.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

using namespace ascenttest;


void expectSafe(const std::vector<SafetyCase>& cases) { ascenttest::expectSafe("d", cases); }

// Root 1 joined to a centre 2 by one edge of cost 1000, and `leaves` terminals hanging off the
// centre by edges of cost 1000: the optimum is (leaves + 1) x 1000.
Graph star(int leaves) {
  std::vector<Edge> edges{{1, 2, 1000}};
  std::vector<int> terminals{1};
  for (int i = 0; i < leaves; ++i) {
    edges.push_back({2, 3 + i, 1000});
    terminals.push_back(3 + i);
  }
  return makeGraph(leaves + 2, edges, terminals);
}

}  // namespace

// Grouped components share one raise: the bound stays at or below the optimum and the tree
// offered is a tree of the instance, under every option that changes the groups or the root.
TEST(DualGrouping, StaysBelowTheOptimumWithValidTrees) {
  expectSafe({
      {{{"simple", "0"}, {"grouping", "1"}}, 250},
      {{{"simple", "0"}, {"grouping", "1"}, {"stopOnlyWithRoot", "1"}}, 200},
      {{{"simple", "0"}, {"grouping", "1"}, {"upperBi", "1"}, {"root", "-1"}}, 150},
      {{{"simple", "0"}, {"grouping", "1"}, {"stopOnlyWithRoot", "1"}, {"root", "-2"}}, 150},
      {{{"simple", "0"}, {"grouping", "1"}, {"factor", "7"}}, 100},
  });
}

// All leaves of the star meet in the centre at one time and form one group, which then raises
// one unit per unit of time: the bound is exactly the optimum. Counting every member's raise, or
// letting the root edge shrink at the members' full rate, misses it.
TEST(DualGrouping, StarMergesIntoOneGroupAndReachesTheOptimum) {
  struct Case {
    const char* grouping;
    bool merged;
  };
  for (const Case& c : {Case{"0", false}, Case{"1", true}}) {
    for (int leaves : {2, 5, 20}) {
      SCOPED_TRACE(std::string("grouping ") + c.grouping + ", leaves " + std::to_string(leaves));
      LogCapture log{4};
      applySettings({{"simple", "0"}, {"grouping", c.grouping}});
      ReduceGraph R(star(leaves));
      dual(R);
      EXPECT_EQ(R.lowerValue, (leaves + 1) * 1000);
      EXPECT_EQ(R.upperValue, (leaves + 1) * 1000);
      const std::string text = log.text();
      EXPECT_EQ(text.find("Merged ! ") != std::string::npos, c.merged) << text;
      // The root's group has no active member: the last saturation, from the root, is no merge.
      EXPECT_EQ(text.find("Not Really Merged ! ") != std::string::npos, c.merged) << text;
      EXPECT_NE(text.find(">U<\n"), std::string::npos);
    }
  }
}

// Two terminals next to each other, far from the root: the first to reach the other dies, its
// group's count changes and is flushed before the survivor goes on alone to the root. The bound
// is the optimum 1 + 10.
TEST(DualGrouping, KilledMemberIsFlushedAndTheSurvivorGoesOn) {
  LogCapture log{4};
  applySettings({{"simple", "0"}, {"grouping", "1"}});
  ReduceGraph R(makeGraph(3, {{2, 3, 1}, {3, 1, 10}}, {1, 2, 3}));
  dual(R);
  EXPECT_EQ(R.lowerValue, 11);
  EXPECT_EQ(R.upperValue, 11);
  const std::string text = log.text();
  EXPECT_NE(text.find("Killed: "), std::string::npos) << text;
  EXPECT_NE(text.find(">UG<"), std::string::npos) << text;
  EXPECT_NE(text.find("Not Really Merged ! "), std::string::npos) << text;
}

// One terminal: nothing is active, the bound is the contracted cost.
TEST(DualGrouping, OneTerminalOffersTheContractedCost) {
  applySettings({{"simple", "0"}, {"grouping", "1"}});
  ReduceGraph R(makeGraph(2, {{1, 2, 5}}, {1}));
  R.contractCost = 4;
  dual(R);
  EXPECT_EQ(R.lowerValue, 4);
}

// The ascent that raises the smallest component: safe with and without the boundary lists, with
// both ways to the tree.
TEST(DualMstPrune, StaysBelowTheOptimumWithValidTrees) {
  expectSafe({
      {{{"simple", "-1"}, {"quicker", "1"}}, 250},
      {{{"simple", "-1"}, {"quicker", "1"}, {"mstPrune", "1"}, {"root", "-2"}}, 150},
      {{{"simple", "-1"}, {"upperBi", "1"}, {"root", "-1"}}, 150},
  });
}

// The boundary lists only skip vertices without an outside neighbour: the bound is the same.
TEST(DualMstPrune, BoundaryListsGiveTheSameBound) {
  LogCapture log{0};
  const auto instances = steinertest::instanceMix(120, 3);
  for (const auto& instance : instances) {
    SCOPED_TRACE(instance.description);
    int lower[2] = {0, 0};
    for (int quicker : {0, 1}) {
      applySettings({{"simple", "-1"}, {"quicker", quicker ? "1" : "0"}});
      ReduceGraph R(instance.graph);
      dual(R);
      lower[quicker] = R.lowerValue;
    }
    EXPECT_EQ(lower[0], lower[1]);
  }
}

// A terminal tied to the root by an edge of cost 0: that arc enters its component at once, so
// the first raise is 0 and the component dies; raising over the arc instead would count the
// edge 2-3 twice (bound 10 above the optimum 5).
TEST(DualMstPrune, ZeroCostArcIntoAComponentIsNotRaisedOver) {
  for (const char* quicker : {"0", "1"}) {
    SCOPED_TRACE(quicker);
    applySettings({{"simple", "-1"}, {"quicker", quicker}});
    ReduceGraph R(makeGraph(3, {{1, 2, 0}, {2, 3, 5}}, {1, 2, 3}));
    dual(R);
    EXPECT_EQ(R.lowerValue, 5);
    EXPECT_EQ(R.upperValue, 5);
  }
}

// Path 1 - 2 - 3 with the root at 1 and terminal 2 at vertex 3: terminal 2's component takes
// vertex 2 (terminal 3's) and stays alive; the arc from the root that terminal 3's raise
// saturates ends both components at once.
TEST(DualMstPrune, MeetingAnotherTerminalDoesNotStopAComponent) {
  LogCapture log{4};
  applySettings({{"simple", "-1"}});
  ReduceGraph R(makeGraph(3, {{1, 2, 3}, {2, 3, 4}}, {1, 3, 2}));
  R.contractCost = 10;
  dual(R);
  EXPECT_EQ(R.lowerValue, 17);
  const std::string text = log.text();
  EXPECT_NE(text.find("2(1,1) : 4 -> lower: 14\n"), std::string::npos) << text;
  EXPECT_NE(text.find("3(1,2) : 3 -> lower: 17\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Lower: 7+Contr= 17\n"), std::string::npos) << text;
  EXPECT_NE(text.find("count2:2, "), std::string::npos) << text;
}

// The reduced-cost pass of the component ascent reports its failed check before every use of a
// component's share: the run ends under exitWarning 1 and goes on with the bound under 0.
TEST(DualGrouping, ReducedCostPassReportsItsCheck) {
  {
    LogCapture log{1};
    applySettings({{"simple", "0"}, {"doReduction", "1"}});
    ReduceGraph R(makeGraph(3, {{1, 2, 2}, {2, 3, 2}}, {1, 3}));
    dual(R);
    EXPECT_EQ(R.lowerValue, 4);
    EXPECT_NE(log.text().find("Warning: (1) in file 'dual' line 212"), std::string::npos) << log.text();
  }
  applySettings({{"simple", "0"}, {"doReduction", "1"}, {"exitWarning", "1"}, {"exitSaveGraph", "/dev/null"}});
  ReduceGraph R(makeGraph(3, {{1, 2, 2}, {2, 3, 2}}, {1, 3}));
  EXPECT_EXIT(dual(R), ::testing::ExitedWithCode(1), "");
}

// Terminals 1 and 3 on the path 1 -2- 2 -3- 3: vertex 2 lies in 1's region, the one link 2-3
// weighs 5, which is also the largest. The pass gives the arcs into the root's region their slack
// toward its terminal (1->2: 0, 2->1: 2c = 4) and the link, no longer than its bottleneck, slack
// 0; the listing of the growth shows them before the second tree.
TEST(VoronoiBound, ReducedCostPassSetsSlacksAndBuildsAgain) {
  LogCapture log{5};
  applySettings({{"simple", "2"}, {"doReduction", "1"}, {"upperBi", "1"}});
  ReduceGraph R(makeGraph(3, {{1, 2, 2}, {2, 3, 3}}, {1, 3}));
  dual(R);
  const std::string text = log.text();
  EXPECT_EQ(R.lowerValue, 5);
  EXPECT_EQ(R.upperValue, 5);
  for (const char* piece : {"(1-2)2slack[a]:0, upperStamp[a]:4", "(2-1)2slack[a]:4, upperStamp[a]:4",
                            "(2-3)3slack[a]:0, upperStamp[a]:5", "(3-2)3slack[a]:0, upperStamp[a]:5"}) {
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
  }
  // Two tree builds, the second after the pass.
  std::size_t listings = 0;
  for (std::size_t at = text.find("(1-2)2slack"); at != std::string::npos; at = text.find("(1-2)2slack", at + 1)) ++listings;
  EXPECT_EQ(listings, 2u) << text;
}

// Three regions around the triangle 1-2-3 (links 1-2: 2, 2-3: 3, 1-3: 6): the link 1-3 is longer
// than the bottleneck 3 of its regions, so the pass gives it slack 6 - 3 and no new stamp. In the
// directed mode the links are stamped by the pass only (those within their bottleneck, doubled),
// and the tree the first build could not make is built after it.
TEST(VoronoiBound, LinksAboveTheirBottleneckKeepTheirExcessAsSlack) {
  struct Case {
    const char* directed;
    std::vector<const char*> logged;
    int upper;
  };
  const std::vector<Case> cases{
      {"0", {"(1-3)6slack[a]:3, upperStamp[a]:6,", "(1-2)2slack[a]:0, upperStamp[a]:2,"}, 5},
      // Directed: a link weighs c + dist of its near end, doubled into the stamps; unstamped
      // arcs read as never saturated.
      {"1", {"(1-3)6slack[a]:6, upperStamp[a]:1600000000", "(1-2)2slack[a]:0, upperStamp[a]:4,"}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directed);
    LogCapture log{5};
    applySettings({{"simple", "2"}, {"doReduction", "1"}, {"upperBi", "1"}, {"directed", c.directed}});
    ReduceGraph R(makeGraph(3, {{1, 2, 2}, {2, 3, 3}, {1, 3, 6}}, {1, 2, 3}));
    dual(R);
    const std::string text = log.text();
    for (const char* piece : c.logged) EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
    EXPECT_EQ(R.upperValue, c.upper);
  }
  // With the reverse deletion the directed mode builds only after the pass.
  for (const char* pass : {"0", "1"}) {
    LogCapture log{0};
    applySettings({{"simple", "2"}, {"directed", "1"}, {"doReduction", pass}, {"exitWarning", "1"}});
    ReduceGraph R(makeGraph(4, {{1, 2, 2}, {2, 3, 2}, {3, 4, 2}}, {1, 4}));
    dual(R);
    EXPECT_EQ(R.upperValue, std::string(pass) == "1" ? 6 : maxint) << pass;
  }
}

// The pass only stamps arcs for the tree builders: bounds stay at or below the optimum and the
// trees offered are trees of the instance, in both modes and with both builders.
TEST(VoronoiBound, ReducedCostPassKeepsTheOptimum) {
  expectSafe({{{{"simple", "2"}, {"doReduction", "1"}}, 250},
              {{{"simple", "2"}, {"doReduction", "1"}, {"directed", "1"}}, 200},
              {{{"simple", "3"}, {"doReduction", "1"}, {"upperBi", "1"}, {"root", "-1"}}, 150},
              {{{"simple", "2"}, {"doReduction", "1"}, {"directed", "1"}, {"upperBi", "1"}, {"root", "-2"}}, 150}});
}
