#pragma once
// A tree as an algorithm of the table hands it back: the count-prefixed list it left in
// solutionList, the graph whose numbers that list uses (currentGraph as the algorithm left it,
// which may be the algorithm's own export) and which numbers they are. The algorithm states the
// numbering itself; expandTree refuses a tree whose graph says otherwise, so a list of
// identities is never read as arc numbers or the other way round.

#include "Graph.h"

#include <cstdint>

namespace tesmo {

enum class TreeNumbering {
  slots,       // arc numbers of the graph (slots of an instance)
  identities,  // edge identities of the graph (flag solutionAsIDs)
};

struct HandedTree {
  Graph* graph = nullptr;    // the graph the list belongs to
  IntArray* edges = nullptr; // count-prefixed list (solutionList)
  TreeNumbering numbering = TreeNumbering::slots;
};

// The tree an algorithm left in currentGraph and solutionList, numbered as the graph's flag
// says (for callers of an algorithm chosen by name).
HandedTree handedBackTree();

// The same with the numbering the algorithm states; the graph's flag is set to match.
HandedTree handBackTree(Graph& graph, TreeNumbering numbering);

// Translates the tree into arcs of target (expandSolution) and returns its cost with
// contractCost. A tree without graph or list, identities of a graph that carries none, or a
// numbering the graph's flag contradicts fails the consistency check.
std::int64_t expandTree(const HandedTree& tree, const Graph& target);

}  // namespace tesmo
