// The branch and bound against independent exact answers, over its options, and its ends:
// time-out, deep searches, a value without a tree, and the log lines callers look for.

#include "BranchAndBound.h"
#include "BruteForceOracle.h"
#include "DreyfusWagner.h"
#include "Exact.h"
#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "LogCapture.h"
#include "ProgramDefaults.h"
#include "RandomInstances.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "ScriptLetters.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::IntArray;
using tesmo::ReduceGraph;

namespace {

// The letters of the scripts, as the program has them.
class Letters : public testing::Environment {
  void SetUp() override { tesmo::registerScriptLetters(); }
};
const auto* const letters = testing::AddGlobalTestEnvironment(new Letters);

std::int64_t dreyfusWagner(const tesmo::Graph& g) {
  const ReduceGraph R(g);
  return steinertest::dreyfusWagner(R) + R.contractCost;
}

tesmo::Graph grid(int rows, int cols, std::mt19937& rng, int terminalCount, int maxCost) {
  std::vector<Edge> edges;
  std::uniform_int_distribution<int> cost(1, maxCost);
  auto id = [cols](int r, int c) { return r * cols + c + 1; };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      if (c + 1 < cols) edges.push_back({id(r, c), id(r, c + 1), cost(rng)});
      if (r + 1 < rows) edges.push_back({id(r, c), id(r + 1, c), cost(rng)});
    }
  std::vector<int> order(rows * cols);
  for (int i = 0; i < rows * cols; ++i) order[i] = i + 1;
  std::shuffle(order.begin(), order.end(), rng);
  order.resize(terminalCount);
  return makeGraph(rows * cols, edges, order);
}

// The harness's mix (sparse and dense random graphs, grids, ladders, wheels; ties, zero costs,
// parallel paths) and larger grids, up to 40 non-required vertices.
std::vector<tesmo::Graph> instances(int count, unsigned seed) {
  std::vector<tesmo::Graph> result;
  for (auto& generated : steinertest::instanceMix(count, seed)) result.push_back(std::move(generated.graph));
  std::mt19937 rng(seed);
  for (int i = 0; i < count / 5; ++i) result.push_back(grid(4 + i % 3, 6 + i % 4, rng, 3 + i % 6, 1 + i % 4));
  return result;
}

struct Solved {
  int value;
  std::int64_t treeCost;
  bool isTree;
  int lower;
};

Solved solve(const tesmo::Graph& g) {
  ReduceGraph R(g);
  R.resetLower();
  Solved s{};
  s.value = tesmo::branching(R, tesmo::maxint);
  std::vector<int> arcs;
  s.treeCost = 0;
  for (int k = 1; k <= tesmo::solutionList[0]; ++k) {
    arcs.push_back(R.ID[tesmo::solutionList[k]]);
    s.treeCost += R.arcs[tesmo::solutionList[k]].cost;
  }
  s.isTree = isSteinerTree(g, arcs);
  s.lower = R.lowerValue;
  return s;
}

// The search's answer is the optimum, proven, with a tree of that cost.
void expectOptimal(const Solved& s, std::int64_t optimum, const std::string& where) {
  EXPECT_EQ(s.value, optimum) << where;
  EXPECT_TRUE(s.isTree) << where;
  EXPECT_EQ(s.treeCost, optimum) << where;
  EXPECT_EQ(s.lower, optimum) << where;  // proven: lower meets upper
}

struct Settings {
  const char* name;
  std::vector<const char*> assignments;
  char programClass = 0;  // 'W' or 'V': the scripts and options of program 2 in that class
};

// Node script "v", or with a class letter the scripts and options of program 2 in that class.
void useScripts(char programClass) {
  tesmo::shell.Sset("Reduction", "v");
  if (programClass) {
    tesmo::setProgramDefaults('2');
    tesmo::shell.Phase = programClass;
  }
}

class BranchAndBoundSettings : public testing::TestWithParam<Settings> {};

