#include "SubsetEnumeration.h"

#include "Check.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <string>

namespace tesmo {

int SubsetEnumeration::limit() { return std::clamp(shell.Iget("subsetLimit", 20), 0, 30); }

SubsetEnumeration::SubsetEnumeration(const ReduceGraph& R) : contractCost_(R.contractCost) {
  const int V = R.V;
  // Live edges and the degrees they give.
  std::vector<int> liveSlots;
  std::vector<int> degree(static_cast<std::size_t>(V) + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || s > R.partner[s]) continue;
    const Arc& arc = R.arcs[s];
    if (arc.tail == arc.head) continue;
    liveSlots.push_back(s);
    ++degree[arc.tail];
    ++degree[arc.head];
  }
  // A non-required vertex of degree one is never needed; dropping it may leave its neighbour
  // with degree one in turn.
  std::vector<std::vector<int>> neighbours(static_cast<std::size_t>(V) + 1);
  for (int s : liveSlots) {
    neighbours[R.arcs[s].tail].push_back(R.arcs[s].head);
    neighbours[R.arcs[s].head].push_back(R.arcs[s].tail);
  }
  std::vector<char> dropped(static_cast<std::size_t>(V) + 1, 0);
  std::vector<int> queue;
  for (int v = 1; v <= V; ++v)
    if (R.isReq[v] == 0 && degree[v] <= 1) queue.push_back(v);
  while (!queue.empty()) {
    const int v = queue.back();
    queue.pop_back();
    if (dropped[v]) continue;
    dropped[v] = 1;
    for (int w : neighbours[v])
      if (!dropped[w] && --degree[w] <= 1 && R.isReq[w] == 0) queue.push_back(w);
  }

  std::vector<int> compact(static_cast<std::size_t>(V) + 1, -1);
  for (int k = 1; k <= R.R; ++k) {
    const int t = R.terminals[k];
    if (compact[t] >= 0) continue;
    compact[t] = static_cast<int>(vertexOf_.size());
    vertexOf_.push_back(t);
  }
  terminalCount_ = static_cast<int>(vertexOf_.size());
  for (int v = 1; v <= V; ++v)
    if (compact[v] < 0 && !dropped[v]) {
      compact[v] = static_cast<int>(vertexOf_.size());
      vertexOf_.push_back(v);
      candidates_.push_back(v);
    }
  required_.assign(vertexOf_.size(), 0);
  std::fill(required_.begin(), required_.begin() + terminalCount_, 1);
  sets_.reset(static_cast<int>(vertexOf_.size()));

  for (int s : liveSlots) {
    const int a = compact[R.arcs[s].tail];
    const int b = compact[R.arcs[s].head];
    if (a < 0 || b < 0) continue;
    edges_.push_back(Edge{a, b, R.arcs[s].cost, s});
  }
  std::sort(edges_.begin(), edges_.end(), [](const Edge& x, const Edge& y) {
    return x.cost != y.cost ? x.cost < y.cost : x.slot < y.slot;
  });
}

std::int64_t SubsetEnumeration::spanningCost(std::uint32_t mask, std::int64_t bound,
                                             std::vector<int>* tree) {
  const int n = static_cast<int>(vertexOf_.size());
  sets_.reset(n);
  int components = terminalCount_ + std::popcount(mask);
  if (components <= 1) return 0;
  const auto included = [this, mask](int x) {
    return x < terminalCount_ || ((mask >> (x - terminalCount_)) & 1u) != 0;
  };
  std::int64_t cost = 0;
  for (std::size_t i = 0; i < edges_.size(); ++i) {
    const Edge& e = edges_[i];
    if (!included(e.a) || !included(e.b)) continue;
    // The edges still needed cost at least this one each (the list is sorted).
    if (cost + std::int64_t{e.cost} * (components - 1) >= bound) return -1;
    if (!sets_.join(e.a + 1, e.b + 1)) continue;  // the sets number from 1
    cost += e.cost;
    if (tree) tree->push_back(static_cast<int>(i));
    if (--components == 1) return cost;
  }
  return -1;
}

std::int64_t SubsetEnumeration::solve(IntArray& slots) {
  if (slots.empty()) slots.assign(1, 0);
  slots[0] = 0;
  if (terminalCount_ <= 1) return contractCost_;
  const int k = candidateCount();
  if (k > limit())
    exitWithError("exact search is limited to " + std::to_string(limit()) +
                  " non-required vertices; this network has " + std::to_string(k));

  constexpr std::int64_t none = std::numeric_limits<std::int64_t>::max();
  std::int64_t best = none;
  std::uint32_t bestMask = 0;
  const std::uint32_t end = k == 0 ? 1u : (std::uint32_t{1} << k);
  for (std::uint32_t mask = 0; mask < end; ++mask) {
    const std::int64_t c = spanningCost(mask, best, nullptr);
    if (c >= 0 && c < best) {
      best = c;
      bestMask = mask;
    }
  }
  if (best == none) {
    log(2) << "Not Connected!" << std::endl;
    return maxint;
  }

  std::vector<int> tree;
  spanningCost(bestMask, none, &tree);
  // Strip non-required leaves; costs are not negative, so the value cannot grow.
  std::vector<int> degree(vertexOf_.size(), 0);
  for (int i : tree) {
    ++degree[edges_[i].a];
    ++degree[edges_[i].b];
  }
  std::vector<char> alive(tree.size(), 1);
  bool changed = true;
  while (changed) {
    changed = false;
    for (std::size_t j = 0; j < tree.size(); ++j) {
      if (!alive[j]) continue;
      const Edge& e = edges_[tree[j]];
      const bool leafA = !required_[e.a] && degree[e.a] == 1;
      const bool leafB = !required_[e.b] && degree[e.b] == 1;
      if (!leafA && !leafB) continue;
      alive[j] = 0;
      --degree[e.a];
      --degree[e.b];
      changed = true;
    }
  }
  std::int64_t value = contractCost_;
  if (slots.size() < tree.size() + 1) slots.resize(tree.size() + 1, 0);
  int count = 0;
  for (std::size_t j = 0; j < tree.size(); ++j)
    if (alive[j]) {
      slots[++count] = edges_[tree[j]].slot;
      value += edges_[tree[j]].cost;
    }
  slots[0] = count;
  return value;
}

}  // namespace tesmo
