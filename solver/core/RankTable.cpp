#include "RankTable.h"

#include "Arc.h"
#include "LogStream.h"
#include "Sort.h"

namespace tesmo {

RankTable::RankTable(int n, const int* values, const int* validFlags) {
  n = n > 0 ? n : 0;
  low_.assign(static_cast<std::size_t>(n) + 1, maxint);
  high_.assign(static_cast<std::size_t>(n) + 1, maxint);
  IntArray keys(static_cast<std::size_t>(n) + 1, 0);
  IntArray order(static_cast<std::size_t>(n) + 1, 0);
  valid_ = 0;
  for (int i = 1; i <= n; ++i) {
    if (validFlags == nullptr) {
      keys[i] = values[i];
    } else if (validFlags[i] != 0) {
      keys[i] = values[i] > maxint ? maxint : values[i];
    } else {
      keys[i] = maxint + 1;  // sorts behind every valid element
      continue;
    }
    ++valid_;
  }
  if (n == 0) return;
  sortWithIndex(n, keys, order);

  // Groups are runs of equal sort keys, so values cut to maxint share one group.
  int start = 1;
  for (int p = 1; p <= valid_; ++p) {
    if (keys[p] != keys[start]) start = p;
    low_[order[p]] = start;
  }
  int end = valid_;
  for (int p = valid_; p >= 1; --p) {
    if (keys[p] != keys[end]) end = p;
    high_[order[p]] = end;
  }
}

int RankTable::percent(int rank) const {
  if (valid_ == 0 || rank > valid_) return 100;
  return static_cast<int>(static_cast<long long>(rank) * 100 / valid_);
}

void RankTable::printRankPercent(int i) const {
  const int lo = percent(low_[i]);
  const int hi = percent(high_[i]);
  if (lo == hi) {
    logStream << "  " << lo << "  ";
  } else {
    if (lo <= 9) logStream << " ";
    logStream << lo << "-" << hi << " ";
  }
}

}  // namespace tesmo
