// The separator decompositions C, Q and P and their case framework: the oracle over instances
// with separators of two to four terminals, the choice of bottle edges of the fifteen cases, and
// the rule that an instance without a counted case stays as it is.

#include "ExactDefaults.h"
#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "LogCapture.h"
#include "Partition.h"
#include "ReduceByString.h"
#include "ReduceGraph.h"
#include "SafetyTest.h"
#include "ScriptLetters.h"
#include "SeparatorCases.h"
#include "SeparatorDecompositions.h"
#include "Shell.h"
#include "SmallSide.h"
#include "TriCon.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

using namespace tesmotest;
using decomposetest::exactDefaults;
using tesmo::ReduceGraph;

namespace {

struct LetterCase {
  const char* name;
  void (*method)(ReduceGraph&);
  std::vector<int> separatorSizes;
  std::vector<std::string> settings;
  std::vector<const char*> caseMessages;
  const char* report;  // the line that counts the letter's own deletions and contractions
  int changedShare = 8;  // at least one instance in this many changes by the letter's own work
};

// The number of report lines (from their start to the line end) that name a non-zero count.
int changingReports(const std::string& text, const std::string& report) {
  int n = 0;
  for (std::size_t p = text.find(report); p != std::string::npos; p = text.find(report, p + 1)) {
    const std::size_t end = text.find('\n', p);
    const std::string line = text.substr(p + report.size(), end == std::string::npos ? std::string::npos : end - p - report.size());
    for (std::size_t i = 0; i < line.size(); ++i)
      if (line[i] >= '1' && line[i] <= '9' && (i == 0 || line[i - 1] < '0' || line[i - 1] > '9')) {
        ++n;
        break;
      }
  }
  return n;
}

class SeparatorLetter : public testing::TestWithParam<LetterCase> {};

TEST_P(SeparatorLetter, KeepsTheOptimumAndShrinksSeparatedInstances) {
  const LetterCase& c = GetParam();
  std::vector<steinertest::GeneratedInstance> instances;
  for (int k : c.separatorSizes)
    for (unsigned seed = 1; seed <= 40; ++seed) instances.push_back(steinertest::separatedInstance(seed * 7 + k, k));
  LogCapture capture(3);
  exactDefaults(c.settings);
  int shrunk = 0;
  const auto failures = steinertest::checkSafetyOn(
      [&](ReduceGraph& R) {
        const int before = R.Eanz;
        c.method(R);
        if (R.Eanz < before) ++shrunk;
      },
      instances);
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  EXPECT_GT(shrunk, static_cast<int>(instances.size()) / 4) << "of " << instances.size();
  // Every separator size reaches its case solver.
  const std::string text = capture.text();
  for (const char* solver : c.caseMessages) EXPECT_NE(text.find(solver), std::string::npos) << solver;
  // The letter's own work, not only the degree tests that may follow it, changed instances.
  EXPECT_GT(changingReports(text, c.report), static_cast<int>(instances.size()) / c.changedShare) << c.report;
}

INSTANTIATE_TEST_SUITE_P(
    Letters, SeparatorLetter,
    testing::Values(LetterCase{"twoTerminals", tesmo::triCon, {2}, {"minReqs=3"}, {"TRICON:  1", "TRICON: 2"},
                               "deleted edges: "},
                    LetterCase{"threeTerminals", tesmo::quadroCon, {3}, {"minReqs=4"},
                               {"QUADROCON : 1", "QUADROCON : 5", "QUADROCON : 2"}, "deleted edges: "},
                    LetterCase{"upToFour", tesmo::pentaCon, {2, 3, 4}, {"minReqs=3", "maxSize=60"},
                               {"TRICON:  1", "QUADROCON : 1", "PENTACON: 1", "PENTACON: 15", "PENTACON: 11"},
                               "deleted edges: "},
                    LetterCase{"partition", tesmo::partition, {2, 3, 4}, {"minReqs=3"}, {"BB: V", "size: |V|="},
                               "deleted vertices: "},
                    LetterCase{"partitionContracting", tesmo::partition, {2, 3, 4}, {"minReqs=3"},
                               {"= cLower: contracted."}, "contracted edges: ", 16}),
    [](const testing::TestParamInfo<LetterCase>& info) { return std::string(info.param.name); });

// Every letter of this folder, run as a script letter, through the kit's safety test; minReqs
// lowered so that the small instances of the mix have sides to decompose.
class DecomposeLetterSafety : public testing::TestWithParam<const char*> {};

TEST_P(DecomposeLetterSafety, KeepsTheOptimumAndTheTree) {
  LogCapture capture(0);
  exactDefaults({"minReqs=3"});
  const std::string script = GetParam();
  const char phase = tesmo::shell.phase;
  const auto failures = steinertest::checkSafety([&](ReduceGraph& R) {
    tesmo::reduceByString(script.c_str(), R, 0);
    tesmo::shell.phase = phase;
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

INSTANTIATE_TEST_SUITE_P(Scripts, DecomposeLetterSafety, testing::Values("b", "C", "Q", "P", "N", "(bCP)"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name;
                           for (const char* c = info.param; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? std::string(1, *c) : "_";
                           return name + "_" + std::to_string(info.index);
                         });

TEST(SeparatorLetter, LeavingQuadroConOnAnInstanceWithTwoRecordedBlocks) {
  const tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}, {3, 4, 2}, {4, 5, 2}, {3, 5, 1}}, {1, 5});
  ReduceGraph R(g);
  LogCapture capture(3);
  exactDefaults();
  tesmo::quadroCon(R);
  EXPECT_NE(capture.text().find("graph not biconnected! leaving quadroCon"), std::string::npos);
  EXPECT_EQ(R.Eanz, 6);
}

TEST(CaseFramework, WithoutACountedCaseNothingChanges) {
  const auto generated = steinertest::separatedInstance(3, 2);
  ReduceGraph R(generated.graph);
  LogCapture capture(3);
  exactDefaults();
  tesmo::SmallSide side(R);
  const int separator[] = {1, 2};
  ASSERT_TRUE(side.find(R, separator, {R.V / 2, 3, 0}));
  tesmo::IntArray map(static_cast<std::size_t>(R.V) + 1, 0);
  map[0] = R.V;
  for (int v = 1; v <= R.V; ++v) map[v] = v;
  const int before = R.Eanz;
  {
    tesmo::SeparatorCases cases(R, side.head(), side.next(), separator, map,
                                tesmo::SeparatorCases::TerminalOrder::Ascending);
    cases.computeOutside();
    EXPECT_EQ(cases.apply(2, 2), 0);  // both cases ruled out
  }
  EXPECT_EQ(R.Eanz, before);
  EXPECT_NE(capture.text().find("deleted edges: 0, contracted: 0"), std::string::npos);
}

TEST(CaseFramework, SmallSideIsTheFirstAcceptableComponent) {
  // Separator {1, 2}; component A = {3, 4} (terminal 4), component B = {5..10} (terminals 6, 8).
  std::vector<Edge> edges{{1, 3, 1}, {3, 4, 1}, {4, 2, 1}, {1, 5, 1}, {2, 10, 1}};
  for (int v = 5; v < 10; ++v) edges.push_back({v, v + 1, 1});
  const tesmo::Graph g = makeGraph(10, edges, {1, 2, 4, 6, 8});
  ReduceGraph R(g);
  tesmo::SmallSide side(R);
  const int separator[] = {1, 2};
  ASSERT_TRUE(side.find(R, separator, {10, 3, 0}));
  EXPECT_EQ(side.start(), 3);
  int chained = 0;
  for (int s = side.head(); s != 0; s = side.next()[s]) ++chained;
  EXPECT_EQ(chained, 3);
  EXPECT_FALSE(side.find(R, separator, {10, 4, 0}));  // B has 4 terminals but 8 vertices > Vanz/2
  EXPECT_FALSE(side.find(R, separator, {10, 3, 4}));  // A reaches 4 vertices: not below 4
  const int notATerminal[] = {1, 3};
  EXPECT_FALSE(side.find(R, notATerminal, {10, 2, 0}));
}

TEST(SmallMst, PrimOverTheListedItems) {
  const int d[5][5] = {{0}, {0, 0, 4, 1, 9}, {0, 4, 0, 2, 9}, {0, 1, 2, 0, 9}, {0, 9, 9, 9, 0}};
  int parent[5];
  const int single[] = {3};
  EXPECT_EQ(tesmo::smallMstValue(single, parent, d), 0);
  EXPECT_EQ(parent[3], 1);
  const int three[] = {1, 2, 3};
  EXPECT_EQ(tesmo::smallMstValue(three, parent, d), 3);
  EXPECT_EQ(parent[3], 1);
  EXPECT_EQ(parent[2], 3);
  const int far[5][5] = {{0}, {0, 0, tesmo::maxint, tesmo::maxint, 0}, {0, tesmo::maxint, 0, tesmo::maxint, 0},
                         {0, tesmo::maxint, tesmo::maxint, 0, 0}, {0}};
  EXPECT_EQ(tesmo::smallMstValue(three, parent, far), tesmo::maxint);  // saturates, no overflow
}

// The fifteen cases of a four-terminal separator and their bottle edges, under one table of
// outside distances: OUT(1,2)=1, OUT(1,3)=5, OUT(1,4)=2, OUT(2,3)=3, OUT(2,4)=7, OUT(3,4)=4.
struct BottleCase {
  int caseNumber;
  std::vector<std::pair<int, int>> bottles;
};

class FifteenCases : public testing::TestWithParam<BottleCase> {};

TEST_P(FifteenCases, BottleEdgesStandForTheOutsideConnections) {
  const int out[5][5] = {{0}, {0, 0, 1, 5, 2}, {0, 1, 0, 3, 7}, {0, 5, 3, 0, 4}, {0, 2, 7, 4, 0}};
  EXPECT_EQ(tesmo::pentaConBottles(GetParam().caseNumber, out), GetParam().bottles);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FifteenCases,
    testing::Values(BottleCase{1, {}}, BottleCase{2, {{1, 2}}}, BottleCase{3, {{2, 3}}}, BottleCase{4, {{3, 4}}},
                    BottleCase{5, {{1, 4}}}, BottleCase{6, {{1, 3}}}, BottleCase{7, {{2, 4}}},
                    BottleCase{8, {{1, 4}, {2, 3}}}, BottleCase{9, {{1, 2}, {3, 4}}}, BottleCase{10, {{1, 3}, {2, 4}}},
                    // {1,2,3}: 1+5, 1+3, 5+3 -> (1,2),(2,3)
                    BottleCase{11, {{1, 2}, {2, 3}}},
                    // {1,3,4}: 5+2, 5+4, 2+4 -> (1,4),(3,4)
                    BottleCase{12, {{1, 4}, {3, 4}}},
                    // {1,2,4}: 1+2, 1+7, 2+7 -> (1,2),(1,4)
                    BottleCase{13, {{1, 2}, {1, 4}}},
                    // {2,3,4}: 3+7, 3+4, 7+4 -> (2,3),(3,4)
                    BottleCase{14, {{2, 3}, {3, 4}}},
                    // spanning tree 1-2 (1), 1-4 (2), 2-3 (3)
                    BottleCase{15, {{2, 1}, {3, 2}, {4, 1}}}),
    [](const testing::TestParamInfo<BottleCase>& info) { return "case" + std::to_string(info.param.caseNumber); });

TEST(FifteenCases, TiesKeepTheEarlierChoice) {
  const int out[5][5] = {{0}, {0, 0, 2, 2, 2}, {0, 2, 0, 2, 2}, {0, 2, 2, 0, 2}, {0, 2, 2, 2, 0}};
  EXPECT_EQ(tesmo::pentaConBottles(11, out), (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}}));
  EXPECT_EQ(tesmo::pentaConBottles(15, out), (std::vector<std::pair<int, int>>{{2, 1}, {3, 1}, {4, 1}}));
}

}  // namespace

