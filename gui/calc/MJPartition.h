#pragma once
// Union-find with path halving over positions 0..n, for the threshold connectivity of the
// median-joining feasibility test and the pieces of its spanning tree.

#include <cstddef>
#include <numeric>
#include <vector>

class TMJPartition {
public:
  explicit TMJPartition(int n) : parent_(static_cast<std::size_t>(n) + 1) {
    std::iota(parent_.begin(), parent_.end(), 0);
  }
  int Find(int x) {
    while (parent_[static_cast<std::size_t>(x)] != x) {
      auto& p = parent_[static_cast<std::size_t>(x)];
      p = parent_[static_cast<std::size_t>(p)];
      x = p;
    }
    return x;
  }
  // The piece of a goes into the piece of b (whose root stays the root).
  void Join(int a, int b) { parent_[static_cast<std::size_t>(Find(a))] = Find(b); }

private:
  std::vector<int> parent_;
};
