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

void SubsetEnumeration::load(const ReduceGraph& R) {
  contractCost_ = R.contractCost;
  const int V = R.V;
  const std::size_t vertices = static_cast<std::size_t>(V) + 1;
  // Live edges and the degrees they give.
  liveSlots_.clear();
  degree_.assign(vertices, 0);
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || s > R.partner[s]) continue;
    const Arc& arc = R.arcs[s];
    if (arc.tail == arc.head) continue;
    liveSlots_.push_back(s);
    ++degree_[arc.tail];
    ++degree_[arc.head];
  }
  // A non-required vertex of degree one is never needed; dropping it may leave its neighbour
  // with degree one in turn.
  neighbourStart_.assign(vertices + 1, 0);
  for (int v = 1; v <= V; ++v) neighbourStart_[v + 1] = neighbourStart_[v] + degree_[v];
  neighbours_.resize(2 * liveSlots_.size());
  // queue_ serves as the fill position of each vertex first.
  queue_.assign(neighbourStart_.begin(), neighbourStart_.end() - 1);
  for (int s : liveSlots_) {
    const int a = R.arcs[s].tail;
    const int b = R.arcs[s].head;
    neighbours_[queue_[a]++] = b;
    neighbours_[queue_[b]++] = a;
  }
  dropped_.assign(vertices, 0);
  queue_.clear();
  for (int v = 1; v <= V; ++v)
    if (R.isReq[v] == 0 && degree_[v] <= 1) queue_.push_back(v);
  while (!queue_.empty()) {
    const int v = queue_.back();
    queue_.pop_back();
    if (dropped_[v]) continue;
    dropped_[v] = 1;
    for (int k = neighbourStart_[v]; k < neighbourStart_[v + 1]; ++k) {
      const int w = neighbours_[k];
      if (!dropped_[w] && --degree_[w] <= 1 && R.isReq[w] == 0) queue_.push_back(w);
    }
  }

  compact_.assign(vertices, -1);
  vertexOf_.clear();
  candidates_.clear();
  for (int k = 1; k <= R.R; ++k) {
    const int t = R.terminals[k];
    if (compact_[t] >= 0) continue;
    compact_[t] = static_cast<int>(vertexOf_.size());
    vertexOf_.push_back(t);
  }
  terminalCount_ = static_cast<int>(vertexOf_.size());
  for (int v = 1; v <= V; ++v)
    if (compact_[v] < 0 && !dropped_[v]) {
      compact_[v] = static_cast<int>(vertexOf_.size());
      vertexOf_.push_back(v);
      candidates_.push_back(v);
    }
  required_.assign(vertexOf_.size(), 0);
  std::fill(required_.begin(), required_.begin() + terminalCount_, 1);
  sets_.reset(static_cast<int>(vertexOf_.size()));

  edges_.clear();
  for (int s : liveSlots_) {
    const int a = compact_[R.arcs[s].tail];
    const int b = compact_[R.arcs[s].head];
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

  std::vector<int>& tree = tree_;
  tree.clear();
  spanningCost(bestMask, none, &tree);
  // Strip non-required leaves; costs are not negative, so the value cannot grow.
  std::vector<int>& degree = treeDegree_;
  degree.assign(vertexOf_.size(), 0);
  for (int i : tree) {
    ++degree[edges_[i].a];
    ++degree[edges_[i].b];
  }
  std::vector<char>& alive = alive_;
  alive.assign(tree.size(), 1);
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
