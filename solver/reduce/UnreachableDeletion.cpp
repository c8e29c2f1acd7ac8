// Connectivity clean-up of the reduction instance after vertex deletions: vertices out of reach
// of the first terminal leave.
//
// deleteUnreachable walks contiguous ranges (as left by compactEdges); overflow chains are laid
// out first.

#include "ReduceGraph.h"

#include "LogStream.h"

#include <algorithm>

namespace tesmo {

void ReduceGraph::deleteUnreachable() {
  if (overflowMode) rebuildAdjacency();
  if (R == 0) return;  // nothing to reach from
  MarkerSet& visited = reached_;
  visited.resize(V);
  visited.clear();
  const std::size_t room = static_cast<std::size_t>(V) + 2;
  if (edgeStack_.size() < room) edgeStack_.resize(room, 0);
  std::fill(vertexWork.begin() + 1, vertexWork.begin() + V + 1, 0);

  int top = 0;
  visited.mark(terminals[1]);
  edgeStack_[++top] = terminals[1];
  while (top > 0) {
    const int v = edgeStack_[top--];
    const int end = firstArc[v] + degree[v];
    for (int s = firstArc[v]; s < end; ++s) {
      const int w = arcs[s].head;
      if (delE[s] || !visited.insert(w)) continue;
      edgeStack_[++top] = w;
    }
  }

  int live = 0;
  int removedSlots = 0;
  int removedVertices = 0;
  for (int v = 1; v <= V; ++v) {
    const bool edges = hasLiveSlot(v);
    if (visited.marked(v)) {
      if (edges) ++live;
      continue;
    }
    if (isReq[v] != 0 && upperOpt != -1) markDisconnected();
    if (!edges) continue;
    if (upperOk && treeDegree[v] != 0) destroyUpper();
    const int end = firstArc[v] + degree[v];
    for (int s = firstArc[v]; s < end; ++s) {
      if (delE[s]) continue;
      ++removedSlots;
      delE[s] = 1;
    }
    degree[v] = 0;
    ++removedVertices;
  }
  log(4) << "Components: DelEdges:" << removedSlots / 2 << ", DelVertices:" << Vanz - live << "("
         << removedVertices << ")" << std::endl;
  Vanz = live;
  Eanz -= removedSlots / 2;
}

}  // namespace tesmo
