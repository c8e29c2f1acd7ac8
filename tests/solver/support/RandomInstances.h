#pragma once
// Random connected instances for the property tests: every draw comes from the caller's
// generator, so a seed names an instance.

#include "Graph.h"

#include <random>

namespace tesmotest {

// A random spanning tree plus V random edges (parallel edges possible), costs minCost..maxCost,
// vertex 1 and about a third of the others terminals; then `hanging` paths of one to three new
// non-terminals, each hanging off a random earlier vertex (the last vertex of a path is a
// terminal now and then).
tesmo::Graph randomGraph(std::mt19937& random, int V, int maxCost = 9, int hanging = 0,
                         int minCost = 1);

// V vertices, a random spanning tree plus extra edges up to edgeCount (no parallel edges), costs
// 0..maxCost (ties and zero costs on purpose), the first terminalCount vertices of a random
// order required.
tesmo::Graph randomSimpleGraph(std::mt19937& random, int V, int edgeCount, int terminalCount,
                               int maxCost);

}  // namespace tesmotest
