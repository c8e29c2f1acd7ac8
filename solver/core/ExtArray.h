#pragma once
// An arena of ints that grows by doubling and hands out index ranges. Element 0 holds the number
// of slots in use; slots 1..used have been handed out. Growing moves the data, so users keep
// indices, not pointers; once a pointer has been handed out the arena refuses to grow.

#include <memory>
#include <vector>

namespace tesmo {

class ExtArray {
public:
  // Capacity 0 leaves the arena without data until the first allocation.
  explicit ExtArray(int capacity = 0);
  // An arena of the given capacity whose slots are all 0.
  struct Zeroed {};
  ExtArray(Zeroed, int capacity);

  ExtArray(const ExtArray&) = delete;
  ExtArray& operator=(const ExtArray&) = delete;

  // Hands out n slots and returns the index of the first; grows when fewer than n + 1 slots are
  // left.
  int allocateInExtArray(int n);
  // Makes room for at least n slots: capacity 0 becomes n, any other doubles until it exceeds n.
  // Refused (a failed check) once a pointer has been handed out.
  void growExtArray(int n);
  // growExtArray, then the slots above the used ones are zeroed.
  void growZeroedExtArray(int n);
  // Forbids growth and hands out n slots as a pointer to the first.
  int* allocatePointerInExtArray(int n);
  // Forbids growth and hands out a table of rows 0..rows with cols + 1 slots each (rows + 1 when
  // cols is 0). The row-pointer table belongs to the arena.
  int** allocateMatrixInExtArray(int rows, int cols);
  // The slot p points at becomes the next free one.
  void truncateExtArrayAt(const int* p);
  // Slot i becomes the next free one.
  void releaseExtArrayFrom(int i);

  int& operator[](int i) { return data_[checked(i)]; }
  int operator[](int i) const { return data_[checked(i)]; }
  int used() const { return data_ ? data_[0] : 0; }
  int capacity() const { return capacity_; }
  bool growthAllowed() const { return growthAllowed_; }
  int* data() { return data_.get(); }

private:
  int checked(int i) const;

  int capacity_ = 0;
  bool growthAllowed_ = true;
  std::unique_ptr<int[]> data_;  // capacity + 1 ints
  // Blocks left behind by a growth that a continued run forced after a refusal: handed-out
  // pointers may still point into them, so they live as long as the arena.
  std::vector<std::unique_ptr<int[]>> retired_;
  std::vector<std::unique_ptr<int*[]>> rowTables_;
};

}  // namespace tesmo
