// The ascent driver a, the ascent deletion tests i and the cut-bound letters c and +: safety on
// generated instances under the option sets that change the ascent, and small fixtures for the
// bounds, the deletions and the letters without a backend.

#include "AscentConsole.h"
#include "AscentDeletion.h"
#include "AscentDriver.h"
#include "AscentLpExperiment.h"
#include "CutBound.h"
#include "DualAscent.h"
#include "VoronoiAscent.h"
#include "Random.h"
#include "ReduceByString.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "SafetyTest.h"
#include "ScriptSafety.h"
#include "../reduce/ReductionSafety.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

using namespace ascenttest;


// Every root rule, the tree-led choice with locks, the auxiliary graph by vertices and from all
// zero arcs, and deletions at a closed gap: the optimum and the stored tree survive, the bound
// stays at or below the optimum.
TEST(AscentDriver, KeepsTheOptimumUnderEveryOptionSet) {
  seedRandom(1);
  const std::vector<SafetyCase> cases{
      {{}, 300},
      {{{"root", "-1"}}, 100},
      {{{"root", "0"}}, 100},
      {{{"root", "-3"}}, 100},
      {{{"upperChoose", "40"}, {"ascentLock", "1"}}, 150},
      {{{"upperChoose", "15"}, {"ascentLock", "1"}, {"ascentUnlock", "2"}, {"root", "0"}}, 100},
      {{{"full", "1"}, {"inzident", "1"}, {"original", "1"}, {"prunes", "1"}}, 100},
      {{{"construct", "1"}, {"garbageCollection", "1"}, {"ascentMaxDegree", "40"}}, 100},
      {{{"calcUpper", "-1"}, {"root", "0"}}, 100},
      {{{"SSChoose", "1"}}, 100},
      {{{"SSChoose", "2"}, {"SSChooseLimit", "2"}, {"root", "-2"}}, 100},
      {{{"SSChoose", "10"}}, 100},
      {{{"SSChoose", "110"}, {"upperChoose", "40"}, {"ascentLock", "1"}}, 60},
      {{{"Random", "3"}, {"root", "0"}}, 100},
      {{{"diff", "-1"}}, 100},
      {{{"diff", "1000"}, {"root", "-2"}}, 100},
      {{{"upgrade", "1"}}, 100},
      {{{"upgrade", "2"}, {"upgradeUseSlack", "0"}, {"upgradePrune", "1"}}, 100},
      // Outside prune copies the deletions without proof are refused.
      {{{"reduce", "1"}, {"construct", "1"}}, 100},
  };
  expectSafe("a", cases);
}

// On a tree the ascent's bound is the tree's cost and the auxiliary graph is that tree.
TEST(AscentDriver, BoundAndAuxiliaryTreeMeetOnATree) {
  LogCapture log{3};
  applySettings({});
  ReduceGraph R(makeGraph(6, {{1, 2, 3}, {2, 3, 2}, {2, 4, 5}, {4, 5, 1}, {4, 6, 7}}, {1, 3, 5, 6}));
  ascent(R);
  EXPECT_EQ(R.lowerValue, 18);
  EXPECT_EQ(R.upperValue, 18);
  EXPECT_EQ(R.upperOpt, 1);
  const std::string text = log.text();
  EXPECT_NE(text.find("1. root: 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("calculating upper bound... "), std::string::npos) << text;
  EXPECT_NE(text.find("auxiliary graph: |V|="), std::string::npos) << text;
  EXPECT_INSTANCE_VALID(R);
}

// The tentative choices switch the tree rules off and reach the tree's cost on a tree as well.
TEST(AscentDriver, TentativeChoiceReachesTheTreeCost) {
  for (const char* mode : {"1", "5", "10", "100"}) {
    SCOPED_TRACE(mode);
    LogCapture log{5};
    applySettings({{"SSChoose", mode}, {"upperChoose", "40"}, {"ascentLock", "1"}});
    ReduceGraph R(makeGraph(6, {{1, 2, 3}, {2, 3, 2}, {2, 4, 5}, {4, 5, 1}, {4, 6, 7}}, {1, 3, 5, 6}));
    ascent(R);
    EXPECT_EQ(R.lowerValue, 18);
    EXPECT_EQ(R.upperOpt, 1);
    EXPECT_NE(log.text().find("diff=maxint,upperChoose=0,doLock=0\n"), std::string::npos);
  }
}

//   1 --1-- 2 --1-- 3      terminals 1, 3; optimum 2 over vertex 2.
//    \             /       vertex 4 lies on a path of 20, far beyond the gap: the reduced
//     10--- 4 ---10        costs delete it with its edges (construct: also at a closed gap).
TEST(AscentDriver, DeletesWhatLiesBeyondTheGap) {
  LogCapture log{3};
  applySettings({{"construct", "1"}});
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 4, 10}, {4, 3, 10}}, {1, 3}));
  storeSimpleTree(R);
  ascent(R);
  EXPECT_EQ(R.lowerValue, 2);
  EXPECT_EQ(R.upperValue, 2);
  EXPECT_EQ(R.degree[4], 0);
  EXPECT_INSTANCE_VALID(R);
}

// Without reductions only the bound is raised; with calcUpper -1 no upper bound is built.
TEST(AscentDriver, BoundsOnlyLeaveTheGraphAlone) {
  LogCapture log{3};
  applySettings({{"doReduction", "0"}, {"calcUpper", "-1"}, {"root", "0"}});
  ReduceGraph R(makeGraph(5, {{1, 2, 3}, {2, 3, 3}, {1, 4, 2}, {4, 3, 5}, {3, 5, 1}, {2, 5, 9}}, {1, 3, 5}));
  const int edges = R.Eanz;
  ascent(R);
  EXPECT_EQ(R.upperValue, maxint);
  EXPECT_GT(R.lowerValue, 0);
  EXPECT_LE(R.lowerValue, 7);
  EXPECT_EQ(R.Eanz, edges);
  const std::string text = log.text();
  EXPECT_EQ(text.find("calculating upper bound"), std::string::npos);
  EXPECT_NE(text.find("3. root: 5\n"), std::string::npos) << text;
}