TEST_P(BranchAndBoundSettings, EqualsTheOracleOnGeneratedInstances) {
  const std::vector<tesmo::Graph> graphs = instances(100, 1234);
  tesmotest::LogCapture capture(0);
  useScripts(GetParam().programClass);
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  for (std::size_t i = 0; i < graphs.size(); ++i) {
    const std::int64_t optimum = dreyfusWagner(graphs[i]);
    const Solved s = solve(graphs[i]);
    expectOptimal(s, optimum, "instance " + std::to_string(i));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Options, BranchAndBoundSettings,
    testing::Values(Settings{"defaults", {}}, Settings{"noScript", {"Reduction="}},
                    Settings{"programW", {}, 'W'}, Settings{"programV", {}, 'V'},
                    Settings{"programWNoLeaves", {"exactMstMax=0"}, 'W'},
                    Settings{"modeStart", {"branchMode=-1"}}, Settings{"modeDegree", {"branchMode=0"}},
                    Settings{"modeTree", {"branchMode=2"}}, Settings{"modeSlot", {"branchMode=3"}},
                    Settings{"bestFirst", {"bestFirst=1"}}, Settings{"deleteFirst", {"forwardBranching=0"}},
                    Settings{"noGlobalUpper", {"useGlobalUpper=0"}},
                    Settings{"tinyLeavesTinyStack", {"exactMstMax=1", "Stack=2"}},
                    // Without the enumeration of small nodes every vertex is branched on.
                    Settings{"bestFirstNoLeaves", {"bestFirst=1", "exactMstMax=0"}},
                    Settings{"deleteFirstNoLeaves", {"forwardBranching=0", "exactMstMax=0"}},
                    Settings{"slotNoLeaves", {"branchMode=3", "exactMstMax=0"}},
                    Settings{"treeNoLeaves", {"branchMode=2", "exactMstMax=0", "useGlobalUpper=0"}}),
    [](const testing::TestParamInfo<Settings>& info) { return std::string(info.param.name); });

// Words of length `length` over `letters` letters, joined where they differ in one letter: dense,
// symmetric graphs with many optimal trees of one cost, where the undirected component bound of
// the default scripts is far above the directed ascents.
tesmo::Graph hamming(int letters, int length, std::mt19937& rng, int terminalCount, int maxCost) {
  int n = 1;
  for (int i = 0; i < length; ++i) n *= letters;
  std::vector<Edge> edges;
  std::uniform_int_distribution<int> cost(1, maxCost);
  for (int v = 0; v < n; ++v)
    for (int i = 0, place = 1; i < length; ++i, place *= letters) {
      const int digit = v / place % letters;
      for (int c = digit + 1; c < letters; ++c) edges.push_back({v + 1, v + (c - digit) * place + 1, cost(rng)});
    }
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i + 1;
  std::shuffle(order.begin(), order.end(), rng);
  order.resize(terminalCount);
  return makeGraph(n, edges, order);
}

TEST(BranchAndBound, ProgramScriptsEqualTheOracleOnHammingGraphs) {
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("Reduction", "v");
  tesmo::setProgramDefaults('2');
  tesmo::shell.Phase = 'W';
  std::mt19937 rng(36);
  for (int round = 0; round < 24; ++round) {
    const bool cube = round % 2 == 0;  // 27 vertices of 6 neighbours, or 16 of 6 (4 letters, 2 long)
    const tesmo::Graph g = cube ? hamming(3, 3, rng, 4 + round % 5, 1 + round % 3)
                                : hamming(4, 2, rng, 3 + round % 5, 1 + round % 3);
    const std::int64_t optimum = dreyfusWagner(g);
    const Solved s = solve(g);
    expectOptimal(s, optimum, "round " + std::to_string(round));
  }
}

// Costs on a coarse step make every tree value a multiple of it, and the nodes then look only
// for trees at least one step below the best: the optimum must come out all the same, also when
// one edge breaks the step (a finer common step) or the step is 1 after all. Without the
// enumeration of small nodes the search branches on every vertex. Each instance is solved from
// scratch and with a seeded value one unit short of a step above the optimum, the tightest value
// the rule may cut to the optimum itself.
struct CoarseCosts {
  const char* name;
  int factor;
  int firstEdgeExtra;     // added to the first edge's cost after scaling
  char programClass = 0;  // 0: a bare script and no enumeration of small nodes
};

class CoarseCostSteps : public testing::TestWithParam<CoarseCosts> {};

TEST_P(CoarseCostSteps, EqualTheOracle) {
  const std::vector<tesmo::Graph> graphs = instances(60, 4321);
  tesmotest::LogCapture capture(0);
  useScripts(GetParam().programClass);
  if (!GetParam().programClass) tesmo::shell.setAssignment("exactMstMax=0");
  const int step = GetParam().firstEdgeExtra == 0 ? GetParam().factor : std::gcd(GetParam().factor, GetParam().firstEdgeExtra);
  for (std::size_t i = 0; i < graphs.size(); ++i) {
    tesmo::Graph g = graphs[i];
    for (int a = 1; a <= 2 * g.E; ++a) g.arcs[a].cost *= GetParam().factor;
    g.arcs[1].cost += GetParam().firstEdgeExtra;
    g.arcs[2].cost += GetParam().firstEdgeExtra;
    g.maxCost = g.maxCost * GetParam().factor + GetParam().firstEdgeExtra;
    const std::int64_t optimum = dreyfusWagner(g);
    const Solved s = solve(g);
    expectOptimal(s, optimum, "instance " + std::to_string(i));

    ReduceGraph R(g);
    R.resetLower();
    R.upperValue = static_cast<int>(optimum + step - 1);
    R.upperValueValid = 0;
    ASSERT_EQ(tesmo::branching(R, tesmo::maxint), optimum) << "seeded, instance " << i;
    EXPECT_TRUE(R.upperOk) << "seeded, instance " << i;
    EXPECT_EQ(R.lowerValue, optimum) << "seeded, instance " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CoarseCostSteps,
    testing::Values(CoarseCosts{"ten", 10, 0}, CoarseCosts{"seven", 7, 0}, CoarseCosts{"fiveByOneEdge", 10, 5},
                    CoarseCosts{"oneByOneEdge", 10, 1}, CoarseCosts{"tenProgramW", 10, 0, 'W'},
                    CoarseCosts{"tenProgramV", 10, 0, 'V'}),
    [](const testing::TestParamInfo<CoarseCosts>& info) { return std::string(info.param.name); });

TEST(BranchAndBound, OracleAgreesWithBruteForceOnSmallInstances) {
  // The oracle is itself checked against the enumeration of edge sets.
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    const int V = 4 + round % 6;
    const tesmo::Graph g = randomSimpleGraph(rng, V, V + 4, 2 + round % 3, round % 2 ? 3 : 9);
    EXPECT_EQ(dreyfusWagner(g), bruteForce(g).optimum) << round;
  }
}

// A grid no root node can close: it needs branching, and a stopped search has open nodes.
tesmo::Graph hardGrid() {
  std::mt19937 rng(3);
  return grid(6, 6, rng, 8, 1);
}

TEST(BranchAndBound, TimeOutKeepsAValidLowerBoundAndSaysSo) {
  const tesmo::Graph g = hardGrid();
  const std::int64_t optimum = dreyfusWagner(g);
  tesmotest::LogCapture capture(2);
  tesmo::shell.Sset("Reduction", "v");
  tesmo::shell.Sset("exactMstMax", "0");
  tesmo::shell.Sset("R-maxSec", "0");
  ReduceGraph R(g);
  R.resetLower();
  tesmo::BranchAndBound search;
  const int value = search.run(R, "G", 1);
  ASSERT_TRUE(search.timedOut());
  EXPECT_GT(search.openNodes(), 0);
  EXPECT_LE(R.lowerValue, optimum);
  EXPECT_GE(value, optimum);
  EXPECT_LT(R.lowerValue, R.upperValue);  // nothing claimed optimal
  const std::string log = capture.text();
  EXPECT_NE(log.find("Time out!\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\nbranching finished: step: 1, stack: " + std::to_string(search.openNodes()) + "\n"),
            std::string::npos) << log;
}

// Node scripts with the heuristic deletions r and R: a small node left after them is solved by
// enumeration, but on less than the node, so the search must not claim an optimum; the plain
// script on the same instances still proves one.
TEST(BranchAndBound, HeuristicNodeScriptsClaimNoOptimum) {
  tesmotest::LogCapture capture(0);
  const std::vector<tesmo::Graph> list = instances(24, 9);
  for (const char* script : {"v", "vr", "(vR)", "r"}) {
    const bool heuristicScript = std::string(script) != "v";
    int heuristicRuns = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::int64_t optimum = dreyfusWagner(list[i]);
      tesmo::shell.clearVariables();
      tesmo::shell.Sset("Reduction", script);
      ReduceGraph R(list[i]);
      R.resetLower();
      tesmo::BranchAndBound search;
      const int value = search.run(R, "G", 1);
      const std::string what = std::string(script) + " instance " + std::to_string(i);
      EXPECT_GE(value, optimum) << what;
      EXPECT_LE(R.lowerValue, optimum) << what;
      if (search.heuristic()) {
        ++heuristicRuns;
        EXPECT_EQ(R.lowerValue, 0) << what;
      } else {
        // Small instances are enumerated at once, without a node script: then the search is exact.
        EXPECT_EQ(value, optimum) << what;
        EXPECT_EQ(R.lowerValue, value) << what;
      }
    }
    if (heuristicScript) EXPECT_GT(heuristicRuns, 12) << script;
    else EXPECT_EQ(heuristicRuns, 0);
  }
}

