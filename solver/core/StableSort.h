#pragma once
// A stable index-tracking sort for callers whose results depend on the order of equal keys.

#include "CheckedVector.h"

namespace tesmo {

// Sorts keys[1..n] ascending in place, equal keys keeping their order; index[k] := the position,
// before sorting, of the key now at k. keyWork and indexWork are scratch of at least n+1 entries,
// so the sort allocates nothing.
void stableSortWithIndex(int n, IntArray& keys, IntArray& index, IntArray& keyWork,
                         IntArray& indexWork);

}  // namespace tesmo
