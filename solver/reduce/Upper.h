#pragma once
// An upper-bound tree of R from one of the shortest-path heuristics (script letter u; also the
// interpreter's answer to a time-out without any tree).

#include "ReduceGraph.h"

namespace tesmo {

// Options upperWC (0): choose dnh (upperDNH set) or tm; otherwise tm_brasil (0) picks
// tm3_brasil, else tm3, whose tree is offered here with the label "tm3".
void upper(ReduceGraph& R);

}  // namespace tesmo
