#pragma once
// Exact Steiner trees of small instances by brute force: every subset of the non-required
// vertices is tried, each with the minimum spanning tree over it and the terminals. The best of
// those trees, stripped of non-required leaves, is optimal, because an optimal tree is a
// spanning tree of its own vertex set. The running time doubles with each non-required vertex,
// so the method serves only instances with few of them, and as a test oracle for the real search.
//
// One object serves many instances (the branch and bound solves every small node with the same
// one): load() and run() refill its buffers, which keep their memory, so a run allocates only
// when an instance outgrows all before it.

#include "ReduceGraph.h"
#include "UnionFind.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class SubsetEnumeration {
public:
  // An object without an instance: candidateCount() is 0 until load() or run().
  SubsetEnumeration() = default;
  // The same as load(R) on a new object.
  explicit SubsetEnumeration(const ReduceGraph& R) { load(R); }

  // Reads the live edges and the terminals of R (R need not outlive the call). Non-required
  // vertices that can only hang off a tree as leaves are left out.
  void load(const ReduceGraph& R);

  // The non-required vertices whose subsets are tried.
  int candidateCount() const { return static_cast<int>(candidates_.size()); }
  // Largest candidate count accepted by solve(): option subsetLimit (default 20, at most 30).
  static int limit();

  // The optimal tree of the instance loaded last as a count-prefixed list of its slots (one per
  // edge) and its value with its contractCost; maxint and an empty list when the terminals are
  // not connected. Ends the run with an error when there are more candidates than limit().
  std::int64_t solve(IntArray& slots);
  // load(R), then solve.
  std::int64_t run(const ReduceGraph& R, IntArray& slots) {
    load(R);
    return solve(slots);
  }

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

  // Scratch of load() and solve(), kept for the next instance.
  std::vector<int> liveSlots_;        // live edges of R, one slot each
  std::vector<int> degree_;           // [0..V] live degree, lowered as leaves drop out
  std::vector<int> neighbourStart_;   // [0..V+1] start of each vertex's neighbours
  std::vector<int> neighbours_;       // both ends of every live edge, grouped by vertex
  std::vector<char> dropped_;         // [0..V]
  std::vector<int> queue_;
  std::vector<int> compact_;          // [0..V] compact number, -1 left out
  std::vector<int> tree_;             // edge indices of the best spanning tree
  std::vector<int> treeDegree_;       // per compact number
  std::vector<char> alive_;           // per tree edge, false once stripped
};

}  // namespace tesmo
