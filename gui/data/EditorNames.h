#pragma once
// The new-name rule both data editors share ("SQ"/"CH" + the first free number). Plain C++.

#include <charconv>
#include <cstddef>
#include <string>
#include <vector>

// `prefix` + the smallest number from 1 that no record's name uses. The numbers in use are
// gathered once, so large data sets do not pay a name search per candidate.
template <class Records>
std::string FreeRecordName(const std::string& prefix, const Records& records) {
  std::vector<bool> used(records.size() + 2, false);
  for (const auto& r : records) {
    const std::string& name = r.Name;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name[prefix.size()] == '0')
      continue;
    std::size_t n = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    const auto [end, ec] = std::from_chars(first, last, n);
    if (ec == std::errc() && end == last && n < used.size()) used[n] = true;
  }
  std::size_t n = 1;
  while (used[n]) ++n;
  return prefix + std::to_string(n);
}
