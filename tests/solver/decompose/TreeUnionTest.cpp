// The cost search over the union of two trees: per block the cheaper tree's own edges plus the
// shared ones.

#include "InstanceBuilders.h"
#include "TreeUnionAnalyser.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace tesmotest;

namespace {

using EdgeList = std::vector<std::pair<int, int>>;

tesmo::IntArray arcsOf(const tesmo::Graph& g, const EdgeList& edges) {
  tesmo::IntArray list{static_cast<int>(edges.size())};
  for (auto [u, v] : edges) list.push_back(g.findArc(u, v));
  return list;
}

struct UnionCase {
  const char* name;
  EdgeList treeA, treeB;
  std::int64_t cost;
};

// Ring 1-2-3-4 (costs 1, 3, 3, 1) with chord 1-3 (5), ring 4-5-6-7 (9, 1, 1, 1) joined at 4,
// pendant edge 7-8 (2).
const tesmo::Graph& rings() {
  static const tesmo::Graph g = makeGraph(8, {{1, 2, 1}, {2, 3, 3}, {3, 4, 3}, {1, 4, 1}, {4, 5, 9}, {5, 6, 1},
                                               {6, 7, 1}, {4, 7, 1}, {7, 8, 2}, {1, 3, 5}},
                                          {2, 8});
  return g;
}

class CombinedBlockCost : public testing::TestWithParam<UnionCase> {};

TEST_P(CombinedBlockCost, TakesTheCheaperPartPerBlock) {
  const UnionCase& c = GetParam();
  const tesmo::Graph& g = rings();
  tesmo::TreeUnionAnalyser analyser(g, arcsOf(g, c.treeA), arcsOf(g, c.treeB));
  ASSERT_FALSE(analyser.empty());
  analyser.reset();
  const int start = analyser.unionVertex(c.treeA.empty() ? c.treeB[0].first : c.treeA[0].first);
  EXPECT_EQ(analyser.search(start), c.cost);
  EXPECT_EQ(analyser.costSum(), c.cost);
  // Every union slot names its arc of g, and every arc of a tree is flagged.
  const tesmo::ReduceGraph& U = *analyser.graph();
  for (int s = 1; s <= 2 * U.E; ++s) {
    ASSERT_NE(analyser.sourceArc(s), 0);
    EXPECT_EQ(g.arcs[analyser.sourceArc(s)].cost, U.arcs[s].cost);
    EXPECT_NE(analyser.treeFlags(s), 0);
  }
  EXPECT_EQ(tesmo::combinedBlockCost(g, arcsOf(g, c.treeA), arcsOf(g, c.treeB), start), c.cost);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, CombinedBlockCost,
    testing::Values(
        // The same tree twice: all edges shared.
        UnionCase{"Identical", {{2, 1}, {1, 4}, {4, 7}, {7, 8}}, {{2, 1}, {1, 4}, {4, 7}, {7, 8}}, 5},
        // A goes 2-3-4 (6), B goes 2-1-4 (2); the rest shared (4-7, 7-8): 2 + 3.
        UnionCase{"CheaperSecond", {{2, 3}, {3, 4}, {4, 7}, {7, 8}}, {{2, 1}, {1, 4}, {4, 7}, {7, 8}}, 5},
        // Each tree is cheaper in one ring: A 2-1-4 and 4-5-6-7 (12), B 2-3-4 and 4-7 (7).
        UnionCase{"EachBetterOnce", {{2, 1}, {1, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}},
                  {{2, 3}, {3, 4}, {4, 7}, {7, 8}}, 2 + 1 + 2},
        // Triangle 1-2-3 holding the shared 1-2: 1 + min(5, 3), then the shared bridge 3-4.
        UnionCase{"SharedEdgeInsideBlock", {{2, 1}, {1, 3}, {3, 4}}, {{2, 1}, {2, 3}, {3, 4}}, 1 + 3 + 3},
        // Only one tree given: the other's part of each block is empty, costing 0.
        UnionCase{"OneTreeOnly", {{2, 1}, {1, 4}, {4, 7}, {7, 8}}, {}, 0}),
    [](const testing::TestParamInfo<UnionCase>& info) { return info.param.name; });

TEST(CombinedBlockCostInput, EmptyTreesAndBadArcsCostNothing) {
  const tesmo::Graph& g = rings();
  EXPECT_EQ(tesmo::combinedBlockCost(g, {0}, {}, 1), 0);
  // Arc numbers outside g are ignored rather than read.
  tesmo::TreeUnionAnalyser analyser(g, {2, 0, 999}, {1, -4});
  EXPECT_TRUE(analyser.empty());
  analyser.reset();
  EXPECT_EQ(analyser.search(1), 0);
  // A start vertex outside the union searches nothing.
  tesmo::TreeUnionAnalyser pair(g, arcsOf(g, {{1, 2}}), arcsOf(g, {{1, 2}}));
  pair.reset();
  EXPECT_EQ(pair.search(57), 0);
  EXPECT_EQ(pair.unionVertex(5), 0);
  pair.reset();
  EXPECT_EQ(pair.search(pair.unionVertex(1)), 1);
}

}  // namespace
