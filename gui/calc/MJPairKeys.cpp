#include "MJPairKeys.h"
#include "MJRenumber.h"

#include <algorithm>

void TMJPairKeys::SortKeys(std::vector<uint64_t>& keys) {
  std::sort(keys.begin(), keys.end());
}

void TMJPairKeys::Merge() {
  // From the back into the room made at the end: no second buffer of all keys.
  std::size_t k = keys_.size(), a = added_.size();
  keys_.resize(k + a);
  std::size_t out = k + a;
  while (a > 0) {
    if (k > 0 && keys_[k - 1] > added_[a - 1])
      keys_[--out] = keys_[--k];
    else
      keys_[--out] = added_[--a];
  }
  added_.clear();
}

void TMJPairKeys::Remove(const std::vector<int>& removed) {
  if (!valid_ || removed.empty()) return;
  const int next = RenumberRemaining(count_, removed, newNumber_);
  CompactByNumber(newNumber_, next, flags_);
  count_ = next;
  // Renumbering in order keeps the (distance, i, j) order of the remaining keys.
  std::size_t write = 0;
  for (const uint64_t key : keys_) {
    const int i = newNumber_[static_cast<std::size_t>(FirstOf(key))];
    const int j = newNumber_[static_cast<std::size_t>(SecondOf(key))];
    if (i == 0 || j == 0) continue;
    keys_[write++] = (key & ~((uint64_t{1} << 34) - 4)) | static_cast<uint64_t>(i) << 18 |
                     static_cast<uint64_t>(j) << 2;
  }
  keys_.resize(write);
}