// In a prune copy SLACK-PRUNE deletes where the reduced costs prove nothing: what is left still
// joins the terminals, is consistent, keeps its tree a tree, and its bounds claim nothing more.
TEST(AscentDriver, SlackPruneInAPruneCopyMarksItsDeletions) {
  int pruned = 0;
  for (const steinertest::GeneratedInstance& instance : steinertest::instanceMix(200, 3)) {
    LogCapture log{1};
    // Without an upper bound the reduced costs prove nothing.
    applySettings({{"reduce", "1"}, {"calcUpper", "-1"}});
    ReduceGraph R(instance.graph);
    const int vertices = R.Vanz;
    shell.phase = 'P';
    ascent(R);
    shell.phase = 0;
    if (log.text().find("Reduce: ") == std::string::npos) continue;
    SCOPED_TRACE(instance.description);
    ++pruned;
    EXPECT_EQ(R.heuristicallyReduced, 1);
    EXPECT_TRUE(steinertest::terminalsJoined(R) || R.upperOpt != 0);
    EXPECT_LE(R.Vanz, vertices);
    const int lower = R.lowerValue;
    R.setLower(lower + 1, 1);
    EXPECT_EQ(R.lowerValue, lower);
    EXPECT_INSTANCE_VALID(R);
  }
  EXPECT_GT(pruned, 0);
}

// Terminals 1 (root), 2 and 3; optimum 4 (1-2-3 or 1-4-2-3), stored tree 1-2, 1-3 of 6.
//
//   5 --1-- 1 --2-- 2 --2-- 3      Vertex 4 reaches terminal 2 and the root for nothing,
//   |        \     /        |      but a second terminal only over 4-5-3 (5-3 costs 10):
//   1         1   1         |      no tree within the gap branches at 4, which is replaced.
//   |          \ /          |      Its nearest terminal counted twice would not have shown
//   '---------- 4     5 -10-'      it. (Edge 1-3 of 4 not drawn.)
TEST(AscentDriver, ReplacesAVertexWhoseSecondTerminalLiesBeyondTheGap) {
  LogCapture log{3};
  applySettings({{"calcUpper", "-1"}});
  const Graph g = makeGraph(5, {{1, 4, 1}, {4, 2, 1}, {4, 5, 1}, {1, 5, 1}, {1, 2, 2}, {2, 3, 2}, {5, 3, 10}, {1, 3, 4}},
                            {1, 2, 3});
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {1, 3}});
  R.setUpper(tree, "test", 0);
  ASSERT_EQ(R.upperValue, 6);
  ascent(R);
  const std::string text = log.text();
  EXPECT_NE(text.find(", replaced: 1\n"), std::string::npos) << text;
  EXPECT_EQ(R.degree[4], 0) << text;
  EXPECT_EQ(steinertest::judgeInstance(g, R, 4), "");
}

// The replacement marks on the generated mix with the degree limit lifted: every root, a closed
// gap tested as well, and the tree-led choice.
TEST(AscentDriver, ReplacementKeepsTheOptimum) {
  seedRandom(2);
  expectSafe("a", {{{{"ascentMaxDegree", "1000"}, {"root", "0"}}, 200},
                   {{{"ascentMaxDegree", "1000"}, {"construct", "1"}, {"calcUpper", "0"}}, 200},
                   {{{"ascentMaxDegree", "1000"}, {"upperChoose", "40"}, {"ascentLock", "1"}, {"root", "-2"}}, 150}});
}

// Three terminals: 1 (root), 2 and 3 on the path 1 -3- 2 -4- 3, and 1 -6- 3.
ReduceGraph triangle() { return ReduceGraph(makeGraph(3, {{1, 2, 3}, {2, 3, 4}, {1, 3, 6}}, {1, 2, 3})); }

// Console input for one test; standard input again afterwards.
class ConsoleInput {
public:
  explicit ConsoleInput(const std::string& text) : in_(text) { setConsoleInput(&in_); }
  ~ConsoleInput() { setConsoleInput(nullptr); }
  ConsoleInput(const ConsoleInput&) = delete;
  ConsoleInput& operator=(const ConsoleInput&) = delete;
  std::string rest() {
    std::string left, word;
    while (in_ >> word) left += word + " ";
    return left;
  }

private:
  std::istringstream in_;
};

// The step lines of an ascent at verbosity 4 ("k.Comp:t / Cut:delta ...").
std::vector<std::string> stepLines(const std::string& text) {
  std::vector<std::string> steps;
  for (const std::string& line : linesOf(text))
    if (line.find(".Comp:") != std::string::npos) steps.push_back(line.substr(0, line.find(" Size:")));
  return steps;
}

std::vector<std::string> automaticSteps() {
  LogCapture log{4};
  applySettings({{"doReduction", "0"}});
  ReduceGraph R = triangle();
  ascent(R);
  return stepLines(log.text());
}

// Terminals 1 (root), 2 and 3; stored tree 1-5-2 and 1-3 (31), optimum 23.
//
//   2 -1- 5 -10- 1 -20- 3          The first raise goes to terminal 2 (terminal order on
//                |      |          equal sizes), taking in tree vertex 5; the second to 3,
//                '-10-7-1-6        taking in vertex 6 off the tree. Both components now hold
//                       (7-6: 1)   two vertices: with diff 5 the one with fewer tree vertices
//                                  (3) is raised, with diff 0 the first (2).
ReduceGraph treeTieInstance() {
  ReduceGraph R(makeGraph(7, {{2, 5, 1}, {5, 1, 10}, {3, 6, 1}, {6, 7, 1}, {7, 1, 10}, {3, 1, 20}}, {1, 2, 3}));
  IntArray tree = slotList(R, {{1, 5}, {5, 2}, {1, 3}});
  R.setUpper(tree, "test", 0);
  return R;
}

// Terminals 1 (root), 2 and 3 around vertex 4 (4-1 costs 10, 4-2 and 4-3 cost 1): both
// components take in vertex 4 and go on, each taking in the other's terminal, until one raise
// of 8 reaches the root for both.
ReduceGraph starInstance() { return ReduceGraph(makeGraph(4, {{1, 4, 10}, {2, 4, 1}, {3, 4, 1}}, {1, 2, 3})); }

