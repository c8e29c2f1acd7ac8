// Chain dominance of letter G: what it deletes on small ladders, what it must leave alone, and
// the safety test on the standard mix and on ladders, grids and degree-3-rich graphs.

#include "Gridder.h"
#include "ReduceGraph.h"
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

using tesmotest::Edge;

struct Fixture {
  const char* name;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  int deletedEdges;  // expected edge deletions of one pass
};

std::vector<Fixture> fixtures() {
  return {
      // Triangle 1-2-3 hanging at 3 from the terminals: 1 and 2 are non-terminals of degree 2,
      // 1-2 is dominated by 2-3 (cost 1 <= 1) so the chain 1-2 goes.
      {"pendant triangle", 5, {{1, 2, 1}, {1, 3, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}}, {4, 5}, 1},
      // A square 1-2-3-4 whose opposite sides are no dearer: edge 1-2 (non-terminals 1, 2 of
      // degree 2) is replaced by 1-4-3-2 only when costs allow: here 4-3 = 1 <= 1-2 = 5 and
      // 2-3 = 1 <= 1-4 = 1.
      {"dominated square side", 4, {{1, 2, 5}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {3, 4}, 1},
      // The path 4-1-2-3 is the optimum and the parallel side 3-4 is dear: nothing dominates.
      {"needed path beside a dear side", 4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 5}, {4, 1, 1}}, {3, 4}, 0},
      // Every non-terminal has degree 4 or more: no start vertex.
      {"no start vertex", 5, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 2, 1}},
       {2, 3, 4, 5}, 0},
  };
}

class GridderCases : public testing::TestWithParam<Fixture> {};

TEST_P(GridderCases, DeletesOnlyDominatedChains) {
  const Fixture& f = GetParam();
  tesmotest::LogCapture capture(3);
  tesmo::shell.clearVariables();
  tesmo::Graph g = tesmotest::makeGraph(f.V, f.edges, f.terminals);
  tesmo::ReduceGraph R(g);
  const int before = R.Eanz;
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  tesmo::Gridder gridder(R);
  gridder.run();
  EXPECT_EQ(gridder.deletedEdges(), f.deletedEdges);
  EXPECT_EQ(R.Eanz, before - f.deletedEdges);
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
  const std::string expected = "successful probes: " + std::to_string(gridder.successfulProbes()) +
                               ", deleted edges: " + std::to_string(f.deletedEdges);
  EXPECT_NE(capture.text().find(expected), std::string::npos) << capture.text();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GridderCases, testing::ValuesIn(fixtures()),
                         [](const testing::TestParamInfo<Fixture>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c) name += std::isalnum(*c) ? *c : '_';
                           return name;
                         });

TEST(Gridder, EdgeToATerminalIsNeverACandidate) {
  // The dominated square of above, with vertex 2 required: the side 1-2 ends at a terminal.
  tesmo::shell.clearVariables();
  tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 5}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {2, 3, 4});
  tesmo::ReduceGraph R(g);
  tesmo::Gridder gridder(R);
  gridder.run();
  EXPECT_EQ(gridder.deletedEdges(), 0);
}

TEST(Gridder, StoredTreeBlocksItsEdgesUnlessAllowed) {
  // Square with the dominated side 1-2 in the stored tree 3-2-1-4.
  tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 5}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {3, 4});
  for (const int allow : {0, 1}) {
    tesmo::shell.clearVariables();
    tesmo::shell.Sset("allowDestroyUpper", std::to_string(allow));
    tesmo::ReduceGraph R(g);
    tesmo::IntArray tree = tesmotest::slotList(R, {{3, 2}, {2, 1}, {1, 4}});
    R.setUpper(tree, "test", 0);
    ASSERT_TRUE(R.upperOk);
    tesmo::Gridder gridder(R);
    gridder.run();
    EXPECT_EQ(gridder.deletedEdges(), allow) << "allowDestroyUpper " << allow;
    EXPECT_EQ(R.upperOk != 0, allow == 0);
  }
}

TEST(Gridder, GridOptionRunsOnlyTheGridPruning) {
  tesmotest::LogCapture capture(5);
  tesmo::shell.Sset("gridGrid", "1");
  tesmo::shell.Sset("xtGrid", "1");
  tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 5}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {3, 4});
  tesmo::ReduceGraph R(g);
  tesmo::gridder(R);
  EXPECT_EQ(capture.text().find("successful probes"), std::string::npos);
  EXPECT_EQ(capture.text().find("probing variant"), std::string::npos);
}

