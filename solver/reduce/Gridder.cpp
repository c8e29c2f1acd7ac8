#include "Gridder.h"

#include "LogStream.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

Gridder::Gridder(ReduceGraph& R) : R_(R) {
  const std::size_t slots = std::max<std::size_t>(R.delE.size(), 2 * static_cast<std::size_t>(R.E) + 1);
  slotState_.assign(slots, 0);
  chainStamp_.assign(slots, 0);
  positionOf_.assign(slots, 0);
  chain_.assign(static_cast<std::size_t>(R.V) + 2, 0);
}

int Gridder::liveDegree(int v) const {
  int d = 0;
  for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s)) ++d;
  return d;
}

void Gridder::run() {
  ReduceGraph& R = R_;
  R.isReq[0] = 0;
  // The lazy deletion marks below share vertexWork with the overflow chains.
  if (R.overflowMode) R.rebuildAdjacency();
  allowDestroyUpper_ = shell.Iget("allowDestroyUpper", 0);
  if (!R.upperOk) allowDestroyUpper_ = 1;
  limit2_ = shell.Iget("gLimit2", 4);
  const int limit0 = shell.Iget("gLimit0", 2);
  int largest = 0;
  for (int v = 1; v <= R.V; ++v) largest = std::max(largest, liveDegree(v));
  // Chain vertices can have any degree; the side pairs of one vertex come from its own slots
  // and the slots of its small-degree neighbours.
  flags_.assign(static_cast<std::size_t>(largest) + 1, 0);
  pairs_.resize(static_cast<std::size_t>(largest) * (std::max(limit2_, 0) + 1) + 1);
  probes_ = deleted_ = 0;

  for (int s = 1; s <= R.V; ++s) {
    if (R.isReq[s] != 0) continue;
    const int d = liveDegree(s);
    if (d < limit0 || d > 3) continue;
    for (int e = R.nextLiveSlot(s, 0); e != 0; e = R.nextLiveSlot(s, e)) {
      const int w = R.arcs[e].head;
      if (R.isReq[w] != 0 || slotState_[e] >= 2 || blocked(e)) continue;
      const int dw = liveDegree(w);
      if (dw != d && dw != d + 1) continue;
      // A deleted chain takes e with it; the scan goes on from e's place (deleted slots stay
      // in the range until the compaction at the end).
      tryChain(e, d);
      if (R.isReq[s] == 0 && liveDegree(s) < limit0) break;
    }
  }
  log(3) << "successful probes: " << probes_ << ", deleted edges: " << deleted_ << "\n";
  R.compactEdges(nullptr);
}

bool Gridder::tryChain(int e, int d) {
  ReduceGraph& R = R_;
  ++stamp_;
  chain_[0] = 0;
  int cur = e;
  int back = 0;  // the slot the chain came in by, reversed (0 at the start vertex)
  for (;;) {
    if (slotState_[cur] >= 2 || chainStamp_[cur] == stamp_ || chain_[0] + 1 >= static_cast<int>(chain_.size())) break;
    chainStamp_[cur] = chainStamp_[R.partner[cur]] = stamp_;
    chain_[++chain_[0]] = cur;
    const int u = R.arcs[cur].tail;
    const int w = R.arcs[cur].head;
    const int costCur = R.arcs[cur].cost;

    // The alternatives at u: its other edges and, through small neighbours, their cheap edges.
    int pairCount = 0;
    int position = 0;
    for (int t = R.nextLiveSlot(u, 0); t != 0; t = R.nextLiveSlot(u, t), ++position) {
      positionOf_[t] = position;
      if (t == cur || t == back) {
        flags_[position] = 1;
        continue;
      }
      flags_[position] = 0;
      const int y = R.arcs[t].head;
      pairs_[pairCount++] = {y, t};
      if (liveDegree(y) > limit2_) continue;
      for (int q = R.nextLiveSlot(y, 0); q != 0; q = R.nextLiveSlot(y, q))
        if (R.arcs[q].cost <= costCur && R.arcs[q].head != u) pairs_[pairCount++] = {R.arcs[q].head, t};
    }

    // Every other edge at w must be matched by an alternative that costs at least as much; one
    // unmatched edge may carry the chain on when w is a branching vertex.
    const int dw = liveDegree(w);
    int next = 0;
    bool failed = false;
    for (int q = R.nextLiveSlot(w, 0); q != 0 && !failed; q = R.nextLiveSlot(w, q)) {
      const int z = R.arcs[q].head;
      if (z == u) continue;
      bool covered = false;
      for (int p = 0; p < pairCount; ++p)
        if (pairs_[p].vertex == z && R.arcs[q].cost <= R.arcs[pairs_[p].slot].cost) {
          flags_[positionOf_[pairs_[p].slot]] = 1;
          covered = true;
        }
      if (covered) continue;
      if (next == 0 && dw != d) next = q;
      else failed = true;
    }
    for (int p = 0; p < position && !failed; ++p)
      if (flags_[p] == 0) failed = true;
    if (failed) break;
    if (next == 0) {
      deleteChain();
      return true;
    }
    const int x = R.arcs[next].head;
    if (R.isReq[x] != 0 || blocked(next)) break;
    back = R.partner[cur];
    cur = next;
  }
  for (int i = 1; i <= chain_[0]; ++i) slotState_[chain_[i]] = 2;
  return false;
}

void Gridder::deleteChain() {
  ReduceGraph& R = R_;
  ++probes_;
  for (int i = chain_[0]; i >= 1; --i) {
    const int s = chain_[i];
    log(5) << "removing: " << R.arcs[s] << "\n";
    if (R.upperOk && R.inTree[R.ID[s]]) R.destroyUpper();
    --R.Eanz;
    R.delE[s] = R.delE[R.partner[s]] = 1;
    R.vertexWork[R.arcs[s].tail] = R.vertexWork[R.arcs[s].head] = 1;
    ++deleted_;
  }
}

void gridder(ReduceGraph& R) {
  if (shell.Iget("gridGrid", 0) != 0) {
    R.pruneGrid();
    return;
  }
  if (shell.Iget("xtGrid", 0) != 0) {
    log(3) << "gridder: the probing variant is not available, nothing done\n";
    return;
  }
  Gridder(R).run();
}

}  // namespace tesmo
