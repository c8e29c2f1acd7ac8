#pragma once
// Exact Steiner tree values by dynamic programming over subsets of the terminals: best[S][v] is
// the cheapest tree joining the terminals of S and vertex v. Independent of every method of the
// solver (it reads only the live edges), so it serves as the oracle the reductions are checked
// against. Up to about 12 terminals on small graphs.

#include "ReduceGraph.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <queue>
#include <vector>

namespace steinertest {

inline constexpr std::int64_t noTree = std::numeric_limits<std::int64_t>::max() / 4;

// Live edges of R as an adjacency list over 1..V.
struct Adjacency {
  std::vector<std::vector<std::pair<int, int>>> out;  // (head, cost)
};

inline Adjacency liveAdjacency(const tesmo::ReduceGraph& R) {
  Adjacency a;
  a.out.resize(static_cast<std::size_t>(R.V) + 1);
  for (int v = 1; v <= R.V; ++v)
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s))
      a.out[v].push_back({R.arcs[s].head, R.arcs[s].cost});
  return a;
}

// The optimum (without contractCost) of R's live part; noTree when the terminals are not
// connected; -1 when there are more than maxTerminals terminals.
inline std::int64_t dreyfusWagner(const tesmo::ReduceGraph& R, int maxTerminals = 12) {
  const int t = R.R;
  if (t > maxTerminals) return -1;
  if (t <= 1) return 0;
  const int V = R.V;
  const Adjacency adj = liveAdjacency(R);
  const std::uint32_t full = (1u << t) - 1;
  std::vector<std::vector<std::int64_t>> best(full + 1, std::vector<std::int64_t>(V + 1, noTree));
  for (int k = 0; k < t; ++k) best[1u << k][R.terminals[k + 1]] = 0;
  using Item = std::pair<std::int64_t, int>;
  for (std::uint32_t S = 1; S <= full; ++S) {
    std::vector<std::int64_t>& b = best[S];
    // Split S at v into two non-empty parts (each split once: the part holding S's lowest bit).
    const std::uint32_t low = S & (~S + 1);
    for (std::uint32_t T = (S - 1) & S; T > 0; T = (T - 1) & S) {
      if (!(T & low)) continue;
      const std::vector<std::int64_t>& x = best[T];
      const std::vector<std::int64_t>& y = best[S ^ T];
      for (int v = 1; v <= V; ++v)
        if (x[v] + y[v] < b[v]) b[v] = x[v] + y[v];
    }
    // Grow along shortest paths.
    std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
    for (int v = 1; v <= V; ++v)
      if (b[v] < noTree) queue.push({b[v], v});
    while (!queue.empty()) {
      const auto [d, v] = queue.top();
      queue.pop();
      if (d > b[v]) continue;
      for (const auto& [w, c] : adj.out[v])
        if (d + c < b[w]) {
          b[w] = d + c;
          queue.push({b[w], w});
        }
    }
  }
  return best[full][R.terminals[1]];
}

}  // namespace steinertest
