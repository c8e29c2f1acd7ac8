#pragma once
// Fast dual ascent (script letter A): for one or several roots a dual ascent raises the lower
// bound, the arcs of reduced cost 0 that the root reaches at reduced cost 0 form an auxiliary
// graph in which a prune script finds a tree, and the reduced costs then delete what no better
// tree can use and mark vertices that may be replaced.

#include "ReduceGraph.h"

namespace tesmo {

// Options root (-1), ascentMaxDegree (10), original (0), ascentPrune ("((mvsn)r)"; "0" keeps
// only the bounds), echoed at level 3.
void ascentFast(ReduceGraph& R);

// The roots ascentFast runs for option root on r terminals and edgeCount edges
// (count-prefixed, in order).
IntArray ascentRoots(int option, int r, int edgeCount, int lowerRoot);

// Finds a tree of the instance with the prune script and stores it there (through setUpper);
// returns its value (contractCost included), maxint when none. The layer that owns the script
// interpreter installs it; without one a pruned minimum spanning tree serves.
using AscentPrune = int (*)(ReduceGraph& R, const char* script);
void setAscentPrune(AscentPrune prune);

}  // namespace tesmo
