#include "AscentRecorder.h"

#include "Heap.h"

#include <algorithm>

namespace tesmo {

namespace {

int saturatedSum(int a, int b) {
  return static_cast<int>(std::min<std::int64_t>(maxint, std::int64_t{a} + b));
}

}  // namespace

AscentRecorder::AscentRecorder(ReduceGraph& R, IntMatrix* raises, IntMatrix* distances)
    : AscentEngine(R, 0),
      keys_(static_cast<std::size_t>(R.V) + 1, 0),
      settled_(static_cast<std::size_t>(R.V) + 1, 0) {
  if (raises != nullptr && distances != nullptr) {
    raise_ = raises;
    distance_ = distances;
  } else {
    ownRaise_.newMatrix(nTerminals, nArcs);
    ownDistance_.newMatrix(nTerminals, nVertices);
    raise_ = &ownRaise_;
    distance_ = &ownDistance_;
    ownsMatrices_ = true;
  }
  for (int k = 1; k <= nTerminals; ++k) std::fill((*raise_)[k] + 1, (*raise_)[k] + nArcs + 1, 0);
}

void AscentRecorder::onDualIncrease() {
  int* row = (*raise_)[chosen];
  for (int i = 1; i <= cutArcs[0]; ++i) {
    const int a = cutArcs[i];
    row[a] = saturatedSum(row[a], delta);
  }
}

void AscentRecorder::recordedRaiseDistances() {
  if (root < 1 || rootVertex < 1) return;
  IndexedHeap heap(nVertices, keys_);
  for (int k = 1; k <= nTerminals; ++k) {
    if (k == root) continue;
    const int* length = (*raise_)[k];
    int* dist = (*distance_)[k];
    std::fill(dist, dist + nVertices + 1, maxint);
    std::fill(settled_.begin(), settled_.end(), 0);
    heap.clearHeap();
    dist[rootVertex] = 0;
    heap.heapInsert(rootVertex, 0);
    while (!heap.empty()) {
      const int x = heap.heapExtractMin();
      settled_[x] = 1;
      for (int s = instance.nextLiveSlot(x, 0); s != 0; s = instance.nextLiveSlot(x, s)) {
        const int w = instance.arcs[s].head;
        if (settled_[w]) continue;
        const int d = saturatedSum(dist[x], length[s]);
        if (d >= dist[w]) continue;
        const bool queued = dist[w] != maxint;
        dist[w] = d;
        if (queued) heap.heapDecreaseKey(w, d);
        else heap.heapInsert(w, d);
      }
    }
  }
}

std::int64_t shortestPathTreeCost(const ReduceGraph& R, int start) {
  if (start < 1 || start > R.R) return maxint;
  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  IntArray dist(vertices, maxint), pred(vertices, 0), inTree(vertices, 0);
  IndexedHeap heap(R.V, dist);
  inTree[R.terminals[start]] = 1;
  std::int64_t total = 0;
  for (int round = 1; round < R.R; ++round) {
    heap.clearHeap();
    std::fill(dist.begin(), dist.end(), maxint);
    std::fill(pred.begin(), pred.end(), 0);
    for (int v = 1; v <= R.V; ++v)
      if (inTree[v]) {
        pred[v] = -maxint;
        heap.heapInsert(v, 0);
      }
    int reached = 0;
    while (!heap.empty()) {
      const int x = heap.heapExtractMin();
      pred[x] = -pred[x];  // settled
      if (R.isReq[x] != 0 && !inTree[x]) {
        reached = x;
        break;
      }
      for (int s = R.nextLiveSlot(x, 0); s != 0; s = R.nextLiveSlot(x, s)) {
        const int w = R.arcs[s].head;
        if (pred[w] > 0) continue;
        const int d = saturatedSum(dist[x], R.arcs[s].cost);
        if (d >= dist[w]) continue;
        if (pred[w] == 0) heap.heapInsert(w, d);
        else heap.heapDecreaseKey(w, d);
        pred[w] = -x;
      }
    }
    if (reached == 0) return maxint;  // a terminal the tree cannot reach
    total += dist[reached];
    for (int v = reached; v != maxint; v = pred[v]) inTree[v] = 1;
  }
  return total + R.contractCost;
}

}  // namespace tesmo
