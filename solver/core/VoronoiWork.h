#pragma once
// Work space of the nearest-terminal searches and the generalized MST, kept with the instance so
// that repeated runs allocate nothing: one indexed heap per distance row (keyed by that row) and
// the arrays for sorting and joining the region links.

#include "CheckedVector.h"
#include "Heap.h"
#include "RegionLink.h"

#include <memory>

namespace tesmo {

struct VoronoiWork {
  std::unique_ptr<IndexedHeap> heap[4];   // rows 1..3
  const int* heapKeys[4] = {};            // the row each heap was built on
  IntArray sortKeys, sortIndex, sortKeysWork, sortIndexWork;  // [0..Emax]
  CheckedVector<RegionLink> acceptedLinks;                     // [0..Emax]
  IntArray acceptedSlots;                                      // [0..Emax]
  IntArray terminalSets;  // [0..R] union-find over terminal indices
  IntArray vertexSets;    // [0..V] union-find over vertices
  IntArray treeSlots;     // [0..V] count-prefixed slots of the expanded forest
};

}  // namespace tesmo
