#pragma once
// A table of fixed-width names (1-based) with optional integer values: the node names of the
// network read from an .out file, and the character weights while it is read.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tesmo {

class NameSpace {
public:
  NameSpace(int width, int capacity, bool withValues);

  // Index of the newest entry equal to name, 0 when absent.
  int find(std::string_view name) const;
  // Appends (growing first when full); names longer than width-1 are cut. Returns the index.
  int add(std::string_view name, int value = 0);
  // Doubles the capacity once when n exceeds it.
  void growNameSpace(int n);

  // Entry i; an index outside 1..count fails the check "i<1 || i>count".
  const char* name(int i) const;
  int value(int i) const;
  void setValue(int i, int value);

  int count() const { return count_; }
  int capacity() const { return capacity_; }
  int width() const { return width_; }

private:
  void checkIndex(int i) const;

  int width_;
  std::vector<char> data_;   // entry i at (i-1)*width, zero-terminated
  std::vector<int> values_;  // [0..capacity], empty without values
  int count_ = 0;
  int capacity_;
  std::unordered_map<std::string, int> newest_;  // name -> its newest index, so lookups stay O(1)
};

}  // namespace tesmo
