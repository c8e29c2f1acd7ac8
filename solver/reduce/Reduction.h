#pragma once
// The algorithm of program 1: reduce the instance and find a good tree.

namespace tesmo {

// Works on currentGraph. On return solutionList holds the best tree as edge identities, and
// currentGraph is replaced by the export of the instance (flag solutionAsIDs set), so that
// expandSolution from it yields the tree in arcs of the graph that was read. The caller
// releases both graphs. With option algo2 naming an algorithm (any value not beginning with
// '0'), that algorithm then runs on the export and leaves its own tree.
void reduction();

// The algorithm table lives above this library; the program installs its runner so that
// option algo2 can name any algorithm.
using SecondAlgorithmRunner = void (*)(const char* name);
void setSecondAlgorithmRunner(SecondAlgorithmRunner runner);

}  // namespace tesmo
