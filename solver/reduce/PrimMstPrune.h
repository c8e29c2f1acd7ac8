#pragma once
// Minimum spanning tree over the allowed vertices, grown from the first terminal until every
// required vertex is reached, with non-required leaves stripped repeatedly.

#include "Graph.h"
#include "Heap.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class PrimMstPrune {
public:
  // Sizes every buffer for g; run() may then be called any number of times without allocating.
  explicit PrimMstPrune(const Graph& g);
  PrimMstPrune(const PrimMstPrune&) = delete;
  PrimMstPrune& operator=(const PrimMstPrune&) = delete;

  // allowed[v], required[v] for v = 1..V (1 = may be used / must be reached). Returns the pruned
  // tree's weight; maxint when a required vertex cannot be reached ("Not Connected!").
  std::int64_t run(const IntArray& allowed, const IntArray& required);

  // The last tree: count-prefixed arc numbers of g (empty when not connected).
  const IntArray& tree() const { return tree_; }
  std::int64_t mstWeight() const { return mstWeight_; }

private:
  void strip(const IntArray& required);

  const Graph& g_;
  IntArray key_;
  IntArray pred_;                // arc from the parent; 0 for the root
  std::vector<char> state_;      // 0 unseen, 1 in the heap, 2 in the tree
  std::vector<int> order_;       // tree vertices in the order they were reached
  IndexedHeap heap_;
  IntArray treeDegree_;
  std::vector<char> parentAlive_;
  std::vector<int> leaves_;
  IntArray tree_;
  std::int64_t mstWeight_ = 0;
};

// The same on a one-off object, the tree written into solutionList (entry 0 = count).
std::int64_t primMstPrune(const Graph& g, const IntArray& allowed, const IntArray& required);

}  // namespace tesmo
