#pragma once
// Minimum spanning tree over the allowed vertices, grown from the first terminal until every
// required vertex is reached, with non-required leaves stripped repeatedly.

#include "Graph.h"

#include <cstdint>

namespace tesmo {

// allowed[v], required[v] for v = 1..V (1 = may be used / must be reached). Writes the tree's arc
// numbers into solutionList (entry 0 = count) and returns its weight; maxint when a required
// vertex cannot be reached ("Not Connected!").
std::int64_t primMstPrune(const Graph& g, const IntArray& allowed, const IntArray& required);

}  // namespace tesmo
