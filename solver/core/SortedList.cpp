#include "SortedList.h"

#include <cstdlib>

namespace tesmo {

namespace {

long distance(int a, int b) { return std::labs(static_cast<long>(a) - b); }

}  // namespace

void moveInSortedList(SortedList& l, int i, int k) {
  int start = l.next[0];
  if (start != 0 && distance(l.key[l.prev[0]], k) < distance(l.key[start], k)) start = l.prev[0];
  if (l.key[i] != 0) {
    const int neighbour = k >= l.key[i] ? l.next[i] : l.prev[i];
    if (neighbour != 0 && distance(l.key[neighbour], k) < distance(l.key[start], k)) start = neighbour;
    const int p = l.prev[i], n = l.next[i];
    l.next[p] = n;
    l.prev[n] = p;
    l.key[i] = 0;
    if (start == i) start = neighbour != 0 ? neighbour : (n != 0 ? n : p);
  }
  int e = start;
  if (e != 0) {
    if (l.key[e] > k)
      while (l.key[e] > k && l.prev[e] != 0) e = l.prev[e];
    if (l.key[e] < k)
      while (e != 0 && l.key[e] < k) e = l.next[e];
  }
  const int p = l.prev[e];
  l.next[p] = i;
  l.prev[i] = p;
  l.next[i] = e;
  l.prev[e] = i;
  l.key[i] = k;
}

}  // namespace tesmo
