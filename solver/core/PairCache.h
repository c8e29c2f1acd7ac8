#pragma once
// A fixed-size, direct-mapped cache of values keyed by a vertex pair (i, j): row i - 1 holds
// 2^bits buckets and j picks one by its low bits. A bucket holding another j is overwritten, so
// the cache never grows. Derived classes say how a missing value is computed.

#include "CheckedVector.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace tesmo {

// The bucket bits of a cache over n rows: the wanted bits (clamped to 0..30, so a row index still
// fits), lowered while 2^bits exceeds 2n; an empty cache keeps one bucket per row.
int pairCacheBits(int n, int bits);

class PairCache {
public:
  // Pairs with i in 1..n and j >= 1. Rows have 2^bits buckets, fewer while that exceeds 2n.
  PairCache(int n, int bits);
  virtual ~PairCache() = default;

  PairCache(const PairCache&) = delete;
  PairCache& operator=(const PairCache&) = delete;

  int lookup(int i, int j) {
    const std::size_t entry = slot(i, j);
    if (key_[entry] == j) return value_[entry];
    const int v = compute(i, j);
    key_[entry] = j;
    value_[entry] = v;
    return v;
  }

  int n() const { return n_; }
  int bits() const { return bits_; }
  int mask() const { return mask_; }
  int bucketsPerRow() const { return mask_ + 1; }
  std::size_t size() const { return key_.size(); }

protected:
  virtual int compute(int i, int j) = 0;

private:
  std::size_t slot(int i, int j) const {
#ifdef TESMO_CHECKS
    if (i < 1 || i > n_ || j < 1) {
      std::fprintf(stderr, "pair cache key (%d, %d) outside 1..%d\n", i, j, n_);
      std::abort();
    }
#endif
    return (static_cast<std::size_t>(i - 1) << bits_) + static_cast<std::size_t>(j & mask_);
  }

  int n_ = 0;
  int bits_ = 0;
  int mask_ = 0;
  CheckedVector<int> value_;
  CheckedVector<int> key_;  // 0 = empty
};

}  // namespace tesmo
