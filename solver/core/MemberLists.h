#pragma once
// Disjoint sets kept as circular member lists, so that all members of a set can be walked:
// next[x] is the next member of x's set, root[x] the set x belongs to, size[r] the members of
// the set with root r.

#include "CheckedVector.h"

namespace tesmo {

struct MemberLists {
  IntArray next;
  IntArray size;
  IntArray root;

  // Elements 1..n, each a set of its own.
  void reset(int n);
};

// Joins the sets of a and b (the larger set's root survives, a's on a tie) and returns the
// surviving root; a and b already in one set change nothing.
int mergeMemberLists(MemberLists& sets, int a, int b);

}  // namespace tesmo
