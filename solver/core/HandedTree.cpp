#include "HandedTree.h"

#include "Check.h"

namespace tesmo {

HandedTree handedBackTree() {
  const TreeNumbering numbering = currentGraph && currentGraph->solutionAsIDs
                                      ? TreeNumbering::identities
                                      : TreeNumbering::slots;
  return HandedTree{currentGraph, &solutionList, numbering};
}

HandedTree handBackTree(Graph& graph, TreeNumbering numbering) {
  graph.solutionAsIDs = numbering == TreeNumbering::identities;
  return HandedTree{&graph, &solutionList, numbering};
}

std::int64_t expandTree(const HandedTree& tree, const Graph& target) {
  if (tree.graph == nullptr || tree.edges == nullptr) exitWithError("no tree handed back");
  const bool identities = tree.numbering == TreeNumbering::identities;
  TESMO_CHECK(identities != tree.graph->solutionAsIDs, "handedTree");
  TESMO_CHECK(identities && tree.graph->ID.empty(), "handedTree");
  return expandSolution(*tree.graph, *tree.edges, target);
}

}  // namespace tesmo
