#pragma once
// A shared tree of alternative solutions: every root-to-leaf path, read root first, is one
// solution (the union of the edge lists on it). Nodes may be children of several nodes, so they
// count their owners; the dynamic program builds them with extendTree and frees them with
// releaseTree. The dynamic program links one node per step, so chains grow as long as the
// instance has vertices: every walk over a tree is iterative, and the counts are memoised per
// node, since shared nodes make the number of paths grow far faster than the number of nodes.

#include "CheckedVector.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class ReduceGraph;

struct SolutionTree {
  IntArray edges;                       // count-prefixed slots; empty = no edges
  int childCount = 0;
  int extraReferences = 0;              // owners beyond the first
  std::vector<SolutionTree*> children;  // owned (shared) references

  // Scratch of the walks: valid while walkMark equals the walk's stamp.
  mutable std::uint32_t walkMark = 0;
  mutable std::int64_t walkCount = 0;
  mutable std::int64_t walkInts = 0;

  static int liveNodes;  // nodes created by extendTree and not yet freed
};

// A node holding a copy of list with tree as its only child (tree gains a reference); a node
// with neither edges nor children is not linked, the new node being a leaf. An empty list
// returns tree itself with one more reference.
SolutionTree* extendTree(SolutionTree* tree, const IntArray& list);

// Drops one reference; at the last the node's contents are freed (children released), and with
// destroy set the node itself.
void releaseTree(SolutionTree* node, bool destroy);

// The number of solutions below node and the ints a flattened store of them needs (each
// solution's edges and a terminating 0). Both saturate at the largest 64-bit value.
void countTreeSolutions(const SolutionTree* node, std::int64_t& count, std::int64_t& ints);

// Appends every solution below node to store as a 0-terminated list, its start index appended
// to starts; path collects the lists from the root down. All three are count-prefixed and grow
// when full.
void flattenTreeSolutions(const SolutionTree* node, IntArray& path, IntArray& store,
                          IntArray& starts);

// sum plus the cost of the first solution reached (last children first); best is returned
// unchanged unless it is still maxint.
std::int64_t treeSolutionCost(const SolutionTree* node, const ReduceGraph& R, std::int64_t sum,
                              std::int64_t best);

// The cost that every solution below node has (the slots' costs in R), or -1 when two solutions
// differ in cost or a slot is no live slot of R.
std::int64_t checkTreeSolutions(const SolutionTree* node, const ReduceGraph& R);

}  // namespace tesmo
