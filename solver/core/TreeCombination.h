#pragma once
// The combination of two trees that setUpper carries out: the union of the stored tree and an
// offered one becomes an instance of its own, which the installed solver (prune1 or the branch and
// bound, option exactCombine) solves; a better tree found there replaces the stored one.
//
// One object serves the whole process (setUpper never combines while a combination runs): it
// keeps the edge chain, the saved solution list and the sub-instance, whose arrays keep their
// memory from one combination to the next.

#include "ReduceGraph.h"

#include <cstdint>
#include <memory>

namespace tesmo {

class TreeCombination {
public:
  // Combines R's stored tree with slots (value: their cost, contractCost included). When the
  // union holds a tree no dearer than both, R stores it and value becomes maxint + 1.
  void run(ReduceGraph& R, const IntArray& slots, const char* label, std::int64_t& value,
           const ReduceGraph::CombineSolver& solver);

  // The process-wide object setUpper uses.
  static TreeCombination& shared();

private:
  IntArray next_;            // chain of the union's edges; -1 = not listed
  IntArray savedSolution_;   // the caller's solution list while the solver runs
  std::unique_ptr<ReduceGraph> sub_;
};

}  // namespace tesmo
