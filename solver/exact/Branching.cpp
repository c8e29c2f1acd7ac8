#include "Branching.h"

#include "Check.h"
#include "ScopedVerbosity.h"
#include "SelfCheck.h"
#include "SubsetEnumeration.h"

#include <algorithm>

namespace tesmo {

// The tree of the reduced copy, carried back to R's slots: the copy's edges name R's edges by
// identity, merged edges stand for the pair they replaced, and the contractions made in the copy
// belong to the tree.
void Branching::treeOfCopy(const ReduceGraph& R) {
  const ReduceGraph& copy = *copy_;
  marked_.resize(copy.IDcount);
  marked_.clear();
  auto mark = [&](int id) {
    if (id >= 1 && id <= copy.IDcount) marked_.mark(id);
  };
  for (int k = 1; k <= copySlots_[0]; ++k) mark(copy.ID[copySlots_[k]]);
  for (int k = R.contractID[0] + 1; k <= copy.contractID[0]; ++k) mark(copy.contractID[k]);
  for (int t = copy.mergeHistory[0] - 2; t > R.mergeHistory[0]; t -= 3) {
    const int newID = copy.mergeHistory[t + 2];
    if (newID >= 1 && newID <= copy.IDcount && marked_.marked(newID)) {
      mark(copy.mergeHistory[t]);
      mark(copy.mergeHistory[t + 1]);
    }
  }
  tree_.assign(1, 0);
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || s > R.partner[s]) continue;
    const int id = R.ID[s];
    if (id >= 1 && id <= copy.IDcount && marked_.marked(id)) {
      tree_.push_back(s);
      ++tree_[0];
    }
  }
}

int Branching::run(ReduceGraph& R, int verbosity) {
  // The same line as the search's own consistency check, so that logs read alike.
  if (R.lowerValue == maxint) exitWithWarning("Original->lowerValue==maxint", 261, "branching");
  ScopedVerbosity scope;
  if (verbosity != maxint) verbose = verbosity;

  // The degree reductions keep the optimum and leave fewer vertices to enumerate; they work on a
  // copy, so that R keeps every edge.
  if (copy_) {
    copy_->copyFrom(R, 2);
  } else {
    copy_.emplace(ReduceGraph::copyGraph(R, 2));
  }
  ReduceGraph& copy = *copy_;
  copy.clearUpper();
  copy.removeVertices();
  SubsetEnumeration search(copy);
  std::int64_t value = search.solve(copySlots_);
  tree_.assign(1, 0);
  if (value < maxint) {
    treeOfCopy(R);
    value = R.contractCost;
    for (int k = 1; k <= tree_[0]; ++k) value += R.arcs[tree_[k]].cost;
    R.setUpper(tree_, "branching", 0);
    checkAfterStep(R, "branching");
  }
  if (solutionList.size() < tree_.size()) solutionList.resize(tree_.size(), 0);
  std::copy(tree_.begin(), tree_.end(), solutionList.begin());
  return value < maxint ? static_cast<int>(value) : maxint;
}

}  // namespace tesmo
