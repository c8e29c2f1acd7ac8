// The second Lagrangian ascent (letter 2): its bound stays at or below the optimum over its
// option variants and leaves the instance as it was; its root choice, its stop at the upper
// bound and its refusal of the tree fixing without a stored tree; the memory rows (ring, log
// lines, approximation) and the closing ascent with its refusals and unlocks.

#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "Lgr2a.h"
#include "PathRelaxation.h"
#include "ReduceGraph.h"
#include "Shell.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::ReduceGraph;

namespace {

struct Variant {
  const char* name;
  std::vector<const char*> assignments;
};

class Lgr2aBound : public testing::TestWithParam<Variant> {};

TEST_P(Lgr2aBound, StaysAtOrBelowTheOptimumAndChangesNothingElse) {
  LogCapture capture(0);
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  int improved = 0;
  for (auto& generated : steinertest::instanceMix(200, 3)) {
    ReduceGraph R(generated.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    tesmo::IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "seed", 0);
    const int edges = R.Eanz, upper = R.upperValue;
    tesmo::lgr2a(R);
    EXPECT_LE(R.lowerValue, optimum) << generated.description;
    EXPECT_EQ(R.Eanz, edges) << generated.description;
    EXPECT_EQ(R.upperValue, upper) << generated.description;
    EXPECT_TRUE(R.upperOk) << generated.description;
    if (R.lowerValue > 0) ++improved;
  }
  EXPECT_GT(improved, 100);  // the bound is of use, not just safe
}

INSTANTIATE_TEST_SUITE_P(
    Options, Lgr2aBound,
    testing::Values(Variant{"defaults", {}}, Variant{"slackSelection", {"l1Projection=0"}},
                    Variant{"fixedToTheStoredTree", {"l1X=1"}}, Variant{"stopAtUpper", {"l1Break=-1"}},
                    Variant{"lockedRequired", {"l1LockReq=3"}}, Variant{"adjustedSteps", {"l1AdjustGG=1", "l1Half=3"}},
                    Variant{"delayedSmallFactor", {"l1Delay=5", "l1Faktor=3", "l1Iter=40"}},
                    Variant{"recordedRoot", {"root=0"}}, Variant{"rootPastTheEnd", {"root=99"}},
                    Variant{"ascentBoundOnly", {"l1Ascent=1", "l1Iter=5"}},
                    Variant{"startFromTheAscent", {"l1Ascent=1", "l1ASCENT=1"}},
                    Variant{"slackFromTheAscent", {"l1Ascent=1", "l1ASCENT=1", "l1Projection=0", "l1Iter=30"}},
                    Variant{"closingAscent", {"l1PostAscent=1", "l1Iter=20"}},
                    Variant{"closingAscentOnly", {"l1PostAscent=1", "l1Iter=0"}},
                    Variant{"memoryRows", {"l1Memory=6", "l1MaxGG=60", "l1Iter=40"}},
                    Variant{"memoryOverTheStartingAscent", {"l1Ascent=1", "l1Memory=4", "l1Iter=25"}},
                    Variant{"closingAscentWithMemory", {"l1PostAscent=1", "l1Memory=10", "l1MaxGG=80", "l1Iter=30"}},
                    Variant{"closingAscentLockingEarly",
                            {"l1PostAscent=1", "l1Memory=10", "l1MaxGG=80", "l1Iter=30", "l1Remained=1"}},
                    Variant{"closingAscentFromTheAscent",
                            {"l1Ascent=1", "l1ASCENT=1", "l1PostAscent=1", "l1Memory=3", "l1Iter=15"}}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// A path of three terminals: the bound reaches the tree's value.
tesmo::Graph pathOfTerminals() { return makeGraph(4, {{1, 2, 2}, {2, 3, 3}, {3, 4, 1}, {1, 4, 9}}, {1, 3, 4}); }

TEST(Lgr2a, ReachingTheUpperBoundEndsTheRunProven) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Break", "-1");
  ReduceGraph R(pathOfTerminals());
  tesmo::IntArray tree = mstPruneTree(R);
  R.setUpper(tree, "seed", 0);
  ASSERT_EQ(R.upperValue, 6);
  tesmo::lgr2a(R);
  EXPECT_EQ(R.lowerValue, 6);
  EXPECT_EQ(R.upperOpt, 1);
  EXPECT_NE(capture.text().find("\nLower==Upper !\n\n"), std::string::npos) << capture.text();
}

TEST(Lgr2a, ALimitOfTheCallerStopsWithoutClaimingOptimality) {
  LogCapture capture(3);
  tesmo::shell.Sset("l1Break", "2");
  // Terminals 1, 2, 3 around a centre 4 (cost 2 each), joined in pairs at cost 3: optimum 6,
  // the first bound 3.
  ReduceGraph R(makeGraph(4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}}, {1, 2, 3}));
  tesmo::IntArray tree = mstPruneTree(R);
  R.setUpper(tree, "seed", 0);
  tesmo::lgr2a(R);
  EXPECT_NE(capture.text().find("\nLower==Upper !\n\n"), std::string::npos) << capture.text();
  EXPECT_LT(R.lowerValue, 6);
  EXPECT_EQ(R.upperOpt, 0);
}

