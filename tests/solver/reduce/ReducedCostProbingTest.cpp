// Reduced-cost probing (letter z and its one-row variant): the replacements it makes on the
// generated instances keep the optimum, also with costs far above the old fixed mark for
// unusable arcs; small fixtures for the star it must keep, the hub it must replace, the tie
// rule, the piece flags and the messages of its options.

#include "AscentEngine.h"
#include "ReduceGraph.h"
#include "ReducedCostProbing.h"
#include "Shell.h"
#include "../support/InstanceBuilders.h"
#include "../support/LogCapture.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

int countOf(const std::string& text, const std::string& word) {
  int n = 0;
  for (std::size_t p = text.find(word); p != std::string::npos; p = text.find(word, p + 1)) ++n;
  return n;
}

int liveVertices(const tesmo::ReduceGraph& R) {
  int n = 0;
  for (int v = 1; v <= R.V; ++v) n += R.hasLiveSlot(v) ? 1 : 0;
  return n;
}

// Terminals 1, 2, 3 around hub 4. With cheap spokes the hub is the optimum (3) and must stay;
// with dear spokes the terminals' own path (2) wins and the hub can go.
tesmo::Graph hub(int spoke) {
  return tesmotest::makeGraph(4, {{1, 4, spoke}, {2, 4, spoke}, {3, 4, spoke}, {1, 2, 5}, {2, 3, 5}}, {1, 2, 3});
}
tesmo::Graph dearHub() {
  return tesmotest::makeGraph(4, {{1, 4, 10}, {2, 4, 10}, {3, 4, 10}, {1, 2, 1}, {2, 3, 1}}, {1, 2, 3});
}

