#pragma once
// Exact Steiner trees of instances with few non-terminals: every subset of the live
// non-terminal vertices is spanned together with the terminals (Prim from the first terminal,
// non-terminal leaves pruned) and the cheapest tree is kept.

#include "Graph.h"
#include "ReduceGraph.h"

#include <cstdint>

namespace tesmo {

// Option exactMstMax (8): more live non-terminals than this and nothing is tried (a warning,
// solutionList emptied, maxint returned). Otherwise solutionList holds the best tree's slots with
// its weight (without contractCost) behind the last entry, and the weight is returned (maxint
// when no subset joins the terminals).
std::int64_t exactMst(const Graph& g);
std::int64_t exactMst(const ReduceGraph& R);

// Carries out R's pending contractions, then exactMst(R) plus R's contractCost (saturating at
// maxint when exactMst found nothing).
std::int64_t exactMstValue(ReduceGraph& R);

// The algorithm "exactMst": exactMst on currentGraph; a refusal leaves the pruned spanning tree
// of the vertices that solutionList touches.
void exactMstAlgorithm();

}  // namespace tesmo
