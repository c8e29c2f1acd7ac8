#include "SolutionHash.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tesmo {

SolutionHash::SolutionHash(int size, int scratchLength, int* store, const int* starts) {
  setUp(size, scratchLength, store, starts);
}

void SolutionHash::setUp(int size, int scratchLength, int* store, const int* starts) {
  size_ = std::max(size, 0);
  scratchLength_ = scratchLength;
  store_ = store;
  starts_ = starts;
  // Sorting happens in place, so the scratch length only switches it on.
  slots_.assign(2 * static_cast<std::size_t>(size_) + 1, 0);
  next_.assign(static_cast<std::size_t>(size_) + 1, 0);
}

void SolutionHash::clearSolutionHash() {
  std::fill(slots_.begin(), slots_.end(), 0);
  std::fill(next_.begin(), next_.end(), 0);
}

unsigned SolutionHash::hashList(const int* list) {
  unsigned h = 1;
  for (unsigned k = 1; list[k - 1] != 0; ++k) {
    const unsigned v = static_cast<unsigned>(list[k - 1]);
    h += (v + k) * v;
  }
  if (static_cast<int>(h) < 0) h = 0u - h;
  return h;
}

void SolutionHash::checkEntry([[maybe_unused]] int i) const {
#ifdef TESMO_CHECKS
  if (i < 1 || i > size_ || store_ == nullptr || starts_ == nullptr) {
    std::fprintf(stderr, "solution hash entry %d out of range 1..%d\n", i, size_);
    std::abort();
  }
#endif
}

int SolutionHash::slotOf(int i) {
  checkEntry(i);
  if (scratchLength_ != 0) {
    int* first = store_ + starts_[i];
    int* last = first;
    while (*last != 0) ++last;
    std::sort(first, last);
  }
  return static_cast<int>(hashList(list(i)) % slots_.size());
}

bool SolutionHash::equalLists(int a, int b) const {
  const int* x = list(a);
  const int* y = list(b);
  while (*x == *y) {
    if (*x == 0) return true;
    ++x;
    ++y;
  }
  return false;
}

int SolutionHash::checkAndInsert(int i) {
  const int slot = slotOf(i);
  int e = slots_[slot];
  if (e == 0) {
    slots_[slot] = i;
    next_[i] = 0;
    return 1;
  }
  // Walking the chain before touching next[i] keeps the chain whole when i is already in it.
  for (;;) {
    if (e == i || equalLists(e, i)) return 0;
    if (next_[e] == 0) break;
    e = next_[e];
  }
  next_[e] = i;
  next_[i] = 0;
  return 2;
}

int SolutionHash::checkAndInsert2(int i) {
  const int live = starts_[0];
  const int slot = slotOf(i);
  int e = slots_[slot];
  if (e == 0 || e > live) {
    slots_[slot] = i;
    next_[i] = 0;
    return i;
  }
  for (;;) {
    if (e == i || equalLists(e, i)) return e;
    const int n = next_[e];
    if (n == 0 || n > live) break;
    e = n;
  }
  next_[e] = i;
  next_[i] = 0;
  return i;
}

void SolutionHash::removeFromHash(int i) {
  const int slot = slotOf(i);
  int e = slots_[slot];
  if (e == i) {
    slots_[slot] = next_[i];
  } else {
    while (e != 0 && next_[e] != i) e = next_[e];
    if (e == 0) return;
    next_[e] = next_[i];
  }
  next_[i] = 0;
}

}  // namespace tesmo
