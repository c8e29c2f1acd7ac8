#include "AscentTrials.h"

#include "AscentEngine.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

namespace {

// Raises the cut of one terminal's component first, as long as it is active; the rest as the
// engine would. Any choice among the active components keeps the dual feasible.
class FirstTerminalAscent : public AscentEngine {
public:
  explicit FirstTerminalAscent(ReduceGraph& R) : AscentEngine(R) { applyToInstance = 0; }
  int first = 0;

  int choosePosition() override {
    for (int i = 1; first != 0 && i <= active[0]; ++i)
      if (active[i] == first) return i;
    return AscentEngine::choosePosition();
  }
};

int withContraction(const ReduceGraph& R, int lower) {
  return static_cast<int>(std::min<std::int64_t>(std::int64_t{lower} + R.contractCost, maxint));
}

}  // namespace

int ascentByFirstTerminal(ReduceGraph& R) {
  int root = shell.Iget("root", 1);
  if (root < 1 || root > R.R) root = 1;
  if (R.R < 2) return 0;
  log(3) << "root: " << R.terminals[root] << "\n";
  FirstTerminalAscent engine(R);
  engine.ascentPass(root);
  if (engine.disconnected()) return 0;
  const int plain = engine.lowerBound();
  log(2) << "Lower: " << plain << " +Contr= " << withContraction(R, plain) << "\n";
  int best = plain, bestFirst = 0;
  for (int k = 1; k <= R.R; ++k) {
    if (k == root) continue;
    log(3) << "first: " << k << " Nr.: " << R.terminals[k] << "\n";
    engine.first = k;
    engine.ascentPass(root);
    if (engine.lowerBound() > best) {
      log(3) << "SUCCESS!!!!!!  (" << best << " -> " << engine.lowerBound() << ")\n";
      best = engine.lowerBound();
      bestFirst = k;
    }
  }
  if (bestFirst != 0) log(2) << "\nSUCCESS!";
  log(2) << "(new) lower: " << withContraction(R, best) << "\n";
  if (verbose >= 5) {
    engine.first = bestFirst;
    engine.ascentPass(root);
    log(5) << "slacks: ";
    const IntArray& rc = engine.reducedCosts();
    for (int s = 1; s <= 2 * R.E; ++s)
      if (!R.delE[s]) log(5) << "(" << R.arcs[s].tail << "-" << R.arcs[s].head << ") " << rc[s] << " ";
    log(5) << "\n";
  }
  return withContraction(R, best);
}

}  // namespace tesmo
