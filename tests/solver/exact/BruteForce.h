#pragma once
// Optimal Steiner trees by trying every subset of the links: small graphs only (up to about 16
// edges). The reference that the exact methods and the enumeration are checked against.

#include "Graph.h"

#include <cstdint>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

namespace exacttest {

using EdgeKey = std::pair<int, int>;  // (lower vertex, higher vertex)

inline EdgeKey keyOf(const tesmo::Arc& a) {
  return a.tail < a.head ? EdgeKey{a.tail, a.head} : EdgeKey{a.head, a.tail};
}

struct BruteForceResult {
  std::int64_t optimum = -1;            // -1: no tree joins the terminals
  std::set<EdgeKey> unionOfOptimal;     // links of every optimal tree
  int optimalTreeCount = 0;
};

// Each edge of g once, as the arc with tail > head.
inline std::vector<int> edgeArcs(const tesmo::Graph& g) {
  std::vector<int> arcs;
  for (int a = 1; a <= 2 * g.E; ++a)
    if (g.arcs[a].tail > g.arcs[a].head) arcs.push_back(a);
  return arcs;
}

// A set of arcs forms a tree containing every terminal.
inline bool isSteinerTree(const tesmo::Graph& g, const std::vector<int>& arcs) {
  std::vector<int> parent(static_cast<std::size_t>(g.V) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::set<int> touched;
  for (int a : arcs) {
    const int r1 = find(g.arcs[a].tail), r2 = find(g.arcs[a].head);
    if (r1 == r2) return false;
    parent[r1] = r2;
    touched.insert(g.arcs[a].tail);
    touched.insert(g.arcs[a].head);
  }
  if (arcs.empty()) return g.R <= 1;
  const int root = find(g.terminals[1]);
  for (int k = 1; k <= g.R; ++k)
    if (!touched.count(g.terminals[k]) || find(g.terminals[k]) != root) return false;
  for (int v : touched)
    if (find(v) != root) return false;
  return true;
}

inline BruteForceResult bruteForce(const tesmo::Graph& g) {
  const std::vector<int> arcs = edgeArcs(g);
  BruteForceResult r;
  const std::uint32_t end = std::uint32_t{1} << arcs.size();
  std::vector<std::pair<std::int64_t, std::uint32_t>> trees;
  for (std::uint32_t mask = 0; mask < end; ++mask) {
    std::vector<int> chosen;
    std::int64_t cost = 0;
    for (std::size_t i = 0; i < arcs.size(); ++i)
      if (mask >> i & 1u) {
        chosen.push_back(arcs[i]);
        cost += g.arcs[arcs[i]].cost;
      }
    if (r.optimum >= 0 && cost > r.optimum) continue;
    if (!isSteinerTree(g, chosen)) continue;
    if (r.optimum < 0 || cost < r.optimum) {
      r.optimum = cost;
      trees.clear();
    }
    trees.emplace_back(cost, mask);
  }
  for (const auto& [cost, mask] : trees) {
    ++r.optimalTreeCount;
    for (std::size_t i = 0; i < arcs.size(); ++i)
      if (mask >> i & 1u) r.unionOfOptimal.insert(keyOf(g.arcs[arcs[i]]));
  }
  return r;
}

}  // namespace exacttest
