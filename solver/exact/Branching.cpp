#include "Branching.h"

#include "Check.h"
#include "ScopedVerbosity.h"
#include "SelfCheck.h"

#include <algorithm>

namespace tesmo {

namespace {

// The stored tree of R as its live slots, one per edge (empty when R holds no valid tree).
void storedTreeSlots(const ReduceGraph& R, IntArray& tree) {
  tree.assign(1, 0);
  if (!R.upperOk) return;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || s > R.partner[s]) continue;
    const int id = R.ID.empty() ? s : R.ID[s];
    if (id >= 0 && static_cast<std::size_t>(id) < R.inTree.size() && R.inTree[id]) {
      tree.push_back(s);
      ++tree[0];
    }
  }
}

}  // namespace

int Branching::run(ReduceGraph& R, int verbosity) {
  if (R.lowerValue == maxint)
    exitWithWarning("Original->lowerValue==maxint", 261, "branching", R.warningDump());
  ScopedVerbosity scope;
  if (verbosity != maxint) verbose = verbosity;
  const int value = search_.run(R, "G", 1);
  // Callers read the tree from the solution list as R's slots.
  storedTreeSlots(R, tree_);
  if (tree_[0] > 0) checkAfterStep(R, "branching");
  if (solutionList.size() < tree_.size()) solutionList.resize(tree_.size(), 0);
  std::copy(tree_.begin(), tree_.end(), solutionList.begin());
  return value;
}

}  // namespace tesmo
