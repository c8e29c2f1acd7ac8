// Program 1 on every instance of the shared Steiner data, with its defaults and with the upper
// bound from the graph as its script: a tree of the instance, checked edge by edge, never
// cheaper than the known optimum.

#include "Graph.h"
#include "Reduction.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "StpReader.h"

#include "KnownInstances.h"
#include "LogCapture.h"
#include "SafetyTest.h"

#include <gtest/gtest.h>

namespace {

class ProgramOneData : public testing::TestWithParam<const char*> {};

TEST_P(ProgramOneData, GivesValidTreesOfAtLeastTheOptimum) {
  SKIP_WITHOUT_SHARED_DATA("steiner/optima.tsv");
  tesmotest::LogCapture log(0);
  tesmo::registerScriptLetters();
  for (const tesmotest::KnownInstance& k : tesmotest::readKnownInstances(tesmotest::sharedSteinerTable())) {
    SCOPED_TRACE(k.file);
    tesmo::shell.clearVariables();
    tesmo::shell.Sset("R-order", GetParam());
    tesmo::Graph g;
    tesmo::StpReader reader;
    ASSERT_TRUE(reader.read(g, k.path.string())) << reader.error();
    tesmo::currentGraph = &g;
    tesmo::solutionList.assign(static_cast<std::size_t>(g.E) + 2, 0);
    tesmo::reduction();
    tesmo::Graph* exported = tesmo::currentGraph;
    tesmo::currentGraph = nullptr;
    tesmo::expandSolution(*exported, tesmo::solutionList, g);
    delete exported;
    tesmo::IntArray tree(tesmo::solutionList.begin(), tesmo::solutionList.begin() + tesmo::solutionList[0] + 1);
    const std::int64_t cost = steinertest::steinerTreeCost(g, tree);
    EXPECT_GE(cost, k.optimum);
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, ProgramOneData, testing::Values("A", "u"));

}  // namespace
