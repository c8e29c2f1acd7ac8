#include "ExtArray.h"

#include "Check.h"
#include "LogStream.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace tesmo {

namespace {
// data holds capacity + 1 ints and every index is an int.
constexpr long long maxCapacity = INT_MAX - 1;
}  // namespace

ExtArray::ExtArray(int capacity) {
  if (capacity <= 0) return;
  capacity_ = capacity;
  data_ = std::make_unique<int[]>(static_cast<std::size_t>(capacity) + 1);
  data_[0] = 0;
}

ExtArray::ExtArray(Zeroed, int capacity) { growZeroedExtArray(capacity); }

int ExtArray::checked(int i) const {
#ifdef TESMO_CHECKS
  if (!data_ || i < 0 || i > capacity_) {
    std::fprintf(stderr, "extendable array index %d out of range 0..%d\n", i, capacity_);
    std::abort();
  }
#endif
  return i;
}

int ExtArray::allocateInExtArray(int n) {
  if (n < 0) assertFail("n<0", __LINE__, "extArray");
  const int first = used() + 1;
  const long long need = static_cast<long long>(used()) + n + 1;
  if (need > maxCapacity) assertFail("need > maximal capacity", __LINE__, "extArray");
  if (need >= capacity_) growExtArray(static_cast<int>(need));
  data_[0] += n;
  return first;
}

void ExtArray::growExtArray(int n) {
  const bool refused = !growthAllowed_;
  // The text and line are the ones the log watchers and the stored failure files know.
  if (refused) exitWithWarning("\"increase not allowed.\"", 74, "extArray");

  long long capacity = capacity_;
  if (capacity == 0) {
    capacity = n;
  } else {
    while (capacity <= n) capacity *= 2;
    capacity = std::min(capacity, maxCapacity);
    if (capacity == capacity_) return;  // already large enough
    log(3) << "doubling extendable array to size: " << static_cast<int>(capacity) << ".\n";
  }
  if (capacity <= 0) return;

  auto grown = std::make_unique<int[]>(static_cast<std::size_t>(capacity) + 1);
  const int inUse = used();
  if (data_) std::copy(data_.get(), data_.get() + inUse + 1, grown.get());
  else grown[0] = 0;
  // A refused growth only gets here when the run goes on after the warning; pointers handed out
  // earlier must then keep pointing at live memory.
  if (refused && data_) retired_.push_back(std::move(data_));
  data_ = std::move(grown);
  capacity_ = static_cast<int>(capacity);
}

void ExtArray::growZeroedExtArray(int n) {
  growExtArray(n);
  if (data_) std::fill(data_.get() + used() + 1, data_.get() + capacity_ + 1, 0);
}

int* ExtArray::allocatePointerInExtArray(int n) {
  growthAllowed_ = false;
  const int first = allocateInExtArray(n);
  return data_.get() + first;
}

int** ExtArray::allocateMatrixInExtArray(int rows, int cols) {
  growthAllowed_ = false;
  if (rows < 0 || cols < 0) assertFail("rows<0 || cols<0", __LINE__, "extArray");
  const int width = (cols == 0 ? rows : cols) + 1;
  auto table = std::make_unique<int*[]>(static_cast<std::size_t>(rows) + 1);
  for (int r = 0; r <= rows; ++r) table[r] = data_.get() + allocateInExtArray(width);
  rowTables_.push_back(std::move(table));
  return rowTables_.back().get();
}

void ExtArray::truncateExtArrayAt(const int* p) {
  const long long offset = data_ ? p - data_.get() : -1;
  if (offset < 1 || offset > used() + 1) assertFail("pointer outside the array", __LINE__, "extArray");
  data_[0] = static_cast<int>(offset) - 1;
}

void ExtArray::releaseExtArrayFrom(int i) {
  if (i < 1 || i > used() + 1) assertFail("i<1 || i>used+1", __LINE__, "extArray");
  if (data_) data_[0] = i - 1;
}

}  // namespace tesmo
