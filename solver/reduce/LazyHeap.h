#pragma once
// A binary heap of (key, item) pairs with 64-bit keys and lazy deletion: a decrease pushes the
// item again and the stale entry is passed over when it surfaces (the caller tells them apart by
// its settled marks). The buffer keeps its memory between runs.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace tesmo {

class LazyHeap {
public:
  void reserve(std::size_t n) { entries_.reserve(n); }
  void clear() { entries_.clear(); }
  bool empty() const { return entries_.empty(); }
  // Ties go to the smaller item, so that runs are reproducible.
  void push(std::int64_t key, int item) {
    entries_.emplace_back(key, item);
    std::push_heap(entries_.begin(), entries_.end(), std::greater<>());
  }
  std::pair<std::int64_t, int> pop() {
    std::pop_heap(entries_.begin(), entries_.end(), std::greater<>());
    const auto top = entries_.back();
    entries_.pop_back();
    return top;
  }

private:
  std::vector<std::pair<std::int64_t, int>> entries_;
};

}  // namespace tesmo
