#pragma once
// Index-tracking sort and the union of sorted count-prefixed lists (1-based int arrays).

#include "CheckedVector.h"

namespace tesmo {

// Sorts keys[1..n] ascending in place (not stable); index[k] := the position, before sorting, of
// the key now at k.
void sortWithIndex(int n, int* keys, int* index);
void sortWithIndex(int n, IntArray& keys, IntArray& index);
inline void sortByKey(int n, IntArray& keys, IntArray& index) { sortWithIndex(n, keys, index); }

// a := the sorted union of a and b without repeats (a sorted, both count-prefixed). b's entries
// are sorted in place; a grows when it has no room.
void uniteSortedLists(IntArray& a, IntArray& b);

}  // namespace tesmo
