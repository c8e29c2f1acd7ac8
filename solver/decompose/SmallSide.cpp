#include "SmallSide.h"

#include <cstdlib>

namespace tesmo {

namespace {

void ensure(IntArray& a, std::size_t size) {
  if (a.size() < size) a.resize(size, 0);
}

}  // namespace

SmallSide::SmallSide(const ReduceGraph& R) {
  ensure(mark_, static_cast<std::size_t>(R.V) + 1);
  ensure(stack_, static_cast<std::size_t>(R.V) + 2);
  ensure(next_, 2 * static_cast<std::size_t>(R.E) + 1);
}

bool SmallSide::find(const ReduceGraph& R, std::span<const int> separator, const SideLimits& limits) {
  const int V = R.V;
  ensure(mark_, static_cast<std::size_t>(V) + 1);
  ensure(next_, 2 * static_cast<std::size_t>(R.E) + 1);
  std::fill(mark_.begin(), mark_.begin() + V + 1, 0);
  for (int v : separator) mark_[v] = -maxint;
  const int k = static_cast<int>(separator.size());
  for (int x = 1; x <= V; ++x) {
    if (mark_[x] != 0 || !R.hasLiveSlot(x)) continue;
    int visited = 0, required = 0, separatorTerminals = 0;
    // Each vertex is pushed once per start: its mark says it was.
    int top = 0;
    stack_[++top] = x;
    mark_[x] = x;
    while (top > 0) {
      const int u = stack_[top--];
      ++visited;
      if (R.isReq[u] != 0) {
        ++required;
        if (mark_[u] < 0) ++separatorTerminals;
      }
      if (mark_[u] <= 0) continue;  // separator vertices are reached, not passed
      for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
        const int w = R.arcs[s].head;
        if (std::abs(mark_[w]) == x) continue;
        mark_[w] = mark_[w] < 0 ? -x : x;
        stack_[++top] = w;
      }
    }
    const bool small = visited <= limits.maxSize && visited <= R.Vanz / 2 &&
                       (limits.belowSize == 0 || visited < limits.belowSize);
    if (small && required >= limits.minReqs && separatorTerminals == k) {
      start_ = x;
      chainSide(R);
      return true;
    }
  }
  return false;
}

void SmallSide::chainSide(const ReduceGraph& R) {
  head_ = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || R.partner[s] < s) continue;
    if (std::abs(mark_[R.arcs[s].tail]) != start_ || std::abs(mark_[R.arcs[s].head]) != start_) continue;
    next_[s] = head_;
    head_ = s;
  }
}

}  // namespace tesmo
