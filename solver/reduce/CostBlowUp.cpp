// Cost blow-up of the reduction instance: scaled costs with a small random amount per edge.

#include "ReduceGraph.h"

#include "LogStream.h"
#include "Random.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

void ReduceGraph::blowUp() {
  if (costScale != 1) return;
  log(3) << "\n\n\n Blowing up... \n\n\n";
  const int f = shell.Iget("blowUp", 1000);
  const int r = std::max(1, shell.Iget("blowUpRandom", 10));
  if (f < 1) return;  // a factor below 1 would wipe out or turn around the cost order

  // Every value that gets multiplied must stay a cost the solver can represent, else nothing is
  // changed: a half-scaled instance would mix two units.
  std::int64_t largest = contractCost;
  for (int s = 1; s <= 2 * E; ++s)
    if (s < partner[s]) largest = std::max<std::int64_t>(largest, arcs[s].cost);
  largest = std::max<std::int64_t>(largest, maxCost);
  std::int64_t largestScaled = largest * f + (r - 1);
  if (upperValue < maxint) largestScaled = std::max<std::int64_t>(largestScaled, std::int64_t{upperValue} * f);
  if (blowUpMark < maxint) largestScaled = std::max<std::int64_t>(largestScaled, std::int64_t{blowUpMark} * f);
  if (largest < 0 || largestScaled > maxint) {
    log(1) << "blowUp stopped: costs times " << f << " would pass " << maxint << "\n";
    return;
  }

  costScale = f;
  if (upperValue < maxint) upperValue *= f;
  if (blowUpMark < maxint) blowUpMark *= f;
  contractCost *= f;
  maxCost *= f;
  for (int s = 1; s <= 2 * E; ++s) {
    const int p = partner[s];
    if (s >= p) continue;
    const int cost = arcs[s].cost * f + randomNumber(r) - 1;
    arcs[s].cost = cost;
    arcs[p].cost = cost;
  }
}

}  // namespace tesmo
