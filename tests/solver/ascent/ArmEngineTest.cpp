// The arm-extension tests (letters x and y): which vertices are replaced and by what, which
// edges go, where a tie or a search limit stops them, their option handling, and the safety test
// over options and instance families (also after contractions, with the collision check on).

#include "ArmEngine.h"
#include "ReduceGraph.h"
#include "ReducedCostSet.h"
#include "Shell.h"

#include "../support/GridderCases.h"
#include "../support/SafetyTest.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using steinertest::liveEdgeTriples;
using steinertest::setShellOptions;
using tesmotest::Edge;
using Triples = std::vector<std::tuple<int, int, int>>;

struct Fixture {
  const char* name;
  bool edgeMode;
  const char* options;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  bool unchanged;  // else the live edges become `after`
  Triples after;
  const char* logLine;  // expected in the log, or ""
};

std::vector<Fixture> fixtures() {
  // Vertex 1 (edges of cost 5 to 2, 3, 4) beside the cheap triangle 2-3-4.
  const std::vector<Edge> star{{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {2, 3, 1}, {3, 4, 1}, {2, 4, 1}};
  // The leaves 2, 3, 4 of vertex 1 are joined exactly as dearly as the star costs.
  const std::vector<Edge> tie{{1, 2, 2}, {1, 3, 2}, {1, 4, 2}, {2, 3, 3}, {3, 4, 3}, {2, 4, 3}};
  return {
      {"neighbours joined cheaply", false, "", 4, star, {2, 3, 4}, false, {{2, 3, 1}, {2, 4, 1}, {3, 4, 1}}, "sum replaced: 1"},
      // 1 goes: 2-3 has its own way, 2-4 and 3-4 become edges of cost 4; then 4 (neighbours 2,
      // 3, 5) goes the same way, leaving 2-5 and 3-5 of cost 5.
      {"pairs without a way around become edges", false, "", 5, {{1, 2, 2}, {1, 3, 2}, {1, 4, 2}, {2, 3, 1}, {4, 5, 1}},
       {2, 3, 5}, false, {{2, 3, 1}, {2, 5, 5}, {3, 5, 5}}, "sum replaced: 2"},
      {"terminal never replaced", false, "", 4, star, {1, 2, 3, 4}, true, {}, "sum replaced: 0"},
      {"degree 2 never replaced", false, "", 3, {{1, 2, 5}, {1, 3, 5}, {2, 3, 1}}, {2, 3}, true, {}, "sum replaced: 0"},
      {"degree above gMaxDeg never replaced", false, "gMaxDeg=3", 5,
       {{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {1, 5, 5}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}}, {2, 3, 4, 5}, true, {}, "sum replaced: 0"},
      {"degree 4 replaced", false, "", 5, {{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {1, 5, 5}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}},
       {2, 3, 4, 5}, false, {{2, 3, 1}, {3, 4, 1}, {4, 5, 1}}, "sum replaced: 1"},
      {"a tie never refutes", false, "gUseAscent=0", 4, tie, {2, 3, 4}, true, {}, "sum replaced: 0"},
      // 2 * factor * |E| = 12 leaves no room beside the 2 * 6 + 10 the store needs.
      {"too little edge room skips the vertex", false, "gSlackSizeFactor=1", 4, star, {2, 3, 4}, true, {},
       "not enough edgespace... vertice skipped"},
      {"non-terminal leaf edge is impossible", true, "", 4, {{1, 2, 1}, {2, 3, 1}, {2, 4, 1}}, {1, 3}, false,
       {{1, 2, 1}, {2, 3, 1}}, "impossible edge deleted"},
      {"edge dearer than a path goes", true, "", 3, {{1, 2, 5}, {1, 3, 1}, {2, 3, 1}}, {1, 2}, false, {{1, 3, 1}, {2, 3, 1}},
       "deleted edge: "},
      {"edge as dear as a path stays without detours", true, "gUseAscent=0 gUseAvoid=0", 3, {{1, 2, 2}, {1, 3, 1}, {2, 3, 1}},
       {1, 2}, true, {}, ""},
      // The edge alone is a path tree between its ends: a path as cheap avoiding it takes its place.
      {"edge as dear as a detour goes", true, "gUseAscent=0", 3, {{1, 2, 2}, {1, 3, 1}, {2, 3, 1}}, {1, 2}, false,
       {{1, 3, 1}, {2, 3, 1}}, "deleted edge: "},
  };
}

class ArmCases : public testing::TestWithParam<Fixture> {};

TEST_P(ArmCases, ChangesOnlyWhatIsProven) {
  const Fixture& f = GetParam();
  tesmotest::LogCapture capture(4);
  setShellOptions(f.options);
  const tesmo::Graph g = tesmotest::makeGraph(f.V, f.edges, f.terminals);
  tesmo::ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  const Triples before = liveEdgeTriples(R);
  if (f.edgeMode) tesmo::gridderBrasil2Edges(R);
  else tesmo::gridderBrasil2(R);
  EXPECT_EQ(liveEdgeTriples(R), f.unchanged ? before : f.after);
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
  if (*f.logLine) {
    EXPECT_NE(capture.text().find(f.logLine), std::string::npos) << capture.text();
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ArmCases, testing::ValuesIn(fixtures()),
                         [](const testing::TestParamInfo<Fixture>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c) name += std::isalnum(*c) ? *c : '_';
                           return name;
                         });

TEST(ArmEngine, ExtensionRefutesWhatTheStarAloneCannot) {
  // The star of 1 costs 3 and its leaves 2, 3, 4 are 2 apart (MST 4): only after following two
  // arms to the terminals 5 and 6 (tree cost 5) are the leaves 4, 5, 6 joined more cheaply (4).
  const tesmo::Graph g = tesmotest::makeGraph(
      7, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {2, 5, 1}, {3, 6, 1}, {4, 7, 1}, {5, 6, 2}, {6, 7, 2}, {5, 7, 2}}, {5, 6, 7});
  for (const char* options : {"gUseAscent=0", "gUseAscent=0 gMaxLen=1"}) {
    setShellOptions(options);
    tesmo::ReduceGraph R(g);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    tesmo::gridderBrasil2(R);
    EXPECT_EQ(R.hasLiveSlot(1), std::string(options).find("gMaxLen") != std::string::npos) << options;
    EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "") << options;
  }
}

