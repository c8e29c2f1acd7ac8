#pragma once
// The rank range of every element of a value array among equal values: element i's value holds
// ranks low[i]..high[i] (1-based) of the valid elements in ascending order. Elements marked
// invalid take no rank (low = high = maxint).

#include "CheckedVector.h"

namespace tesmo {

class RankTable {
public:
  // values[1..n]; validFlags[1..n] (non-zero = valid) or null when all are valid. With flags a
  // valid value above maxint ranks as maxint.
  RankTable(int n, const int* values, const int* validFlags = nullptr);

  // Writes element i's ranks as percentages of the valid count to the log, at the level of the
  // message being written: "  p  " when low and high agree, else "[ ]lo-hi " (the blank only
  // below 10). No line end. An element without a rank shows as 100.
  void printRankPercent(int i) const;

  int low(int i) const { return low_[i]; }
  int high(int i) const { return high_[i]; }
  int valid() const { return valid_; }

private:
  int percent(int rank) const;

  IntArray low_;
  IntArray high_;
  int valid_ = 0;
};

}  // namespace tesmo
