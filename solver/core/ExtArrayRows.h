#pragma once
// A ragged table inside an ExtArray: a block of row heads, each holding the arena index of its
// row. Only indices are kept, so the arena may grow while the table is in use.

#include "ExtArray.h"

namespace tesmo {

class ExtArrayRows {
public:
  // Rows 0..rows with cols + 1 slots each (rows + 1 when cols is 0).
  ExtArrayRows(ExtArray& arena, int rows, int cols);

  // Arena index of element 0 of row r.
  int rowStart(int r) const { return (*arena_)[head_ + r]; }
  int& operator()(int r, int c) { return (*arena_)[rowStart(r) + c]; }
  int operator()(int r, int c) const { return (*arena_)[rowStart(r) + c]; }
  int head() const { return head_; }

private:
  int head_;
  ExtArray* arena_;
};

}  // namespace tesmo
