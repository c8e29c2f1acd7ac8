#include "UnionFind.h"

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

}  // namespace

int unionFindJoin(int x, int y, bool join, IntArray& arr) {
  const int rx = findRoot(x, arr);
  const int ry = findRoot(y, arr);
  if (rx == ry) return 0;
  if (join) {
    const int absorbing = arr[ry] < arr[rx] ? ry : rx;
    const int other = absorbing == rx ? ry : rx;
    arr[absorbing] = arr[absorbing] + arr[other] - 1;
    arr[other] = absorbing;
  }
  return 1;
}

}  // namespace tesmo
