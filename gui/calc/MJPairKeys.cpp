#include "MJPairKeys.h"

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
  newNumber_.assign(static_cast<std::size_t>(count_) + 1, 0);
  int next = 0;
  std::size_t r = 0;
  for (int k = 1; k <= count_; ++k) {
    if (r < removed.size() && removed[r] == k) {
      ++r;
      continue;
    }
    newNumber_[static_cast<std::size_t>(k)] = ++next;
    flags_[static_cast<std::size_t>(next)] = flags_[static_cast<std::size_t>(k)];
  }
  flags_.resize(static_cast<std::size_t>(next) + 1);
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
