#pragma once
// The results of one or several dual ascents on an instance, carried to the reduced-cost tests
// of other modules: per root terminal the gap between the upper bound and that ascent's bound,
// the reduced cost of every arc slot and the reduced-cost distances from the root and to the
// other terminals. The arrays describe the instance as it was when the set was built.

#include "ReduceGraph.h"

#include <vector>

namespace tesmo {

struct ReducedCostSet {
  IntArray roots;                         // count-prefixed terminal indices; empty in an empty set
  IntArray gaps;                          // [1..k] upperValue - bound of root i (contractCost in)
  std::vector<IntArray> reducedCosts;     // [1..k]; element 0 of each holds its capacity
  std::vector<IntArray> distFromRoots;    // [1..k], V+1 entries each
  std::vector<IntArray> distToTerminals;  // [1..k], V+1 entries each
  int factor = 1;

  int rootCount() const { return roots.empty() ? 0 : roots[0]; }
  bool empty() const { return roots.empty(); }
};

void emptyReducedCostSet(ReducedCostSet& set);
void freeReducedCostSet(ReducedCostSet& set);

// k ascents from roots spread evenly over the terminal list (the last terminal always among
// them), each followed by the reduced-cost distances; every bound is offered to R. sizeCode 1
// sizes the reduced-cost arrays for three times the current arc slots, any other value is the
// engine's size limit (0: the arc slots + 1). factor is left as it was.
void reducedCostSetFromAscents(ReducedCostSet& set, ReduceGraph& R, int k, int sizeCode);

// A one-root set from arrays the caller already has (copied; the reduced costs into an array of
// 6|E| entries).
void reducedCostSetFromArrays(ReducedCostSet& set, const ReduceGraph& R, int root,
                              const IntArray& reducedCost, const IntArray& distFromRoot,
                              const IntArray& distToTerminal, int factor, int gap);

// The roots reducedCostSetFromAscents uses for k roots among r terminals (count-prefixed).
IntArray spreadRoots(int r, int k);

}  // namespace tesmo
