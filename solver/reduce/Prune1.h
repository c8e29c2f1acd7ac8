#pragma once
// Turns a candidate region of R into an upper bound: a copy of R is reduced with a short script,
// a small remainder is solved exactly by the exact MST, and the copy's best tree is carried back
// to R and offered with the label "prune(Mst)" (script letter p).

#include "ReduceGraph.h"

#include <cstdint>

namespace tesmo {

// script null: option R-prune ("((mvsn)r)"). marks (V+1 ints) or null: a positive mark makes
// the vertex a terminal of the copy, a negative one deletes it there. Options bigPruneLimit
// (1000: the copy's script runs in phase 'B' above, else 'P'), quietPrune (1), exactMstMax (8),
// breakPruneForMst (1), pruneMst (0). Returns the value (contractCost included) of the tree
// offered to R, maxint when none was found.
std::int64_t prune1(ReduceGraph& R, const char* script = nullptr, const int* marks = nullptr);

}  // namespace tesmo
