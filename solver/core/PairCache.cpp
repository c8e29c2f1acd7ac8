#include "PairCache.h"

#include "Check.h"

#include <algorithm>

namespace tesmo {

int pairCacheBits(int n, int bits) {
  int b = std::clamp(bits, 0, 30);
  while (b > 0 && (1LL << b) > 2LL * n) --b;
  return b;
}

PairCache::PairCache(int n, int bits) {
  // Text and line as the log watchers and stored failure files know them.
  if (n < 0) exitWithWarning("n<0", 132, "extArray");
  n_ = std::max(n, 0);
  bits_ = pairCacheBits(n_, bits);
  mask_ = (1 << bits_) - 1;
  const std::size_t entries = static_cast<std::size_t>(n_) << bits_;
  value_.assign(entries, 0);
  key_.assign(entries, 0);
}

}  // namespace tesmo
