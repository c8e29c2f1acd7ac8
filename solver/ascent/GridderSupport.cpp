#include "GridderSupport.h"

#include "Check.h"

#include <cstdint>

namespace tesmo {

void refreshNearestTerminals(ReduceGraph& R) {
  R.computeVoronoiRegions(maxint);
  R.secondNearestTerminals(maxint);
  R.thirdNearestTerminals(maxint);
}

void refreshBottleneckStore(ReduceGraph& R) {
  R.generalizedMstUpper(0);
  if (R.R < 501) R.buildFindSaveMatrix();
  else R.buildFindSaveTree(1);
}

void attachReducedCosts(ReducedCostSet& set, ReduceGraph& R, int k, std::vector<IntArray*>& arrays, int sizeCode) {
  arrays.clear();
  if (k <= 0) return;
  reducedCostSetFromAscents(set, R, k, sizeCode);
  attachReducedCostSet(set, R, arrays);
}

void attachReducedCostSet(ReducedCostSet& set, const ReduceGraph& R, std::vector<IntArray*>& arrays) {
  arrays.clear();
  for (int r = 1; r <= set.rootCount(); ++r) {
    IntArray& costs = set.reducedCosts[r];
    if (costs.size() < R.delE.size()) costs.resize(R.delE.size(), 0);
    costs[0] = static_cast<int>(costs.size());
    arrays.push_back(&costs);
  }
}

BoundedSearch::BoundedSearch(int vertices) {
  const std::size_t n = static_cast<std::size_t>(vertices) + 1;
  dist_.assign(n, maxint);
  touched_.assign(n + 1, 0);
  heap_.emplace(vertices, dist_);
}

int BoundedSearch::run(const ReduceGraph& R, int start, int stop, int avoid1, int avoid2, int avoidVertex, int limit,
                       const char* module) {
  // When the handler lets the run go on, no way is known: nothing is read out of range.
  if (start < 1 || start > R.V) {
    exitWithWarning("start<1 || start>G->V", __LINE__, module);
    return maxint;
  }
  if (stop < 1 || stop > R.V) {
    exitWithWarning("stop<1 || stop>G->V", __LINE__, module);
    return maxint;
  }
  IndexedHeap& heap = *heap_;
  heap.clearHeap();
  touched_[0] = 0;
  touched_[++touched_[0]] = start;
  heap.heapInsert(start, 0);
  int found = maxint;
  while (!heap.empty()) {
    const int u = heap.heapExtractMin();
    if (u == stop) {
      found = dist_[u];
      break;
    }
    const int du = dist_[u];
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      if (s == avoid1 || s == avoid2 || R.partner[s] == avoid1 || R.partner[s] == avoid2) continue;
      const int w = R.arcs[s].head;
      if (w == avoidVertex) continue;
      const std::int64_t nd = std::int64_t{du} + R.arcs[s].cost;
      if (nd > limit || nd >= dist_[w]) continue;
      if (dist_[w] == maxint) {
        touched_[++touched_[0]] = w;
        heap.heapInsert(w, static_cast<int>(nd));
      } else {
        heap.heapDecreaseKey(w, static_cast<int>(nd));
      }
    }
  }
  heap.clearHeap();
  for (int i = 1; i <= touched_[0]; ++i) dist_[touched_[i]] = maxint;
  touched_[0] = 0;
  return found;
}

}  // namespace tesmo