namespace {

TEST(SeparatorLetter, FourTerminalLetterWarnsOnlyAtTheDetailedLevel) {
  // Two triangles on a shared non-terminal: not biconnected where it matters. The MP road runs at
  // verbosity 1, where the line (read as a failure by the desktop program) stays out of the log.
  const tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}, {3, 4, 2}, {4, 5, 2}, {3, 5, 1}}, {1, 5});
  for (int verbosity : {1, 3}) {
    ReduceGraph R(g);
    LogCapture capture(verbosity);
    exactDefaults();
    tesmo::pentaCon(R);
    const bool warned = capture.text().find("Warning: graph not biconnected! yet giong on....") != std::string::npos;
    EXPECT_EQ(warned, verbosity >= 3);
  }
}

// A node letter for the test below: the search of a piece that holds an artificial edge (an
// identity above those of the instance decomposed) claims no optimum, as after a heuristic
// deletion. Case solves with bottle edges are then not finished, and their checks fire.
int firstArtificialId = tesmo::maxint;
void unproveArtificialPieces(ReduceGraph& R) {
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && R.ID[s] >= firstArtificialId) {
      R.heuristicallyReduced = 1;
      return;
    }
}

struct CheckCase {
  const char* name;
  void (*method)(ReduceGraph&);
  int separatorSize;
  std::vector<std::string> settings;
  const char* warning;  // regular expression of the first failed check of a case with bottle edges
};

