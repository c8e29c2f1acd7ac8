#pragma once
// FindSaveTree with a direct-mapped cache per terminal: a query keyed by its deeper end (the
// larger number on equal depth) looks in that terminal's row first, in the bucket picked by the
// low bits of the other end.

#include "CheckedVector.h"
#include "FindSaveTree.h"

namespace tesmo {

class FindSaveTreeCached : public FindSaveTree {
public:
  // Terminals 1..n; hashBits asks for 2^hashBits buckets per terminal, fewer while that exceeds
  // 2n.
  FindSaveTreeCached(int n, int hashBits);

  void build(int linkCount, const RegionLink* links, int n) override;
  int d(int i, int j, int limit) override;
  int kind() const override { return treeCachedKind; }

  int bits() const { return bits_; }
  int bucketsPerTerminal() const { return mask_ + 1; }

private:
  void sizeCache();

  int hashBits_;
  int bits_ = 0;
  int mask_ = 0;
  int cacheRows_ = -1;
  IntArray key_;  // 0 = empty
  IntArray value_;
};

}  // namespace tesmo
