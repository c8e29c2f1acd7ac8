// The Voronoi-link heuristic (algorithm kmb), the MST-scored tabu search (letter U) and the
// combination of stored tree files (algorithm combine): valid trees of at least the optimum on
// the generated instances, and their ends.

#include "CombineTrees.h"
#include "Kmb.h"
#include "MstTabu.h"
#include "ReduceByString.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "SafetyTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmotest;

namespace {

class Letters : public testing::Environment {
  void SetUp() override { tesmo::registerScriptLetters(); }
};
const auto* const letters = testing::AddGlobalTestEnvironment(new Letters);

// Runs fn with g as the instance graph and puts the old one back.
template <class F>
void withInstanceGraph(tesmo::Graph& g, F&& fn) {
  tesmo::Graph* saved = tesmo::currentGraph;
  tesmo::currentGraph = &g;
  fn();
  tesmo::currentGraph = saved;
}

class KmbRoots : public testing::TestWithParam<int> {};

TEST_P(KmbRoots, GivesValidTreesOfAtLeastTheOptimum) {
  LogCapture capture(0);
  for (auto& generated : steinertest::instanceMix(300, 7)) {
    tesmo::Graph& g = generated.graph;
    const std::int64_t optimum = steinertest::dreyfusWagner(tesmo::ReduceGraph(g));
    tesmo::solutionList.assign(1, 0);
    std::int64_t weight = 0;
    withInstanceGraph(g, [&] { weight = tesmo::Kmb(g).run(GetParam()); });
    const std::int64_t cost = steinertest::steinerTreeCost(g, tesmo::solutionList);
    ASSERT_GE(cost, 0) << generated.description;
    EXPECT_EQ(cost, weight) << generated.description;
    EXPECT_GE(cost, optimum) << generated.description;
  }
}

INSTANTIATE_TEST_SUITE_P(Iterations, KmbRoots, testing::Values(1, 3, 100));

TEST(Kmb, EndsOfTheRootLoop) {
  // Path 1-2-3-4 with terminals 1 and 4, and a cheaper detour 1-5-4.
  tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {1, 5, 1}, {5, 4, 1}}, {1, 4});
  LogCapture capture(3);
  withInstanceGraph(g, [&] {
    tesmo::solutionList = intList({7});
    EXPECT_EQ(tesmo::Kmb(g).run(0), tesmo::maxint);
    EXPECT_EQ(tesmo::solutionList[0], 1);  // no root tried: left alone
    EXPECT_EQ(tesmo::Kmb(g).run(5), 2);
    EXPECT_EQ(tesmo::solutionList[0], 2);
  });
  const std::string log = capture.text();
  EXPECT_NE(log.find("\nRan out of required vertices at iteration: 3\n"), std::string::npos) << log;
  // Equal weights from the second root keep the first one's tree.
  EXPECT_EQ(log.find("Success with root 4"), std::string::npos) << log;
}

TEST(Kmb, OneTerminalGivesTheEmptyTree) {
  tesmo::Graph g = makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {2});
  LogCapture capture(0);
  withInstanceGraph(g, [&] {
    tesmo::solutionList = intList({1, 2});
    EXPECT_EQ(tesmo::Kmb(g).run(1), 0);
    EXPECT_EQ(tesmo::solutionList[0], 0);
  });
}

TEST(MstTabu, BestValuesAreTreesOfAtLeastTheOptimumAndTheInstanceStays) {
  LogCapture capture(0);
  tesmo::shell.Sset("iterations", "4");
  tesmo::shell.Sset("tabuSize", "2");
  tesmo::shell.Sset("Req", "3");
  for (auto& generated : steinertest::instanceMix(150, 11)) {
    tesmo::ReduceGraph R(generated.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    const int edges = R.Eanz, terminals = R.R;
    const std::int64_t best = tesmo::MstTabu(R).run();
    // Vertex 3 is fixed in the set: the value may pass the optimum, never fall below it.
    if (best < tesmo::maxint) {
      EXPECT_GE(best, optimum) << generated.description;
    }
    EXPECT_EQ(R.Eanz, edges);
    EXPECT_EQ(R.R, terminals);
    EXPECT_EQ(R.upperValue, tesmo::maxint);
  }
}

TEST(MstTabu, LogsItsSettingsAndTheBestOfAll) {
  // A triangle 1-2-3 of terminals 1 and 3 with 2 between them, and 4 hanging off 3.
  const tesmo::Graph g = makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}, {3, 4, 1}}, {1, 3});
  struct Case {
    const char* iterations;
    const char* expected;
  };
  for (const Case& c : {Case{"0", "iterations: 0\ntabuSize: 10\n\n\nReq: 10\n\n\n\n\n\n Best of all: 1600000000\n"},
                        // Flipping 2 out leaves 1-3 (5); flipping 4 out leaves 1-2-3 (2).
                        Case{"1", "best Weight: 2\n"}}) {
    LogCapture capture(3);
    tesmo::shell.Sset("iterations", c.iterations);
    tesmo::ReduceGraph R(g);
    tesmo::mstHeuristic(R);
    EXPECT_NE(capture.text().find(c.expected), std::string::npos) << capture.text();
  }
}

TEST(MstTabu, AVertexWithoutEdgesInTheSetLeavesNoCandidate) {
  // Vertex 4 has no edge; it stays in the set, so no set is ever connected.
  const tesmo::Graph g = makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 3, 3}}, {1, 3});
  LogCapture capture(3);
  tesmo::shell.Sset("iterations", "2");
  tesmo::ReduceGraph R(g);
  EXPECT_EQ(tesmo::MstTabu(R).run(), tesmo::maxint);
  const std::string log = capture.text();
  EXPECT_NE(log.find("best Weight: 1600000000\nbest Weight: 1600000000\n"), std::string::npos) << log;
}