// Each pre-test alone, with the tree tests (distances, reduced costs, detours) off: the star of 1
// falls only when that pre-test proves it, and never when all are off.
struct PreTest {
  const char* options;
  bool triangle;        // else the star with three arms to the terminals 5, 6, 7
  bool replaced;
  const char* logLine;  // at level 5, or ""
};

TEST(ArmEngine, PreTestsRefuteAloneAndOnlyWhenOn) {
  // Star of cost 5 edges beside the cheap triangle 2-3-4: each pair of star edges is longer than
  // the way between their far ends.
  const tesmo::Graph triangle =
      tesmotest::makeGraph(4, {{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {2, 3, 1}, {3, 4, 1}, {2, 4, 1}}, {2, 3, 4});
  // Star of cost 2 edges with arms 2-5, 3-6, 4-7 (cost 2) to terminals 3 apart: once one arm
  // reached its terminal 5, the key path 1-2-5 (cost 4) is longer than the way 6-5 (3), so the
  // arm 3-6 cannot go on, and 3 has no other way.
  const tesmo::Graph arms = tesmotest::makeGraph(
      7, {{1, 2, 2}, {1, 3, 2}, {1, 4, 2}, {2, 5, 2}, {3, 6, 2}, {4, 7, 2}, {5, 6, 3}, {6, 7, 3}, {5, 7, 3}}, {5, 6, 7});
  const char* off = "gUseDist=0 gUseAscent=0 gUseAvoid=0 gUseColli=0 ";
  const PreTest cases[] = {
      {"gUsePairBottle=1 gUseExtBottle=0", true, true, ""},
      {"gUsePairBottle=0 gUseExtBottle=0", true, false, ""},
      {"gUsePairBottle=0 gUseExtBottle=1", false, true, "Success: Bottle-NoExt\n"},
      {"gUsePairBottle=1 gUseExtBottle=0", false, false, ""},
      {"gUsePairBottle=0 gUseExtBottle=0", false, false, ""},
  };
  for (const PreTest& c : cases) {
    tesmotest::LogCapture capture(5);
    setShellOptions(std::string(off) + c.options);
    const tesmo::Graph& g = c.triangle ? triangle : arms;
    tesmo::ReduceGraph R(g);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    tesmo::gridderBrasil2(R);
    const std::string label = std::string(c.options) + (c.triangle ? " triangle" : " arms");
    EXPECT_EQ(R.hasLiveSlot(1), !c.replaced) << label;
    EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "") << label;
    if (*c.logLine) {
      EXPECT_NE(capture.text().find(c.logLine), std::string::npos) << label;
    }
  }
}

