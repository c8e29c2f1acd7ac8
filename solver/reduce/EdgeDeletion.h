#pragma once
// The lazy deletion and queued contraction that the reduction tests write into the instance
// during their scans; compactEdges, deleteUnreachable and updateContract finish them.

#include "ReduceGraph.h"

namespace tesmo {

// Flags s's edge deleted (both slots) and marks its ends for compactEdges; a stored tree that
// uses the edge is destroyed first. The instance must not be in overflow mode.
inline void deleteEdgeLazily(ReduceGraph& R, int s) {
  if (R.upperOk && R.inTree[R.ID[s]]) R.destroyUpper();
  --R.Eanz;
  R.delE[s] = R.delE[R.partner[s]] = 1;
  R.vertexWork[R.arcs[s].tail] = 1;
  R.vertexWork[R.arcs[s].head] = 1;
}

// The scans read slot ranges only: an instance in overflow mode is laid out anew first.
inline void leaveOverflowMode(ReduceGraph& R) {
  if (R.overflowMode) R.rebuildAdjacency();
}

}  // namespace tesmo
