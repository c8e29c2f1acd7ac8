#pragma once
// Grid pruning: on instances whose plain graph is a grid (edges of cost 13 along axis A, the
// others along axis B), a straight line of vertices beside a parallel line that carries (almost)
// no terminal loses its edges along the line. Reads currentGraph, whose arc numbers are the
// identities the instance started from.

#include "CheckedVector.h"
#include "DegreeReduction.h"
#include "IntMatrix.h"

namespace tesmo {

class ReduceGraph;

class GridPruning {
public:
  // Sizes the working arrays for R; run() may be called on R any number of times.
  explicit GridPruning(ReduceGraph& R);

  // One pass (options skipGrid, doSwap), then compactEdges, deleteUnreachable and
  // removeVertices.
  void run();

private:
  ReduceGraph& R_;
  DegreeReduction degree_;
  IntArray slotOfID_;    // [0..IDcount] the slot carrying an identity; 0 none, -1 ambiguous
  IntMatrix dir_;        // rows 0..3: predecessor/successor along axis A, then along axis B
  IntArray mark_;        // [0..V] maxint unusable, 0 unvisited, 1/2 seen in pass A/B
  IntArray liveDegree_;  // [0..V]
};

}  // namespace tesmo
