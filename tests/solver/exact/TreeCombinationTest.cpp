// The combination of trees in setUpper with the solvers the program installs (prune1 and, with
// exactCombine, the branch and bound): the union of two trees is solved on an instance of its own,
// one object serving combinations of instances of any size one after the other.

#include "BruteForceOracle.h"
#include "DreyfusWagner.h"
#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "LogCapture.h"
#include "ReduceGraph.h"
#include "SafetyTest.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::IntArray;
using tesmo::ReduceGraph;

namespace {

std::int64_t cost(const ReduceGraph& R, const IntArray& tree) {
  std::int64_t sum = R.contractCost;
  for (int k = 1; k <= tree[0]; ++k) sum += R.arcs[tree[k]].cost;
  return sum;
}

// The optimum inside the union of two trees.
std::int64_t unionOptimum(const ReduceGraph& R, const IntArray& a, const IntArray& b) {
  std::set<std::pair<int, int>> seen;
  std::vector<Edge> edges;
  for (const IntArray* t : {&a, &b})
    for (int k = 1; k <= (*t)[0]; ++k) {
      const tesmo::Arc& arc = R.arcs[(*t)[k]];
      if (seen.insert({std::min(arc.tail, arc.head), std::max(arc.tail, arc.head)}).second)
        edges.push_back({arc.tail, arc.head, arc.cost});
    }
  std::vector<int> terminals(R.terminals.begin() + 1, R.terminals.begin() + R.R + 1);
  const tesmo::Graph u = makeGraph(R.V, edges, terminals);
  ReduceGraph U(u);
  return steinertest::dreyfusWagner(U, 14) + R.contractCost;
}

class Combination : public testing::TestWithParam<int> {};

// Instances of changing size one after the other: the exact combination finds the union's
// optimum, prune1's never loses against the better of the two trees, and the stored tree is a
// tree of that value.
TEST_P(Combination, SolvesTheUnionOfTheStoredAndTheOfferedTree) {
  const int exact = GetParam();
  LogCapture capture(0);
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  tesmo::shell.Sset("exactCombine", std::to_string(exact));
  tesmo::shell.Sset("Reduction", "v");
  std::mt19937 rng(5);
  int improved = 0;
  const int sizes[] = {30, 10, 24, 12, 36, 8};
  for (int round = 0; round < 18; ++round) {
    const auto inst = steinertest::generateInstance(100 + round, static_cast<steinertest::Shape>(round % 5),
                                                    static_cast<steinertest::Costs>(round % 5 == 4 ? 1 : round % 5),
                                                    sizes[round % 6], 3 + round % 5);
    ReduceGraph R(inst.graph);
    IntArray first = mstPruneTree(R);
    IntArray second = randomTree(R, rng);
    const std::int64_t best = std::min(cost(R, first), cost(R, second));
    const std::int64_t inUnion = unionOptimum(R, first, second);
    R.setUpper(first, "first", 1);
    IntArray offered = second;
    R.setUpper(offered, "second", 1);
    EXPECT_FALSE(ReduceGraph::combineActive);
    EXPECT_EQ(steinertest::judgeInstance(inst.graph, R, steinertest::dreyfusWagner(R, 14)), "") << inst.description;
    EXPECT_LE(R.upperValue, best) << inst.description;
    EXPECT_GE(R.upperValue, inUnion) << inst.description;
    if (exact) {
      EXPECT_EQ(R.upperValue, inUnion) << inst.description;
    }
    if (R.upperValue < best) ++improved;
  }
  EXPECT_GT(improved, 0);  // the union helped somewhere, so the solver really ran
}

INSTANTIATE_TEST_SUITE_P(Solvers, Combination, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param ? "branchAndBound" : "prune1");
                         });

}  // namespace
