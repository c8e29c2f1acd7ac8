// The expansion test of degree-3 vertices (letter Z): which vertices it tests, what a proven
// vertex is replaced by, and the safety test over its options on the standard mix and on
// ladders, grids and degree-3-rich graphs.

#include "ExpansionEngine.h"
#include "ReduceGraph.h"
#include "Shell.h"

#include "../support/GridderCases.h"
#include "../support/SafetyTest.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using tesmotest::Edge;

using steinertest::liveEdgeTriples;
using steinertest::setShellOptions;

struct Fixture {
  const char* name;
  const char* options;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  bool vertexOneRemoved;
  std::vector<std::tuple<int, int, int>> added;  // new edges expected beside the old ones
};

std::vector<Fixture> fixtures() {
  // Vertex 1 has the neighbours 2, 3, 4 over edges of cost 5; the triangle 2-3-4 joins them
  // cheaply, so the star is never needed and no pair needs an edge.
  const std::vector<Edge> star{{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {2, 3, 1}, {3, 4, 1}, {2, 4, 1}};
  // Vertex 1 (edges of cost 2 to 2, 3, 4): 2 reaches 3 and 4 directly (cost 3) but 3 and 4 are
  // joined only through 1 or 2 (cost 6), so exactly the pair 3-4 keeps an edge of cost 2 + 2.
  const std::vector<Edge> kite{{1, 2, 2}, {1, 3, 2}, {1, 4, 2}, {2, 3, 3}, {2, 4, 3}, {3, 5, 3}, {4, 6, 3}, {2, 7, 1}};
  // Vertex 1 joined to the terminals 2, 3, 4 only: no pair has another way.
  const std::vector<Edge> claw{{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {2, 5, 4}};
  // Vertex 1 with unit edges to 2, 3, 4; 2 goes on only to the terminal 5; the terminals 3, 4,
  // 5 are joined pairwise by edges of cost 2. The star (3) is cheaper than joining 2, 3, 4 (4),
  // but the arm through 2 must go on to 5, and 5, 3, 4 are joined for 4, no more than the
  // extended star: 1 goes. Only 3-4 has a way around it, so 2-3 and 2-4 (cost 2) replace it.
  const std::vector<Edge> arm{{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {2, 5, 1}, {5, 3, 2}, {5, 4, 2}, {3, 4, 2}};
  return {
      {"all three pairs dropped", "", 4, star, {2, 3, 4}, true, {}},
      {"one pair kept", "", 7, kite, {5, 6, 7}, true, {{3, 4, 4}}},
      {"degree-3 terminal untested", "", 4, star, {1, 2, 3, 4}, false, {}},
      {"degree 4 untested", "", 5, {{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {1, 5, 5}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}}, {2, 3, 4, 5},
       false, {}},
      {"claw stays without extend", "extend=0", 5, claw, {2, 3, 4}, false, {}},
      {"one proven pair after the extension: unchanged without extend", "extend=0", 5, arm, {3, 4, 5}, false, {}},
  };
}

class ExpansionCases : public testing::TestWithParam<Fixture> {};

TEST_P(ExpansionCases, ReplacesProvenVerticesByTheNeededPairs) {
  const Fixture& f = GetParam();
  tesmotest::LogCapture capture(3);
  setShellOptions(f.options);
  tesmo::Graph g = tesmotest::makeGraph(f.V, f.edges, f.terminals);
  tesmo::ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  auto expected = liveEdgeTriples(R);
  if (f.vertexOneRemoved) {
    std::erase_if(expected, [](const auto& e) { return std::get<0>(e) == 1; });
    expected.insert(expected.end(), f.added.begin(), f.added.end());
    std::sort(expected.begin(), expected.end());
  }
  tesmo::gridderBrasil(R);
  EXPECT_EQ(R.hasLiveSlot(1), !f.vertexOneRemoved);
  EXPECT_EQ(liveEdgeTriples(R), expected);
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
  EXPECT_NE(capture.text().find(f.vertexOneRemoved ? "replaced: 1" : "replaced: 0"), std::string::npos) << capture.text();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ExpansionCases, testing::ValuesIn(fixtures()),
                         [](const testing::TestParamInfo<Fixture>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c) name += std::isalnum(*c) ? *c : '_';
                           return name;
                         });

TEST(ExpansionEngine, VertexOfTheStoredTreeIsTestedOnlyWhenAllowed) {
  for (const int allow : {0, 1})
    EXPECT_EQ(steinertest::storedTreeVertexKept([](tesmo::ReduceGraph& R) { tesmo::gridderBrasil(R); }, allow), allow == 0 ? 1 : 0)
        << "gAllowDestroyUpper " << allow;
}

TEST(ExpansionEngine, ClawIsReplacedByAllPairsWithExtend) {
  // A zero-cost arm makes the star never cheaper than two of its pairs, yet no pair has a way
  // around vertex 1: with extend vertex 1 goes and every pair of its neighbours is joined at the
  // cost of its two star edges, 2-3 and 2-4 by edges, 3-4 through 2 (1 + 1) once those are in.
  tesmotest::LogCapture capture(4);
  setShellOptions("extend=1");
  const tesmo::Graph g = tesmotest::makeGraph(5, {{1, 2, 0}, {1, 3, 1}, {1, 4, 1}, {2, 5, 4}}, {2, 3, 4, 5});
  tesmo::ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  tesmo::gridderBrasil(R);
  EXPECT_FALSE(R.hasLiveSlot(1));
  EXPECT_EQ(liveEdgeTriples(R), (std::vector<std::tuple<int, int, int>>{{2, 3, 1}, {2, 4, 1}, {2, 5, 4}}))
      << capture.text();
  EXPECT_NE(capture.text().find("replacing 1 with (2 edges)"), std::string::npos) << capture.text();
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
}

TEST(ExpansionEngine, ExtendedArmProvesWhatTheStarCannot) {
  // The arm instance of the fixtures: 1 goes with 2-3 and 2-4 in its place; then 2 (now with
  // the edges to 5, 3, 4) is the next to go, as 3, 4, 5 are joined pairwise.
  tesmotest::LogCapture capture(4);
  setShellOptions("extend=1");
  const tesmo::Graph g =
      tesmotest::makeGraph(5, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {2, 5, 1}, {5, 3, 2}, {5, 4, 2}, {3, 4, 2}}, {3, 4, 5});
  tesmo::ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  tesmo::gridderBrasil(R);
  EXPECT_NE(capture.text().find("replacing 1 with (2 edges)"), std::string::npos) << capture.text();
  EXPECT_EQ(liveEdgeTriples(R), (std::vector<std::tuple<int, int, int>>{{3, 4, 2}, {3, 5, 2}, {4, 5, 2}}));
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
}

TEST(ExpansionEngine, MoreAscentRootsThanTerminalsUsesEveryTerminal) {
  // 50 roots asked for, 3 terminals: one ascent from each terminal, none twice.
  tesmotest::LogCapture capture(4);
  setShellOptions("gUseAscent=50");
  const tesmo::Graph g = tesmotest::makeGraph(6, {{1, 2, 2}, {1, 3, 2}, {1, 4, 2}, {2, 3, 3}, {2, 4, 3}, {3, 5, 1}, {4, 6, 1}}, {2, 5, 6});
  tesmo::ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  tesmo::gridderBrasil(R);
  std::vector<int> roots;
  const std::string marker = "computing lower bound and reduced costs:rootV:";
  for (const std::string& line : tesmotest::linesOf(capture.text()))
    if (line.rfind(marker, 0) == 0) roots.push_back(std::stoi(line.substr(marker.size())));
  std::sort(roots.begin(), roots.end());
  EXPECT_EQ(roots, (std::vector<int>{2, 5, 6})) << capture.text();
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
}

TEST(ExpansionEngine, ExtensionProvesVerticesAndKeepsTheOptimumOnFurtherSeeds) {
  // The extension phase must do work on degree-3-rich graphs and grids, and keep every optimum
  // there on instances beyond the option cases.
  for (const unsigned seed : {5u, 6u}) {
    std::vector<steinertest::GeneratedInstance> instances = steinertest::degreeThreeMix(200, seed);
    const auto grids = steinertest::shapeMix(steinertest::Shape::Grid, 100, seed);
    instances.insert(instances.end(), grids.begin(), grids.end());
    for (const char* options : {"extend=1 gStopExpand=3", "extend=1 gUseAscent=3 equality=0"}) {
      int proofs = 0;
      const auto failures = steinertest::checkSafetyOn(
          [&](tesmo::ReduceGraph& R) {
            setShellOptions(options);
            tesmo::ExpansionEngine engine(R);
            engine.runGridder();
            engine.gridderReport();
            proofs += engine.extensionProofs();
          },
          instances);
      EXPECT_TRUE(failures.empty()) << options << "\n" << steinertest::join(failures);
      std::printf("seed %u, %s: %d vertices proven by the extension\n", seed, options, proofs);
      EXPECT_GT(proofs, 0) << options;
    }
  }
}

struct SafetyCase {
  const char* name;
  const char* options;
  steinertest::GridderFamily family;
};

class ExpansionSafety : public testing::TestWithParam<SafetyCase> {};

TEST_P(ExpansionSafety, KeepsTheOptimumAndTheTree) {
  const SafetyCase& c = GetParam();
  const auto failures = steinertest::checkSafetyOn(
      [&c](tesmo::ReduceGraph& R) {
        setShellOptions(c.options);
        tesmo::gridderBrasil(R);
      },
      steinertest::gridderFamily(c.family));
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

std::vector<SafetyCase> safetyCases() {
  std::vector<SafetyCase> list;
  static std::vector<std::string> names, options;
  names.clear();
  options.clear();
  for (const int ascent : {0, 5})
    for (const int equality : {0, 1})
      for (const int extend : {0, 1}) {
        names.push_back("ascent" + std::to_string(ascent) + "Equality" + std::to_string(equality) + "Extend" +
                        std::to_string(extend));
        options.push_back("gUseAscent=" + std::to_string(ascent) + " equality=" + std::to_string(equality) +
                          " extend=" + std::to_string(extend));
      }
  names.insert(names.end(), {"unrestricted", "avoidVertex", "treeVertices", "noTwoPass", "noPermute", "stopExpand1",
                              "stopExpand4Ascent"});
  options.insert(options.end(), {"gRestricted=0 extend=1", "edgeavoid=0 extend=1", "gAllowDestroyUpper=1 extend=1",
                                 "gTwopass=0 testver=0", "gPermute=0 extend=1", "gStopExpand=1 extend=1",
                                 "gStopExpand=4 gUseAscent=2 extend=1 equality=0"});
  using F = steinertest::GridderFamily;
  for (std::size_t i = 0; i < names.size(); ++i) list.push_back({names[i].c_str(), options[i].c_str(), F::Mix});
  for (const F f : {F::Ladders, F::Grids, F::DegreeThree}) {
    list.push_back({f == F::Ladders ? "laddersAscent" : f == F::Grids ? "gridsAscent" : "degree3Ascent",
                    "gUseAscent=5 extend=1", f});
    list.push_back({f == F::Ladders ? "ladders" : f == F::Grids ? "grids" : "degree3", "extend=1", f});
    list.push_back({f == F::Ladders ? "laddersStop4" : f == F::Grids ? "gridsStop4" : "degree3Stop4",
                    "gStopExpand=4 gPermute=0 extend=1", f});
  }
  return list;
}

INSTANTIATE_TEST_SUITE_P(Options, ExpansionSafety, testing::ValuesIn(safetyCases()),
                         [](const testing::TestParamInfo<SafetyCase>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The failed checks of the gridder modules name their condition as the modules state it; with
// exitWarning 0 the run goes on without a distance.
TEST(GridderChecks, NameTheirConditionAndModule) {
  const tesmo::Graph g = tesmotest::makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3});
  struct Case {
    const char* expected;
    std::function<void(tesmo::ReduceGraph&)> run;
  };
  const std::vector<Case> cases{
      {"Warning: (start<1 || start>G->V) in file 'gridder2.C' line ",
       [](tesmo::ReduceGraph& R) {
         tesmo::BoundedSearch search(R.V);
         EXPECT_EQ(search.run(R, 0, 3, 0, 0, 0, 10, "gridder2.C"), tesmo::maxint);
       }},
      {"Warning: (stop<1 || stop>G->V) in file 'gridder.C' line ",
       [](tesmo::ReduceGraph& R) {
         tesmo::BoundedSearch search(R.V);
         EXPECT_EQ(search.run(R, 1, R.V + 1, 0, 0, 0, 10, "gridder.C"), tesmo::maxint);
       }},
      {"Warning: (stop<1 || stop>G->V) in file 'gridder.C' line ",
       [](tesmo::ReduceGraph& R) {
         tesmo::ArmSearch search(R.V);
         search.start(1, 2);
         EXPECT_EQ(search.continueSearch(R, R.V + 1, 10), tesmo::maxint);
       }},
      {"Warning: (useAscent && !(restrictedSpecial && testver)) in file 'gridder.C' line ",
       [](tesmo::ReduceGraph& R) {
         tesmo::shell.setAssignment("gUseAscent=1");
         tesmo::shell.setAssignment("gRestricted=0");
         tesmo::gridderBrasil(R);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    tesmotest::LogCapture capture(3);
    tesmo::shell.setAssignment("exitWarning=0");
    tesmo::ReduceGraph R(g);
    c.run(R);
    EXPECT_NE(capture.text().find(c.expected), std::string::npos) << capture.text();
  }
}

}  // namespace