// Terminals 1 (root) and 2 on the path 1 -5- 3 -0- 2: the edge of cost 0 enters the first cut
// with a raise of 0 (no reduced cost may fall below 0), then the cut into {2, 3} is raised by 5.
ReduceGraph zeroCostInstance() { return ReduceGraph(makeGraph(3, {{1, 3, 5}, {3, 2, 0}}, {1, 2})); }

// The components grow until they reach the root, overlapping where they meet, and the choice
// goes by size in terminal order, with the tree rule within diff.
TEST(AscentDriver, ChoiceAndGrowthOfTheComponents) {
  struct Case {
    const char* what;
    ReduceGraph (*instance)();
    const char* diff;
    std::vector<std::string> steps;
    int lower;
  };
  for (const Case& c : std::vector<Case>{
           {"tree rule", treeTieInstance, "5",
            {"1.Comp:2 / Cut:1", "2.Comp:3 / Cut:1", "3.Comp:3 / Cut:1", "4.Comp:3 / Cut:10", "5.Comp:2 / Cut:10"},
            23},
           {"no tolerance", treeTieInstance, "0",
            {"1.Comp:2 / Cut:1", "2.Comp:3 / Cut:1", "3.Comp:2 / Cut:10", "4.Comp:3 / Cut:1", "5.Comp:3 / Cut:10"},
            23},
           {"overlapping components", starInstance, "5",
            {"1.Comp:2 / Cut:1", "2.Comp:3 / Cut:1", "3.Comp:2 / Cut:1", "4.Comp:3 / Cut:1", "5.Comp:2 / Cut:8"},
            12},
           {"edge of cost 0", zeroCostInstance, "5", {"1.Comp:2 / Cut:0", "2.Comp:2 / Cut:5"}, 5},
       }) {
    SCOPED_TRACE(c.what);
    LogCapture log{4};
    applySettings({{"diff", c.diff}, {"doReduction", "0"}, {"calcUpper", "-1"}});
    ReduceGraph R = c.instance();
    ascent(R);
    EXPECT_EQ(stepLines(log.text()), c.steps) << log.text();
    EXPECT_EQ(R.lowerValue, c.lower);
  }
}

