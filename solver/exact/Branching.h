#pragma once
// The exact search on an instance as the callers of `branching` see it: the branch and bound,
// with the verbosity and shell phases of the caller kept, and the optimal tree left as R's slots.
// The object keeps its search (node stack and copies) from one run to the next, so callers that
// solve many times (the enumeration of optimal trees runs it once per edge) reuse one.

#include "BranchAndBound.h"
#include "ReduceGraph.h"

namespace tesmo {

class Branching {
public:
  Branching() = default;

  // Solves R to optimality. verbosity maxint keeps verbose, any other value replaces it for the
  // run; shell.phase, shell.Phase and verbose are restored. R's lowerValue must be set (not
  // maxint). Returns R's upperValue afterwards (contractCost included); the tree R then holds is
  // left in tree() and in solutionList as a count-prefixed list of R's slots, both empty when R
  // holds none (a time-out before any tree).
  int run(ReduceGraph& R, int verbosity = maxint);

  const IntArray& tree() const { return tree_; }
  const BranchAndBound& search() const { return search_; }

private:
  BranchAndBound search_;
  IntArray tree_;
};

}  // namespace tesmo
