#include "DecomposeSupport.h"

#include "Check.h"
#include "DisplayHooks.h"
#include "Exact.h"
#include "LogStream.h"
#include "RunTimer.h"
#include "ScopedVerbosity.h"
#include "Shell.h"

#include <vector>

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

namespace {

// The piece's terminals are joined by its live edges.
bool terminalsJoined(const ReduceGraph& piece) {
  if (piece.R <= 1) return true;
  std::vector<char> seen(static_cast<std::size_t>(piece.V) + 1, 0);
  std::vector<int> stack{piece.terminals[1]};
  seen[piece.terminals[1]] = 1;
  while (!stack.empty()) {
    const int v = stack.back();
    stack.pop_back();
    for (int s = piece.nextLiveSlot(v, 0); s != 0; s = piece.nextLiveSlot(v, s)) {
      const int w = piece.arcs[s].head;
      if (!seen[w]) seen[w] = 1, stack.push_back(w);
    }
  }
  for (int k = 1; k <= piece.R; ++k)
    if (!seen[piece.terminals[k]]) return false;
  return true;
}

}  // namespace

bool solvePiece(ReduceGraph& piece, const ReduceGraph& R, const PieceCheck& check) {
  return solvePieceAt(piece, R, shell.Iget("quietComponents", 1) != 0 ? 0 : verbose, check, "biCon");
}

bool solvePieceAt(ReduceGraph& piece, const ReduceGraph& R, int verbosity, const PieceCheck& check,
                  const char* module) {
  const bool joined = terminalsJoined(piece);
  displaySubproblem(1);
  {
    ScopedVerbosity scope;
    verbose = verbosity;
    branching(piece, maxint);
  }
  displaySubproblem(0);
  if (piece.upperOpt > 0 && piece.upperOk) return true;
  // A search stopped by the time limit proves nothing: the caller leaves R as it is.
  if (timeLimitReached()) {
    log(3) << "time limit reached in a piece: left unchanged\n";
    return false;
  }
  // A piece whose terminals are joined has a tree: a search that found none went wrong on the
  // way, and nothing may be concluded from it.
  if (joined && !piece.upperOk) {
    log(3) << "no tree found for a joined piece: left unchanged\n";
    return false;
  }
  if (check.noTreeText == nullptr) {
    exitWithWarning(check.text, check.line, module, R.warningDump());
  } else {
    if (piece.upperOpt <= 0) exitWithWarning(check.text, check.line, module, R.warningDump());
    if (!piece.upperOk) exitWithWarning(check.noTreeText, check.noTreeLine, module, R.warningDump());
  }
  // The run goes on (exitWarning 0): a tree that was not proven optimal still proves nothing.
  return false;
}

}  // namespace tesmo
