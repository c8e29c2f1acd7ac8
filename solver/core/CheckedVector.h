#pragma once
// A std::vector whose operator[] checks the index in check builds (TESMO_CHECKS), so the
// solver's 1-based arrays (count or sentinel in element 0) never read or write out of range
// unnoticed; release builds pay nothing.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tesmo {

[[noreturn]] inline void checkedVectorIndexFailure(std::size_t index, std::size_t size) {
  std::fprintf(stderr, "index %zu out of range (size %zu)\n", index, size);
  std::abort();
}

template <class T>
class CheckedVector : public std::vector<T> {
public:
  using std::vector<T>::vector;

  T& operator[](std::size_t i) {
    check(i);
    return std::vector<T>::operator[](i);
  }
  const T& operator[](std::size_t i) const {
    check(i);
    return std::vector<T>::operator[](i);
  }

  // The solver's "may be null" arrays are empty vectors.
  bool isNull() const { return this->empty(); }

private:
  void check([[maybe_unused]] std::size_t i) const {
#ifdef TESMO_CHECKS
    if (i >= this->size()) checkedVectorIndexFailure(i, this->size());
#endif
  }
};

using IntArray = CheckedVector<int>;

}  // namespace tesmo
