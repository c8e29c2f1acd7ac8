#include "BruteForceOracle.h"

#include "InstanceBuilders.h"
#include "UnionFind.h"

#include <algorithm>

namespace tesmotest {

EdgeKey keyOf(const tesmo::Arc& a) {
  return a.tail < a.head ? EdgeKey{a.tail, a.head} : EdgeKey{a.head, a.tail};
}

std::vector<int> edgeArcs(const tesmo::Graph& g) {
  std::vector<int> arcs;
  for (int a = 1; a <= 2 * g.E; ++a)
    if (g.arcs[a].tail > g.arcs[a].head) arcs.push_back(a);
  return arcs;
}

bool isSteinerTree(const tesmo::Graph& g, const std::vector<int>& arcs) {
  tesmo::UnionFind sets(g.V);
  std::set<int> touched;
  for (int a : arcs) {
    if (!sets.join(g.arcs[a].tail, g.arcs[a].head)) return false;
    touched.insert(g.arcs[a].tail);
    touched.insert(g.arcs[a].head);
  }
  if (arcs.empty()) return g.R <= 1;
  const int root = sets.find(g.terminals[1]);
  for (int k = 1; k <= g.R; ++k)
    if (!touched.count(g.terminals[k]) || sets.find(g.terminals[k]) != root) return false;
  for (int v : touched)
    if (sets.find(v) != root) return false;
  return true;
}

BruteForceResult bruteForce(const tesmo::Graph& g) {
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

std::int64_t steinerOptimum(const tesmo::ReduceGraph& R) {
  if (R.R <= 1) return R.contractCost;
  std::vector<int> optional;
  for (int v = 1; v <= R.V; ++v)
    if (R.isReq[v] == 0 && R.hasLiveSlot(v)) optional.push_back(v);
  std::vector<int> edges = liveEdgeSlots(R);
  std::sort(edges.begin(), edges.end(),
            [&R](int a, int b) { return R.arcs[a].cost < R.arcs[b].cost; });
  std::int64_t best = kFar;
  tesmo::UnionFind sets;
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
    sets.reset(R.V);
    std::int64_t cost = 0;
    int joined = 1;
    for (int s : edges) {
      const tesmo::Arc& a = R.arcs[s];
      if (!inside[a.tail] || !inside[a.head] || !sets.join(a.tail, a.head)) continue;
      cost += a.cost;
      ++joined;
    }
    if (joined == members) best = std::min(best, cost);
  }
  return best == kFar ? kFar : best + R.contractCost;
}

std::vector<std::vector<std::int64_t>> distances(const tesmo::ReduceGraph& R) {
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

}  // namespace tesmotest
