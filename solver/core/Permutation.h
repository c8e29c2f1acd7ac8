#pragma once
// The identity permutation a[1..n] (a union-find parent array at its start). Entry 0 is unused.

#include "CheckedVector.h"

namespace tesmo {

class Permutation {
public:
  explicit Permutation(int n) : a(n + 1, 0), n_(n) { resetPermutation(); }
  void resetPermutation() {
    for (int i = 1; i <= n_; ++i) a[i] = i;
  }
  int size() const { return n_; }
  IntArray a;

private:
  int n_;
};

}  // namespace tesmo
