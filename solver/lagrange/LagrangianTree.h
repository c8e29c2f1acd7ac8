#pragma once
// The Lagrangian relaxation of the Steiner problem as a minimum spanning tree: the instance plus
// an artificial root 0 joined to the root terminal and to every non-terminal; a non-terminal that
// hangs on 0 is left out of the Steiner tree. The constraint "v hangs on 0 or uses edge e, not
// both" is relaxed with one multiplier per slot (tail v, edge e). This class holds the weights,
// the multipliers and the current relaxed tree, and the operations on that tree: its path maxima
// (sensitivity), a multiplier change that raises the bound without changing the tree, and the
// Steiner trees built from it as upper bounds.
//
// Weights and bounds are edge costs times Faktor. They are kept in 64 bits: a single edge far
// above the upper bound, times Faktor, does not fit in 32 (only the logged values are divided
// back). Numbering: vertices 1..V, slots 1..2E, the artificial edge (0, v) at index 2E+v.

#include "LazyHeap.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class LagrangianTree {
public:
  using Weight = std::int64_t;
  static constexpr Weight farAway = maxint;      // no value (replaceMin)
  static constexpr Weight notComputed = -maxint;  // pathMax of a tree edge

  // Sized for R as it is now (no overflow chains); every weight and multiplier 0.
  explicit LagrangianTree(const ReduceGraph& R, Weight faktor);

  int artificial(int v) const { return twoE_ + v; }
  bool hangsOnRoot(int v) const { return lagrPred[v] == 0; }
  // The edge of slot s is an edge of the relaxed tree.
  bool isTreeEdge(int s) const;

  // Adds d to the multiplier of slot s and to every weight it enters (the slot, its partner,
  // the artificial edge of its tail; the constant term loses it).
  void addToMultiplier(int s, Weight d);
  // Takes the multipliers of v's live slots (or of one edge's two slots) out of the function
  // before they are deleted, so that the weights stay those of the remaining constraints.
  void dropVertexMultipliers(int v);
  void dropEdgeMultipliers(int s);

  // The relaxed tree under the current weights (Prim from 0, in which the root terminal and the
  // non-terminals are joined to 0 at the weight of their artificial edge); returns the
  // Lagrangian bound lagrWeight[0] + tree weight. False in reached when a terminal could not be
  // reached (the heap ran dry before every vertex with edges was taken).
  Weight computeTree(int root, bool& reached);

  void TreePathMaximum();
  void MultiplierAdjust(Weight& lagrLower);
  // Steiner trees from the relaxed tree: a pruned MST over the vertices the tree joins to the
  // terminals and, with prune, prune1 runs; the best one is offered to R as an upper bound and
  // upperScaled lowered to it.
  void LagrangianUpperBound(ReduceGraph& R, bool prune, Weight& upperScaled);

  Weight Faktor;
  std::vector<Weight> lagrWeight;  // [0] constant, [s] slot, [2E+v] artificial edge
  std::vector<Weight> lagrMult;    // [s] >= 0, only for slots with a non-terminal tail
  IntArray lagrPred;               // tree neighbour towards 0 (0 = hangs on 0)
  IntArray lagrPredSlot;           // slot lagrPred[v] -> v, 2E+v when hanging on 0
  std::vector<Weight> lagrKey;     // weight of v's tree edge
  IntArray lagrDepth;              // [0] = -1
  IntArray lagrTreeDegree;         // real tree edges at v
  std::vector<Weight> pathMax;     // [s] non-tree edges, [2E+v] non-hanging vertices
  std::vector<Weight> replaceMin;  // [v] cheapest non-tree edge covering v's tree edge

private:
  // Lowers replaceMin[x] to c and raises pathMax[index] by x's key.
  void coverTreeEdge(int x, Weight c, int index) {
    if (c < replaceMin[x]) replaceMin[x] = c;
    if (lagrKey[x] > pathMax[index]) pathMax[index] = lagrKey[x];
  }

  const ReduceGraph& R_;
  int twoE_;
  LazyHeap heap_;
  std::vector<char> fixed_;
};

}  // namespace tesmo
