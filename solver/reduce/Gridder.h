#pragma once
// Chain dominance on ladder-like parts of the graph (script letter G): a path of non-terminals
// of degree 2 or 3 whose every side edge is matched by a parallel edge that costs no more can be
// dropped, since a tree through the path can always take the parallel edges instead.

#include "CheckedVector.h"
#include "ReduceGraph.h"

#include <cstdint>

namespace tesmo {

class Gridder {
public:
  // Sizes the working arrays for R as it is now.
  explicit Gridder(ReduceGraph& R);

  // One pass of the chain test over all vertices (options allowDestroyUpper, gLimit2, gLimit0),
  // then compactEdges.
  void run();

  int successfulProbes() const { return probes_; }
  int deletedEdges() const { return deleted_; }

private:
  struct Pair {
    int vertex;
    int slot;
  };
  // Walks the chain that starts with slot e; true when it was deleted.
  bool tryChain(int e, int d);
  bool blocked(int s) const { return !allowDestroyUpper_ && R_.upperOk && R_.inTree[R_.ID[s]]; }
  int liveDegree(int v) const;
  void deleteChain();

  ReduceGraph& R_;
  int allowDestroyUpper_ = 1;
  int limit2_ = 4;
  IntArray slotState_;   // [0..2Emax] 2 = part of a failed chain, moved along with its slot
  IntArray chainStamp_;  // [0..2Emax] stamp of the chain that holds the slot (no chain loops)
  IntArray chain_;       // count-prefixed chain slots in walking order
  IntArray flags_;       // per position in a vertex's live slots; sized by the largest degree
  IntArray positionOf_;  // [0..2Emax] position of a slot among its tail's live slots
  CheckedVector<Pair> pairs_;
  int stamp_ = 0;
  int probes_ = 0;
  int deleted_ = 0;
};

// The chain test with distance-bounded alternatives: the far ends of the start vertex's side
// edges spread distance labels over a few rounds, and an edge at a chain vertex is matched when
// a side label reaches its far end no farther than the chain has come, over a side edge that
// costs no less. Only chains that are dominated throughout are deleted.
class GridderProbe {
public:
  explicit GridderProbe(ReduceGraph& R);
  // Options gLimit2 and xtGrid (the rounds of the label spread), then compactEdges.
  void run();

  int successfulProbes() const { return probes_; }
  int deletedEdges() const { return deleted_; }

private:
  bool tryChain(int e, int d);
  void spread(int k, int rounds, int v);
  void relabel(int k, int z, std::int64_t distance, int first);
  int liveDegree(int v) const;

  ReduceGraph& R_;
  int limit2_ = 4;
  IntArray slotState_;  // [0..2Emax] 2 = part of a failed chain
  IntArray flags_;      // [0..2Emax] per slot, valid for the slots of the current chain vertex
  IntArray chain_;      // count-prefixed chain slots in walking order
  IntArray chainStamp_;
  // per side k = 0, 1: stamp of the probe that labelled a vertex, its distance and first slot
  IntArray label_[2], firstSlot_[2];
  CheckedVector<std::int64_t> dist_[2];
  IntArray labelled_[2];  // count-prefixed labelled vertices
  int sideSlot_[2] = {0, 0};
  int sides_ = 0;
  int stamp_ = 0;
  int probes_ = 0;
  int deleted_ = 0;
};

// The method of letter G: options gridGrid (grid pruning only), xtGrid, then the chain test.
void gridder(ReduceGraph& R);

}  // namespace tesmo
