#pragma once
// Random connected instances for the property tests: every draw comes from the caller's
// generator, so a seed names an instance.

#include "Graph.h"

#include <random>

namespace tesmotest {

struct RandomGraphOptions {
  int minCost = 1;
  int maxCost = 9;
  int hanging = 0;          // paths of new non-terminals hanging off (see randomGraph)
  int terminalShare = -1;   // -1: vertex 1 and about a third of the others; else vertices 1 and
                            // V and about this percentage of the others
  bool connected = true;    // false: two components, the lower and the upper half
};

// A random spanning tree plus V random edges (parallel edges possible), costs minCost..maxCost,
// terminals as the options say; then `hanging` paths of one to three new non-terminals, each
// hanging off a random earlier vertex (the last vertex of a path is a terminal now and then).
tesmo::Graph randomGraph(std::mt19937& random, int V, const RandomGraphOptions& options);
inline tesmo::Graph randomGraph(std::mt19937& random, int V, int maxCost = 9, int hanging = 0,
                                int minCost = 1) {
  return randomGraph(random, V, RandomGraphOptions{minCost, maxCost, hanging});
}

// V vertices, a random spanning tree plus extra edges up to edgeCount (no parallel edges), costs
// 0..maxCost (ties and zero costs on purpose), the first terminalCount vertices of a random
// order required.
tesmo::Graph randomSimpleGraph(std::mt19937& random, int V, int edgeCount, int terminalCount,
                               int maxCost);

}  // namespace tesmotest
