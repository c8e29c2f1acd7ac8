#pragma once
// A lower bound from the relaxation over pairs of terminals: for every pair of terminals other
// than the root, the cheapest tree joining the root and both (a path to a meeting vertex and
// from there to each) under the pair's own share of every slot's cost. Subgradient steps move
// the shares; every better bound goes to R. No script letter runs it; on request the pair
// formulation is written as LP text first.

#include "ReduceGraph.h"

namespace tesmo {

void l2Bound(ReduceGraph& R);

}  // namespace tesmo
