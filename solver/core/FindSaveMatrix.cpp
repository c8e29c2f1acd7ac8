#include "FindSaveMatrix.h"

#include "Arc.h"

#include <algorithm>

namespace tesmo {

FindSaveMatrix::FindSaveMatrix(int n) { build(0, nullptr, n); }

void FindSaveMatrix::build(int linkCount, const RegionLink* links, int n) {
  if (n > 0) {
    n_ = n;
    if (n > allocated_) {
      matrix_.newMatrix(n, 0);
      ring_.assign(static_cast<std::size_t>(n) + 1, 0);
      ringId_.assign(static_cast<std::size_t>(n) + 1, 0);
      allocated_ = n;
    }
  }
  // Pairs that no link joins keep maxint: filling first is as cheap as the joins themselves and
  // also covers link lists that are not spanning trees.
  for (int v = 1; v <= n_; ++v) {
    std::fill(matrix_[v] + 1, matrix_[v] + n_ + 1, maxint);
    matrix_[v][v] = 0;
    ring_[v] = v;
    ringId_[v] = v;
  }

  for (int k = 1; k <= linkCount; ++k) {
    const RegionLink& link = links[k];
    if (!validLink(link)) continue;
    const int a = link.a;
    const int b = link.b;
    const int id = ringId_[a];
    if (ringId_[b] == id) continue;  // would close a cycle
    // The path x..a - b..y: its largest link is this one when the links ascend, and the max
    // below keeps the answer right for any order.
    int x = a;
    do {
      const int xa = matrix_[x][a];
      int y = b;
      do {
        const int value = std::max({link.length, xa, matrix_[b][y]});
        matrix_[x][y] = value;
        matrix_[y][x] = value;
        y = ring_[y];
      } while (y != b);
      x = ring_[x];
    } while (x != a);
    int y = b;
    do {
      ringId_[y] = id;
      y = ring_[y];
    } while (y != b);
    std::swap(ring_[a], ring_[b]);
  }
}

int FindSaveMatrix::d(int i, int j, int /*limit*/) {
  if (!isTerminal(i) || !isTerminal(j)) return maxint;
  return matrix_[i][j];
}

}  // namespace tesmo
