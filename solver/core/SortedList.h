#pragma once
// A key-sorted doubly linked list of elements 1..n, circular through element 0: next[0] is the
// first element, prev[0] the last; key 0 means "not in the list".

#include "CheckedVector.h"

namespace tesmo {

struct SortedList {
  explicit SortedList(int n) : key(n + 1, 0), next(n + 1, 0), prev(n + 1, 0) {}
  IntArray key;
  IntArray next;
  IntArray prev;
};

// Removes i (when present) and inserts it with key k > 0, walking from whichever end or
// neighbour is closest to k.
void moveInSortedList(SortedList& list, int i, int k);

}  // namespace tesmo
