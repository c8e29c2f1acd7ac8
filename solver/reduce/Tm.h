#pragma once
// The main shortest-path heuristic (script letter T): Voronoi regions of the terminals, a
// budgeted shortest-path search from every terminal restricted to the vertices no farther than
// the nearest terminals, and tree growth from several start vertices that mixes two steps:
// attaching the nearest unconnected terminal along a stored path, and attaching a whole
// neighbouring region through its shortest link. The best tree is offered to R as "WC-tm".

#include "ReduceGraph.h"

namespace tesmo {

// Options tmIterations (10), tmFactor (10), tmStrong (1), tmPrefereKmb (1), tmCombine (0).
void tm(ReduceGraph& R);

}  // namespace tesmo
