#pragma once
// Every edge that lies in some optimal tree, and optimal trees that cover them all. One exact
// solve gives the optimum and a first tree; the reduced costs of dual ascents then rule out the
// edges that no tree of that value can use, and trees that differ from a found one in one key
// path (a path of the same cost between the two parts the path leaves) are optimal too and need
// no search. Each edge still unknown takes an exact solve (shared by up to scale - 1 edges,
// those nearest to being ruled out first): with all costs multiplied by a scale >= 2 and the
// tested edge made one unit cheaper, the perturbed optimum is a multiple of the scale exactly
// when no optimal tree uses the edge. A zero-cost edge cannot be made cheaper; it is tested by forcing it in (its ends
// required), which keeps its cost at 0. Edges of any optimal tree found on the way need no test
// of their own. Edges in no optimal tree are deleted, so the instance is afterwards the network
// of all optimal trees.
//
// With option pruneEquivalent the degree reductions run before the tests and after the
// deletions, and the enumeration starts again when they remove a vertex. They keep one of two
// equally short alternatives (a path through a median vector of degree 2 beside a link of the
// same length) and drop zero-cost links to leaves, so the network is then the union of the
// optimal trees up to such equivalent alternatives.

#include "Branching.h"
#include "Graph.h"
#include "Heap.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tesmo {

class OptimalTreeEnumeration {
public:
  // graph: the graph read from the file (the trees are stored in its arc numbers); R: the
  // instance built from it, edited in place. On return R's lowerValue and upperValue hold the
  // optimal value in the input costs.
  void enumerate(Graph& graph, ReduceGraph& R);

  int count = 0;      // trees stored
  IntArray store;     // tree s: 0-terminated arc list of graph from store[starts[s]]
  IntArray starts;    // [0..count]
  std::int64_t optimalValue = 0;

  // Shared with the file-writing variant of the enumeration.
  // The factor all costs are multiplied by: maxint / (2 x the live links' total cost, the
  // contracted cost included), at least 2 and at most maxScale (maxScale when every live link
  // costs 0). Ends the run when even the factor 2 could lift a tree's value beyond maxint.
  static int chooseScale(const ReduceGraph& R);
  static constexpr int maxScale = 1000;
  // Multiplies (up) or divides every slot cost, maxCost and contractCost by scale.
  static void scaleCosts(ReduceGraph& R, int scale, bool up);
  // Deletes every live edge whose smaller slot is marked negative, then compacts the slots; the
  // marks move with their slots.
  static void deleteMarkedEdges(ReduceGraph& R, IntArray& mark);

private:
  // One pass; true when the deletions removed a vertex (the caller starts again).
  bool pass(Graph& graph, ReduceGraph& R);
  std::int64_t solveForced(ReduceGraph& R, int slot);
  static void putEdgeIntoTree(const ReduceGraph& R, int slot);
  static void requireProven(const ReduceGraph& R, std::int64_t value);
  static void setMark(const ReduceGraph& R, IntArray& mark, int s, int value);
  // Marks -1 the unknown live edges that the reduced costs of dual ascents from a few roots
  // (option enumerationRoots, 0: none) prove to lie in no tree of value optimum (R's costs,
  // contractCost included); returns their number.
  int ruleOutByReducedCosts(ReduceGraph& R, std::int64_t optimum, IntArray& mark);
  // slotOfIdentity_ for R's live edges (their smaller slot).
  void indexSlots(const ReduceGraph& R);
  // Varies the optimal tree in solutionList (R's slots) and every tree found so: a key path (its
  // inner vertices non-required, of tree degree 2) removed leaves two parts, and a path of the
  // same cost between them gives another optimal tree. For each such tree through an unmarked
  // link of positive cost, onTree is called with the tree in solutionList. Returns their number.
  template <class OnTree>
  int exchangeKeyPaths(const ReduceGraph& R, const IntArray& mark, OnTree&& onTree);
  // Distances of at most limit from the tree vertices of side `from` (1 or 2), through vertices
  // outside both sides; vertices of the other side are reached but not passed. The vertices
  // reached are listed in reached_[from], the sources first.
  void sideDistances(const ReduceGraph& R, int from, std::int64_t limit);

  Branching search_;  // one working copy for every step
  IntArray knownTree_;  // an optimal tree found so far, as edge identities (count first)
  IntArray offered_;    // its slots handed to setUpper, which may reorder them
  IntArray reducedCosts_;   // of one ascent, before the distances overwrite them
  IntArray slotOfIdentity_;  // [0..IDmax] the live slot of an edge
  IntArray stepOfIdentity_;  // [0..IDmax] the step number of an edge in the log
  // [0..IDmax] the best reduced-cost bound of a link not ruled out, less the gap (<= 0)
  std::vector<std::int64_t> slackOfIdentity_;

  // Key-path exchange: the trees still to vary (slot lists, count first, one after the other),
  // the tree's vertices and links, and per side the distances, their predecessor slots and stamps.
  std::vector<int> pendingTrees_;
  IntArray tree_, walked_, treeFirst_, treeLinks_, treeDegree_, side_, onPath_, pathLinks_, walk_;
  IntArray distance_[3], predecessor_[3], reachedStamp_[3], reached_[3];
  IntArray sortedStart_, sortedSlots_;  // per vertex its live slots, cheapest first
  int stamp_ = 0;
  int sideStamp_[3] = {0, 0, 0};
  int sourceCount_[3] = {0, 0, 0};  // the sources come first in reached_
  std::optional<IndexedHeap> heaps_[3];
};

// Fills count, store and starts as described above; the caller owns them.
void enumerateOptimalTrees(int& count, IntArray& store, IntArray& starts, Graph& graph,
                           ReduceGraph& R);

}  // namespace tesmo
