#pragma once
// The algorithms "reduction" (program 1) and "reduction_phase": build the instance from
// currentGraph, run the scripts of options R-first, R-order and R-last in phases 'F', 'O' and
// 'L', and hand the best tree back.

namespace tesmo {

// On return currentGraph is the export of the reduced instance (the caller releases both
// graphs) and solutionList holds the best tree as edge identities of it (flag solutionAsIDs),
// so that expandSolution from the export yields the tree in arcs of the graph that was read.
// With option algo2 naming an algorithm (any value not beginning with '0'), that algorithm then
// runs on the export and leaves its own tree. When the scripts leave no tree at all, one comes
// from the heuristics (upper), so that program 1 always has a tree to write.
void reduction();

// As reduction, but the problem class letter ('V' many required vertices, 'W' few) is chosen
// from the instance first; a tree is handed back only when the bounds have met.
void reductionPhase();

// The algorithm table lives above this library; the program installs its runner so that
// option algo2 can name any algorithm.
using SecondAlgorithmRunner = void (*)(const char* name);
void setSecondAlgorithmRunner(SecondAlgorithmRunner runner);

}  // namespace tesmo