// The ascent bound of every root and choice rule stays at or below the optimum of the oracle,
// and meets it on trees.
TEST(AscentDriver, BoundNeverExceedsTheOptimum) {
  int met = 0, instances = 0;
  for (const steinertest::GeneratedInstance& instance : steinertest::instanceMix(120, 9)) {
    SCOPED_TRACE(instance.description);
    ReduceGraph fresh(instance.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(fresh);
    for (const Settings& settings : std::vector<Settings>{{{"diff", "5"}}, {{"diff", "-1"}}, {{"Random", "4"}},
                                                          {{"upperChoose", "40"}, {"ascentLock", "1"}},
                                                          {{"SSChoose", "1"}}, {{"SSChoose", "110"}}}) {
      SCOPED_TRACE(describe(settings));
      Settings all = settings;
      all.push_back({"root", "0"});
      all.push_back({"doReduction", "0"});
      all.push_back({"calcUpper", "-1"});
      LogCapture log{0};
      applySettings(all);
      ReduceGraph R(instance.graph);
      if (instances % 2 == 0) storeSimpleTree(R);
      ascent(R);
      ASSERT_LE(R.lowerValue, optimum) << log.text();
      if (R.lowerValue == optimum) ++met;
    }
    ++instances;
  }
  EXPECT_GT(met, 0);
}

// The tests of letter i run the same ascent, with their own line per raise.
TEST(AscentDeletion, TestAscentFollowsTheDriversChoice) {
  for (const auto& [diff, expected] : std::vector<std::pair<const char*, std::vector<std::string>>>{
           {"5", {"2 : C1 S1", "3 : C1 S1", "3 : C1 S2", "3 : C10 S3", "2 : C10 S2"}},
           {"0", {"2 : C1 S1", "3 : C1 S1", "2 : C10 S2", "3 : C1 S2", "3 : C10 S3"}}}) {
    SCOPED_TRACE(diff);
    LogCapture log{4};
    applySettings({{"diff", diff}, {"ascentDelMax", "0"}});
    ReduceGraph R = treeTieInstance();
    ascentDel(R);
    std::vector<std::string> raises;
    for (const std::string& line : linesOf(log.text()))
      if (line.find(" : C") != std::string::npos) raises.push_back(line);
    EXPECT_EQ(raises, expected) << log.text();
    EXPECT_NE(log.text().find("Lower: 23+Contr= 23\n"), std::string::npos) << log.text();
  }
}

// Vertex 4, the centre of the stored tree (the star 1-4, 4-2, 4-3), is lifted to a terminal of
// the upgrade's copy; the copy's tree comes back under the upgrade's labels (offered without
// combining, so that setUpper names them).
TEST(AscentDriver, UpgradeOffersItsTreesUnderTheirLabels) {
  LogCapture log{3};
  applySettings({{"upgrade", "1"}, {"upgradeUseSlack", "0"}, {"upgradePrune", "1"}, {"construct", "1"}, {"combineSolutions", "0"}});
  ReduceGraph R(makeGraph(4, {{1, 4, 1}, {2, 4, 1}, {3, 4, 1}, {1, 2, 3}, {2, 3, 3}}, {1, 2, 3}));
  IntArray tree = slotList(R, {{1, 4}, {2, 4}, {3, 4}});
  R.setUpper(tree, "test", 0);
  ascent(R);
  const std::string text = log.text();
  EXPECT_NE(text.find(" U: 4"), std::string::npos) << text;
  EXPECT_NE(text.find("upgraded: 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" (Upgraded)"), std::string::npos) << text;
  EXPECT_NE(text.find("Upgraded-Upper: 3\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" (Originalgraph nach Upgradedgraph)"), std::string::npos) << text;
  EXPECT_EQ(R.upperValue, 3);
  EXPECT_INSTANCE_VALID(R);
}

// The roots of a schedule follow the edge slots in use (E), not the live edges: with 5
// terminals and root -2 the first root is (E mod 3) + 1.
TEST(AscentDriver, RootScheduleCountsTheEdgeSlots) {
  struct Case {
    const char* letter;
    std::vector<const char*> logged;
    const char* absent;
  };
  for (const Case& c : std::vector<Case>{{"a", {"1. root: 1\n", "2. root: 2\n"}, "3. root: 3\n"},
                                         {"A", {"\n\nroot: 1 (1)\n", "\n\nroot: 2 (2)\n"}, "root: 3 (3)"}}) {
    SCOPED_TRACE(c.letter);
    LogCapture log{3};
    applySettings({{"root", "-2"}, {"doReduction", "0"}, {"calcUpper", "-1"}, {"ascentPrune", "0"}});
    ReduceGraph R(makeGraph(6, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 1}, {6, 1, 1}}, {1, 2, 3, 4, 5}));
    R.deleteEdge(slotOf(R, 5, 6));
    ASSERT_EQ(R.E, 6);
    ASSERT_EQ(R.Eanz, 5);
    reduceByString(c.letter, R, 0);
    const std::string text = log.text();
    for (const char* line : c.logged) EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(text.find(c.absent), std::string::npos) << text;
  }
}

// The interactive choice lists the active terminals and raises the one typed; without input, on
// the display that is not there, or with a mere word it keeps the automatic choice; an index
// that names no active terminal ends the ascent with the bound reached so far.
TEST(AscentDriver, InteractiveChoiceOfTheTerminal) {
  const std::vector<std::string> automatic = automaticSteps();
  ASSERT_FALSE(automatic.empty());
  struct Case {
    const char* ask;
    const char* input;
    int lower;
    const char* firstStep;  // null: the automatic steps
  };
  for (const Case& c : std::vector<Case>{{"1", "3", 7, "1.Comp:3 / Cut:4"},
                                         {"1", "2", 7, "1.Comp:2 / Cut:3"},
                                         {"1", "", 7, nullptr},
                                         {"1", "x", 7, nullptr},
                                         {"2", "", 7, nullptr},
                                         {"3", "go on", 7, nullptr},
                                         {"1", "9", 0, ""},
                                         {"1", "1", 0, ""}}) {
    SCOPED_TRACE(std::string(c.ask) + " '" + c.input + "'");
    ConsoleInput input(c.input);
    LogCapture log{4};
    applySettings({{"ascentAsk", c.ask}, {"doReduction", "0"}});
    ReduceGraph R = triangle();
    ascent(R);
    const std::string text = log.text();
    EXPECT_NE(text.find("\nAllowed : 2 3\n"), std::string::npos) << text;
    EXPECT_EQ(R.lowerValue, c.lower) << text;
    const std::vector<std::string> steps = stepLines(text);
    if (c.firstStep == nullptr) {
      EXPECT_EQ(steps, automatic) << text;
    } else if (*c.firstStep == '\0') {
      EXPECT_TRUE(steps.empty()) << text;
    } else {
      ASSERT_FALSE(steps.empty()) << text;
      EXPECT_EQ(steps.front(), c.firstStep) << text;
    }
  }
}

// The pause after each ascent takes one word, and only when asked for; with the interactive
// choice it gives way to it.
TEST(AscentDriver, PauseTakesOneWordPerAscent) {
  struct Case {
    Settings settings;
    const char* left;
  };
  for (const Case& c : std::vector<Case>{{{{"ascentDisplay", "1"}}, "d "},
                                         {{}, "a b c d "},
                                         {{{"ascentDisplay", "1"}, {"ascentAsk", "3"}}, ""}}) {
    SCOPED_TRACE(describe(c.settings));
    ConsoleInput input("a b c d");
    LogCapture log{3};
    Settings settings = c.settings;
    settings.push_back({"root", "0"});
    settings.push_back({"doReduction", "0"});
    applySettings(settings);
    ReduceGraph R = triangle();
    ascent(R);
    EXPECT_EQ(R.lowerValue, 7);
    EXPECT_EQ(input.rest(), c.left);
  }
}

// Standard input is read only as far as it has arrived: a pipe that stays open and empty (as a
// console nobody types at) or holds half a word leaves the automatic choice, and the run ends
// instead of waiting; a whole word, or the last one before the end of the input, is taken.
TEST(AscentDriver, StandardInputIsReadOnlyAsFarAsItHasArrived) {
  const std::vector<std::string> automatic = automaticSteps();
  struct Case {
    const char* input;
    bool closed;  // the writing end closed after the input
    bool automatic;
  };
  for (const Case& c : std::vector<Case>{{"", false, true}, {"3", false, true}, {"3\n", false, false},
                                         {"3", true, false}, {"", true, true}}) {
    SCOPED_TRACE(std::string("'") + c.input + "'" + (c.closed ? " closed" : " open"));
    EXPECT_EXIT(
        {
          int ends[2];
          if (pipe(ends) != 0 || dup2(ends[0], STDIN_FILENO) < 0) std::_Exit(2);
          const std::string input = c.input;
          if (write(ends[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) std::_Exit(2);
          if (c.closed) close(ends[1]);
          alarm(20);
          LogCapture log{4};
          applySettings({{"ascentAsk", "1"}, {"ascentDisplay", "1"}, {"doReduction", "0"}});
          ReduceGraph R = triangle();
          ascent(R);
          const std::vector<std::string> steps = stepLines(log.text());
          const bool asExpected = c.automatic ? steps == automatic : !steps.empty() && steps.front() == "1.Comp:3 / Cut:4";
          // The experiment reads the same input: it must end as well.
          ascentLpExperiment(R);
          std::_Exit(asExpected && R.lowerValue == 7 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

// With the tree-led choice, a terminal whose component never met the stored tree at a branching
// point or a terminal is named at the end of the ascent.
TEST(AscentDriver, PrematureEndNamesTerminalsOffTheTree) {
  struct Case {
    std::vector<Edge> edges;
    std::vector<std::pair<int, int>> tree;
    bool named;
  };
  // Terminals 1 and 3 on a triangle whose edge 1-3 (2) is cheaper than the path 1-2-3 (6): the
  // component of 3 reaches the root over 1-3, off the stored path, or along the stored edge.
  const std::vector<Edge> edges{{1, 2, 3}, {2, 3, 3}, {1, 3, 2}};
  for (const Case& c : std::vector<Case>{{edges, {{1, 2}, {2, 3}}, true}, {edges, {{1, 3}}, false}}) {
    SCOPED_TRACE(c.named);
    LogCapture log{4};
    applySettings({{"upperChoose", "40"}, {"calcUpper", "-1"}, {"doReduction", "0"}});
    ReduceGraph R(makeGraph(3, c.edges, {1, 3}));
    IntArray tree(c.tree.size() + 1, 0);
    for (const auto& [u, v] : c.tree) tree[++tree[0]] = slotOf(R, u, v);
    R.setUpper(tree, "test", 0);
    ascent(R);
    const std::string text = log.text();
    EXPECT_EQ(text.find("Premature End: 2\n") != std::string::npos, c.named) << text;
    EXPECT_EQ(R.lowerValue, 2);
  }
}

// A fresh folder for the LP files of one test: its path as text, and how many files it holds.
// Stand-ins for the outside LP programs "solve" and "solve4", first on PATH while the folder
// lives: each appends its name and its arguments (one per line) to a record.
struct FakeLpPrograms {
  testpaths::TempDir bin;
  std::string oldPath;
  FakeLpPrograms() {
    const char* path = std::getenv("PATH");
    oldPath = path ? path : "";
    for (const char* name : {"solve", "solve4"}) {
      const std::string script = bin.file(name);
      testpaths::writeFile(script, std::string("#!/bin/sh\nprintf '%s\\n' \"") + name + "\" \"$@\" >> \"" +
                                       bin.file("record") + "\"\n");
      std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    setenv("PATH", (bin.path().string() + ":" + oldPath).c_str(), 1);
  }
  ~FakeLpPrograms() { setenv("PATH", oldPath.c_str(), 1); }
  std::string record() const {
    return std::filesystem::exists(bin.file("record")) ? testpaths::readFile(bin.file("record")) : std::string();
  }
};

struct LpFolder {
  testpaths::TempDir dir;
  FakeLpPrograms programs;
  std::string path() const { return dir.path().string(); }
  std::string file(const char* name) const { return dir.file(name); }
  std::string read(const char* name) const { return testpaths::readFile(dir.file(name)); }
  int count() const {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++n;
    return n;
  }
};

// Two terminals on one edge of cost 7 (slots 1: 1->2, 2: 2->1); the ascent from terminal 1
// raises the cut into vertex 2 once.
ReduceGraph oneEdge() { return ReduceGraph(makeGraph(2, {{1, 2, 7}}, {1, 2})); }

// The cut LP holds the objective, one row per raise and its end, over arcs or, with per-root
// variables, over edges with coupling rows.
TEST(AscentLpFiles, CutLpHasOneRowPerRaise) {
  struct Case {
    const char* cutLP;
    const char* expected;
  };
  for (const Case& c : std::vector<Case>{
           {"2", "Minimize\n contr + 7x1 + 7x2\nSubject To\n contr=0\n + x1 >= 1 \nEnd\n"},
           {"1", "Minimize\n contr + 7X1\nSubject To\n contr=0\n x1_1 + x1_2 - X1 <= 0\n + x1_1 >= 1 \nEnd\n"}}) {
    SCOPED_TRACE(c.cutLP);
    LpFolder folder;
    LogCapture log{3};
    applySettings({{"cutLP", c.cutLP}, {"lpFolder", folder.path().c_str()}});
    ReduceGraph R = oneEdge();
    ascent(R);
    EXPECT_EQ(folder.read("cutAscent.slp"), c.expected);
    EXPECT_EQ(R.lowerValue, 7);
  }
}

// Without their options no LP file is written and no program started; the ascent LP and the
// slack LP appear in the configured folder when asked for, and the ascent LP is solved.
TEST(AscentLpFiles, WrittenOnlyWhenAskedFor) {
  {
    LpFolder folder;
    LogCapture log{3};
    applySettings({{"lpFolder", folder.path().c_str()}});
    ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 4, 5}, {4, 3, 5}}, {1, 3}));
    ascent(R);
    EXPECT_EQ(folder.count(), 0);
    EXPECT_EQ(folder.programs.record(), "");
    for (const char* line : {"Writing LP", "Solving LP", "Writing Slack-LP", "LP file", "LP program"})
      EXPECT_EQ(log.text().find(line), std::string::npos) << log.text();
  }
  LpFolder folder;
  LogCapture log{3};
  applySettings({{"lpFolder", folder.path().c_str()}, {"ascentWriteLP", "1"}, {"slackLP", "slack.lp"}, {"berlin", "1"}, {"construct", "1"}});
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 4, 5}, {4, 3, 5}}, {1, 3}));
  storeSimpleTree(R);
  ascent(R);
  const std::string lp = folder.read("ascent.slp");
  EXPECT_EQ(lp.rfind("Minimize\n + 1x", 0), 0u) << lp;
  // Written at every step, the file holds the last: the bound before the last raise.
  EXPECT_NE(lp.find("\nSubject To\n dummy: contr=1\n"), std::string::npos) << lp;
  EXPECT_NE(lp.find(" ba1: "), std::string::npos) << lp;
  EXPECT_NE(lp.find("\n  c2_3: "), std::string::npos) << lp;
  EXPECT_EQ(lp.size() - lp.rfind("\nEnd\n"), 5u) << lp;
  const std::string slack = folder.read("slack.lp");
  EXPECT_EQ(slack.rfind("min:\n", 0), 0u) << slack;
  EXPECT_NE(slack.find(";\n slack: "), std::string::npos) << slack;
  EXPECT_NE(slack.find(";\n  r2: "), std::string::npos) << slack;
  EXPECT_EQ(slack.substr(slack.size() - 2), ";\n");
  const std::string text = log.text();
  EXPECT_NE(text.find("Writing LP: " + folder.file("ascent.slp")), std::string::npos) << text;
  EXPECT_NE(text.find("Writing Slack-LP: " + folder.file("slack.lp")), std::string::npos) << text;
  EXPECT_NE(text.find("Solving LP: " + folder.file("ascent.slp")), std::string::npos) << text;
  EXPECT_EQ(folder.programs.record().rfind("solve4\n" + folder.file("ascent.slp") + "\n", 0), 0u)
      << folder.programs.record();
}

// The slack LP describes the instance the deletions have left: vertex 4 beyond the gap is gone,
// and the objective holds exactly the remaining arc slots with their costs.
TEST(AscentLpFiles, SlackLpFollowsTheDeletions) {
  LpFolder folder;
  LogCapture log{3};
  applySettings({{"lpFolder", folder.path().c_str()}, {"slackLP", "slack.lp"}, {"construct", "1"}});
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 4, 10}, {4, 3, 10}}, {1, 3}));
  storeSimpleTree(R);
  ascent(R);
  ASSERT_EQ(R.degree[4], 0);
  const std::string slack = folder.read("slack.lp");
  std::istringstream objective(slack.substr(5, slack.find(";\n dummy") - 5));
  std::vector<std::pair<int, int>> terms;  // (slot, cost)
  std::string term;
  while (objective >> term) {
    const std::size_t x = term.find('x');
    terms.emplace_back(std::stoi(term.substr(x + 1)), std::stoi(term.substr(1, x - 1)));
  }
  std::vector<std::pair<int, int>> live;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s]) live.emplace_back(s, R.arcs[s].cost);
  EXPECT_EQ(terms, live) << slack;
  EXPECT_EQ(live.size(), 4u);
  // Reduced costs stay within what the raises took from the arcs.
  EXPECT_EQ(slack.find("+10x"), std::string::npos) << slack;
}

