// The upper-bound heuristics and the exact MST: valid trees of at least the optimum on every
// generated instance, the exact MST equal to the oracle where it runs, and their options.

#include "Dnh.h"
#include "ExactMst.h"
#include "Prune1.h"
#include "ReduceGraph.h"
#include "ScriptLetters.h"
#include "Shell.h"
#include "Tm.h"
#include "Tm3.h"
#include "Tm3Brasil.h"
#include "TreeCompletion.h"
#include "Upper.h"
#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "ProgramRunner.h"
#include "SafetyTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tesmo::ReduceGraph;

struct HeuristicCase {
  const char* name;
  std::vector<std::string> settings;
  std::function<void(ReduceGraph&)> method;
};

class Heuristics : public testing::TestWithParam<HeuristicCase> {
protected:
  void SetUp() override {
    tesmo::shell.clearVariables();
    tesmo::registerReduceLetters();
  }
  void TearDown() override { tesmo::shell.clearVariables(); }
};

TEST_P(Heuristics, GiveValidTreesOfAtLeastTheOptimum) {
  const HeuristicCase& c = GetParam();
  tesmo::shell.setAssignments(c.settings);
  steinertest::SafetyOptions options;
  options.requireTree = true;
  const auto failures = steinertest::checkSafety(c.method, options);
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Heuristics,
    testing::Values(
        HeuristicCase{"tm", {}, [](ReduceGraph& R) { tesmo::tm(R); }},
        HeuristicCase{"tmWeakOneTree", {"tmStrong=0", "tmIterations=1", "tmPrefereKmb=0"},
                      [](ReduceGraph& R) { tesmo::tm(R); }},
        HeuristicCase{"tmTinyBudget", {"tmFactor=0"}, [](ReduceGraph& R) { tesmo::tm(R); }},
        HeuristicCase{"tmCombine", {"tmCombine=1"}, [](ReduceGraph& R) { tesmo::tm(R); }},
        HeuristicCase{"upperTm3", {}, [](ReduceGraph& R) { tesmo::upper(R); }},
        HeuristicCase{"tm3Quick", {"tmQuick=1", "iterations=5"}, [](ReduceGraph& R) { tesmo::upper(R); }},
        HeuristicCase{"tm3NoRadius", {"tmRadius=0", "iterations=3"}, [](ReduceGraph& R) { tesmo::upper(R); }},
        HeuristicCase{"tm3Slow", {"tmSlow=1"}, [](ReduceGraph& R) { tesmo::upper(R); }},
        HeuristicCase{"tm3Rush", {"rush=1", "iterations=40"}, [](ReduceGraph& R) { tesmo::upper(R); }},
        HeuristicCase{"tm3Brasil", {"tm_brasil=1"}, [](ReduceGraph& R) { tesmo::upper(R); }},
        HeuristicCase{"dnhSimple", {"upperWC=1", "upperDNH=1"}, [](ReduceGraph& R) { tesmo::upper(R); }},
        HeuristicCase{"dnhFull", {"upperWC=1", "upperDNH=1", "dnhSimple=0"}, [](ReduceGraph& R) { tesmo::upper(R); }},
        HeuristicCase{"upperTm", {"upperWC=1"}, [](ReduceGraph& R) { tesmo::upper(R); }}),
    [](const testing::TestParamInfo<HeuristicCase>& info) { return std::string(info.param.name); });

