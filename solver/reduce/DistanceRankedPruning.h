#pragma once
// Distance-ranked pruning (script letters r and R): heuristic shrinking of a prune copy. The
// non-terminals farthest from their nearest terminals go (reduce) or are pseudo-eliminated
// (WCreduce). No proof backs these deletions: an instance they ran on is marked so that its
// later bounds claim nothing.

#include "ReduceGraph.h"

namespace tesmo {

void reduce(ReduceGraph& R);
void WCreduce(ReduceGraph& R);

// The percentage and number of live vertices the two methods aim at.
struct PruneCount {
  int percent = 0;
  int number = 0;
};
PruneCount pruneCount(int terminals, int liveVertices, double factor, int minPercent,
                      int maxPercent, int minNumber);

// Exact search for small instances (maxPruneSize), installed by the layer that owns it; without
// one, reduce prunes them too.
using PruneBranching = int (*)(ReduceGraph& R, int verbosity);
void setPruneBranching(PruneBranching solver);
// The solver installed there (null when none), for the other exact sub-solves of the reductions.
PruneBranching installedBranching();

}  // namespace tesmo
