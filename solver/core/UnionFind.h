#pragma once
// Union-find on a size-encoded array: arr[x] > 0 is x's parent; arr[x] <= 0 marks a root whose set
// has 1 - arr[x] members (a new singleton holds 0). Elements are numbered from 1.

#include "CheckedVector.h"

namespace tesmo {

// Whether x and y lie in different sets (1) or not (0); with join set, the sets are united (the
// larger absorbs the smaller, x's root on a tie). Both paths are compressed.
int unionFindJoin(int x, int y, bool join, IntArray& arr);

// The same sets over an array of its own, sized once and reset in place.
class UnionFind {
public:
  UnionFind() = default;
  explicit UnionFind(int n) { reset(n); }

  // Singletons 1..n; the array grows when n needs it and is never given back.
  void reset(int n);
  // The root of x's set; the path to it is compressed.
  int find(int x);
  bool same(int x, int y) { return find(x) == find(y); }
  // Unites the sets of x and y as unionFindJoin does; false when they were one already.
  bool join(int x, int y) { return unionFindJoin(x, y, true, sets_) != 0; }
  // Unites two sets so that keep's root stays the root; false when they were one already.
  bool joinUnder(int keep, int other);

private:
  IntArray sets_;
};

}  // namespace tesmo
