#pragma once
// What the two gridder engines (the expansion test and the arm extension) share: the refresh of
// the nearest-terminal data and of the bottleneck store, a Dijkstra bounded by a distance limit
// that reuses its buffers, and the reduced-cost arrays that follow the slots through R's edits.

#include "Heap.h"
#include "ReduceGraph.h"
#include "ReducedCostSet.h"

#include <optional>
#include <vector>

namespace tesmo {

// First, second and third nearest terminals, without a distance limit.
void refreshNearestTerminals(ReduceGraph& R);
// The generalized MST of the links and its bottleneck store (a matrix up to 500 terminals).
void refreshBottleneckStore(ReduceGraph& R);

// Reduced costs of k dual ascents, sized for every slot of R; arrays receives one pointer per
// root, to be handed to R's edits so that the costs follow the slots.
// sizeCode goes to the ascents as their size limit (1: three times the arc slots).
void attachReducedCosts(ReducedCostSet& set, ReduceGraph& R, int k, std::vector<IntArray*>& arrays, int sizeCode = 1);
// The same for a set that is already filled.
void attachReducedCostSet(ReducedCostSet& set, const ReduceGraph& R, std::vector<IntArray*>& arrays);

class BoundedSearch {
public:
  explicit BoundedSearch(int vertices);
  // Shortest distance start -> stop over live edges, never through the slots avoid1, avoid2
  // (either direction) nor into avoidVertex; maxint when above limit. The vertex checks name
  // module.
  int run(const ReduceGraph& R, int start, int stop, int avoid1, int avoid2, int avoidVertex, int limit,
          const char* module);

  // All maxint between searches.
  IntArray& distances() { return dist_; }
  IndexedHeap& heap() { return *heap_; }

private:
  IntArray dist_;
  IntArray touched_;  // count-prefixed
  std::optional<IndexedHeap> heap_;
};

}  // namespace tesmo
