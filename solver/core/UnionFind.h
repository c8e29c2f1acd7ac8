#pragma once
// Union-find on a size-encoded array: arr[x] > 0 is x's parent; arr[x] <= 0 marks a root whose set
// has 1 - arr[x] members (a new singleton holds 0).

#include "CheckedVector.h"

namespace tesmo {

// Whether x and y lie in different sets (1) or not (0); with join set, the sets are united (the
// larger absorbs the smaller, x's root on a tie). Both paths are compressed.
int unionFindJoin(int x, int y, bool join, IntArray& arr);

}  // namespace tesmo
