#pragma once
// Small random connected instances with ties and zero-cost links.

#include "Graph.h"

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace exacttest {

struct RandomEdge {
  int u, v, cost;
};

inline tesmo::Graph makeGraph(int V, const std::vector<RandomEdge>& edges, const std::vector<int>& terminals) {
  tesmo::Graph g;
  g.allocate(V, static_cast<int>(edges.size()), static_cast<int>(terminals.size()));
  g.R = static_cast<int>(terminals.size());
  for (int k = 0; k < g.R; ++k) g.terminals[k + 1] = terminals[k];
  for (std::size_t k = 0; k < edges.size(); ++k)
    g.setEdge(static_cast<int>(k) + 1, edges[k].u, edges[k].v, edges[k].cost);
  g.buildAdjacency();
  return g;
}

// V vertices, a random spanning tree plus extra links up to edgeCount (no parallel links),
// costs 0..maxCost, the first terminalCount vertices of a random order required.
inline tesmo::Graph randomGraph(std::mt19937& rng, int V, int edgeCount, int terminalCount, int maxCost) {
  std::uniform_int_distribution<int> cost(0, maxCost);
  std::vector<int> order(V);
  for (int i = 0; i < V; ++i) order[i] = i + 1;
  std::shuffle(order.begin(), order.end(), rng);
  std::set<std::pair<int, int>> used;
  std::vector<RandomEdge> edges;
  for (int i = 1; i < V; ++i) {
    const int u = order[i];
    const int w = order[std::uniform_int_distribution<int>(0, i - 1)(rng)];
    used.insert({std::min(u, w), std::max(u, w)});
    edges.push_back({u, w, cost(rng)});
  }
  std::uniform_int_distribution<int> vertex(1, V);
  for (int tries = 0; static_cast<int>(edges.size()) < edgeCount && tries < 1000; ++tries) {
    const int u = vertex(rng), w = vertex(rng);
    if (u == w || !used.insert({std::min(u, w), std::max(u, w)}).second) continue;
    edges.push_back({u, w, cost(rng)});
  }
  std::vector<int> terminals(order.begin(), order.begin() + terminalCount);
  return makeGraph(V, edges, terminals);
}

}  // namespace exacttest
