#pragma once
// Plain reference computations for the nearest-terminal tests: Dijkstra over the live slots,
// Kruskal over region links, and minimax (bottleneck) paths.

#include "LiveEdgeIterator.h"
#include "ReduceGraph.h"
#include "RegionLink.h"
#include "UnionFind.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <queue>
#include <vector>

namespace voronoitest {

using tesmo::ReduceGraph;
using tesmo::RegionLink;

constexpr std::int64_t none = INT64_MAX / 4;

// Shortest distances from the given sources (all at distance 0) over R's live slots.
inline std::vector<std::int64_t> dijkstra(const ReduceGraph& R, const std::vector<int>& sources) {
  std::vector<std::int64_t> dist(static_cast<std::size_t>(R.V) + 1, none);
  using Item = std::pair<std::int64_t, int>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
  for (int s : sources) {
    dist[s] = 0;
    queue.emplace(0, s);
  }
  while (!queue.empty()) {
    const auto [d, v] = queue.top();
    queue.pop();
    if (d != dist[v]) continue;
    tesmo::LiveEdgeIterator it(R, v);
    while (tesmo::nextLiveEdge(R, it)) {
      if (R.delE[it.slot]) continue;
      const int w = it.arc->head;
      if (d + it.arc->cost < dist[w]) {
        dist[w] = d + it.arc->cost;
        queue.emplace(dist[w], w);
      }
    }
  }
  return dist;
}

// Distances from every terminal: result[k][v] for terminal index k.
inline std::vector<std::vector<std::int64_t>> terminalDistances(const ReduceGraph& R) {
  std::vector<std::vector<std::int64_t>> all(static_cast<std::size_t>(R.R) + 1);
  for (int k = 1; k <= R.R; ++k) all[k] = dijkstra(R, {R.terminals[k]});
  return all;
}

// Total length and count of Kruskal's spanning forest over terminal indices 1..n.
inline std::pair<std::int64_t, int> kruskal(std::vector<RegionLink> links, int n) {
  std::stable_sort(links.begin(), links.end(),
                   [](const RegionLink& a, const RegionLink& b) { return a.length < b.length; });
  tesmo::UnionFind sets(n);
  std::int64_t total = 0;
  int count = 0;
  for (const RegionLink& l : links) {
    if (!sets.join(l.a, l.b)) continue;
    total += l.length;
    ++count;
  }
  return {total, count};
}

// Minimax path values between all terminal indices 1..n over the links (maxint when not
// joined, 0 on the diagonal).
inline std::vector<std::vector<int>> minimax(const std::vector<RegionLink>& links, int n) {
  std::vector<std::vector<int>> m(static_cast<std::size_t>(n) + 1,
                                  std::vector<int>(static_cast<std::size_t>(n) + 1, tesmo::maxint));
  for (int i = 1; i <= n; ++i) m[i][i] = 0;
  for (const RegionLink& l : links) {
    m[l.a][l.b] = std::min(m[l.a][l.b], l.length);
    m[l.b][l.a] = m[l.a][l.b];
  }
  for (int k = 1; k <= n; ++k)
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j) m[i][j] = std::min(m[i][j], std::max(m[i][k], m[k][j]));
  return m;
}

// Minimax values from one terminal index over the links (a bottleneck Dijkstra).
inline std::vector<int> minimaxFrom(const std::vector<RegionLink>& links, int n, int source) {
  std::vector<std::vector<std::pair<int, int>>> adj(static_cast<std::size_t>(n) + 1);
  for (const RegionLink& l : links) {
    adj[l.a].emplace_back(l.b, l.length);
    adj[l.b].emplace_back(l.a, l.length);
  }
  std::vector<int> best(static_cast<std::size_t>(n) + 1, tesmo::maxint);
  using Item = std::pair<int, int>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
  best[source] = 0;
  queue.emplace(0, source);
  while (!queue.empty()) {
    const auto [d, v] = queue.top();
    queue.pop();
    if (d != best[v]) continue;
    for (const auto& [w, len] : adj[v]) {
      const int nd = std::max(d, len);
      if (nd < best[w]) {
        best[w] = nd;
        queue.emplace(nd, w);
      }
    }
  }
  return best;
}

inline std::vector<RegionLink> currentLinks(const ReduceGraph& R) {
  return std::vector<RegionLink>(R.regionLinks.begin() + 1, R.regionLinks.begin() + 1 + R.linkCount);
}

}  // namespace voronoitest