// The commands are "solve <file>" for the cut LP and "solve4 <file>" for the ascent LP; a path
// with characters the command processor would split is passed as one word all the same.
TEST(AscentLpFiles, CommandsNameTheProgramAndTheFile) {
  for (const char* sub : {"", "two words"}) {
    SCOPED_TRACE(sub);
    LpFolder folder;
    const std::string dir = (folder.dir.path() / sub).string();
    std::filesystem::create_directories(dir);
    LogCapture log{3};
    applySettings({{"lpFolder", dir.c_str()}, {"cutLP", "2"}, {"ascentWriteLP", "1"}});
    ReduceGraph R = oneEdge();
    ascent(R);
    EXPECT_EQ(R.lowerValue, 7);
    const std::string cut = (std::filesystem::path(dir) / "cutAscent.slp").string();
    const std::string lp = (std::filesystem::path(dir) / "ascent.slp").string();
    // One raise writes the ascent LP once; the cut LP is solved after the last root.
    EXPECT_EQ(folder.programs.record(), "solve4\n" + lp + "\nsolve\n" + cut + "\n");
    EXPECT_EQ(log.text().find("LP program"), std::string::npos) << log.text();
  }
}

// A configured program is started on the file in place of the default one; one that is missing
// or fails gives one plain line, never one the desktop program takes for a failed run, and the
// ascent goes on.
TEST(AscentLpFiles, ConfiguredProgramReplacesTheDefault) {
  struct Case {
    const char* program;
    const char* logged;  // expected in the log, or null for nothing about the program
  };
  for (const Case& c : std::vector<Case>{{"true", nullptr},
                                         {"false", "LP program false ended with status 1 on "},
                                         {"tesmo-no-such-lp-program", "LP program tesmo-no-such-lp-program not found; "}}) {
    SCOPED_TRACE(c.program);
    LpFolder folder;
    LogCapture log{3};
    applySettings({{"lpFolder", folder.path().c_str()}, {"cutLP", "2"}, {"cutLPProgram", c.program},
                   {"ascentWriteLP", "1"}, {"ascentLPProgram", c.program}});
    ReduceGraph R = oneEdge();
    ascent(R);
    EXPECT_EQ(R.lowerValue, 7);
    EXPECT_EQ(R.upperOpt, 1);
    const std::string text = log.text();
    EXPECT_NE(text.find("Solving LP: " + folder.file("ascent.slp")), std::string::npos) << text;
    EXPECT_EQ(folder.programs.record(), "");
    EXPECT_EQ(text.find("Warning:"), std::string::npos) << text;
    EXPECT_EQ(text.find("Error:"), std::string::npos) << text;
    if (c.logged)
      EXPECT_NE(text.find(c.logged), std::string::npos) << text;
    else
      EXPECT_EQ(text.find("LP program"), std::string::npos) << text;
  }
}

