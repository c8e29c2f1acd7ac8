#include "ConsistencyCheck.h"

#include "UnionFind.h"

#include <memory>

namespace tesmotest {

std::int64_t expandedTreeCost(const tesmo::Graph& input, const tesmo::IntArray& solution) {
  tesmo::UnionFind sets(input.V);
  std::int64_t cost = 0;
  for (int i = 1; i <= solution[0]; ++i) {
    const tesmo::Arc& a = input.arcs[solution[i]];
    EXPECT_TRUE(sets.join(a.tail, a.head)) << "cycle";
    cost += a.cost;
  }
  for (int k = 2; k <= input.R; ++k)
    EXPECT_TRUE(sets.same(input.terminals[k], input.terminals[1])) << "terminal missing";
  return cost;
}

void expectTreeMapsBack(const tesmo::ReduceGraph& R, const tesmo::Graph& input) {
  tesmo::IntArray solution;
  std::unique_ptr<tesmo::Graph> exported = R.toGraphWithTree(solution);
  EXPECT_EQ(tesmo::expandSolution(*exported, solution, input), R.upperValue);
  EXPECT_EQ(expandedTreeCost(input, solution), R.upperValue);
}

}  // namespace tesmotest
