#pragma once
// A second Lagrangian ascent of the path relaxation (script letter 2): every terminal but the
// root has its own copy of the edge weights (a commodity); the copies of a slot share its cost,
// and the bound is the sum over the commodities of the shortest root path under their copy.
// Subgradient steps move weight towards the slots on the commodities' paths; a dual ascent
// around the terminals can start the steps and close the run, and short subgradients can be kept
// as memory rows that the closing ascent consults. Only the lower bound (and, when it meets the
// upper bound, the finished state) is left in R.

#include "ReduceGraph.h"

namespace tesmo {

void lgr2a(ReduceGraph& R);

}  // namespace tesmo
