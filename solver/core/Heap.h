#pragma once
// A binary min-heap over item numbers 1..capacity whose keys live outside the heap, so callers
// read distances directly. It never allocates after construction.
//
// Ties: a new item stays below items of equal key, and an item sifted down ends above them.

#include "CheckedVector.h"

namespace tesmo {

class IndexedHeap {
public:
  // keys must hold at least capacity+1 entries and outlive the heap.
  IndexedHeap(int capacity, int* keys)
      : keys_(keys), heap_(capacity + 1), position_(capacity + 1), capacity_(capacity) {}
  IndexedHeap(int capacity, IntArray& keys) : IndexedHeap(capacity, keys.data()) {
#ifdef TESMO_CHECKS
    if (keys.size() < static_cast<std::size_t>(capacity) + 1) checkedVectorIndexFailure(capacity, keys.size());
#endif
  }

  void clearHeap() { size_ = 0; }
  int size() const { return size_; }
  bool empty() const { return size_ == 0; }
  int capacity() const { return capacity_; }
  // Heap position of an item; 0 = not in the heap (valid only for items inserted at some time).
  int position(int item) const { return position_[item]; }

  void heapInsert(int item, int key) {
    keys_[item] = key;
    heap_[++size_] = item;
    siftUp(size_, item, key);
  }
  // The item of smallest key, removed; -1 when the heap is empty.
  int heapExtractMin() {
    if (size_ == 0) return -1;
    const int top = heap_[1];
    position_[top] = 0;
    const int last = heap_[size_--];
    if (size_ > 0) {
      heap_[1] = last;
      position_[last] = 1;
      siftDown(1, last, keys_[last]);
    }
    return top;
  }
  int heapKeyAt(int pos) const { return keys_[heap_[pos]]; }
  int heapItemAt(int pos) const { return heap_[pos]; }
  void heapDecreaseKey(int item, int key) {
    keys_[item] = key;
    siftUp(position_[item], item, key);
  }
  void heapChangeKey(int item, int key) {
    const int old = keys_[item];
    keys_[item] = key;
    if (key < old)
      siftUp(position_[item], item, key);
    else
      siftDown(position_[item], item, key);
  }

private:
  void place(int pos, int item) {
    heap_[pos] = item;
    position_[item] = pos;
  }
  void siftUp(int i, int x, int k) {
    while (i >= 2 && keys_[heap_[i / 2]] > k) {
      place(i, heap_[i / 2]);
      i /= 2;
    }
    place(i, x);
  }
  // Bottom-up: run down the path of smaller children to a leaf, climb back to where x belongs,
  // then shift the path above that point up one level.
  void siftDown(int i, int x, int k) {
    int j = i;
    while (2 * j <= size_) {
      int c = 2 * j;
      if (c + 1 <= size_ && !(keys_[heap_[c]] < keys_[heap_[c + 1]])) ++c;
      j = c;
    }
    while (j > i && k <= keys_[heap_[j]]) j /= 2;
    if (j == i) return;
    int depth = 0;
    for (int p = j; p > i; p /= 2) ++depth;
    int parent = i;
    for (int d = depth - 1; d >= 0; --d) {
      const int child = j >> d;
      place(parent, heap_[child]);
      parent = child;
    }
    place(j, x);
  }

  int* keys_;
  IntArray heap_;
  IntArray position_;
  int capacity_;
  int size_ = 0;
};

}  // namespace tesmo
