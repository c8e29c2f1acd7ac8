// The algorithms "reduction" and "reduction_phase": scripts in their phases, the tree handed
// back through the export, and program 1 on generated instances.

#include "Reduction.h"

#include "AlgorithmTable.h"
#include "Graph.h"
#include "HandedTree.h"
#include "LogStream.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "ScriptLetters.h"
#include "Shell.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "SafetyTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

using tesmo::Graph;

namespace {

std::string trace;

// Runs the algorithm on input and returns the tree it hands back, in arcs of input.
struct Outcome {
  std::unique_ptr<Graph> exported;
  tesmo::IntArray tree;
  std::int64_t cost = -1;
  bool asIDs = false;
};

Outcome runOn(Graph& input, void (*algorithm)()) {
  tesmo::currentGraph = &input;
  tesmo::solutionList.assign(input.E + 2, 0);
  algorithm();
  Outcome out;
  if (tesmo::currentGraph != &input) out.exported.reset(tesmo::currentGraph);
  tesmo::currentGraph = nullptr;
  out.asIDs = out.exported && out.exported->solutionAsIDs;
  const int saved = tesmo::verbose;
  tesmo::verbose = 0;
  if (out.exported) tesmo::expandSolution(*out.exported, tesmo::solutionList, input);
  tesmo::verbose = saved;
  out.tree.assign(tesmo::solutionList.begin(), tesmo::solutionList.begin() + tesmo::solutionList[0] + 1);
  out.cost = steinertest::steinerTreeCost(input, out.tree);
  return out;
}

class ReductionTest : public testing::Test {
protected:
  void SetUp() override {
    tesmo::registerScriptLetters();
    trace.clear();
  }
  void TearDown() override {
    tesmo::ScriptLetters::unregisterLetter('l');
    tesmo::ScriptLetters::unregisterLetter('x');
  }
  tesmotest::LogCapture capture_{3};
};

// Taxa 1, 2 and 3 hang on the Steiner vertex 5 by links of cost 2; the direct link 1-2 costs 9
// and the Steiner vertex 4 is a dead end behind 3 (cost 1).
Graph starGraph() {
  return tesmotest::makeGraph(5, {{1, 5, 2}, {5, 2, 2}, {5, 3, 2}, {1, 2, 9}, {3, 4, 1}}, {1, 2, 3});
}

// The value runReduction returns names the export that replaced currentGraph and the numbering of
// the list: identities of a handed-back tree, slots of the empty list of an instance reduced to
// one vertex, and what a second algorithm left (tm3: slots of the export). The cases run in this
// order, each adding its settings to the ones before.
TEST_F(ReductionTest, TheReturnedTreeNamesTheExportAndItsNumbering) {
  tesmo::setSecondAlgorithmRunner(tesmo::runAlgorithm);
  struct Case {
    const char* name;
    Graph input;
    const char* order;
    const char* second;
    tesmo::TreeNumbering numbering;
    std::int64_t cost;
  };
  Case cases[] = {
      {"handed back", starGraph(), nullptr, nullptr, tesmo::TreeNumbering::identities, 6},
      {"one vertex left", tesmotest::makeGraph(3, {{1, 2, 2}, {2, 3, 3}}, {1, 3}), "v", nullptr,
       tesmo::TreeNumbering::slots, 5},
      {"second algorithm", starGraph(), "v", "tm3", tesmo::TreeNumbering::slots, 6},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.order) tesmo::shell.Sset("R-order", c.order);
    if (c.second) tesmo::shell.Sset("algo2", c.second);
    tesmo::currentGraph = &c.input;
    tesmo::solutionList.assign(c.input.E + 2, 0);
    const tesmo::HandedTree tree = tesmo::runReduction();
    std::unique_ptr<Graph> exported(tesmo::currentGraph != &c.input ? tesmo::currentGraph : nullptr);
    tesmo::currentGraph = nullptr;
    ASSERT_TRUE(exported);
    EXPECT_EQ(tree.graph, exported.get());
    EXPECT_EQ(tree.edges, &tesmo::solutionList);
    EXPECT_EQ(tree.numbering, c.numbering);
    EXPECT_EQ(tesmo::expandTree(tree, c.input), c.cost);
  }
}

TEST_F(ReductionTest, WithoutAnyScriptTheHeuristicsGiveTheTree) {
  Graph input = starGraph();
  const Outcome out = runOn(input, tesmo::reduction);
  EXPECT_TRUE(out.asIDs);
  EXPECT_EQ(out.cost, 6);
  std::set<std::pair<int, int>> edges;
  for (int i = 1; i <= out.tree[0]; ++i) {
    const tesmo::Arc& a = input.arcs[out.tree[i]];
    edges.insert({std::min(a.tail, a.head), std::max(a.tail, a.head)});
  }
  EXPECT_EQ(edges, (std::set<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}}));
}

