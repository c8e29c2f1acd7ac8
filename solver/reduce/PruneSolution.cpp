#include "PruneSolution.h"

#include "Check.h"
#include "PrimMstPrune.h"

namespace tesmo {

std::int64_t pruneSolution(const Graph& g, const IntArray& solution) {
  if (g.solutionAsIDs) exitWithError("ID-sol cannot be pruned");
  IntArray allowed(static_cast<std::size_t>(g.V) + 1, 0);
  IntArray required(static_cast<std::size_t>(g.V) + 1, 0);
  const int count = solution.empty() ? 0 : solution[0];
  for (int i = 1; i <= count; ++i) {
    const int a = solution[i];
    if (a < 1 || a > 2 * g.E) continue;  // a zero entry or no arc of g joins nothing
    allowed[g.arcs[a].tail] = 1;
    allowed[g.arcs[a].head] = 1;
  }
  for (int k = 1; k <= g.R; ++k) {
    required[g.terminals[k]] = 1;
    allowed[g.terminals[k]] = 1;
  }
  return primMstPrune(g, allowed, required);
}

}  // namespace tesmo
