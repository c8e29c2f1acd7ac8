#pragma once
// Lower-bound deletion (script letter l): from the three nearest terminals of every vertex and
// two bounds on joining the terminals (a spanning tree over the region links and a sum of the
// smallest region radii), vertices and edges whose use forces a tree above the upper bound go,
// and non-terminals that cannot have degree 3 in a better tree are replaced by edges between
// their neighbours.

#include "ReduceGraph.h"

namespace tesmo {

// Options forceLowerExecution (0), lower3 (1), lower3Degree (10), upper (0: upperValue).
void lower(ReduceGraph& R);

}  // namespace tesmo