TEST(BranchAndBound, StackGrowsBeyondItsFirstSize) {
  const tesmo::Graph g = hardGrid();
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("Reduction", "v");
  tesmo::shell.Sset("Stack", "2");
  tesmo::shell.Sset("exactMstMax", "0");
  EXPECT_EQ(solve(g).value, dreyfusWagner(g));
}

TEST(BranchAndBound, ValueWithoutATreeStillEndsWithATree) {
  // A seeded upper bound equal to the optimum prunes, yet the search returns a tree of that value.
  const tesmo::Graph g = hardGrid();
  const std::int64_t optimum = dreyfusWagner(g);
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("Reduction", "v");
  ReduceGraph R(g);
  R.resetLower();
  R.upperValue = static_cast<int>(optimum);
  R.upperValueValid = 0;
  EXPECT_EQ(tesmo::branching(R, tesmo::maxint), optimum);
  EXPECT_TRUE(R.upperOk);
  EXPECT_EQ(R.lowerValue, optimum);
  EXPECT_GT(tesmo::solutionList[0], 0);

}

// As a reduction leaves a node after it had to drop the node's tree: the tree's value stays, and
// the lower bound proves it (here the node's true optimum, so everything said is true).
void dropTreeAndProveItsValue(ReduceGraph& R) {
  const std::int64_t optimum = steinertest::dreyfusWagner(R, 8);
  if (optimum < 0 || optimum >= kFar || R.R < 2) return;  // too many terminals, or none joined
  R.clearUpper();
  R.upperValue = static_cast<int>(optimum + R.contractCost);
  R.upperValueValid = 1;  // as destroyUpper leaves it
  R.upperOk = 0;
  R.setLower(R.upperValue, 0);
}

