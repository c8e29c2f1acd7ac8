#pragma once
// Optimal Steiner trees of small instances by plain enumeration: the reference that reductions,
// bounds and exact methods are checked against.

#include "Graph.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

namespace tesmotest {

using EdgeKey = std::pair<int, int>;  // (lower vertex, higher vertex)
EdgeKey keyOf(const tesmo::Arc& a);

struct BruteForceResult {
  std::int64_t optimum = -1;         // -1: no tree joins the terminals
  std::set<EdgeKey> unionOfOptimal;  // links of every optimal tree
  int optimalTreeCount = 0;
};

// Each edge of g once, as the arc with tail > head.
std::vector<int> edgeArcs(const tesmo::Graph& g);
// A set of arcs forms a tree containing every terminal.
bool isSteinerTree(const tesmo::Graph& g, const std::vector<int>& arcs);
// Every subset of g's edges (up to about 16 edges): the optimum, how many trees reach it and the
// union of their links.
BruteForceResult bruteForce(const tesmo::Graph& g);

constexpr std::int64_t kFar = std::int64_t{1} << 50;

// The Steiner optimum of R plus contractCost: the best minimum spanning tree over the terminals
// and any subset of the other live vertices (few non-terminals only). kFar when the terminals
// cannot be joined.
std::int64_t steinerOptimum(const tesmo::ReduceGraph& R);

// All-pairs shortest distances over R's live edges (Floyd-Warshall; small instances only); kFar
// between vertices that are not joined.
std::vector<std::vector<std::int64_t>> distances(const tesmo::ReduceGraph& R);

}  // namespace tesmotest