TEST(ArmEngine, StoredTreeVertexIsReplacedOnlyWhenAllowed) {
  for (const int allow : {0, 1})
    EXPECT_EQ(steinertest::storedTreeVertexKept([](tesmo::ReduceGraph& R) { tesmo::gridderBrasil2(R); }, allow), allow == 0 ? 1 : 0)
        << "gAllowDestroyUpper " << allow;
}

TEST(ArmEngine, MaxLeavesIsRaisedToMaxDeg) {
  tesmotest::LogCapture capture(3);
  setShellOptions("gMaxLeaves=5");
  const tesmo::Graph g = tesmotest::makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3});
  tesmo::ReduceGraph R(g);
  tesmo::ArmEngine engine(R, false);
  engine.runArmTests();
  EXPECT_EQ(engine.maxLeaves(), 8);
  EXPECT_NE(capture.text().find("maxLeaves adjusted to 8"), std::string::npos) << capture.text();
}

TEST(ArmEngine, CollisionsAreFoundAmongTheEdgesOfAReplacement) {
  // A replacement joins the neighbours pairwise by edges made of the same star edges: later
  // tests of the same run see those shared edges.
  const auto instances = steinertest::gridderFamily(steinertest::GridderFamily::DegreeThree);
  int found = 0;
  for (std::size_t i = 0; i < instances.size() && found == 0; ++i) {
    tesmotest::LogCapture capture(3);
    setShellOptions("gUseAscent=0");
    tesmo::ReduceGraph R(instances[i].graph);
    tesmo::gridderBrasil2(R);
    const std::string text = capture.text();
    const std::size_t at = text.find("Collision: ");
    ASSERT_NE(at, std::string::npos) << text;
    if (text.find("success:0, ", at) == std::string::npos) ++found;
  }
  EXPECT_GT(found, 0) << "no collision in the whole family";
}

TEST(ArmEngine, CollisionRuleDecidesSomeTests) {
  // Edges of one replacement share star edges; a later test that would have to combine two of
  // them is cut short by the rule. Where the rule changes a result it must have answered some
  // check (its statistics line counts the answers), and both results keep the optimum.
  const auto instances = steinertest::gridderFamily(steinertest::GridderFamily::DegreeThree);
  int differ = 0;
  for (const auto& instance : instances) {
    std::vector<Triples> results;
    int answered = 0;
    for (const int colli : {0, 1}) {
      tesmotest::LogCapture capture(3);
      setShellOptions("gUseAscent=0 gUseColli=" + std::to_string(colli));
      tesmo::ReduceGraph R(instance.graph);
      R.removeVertices();
      const std::int64_t optimum = steinertest::dreyfusWagner(R) + R.contractCost;
      tesmo::gridderBrasil2(R);
      tesmo::gridderBrasil2Edges(R);
      EXPECT_EQ(steinertest::judgeInstance(instance.graph, R, optimum), "") << instance.description;
      results.push_back(liveEdgeTriples(R));
      const std::string text = capture.text();
      for (std::size_t at = text.find("Collision: "); at != std::string::npos; at = text.find("Collision: ", at + 1))
        answered += std::stoi(text.substr(text.find("success:", at) + 8));
    }
    if (results[0] != results[1]) {
      ++differ;
      EXPECT_GT(answered, 0) << instance.description;
    }
  }
  std::printf("collision rule changed %d of %zu instances\n", differ, instances.size());
  EXPECT_GT(differ, 0);
}

