#pragma once
// Script letter N: the partition reduction. For each separator of up to maxSplit terminals and
// its first acceptable small side, the side is solved twice: with artificial edges between the
// separator terminals priced from above (bottleneck Steiner distances in R) and priced from
// below (minimax distances outside the side, or the longest key path of the upper solution).
// Equal values with an upper solution that uses no artificial edge let its edges be contracted
// in R; otherwise a dual ascent on the lower instance deletes side vertices and edges whose
// reduced-cost bound passes the upper value.

#include "ReduceGraph.h"

namespace tesmo {

void partition(ReduceGraph& R);

}  // namespace tesmo
