#pragma once
// Exact Steiner trees of small instances by brute force: every subset of the non-required
// vertices is tried, each with the minimum spanning tree over it and the terminals. The best of
// those trees, stripped of non-required leaves, is optimal, because an optimal tree is a
// spanning tree of its own vertex set. The running time doubles with each non-required vertex,
// so the method serves only instances with few of them, and as a test oracle for the real search.

#include "ReduceGraph.h"
#include "UnionFind.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class SubsetEnumeration {
public:
  // Reads the live edges and the terminals of R (R must outlive the object only during the
  // constructor). Non-required vertices that can only hang off a tree as leaves are left out.
  explicit SubsetEnumeration(const ReduceGraph& R);

  // The non-required vertices whose subsets are tried.
  int candidateCount() const { return static_cast<int>(candidates_.size()); }
  // Largest candidate count accepted by solve(): option subsetLimit (default 20, at most 30).
  static int limit();

  // The optimal tree as a count-prefixed list of R's slots (one per edge) and its value with
  // R's contractCost; maxint and an empty list when the terminals are not connected. Ends the run
  // with an error when there are more candidates than limit().
  std::int64_t solve(IntArray& slots);

private:
  struct Edge {
    int a, b;  // compact vertex numbers
    int cost;
    int slot;
  };
  // Cost of the minimum spanning tree over the terminals and the candidates in mask, or -1 when
  // they are not connected. Gives up (returns -1) once the cost reaches bound. Fills the
  // chosen edges when tree is given.
  std::int64_t spanningCost(std::uint32_t mask, std::int64_t bound, std::vector<int>* tree);

  std::vector<Edge> edges_;       // live edges among kept vertices, by cost
  std::vector<int> candidates_;   // vertex numbers of R (compact numbers terminalCount_..)
  std::vector<int> vertexOf_;     // compact number -> vertex of R
  UnionFind sets_;                // over compact numbers + 1
  std::vector<char> required_;    // per compact number
  int terminalCount_ = 0;
  std::int64_t contractCost_ = 0;
};

}  // namespace tesmo