// The pair test against the vertices just behind the branchings (gUseDist 2) refutes partial
// trees that the leaves alone leave: over a family it replaces more vertices (and still keeps
// the optimum, see the safety cases).
TEST(ArmEngine, ShortenedArmsReplaceMore) {
  int replaced[2] = {0, 0};
  for (const auto& instance : steinertest::gridderFamily(steinertest::GridderFamily::DegreeThree))
    for (const int useDist : {1, 2}) {
      setShellOptions("gUseAscent=0 gUseDist=" + std::to_string(useDist));
      tesmo::ReduceGraph R(instance.graph);
      tesmo::ArmEngine engine(R, false);
      engine.runArmTests();
      replaced[useDist - 1] += engine.replacedVertices();
    }
  std::printf("vertices replaced: %d with gUseDist=1, %d with gUseDist=2\n", replaced[0], replaced[1]);
  EXPECT_GT(replaced[1], replaced[0]);
}

TEST(ArmEngine, CollisionStatisticsFollowTheOption) {
  // No contractions: the history is empty, so checks are made but none collides.
  const tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {2, 3, 1}, {3, 4, 1}, {2, 4, 1}}, {2, 3, 4});
  for (const int colli : {0, 1}) {
    tesmotest::LogCapture capture(3);
    setShellOptions("gUseColli=" + std::to_string(colli));
    tesmo::ReduceGraph R(g);
    tesmo::gridderBrasil2(R);
    const std::string text = capture.text();
    if (colli == 0) {
      EXPECT_EQ(text.find("Collision: "), std::string::npos) << text;
    } else {
      EXPECT_NE(text.find("Collision: calls:3, success:0, "), std::string::npos) << text;
    }
  }
}

// Hands R the reduced costs of one dual ascent from its first root, as a caller of the
// precomputed entry would.
void runPrecomputed(tesmo::ReduceGraph& R, bool edgeMode) {
  if (R.R < 2) return;
  tesmo::ReducedCostSet set;
  tesmo::ReduceGraph copy = tesmo::ReduceGraph::copyGraph(R, 2);
  tesmo::reducedCostSetFromAscents(set, copy, 1, 1);
  tesmo::gridderBrasil2Precomputed(R, set.roots[1], set.reducedCosts[1], set.distFromRoots[1], set.distToTerminals[1],
                                   set.factor, set.gaps[1], edgeMode);
}

TEST(ArmEngine, PrecomputedReducedCostsActLikeOneAscent) {
  // Both ways use the same single ascent, so they must change the instances alike.
  const auto instances = steinertest::gridderFamily(steinertest::GridderFamily::DegreeThree);
  int same = 0, checked = 0;
  for (std::size_t i = 0; i < instances.size() && checked < 40; ++i, ++checked) {
    for (const bool edgeMode : {false, true}) {
      setShellOptions("gUseAscent=1");
      tesmo::ReduceGraph A(instances[i].graph), B(instances[i].graph);
      if (edgeMode) tesmo::gridderBrasil2Edges(A);
      else tesmo::gridderBrasil2(A);
      tesmotest::LogCapture capture(3);
      runPrecomputed(B, edgeMode);
      if (B.R >= 2) {
        EXPECT_NE(capture.text().find("gUseAscent: values precomputed.\n"), std::string::npos) << capture.text();
      }
      EXPECT_EQ(liveEdgeTriples(A), liveEdgeTriples(B)) << instances[i].description << (edgeMode ? " y" : " x");
      if (liveEdgeTriples(A) == liveEdgeTriples(B)) ++same;
    }
  }
  EXPECT_GT(same, 0);
}

TEST(ArmEngine, PrecomputedArraysThatDoNotFitAreRefused) {
  tesmotest::LogCapture capture(0);
  setShellOptions("");
  const tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {2, 3, 1}, {3, 4, 1}, {2, 4, 1}}, {2, 3, 4});
  tesmo::ReduceGraph R(g);
  const Triples before = liveEdgeTriples(R);
  const tesmo::IntArray small(3, 0), distances(static_cast<std::size_t>(R.V) + 1, 0);
  tesmo::gridderBrasil2Precomputed(R, 1, small, distances, distances, 1, 0, false);
  EXPECT_EQ(liveEdgeTriples(R), before);
  EXPECT_NE(capture.text().find("precomputed reduced costs do not fit the instance"), std::string::npos) << capture.text();
}

