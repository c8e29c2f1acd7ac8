#pragma once
// Turns a set of flagged vertices into a Steiner tree: Prim from the first terminal over the
// flagged vertices until every terminal is taken, then non-terminal leaves are removed, climbing
// towards the root. Shared by the shortest-path heuristics and the exact MST.
//
// Sized once for a vertex count; run() reuses its buffers.

#include "Graph.h"
#include "Heap.h"
#include "SlotView.h"

#include <cstdint>
#include <iosfwd>

namespace tesmo {

class TreeCompletion {
public:
  explicit TreeCompletion(int vertexCount);

  // flagged[v] non-zero: v may be used. required[v] non-zero: v must be reached and is never
  // pruned; requiredCount of them exist (the root is one). The tree grows from root, by default
  // the first terminal. Returns false when the flagged vertices do not join all required ones
  // (the heap ran dry); the tree is then unusable.
  bool run(const SlotView& view, const unsigned char* flagged, const int* required, int requiredCount,
           int root = 0);

  std::int64_t mstWeight() const { return mst_; }
  std::int64_t prunedWeight() const { return pruned_; }
  std::int64_t weight() const { return mst_ - pruned_; }
  // The tree's slots, count-prefixed, into list (grown when needed).
  void writeSlots(IntArray& list) const;

  // Completions whose heap ran dry before every required vertex was taken, over all objects.
  // A hard instance fails millions of them, so they are counted, not written one by one.
  static std::int64_t emptyHeapCount() { return emptyHeaps_; }
  // Writes "empty PQ " with the count, once, when there was any, and starts counting anew.
  static void reportEmptyHeaps(std::ostream& out);

private:
  int V_;
  IntArray key_;
  IntArray pred_;       // > 0 taken (the vertex it was reached from), < 0 pending, 0 unseen
  IntArray predSlot_;   // slot of the edge to the predecessor
  IntArray children_;
  IntArray taken_;      // vertices in the order taken
  int takenCount_ = 0;
  IndexedHeap heap_;
  const int* required_ = nullptr;
  std::int64_t mst_ = 0;
  std::int64_t pruned_ = 0;
  int root_ = 0;
  static std::int64_t emptyHeaps_;
};

}  // namespace tesmo