TEST(Lgr2a, RootChoiceAndTreeFixingWithoutATree) {
  struct Case {
    const char* root;
    int lowerTag;
    const char* expected;
  };
  for (const Case& c : {Case{"0", 2, "root->2\n"}, Case{"-4", 3, "root->3\n"}, Case{"7", 2, "root->1\n"},
                        Case{"3", 1, "root->3\n"}}) {
    LogCapture capture(3);
    tesmo::shell.Sset("root", c.root);
    tesmo::shell.Sset("l1X", "1");
    tesmo::shell.Sset("l1Iter", "2");
    ReduceGraph R(pathOfTerminals());
    R.lowerTag = c.lowerTag;
    tesmo::lgr2a(R);
    const std::string log = capture.text();
    EXPECT_NE(log.find(c.expected), std::string::npos) << c.root << "\n" << log;
    EXPECT_NE(log.find("l1X=0! (!upperOk)\n"), std::string::npos) << log;
    EXPECT_LE(R.lowerValue, 6);
  }
}

TEST(Lgr2a, AnUnreachableTerminalMarksTheInstanceDisconnected) {
  // The loop, the starting ascent or, with no step at all, the closing ascent finds it.
  for (const char* option : {"l1Ascent=0", "l1Ascent=1", "l1PostAscent=1"}) {
    LogCapture capture(1);
    tesmo::shell.setAssignment(option);
    if (std::string(option) == "l1PostAscent=1") tesmo::shell.Sset("l1Iter", "0");
    ReduceGraph R(makeGraph(4, {{1, 2, 1}, {3, 4, 1}}, {1, 2, 4}));
    tesmo::lgr2a(R);
    EXPECT_EQ(R.upperOpt, -1) << option;
  }
}

TEST(Lgr2a, TheStartingAscentBoundsTheStar) {
  // Terminals 1, 2, 3 around a centre 4 (cost 2 each), joined in pairs at cost 3: the ascent
  // from root 1 raises both other terminals to 3 each before their components meet.
  LogCapture capture(2);
  tesmo::shell.Sset("l1Ascent", "1");
  tesmo::shell.Sset("l1Iter", "1");
  ReduceGraph R(makeGraph(4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}}, {1, 2, 3}));
  tesmo::lgr2a(R);
  EXPECT_NE(capture.text().find("Lower: "), std::string::npos) << capture.text();
  EXPECT_GE(R.lowerValue, 4);
  EXPECT_LE(R.lowerValue, 6);
}

TEST(Lgr2a, OneTerminalReturnsAtOnce) {
  LogCapture capture(3);
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {2}));
  tesmo::lgr2a(R);
  EXPECT_EQ(R.lowerValue, 0);
  EXPECT_EQ(capture.text().find("root->"), std::string::npos);
}

// The letter through the kit's safety test with the memory rows and the closing ascent.
class Lgr2aSafety : public testing::TestWithParam<Variant> {};

