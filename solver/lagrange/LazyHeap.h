#pragma once
// A min-heap of (64-bit key, item) pairs for searches whose keys pass 32 bits: an item is pushed
// again when its key falls, and the caller skips entries whose key is no longer the item's.
// The buffer keeps its memory from run to run.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace tesmo {

class LazyHeap {
public:
  using Entry = std::pair<std::int64_t, int>;

  void reserve(std::size_t n) { entries_.reserve(n); }
  void clear() { entries_.clear(); }
  bool empty() const { return entries_.empty(); }
  void push(std::int64_t key, int item) {
    entries_.push_back({key, item});
    std::push_heap(entries_.begin(), entries_.end(), std::greater<Entry>());
  }
  // The entry of smallest key (ties: smallest item), removed.
  Entry pop() {
    std::pop_heap(entries_.begin(), entries_.end(), std::greater<Entry>());
    const Entry top = entries_.back();
    entries_.pop_back();
    return top;
  }

private:
  std::vector<Entry> entries_;
};

}  // namespace tesmo