// A node whose lower bound meets the value of a tree it no longer holds must not be closed: the
// optimum would be lost, and the instance would be given a lower bound above its optimum.
TEST(BranchAndBound, NodeWithTheValueOfADroppedTreeIsSearchedOn) {
  tesmo::ScriptLetters::registerLetter('j', "dropTreeAndProveItsValue(&R)", dropTreeAndProveItsValue);
  std::vector<tesmo::Graph> graphs;
  const steinertest::Shape shapes[] = {steinertest::Shape::Sparse, steinertest::Shape::Grid,
                                       steinertest::Shape::Ladder, steinertest::Shape::Dense};
  for (unsigned seed = 1; seed <= 16; ++seed)
    graphs.push_back(steinertest::generateInstance(seed, shapes[seed % 4], steinertest::Costs::Small, 18,
                                                   3 + static_cast<int>(seed % 3)).graph);
  int withWorseTree = 0;
  for (std::size_t i = 0; i < graphs.size(); ++i)
    for (bool startWithTree : {false, true}) {
      SCOPED_TRACE("instance " + std::to_string(i) + (startWithTree ? " with a tree" : ""));
      tesmotest::LogCapture capture(0);
      tesmo::shell.Sset("Reduction", "j");
      tesmo::shell.Sset("nodeAscent", "0");
      const std::int64_t optimum = dreyfusWagner(graphs[i]);
      ReduceGraph R(graphs[i]);
      R.resetLower();
      if (startWithTree) {
        storeSimpleTree(R);
        if (R.upperValue > optimum) ++withWorseTree;
      }
      const int value = tesmo::branching(R, tesmo::maxint);
      EXPECT_EQ(value, optimum);
      EXPECT_EQ(R.lowerValue, optimum);
      ASSERT_TRUE(R.upperOk);
      std::int64_t cost = R.contractCost;
      std::vector<int> arcs;
      for (int k = 1; k <= tesmo::solutionList[0]; ++k) {
        arcs.push_back(R.ID[tesmo::solutionList[k]]);
        cost += R.arcs[tesmo::solutionList[k]].cost;
      }
      EXPECT_EQ(cost, optimum);
      EXPECT_TRUE(isSteinerTree(graphs[i], arcs));
    }
  tesmo::ScriptLetters::unregisterLetter('j');
  EXPECT_GT(withWorseTree, 3);
}