// Where the exact MST runs, its value is the optimum; the tree it leaves has that cost.
TEST(ExactMst, EqualsTheOracleWhereItRuns) {
  tesmo::shell.clearVariables();
  int ran = 0;
  for (const auto& instance : steinertest::instanceMix(300, 3)) {
    ReduceGraph R(instance.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    const std::int64_t value = tesmo::exactMst(R);
    if (R.Vanz - R.R > 8) {
      EXPECT_EQ(value, tesmo::maxint) << instance.description;
      EXPECT_EQ(tesmo::solutionList[0], 0) << "a refusal offers nothing";
      continue;
    }
    ++ran;
    ASSERT_EQ(value, optimum) << instance.description;
    std::int64_t sum = 0;
    for (int i = 1; i <= tesmo::solutionList[0]; ++i) sum += R.arcs[tesmo::solutionList[i]].cost;
    EXPECT_EQ(sum, optimum) << instance.description;
    EXPECT_EQ(tesmo::solutionList[tesmo::solutionList[0] + 1], optimum) << "the value follows the tree";
    tesmo::IntArray tree(tesmo::solutionList.begin(), tesmo::solutionList.begin() + tesmo::solutionList[0] + 1);
    R.setUpper(tree, "exactMst", 0);
    EXPECT_EQ(R.upperValue, optimum) << instance.description;
  }
  EXPECT_GT(ran, 20);
}

// Vertex numbers without edges are no Steiner vertices: they do not count against the limit.
TEST(ExactMst, CountsLiveNonTerminalsOnly) {
  tesmo::shell.clearVariables();
  tesmo::shell.Sset("exactMstMax", "1");
  // 1-2-3 with terminals 1 and 3; vertices 4..6 have no edges.
  tesmo::Graph g = tesmotest::makeGraph(6, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}}, {1, 3});
  ReduceGraph R(g);
  EXPECT_EQ(tesmo::exactMst(R), 2);
  tesmo::shell.Sset("exactMstMax", "0");
  EXPECT_EQ(tesmo::exactMst(R), tesmo::maxint);
  EXPECT_EQ(tesmo::solutionList[0], 0);
  tesmo::shell.clearVariables();
}

TEST(ExactMst, OnlyTerminalsGiveTheirSpanningTree) {
  tesmo::shell.clearVariables();
  tesmo::Graph g = tesmotest::makeGraph(3, {{1, 2, 4}, {2, 3, 1}, {1, 3, 2}}, {1, 2, 3});
  ReduceGraph R(g);
  EXPECT_EQ(tesmo::exactMst(R), 3);
  EXPECT_EQ(tesmo::solutionList[0], 2);
}

// A completion over vertices that do not join the terminals fails; the failures are counted and
// reported in one line, not one line each.
TEST(TreeCompletion, FailedCompletionsAreReportedOnceWithTheirCount) {
  // 1-2-3-4, terminals 1 and 4; vertex 3 not flagged.
  tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 4});
  const std::vector<unsigned char> flagged = {0, 1, 1, 0, 1};
  const std::vector<int> required = {0, 1, 0, 0, 1};
  tesmo::TreeCompletion completion(g.V);
  std::ostringstream earlier;
  tesmo::TreeCompletion::reportEmptyHeaps(earlier);  // what earlier tests left
  ::testing::internal::CaptureStderr();
  for (int run = 0; run < 3; ++run)
    EXPECT_FALSE(completion.run(tesmo::SlotView(g), flagged.data(), required.data(), 2));
  const std::vector<unsigned char> all(5, 1);
  ASSERT_TRUE(completion.run(tesmo::SlotView(g), all.data(), required.data(), 2));
  EXPECT_EQ(completion.weight(), 3);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(tesmo::TreeCompletion::emptyHeapCount(), 3);
  std::ostringstream report;
  tesmo::TreeCompletion::reportEmptyHeaps(report);
  tesmo::TreeCompletion::reportEmptyHeaps(report);
  EXPECT_EQ(report.str(), "empty PQ (3 times)\n");
  EXPECT_EQ(tesmo::TreeCompletion::emptyHeapCount(), 0);
}

TEST(Tm3, IterationsAboveTheVertexCountAreLowered) {
  tesmotest::LogCapture capture(3);
  tesmo::shell.Sset("iterations", "50");
  tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 4});
  EXPECT_EQ(tesmo::tm3(g), 3);
  EXPECT_NE(capture.text().find("iterations: 4\n"), std::string::npos);
}

