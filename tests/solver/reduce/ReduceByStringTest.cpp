// The reduction-script interpreter: loops, '!', phases, stop conditions and the letter registry.
// Test letters stand in for methods: each records its call (and the phase it saw) in a trace and
// changes the instance's counts as the case says, which is all the interpreter looks at.

#include "ReduceByString.h"

#include "ReduceGraph.h"
#include "ScriptLetters.h"
#include "Shell.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace {

using tesmo::ReduceGraph;

std::string trace;
std::map<char, int> edgesPerCall;  // edges a letter removes on each call
std::map<char, int> callsLeft;     // calls that still remove edges (absent: every call)

// Deletes up to k live edges, never the edge 1-2 between the two terminals, so that the instance
// stays consistent for the self checks after each step.
void removeEdges(ReduceGraph& R, int k) {
  auto keep = [&R](int s) { return std::min(R.arcs[s].tail, R.arcs[s].head) == 1 && std::max(R.arcs[s].tail, R.arcs[s].head) == 2; };
  for (int v = R.V; v >= 1 && k > 0; --v) {
    while (k > 0) {
      int s = R.nextLiveSlot(v, 0);
      while (s != 0 && keep(s)) s = R.nextLiveSlot(v, s);
      if (s == 0) break;
      const int u = R.arcs[s].head;
      R.deleteEdge(s);
      if (!R.hasLiveSlot(v)) --R.Vanz;
      if (!R.hasLiveSlot(u)) --R.Vanz;
      --k;
    }
  }
}

void step(char letter, ReduceGraph& R) {
  trace += letter;
  if (tesmo::shell.phase) trace += std::string("[") + tesmo::shell.phase + "]";
  auto left = callsLeft.find(letter);
  if (left != callsLeft.end() && left->second-- <= 0) return;
  removeEdges(R, edgesPerCall[letter]);
}

template <char L>
void fake(ReduceGraph& R) {
  step(L, R);
}

// The first `edges` vertex pairs (i < j) of as few vertices as needed, unit costs, terminals 1
// and 2; the pair 1-2 comes first.
tesmo::Graph denseGraph(int edges) {
  int n = 2;
  while (n * (n - 1) / 2 < edges) ++n;
  std::vector<tesmotest::Edge> list;
  for (int i = 1; i <= n && static_cast<int>(list.size()) < edges; ++i)
    for (int j = i + 1; j <= n && static_cast<int>(list.size()) < edges; ++j) list.push_back({i, j, 1});
  return tesmotest::makeGraph(n, list, {1, 2});
}

// Triangle 1-2-3 with terminals 1 and 3, plus a pendant vertex 4; the counts are overwritten
// by the cases.
tesmo::Graph smallGraph() { return tesmotest::makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 3, 3}, {3, 4, 1}}, {1, 3}); }

class ReduceByStringTest : public testing::Test {
protected:
  void SetUp() override {
    trace.clear();
    edgesPerCall.clear();
    callsLeft.clear();
    for (char c : std::string("mvsnrx")) tesmo::ScriptLetters::unregisterLetter(c);
    tesmo::ScriptLetters::registerLetter('m', "ptm3(&R)", fake<'m'>);
    tesmo::ScriptLetters::registerLetter('v', "R.removeVertices()", fake<'v'>);
    tesmo::ScriptLetters::registerLetter('s', "steinerDegree(&R)", fake<'s'>);
    tesmo::ScriptLetters::registerLetter('n', "nv(&R)", fake<'n'>);
    tesmo::ScriptLetters::registerLetter('r', "reduce(&R)", fake<'r'>);
    tesmo::ScriptLetters::registerLetter('x', "gridder_brasil2(&R)", fake<'x'>);
  }
  void TearDown() override {
    for (char c : std::string("mvsnrx")) tesmo::ScriptLetters::unregisterLetter(c);
    tesmo::registerReduceLetters();
  }

  tesmo::Graph g_ = smallGraph();
  tesmotest::LogCapture capture_{3};
};

struct LoopCase {
  const char* name;
  const char* script;
  int edges;                           // Eanz at the start
  std::map<char, int> perCall;
  std::map<char, int> calls;
  std::string expectedTrace;
};

class ScriptLoops : public ReduceByStringTest, public testing::WithParamInterface<LoopCase> {};