TEST(BranchAndBound, BoundsThatMetBeforeTheSearchEndItAtOnce) {
  const tesmo::Graph g = makeGraph(3, {{1, 2, 1}, {2, 3, 1}, {1, 3, 3}}, {1, 3});
  tesmotest::LogCapture capture(2);
  tesmo::shell.Sset("Reduction", "v");
  ReduceGraph R(g);
  R.resetLower();
  tesmo::branching(R, tesmo::maxint);
  ASSERT_EQ(R.upperValue, 2);
  tesmo::BranchAndBound search;
  EXPECT_EQ(search.run(R, "G", 1), 2);
  EXPECT_EQ(search.steps(), 1);
  EXPECT_EQ(R.lowerValue, 2);
}

TEST(BranchAndBound, NoSetUpperLeavesTheInstanceAlone) {
  const tesmo::Graph g = hardGrid();
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("Reduction", "v");
  tesmo::shell.Sset("noSetUpper", "1");
  ReduceGraph R(g);
  R.resetLower();
  tesmo::BranchAndBound search;
  EXPECT_EQ(search.run(R, "G", 1), tesmo::maxint);
  EXPECT_EQ(R.upperValue, tesmo::maxint);
  EXPECT_EQ(R.lowerValue, 0);
  EXPECT_FALSE(R.upperOk);
}

TEST(BranchAndBound, LogsEveryStepWithItsLabel) {
  const tesmo::Graph g = hardGrid();
  tesmotest::LogCapture capture(2);
  tesmo::shell.Sset("Reduction", "v");
  tesmo::shell.Sset("exactMstMax", "0");
  solve(g);
  const std::string log = capture.text();
  for (const char* piece : {"step: 1, stack: 0   first lower: 0, current lower: ", "graph: 'G';  size: |V|=",
                            "Branching with ", "graph: 'G+", "\nbranching: new upper bound:",
                            "\nbranching finished: step: "})
    EXPECT_NE(log.find(piece), std::string::npos) << piece;
}

TEST(BranchAndBound, LabelsStopGrowingNearTheirLimit) {
  struct Case {
    std::size_t before;
    int vertex;
    std::size_t after;
  };
  for (const Case c : {Case{0, 12, 3}, Case{94, 7, 96}, Case{94, 123456, 99}, Case{95, 7, 95}, Case{99, 1, 99}}) {
    std::string label(c.before, 'G');
    tesmo::BranchAndBound::extendLabel(label, '+', c.vertex);
    EXPECT_EQ(label.size(), c.after) << c.before << " " << c.vertex;
  }
}

// Each failed check of the search ends the run with its condition, module and line.
TEST(BranchAndBoundDeath, FailedChecksNameTheirConditionAndLine) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  struct Case {
    const char* name;
    std::vector<const char*> settings;
    bool lowerNeverSet;
    const char* warning;  // a regular expression
  };
  const Case cases[] = {
      {"no node script", {}, false, "Warning: \\(\"No reduction specified.\"\\) in file 'branching' line 39"},
      {"lower bound never set", {"Reduction=v"}, true,
       "Warning: \\(Original->lowerValue==maxint\\) in file 'branching' line 261"},
      // Branching by tree degree on nodes without a tree, whose fast ascent is told to keep none.
      {"no tree for the tree degrees", {"Reduction=v", "branchMode=2", "exactMstMax=0", "ascentPrune=0"}, false,
       "Warning: \\(!R->upperOk\\) in file 'branching' line 175"},
  };
  const tesmo::Graph g = hardGrid();
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          std::cout.rdbuf(std::cerr.rdbuf());  // the warning line goes to standard output
          tesmotest::LogCapture capture(0);
          for (const char* a : c.settings) tesmo::shell.setAssignment(a);
          tesmo::shell.Sset("exitSaveGraph", capture.dir().file("error.stp").c_str());
          ReduceGraph R(g);
          R.resetLower();
          if (c.lowerNeverSet) R.lowerValue = tesmo::maxint;
          tesmo::branching(R, tesmo::maxint);
        },
        testing::ExitedWithCode(1), c.warning)
        << c.name;
  }
}

}  // namespace
