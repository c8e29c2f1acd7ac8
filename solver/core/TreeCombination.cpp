#include "TreeCombination.h"

#include "DisplayHooks.h"
#include "LogStream.h"
#include "RunTimer.h"
#include "ScopedVerbosity.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

TreeCombination& TreeCombination::shared() {
  static TreeCombination combination;
  return combination;
}

void TreeCombination::run(ReduceGraph& R, const IntArray& slots, const char* label,
                          std::int64_t& value, const ReduceGraph::CombineSolver& solver) {
  const int offset = R.messageOffset();
  log(offset + 4) << "combining solutions..." << std::endl;

  // Each edge once, by its slot with the smaller tail; -1 = not listed.
  next_.assign(2 * static_cast<std::size_t>(R.E) + 1, -1);
  int first = 0;
  int last = 0;
  auto append = [&](int s) {
    if (next_[s] != -1) return;
    next_[s] = 0;
    if (last == 0) {
      first = s;
    } else {
      next_[last] = s;
    }
    last = s;
  };
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.arcs[s].tail >= R.arcs[s].head || !R.inTree[R.ID[s]]) continue;
    const int p = R.partner[s];
    if (!R.delE[s] || (!R.delE[p] && R.partner[p] == s)) append(s);
  }
  for (int i = 1; i <= slots[0]; ++i) {
    const int s = slots[i];
    append(R.arcs[s].tail > R.arcs[s].head ? R.partner[s] : s);
  }
  if (first == 0) return;

  savedSolution_.assign(static_cast<std::size_t>(R.V) + 1, 0);
  savedSolution_.swap(solutionList);
  if (sub_)
    ReduceGraph::graphFromSolution(*sub_, R, first, next_, true, true);
  else
    sub_ = std::make_unique<ReduceGraph>(ReduceGraph::graphFromSolution(R, first, next_, true, true));
  ReduceGraph& sub = *sub_;
  sub.ID[0] = offset + 4;
  displaySubproblem(1);
  std::int64_t result = 0;
  {
    ScopedVerbosity scope;
    if (shell.Iget("quietPrune", 1) != 0) verbose = 0;
    log(3) << "Combining Solutions:" << std::endl;
    result = solver(sub, shell.Iget("exactCombine", 0) != 0) + std::int64_t{R.contractCost};
  }
  displaySubproblem(0);
  savedSolution_.swap(solutionList);
  log(offset + 4) << "j" << ":" << result << ", " << "upperValue" << ":" << R.upperValue << ", "
                  << "cost" << ":" << value << ", " << std::endl;
  if (!sub.upperOk || result > R.upperValue || result > value) return;

  if (result < R.upperValue && result < value)
    log(2) << "improvement through combine with (" << (label ? label : "") << "): "
           << R.upperValue << " + " << value << " = " << result << "\n\n";
  if (result < R.upperValue)
    log(offset + 1) << "upper improved: " << R.upperValue << " -> " << result << " (comb:"
                    << (label ? label : "") << ")  (elapsed time: "
                    << static_cast<int>(runTimer.elapsedTime()) << ")\n";
  const int count = sub.upperTree[0];
  if (static_cast<std::size_t>(count) + 2 > R.upperTree.size()) R.upperTree.resize(count + 2, 0);
  std::copy_n(sub.upperTree.begin(), count + 2, R.upperTree.begin());
  std::copy_n(sub.inTree.begin(), R.IDcount + 1, R.inTree.begin());
  std::copy_n(sub.treeDegree.begin(), R.V + 1, R.treeDegree.begin());
  R.upperTree[count + 1] = R.contractID[0];
  R.upperOk = 1;
  R.upperValue = static_cast<int>(result);
  if (result <= R.lowerValue) {
    log(offset + 1) << "Upper reaches known lower.\n";
    R.upperOpt = 1;
    if (R.upperValue < R.lowerValue) {
      R.upperOpt = -1;
      log(offset + 1) << "WARNING: upper < lower \n";
      if (R.lowerValueValid) R.failCheck("lowerValueValid && \"new upper < lower\"", __LINE__);
    }
  }
  R.upperValueValid = 1;
  value = std::int64_t{maxint} + 1;
}

}  // namespace tesmo
