#pragma once
// A block of slots inside an ExtArray, addressed from its first slot (offset 0). Only the start
// index is kept, so the arena may grow while the slice is in use.

#include "ExtArray.h"

namespace tesmo {

class ExtArraySlice {
public:
  // n >= 0: hands out n new slots; n < 0: attaches to the slots beginning at index -n.
  ExtArraySlice(ExtArray& arena, int n)
      : start_(n >= 0 ? arena.allocateInExtArray(n) : -n), arena_(&arena) {}

  int& operator[](int k) { return (*arena_)[start_ + k]; }
  int operator[](int k) const { return (*arena_)[start_ + k]; }
  int start() const { return start_; }

private:
  int start_;
  ExtArray* arena_;
};

}  // namespace tesmo
