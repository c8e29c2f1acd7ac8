#pragma once
// A hash set of 0-terminated int lists that live in a caller-owned store: trees as edge lists,
// partitions, separators. The set keeps only entry numbers, so nothing is copied; entry i is the
// list beginning at store[starts[i]].

#include "CheckedVector.h"

namespace tesmo {

class SolutionHash {
public:
  // Empty; call setUp() before use.
  SolutionHash() = default;
  // size: highest entry number; scratchLength 0 hashes lists as they are, otherwise each list is
  // sorted ascending in place first (so lists compare as sets).
  SolutionHash(int size, int scratchLength, int* store, const int* starts);

  SolutionHash(const SolutionHash&) = delete;
  SolutionHash& operator=(const SolutionHash&) = delete;

  void setUp(int size, int scratchLength, int* store, const int* starts);
  // The store may move (a growing pool); the entries keep their start indices.
  void setStore(int* store) { store_ = store; }

  void clearSolutionHash();

  // 0 when an equal list is already stored; otherwise inserts entry i and returns 1 when its
  // slot was empty, 2 when it joined a chain.
  int checkAndInsert(int i);
  // The number of the stored equal entry, or i when i was inserted. Entries numbered above
  // starts[0] are stale: a stale chain head is overwritten, a chain walk stops at a stale link.
  int checkAndInsert2(int i);
  // Unlinks entry i (hashing its list as it stands now); nothing when it is not stored.
  void removeFromHash(int i);

  // 1 + sum over positions k = 1, 2, ... of (v_k + k) * v_k in 32-bit wrap-around arithmetic,
  // folded to its absolute value; unsigned, so even the fold of INT_MIN is a valid slot key.
  static unsigned hashList(const int* list);

  int size() const { return size_; }
  int slotCount() const { return static_cast<int>(slots_.size()); }
  // The slot entry i's list hashes to (sorting it first when sorting is on).
  int slotOf(int i);

private:
  const int* list(int i) const { return store_ + starts_[i]; }
  bool equalLists(int a, int b) const;
  void checkEntry(int i) const;

  IntArray slots_;  // entry heading each chain, 0 = empty
  IntArray next_;   // next entry in the same chain, 0 = end
  int size_ = 0;
  int scratchLength_ = 0;
  int* store_ = nullptr;
  const int* starts_ = nullptr;
};

}  // namespace tesmo
