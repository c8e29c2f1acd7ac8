#pragma once
// Exact Steiner tree values by dynamic programming over subsets of the terminals: best[S][v] is
// the cheapest tree joining the terminals of S and vertex v. Independent of every method of the
// solver (it reads only the live edges), so it serves as the oracle the reductions are checked
// against. Up to about 12 terminals on small graphs.

#include "ReduceGraph.h"

#include <cstdint>
#include <limits>
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
// connected; -1 when there are more than maxTerminals terminals. The first terminal is the root,
// so the subsets run over the others.
inline std::int64_t dreyfusWagner(const tesmo::ReduceGraph& R, int maxTerminals = 12) {
  const int t = R.R;
  if (t > maxTerminals) return -1;
  if (t <= 1) return 0;
  const int V = R.V;
  const Adjacency adj = liveAdjacency(R);
  const int n = t - 1;
  const std::uint32_t full = (1u << n) - 1;
  const std::size_t row = static_cast<std::size_t>(V) + 1;
  std::vector<std::int64_t> best((full + 1) * row, noTree);
  for (int k = 0; k < n; ++k) best[(1u << k) * row + R.terminals[k + 2]] = 0;
  std::vector<char> done(row);
  for (std::uint32_t S = 1; S <= full; ++S) {
    std::int64_t* b = &best[S * row];
    // Split S at v into two non-empty parts (each split once: the part holding S's lowest bit).
    const std::uint32_t low = S & (~S + 1);
    for (std::uint32_t T = (S - 1) & S; T > 0; T = (T - 1) & S) {
      if (!(T & low)) continue;
      const std::int64_t* x = &best[T * row];
      const std::int64_t* y = &best[(S ^ T) * row];
      for (int v = 1; v <= V; ++v)
        if (x[v] + y[v] < b[v]) b[v] = x[v] + y[v];
    }
    // Grow along shortest paths (the graphs are small: selection without a heap).
    std::fill(done.begin(), done.end(), 0);
    for (;;) {
      int v = 0;
      for (int w = 1; w <= V; ++w)
        if (!done[w] && b[w] < noTree && (v == 0 || b[w] < b[v])) v = w;
      if (v == 0) break;
      done[v] = 1;
      for (const auto& [w, c] : adj.out[v])
        if (b[v] + c < b[w]) b[w] = b[v] + c;
    }
  }
  return best[full * row + R.terminals[1]];
}

}  // namespace steinertest
