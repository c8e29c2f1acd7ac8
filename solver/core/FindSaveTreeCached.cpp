#include "FindSaveTreeCached.h"

#include "Arc.h"
#include "PairCache.h"

#include <algorithm>

namespace tesmo {

FindSaveTreeCached::FindSaveTreeCached(int n, int hashBits) : FindSaveTree(n), hashBits_(hashBits) {
  sizeCache();
}

void FindSaveTreeCached::sizeCache() {
  bits_ = pairCacheBits(n_, hashBits_);
  mask_ = (1 << bits_) - 1;
  cacheRows_ = n_;
  const std::size_t entries = static_cast<std::size_t>(n_) << bits_;
  key_.assign(entries, 0);
  value_.assign(entries, 0);
}

void FindSaveTreeCached::build(int linkCount, const RegionLink* links, int n) {
  FindSaveTree::build(linkCount, links, n);
  // More terminals than the cache has rows for: size it anew for the new count.
  if (n_ > cacheRows_) sizeCache();
  else std::fill(key_.begin(), key_.end(), 0);
}

int FindSaveTreeCached::d(int i, int j, int /*limit*/) {
  if (!isTerminal(i) || !isTerminal(j)) return maxint;
  int a = i;
  int b = j;
  if (depth(a) < depth(b) || (depth(a) == depth(b) && a < b)) std::swap(a, b);
  const std::size_t slot =
      (static_cast<std::size_t>(a - 1) << bits_) + static_cast<std::size_t>(b & mask_);
  if (key_[slot] == b) return value_[slot];
  const int value = pathMax(a, b);
  key_[slot] = b;
  value_[slot] = value;
  return value;
}

}  // namespace tesmo