TEST_P(Lgr2aSafety, KeepsTheOptimumAndTheTree) {
  LogCapture capture(0);
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  const auto failures = steinertest::checkSafety([](ReduceGraph& R) { tesmo::lgr2a(R); });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

INSTANTIATE_TEST_SUITE_P(
    Options, Lgr2aSafety,
    testing::Values(Variant{"closingAscent", {"l1PostAscent=1", "l1Iter=10"}},
                    Variant{"closingAscentWithMemory", {"l1PostAscent=1", "l1Memory=12", "l1MaxGG=80", "l1Iter=25"}},
                    Variant{"lockingEarly", {"l1PostAscent=1", "l1Memory=12", "l1Iter=25", "l1Remained=1"}},
                    Variant{"refusingAfterSlackSelection",
                            {"l1PostAscent=1", "l1Memory=12", "l1Iter=25", "l1Projection=0"}},
                    Variant{"stopAtUpperThenClose", {"l1PostAscent=1", "l1Memory=5", "l1Break=-1", "l1Ascent=1"}}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// The closing ascent's log after the loop: each raise asks the memory ("bad Ascent" count "/"
// rows), then is kept (k " : " d) or refused ("L" k); "Unlock!" lifts the locks.
struct ClosingAscentLog {
  struct Decision {
    int bad, rows, commodity;
    long long raise;  // -1: refused
    bool afterUnlock;
  };
  std::vector<Decision> decisions;
  long long lower = -1;
  bool parsed = true;
};

ClosingAscentLog parseClosingAscent(const std::string& log) {
  ClosingAscentLog out;
  const std::size_t loopEnd = log.rfind("\nLower : ");
  if (loopEnd == std::string::npos) return out.parsed = false, out;
  std::string rest = log.substr(log.find('\n', loopEnd + 1));
  std::size_t at = rest.find("bad Ascent");
  bool unlocked = false;
  while (at != std::string::npos) {
    at += std::string("bad Ascent").size();
    std::size_t next = rest.find("bad Ascent", at);
    const std::string piece = rest.substr(at, next == std::string::npos ? std::string::npos : next - at);
    ClosingAscentLog::Decision d{};
    char sep = 0;
    std::istringstream in(piece);
    in >> d.bad >> sep >> d.rows;
    if (!in || sep != '/') return out.parsed = false, out;
    in >> std::ws;
    if (in.peek() == 'L') {
      in.get();
      in >> d.commodity;
      d.raise = -1;
    } else {
      std::string colon;
      in >> d.commodity >> colon >> d.raise;
      if (colon != ":") return out.parsed = false, out;
    }
    if (!in) return out.parsed = false, out;
    d.afterUnlock = unlocked;
    unlocked = piece.find("\nUnlock!\n") != std::string::npos;
    out.decisions.push_back(d);
    at = next;
  }
  const std::size_t lower = rest.rfind("Lower: ");
  if (lower != std::string::npos) out.lower = std::stoll(rest.substr(lower + 7));
  return out;
}

// Slack selection gives the memory rows chosen slots (negative pairs), so that raises can make
// rows bad and the lock comes into play; a stored tree keeps the steps in scale.
TEST(Lgr2aClosingAscent, KeepsRaisesByTheRuleAndItsBoundIsTheirSum) {
  struct Case {
    const char* remained;
    bool refusalsExpected;
  };
  for (const Case& c : {Case{nullptr, true}, Case{"2", true}, Case{"0", false}}) {
    int refusing = 0, unlocking = 0, checked = 0;
    for (auto& generated : steinertest::instanceMix(200, 5)) {
      LogCapture capture(3);
      for (const char* a : {"l1PostAscent=1", "l1Memory=12", "l1Iter=25", "l1Projection=0"})
        tesmo::shell.setAssignment(a);
      if (c.remained) tesmo::shell.Sset("l1Remained", c.remained);
      ReduceGraph R(generated.graph);
      if (R.R < 2) continue;
      const std::int64_t optimum = steinertest::dreyfusWagner(R);
      tesmo::IntArray tree = mstPruneTree(R);
      R.setUpper(tree, "seed", 0);
      tesmo::lgr2a(R);
      const std::string log = capture.text();
      const std::string what = generated.description + " l1Remained=" + (c.remained ? c.remained : "default");
      ASSERT_LE(R.lowerValue, optimum) << what;
      const ClosingAscentLog parsed = parseClosingAscent(log);
      ASSERT_TRUE(parsed.parsed) << what << "\n" << log;
      ASSERT_GE(parsed.lower, 0) << what << "\n" << log;
      ++checked;
      long long kept = 0;
      int lastKeptBad = 0;
      std::vector<char> locked(R.R + 1, 0);
      bool anyRefused = false;
      for (std::size_t i = 0; i < parsed.decisions.size(); ++i) {
        const auto& d = parsed.decisions[i];
        if (d.afterUnlock) std::fill(locked.begin(), locked.end(), 0);
        ASSERT_TRUE(d.commodity >= 1 && d.commodity <= R.R) << what;
        if (d.raise < 0) {
          // Only a raise that makes more rows bad than the last kept one is refused, never the
          // first one nor the first after an unlock.
          EXPECT_GT(d.bad, lastKeptBad) << what << " decision " << i;
          EXPECT_GT(kept, 0) << what << " decision " << i;
          EXPECT_FALSE(d.afterUnlock) << what << " decision " << i;
          locked[d.commodity] = 1;
          anyRefused = true;
        } else {
          EXPECT_GT(d.raise, 0) << what;
          // A locked commodity waits for the unlock.
          EXPECT_FALSE(locked[d.commodity]) << what << " decision " << i << "\n" << log;
          kept += d.raise;
          lastKeptBad = d.bad;
        }
      }
      EXPECT_EQ(parsed.lower, kept) << what;
      EXPECT_GE(R.lowerValue, kept + R.contractCost) << what;
      refusing += anyRefused;
      unlocking += log.find("\nUnlock!\n") != std::string::npos;
    }
    EXPECT_GT(checked, 60);
    if (c.refusalsExpected) {
      EXPECT_GT(refusing, 0) << (c.remained ? c.remained : "default");
      EXPECT_GT(unlocking, 0) << (c.remained ? c.remained : "default");
    } else {
      EXPECT_EQ(refusing, 0);
      EXPECT_EQ(unlocking, 0);
    }
  }
}

// Without memory rows nothing is refused, so the closing ascent is the starting ascent again.
TEST(Lgr2aClosingAscent, WithoutMemoryBoundsAsTheStartingAscent) {
  int positive = 0;
  for (auto& generated : steinertest::instanceMix(150, 9)) {
    std::int64_t lower[2] = {0, 0};
    for (int closing = 0; closing < 2; ++closing) {
      LogCapture capture(0);
      tesmo::shell.Sset("l1Iter", "0");
      tesmo::shell.Sset(closing ? "l1PostAscent" : "l1Ascent", "1");
      ReduceGraph R(generated.graph);
      tesmo::lgr2a(R);
      lower[closing] = R.lowerValue;
    }
    EXPECT_EQ(lower[0], lower[1]) << generated.description;
    if (lower[1] > 0) ++positive;
  }
  EXPECT_GT(positive, 100);
}

// In the default projection no slot is chosen, so a row's stored sum is its step's bound and its
// sum under today's weights is the weight of its old paths: never below today's bound.
TEST(Lgr2aMemory, TheApproximationIsNeverBelowTheBound) {
  int lines = 0;
  for (auto& generated : steinertest::instanceMix(60, 21)) {
    LogCapture capture(3);
    for (const char* a : {"l1Memory=8", "l1MaxGG=200", "l1Iter=30"}) tesmo::shell.setAssignment(a);
    ReduceGraph R(generated.graph);
    tesmo::lgr2a(R);
    for (const std::string& line : linesOf(capture.text())) {
      if (line.rfind(" Aprox: (", 0) != 0) continue;
      int row = 0;
      double approx = 0, bound = 0;
      ASSERT_EQ(std::sscanf(line.c_str(), " Aprox: (%d) %lf  %lf", &row, &approx, &bound), 3) << line;
      ASSERT_NE(line.find("Miss: "), std::string::npos) << line;
      if (row == 0) continue;
      EXPECT_GE(approx, bound) << generated.description << ": " << line;
      ++lines;
    }
  }
  EXPECT_GT(lines, 200);
}

TEST(Lgr2aMemory, LogLinesOfTheRowsAndTheClosingAscent) {
  LogCapture capture(4);
  for (const char* a : {"l1PostAscent=1", "l1Memory=4", "l1Iter=12"}) tesmo::shell.setAssignment(a);
  ReduceGraph R(makeGraph(4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}}, {1, 2, 3}));
  tesmo::IntArray tree = mstPruneTree(R);
  R.setUpper(tree, "seed", 0);
  tesmo::lgr2a(R);
  const std::string log = capture.text();
  const std::size_t loopEnd = log.rfind("\nLower : ");
  ASSERT_NE(loopEnd, std::string::npos) << log;
  const std::string loop = log.substr(0, loopEnd), closing = log.substr(loopEnd);
  // In the loop the saved weights are those of no starting ascent: 0, below every row's sum.
  EXPECT_TRUE(std::regex_search(loop, std::regex("weight0:-?\\d+, SUM:0, sum:-?\\d+, sum0:-?\\d+, "))) << loop;
  EXPECT_NE(loop.find("\n bad Ascent"), std::string::npos) << loop;
  EXPECT_TRUE(std::regex_search(loop, std::regex("Aprox: \\(\\d+\\) [-0-9.e+]+  [-0-9.e+]+Miss: \\d+  \\d+/[1-3]\n"))) << loop;
  EXPECT_TRUE(std::regex_search(closing, std::regex("\n\n(weight0[^\n]*)?bad Ascent\\d+/[0-3]\n \\d+ : \\d+"))) << closing;
  EXPECT_TRUE(std::regex_search(closing, std::regex("weight0:\\d+, sum:\\d+, sum0:\\d+, (weight0|bad Ascent)"))) << closing;
  EXPECT_TRUE(std::regex_search(closing, std::regex("Lower: \\d+\\+Contr= \\d+\n"))) << closing;
  EXPECT_FALSE(std::regex_search(closing, std::regex("SUM:"))) << closing;
  EXPECT_LE(R.lowerValue, 6);
  EXPECT_GE(R.lowerValue, 4);
}

TEST(SubgradientMemory, KeepsShortNewRowsInARing) {
  tesmo::SubgradientMemory memory(4, 3);  // ring positions 1..3, rows of at most 2 pairs
  ASSERT_TRUE(memory.enabled());
  auto put = [&](std::vector<int> pairs, long long sum) {
    std::copy(pairs.begin(), pairs.end(), memory.candidate());
    const int n = static_cast<int>(pairs.size() / 2);
    if (!memory.holds(n)) memory.store(n, sum, sum + 1);
  };
  put({5, 2}, 10);
  put({5, 2}, 11);  // the same subgradient again: not kept twice
  EXPECT_EQ(memory.position(), 1);
  put({-5, 2, 7, 3}, 12);
  put({7, 3}, 13);
  EXPECT_EQ(memory.filled(), 3);
  put({9, 2}, 14);  // wraps to position 1
  EXPECT_EQ(memory.position(), 1);
  EXPECT_EQ(memory.filled(), 3);
  EXPECT_EQ(memory.sum(1), 14);
  EXPECT_EQ(memory.bound(1), 15);
  EXPECT_EQ(memory.length(2), 2);
  EXPECT_EQ(memory.pairs(2)[0], -5);
  EXPECT_EQ(memory.pairs(2)[3], 3);
  put({5, 2, 6, 2, 7, 2}, 20);  // too long for a row
  EXPECT_EQ(memory.position(), 1);
  EXPECT_EQ(memory.sum(1), 14);
}

TEST(SubgradientMemory, SizesAtTheEdges) {
  struct Case {
    int rows, maxGG;
    bool enabled, refused;
  };
  for (const Case& c : {Case{0, 600, false, false}, Case{-3, 600, false, false}, Case{1, 600, true, false},
                        Case{5, 0, true, false}, Case{200000, 200000, false, true}, Case{2, 2, true, false}}) {
    tesmo::SubgradientMemory memory(c.rows, c.maxGG);
    EXPECT_EQ(memory.enabled(), c.enabled) << c.rows << " " << c.maxGG;
    EXPECT_EQ(memory.refused(), c.refused) << c.rows << " " << c.maxGG;
    if (!memory.enabled()) continue;
    memory.candidate()[0] = 1, memory.candidate()[1] = 2;
    memory.store(1, 3, 4);
    // One ring position at least and room for a pair are needed to keep a row.
    EXPECT_EQ(memory.filled(), c.rows > 1 && c.maxGG > 1 ? 1 : 0) << c.rows << " " << c.maxGG;
  }
}

TEST(Lgr2aMemory, ATooLargeMemoryIsRefusedAndTheRunGoesOn) {
  LogCapture capture(1);
  for (const char* a : {"l1Memory=300000", "l1MaxGG=300000", "l1PostAscent=1", "l1Iter=10"}) tesmo::shell.setAssignment(a);
  ReduceGraph R(pathOfTerminals());
  tesmo::lgr2a(R);
  EXPECT_NE(capture.text().find("l1Memory refused: "), std::string::npos) << capture.text();
  EXPECT_EQ(R.lowerValue, 6);  // the closing ascent alone reaches the path's value
}

}  // namespace