TEST(Tm3, UpperOffersItsTreeAsTm3) {
  tesmotest::LogCapture capture(3);
  tesmo::shell.Sset("upperDNH", "1");  // without upperWC it is not looked at
  tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {1, 4, 7}}, {1, 4});
  ReduceGraph R(g);
  tesmo::upper(R);
  EXPECT_EQ(R.upperValue, 3);
  EXPECT_NE(capture.text().find("(tm3)"), std::string::npos);
}

TEST(Tm, WithoutIterationsOffersNothing) {
  tesmotest::LogCapture capture(3);
  tesmo::shell.Sset("tmIterations", "0");
  tesmo::Graph g = tesmotest::makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3});
  ReduceGraph R(g);
  tesmo::solutionList.assign(4, 0);
  tesmo::solutionList[0] = 1;
  tesmo::solutionList[1] = 1;  // a list left by someone else is not this call's tree
  tesmo::tm(R);
  EXPECT_NE(capture.text().find("Best: 1600000000\n"), std::string::npos) << capture.text();
  EXPECT_EQ(R.upperValue, tesmo::maxint);
}

// The markers of tm's steps in the order logged: " T:v->k" a path step that joins terminal
// index k from vertex v, " K:A-->r" a region step that joins region r through a link from A.
std::vector<std::string> stepMarkers(const std::string& text) {
  static const std::regex marker(" [TK]:[0-9]+-{1,2}>[0-9]+");
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), marker); it != std::sregex_iterator(); ++it)
    found.push_back(it->str());
  return found;
}

struct TmRun {
  std::string log;
  int upperValue;
  bool upperOk;
};

// tm on a fresh instance of g with the settings, its log at the given level.
TmRun runTm(const tesmo::Graph& g, const std::vector<std::string>& settings, int verbosity) {
  tesmotest::LogCapture capture(verbosity);
  tesmo::shell.setAssignments(settings);
  ReduceGraph R(g);
  tesmo::tm(R);
  return {capture.text(), R.upperValue, R.upperOk != 0};
}

// The path 1 -1- 2 -2- 3 -2- 4 -3- 5 with terminals 1, 3, 5 (indices 1, 2, 3); regions {1, 2},
// {3, 4}, {5}; region links 2-3 (length 3) and 4-5 (length 5). One tree from terminal 1.
// Path steps alone: 1 joins index 2 (its list's first pair, at 3), the walks and the cursors of
// 2, 1 and 3 pass connected terminals, then 3 joins index 3 (at 5): five path steps. With region
// steps, each tie between the two heaps goes to the region: region 2 through 2-3, the cursors of
// 2, 1 and 3 move on, region 3 through 4-5. Both trees are the whole path, 8.
TEST(Tm, PathAndRegionStepsOnAPath) {
  struct Case {
    const char* name;
    std::vector<std::string> settings;
    std::vector<std::string> steps;
    const char* counts;
  };
  const Case cases[] = {
      {"path steps", {"tmIterations=1", "tmPrefereKmb=0"}, {" T:1->2", " T:3->3"}, "tmCount:5, kmbCount:0, \n"},
      {"region steps", {"tmIterations=1"}, {" K:1-->2", " K:2-->3"}, "tmCount:3, kmbCount:2, \n"},
  };
  const tesmo::Graph g = tesmotest::makeGraph(5, {{1, 2, 1}, {2, 3, 2}, {3, 4, 2}, {4, 5, 3}}, {1, 3, 5});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TmRun run = runTm(g, c.settings, 5);
    EXPECT_EQ(stepMarkers(run.log), c.steps) << run.log;
    EXPECT_NE(run.log.find(c.counts), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("Success with source: 1 (1) ; weight: 8-0 = 8\n"), std::string::npos) << run.log;
    EXPECT_EQ(run.upperValue, 8);
  }
}

