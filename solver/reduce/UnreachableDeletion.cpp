// Connectivity clean-up of the reduction instance after vertex deletions: vertices out of reach
// of the first terminal leave.

#include "UnreachableDeletion.h"

#include "ReduceGraph.h"

#include "LogStream.h"

#include <algorithm>

namespace tesmo {

void UnreachableDeletion::run() {
  ReduceGraph& R = R_;
  if (R.overflowMode) R.rebuildAdjacency();
  if (R.R == 0) return;  // nothing to reach from
  MarkerSet& visited = R.reached_;
  IntArray& stack = R.edgeStack_;
  const int V = R.V;
  visited.resize(V);
  visited.clear();
  const std::size_t room = static_cast<std::size_t>(V) + 2;
  if (stack.size() < room) stack.resize(room, 0);
  std::fill(R.vertexWork.begin() + 1, R.vertexWork.begin() + V + 1, 0);

  int top = 0;
  visited.mark(R.terminals[1]);
  stack[++top] = R.terminals[1];
  while (top > 0) {
    const int v = stack[top--];
    const int end = R.firstArc[v] + R.degree[v];
    for (int s = R.firstArc[v]; s < end; ++s) {
      const int w = R.arcs[s].head;
      if (R.delE[s] || !visited.insert(w)) continue;
      stack[++top] = w;
    }
  }

  int live = 0;
  int removedSlots = 0;
  int removedVertices = 0;
  for (int v = 1; v <= V; ++v) {
    const bool edges = R.hasLiveSlot(v);
    if (visited.marked(v)) {
      if (edges) ++live;
      continue;
    }
    if (R.isReq[v] != 0 && R.upperOpt != -1) R.markDisconnected();
    if (!edges) continue;
    if (R.upperOk && R.treeDegree[v] != 0) R.destroyUpper();
    const int end = R.firstArc[v] + R.degree[v];
    for (int s = R.firstArc[v]; s < end; ++s) {
      if (R.delE[s]) continue;
      ++removedSlots;
      R.delE[s] = 1;
    }
    R.degree[v] = 0;
    ++removedVertices;
  }
  log(4) << "Components: DelEdges:" << removedSlots / 2 << ", DelVertices:" << R.Vanz - live
         << "(" << removedVertices << ")" << std::endl;
  R.Vanz = live;
  R.Eanz -= removedSlots / 2;
}

// The instance's own operation of the data model.
void ReduceGraph::deleteUnreachable() { UnreachableDeletion(*this).run(); }

}  // namespace tesmo
