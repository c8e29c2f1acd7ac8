#pragma once
// The algorithms "reduction" (program 1) and "reduction_phase": build the instance from
// currentGraph, run the scripts of options R-first, R-order and R-last in phases 'F', 'O' and
// 'L', and hand the best tree back.

#include "HandedTree.h"

#include <cstdint>

namespace tesmo {

// On return currentGraph is the export of the reduced instance (the caller releases both
// graphs) and solutionList holds the best tree as edge identities of it (flag solutionAsIDs),
// so that expandSolution from the export yields the tree in arcs of the graph that was read.
// With option algo2 naming an algorithm (any value not beginning with '0'), that algorithm then
// runs on the export and leaves its own tree. When the scripts leave no tree at all, one comes
// from the heuristics (upper), so that program 1 always has a tree to write.
void reduction();
// The same, returning the tree it hands back with its graph (currentGraph) and numbering:
// identities; slots of the export when the instance was reduced to a single vertex and the list
// is empty; or as the algorithm of option algo2 left it.
HandedTree runReduction();

// As reduction, but the problem class letter ('V' many required vertices, 'W' few) is chosen
// from the instance first; a tree is handed back only when the bounds have met.
void reductionPhase();
HandedTree runReductionPhase();

// The bounds and size of the instance as the last run of either algorithm left them (for
// benchmarks and tests; the front end reads only the handed-back tree).
struct ReductionOutcome {
  std::int64_t lower = 0;
  std::int64_t upper = 0;  // maxint: no tree
  int finished = 0;        // 1 the bounds met, -1 they crossed
  int vertices = 0, edges = 0, terminals = 0;  // live, after the scripts
};
const ReductionOutcome& lastReductionOutcome();

// The algorithm table lives above this library; the program installs its runner so that
// option algo2 can name any algorithm.
using SecondAlgorithmRunner = void (*)(const char* name);
void setSecondAlgorithmRunner(SecondAlgorithmRunner runner);

}  // namespace tesmo
