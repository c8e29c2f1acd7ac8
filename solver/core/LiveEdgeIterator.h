#pragma once
// Walks the slots of one vertex of a reduction instance: its contiguous range (deleted slots
// included; callers test delE), then, in overflow mode, its overflow chain (deleted slots
// skipped).
//
//   LiveEdgeIterator it(R, v);
//   while (nextLiveEdge(R, it)) if (!R.delE[it.slot]) use(*it.arc);

#include "ReduceGraph.h"

namespace tesmo {

struct LiveEdgeIterator {
  int slot = 0;
  const Arc* arc = nullptr;
  int vertex = 0;  // 0 once the iterator is in the overflow chain
  int last = 0;    // last slot of the range

  LiveEdgeIterator() = default;
  LiveEdgeIterator(const ReduceGraph& R, int v)
      : slot(R.firstArc[v] - 1), vertex(v), last(R.firstArc[v] + R.degree[v] - 1) {}
};

// 1 with the iterator on the vertex's next slot, 0 at the end (and on every later call).
inline int nextLiveEdge(const ReduceGraph& R, LiveEdgeIterator& it) {
  int s = 0;
  if (it.vertex == 0) {
    if (it.slot == 0) return 0;
    s = R.slotNext[it.slot];
  } else {
    if (++it.slot <= it.last) {
      it.arc = &R.arcs[it.slot];
      return 1;
    }
    if (R.overflowMode != 0) s = R.vertexWork[it.vertex];
    it.vertex = 0;
  }
  while (s != 0 && R.delE[s]) s = R.slotNext[s];
  it.slot = s;
  it.arc = s != 0 ? &R.arcs[s] : nullptr;
  return s != 0 ? 1 : 0;
}

}  // namespace tesmo
