#pragma once
// A binary min-heap over item numbers 1..capacity whose keys live outside the heap, so callers
// read distances directly. It never allocates after construction.
//
// Ties: a new item stays below items of equal key, and an item sifted down ends above them.
//
// With KeyCopies each heap position also keeps its item's key, so the sifts compare without
// reading the keys array: the same moves, for searches that change keys only through the heap
// (check builds stop on a key written behind its back). The plain heap reads the keys array,
// which callers that reset the keys of items left in a cleared heap rely on.

#include "CheckedVector.h"

#include <cstdio>
#include <cstdlib>

namespace tesmo {

template <bool KeyCopies>
class BasicIndexedHeap {
public:
  // keys must hold at least capacity+1 entries and outlive the heap.
  BasicIndexedHeap(int capacity, int* keys)
      : keys_(keys),
        heap_(capacity + 1),
        heapKey_(KeyCopies ? capacity + 1 : 0),
        position_(capacity + 1),
        capacity_(capacity) {}
  BasicIndexedHeap(int capacity, IntArray& keys) : BasicIndexedHeap(capacity, keys.data()) {
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
    const int lastKey = KeyCopies ? heapKey_[size_] : keys_[heap_[size_]];
    const int last = heap_[size_--];
    if (size_ > 0) {
      place(1, last, lastKey);
      siftDown(1, last, lastKey);
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
    if (key < old) {
      siftUp(position_[item], item, key);
    } else {
      if constexpr (KeyCopies) heapKey_[position_[item]] = key;
      siftDown(position_[item], item, key);
    }
  }

private:
  void place(int pos, int item, int key) {
    heap_[pos] = item;
    if constexpr (KeyCopies) heapKey_[pos] = key;
    position_[item] = pos;
  }
  void moveTo(int from, int to) { place(to, heap_[from], KeyCopies ? heapKey_[from] : 0); }
  int keyAt(int pos) const {
    if constexpr (KeyCopies) {
#ifdef TESMO_CHECKS
      if (heapKey_[pos] != keys_[heap_[pos]]) {
        std::fprintf(stderr, "heap: the key of item %d changed outside the heap\n", heap_[pos]);
        std::abort();
      }
#endif
      return heapKey_[pos];
    } else {
      return keys_[heap_[pos]];
    }
  }
  void siftUp(int i, int x, int k) {
    while (i >= 2 && keyAt(i / 2) > k) {
      moveTo(i / 2, i);
      i /= 2;
    }
    place(i, x, k);
  }
  // Bottom-up: run down the path of smaller children to a leaf, climb back to where x belongs,
  // then shift the path above that point up one level.
  void siftDown(int i, int x, int k) {
    int j = i;
    while (2 * j <= size_) {
      int c = 2 * j;
      if (c + 1 <= size_ && !(keyAt(c) < keyAt(c + 1))) ++c;
      j = c;
    }
    while (j > i && k <= keyAt(j)) j /= 2;
    if (j == i) return;
    int depth = 0;
    for (int p = j; p > i; p /= 2) ++depth;
    int parent = i;
    for (int d = depth - 1; d >= 0; --d) {
      const int child = j >> d;
      moveTo(child, parent);
      parent = child;
    }
    place(j, x, k);
  }

  int* keys_;
  IntArray heap_;
  IntArray heapKey_;  // with KeyCopies: [pos] the key of heap_[pos]
  IntArray position_;
  int capacity_;
  int size_ = 0;
};

using IndexedHeap = BasicIndexedHeap<false>;
using CopiedKeyHeap = BasicIndexedHeap<true>;

}  // namespace tesmo
