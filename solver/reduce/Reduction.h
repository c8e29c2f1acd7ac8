#pragma once
// The algorithm of program 1: reduce the instance and find a good tree.

namespace tesmo {

// Works on currentGraph. On return solutionList holds the best tree as edge identities, and
// currentGraph is replaced by the export of the instance (flag solutionAsIDs set), so that
// expandSolution from it yields the tree in arcs of the graph that was read. The caller
// releases both graphs.
void reduction();

}  // namespace tesmo
