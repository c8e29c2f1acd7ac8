#include "UnionFind.h"

#include <algorithm>

namespace tesmo {

namespace {

int findRoot(int x, IntArray& arr) {
  int root = x;
  while (arr[root] > 0) root = arr[root];
  while (x != root) {
    const int next = arr[x];
    if (next <= 0) break;
    arr[x] = root;
    x = next;
  }
  return root;
}

void absorb(int root, int other, IntArray& arr) {
  arr[root] = arr[root] + arr[other] - 1;
  arr[other] = root;
}

}  // namespace

int unionFindJoin(int x, int y, bool join, IntArray& arr) {
  const int rx = findRoot(x, arr);
  const int ry = findRoot(y, arr);
  if (rx == ry) return 0;
  if (join) {
    if (arr[ry] < arr[rx]) {
      absorb(ry, rx, arr);
    } else {
      absorb(rx, ry, arr);
    }
  }
  return 1;
}

void UnionFind::reset(int n) {
  const std::size_t size = static_cast<std::size_t>(std::max(n, 0)) + 1;
  if (sets_.size() < size) sets_.resize(size);
  std::fill(sets_.begin(), sets_.begin() + static_cast<std::ptrdiff_t>(size), 0);
}

int UnionFind::find(int x) { return findRoot(x, sets_); }

bool UnionFind::joinUnder(int keep, int other) {
  const int rk = find(keep);
  const int ro = find(other);
  if (rk == ro) return false;
  absorb(rk, ro, sets_);
  return true;
}

}  // namespace tesmo