// A folder that cannot be written to costs the files, not the run.
TEST(AscentLpFiles, UnwritableFolderIsReportedAndTheRunGoesOn) {
  LogCapture log{3};
  applySettings({{"lpFolder", "/nonexistent-tesmo-folder"}, {"cutLP", "2"}, {"cutLPProgram", "false"}});
  ReduceGraph R = oneEdge();
  ascent(R);
  EXPECT_EQ(R.lowerValue, 7);
  const std::string text = log.text();
  EXPECT_NE(text.find("LP file /nonexistent-tesmo-folder/cutAscent.slp cannot be written; no cut LP\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("LP program"), std::string::npos) << text;
}

// The LP files go next to the log when no folder is configured.
TEST(AscentLpFiles, DefaultFolderIsTheLogs) {
  LpFolder folder;
  LogCapture log{3};
  applySettings({{"cutLP", "2"}});
  shell.Sset("output", folder.file("run.log").c_str());
  ReduceGraph R = oneEdge();
  ascent(R);
  EXPECT_TRUE(std::filesystem::exists(folder.file("cutAscent.slp")));
}

// The objective of an ascent LP: per arc slot its coefficient (0 where the slot is not written).
std::vector<long long> objectiveOf(const std::string& lp, int slots) {
  std::vector<long long> coefficient(static_cast<std::size_t>(slots) + 1, 0);
  const std::string line = lp.substr(0, lp.find("\nSubject To"));
  std::istringstream in(line.substr(line.find('\n') + 1));
  std::string word;
  while (in >> word) {
    if (word == "+" || word == "contr") continue;
    const std::size_t x = word.find('x');
    coefficient.at(std::stoul(word.substr(x + 1))) = std::stoll(word.substr(0, x));
  }
  return coefficient;
}

// On one edge the ascent from terminal 1 raises 7 into terminal 2; taking that share back gives
// the edge its cost again and the bound 0; the LP written then says so, and the next root reads
// no more input and ends. The instance stays as it was.
TEST(AscentLpExperiment, TakesATerminalsShareBack) {
  LpFolder folder;
  ConsoleInput input("2 2 1 9 0");
  LogCapture log{3};
  applySettings({{"lpFolder", folder.path().c_str()}});
  ReduceGraph R = oneEdge();
  ascentLpExperiment(R);
  const std::string lp = folder.read("ascent.slp");
  EXPECT_EQ(lp.rfind("Minimize\n  contr + 7x1 + 7x2\nSubject To\n dummy: contr=0\n", 0), 0u) << lp;
  EXPECT_NE(lp.find(" ba1: "), std::string::npos) << lp;
  const std::string text = log.text();
  for (const char* line : {"\n1. root: 1 \n", "Lower: 7\n", "Gewaehlte Knoten:  2\nAkt lower: 0\n",
                           "Eingabe der Basisknoten: z.B. 1 2 3 0,  -1 fuer naechster Root\n", "\n2. root: 2 \n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  // After the LP the picking starts again from the ascent's own reduced costs.
  EXPECT_NE(text.find("Gewaehlte Knoten: \nAkt lower: 7\n", text.find("Akt lower: 0")), std::string::npos) << text;
  EXPECT_EQ(R.lowerValue, 0);
  EXPECT_EQ(R.upperValue, maxint);
  EXPECT_EQ(R.Eanz, 1);
}

// Every share taken back, from every root: the bound falls to the contracted cost and the
// reduced costs are the arc costs again, on every generated instance.
TEST(AscentLpExperiment, AllSharesBackRestoreTheCosts) {
  for (const steinertest::GeneratedInstance& instance : steinertest::instanceMix(40, 5)) {
    SCOPED_TRACE(instance.description);
    ReduceGraph R(instance.graph);
    std::string picks;
    for (int q = 1; q <= R.R; ++q) {
      for (int k = 1; k <= R.R; ++k) picks += std::to_string(k) + " ";
      picks += "0 -1 ";
    }
    LpFolder folder;
    ConsoleInput input(picks);
    LogCapture log{3};
    applySettings({{"lpFolder", folder.path().c_str()}, {"berlin", "0"}});
    ascentLpExperiment(R);
    // The last root's LP is the one left in the file.
    const std::string lp = folder.read("ascent.slp");
    const std::vector<long long> objective = objectiveOf(lp, 2 * R.E);
    for (int s = 1; s <= 2 * R.E; ++s)
      if (!R.delE[s]) {
        EXPECT_EQ(objective[s], R.arcs[s].cost) << "slot " << s;
      }
    EXPECT_NE(lp.find("\nSubject To\n dummy: contr=" + std::to_string(R.contractCost) + "\n"), std::string::npos);
    EXPECT_EQ(input.rest(), "");
  }
}

// The deletions (vertices and edges made required) on the generated mix; the removal test, which
// adds terminals beyond the reach of the mix's oracle, is judged below.
TEST(AscentDeletion, KeepsTheOptimum) {
  const std::vector<SafetyCase> cases{
      {{{"ascentDel", "0"}}, 300},
      {{{"ascentDel", "0"}, {"root", "0"}, {"ascentDelMax", "40"}}, 100},
  };
  expectSafe("i", cases);
}

// The removal test makes vertices required: the enumeration oracle of the small families judges
// those instances whatever their terminal count, alone and with every test on.
TEST(AscentDeletion, RequiredVerticesKeepTheOptimum) {
  for (const Settings& settings : std::vector<Settings>{{{"ascentEdges", "0"}, {"ascentReq", "0"}, {"root", "0"}}, {}}) {
    SCOPED_TRACE(describe(settings));
    LogCapture log{0};
    applySettings(settings);
    safetytest::checkSafety(ascentDel, 40, 7);
  }
}

//   1 --2-- 2 --2-- 3      terminals 1, 3, 5 on the path 1-2-3-5 (cost 5, stored).
//   |               |      vertex 4 off the tree: made required, every tree costs at least 7,
//   4 ------6------ 5      so it is deleted; vertex 2 on the tree: a tree without it costs 9,
//   3 from 1 to 4, 1 from 3 to 5; vertex 2 becomes required.
TEST(AscentDeletion, DeletesOffTreeVerticesAndRequiresTreeVertices) {
  LogCapture log{3};
  applySettings({});
  ReduceGraph R(makeGraph(5, {{1, 2, 2}, {2, 3, 2}, {3, 5, 1}, {1, 4, 3}, {4, 5, 6}}, {1, 3, 5}));
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, "test", 0);
  ASSERT_EQ(R.upperValue, 5);
  ascentDel(R);
  EXPECT_EQ(R.degree[4], 0);
  EXPECT_NE(R.isReq[2], 0);
  EXPECT_EQ(R.R, 4);
  EXPECT_TRUE(R.upperOk);
  const std::string text = log.text();
  EXPECT_NE(text.find("Success! DEL-V!4\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Success! REQ++2\n"), std::string::npos) << text;
  EXPECT_INSTANCE_VALID(R);
}

TEST(AscentDeletion, LimitsAndStatisticsLeaveTheInstanceAlone) {
  struct Case {
    Settings settings;
    const char* logged;  // expected in the log, or null
  };
  for (const Case& c : std::vector<Case>{{{{"ascentDelLimit", "4"}}, nullptr},
                                         {{{"ascentDelOld", "0"}}, "possibly_rep:"},
                                         {{{"ascentDelMax", "0"}}, "Lower: "}}) {
    SCOPED_TRACE(describe(c.settings));
    LogCapture log{3};
    applySettings(c.settings);
    ReduceGraph R(makeGraph(5, {{1, 2, 2}, {2, 3, 2}, {3, 5, 1}, {1, 4, 3}, {4, 5, 6}}, {1, 3, 5}));
    IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
    R.setUpper(tree, "test", 0);
    ascentDel(R);
    EXPECT_EQ(R.Eanz, 5);
    EXPECT_EQ(R.R, 3);
    const std::string text = log.text();
    if (c.logged)
      EXPECT_NE(text.find(c.logged), std::string::npos) << text;
    else
      EXPECT_EQ(text.find("Upper: "), std::string::npos) << text;
  }
}

TEST(CutBound, RowGenerationEndsTheRunWithItsWarning) {
  applySettings({});
  shell.Sset("exitWarning", "1");
  shell.Sset("exitSaveGraph", "/dev/null");
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3}));
  EXPECT_EXIT(reduceByString("c", R, 0), ::testing::ExitedWithCode(1), "");
}