TEST(ArmEngine, TreeHashFindsTreesAgainOnlyWhenOn) {
  // The same partial tree grows from different tested vertices; its answer is then looked up.
  // (Answers found under one search limit may stand for another, so the results may differ;
  // the safety cases run both ways.)
  const auto instances = steinertest::gridderFamily(steinertest::GridderFamily::DegreeThree);
  int hits = 0;
  for (std::size_t i = 0; i < 60 && i < instances.size(); ++i)
    for (const bool edgeMode : {false, true})
      for (const int hashing : {0, 1}) {
        tesmotest::LogCapture capture(3);  // before the options: it starts a clean shell
        setShellOptions("gUseAscent=0 gUseTreeHashing=" + std::to_string(hashing));
        tesmo::ReduceGraph R(instances[i].graph);
        if (edgeMode) tesmo::gridderBrasil2Edges(R);
        else tesmo::gridderBrasil2(R);
        const std::string text = capture.text();
        if (hashing == 0) {
          EXPECT_NE(text.find("hashCount:0, hashSuccess:0, "), std::string::npos) << text;
        } else if (text.find("hashSuccess:0, ") == std::string::npos) {
          ++hits;
        }
      }
  EXPECT_GT(hits, 0) << "the hash never found a tree again";
}

TEST(ArmEngine, RankFilterLeavesOutVerticesRankedFarAndCheap) {
  // Without reduced costs every vertex counts as ranked last by them; a reduced-cost threshold
  // above that and a distance threshold below every rank leave out each vertex.
  const tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {2, 3, 1}, {3, 4, 1}, {2, 4, 1}}, {2, 3, 4});
  for (const char* options : {"gUseAscent=0 gExamineDistancePercent=-1 gExamineReducedPercent=101",
                              "gUseAscent=0 gExamineDistancePercent=-1 gExamineReducedPercent=100"}) {
    setShellOptions(options);
    tesmo::ReduceGraph R(g);
    tesmo::gridderBrasil2(R);
    EXPECT_EQ(R.hasLiveSlot(1), std::string(options).find("101") != std::string::npos) << options;
  }
}

struct SafetyCase {
  const char* name;
  bool edgeMode;
  const char* options;
  steinertest::GridderFamily family;
  bool contractFirst;  // degree reductions first, so that edges carry merge histories
};

class ArmSafety : public testing::TestWithParam<SafetyCase> {};

