#include "ReducedCostSet.h"

#include "AscentEngine.h"
#include "LogStream.h"

#include <algorithm>

namespace tesmo {

void emptyReducedCostSet(ReducedCostSet& set) {
  set.roots.clear();
  set.gaps.clear();
  set.reducedCosts.clear();
  set.distFromRoots.clear();
  set.distToTerminals.clear();
  set.factor = 1;
}

void freeReducedCostSet(ReducedCostSet& set) {
  const int factor = set.factor;
  emptyReducedCostSet(set);
  set.factor = factor;
}

IntArray spreadRoots(int r, int k) {
  k = std::min(k, r);
  if (k <= 0) k = 1;
  const int step = k == 1 ? 1 : (r - 1) / (k - 1);
  IntArray roots(static_cast<std::size_t>(k) + 1, 0);
  roots[0] = k;
  for (int i = 1; i < k; ++i) roots[i] = 1 + (i - 1) * step;
  roots[k] = r;
  return roots;
}

void reducedCostSetFromAscents(ReducedCostSet& set, ReduceGraph& R, int k, int sizeCode) {
  set.roots = spreadRoots(R.R, k);
  k = set.roots[0];
  const std::size_t n = static_cast<std::size_t>(k) + 1;
  set.gaps.assign(n, 0);
  set.reducedCosts.assign(n, IntArray{});
  set.distFromRoots.assign(n, IntArray{});
  set.distToTerminals.assign(n, IntArray{});
  AscentEngine engine(R, sizeCode == 1 ? 6 * R.E : sizeCode);
  for (int i = 1; i <= k; ++i) {
    engine.ascentPass(set.roots[i]);
    engine.reducedCostDistances();
    set.gaps[i] = static_cast<int>(std::int64_t{R.upperValue} - engine.lowerBound());
    // The set takes the engine's result arrays and hands it empty ones, which it sizes anew.
    engine.swapResults(set.reducedCosts[i], set.distFromRoots[i], set.distToTerminals[i]);
  }
}

void reducedCostSetFromArrays(ReducedCostSet& set, const ReduceGraph& R, int root,
                              const IntArray& reducedCost, const IntArray& distFromRoot,
                              const IntArray& distToTerminal, int factor, int gap) {
  set.roots = IntArray{1, root};
  set.gaps = IntArray{0, gap};
  const int capacity = std::max(6 * R.E, 2 * R.E + 1);
  IntArray costs(static_cast<std::size_t>(capacity), 0);
  costs[0] = capacity;
  for (int s = 1; s <= 2 * R.E; ++s) costs[s] = reducedCost[s];
  set.reducedCosts = {IntArray{}, std::move(costs)};
  set.distFromRoots = {IntArray{}, distFromRoot};
  set.distToTerminals = {IntArray{}, distToTerminal};
  set.factor = factor;
  if (factor == 1) log(1) << "factor 1 will reduce the performance.\n";
}

}  // namespace tesmo
