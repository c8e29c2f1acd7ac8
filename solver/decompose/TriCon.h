#pragma once
// Script letter C: decomposition at pairs of terminals whose removal cuts off a small side.
// On an instance that is not biconnected it does the block decomposition of letter b instead.

#include "IntMatrix.h"
#include "ReduceGraph.h"

namespace tesmo {

void triCon(ReduceGraph& R);

// Candidate pairs (t, v) of terminals: v is a terminal cut vertex of R without t. Row i of
// pairs holds t in [i][1] and v in [i][2]; [0][0] the count (at most the matrix's rows).
void findSeparatorPairs(ReduceGraph& R, IntMatrix& pairs, int maxSeparators);

}  // namespace tesmo