TEST_P(ScriptLoops, RunTheLettersInTheExpectedOrder) {
  const LoopCase& c = GetParam();
  const tesmo::Graph g = denseGraph(c.edges);
  ReduceGraph R(g);
  ASSERT_EQ(R.Eanz, c.edges);
  edgesPerCall = c.perCall;
  callsLeft = c.calls;
  tesmo::reduceByString(c.script, R, 0);
  EXPECT_EQ(trace, c.expectedTrace);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptLoops,
    testing::Values(
        // Nothing changes: one round, ended at the second arrival at m.
        LoopCase{"QuietLoop", "(mvsn)", 100, {}, {}, "mvsn"},
        // The inner loop ends at m, r runs; the outer round then finds both unchanged.
        LoopCase{"NestedQuiet", "((mvsn)r)", 100, {}, {}, "mvsnr"},
        // m removes edges on its first two calls: it runs until a round changed nothing.
        LoopCase{"RepeatUntilQuiet", "(m)", 100, {{'m', 1}}, {{'m', 2}}, "mmm"},
        // r changes the instance once: the outer loop runs the inner loop and r once more;
        // then both find the signature of their previous arrival.
        LoopCase{"NestedOuterRepeats", "((mv)r)", 100, {{'r', 5}}, {{'r', 1}}, "mvrmvr"},
        // 0.5 per cent a round is below R-alpha (1): '!' leaves after one round.
        LoopCase{"BangLeavesSlowLoop", "(!m)", 1000, {{'m', 5}}, {}, "m"},
        // 2 per cent a round passes every '!' until only the edge between the terminals is left.
        LoopCase{"BangKeepsFastLoop", "(!m)", 100, {{'m', 2}}, {}, std::string(50, 'm')},
        // Letters after a finished loop still run; a letter outside loops runs once per position.
        LoopCase{"AfterTheLoop", "(m)vv", 100, {}, {}, "mvv"},
        // An unmatched '(' opens a loop that never repeats.
        LoopCase{"UnclosedLoop", "(mv", 100, {}, {}, "mv"},
        // An unmatched ')' ends the run instead of reading before the script.
        LoopCase{"UnmatchedClose", "m)v", 100, {{'m', 1}}, {}, "m"},
        // Phase switches: the letter sees the last phase set before it.
        LoopCase{"PhaseBeforeLetter", ";2x", 100, {}, {}, "x[2]"},
        LoopCase{"TwoPhasesInARow", ";1;2x", 100, {}, {}, "x[2]"},
        LoopCase{"PhaseAtTheEnd", "x;", 100, {}, {}, "x"},
        LoopCase{"EmptyScript", "", 100, {}, {}, ""}),
    [](const testing::TestParamInfo<LoopCase>& info) { return std::string(info.param.name); });

TEST_F(ReduceByStringTest, BangThresholdUsesTheSignatureAsItStands) {
  // Three times the upper bound's last digits (9999) lift the signature divided by 10000 to
  // Eanz + 3, so 1 per cent a round (1000 -> 990) stays below the threshold (1003 * 99 / 100 =
  // 992) and the loop goes on; without them it would end after one round.
  const tesmo::Graph g = denseGraph(1000);
  for (const char* weight : {"3", "0"}) {
    SCOPED_TRACE(weight);
    trace.clear();
    tesmo::shell.Sset("upperValueForBreak", weight);
    ReduceGraph R(g);
    R.upperValue = 19999;
    edgesPerCall = {{'m', 10}};
    callsLeft = {{'m', 2}};
    tesmo::reduceByString("(!m)", R, 0);
    EXPECT_EQ(trace, weight[0] == '3' ? "mmm" : "m");
  }
}