class CaseChecks : public testing::TestWithParam<CheckCase> {};

// A case whose piece is not solved to the end fails its check in the form "(condition) in file
// 'biCon' line N"; the three-terminal case 5 has two checks, the first for an unfinished solve.
TEST_P(CaseChecks, UnfinishedCaseSolvesNameTheirCheck) {
  const CheckCase& c = GetParam();
  tesmo::ScriptLetters::registerLetter('j', "unproveArtificialPieces(&R)", unproveArtificialPieces);
  const std::regex warning(c.warning);
  bool found = false;
  std::string text;
  for (unsigned seed = 1; seed <= 40 && !found; ++seed) {
    const auto generated = steinertest::separatedInstance(seed * 7 + c.separatorSize, c.separatorSize);
    LogCapture capture(0);
    exactDefaults(c.settings);
    tesmo::shell.Sset("exitWarning", "0");
    tesmo::shell.Sset("exitSaveGraph", capture.dir().file("error.stp").c_str());
    // Only the root of each search runs the letter, before anything there adds identities; no
    // root is so small that it would be enumerated without its script.
    const std::string script = tesmo::shell.Sget("Reduction", nullptr);
    tesmo::shell.Sset("Reduction1", ("j" + script).c_str());
    tesmo::shell.Sset("exactMstMax", "0");
    ReduceGraph R(generated.graph);
    firstArtificialId = R.IDcount + 1;
    c.method(R);
    text = capture.text();
    found = std::regex_search(text, warning);
    // Every failed check keeps the form, with a line.
    static const std::regex form("Warning: \\(.*\\) in file '[A-Za-z-]+' line [1-9][0-9]*\n");
    for (std::size_t p = text.find("Warning: ("); p != std::string::npos; p = text.find("Warning: (", p + 1)) {
      const std::string line = text.substr(p, text.find('\n', p) - p + 1);
      EXPECT_TRUE(std::regex_match(line, form)) << line;
    }
    EXPECT_EQ(text.find("!B5.upperOpt || !B5.upperOk"), std::string::npos);
  }
  firstArtificialId = tesmo::maxint;
  tesmo::ScriptLetters::unregisterLetter('j');
  EXPECT_TRUE(found) << c.warning << "\n" << text;
}

