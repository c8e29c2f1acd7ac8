#pragma once
// Steiner-degree replacement (script letter s): a non-terminal of small degree is replaced by
// edges between its neighbours when no three or more of its edges, as a star through it, are
// cheaper than a tree joining the same neighbours along bottleneck distances.

#include "ReduceGraph.h"

namespace tesmo {

// Options speedtest (0), maxDegree (8: vertices of degree below it are examined).
void steinerDegree(ReduceGraph& R);

}  // namespace tesmo
