#pragma once
// The dual bounds of script letter d. Every variant stamps the arcs its ascent saturates (with
// the time of saturation) and ends with the tree builder, which turns the stamped arcs into an
// upper tree offered to the instance with the label "dual". Option simple picks the variant:
// below 0 the ascent with MST pruning, 0 the simultaneous component ascent, 1 the growth from
// all terminals that picks the longest survivor as root, 2 and above the Voronoi-region bound.

#include "ReduceGraph.h"

#include <cstdint>

namespace tesmo {

// What every variant shares: the instance, its sizes, the root, and per arc slot the reduced
// cost and the stamp (0 = never saturated) that the tree builder reads.
struct DualAscentState {
  // Options upperBi (0) and root (1; -1 the first terminal of largest degree, -2 and below the
  // first of smallest degree), echoed at level 3.
  explicit DualAscentState(ReduceGraph& R);

  ReduceGraph& R;
  int r = 0;
  int arcCount = 0;
  int V = 0;
  int rootVertex = 0;
  int root = 0;
  IntArray slack;
  IntArray upperStamp;
  int upperBi = 0;
};

// Upper tree from the stamps: upperBi 0 deletes stamped arcs in order of falling stamp while the
// root still reaches every terminal; otherwise a Prim growth over the stamps with preferences.
void buildDualTree(DualAscentState& state);

// The Voronoi-region bound: regions of the terminals, the cheapest link between neighbouring
// regions, their minimum spanning tree; (sum + largest link) / 2 is a bound. With option
// directed (0) a root is chosen instead and no bound is offered. Option doReduction (0) stamps
// the arcs of slack 0 toward the tree of regions as well and builds the tree again.
void voronoiGmstBound(DualAscentState& state);

// The ascent that always raises the smallest component, its saturated arcs stamped; option
// mstPrune (0) prunes the zero arcs the root reaches instead of building the tree from stamps.
void dualAscentMstPrune(DualAscentState& state);

// Script letter d: option simple (0) picks the variant.
void dual(ReduceGraph& R);

}  // namespace tesmo