TEST(ReducedCostProbing, ReplacesVerticesOnTheMixAndKeepsTheOptimum) {
  tesmo::shell.clearVariables();
  int reducedSomewhere = 0;
  const auto failures = steinertest::checkSafety([&reducedSomewhere](tesmo::ReduceGraph& R) {
    const int before = liveVertices(R);
    tesmo::dualnew(R);
    if (liveVertices(R) < before) ++reducedSomewhere;
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  EXPECT_GT(reducedSomewhere, 30);  // the safety above is not vacuous
}

// Costs scaled far beyond 16000000: a genuine reduced cost of that size must not pass for a mark
// that excludes its arc.
TEST(ReducedCostProbing, LargeCostsAreNotTakenForUnusableMarks) {
  tesmo::shell.clearVariables();
  std::vector<std::string> failures;
  int scaled = 0;
  for (const auto& instance : steinertest::instanceMix(150, 3)) {
    tesmo::Graph g = instance.graph;
    std::int64_t total = 0;
    for (int s = 1; s <= 2 * g.E; ++s) total += g.arcs[s].cost;
    const std::int64_t factor = std::min<std::int64_t>(10000000, tesmo::maxint / 4 / std::max<std::int64_t>(total, 1));
    if (factor < 100000) continue;
    for (int s = 1; s <= 2 * g.E; ++s) g.arcs[s].cost *= static_cast<int>(factor);
    g.maxCost *= static_cast<int>(factor);
    ++scaled;
    tesmo::ReduceGraph R(g);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    tesmo::dualnew(R);
    const std::string why = steinertest::judgeInstance(g, R, optimum);
    if (!why.empty()) failures.push_back(instance.description + " x" + std::to_string(factor) + ": " + why);
  }
  EXPECT_GT(scaled, 50);
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

struct HubCase {
  const char* name;
  tesmo::Graph (*graph)();
  std::vector<const char*> settings;
  bool hubStays;
};

class HubFixtures : public testing::TestWithParam<HubCase> {};

TEST_P(HubFixtures, DecideTheHub) {
  tesmotest::LogCapture capture(4);  // clears the shell's variables: settings come after it
  for (const char* setting : GetParam().settings) tesmo::shell.setAssignment(setting);
  const tesmo::Graph g = GetParam().graph();
  tesmo::ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  tesmo::dualnew(R);
  const std::string log = capture.text();
  EXPECT_EQ(R.hasLiveSlot(4), GetParam().hubStays) << log;
  EXPECT_EQ(countOf(log, "replacing: 4 "), GetParam().hubStays ? 0 : 1);
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
  tesmo::shell.clearVariables();
}

const HubCase hubCases[] = {
    {"CheapSpokes", [] { return hub(1); }, {}, true},
    {"CheapSpokesNoAscent", [] { return hub(1); }, {"probeRoots=0"}, true},
    {"CheapSpokesDepthOne", [] { return hub(1); }, {"zDepth=1", "noMst=1"}, true},
    {"NearlyDearSpokes", [] { return hub(3); }, {"probeRoots=0"}, true},  // 9 against 10
    {"DearSpokesNoAscent", dearHub, {"probeRoots=0"}, false},         // leaves joined for 2 <= 30
    {"DearSpokesNoAscentNoMst", dearHub, {"probeRoots=0", "noMst=1"}, true},  // nothing can exclude
};

INSTANTIATE_TEST_SUITE_P(Hubs, HubFixtures, testing::ValuesIn(hubCases),
                         [](const testing::TestParamInfo<HubCase>& info) { return std::string(info.param.name); });

struct MessageCase {
  std::vector<const char*> settings;
  std::vector<const char*> present;
  std::vector<const char*> absent;
};

class ProbingMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(ProbingMessages, FollowTheOptions) {
  tesmotest::LogCapture capture(3);
  for (const char* setting : GetParam().settings) tesmo::shell.setAssignment(setting);
  const tesmo::Graph g = hub(4);
  tesmo::ReduceGraph R(g);
  tesmo::dualnew(R);
  const std::string log = capture.text();
  for (const char* text : GetParam().present) EXPECT_NE(log.find(text), std::string::npos) << text << "\n" << log;
  for (const char* text : GetParam().absent) EXPECT_EQ(log.find(text), std::string::npos) << text << "\n" << log;
  tesmo::shell.clearVariables();
}

const MessageCase messageCases[] = {
    {{},
     {"Caution! Place (currently set to 1000) may be too small.\nIn this case, zDepth will be reduced.\n",
      "computing lower bounds and reduced costs\n", "Computing distances...\n"},
     {"zDepth must be"}},
    {{"zDepth=9"}, {"zDepth must be from {1,...,6}! Set to 6\n", "Caution! Place"}, {}},
    {{"zDepth=0"}, {"zDepth must be from {1,...,6}! Set to 6\n"}, {}},
    {{"zDepth=3"}, {}, {"Caution! Place", "zDepth must be"}},  // 9^3 = 729 < 1000
    {{"zDepth=3", "maxPlace=729"}, {"Caution! Place (currently set to 729)"}, {}},
    {{"probeRoots=0"}, {"Computing distances...\n"}, {"computing lower bounds"}},
    {{"noMst=1"}, {"computing lower bounds"}, {"Computing distances..."}},
};

INSTANTIATE_TEST_SUITE_P(Options, ProbingMessages, testing::ValuesIn(messageCases));

// Each root's bound is logged as the raises alone, then with the cost of the edges contracted
// before, which is the bound the instance gets.
TEST(ReducedCostProbing, BoundLinesAddTheContractedCost) {
  tesmotest::LogCapture capture(3);
  tesmo::shell.setAssignment("probeRoots=1");
  const tesmo::Graph g = hub(1);
  tesmo::ReduceGraph R(g);
  R.contractCost = 5;
  tesmo::dualnew(R);
  const std::string log = capture.text();
  const std::size_t at = log.find("lower: ");
  ASSERT_NE(at, std::string::npos) << log;
  const int raises = std::stoi(log.substr(at + 7));
  EXPECT_GT(raises, 0);
  EXPECT_EQ(log.find("lower: " + std::to_string(raises) + "\n+contractCost= " + std::to_string(raises + 5) + "\n"), at)
      << log;
  EXPECT_EQ(R.lowerValue, raises + 5);
  EXPECT_EQ(countOf(log, "lower: "), 1) << log;
  tesmo::shell.clearVariables();
}

TEST(ReducedCostProbing, TooManyNewEdgesStopsTheReplacementsOnly) {
  // The hub is replaced; slackSize 1 leaves no room for anything after it, and the run goes on.
  tesmotest::LogCapture capture(4);
  tesmo::shell.setAssignment("slackSize=1");
  tesmo::shell.setAssignment("probeRoots=0");
  const tesmo::Graph g = tesmotest::makeGraph(
      6, {{1, 4, 10}, {2, 4, 10}, {3, 4, 10}, {1, 2, 1}, {2, 3, 1}, {1, 5, 10}, {2, 5, 10}, {3, 5, 10}, {3, 6, 1}},
      {1, 2, 3, 6});
  tesmo::ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  tesmo::dualnew(R);
  const std::string log = capture.text();
  EXPECT_EQ(countOf(log, "WARNING! Too many new edges \n"), 1);
  EXPECT_EQ(countOf(log, "replacing: "), 1);  // vertex 4; vertex 5 would go too, but not any more
  EXPECT_TRUE(R.hasLiveSlot(5));
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
  tesmo::shell.clearVariables();
}

// The one-row variant with the caller's arrays: the hub's distance sum equals the bound, so only
// the tie rule (useTie, a stored tree that does not pass the hub 3 times) replaces it, and only
// inside the piece. Reduced costs 0 and noMst let no star be excluded otherwise.
struct PieceCase {
  const char* name;
  int useTie;
  int tieAmount;
  bool hubInPiece;
  bool nullFlags;
  int replaced;
};

class PieceProbing : public testing::TestWithParam<PieceCase> {};

TEST_P(PieceProbing, TieAndPieceFlags) {
  tesmotest::LogCapture capture(4);
  tesmo::shell.setAssignment("noMst=1");
  const tesmo::Graph g = hub(1);
  tesmo::ReduceGraph R(g);
  tesmo::IntArray tree = tesmotest::slotList(R, {{1, 2}, {2, 3}});
  R.setUpper(tree, "seed", 0);
  ASSERT_TRUE(R.upperOk);
  R.computeVoronoiRegions(tesmo::maxint);
  R.secondNearestTerminals(tesmo::maxint);
  R.thirdNearestTerminals(tesmo::maxint);
  R.generalizedMstUpper(0);
  R.getFindSave();
  tesmo::IntArray rc(2 * R.E + 1, 0), fromRoot(R.V + 1, 0), toTerminal(R.V + 1, 0);
  fromRoot[4] = 2;
  toTerminal[4] = 1;
  std::vector<int> flags(R.V + 1, 1);
  flags[4] = GetParam().hubInPiece ? 1 : 0;
  const int replaced = tesmo::probeReducedCosts(R, 1, rc, fromRoot, toTerminal, GetParam().tieAmount, 3,
                                                GetParam().useTie, GetParam().nullFlags ? nullptr : flags.data());
  EXPECT_EQ(replaced, GetParam().replaced);
  EXPECT_EQ(countOf(capture.text(), "replacing: "), replaced);
  EXPECT_EQ(R.hasLiveSlot(4), replaced == 0);
  tesmo::shell.clearVariables();
}

const PieceCase pieceCases[] = {
    {"NoTieKeepsTheHub", 0, 1, true, false, 0},
    {"TieReplacesTheHub", 1, 1, true, false, 1},
    {"TieAmountZero", 1, 0, true, false, 0},
    {"OutsideThePiece", 1, 1, false, false, 0},
    {"NullFlagsTestAll", 1, 1, false, true, 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, PieceProbing, testing::ValuesIn(pieceCases),
                         [](const testing::TestParamInfo<PieceCase>& info) { return std::string(info.param.name); });

// The variant as the partition method calls it (one ascent, useTie 0) keeps the optimum.
TEST(ReducedCostProbing, PieceVariantKeepsTheOptimum) {
  tesmo::shell.clearVariables();
  const auto failures = steinertest::checkSafety([](tesmo::ReduceGraph& R) {
    if (R.R < 2) return;
    tesmo::AscentEngine engine(R);
    engine.ascentPass(1);
    if (engine.disconnected() || R.upperOpt != 0) return;
    engine.reducedCostDistances();
    tesmo::IntArray rc = engine.reducedCosts();
    const int bound = R.upperValue - engine.lowerBound();
    R.computeVoronoiRegions(tesmo::maxint);
    R.secondNearestTerminals(tesmo::maxint);
    R.thirdNearestTerminals(tesmo::maxint);
    R.generalizedMstUpper(0);
    R.getFindSave();
    tesmo::probeReducedCosts(R, 1, rc, engine.distancesFromRoot(), engine.distancesToTerminal(), 0, bound, 0,
                             nullptr);
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

}  // namespace
