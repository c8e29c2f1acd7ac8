#include "DecomposeSupport.h"

#include "Check.h"
#include "DisplayHooks.h"
#include "Exact.h"
#include "LogStream.h"
#include "RunTimer.h"
#include "ScopedVerbosity.h"
#include "Shell.h"

namespace tesmo {

int liveSlotBetween(const ReduceGraph& R, int u, int w) {
  for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s))
    if (R.arcs[s].head == w) return s;
  return 0;
}

void queueContraction(ReduceGraph& R, int u, int w) {
  const int s = liveSlotBetween(R, u, w);
  if (s == 0) return;
  if (R.upperOk && !R.inTree[R.ID[s]]) R.destroyUpper();
  R.addPendingContraction(s);
}

void contractPairs(ReduceGraph& R, const std::vector<std::pair<int, int>>& pairs, IntArray* map) {
  for (const auto& [u, w] : pairs) queueContraction(R, u, w);
  R.updateContract(map, true);
}

bool timeLimitReached() {
  return runTimer.elapsedTime() >= shell.Fget("R-maxSec", 1600000000.0);
}

bool solvePiece(ReduceGraph& piece, const ReduceGraph& R, const char* checkText, int line) {
  displaySubproblem(1);
  {
    ScopedVerbosity scope;
    if (shell.Iget("quietComponents", 1) != 0) verbose = 0;
    branching(piece, maxint);
  }
  displaySubproblem(0);
  if (piece.upperOpt > 0 && piece.upperOk) return true;
  // A search stopped by the time limit proves nothing: the caller leaves R as it is.
  if (timeLimitReached()) {
    log(3) << "time limit reached in a piece: left unchanged\n";
    return false;
  }
  exitWithWarning(checkText, line, "biCon", R.warningDump());
  return piece.upperOk != 0;
}

}  // namespace tesmo
