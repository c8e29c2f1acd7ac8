#pragma once
// The exact search on an instance, as an object that keeps its working copy and buffers from one
// run to the next (the enumeration of optimal trees runs it once per edge). Until the real
// search exists it solves by subset enumeration, which refuses instances with too many
// non-required vertices.

#include "MarkerSet.h"
#include "ReduceGraph.h"

#include <optional>

namespace tesmo {

class Branching {
public:
  Branching() = default;

  // Solves R to optimality. verbosity maxint keeps verbose, any other value replaces it for the
  // run; shell.phase and verbose are restored. R's lowerValue must be set (not maxint). Returns
  // the optimal value in R's current costs (contractCost included), maxint when no tree joins
  // the terminals; offers the tree to R's setUpper and leaves it in tree() and in solutionList
  // as a count-prefixed list of R's slots.
  int run(ReduceGraph& R, int verbosity = maxint);

  const IntArray& tree() const { return tree_; }

private:
  void treeOfCopy(const ReduceGraph& R);

  std::optional<ReduceGraph> copy_;  // R reduced by the degree tests; R keeps every edge
  IntArray copySlots_;
  IntArray tree_;
  MarkerSet marked_;  // identities of the copy's tree, merged and contracted ones included
};

}  // namespace tesmo
