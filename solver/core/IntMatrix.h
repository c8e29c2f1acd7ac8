#pragma once
// An int matrix of rows 0..n and columns 0..m (m = 0: square) in one block, read as matrix[i][j].
// Contents are undefined after allocation; callers initialise what they read.

#include <cstddef>
#include <vector>

namespace tesmo {

class IntMatrix {
public:
  IntMatrix() = default;
  IntMatrix(int n, int m) { newMatrix(n, m); }

  void newMatrix(int n, int m) {
    rows_ = n + 1;
    columns_ = (m == 0 ? n : m) + 1;
    block_.assign(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_), 0);
  }
  void deleteMatrix() {
    block_.clear();
    block_.shrink_to_fit();
    rows_ = columns_ = 0;
  }
  bool isNull() const { return block_.empty(); }
  int rows() const { return rows_; }
  int columns() const { return columns_; }

  int* operator[](int i) { return block_.data() + static_cast<std::size_t>(i) * columns_; }
  const int* operator[](int i) const {
    return block_.data() + static_cast<std::size_t>(i) * columns_;
  }

private:
  std::vector<int> block_;
  int rows_ = 0;
  int columns_ = 0;
};

}  // namespace tesmo