TEST_F(ReduceByStringTest, StopConditionsAtEntry) {
  struct Case {
    const char* name;
    int edges, terminals, finished, breakOpt, minFree;
    bool runs;
    const char* logged;
  };
  const Case cases[] = {
      {"no edges", 0, 2, 0, 1, 0, false, ""},
      {"one terminal", 10, 1, 0, 1, 0, false, ""},
      {"bounds met", 10, 2, 1, 1, 0, false, ""},
      {"bounds met, breakOpt 0", 10, 2, 1, 0, 0, true, ""},
      {"bounds crossed", 10, 2, -1, 1, 0, false, ""},
      {"too few free vertices", 10, 2, 0, 1, 3, false, "%%%%%%%%%%%%%% break: V-R < 3\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    trace.clear();
    tesmo::shell.Sset("breakOpt", std::to_string(c.breakOpt));
    ReduceGraph R(g_);
    if (c.edges == 0) R.Eanz = 0;  // no letter runs on these counts
    if (c.terminals == 1) R.R = 1;
    R.upperOpt = c.finished;
    const std::string before = capture_.text();
    tesmo::reduceByString("m", R, c.minFree);
    EXPECT_EQ(trace, c.runs ? "m" : "");
    if (!c.runs) EXPECT_EQ(capture_.text().substr(before.size()), c.logged);
  }
}

TEST_F(ReduceByStringTest, NullScriptDoesNothing) {
  ReduceGraph R(g_);
  tesmo::reduceByString(nullptr, R, 0);
  EXPECT_EQ(capture_.text(), "");
}

TEST_F(ReduceByStringTest, LogsEachStepWithItsCallTextTimeAndSize) {
  ReduceGraph R(g_);
  tesmo::reduceByString("(m)", R, 0);
  const std::string log = capture_.text();
  EXPECT_NE(log.find("\n----'m'----ptm3(&R)----\n"), std::string::npos) << log;
  EXPECT_NE(log.find("elapsed time: "), std::string::npos) << log;
  EXPECT_EQ(log.find("process time:"), std::string::npos) << log;  // that line means "finished" to the watcher
  EXPECT_NE(log.find("size: |V|=4, |E|=4, |R|=2   (original: |V|=4, |E|=4); contracted: 0\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("\n%%%%%%%%%%%%%%%%%%%%%%%%%\nterminating the reduction loop! (no further reduction possible "
                     "in this loop).\n"),
            std::string::npos)
      << log;
}

TEST_F(ReduceByStringTest, BangLogsWhyItLeaves) {
  const tesmo::Graph g = denseGraph(1000);
  ReduceGraph R(g);
  edgesPerCall = {{'m', 5}};
  tesmo::reduceByString("(!m)", R, 0);
  const std::string log = capture_.text();
  const auto leaving = log.find("leaving the reduction loop! (less than 1% reduced).\n");
  ASSERT_NE(leaving, std::string::npos) << log;
  EXPECT_NE(log.find("terminating the reduction loop!", leaving), std::string::npos) << log;
}

TEST_F(ReduceByStringTest, LettersWithoutAMethodAreSkippedWithTheirMessage) {
  ReduceGraph R(g_);
  tesmo::ScriptLetters::unregisterLetter('m');
  tesmo::reduceByString("_m", R, 0);
  const std::string log = capture_.text();
  const std::string skipped = "%%%%%%%%%% The reduction method '_' is not availabe! Skipped.\n";
  const auto first = log.find(skipped);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find("%%%%%%%%%% The reduction method 'm' is not availabe! Skipped.\n"), std::string::npos);
  // Each skipped character is still followed by the time and size lines.
  EXPECT_NE(log.find("size: |V|=", first), std::string::npos);
  EXPECT_EQ(trace, "");
}

TEST_F(ReduceByStringTest, PhaseSwitchIsLogged) {
  ReduceGraph R(g_);
  tesmo::reduceByString(";2x", R, 0);
  EXPECT_NE(capture_.text().find("---- shell-phase: 2 ----\n"), std::string::npos);
  EXPECT_EQ(tesmo::shell.phase, '2');  // left for the caller to restore
}

TEST_F(ReduceByStringTest, TimeOutWithAnUpperBoundOnlyStops) {
  tesmo::shell.Sset("R-maxSec", "-1");
  ReduceGraph R(g_);
  R.upperValue = 5;
  tesmo::reduceByString("m", R, 0);
  EXPECT_EQ(trace, "");
  EXPECT_NE(capture_.text().find("%%%%%%%%%%%%%% time out!\n"), std::string::npos);
  EXPECT_EQ(capture_.text().find("just calculating"), std::string::npos);
}

TEST_F(ReduceByStringTest, TimeOutWithoutAnUpperBoundFindsATree) {
  tesmo::shell.Sset("R-maxSec", "-1");
  ReduceGraph R(g_);
  tesmo::reduceByString("m", R, 0);
  EXPECT_EQ(trace, "");
  EXPECT_NE(capture_.text().find("%%%%%%%%%%%%%% just calculating an upper bound...\n"), std::string::npos);
  EXPECT_EQ(R.upperValue, 2);  // 1-2-3
  EXPECT_EQ(R.upperOk, 1);
}

TEST_F(ReduceByStringTest, InfoLineShowsPhaseSizeAndBounds) {
  tesmo::shell.Sset("infoVerbose", "2");
  ReduceGraph R(g_);
  tesmo::reduceByString(";3I", R, 0);
  const std::string log = capture_.text();
  EXPECT_NE(log.find("\n----'I'----info(&R)----\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Info: shell-phase: '3';  size (actual): |V|=4, |E|=4, |R|=2, contracted cost=0; "
                     "upper=1600000000, lower=0;  "),
            std::string::npos)
      << log;
}

TEST(ScriptSignature, WrapsInsteadOfOverflowing) {
  tesmo::Graph g = smallGraph();
  ReduceGraph R(g);
  R.Eanz = 300000;  // 3e9 does not fit a signed 32-bit value
  R.Vanz = 4;
  R.upperValue = tesmo::maxint;
  const std::uint32_t expected = 300000u * 10000u + 4u + 2u;
  EXPECT_EQ(tesmo::scriptSignature(R, 1), static_cast<std::int32_t>(expected));
  R.upperValue = 12345;
  EXPECT_EQ(tesmo::scriptSignature(R, 0), static_cast<std::int32_t>(expected));
  EXPECT_EQ(tesmo::scriptSignature(R, 1), static_cast<std::int32_t>(expected + 2345u));
}

}  // namespace