TEST_P(ArmSafety, KeepsTheOptimumAndTheTree) {
  const SafetyCase& c = GetParam();
  const auto failures = steinertest::checkSafetyOn(
      [&c](tesmo::ReduceGraph& R) {
        setShellOptions(c.options);
        if (c.contractFirst) R.removeVertices();
        // A first replacement run leaves edges made of shared star edges whose costs the
        // second run cannot see any more.
        if (std::string(c.options).find("twice") != std::string::npos) {
          tesmo::gridderBrasil2(R);
          R.removeVertices();
        }
        if (std::string(c.options).find("precomputed") != std::string::npos) runPrecomputed(R, c.edgeMode);
        else if (c.edgeMode) tesmo::gridderBrasil2Edges(R);
        else tesmo::gridderBrasil2(R);
      },
      steinertest::gridderFamily(c.family));
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

using F = steinertest::GridderFamily;
INSTANTIATE_TEST_SUITE_P(
    Options, ArmSafety,
    testing::Values(SafetyCase{"xMix", false, "gUseAscent=0", F::Mix, false},
                    SafetyCase{"xMixAscent", false, "gUseAscent=4", F::Mix, false},
                    SafetyCase{"xContracted", false, "gUseColli=1", F::Mix, true},
                    SafetyCase{"xTreeVertices", false, "gAllowDestroyUpper=1 gUseAscent=2", F::Mix, false},
                    SafetyCase{"xLadders", false, "", F::Ladders, false},
                    SafetyCase{"xGrids", false, "", F::Grids, false},
                    SafetyCase{"xDegree3", false, "gUseAscent=0", F::DegreeThree, true},
                    SafetyCase{"yMix", true, "gUseAscent=0", F::Mix, false},
                    SafetyCase{"yMixAscent", true, "gUseAscent=4", F::Mix, false},
                    SafetyCase{"yContracted", true, "gUseColli=1 gAllowDestroyUpper=1", F::Mix, true},
                    SafetyCase{"yLadders", true, "", F::Ladders, false},
                    SafetyCase{"yGrids", true, "", F::Grids, false},
                    SafetyCase{"yDegree3", true, "", F::DegreeThree, true},
                    SafetyCase{"xNoHashUnrestricted", false, "gUseTreeHashing=0 restrictToOne=0", F::DegreeThree, true},
                    SafetyCase{"xRestrictDeep", false, "restrictToOne=3 gMaxBacktrack=6", F::Grids, false},
                    SafetyCase{"xRankFilter", false, "gExamineDistancePercent=30 gExamineReducedPercent=90", F::Mix, false},
                    SafetyCase{"xPrecomputed", false, "precomputed", F::Mix, false},
                    SafetyCase{"yPrecomputed", true, "precomputed gAllowDestroyUpper=1", F::Mix, true},
                    SafetyCase{"yNoAvoid", true, "gUseAvoid=0 restrictToOne=0", F::Ladders, false},
                    SafetyCase{"yAvoidContracted", true, "gUseAscent=0 gUseColli=1", F::DegreeThree, true},
                    SafetyCase{"yAvoidGrids", true, "gUseAscent=0 gUseTreeHashing=0", F::Grids, false},
                    // Each pre-test with the tree tests off, and the collision rule on deep searches.
                    SafetyCase{"xPairBottleOnly", false, "gUseDist=0 gUseAscent=0 gUseExtBottle=0", F::Mix, false},
                    SafetyCase{"xExtBottleOnly", false, "gUseDist=0 gUseAscent=0 gUsePairBottle=0", F::DegreeThree, true},
                    SafetyCase{"yExtBottleOnly", true, "gUseDist=0 gUseAscent=0 gUsePairBottle=0", F::Mix, false},
                    SafetyCase{"xDistNoExtGrids", false, "gUseDist=1 gUseAscent=0", F::Grids, false},
                    SafetyCase{"yDistNoExtLadders", true, "gUseDist=1 gUseAscent=0", F::Ladders, false},
                    SafetyCase{"xCollisionsDeep", false, "gUseColli=1 gUseAscent=0 gMaxBacktrack=7 restrictToOne=0",
                               F::DegreeThree, true},
                    SafetyCase{"yCollisionsOnly", true, "gUseColli=1 gUseDist=0 gUseAscent=0 gUsePairBottle=0 gUseExtBottle=0",
                               F::Mix, true},
                    SafetyCase{"xSmtOn", false, "gUseSmt=1", F::Ladders, false},
                    SafetyCase{"xSmtMix", false, "gUseSmt=1 gUseAscent=0", F::Mix, false},
                    SafetyCase{"xSmtDegree3", false, "gUseSmt=1 gUseAscent=0", F::DegreeThree, true},
                    SafetyCase{"ySmtMix", true, "gUseSmt=1 gUseAscent=0", F::Mix, false},
                    // The distance variants: through the terminal reached last, the shortened
                    // arms alone, and the allowance of 1.
                    SafetyCase{"xTerminalDist", false, "gUseDist=-1 gUseAscent=0", F::Mix, false},
                    SafetyCase{"xTerminalDistDegree3", false, "gUseDist=-1", F::DegreeThree, true},
                    SafetyCase{"yTerminalDist", true, "gUseDist=-1 gUseAscent=0", F::Mix, false},
                    SafetyCase{"xShortenedArms", false, "gUseDist=2 gUseAscent=0 gUseExtBottle=0 gUsePairBottle=0",
                               F::Grids, false},
                    SafetyCase{"yShortenedArms", true, "gUseDist=2 gUseAscent=0 gUseExtBottle=0", F::DegreeThree, true},
                    SafetyCase{"xAllowance", false, "gUseDist=3 gUseAscent=0", F::Mix, false},
                    SafetyCase{"xAllowanceDegree3", false, "gUseDist=3", F::DegreeThree, true},
                    SafetyCase{"yAllowance", true, "gUseDist=3 gUseAscent=0", F::Mix, false},
                    SafetyCase{"xTwiceCollisions", false, "twice gUseColli=1", F::DegreeThree, true},
                    SafetyCase{"yAfterXCollisions", true, "twice gUseColli=1 gUseAscent=0", F::DegreeThree, true},
                    SafetyCase{"xTwiceMix", false, "twice gUseColli=1 gUseAscent=0", F::Mix, true},
                    // The ascents get the least room the slots allow.
                    SafetyCase{"yTightAscentRoom", true, "gSlackSizeFactor=1 gUseAscent=4", F::Mix, true},
                    SafetyCase{"xWideRoom", false, "gSlackSizeFactor=9 gUseAscent=2", F::Grids, false}),
    [](const testing::TestParamInfo<SafetyCase>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The safety test would pass for a method that does nothing: on the degree-3-rich family both
// letters must actually reduce.
TEST(ArmEngine, ReducesDegreeThreeRichInstances) {
  for (const bool edgeMode : {false, true}) {
    int changed = 0;
    const auto instances = steinertest::gridderFamily(steinertest::GridderFamily::DegreeThree);
    for (const auto& instance : instances) {
      setShellOptions("gUseAscent=0");
      tesmo::ReduceGraph R(instance.graph);
      const int before = R.Eanz;
      const int vertices = R.Vanz;
      if (edgeMode) tesmo::gridderBrasil2Edges(R);
      else tesmo::gridderBrasil2(R);
      if (R.Eanz != before || R.Vanz != vertices) ++changed;
    }
    std::printf("%s changed %d of %zu instances\n", edgeMode ? "y" : "x", changed, instances.size());
    EXPECT_GT(changed, static_cast<int>(instances.size()) / 10) << (edgeMode ? "y" : "x");
  }
}

}  // namespace

namespace {

TEST(SortedList, FindsPositionsAndInsertionPoints) {
  const tesmo::IntArray list{4, 2, 5, 9, 12};
  struct Case {
    int x, found, point;
  };
  for (const Case c : {Case{2, 1, 1}, Case{12, 4, 4}, Case{9, 3, 3}, Case{1, 0, -1}, Case{6, 0, -3}, Case{13, 0, -5}}) {
    EXPECT_EQ(tesmo::findInSortedList(c.x, list), c.found) << c.x;
    EXPECT_EQ(tesmo::findOrInsertionPoint(c.x, list), c.point) << c.x;
  }
  EXPECT_EQ(tesmo::findInSortedList(3, tesmo::IntArray{0}), 0);
  EXPECT_EQ(tesmo::findOrInsertionPoint(3, tesmo::IntArray{0}), -1);
  // A count larger than the list is not read past the end.
  EXPECT_EQ(tesmo::findInSortedList(7, tesmo::IntArray{9, 1, 7}), 2);
}

// Path 1-2-3-4 of unit edges beside the direct edge 1-4 of cost 10 (no nearest-terminal data, so
// only path lengths count). Removing 3-4 must not leave the old distance 3 of 1 and 4 trusted,
// while the distance 1 of 1 and 2, shorter than the way to the removed edge, needs no new search.
TEST(NeighbourDistances, RemovalDistrustsOnlyTheListsThatRanOverIt) {
  setShellOptions("");
  const tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {1, 4, 10}}, {1, 4});
  tesmo::ReduceGraph R(g);
  tesmo::NeighbourDistances nd(R, 10, true);
  nd.useEstimates(false);
  EXPECT_EQ(nd.distance(1, 4), 3);
  EXPECT_EQ(nd.distance(4, 1), 3);
  EXPECT_EQ(nd.computations(), 1);
  const tesmo::IntArray slots = tesmotest::slotList(R, {{3, 4}});
  R.deleteEdge(slots[1]);
  nd.updateAfterRemoval(3);
  nd.updateAfterRemoval(4);
  EXPECT_EQ(nd.distance(1, 2), 1);
  EXPECT_EQ(nd.computations(), 1) << "a distance within the trusted radius was searched again";
  EXPECT_EQ(nd.distance(1, 4), 10);
  EXPECT_EQ(nd.computations(), 2);
}

}  // namespace