TEST(Gridder, ProbeDeletesARungDominatedByTheSideLabels) {
  // 2 and 3 are non-terminals of degree 2 on the way 1-2-3-4 (costs 10, 1, 5) beside the edge
  // 1-4 of cost 1: the label of the side end 1 reaches 4 within the rung's cost, over a side edge
  // no cheaper than 3-4, so the rung 2-3 goes.
  tesmotest::LogCapture capture(3);
  steinertest::setShellOptions("xtGrid=5");
  const tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 10}, {2, 3, 1}, {3, 4, 5}, {1, 4, 1}}, {1, 4});
  tesmo::ReduceGraph R(g);
  tesmo::gridder(R);
  EXPECT_EQ(steinertest::liveEdgeTriples(R), (std::vector<std::tuple<int, int, int>>{{1, 2, 10}, {1, 4, 1}, {3, 4, 5}}));
  EXPECT_NE(capture.text().find("successful probes: 1,deleted edges: 1\n"), std::string::npos) << capture.text();
}

TEST(Gridder, ProbeLeavesARungWhoseSidesAreCheaper) {
  // As above with the way 1-4 (cost 2) longer than the rung: from neither end does the side
  // label reach the far edge in time.
  tesmotest::LogCapture capture(3);
  steinertest::setShellOptions("xtGrid=5");
  const tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 4}, {2, 3, 1}, {3, 4, 3}, {1, 4, 2}}, {1, 4});
  tesmo::ReduceGraph R(g);
  tesmo::gridder(R);
  EXPECT_EQ(R.Eanz, 4);
  EXPECT_NE(capture.text().find("successful probes: 0,deleted edges: 0\n"), std::string::npos) << capture.text();
}

struct SafetyCase {
  const char* name;
  const char* options;  // name=value, blank-separated
  steinertest::GridderFamily family;
};

class GridderSafety : public testing::TestWithParam<SafetyCase> {};

TEST_P(GridderSafety, KeepsTheOptimumAndTheTree) {
  const SafetyCase& c = GetParam();
  const auto failures = steinertest::checkSafetyOn(
      [&c](tesmo::ReduceGraph& R) {
        steinertest::setShellOptions(c.options);
        tesmo::gridder(R);
      },
      steinertest::gridderFamily(c.family));
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

TEST(Gridder, ProbeNeverLeansOnTheChainItself) {
  // The only way between the terminals 2 and 4 is 2-1-3-4, all of cost 0. A side label spread
  // through the start vertex 1 would reach 4 along the chain itself and "dominate" it.
  steinertest::setShellOptions("xtGrid=5");
  const tesmo::Graph g = tesmotest::makeGraph(4, {{2, 1, 0}, {1, 3, 0}, {3, 4, 0}}, {2, 4});
  tesmo::ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  tesmo::gridder(R);
  EXPECT_EQ(R.Eanz, 3);
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
}

TEST(Gridder, ProbeReducesLadders) {
  // The safety cases would pass for a probe that never deletes.
  int changed = 0;
  const auto instances = steinertest::gridderFamily(steinertest::GridderFamily::Ladders);
  for (const auto& instance : instances) {
    steinertest::setShellOptions("xtGrid=5");
    tesmo::ReduceGraph R(instance.graph);
    const int before = R.Eanz;
    tesmo::gridder(R);
    if (R.Eanz != before) ++changed;
  }
  std::printf("probe changed %d of %zu ladders\n", changed, instances.size());
  EXPECT_GT(changed, static_cast<int>(instances.size()) / 20);
}

TEST(Gridder, ProbeKeepsTheOptimumOnFurtherSeeds) {
  // The probe's labels make ties easy (zero-cost edges among them): more instances than the
  // option cases.
  for (const unsigned seed : {3u, 4u}) {
    steinertest::SafetyOptions options;
    options.instances = 400;
    options.seed = seed;
    const auto failures = steinertest::checkSafety(
        [](tesmo::ReduceGraph& R) {
          steinertest::setShellOptions("xtGrid=4 gLimit2=6");
          tesmo::gridder(R);
        },
        options);
    EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  }
}

using F = steinertest::GridderFamily;
INSTANTIATE_TEST_SUITE_P(Options, GridderSafety,
                         testing::Values(SafetyCase{"mix", "", F::Mix}, SafetyCase{"mixTreeEdges", "allowDestroyUpper=1", F::Mix},
                                         SafetyCase{"mixFromDegree3", "gLimit0=3 gLimit2=8", F::Mix},
                                         SafetyCase{"ladders", "", F::Ladders}, SafetyCase{"grids", "", F::Grids},
                                         SafetyCase{"degree3", "", F::DegreeThree},
                                         SafetyCase{"degree3NoSideHops", "gLimit2=0", F::DegreeThree},
                                         SafetyCase{"probeMix", "xtGrid=5", F::Mix},
                                         SafetyCase{"probeOneRound", "xtGrid=1 gLimit2=8", F::Mix},
                                         SafetyCase{"probeLadders", "xtGrid=5", F::Ladders},
                                         SafetyCase{"probeGrids", "xtGrid=5", F::Grids},
                                         SafetyCase{"probeDegree3", "xtGrid=3", F::DegreeThree}),
                         [](const testing::TestParamInfo<SafetyCase>& info) { return std::string(info.param.name); });

}  // namespace
