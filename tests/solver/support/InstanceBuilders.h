#pragma once
// Small instances for the solver tests, written out edge by edge, and the slot lists and simple
// trees the tests hand to an instance.

#include "Graph.h"
#include "ReduceGraph.h"

#include <initializer_list>
#include <random>
#include <utility>
#include <vector>

namespace tesmotest {

struct Edge {
  int u, v, cost;
};

// A grouped graph of V vertices with the given edges (edge k = arcs 2k-1/2k) and terminals.
tesmo::Graph makeGraph(int V, const std::vector<Edge>& edges, const std::vector<int>& terminals);

// The live slot of u whose head is v (contiguous ranges only), 0 when there is none.
int slotOf(const tesmo::ReduceGraph& R, int u, int v);
// Count-prefixed slots of the listed edges.
tesmo::IntArray slotList(const tesmo::ReduceGraph& R, std::initializer_list<std::pair<int, int>> edges);
// A count-prefixed list of the entries.
tesmo::IntArray intList(std::initializer_list<int> entries);

// The live edges of R (each once, by its slot with the smaller tail), overflow chains included.
std::vector<int> liveEdgeSlots(const tesmo::ReduceGraph& R);

// A Steiner tree of R's live edges: Kruskal's spanning forest, then non-terminal leaves stripped
// repeatedly. Slots of the kept edges, count-prefixed.
tesmo::IntArray mstPruneTree(const tesmo::ReduceGraph& R);
// Stores that tree in R through setUpper.
void storeSimpleTree(tesmo::ReduceGraph& R);
// A Steiner tree of R from a spanning tree over the live edges in random order, non-terminal
// leaves stripped: mostly dearer than the pruned minimum spanning tree, and unlike it.
tesmo::IntArray randomTree(const tesmo::ReduceGraph& R, std::mt19937& rng);

}  // namespace tesmotest
