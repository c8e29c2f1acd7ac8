#pragma once
// Renumbering of the sequences 1..n after some are removed: the rest keep their order.

#include <cstddef>
#include <vector>

// New numbers 1..m of the sequences 1..n left after removing the sorted list `removed` (0 for a
// removed one), in newNumber (sized n + 1); returns m.
inline int RenumberRemaining(int n, const std::vector<int>& removed, std::vector<int>& newNumber) {
  newNumber.assign(static_cast<std::size_t>(n) + 1, 0);
  int next = 0;
  std::size_t r = 0;
  for (int k = 1; k <= n; ++k) {
    if (r < removed.size() && removed[r] == k) {
      ++r;
      continue;
    }
    newNumber[static_cast<std::size_t>(k)] = ++next;
  }
  return next;
}

// Moves entry k of a 1-based array to its new number and cuts the array to m + 1 entries; new
// numbers never exceed old ones, so one forward pass compacts in place.
template <class Values>
void CompactByNumber(const std::vector<int>& newNumber, int m, Values& values) {
  for (std::size_t k = 1; k < newNumber.size(); ++k)
    if (newNumber[k] != 0) values[static_cast<std::size_t>(newNumber[k])] = values[k];
  values.resize(static_cast<std::size_t>(m) + 1);
}
