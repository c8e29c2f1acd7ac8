#pragma once
// The default shortest-path heuristic: one radius-bounded shortest-path search from every
// terminal records, per vertex, the terminals that reached it in order of distance; trees then
// grow from start vertices by attaching the nearest unconnected terminal along its stored path,
// and are completed by a pruned spanning tree over their vertices. The best tree is left in
// solutionList (slots of the graph); tm3 never offers it to an instance.

#include "Graph.h"
#include "ReduceGraph.h"

#include <cstdint>

namespace tesmo {

// Options iterations (1), tmQuick (0), tmRadius (1 - tmQuick), tmSlow (0), rush (0). Returns
// the best tree weight without contractCost, maxint when no tree was built (solutionList is then
// left as it was).
std::int64_t tm3(const Graph& g);
std::int64_t tm3(const ReduceGraph& R);

// The algorithm "tm3": tm3 on currentGraph.
void tm3Algorithm();

}  // namespace tesmo