TEST(CutBound, WithExitWarningOffTheScriptGoesOn) {
  LogCapture log{3};
  applySettings({});
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3}));
  reduceByString("c", R, 0);
  const std::string text = log.text();
  EXPECT_NE(text.find("Warning: (No LP library available, row-generation not possible!) in file 'cuts' line 27"),
            std::string::npos)
      << text;
  EXPECT_EQ(R.Eanz, 2);
}

TEST(CutBound, InteractiveAscentWithoutDisplayChangesNothing) {
  LogCapture log{3};
  applySettings({});
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 4, 5}, {4, 3, 5}}, {1, 3}));
  ascent2(R);
  EXPECT_NE(log.text().find("enter terminals\n"), std::string::npos);
  EXPECT_EQ(R.Eanz, 4);
  EXPECT_EQ(R.lowerValue, 0);
  EXPECT_EQ(R.upperValue, maxint);
}

// Without an LP backend and a display both letters leave every instance as it was.
TEST(CutBound, LettersWithoutBackendKeepTheOptimum) {
  expectSafe("+", {{{}, 60}});
  expectSafe("c", {{{}, 60}});
}

// Every variant of d, with both tree builders: the bound stays at or below the optimum and the
// tree offered is a tree of the instance (d deletes nothing).
TEST(DualBounds, StayBelowTheOptimumWithValidTrees) {
  const std::vector<SafetyCase> cases{
      {{{"simple", "-1"}}, 150},
      {{{"simple", "-1"}, {"mstPrune", "1"}, {"upperBi", "1"}}, 100},
      {{{"simple", "0"}}, 150},
      {{{"simple", "0"}, {"stopOnlyWithRoot", "1"}, {"upperBi", "1"}, {"root", "-1"}}, 100},
      {{{"simple", "1"}}, 100},
      {{{"simple", "1"}, {"directed", "1"}, {"upperBi", "1"}}, 100},
      {{{"simple", "2"}}, 150},
      {{{"simple", "2"}, {"directed", "1"}}, 100},
      {{{"simple", "2"}, {"directed", "1"}, {"upperBi", "1"}, {"root", "-2"}}, 100},
  };
  expectSafe("d", cases);
}

