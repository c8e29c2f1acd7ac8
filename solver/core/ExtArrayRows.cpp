#include "ExtArrayRows.h"

namespace tesmo {

ExtArrayRows::ExtArrayRows(ExtArray& arena, int rows, int cols) : arena_(&arena) {
  head_ = arena.allocateInExtArray(rows + 1);
  const int width = (cols == 0 ? rows : cols) + 1;
  for (int r = 0; r <= rows; ++r) {
    const int start = arena.allocateInExtArray(width);  // may move the data: index again
    arena[head_ + r] = start;
  }
}

}  // namespace tesmo
