// Cost blow-up of the reduction instance: scaled costs with a small random amount per edge.

#include "CostBlowUp.h"

#include "ReduceGraph.h"

#include "LogStream.h"
#include "Random.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

void CostBlowUp::run() {
  ReduceGraph& R = R_;
  if (R.costScale != 1) return;
  log(3) << "\n\n\n Blowing up... \n\n\n";
  const int f = shell.Iget("blowUp", 1000);
  const int r = std::max(1, shell.Iget("blowUpRandom", 10));
  if (f < 1) return;  // a factor below 1 would wipe out or turn around the cost order

  // Every value that gets multiplied must stay a cost the solver can represent, else nothing is
  // changed: a half-scaled instance would mix two units.
  std::int64_t largest = R.contractCost;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (s < R.partner[s]) largest = std::max<std::int64_t>(largest, R.arcs[s].cost);
  largest = std::max<std::int64_t>(largest, R.maxCost);
  std::int64_t largestScaled = largest * f + (r - 1);
  if (R.upperValue < maxint)
    largestScaled = std::max<std::int64_t>(largestScaled, std::int64_t{R.upperValue} * f);
  if (R.blowUpMark < maxint)
    largestScaled = std::max<std::int64_t>(largestScaled, std::int64_t{R.blowUpMark} * f);
  if (largest < 0 || largestScaled > maxint) {
    log(1) << "blowUp stopped: costs times " << f << " would pass " << maxint << "\n";
    return;
  }

  R.costScale = f;
  if (R.upperValue < maxint) R.upperValue *= f;
  if (R.blowUpMark < maxint) R.blowUpMark *= f;
  R.contractCost *= f;
  R.maxCost *= f;
  for (int s = 1; s <= 2 * R.E; ++s) {
    const int p = R.partner[s];
    if (s >= p) continue;
    const int cost = R.arcs[s].cost * f + randomNumber(r) - 1;
    R.arcs[s].cost = cost;
    R.arcs[p].cost = cost;
  }
}

// The instance's own operation of the data model.
void ReduceGraph::blowUp() { CostBlowUp(*this).run(); }

}  // namespace tesmo
