#pragma once
// The heuristic on the distance graph of the terminals, approximated by the shortest links
// between their Voronoi regions: a spanning tree of the terminals over those links, expanded to
// its paths and completed. Option dnhSimple (1) picks the simple form (the generalized MST of the
// instance, labelled "DNH (simple)"); 0 the full form (labelled "dnh").

#include "ReduceGraph.h"

namespace tesmo {

void dnh(ReduceGraph& R);

}  // namespace tesmo
