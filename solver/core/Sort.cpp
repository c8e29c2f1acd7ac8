#include "Sort.h"

#include "Arc.h"

#include <utility>
#include <vector>

namespace tesmo {

namespace {

struct Sorter {
  int* keys;
  int* index;
  void exchange(int a, int b) {
    std::swap(keys[a], keys[b]);
    std::swap(index[a], index[b]);
  }
  void order(int a, int b) {
    if (keys[a] > keys[b]) exchange(a, b);
  }
};

}  // namespace

void sortWithIndex(int n, int* keys, int* index) {
  for (int k = 1; k <= n; ++k) index[k] = k;
  if (n < 2) return;
  Sorter s{keys, index};
  // Explicit stack of segments; the larger part is pushed first so the stack stays O(log n).
  std::vector<std::pair<int, int>> stack;
  stack.emplace_back(1, n);
  while (!stack.empty()) {
    auto [lo, hi] = stack.back();
    stack.pop_back();
    const int len = hi - lo + 1;
    if (len < 2) continue;
    if (len == 2) {
      s.order(lo, lo + 1);
      continue;
    }
    if (len == 3) {
      s.order(lo, lo + 1);
      s.order(lo, lo + 2);
      s.order(lo + 1, lo + 2);
      continue;
    }
    if (len == 4) {
      s.order(lo, lo + 1);
      s.order(lo + 2, lo + 3);
      s.order(lo, lo + 2);
      s.order(lo + 1, lo + 3);
      s.order(lo + 1, lo + 2);
      continue;
    }
    const int pivot = keys[lo + (hi - lo) / 2];
    int i = lo, j = hi;
    while (i <= j) {
      while (keys[i] < pivot) ++i;
      while (keys[j] > pivot) --j;
      if (i <= j) {
        if (i < j) s.exchange(i, j);
        ++i;
        --j;
      }
    }
    if (j - lo > hi - i) {
      stack.emplace_back(lo, j);
      stack.emplace_back(i, hi);
    } else {
      stack.emplace_back(i, hi);
      stack.emplace_back(lo, j);
    }
  }
}

void sortWithIndex(int n, IntArray& keys, IntArray& index) {
  if (n <= 0) return;
  (void)keys[n];  // range checks in check builds
  (void)index[n];
  sortWithIndex(n, keys.data(), index.data());
}

void uniteSortedLists(IntArray& a, IntArray& b) {
  const int na = a.empty() ? 0 : a[0];
  const int nb = b.empty() ? 0 : b[0];
  if (nb > 0) {
    IntArray order(nb + 1);
    sortWithIndex(nb, b, order);
  }
  std::vector<int> out;
  out.reserve(na + nb);
  int i = 1, j = 1;
  for (int step = 0; step < na + nb; ++step) {
    if (j < nb && b[j] == b[j + 1]) {
      ++j;
      continue;
    }
    const int x = i <= na ? a[i] : maxint;
    const int y = j <= nb ? b[j] : maxint;
    if (x < y) {
      out.push_back(x);
      ++i;
    } else if (x > y) {
      out.push_back(y);
      ++j;
    } else {
      ++j;
    }
  }
  if (a.size() < out.size() + 1) a.resize(out.size() + 1);
  a[0] = static_cast<int>(out.size());
  for (std::size_t k = 0; k < out.size(); ++k) a[k + 1] = out[k];
}

}  // namespace tesmo