TEST_F(ReductionTest, ClosedBoundsSkipTheLaterScripts) {
  tesmo::ScriptLetters::registerLetter('l', "lower(&R)", [](tesmo::ReduceGraph& R) {
    trace += 'l';
    R.setLower(R.upperValue, 0);
  });
  tesmo::ScriptLetters::registerLetter('x', "gridder_brasil2(&R)", [](tesmo::ReduceGraph&) { trace += 'x'; });
  tesmo::shell.Sset("R-first", "ul");
  tesmo::shell.Sset("R-order", "x");
  tesmo::shell.Sset("R-last", "x");
  Graph input = starGraph();
  const Outcome out = runOn(input, tesmo::reduction);
  EXPECT_EQ(trace, "l");
  EXPECT_EQ(out.cost, 6);
  EXPECT_TRUE(out.asIDs);
  EXPECT_EQ(tesmo::shell.phase, 0);
}

TEST_F(ReductionTest, ScriptsRunInTheirPhases) {
  tesmo::ScriptLetters::registerLetter('x', "gridder_brasil2(&R)", [](tesmo::ReduceGraph&) {
    trace += tesmo::shell.phase;
  });
  tesmo::shell.Sset("R-first", "x");
  tesmo::shell.Sset("R-order", "x;2x");
  tesmo::shell.Sset("R-last", "x");
  Graph input = starGraph();
  runOn(input, tesmo::reduction);
  EXPECT_EQ(trace, "FO2L");
}

TEST_F(ReductionTest, AnInstanceReducedToOneTerminalKeepsItsContractions) {
  // 1 - 2 - 3 with terminals 1 and 3: the degree tests leave one vertex.
  tesmo::shell.Sset("R-order", "v");
  Graph input = tesmotest::makeGraph(3, {{1, 2, 2}, {2, 3, 3}}, {1, 3});
  const Outcome out = runOn(input, tesmo::reduction);
  EXPECT_NE(capture_.text().find("Graph reduced to a single vertex! contracted cost:5\n"), std::string::npos)
      << capture_.text();
  EXPECT_EQ(out.cost, 5);
}

TEST_F(ReductionTest, ASecondAlgorithmWorksOnTheExport) {
  tesmo::setSecondAlgorithmRunner(tesmo::runAlgorithm);
  tesmo::shell.Sset("R-order", "v");
  tesmo::shell.Sset("algo2", "tm3");
  Graph input = starGraph();
  const Outcome out = runOn(input, tesmo::reduction);
  EXPECT_FALSE(out.asIDs);
  EXPECT_EQ(out.cost, 6);
  tesmo::shell.Sset("algo2", "0");
  const Outcome handedBack = runOn(input, tesmo::reduction);
  EXPECT_TRUE(handedBack.asIDs);
  EXPECT_EQ(handedBack.cost, 6);
}

TEST_F(ReductionTest, PhaseAlgorithmChoosesTheClassAndHandsBackOnlyProvenTrees) {
  // Three terminals of degree 10 among 25 vertices: degree sum 30 is not above 10 * 3.
  std::vector<tesmotest::Edge> edges;
  for (int k = 1; k <= 3; ++k)
    for (int j = 0; j < 10; ++j) edges.push_back({k, 4 + (k * 7 + j) % 22, 1 + j});
  for (int v = 4; v < 25; ++v) edges.push_back({v, v + 1, 1});
  Graph input = tesmotest::makeGraph(25, edges, {1, 2, 3});
  tesmo::shell.Sset("R-order", "u");
  const Outcome out = runOn(input, tesmo::reductionPhase);
  const std::string log = capture_.text();
  EXPECT_NE(log.find("average degree for R: 10; few required vertices ---> shell.Phase=W\n"), std::string::npos)
      << log;
  EXPECT_EQ(tesmo::shell.Phase, 'W');
  EXPECT_EQ(out.tree[0], 0);  // a tree, but no proof of its optimality
}

struct ProgramOneCase {
  const char* name;
  const char* order;
};

class ProgramOne : public testing::TestWithParam<ProgramOneCase> {};

// Program 1's settings on generated instances: a tree of the instance, never below the optimum.
TEST_P(ProgramOne, GivesAValidTreeOfAtLeastTheOptimum) {
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  tesmo::shell.Sset("R-order", GetParam().order);
  for (auto& instance : steinertest::instanceMix(120, 11)) {
    tesmo::ReduceGraph R(instance.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    const Outcome out = runOn(instance.graph, tesmo::reduction);
    ASSERT_GE(out.cost, optimum) << instance.description;
  }
  tesmo::shell.clearVariables();
}

INSTANTIATE_TEST_SUITE_P(Settings, ProgramOne,
                         testing::Values(ProgramOneCase{"defaults", "A"}, ProgramOneCase{"upper", "u"},
                                         ProgramOneCase{"degreeTestsThenTm", "(v)T"},
                                         ProgramOneCase{"pruneLoop", "(vp)u"}),
                         [](const testing::TestParamInfo<ProgramOneCase>& info) { return std::string(info.param.name); });

}  // namespace
