#include "MemberLists.h"

#include <utility>

namespace tesmo {

void MemberLists::reset(int n) {
  next.resize(static_cast<std::size_t>(n) + 1);
  size.resize(static_cast<std::size_t>(n) + 1);
  root.resize(static_cast<std::size_t>(n) + 1);
  for (int x = 0; x <= n; ++x) {
    next[x] = x;
    size[x] = 1;
    root[x] = x;
  }
}

int mergeMemberLists(MemberLists& sets, int a, int b) {
  const int ra = sets.root[a];
  const int rb = sets.root[b];
  // Splicing a circle into itself would cut it in two.
  if (ra == rb) return ra;
  int survivor = ra;
  int other = b;
  if (sets.size[ra] < sets.size[rb]) {
    survivor = rb;
    other = a;
  }
  sets.size[survivor] = sets.size[ra] + sets.size[rb];
  int x = other;
  do {
    sets.root[x] = survivor;
    x = sets.next[x];
  } while (x != other);
  // Exchanging the successors inserts the other circle after the survivor.
  std::swap(sets.next[survivor], sets.next[other]);
  return survivor;
}

}  // namespace tesmo
