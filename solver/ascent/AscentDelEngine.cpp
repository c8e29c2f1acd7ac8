#include "AscentDelEngine.h"

#include "LiveEdgeIterator.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

namespace {

// Costs of the scaled instance stay within the solver's range.
int saturate(std::int64_t value) { return static_cast<int>(std::min<std::int64_t>(value, maxint)); }

}  // namespace

void AscentDelEngine::onPassStart() {
  const int t = tested;
  smallest = maxint;
  secondSmallest = maxint;
  ReduceGraph& R = instance;
  LiveEdgeIterator it(R, t);
  while (nextLiveEdge(R, it)) {
    if (R.delE[it.slot]) continue;
    const int c = reducedCost[it.slot];
    if (c >= secondSmallest) continue;
    if (c < smallest) {
      secondSmallest = smallest;
      smallest = c;
    } else {
      secondSmallest = c;
    }
  }
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    const Arc& a = R.arcs[s];
    if (a.tail != t && a.head != t)
      reducedCost[s] = saturate(std::int64_t{reducedCost[s]} * 4);
    else
      reducedCost[s] = std::max(1, saturate((std::int64_t{reducedCost[s]} - smallest) * 4));
  }
}

}  // namespace tesmo
