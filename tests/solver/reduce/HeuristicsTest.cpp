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