// Terminals 1, 2, 3 on a triangle of edges 5, a centre 4 joined to each by 3, and 5 hanging off 1
// by 1. Trees from the terminals take two triangle edges (10); from the centre, the star (9);
// from 5, again 10 (5 pruned from 11). With tmCombine every tree counts as the new best, even
// the dearer last one; without, only trees cheaper than the best so far. The instance keeps the
// star either way.
TEST(Tm, CombineMakesEveryTreeTheBest) {
  struct Case {
    const char* name;
    const char* combine;
    std::vector<int> successes;  // the tree numbers logged as successes
    const char* best;
  };
  const Case cases[] = {
      {"best only", "tmCombine=0", {1, 4}, "Best: 9\n"},
      {"every tree", "tmCombine=1", {1, 2, 3, 4, 5}, "Best: 10\n"},
  };
  const tesmo::Graph g = tesmotest::makeGraph(
      5, {{1, 2, 5}, {2, 3, 5}, {1, 3, 5}, {1, 4, 3}, {2, 4, 3}, {3, 4, 3}, {1, 5, 1}}, {1, 2, 3});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TmRun run = runTm(g, {c.combine, "tmIterations=5"}, 3);
    const std::string& text = run.log;
    static const std::regex success("Success with source: [0-9]+ \\(([0-9]+)\\) ; weight: [0-9]+-[0-9]+ = ([0-9]+)\n");
    std::vector<int> numbers;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), success); it != std::sregex_iterator(); ++it) {
      numbers.push_back(std::stoi((*it)[1]));
      EXPECT_EQ(std::stoi((*it)[2]), numbers.back() == 4 ? 9 : 10) << it->str();
    }
    EXPECT_EQ(numbers, c.successes) << text;
    EXPECT_NE(text.find(c.best), std::string::npos) << text;
    EXPECT_EQ(run.upperValue, 9);
    EXPECT_TRUE(run.upperOk);
  }
}

TEST(Prune1, IsSafeAsScriptLetter) {
  tesmo::shell.clearVariables();
  tesmo::registerReduceLetters();
  const auto failures = steinertest::checkSafety([](ReduceGraph& R) { tesmo::prune1(R); });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

TEST(Prune1, IsSafeWithTheTreeSpannedAnew) {
  tesmo::shell.clearVariables();
  tesmo::registerReduceLetters();
  tesmo::shell.Sset("pruneMst", "1");
  const auto failures = steinertest::checkSafety([](ReduceGraph& R) { tesmo::prune1(R, "(vL)"); });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  tesmo::shell.clearVariables();
}

TEST(Prune1, PhaseFollowsTheSizeOfTheInstance) {
  tesmotest::LogCapture capture(3);
  tesmo::registerReduceLetters();
  tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {1, 4, 7}}, {1, 4});
  ReduceGraph R(g);
  tesmo::shell.Sset("bigPruneLimit", "4");
  tesmo::prune1(R);
  EXPECT_NE(capture.text().find("starting PRUNE: ((mvsn)r), shell.phase: P\n"), std::string::npos);
  tesmo::shell.Sset("bigPruneLimit", "3");
  tesmo::prune1(R, "(v)");
  EXPECT_NE(capture.text().find("starting PRUNE: (v), shell.phase: B\n"), std::string::npos);
  EXPECT_EQ(R.upperValue, 3);
  EXPECT_EQ(tesmo::shell.phase, 0);
  EXPECT_EQ(tesmo::verbose, 3);
}

// The copy's script contracts everything into one terminal: the tree is the contractions.
TEST(Prune1, ATreeMadeOfContractionsAlone) {
  tesmotest::LogCapture capture(3);
  tesmo::registerReduceLetters();
  tesmo::Graph g = tesmotest::makeGraph(3, {{1, 2, 2}, {2, 3, 3}}, {1, 2, 3});
  ReduceGraph R(g);
  tesmo::shell.Sset("exactMstMax", "0");
  tesmo::shell.Sset("breakPruneForMst", "0");
  EXPECT_EQ(tesmo::prune1(R, "(vL)"), 5);
  EXPECT_EQ(R.upperValue, 5);
  EXPECT_EQ(R.upperOk, 1);
}

}  // namespace