TEST(MstTabu, TheLetterKeepsTheInstanceSafe) {
  // U only logs its values: the instance, its stored tree and its bounds must come out as they went in.
  LogCapture capture(0);
  tesmo::shell.Sset("iterations", "3");
  const auto failures = steinertest::checkSafety([](tesmo::ReduceGraph& R) { tesmo::reduceByString("U", R, 0); });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

// Tree files in a scratch folder for the combination.
class CombineTrees : public testing::Test {
protected:
  // 1-2-3 along the bottom (cost 2 each), 1-4-3 over the top (cost 3 each), 2-4 cost 1;
  // terminals 1 and 3. Optimum 4 (1-2-3).
  CombineTrees() : g(makeGraph(4, {{1, 2, 2}, {2, 3, 2}, {1, 4, 3}, {4, 3, 3}, {2, 4, 1}}, {1, 3})) {
    tesmo::shell.Sset("problem", "square");
    tesmo::shell.Sset("readtree", base());
  }
  std::string base() const { return capture.dir().file("run"); }
  void writeTree(int digit, const std::string& text) const {
    testpaths::writeFile(base() + "." + std::to_string(digit) + ".tree", text);
  }
  std::int64_t combine() {
    tesmo::solutionList = intList({99});
    withInstanceGraph(g, [] { tesmo::combineTrees(); });
    return steinertest::steinerTreeCost(g, tesmo::solutionList);
  }
  LogCapture capture{3};
  tesmo::Graph g;
};

TEST_F(CombineTrees, TheUnionOfTwoTreesGivesTheBetterTree) {
  // Only the files of digits 2 and 5: the top path (6) and the mixed path 1-2-4-3 (6).
  writeTree(2, "2 " + std::to_string(g.findArc(1, 4)) + " " + std::to_string(g.findArc(4, 3)) + " 6 square\n");
  writeTree(5, "3 " + std::to_string(g.findArc(2, 1)) + " " + std::to_string(g.findArc(4, 2)) + " " +
                   std::to_string(g.findArc(3, 4)) + " 6 square\n");
  // The union holds 1-2, 2-4, 1-4, 4-3 but not 2-3: the best tree inside is 1-2-4-3 (6).
  EXPECT_EQ(combine(), 6);
  const std::string log = capture.text();
  EXPECT_NE(log.find(".2.tree.\tE: 2\tVal: 6\n"), std::string::npos) << log;
  EXPECT_NE(log.find(".5.tree.\tE: 3\tVal: 6\n"), std::string::npos) << log;
  EXPECT_EQ(log.find(".1.tree"), std::string::npos) << log;
}

TEST_F(CombineTrees, EitherDirectionOfAnArcCountsTheSame) {
  for (const auto& [tail, head] : {std::pair{1, 2}, std::pair{2, 1}}) {
    writeTree(1, "2 " + std::to_string(g.findArc(tail, head)) + " " + std::to_string(g.findArc(3, 2)) + " 4 square");
    EXPECT_EQ(combine(), 4) << tail << "-" << head;
  }
}

TEST_F(CombineTrees, InducedVerticesKeepEveryEdgeBetweenThem) {
  tesmo::shell.Sset("induce", "1");
  // The top path's vertices 1, 4, 3 induce 1-4, 4-3 only; with 1-2's file too, vertex 2 and
  // so 2-3 come in.
  writeTree(1, "2 " + std::to_string(g.findArc(1, 4)) + " " + std::to_string(g.findArc(4, 3)) + " 6 square");
  EXPECT_EQ(combine(), 6);
  writeTree(2, "1 " + std::to_string(g.findArc(1, 2)) + " 2 square");
  EXPECT_EQ(combine(), 4);
}

TEST_F(CombineTrees, BadFilesAreRefusedAndTheOthersStillCount) {
  const std::string good = "2 " + std::to_string(g.findArc(1, 2)) + " " + std::to_string(g.findArc(2, 3)) + " 4 square";
  writeTree(1, good);
  for (const std::string& bad : {std::string("2 1 11 4 square"), std::string("-1 4 square"), std::string("9 1 2"),
                                 std::string("2 0 1 4 square"), std::string("1 3")}) {
    writeTree(3, bad);
    EXPECT_EQ(combine(), 4) << bad;
  }
  EXPECT_NE(capture.text().find("\nError: tree file "), std::string::npos) << capture.text();
}

TEST_F(CombineTrees, WithoutReadtreeNothingHappens) {
  tesmo::shell.clearVariables();
  tesmo::solutionList = intList({99});
  withInstanceGraph(g, [] { tesmo::combineTrees(); });
  EXPECT_EQ(tesmo::solutionList[0], 1);
  EXPECT_EQ(tesmo::solutionList[1], 99);
}

TEST_F(CombineTrees, WithoutAnyTreeFileEveryEdgeIsDropped) {
  EXPECT_EQ(combine(), -1);
  EXPECT_EQ(tesmo::solutionList[0], 0);
}

TEST_F(CombineTrees, AFileOfAnotherProblemEndsTheRun) {
  writeTree(4, "1 1 2 other");
  EXPECT_EXIT(combine(), testing::ExitedWithCode(1), "");
}

}  // namespace