// Two terminals joined by one edge of cost c: the Voronoi bound is (2c + 1) / 2 = c, and every
// variant finds the edge as its tree.
TEST(DualBounds, OneEdgeBetweenTwoTerminals) {
  for (const char* simple : {"-1", "0", "1", "2"}) {
    SCOPED_TRACE(simple);
    LogCapture log{3};
    applySettings({{"simple", simple}});
    ReduceGraph R(makeGraph(2, {{1, 2, 7}}, {1, 2}));
    dual(R);
    EXPECT_EQ(R.upperValue, 7);
    // The growth from all terminals offers no bound.
    if (std::string(simple) != "1") {
      EXPECT_EQ(R.lowerValue, 7);
    }
    if (std::string(simple) == "2") {
      EXPECT_NE(log.text().find("Weight of the G-MST: 7\n"), std::string::npos);
    }
  }
}

// The directed Voronoi bound stamps no links: with the reverse deletion it skips the tree.
TEST(DualBounds, DirectedVoronoiWithoutLinksBuildsNoTree) {
  LogCapture log{3};
  applySettings({{"simple", "2"}, {"directed", "1"}, {"exitWarning", "1"}});
  ReduceGraph R(makeGraph(4, {{1, 2, 2}, {2, 3, 2}, {3, 4, 2}}, {1, 4}));
  dual(R);
  EXPECT_EQ(R.upperValue, maxint);
  EXPECT_EQ(R.lowerValue, 0);
  EXPECT_NE(log.text().find("mayBeRoot: "), std::string::npos);
}

// The ball ascents delete and replace from their reduced costs: the safety test under the
// options that change the balls and the roots.
TEST(BallAscents, KeepTheOptimum) {
  expectSafe("o", {{{{"skipAscent", "0"}}, 300},
                   {{{"skipAscent", "0"}, {"allRootsLimit", "3"}, {"root", "0"}, {"construct", "1"}}, 100},
                   {{{"skipAscent", "0"}, {"factor", "1"}, {"renewUpper", "-1"}}, 100},
                   {{{"skipAscent", "0"}, {"wcMode", "0"}, {"ascentMaxDegree", "30"}}, 100}});
  expectSafe("O", {{{{"skipAscent", "0"}}, 300}, {{{"skipAscent", "0"}, {"allRootsLimit", "4"}, {"replace", "0"}}, 100}});
}

TEST(BallAscents, SkipSmallGraphsWithManyTerminals) {
  for (auto method : {ascentVR, ascentVROLD}) {
    LogCapture log{3};
    applySettings({});
    ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 2, 4}));
    method(R);
    EXPECT_NE(log.text().find("Skipping ascent R^2>V \n"), std::string::npos);
    EXPECT_EQ(R.lowerValue, 0);
  }
}

// On a path of terminals every ball meets the tree of the previous one: the bound is the path.
TEST(BallAscents, PathOfTerminalsGivesItsLength) {
  for (auto method : {ascentVR, ascentVROLD}) {
    LogCapture log{3};
    applySettings({{"skipAscent", "0"}});
    ReduceGraph R(makeGraph(5, {{1, 2, 2}, {2, 3, 3}, {3, 4, 4}, {4, 5, 5}, {1, 5, 20}}, {1, 2, 3, 4, 5}));
    method(R);
    EXPECT_EQ(R.lowerValue, 14);
    EXPECT_INSTANCE_VALID(R);
  }
}

}  // namespace
