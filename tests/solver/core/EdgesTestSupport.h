#pragma once
// Helpers of the edge-storage and degree-reduction tests: random instances, shortest distances
// and exact Steiner optima of small instances, and the check that a stored tree maps back onto
// the input graph.

#include "Graph.h"
#include "ReduceGraph.h"

#include "InstanceTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace edgestest {

using instancetest::Edge;

// A connected random graph (a random spanning tree plus V random edges), vertex 1 and about a
// third of the others terminals; then `hanging` paths of one to three new non-terminals, each
// hanging off a random earlier vertex (the last vertex of a path is a terminal now and then).
inline tesmo::Graph randomGraph(std::mt19937& random, int V, int maxCost = 9, int hanging = 0) {
  std::vector<Edge> edges;
  std::uniform_int_distribution<int> cost(1, maxCost);
  for (int v = 2; v <= V; ++v) {
    std::uniform_int_distribution<int> earlier(1, v - 1);
    edges.emplace_back(earlier(random), v, cost(random));
  }
  std::uniform_int_distribution<int> vertex(1, V);
  for (int k = 0; k < V; ++k) {
    const int a = vertex(random);
    const int b = vertex(random);
    if (a != b) edges.emplace_back(a, b, cost(random));
  }
  std::vector<int> terminals;
  for (int v = 1; v <= V; ++v)
    if (v == 1 || random() % 3 == 0) terminals.push_back(v);
  int last = V;
  for (int path = 0; path < hanging; ++path) {
    int previous = vertex(random);
    for (int length = 1 + static_cast<int>(random() % 3); length > 0; --length) {
      edges.emplace_back(previous, ++last, cost(random));
      previous = last;
    }
    if (random() % 4 == 0) terminals.push_back(last);
  }
  return instancetest::makeGraph(last, edges, terminals);
}

// The live edges of R (each once, by its slot with the smaller tail), overflow chains included.
inline std::vector<int> liveEdgeSlots(const tesmo::ReduceGraph& R) {
  std::vector<int> slots;
  for (int v = 1; v <= R.V; ++v)
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s))
      if (R.arcs[s].tail < R.arcs[s].head) slots.push_back(s);
  return slots;
}

constexpr std::int64_t kFar = std::int64_t{1} << 50;

// All-pairs shortest distances over R's live edges (Floyd-Warshall; small instances only).
inline std::vector<std::vector<std::int64_t>> distances(const tesmo::ReduceGraph& R) {
  std::vector<std::vector<std::int64_t>> d(R.V + 1, std::vector<std::int64_t>(R.V + 1, kFar));
  for (int v = 1; v <= R.V; ++v) d[v][v] = 0;
  for (int s : liveEdgeSlots(R)) {
    const tesmo::Arc& a = R.arcs[s];
    d[a.tail][a.head] = d[a.head][a.tail] = std::min<std::int64_t>(d[a.tail][a.head], a.cost);
  }
  for (int k = 1; k <= R.V; ++k)
    for (int i = 1; i <= R.V; ++i)
      for (int j = 1; j <= R.V; ++j) d[i][j] = std::min(d[i][j], d[i][k] + d[k][j]);
  return d;
}

// The exact Steiner optimum of R plus contractCost: the best minimum spanning tree over the
// terminals and any subset of the other live vertices (instances with few non-terminals only).
// kFar when the terminals cannot be joined.
inline std::int64_t steinerOptimum(const tesmo::ReduceGraph& R) {
  if (R.R <= 1) return R.contractCost;
  std::vector<int> optional;
  for (int v = 1; v <= R.V; ++v)
    if (R.isReq[v] == 0 && R.hasLiveSlot(v)) optional.push_back(v);
  std::vector<int> edges = liveEdgeSlots(R);
  std::sort(edges.begin(), edges.end(),
            [&R](int a, int b) { return R.arcs[a].cost < R.arcs[b].cost; });
  std::int64_t best = kFar;
  std::vector<int> parent(R.V + 1);
  std::vector<char> inside(R.V + 1);
  for (std::uint32_t subset = 0; subset < (1u << optional.size()); ++subset) {
    std::fill(inside.begin(), inside.end(), 0);
    for (int k = 1; k <= R.R; ++k) inside[R.terminals[k]] = 1;
    int members = R.R;
    for (std::size_t i = 0; i < optional.size(); ++i)
      if (subset & (1u << i)) {
        inside[optional[i]] = 1;
        ++members;
      }
    for (int v = 0; v <= R.V; ++v) parent[v] = v;
    auto root = [&parent](int x) {
      while (parent[x] != x) x = parent[x] = parent[parent[x]];
      return x;
    };
    std::int64_t cost = 0;
    int joined = 1;
    for (int s : edges) {
      const tesmo::Arc& a = R.arcs[s];
      if (!inside[a.tail] || !inside[a.head]) continue;
      const int x = root(a.tail);
      const int y = root(a.head);
      if (x == y) continue;
      parent[x] = y;
      cost += a.cost;
      ++joined;
    }
    if (joined == members) best = std::min(best, cost);
  }
  return best == kFar ? kFar : best + R.contractCost;
}

// The input graph's arcs of an expanded solution form a tree joining the terminals; its cost.
inline std::int64_t expandedTreeCost(const tesmo::Graph& input, const tesmo::IntArray& solution) {
  std::vector<int> parent(static_cast<std::size_t>(input.V) + 1);
  for (int v = 0; v <= input.V; ++v) parent[v] = v;
  auto root = [&parent](int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::int64_t cost = 0;
  for (int i = 1; i <= solution[0]; ++i) {
    const tesmo::Arc& a = input.arcs[solution[i]];
    EXPECT_NE(root(a.tail), root(a.head)) << "cycle";
    parent[root(a.tail)] = root(a.head);
    cost += a.cost;
  }
  for (int k = 2; k <= input.R; ++k)
    EXPECT_EQ(root(input.terminals[k]), root(input.terminals[1])) << "terminal missing";
  return cost;
}

// R's stored tree carried back to the input graph: a tree there of the same value.
inline void expectTreeMapsBack(const tesmo::ReduceGraph& R, const tesmo::Graph& input) {
  tesmo::IntArray solution;
  std::unique_ptr<tesmo::Graph> exported = R.toGraphWithTree(solution);
  EXPECT_EQ(tesmo::expandSolution(*exported, solution, input), R.upperValue);
  EXPECT_EQ(expandedTreeCost(input, solution), R.upperValue);
}

// Stores a simple tree (MST, non-terminal leaves stripped) in R.
inline void storeSimpleTree(tesmo::ReduceGraph& R) {
  tesmo::IntArray tree = instancetest::mstPruneTree(R);
  R.setUpper(tree, "MST", 0);
}

}  // namespace edgestest