INSTANTIATE_TEST_SUITE_P(
    Letters, CaseChecks,
    testing::Values(
        CheckCase{"twoTerminals", tesmo::triCon, 2, {"minReqs=3"},
                  "Warning: \\(!B\\.upperOpt \\|\\| !B\\.upperOk\\) in file 'biCon' line 663\n"},
        CheckCase{"threeTerminals", tesmo::quadroCon, 3, {"minReqs=4"},
                  "Warning: \\(!B5\\.upperOpt\\) in file 'biCon' line 1583\n"},
        CheckCase{"fourTerminals", tesmo::pentaCon, 4, {"minReqs=3", "maxSize=60"},
                  "Warning: \\(!B([2-9]|1[0-5])\\.upperOpt \\|\\| !B\\1\\.upperOk\\) in file 'biCon' line [1-9][0-9]*\n"}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

// Level 4 lists the tree of each cLower instance, bottleneck edges between separator terminals
// in double parentheses: the listing is a tree.
TEST(PartitionLetter, ListsTheTreeOfTheLowerInstance) {
  const std::string head = "\nedges in cLower (bottleneck edges with (( )) ):   ";
  const std::regex edge("\\(\\(?([0-9]+),([0-9]+)\\)\\)? ");
  int listings = 0;
  for (unsigned seed = 1; seed <= 12; ++seed) {
    for (int k : {2, 3}) {
      const auto generated = steinertest::separatedInstance(seed * 7 + k, k);
      ReduceGraph R(generated.graph);
      LogCapture capture(4);
      exactDefaults({"minReqs=3"});
      tesmo::partition(R);
      const std::string text = capture.text();
      for (std::size_t p = text.find(head); p != std::string::npos; p = text.find(head, p + 1)) {
        ++listings;
        const std::size_t from = p + head.size();
        const std::string list = text.substr(from, text.find('\n', from) - from);
        std::map<int, int> parent;
        auto find = [&](int v) {
          while (parent.count(v) && parent[v] != v) v = parent[v];
          return v;
        };
        int edges = 0;
        std::string rest = list;
        for (std::smatch m; std::regex_search(rest, m, edge); rest = m.suffix()) {
          ASSERT_EQ(m.position(0), 0) << list;  // nothing but edges
          const int a = std::stoi(m[1]), b = std::stoi(m[2]);
          parent.emplace(a, a);
          parent.emplace(b, b);
          const int ra = find(a), rb = find(b);
          EXPECT_NE(ra, rb) << "a cycle in " << list;
          parent[ra] = rb;
          ++edges;
        }
        EXPECT_TRUE(rest.empty()) << list;
        EXPECT_GT(edges, 0) << list;
        EXPECT_EQ(edges + 1, static_cast<int>(parent.size())) << "not one tree: " << list;
      }
    }
  }
  EXPECT_GT(listings, 3);
}

TEST(PartitionLetter, WithoutSeparatorsEndsWithZeroCounts) {
  // A wheel: every pair of terminals is joined through the hub and the rim, no terminal cut.
  std::vector<Edge> edges;
  for (int v = 2; v <= 9; ++v) edges.push_back({1, v, 2}), edges.push_back({v, v == 9 ? 2 : v + 1, 1});
  const tesmo::Graph g = makeGraph(9, edges, {2, 4, 6, 8});
  ReduceGraph R(g);
  LogCapture capture(3);
  exactDefaults();
  tesmo::partition(R);
  const std::string text = capture.text();
  EXPECT_NE(text.find("deleted vertices: 0, edges: 0"), std::string::npos) << text;
  EXPECT_NE(text.find("contracted edges: 0"), std::string::npos);
  EXPECT_EQ(steinertest::judgeInstance(g, R, 6), "");  // the rim from 2 to 8
}

}  // namespace
