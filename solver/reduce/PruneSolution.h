#pragma once
// Pruning a solution: the minimum spanning tree over its vertices and the terminals, with
// non-required leaves stripped.

#include "Graph.h"

#include <cstdint>

namespace tesmo {

// solution: count-prefixed arc numbers of g. Writes the pruned tree into solutionList and
// returns its weight (maxint when a terminal cannot be reached). A solution of identities
// cannot be pruned: the run ends with an error.
std::int64_t pruneSolution(const Graph& g, const IntArray& solution);

}  // namespace tesmo
