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

GridderProbe::GridderProbe(ReduceGraph& R) : R_(R) {
  const std::size_t slots = std::max<std::size_t>(R.delE.size(), 2 * static_cast<std::size_t>(R.E) + 1);
  const std::size_t n = static_cast<std::size_t>(R.V) + 1;
  slotState_.assign(slots, 0);
  flags_.assign(slots, 0);
  chainStamp_.assign(slots, 0);
  chain_.assign(n + 1, 0);
  for (int k = 0; k < 2; ++k) {
    label_[k].assign(n, 0);
    firstSlot_[k].assign(n, 0);
    dist_[k].assign(n, 0);
    labelled_[k].assign(n + 1, 0);
  }
}

int GridderProbe::liveDegree(int v) const {
  int d = 0;
  for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s)) ++d;
  return d;
}

void GridderProbe::relabel(int k, int z, std::int64_t distance, int first) {
  if (label_[k][z] != stamp_) {
    label_[k][z] = stamp_;
    labelled_[k][++labelled_[k][0]] = z;
    dist_[k][z] = distance;
    firstSlot_[k][z] = first;
  } else if (distance < dist_[k][z]) {
    dist_[k][z] = distance;
    firstSlot_[k][z] = first;
  }
}

void GridderProbe::spread(int k, int rounds, int v) {
  const ReduceGraph& R = R_;
  for (int round = 0; round < rounds; ++round) {
    const int count = labelled_[k][0];
    for (int i = 1; i <= count; ++i) {
      const int y = labelled_[k][i];
      for (int s = R.nextLiveSlot(y, 0); s != 0; s = R.nextLiveSlot(y, s)) {
        const int z = R.arcs[s].head;
        // A way through the start vertex would run along the chain itself.
        if (z == v) continue;
        const std::int64_t nd = dist_[k][y] + R.arcs[s].cost;
        if (label_[k][z] != stamp_) relabel(k, z, nd, 0);
        else if (nd < dist_[k][z]) dist_[k][z] = nd;
      }
    }
  }
}

void GridderProbe::run() {
  ReduceGraph& R = R_;
  R.isReq[0] = 0;
  if (R.overflowMode) R.rebuildAdjacency();
  limit2_ = shell.Iget("gLimit2", 4);
  const int rounds = shell.Iget("xtGrid", 5);
  probes_ = deleted_ = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0) continue;
    const int d = liveDegree(v);
    if (d < 2 || d > 3) continue;
    for (int e = R.nextLiveSlot(v, 0); e != 0; e = R.nextLiveSlot(v, e)) {
      const int w = R.arcs[e].head;
      if (R.isReq[w] != 0 || slotState_[e] > 1) continue;
      const int dw = liveDegree(w);
      if (dw != d && dw != d + 1) continue;
      // The side edges of v label their far ends, and the labels spread.
      ++stamp_;
      sides_ = 0;
      for (int t = R.nextLiveSlot(v, 0); t != 0; t = R.nextLiveSlot(v, t)) {
        if (t == e) continue;
        const int k = sides_++;
        sideSlot_[k] = t;
        labelled_[k][0] = 0;
        relabel(k, R.arcs[t].head, 0, 0);
      }
      for (int k = 0; k < sides_; ++k) spread(k, rounds, v);
      tryChain(e, d);
      if (liveDegree(v) < 2) break;
    }
  }
  log(3) << "successful probes: " << probes_ << ",deleted edges: " << deleted_ << "\n";
  R.compactEdges(nullptr);
}

bool GridderProbe::tryChain(int e, int d) {
  ReduceGraph& R = R_;
  chain_[0] = 0;
  int cur = e;
  int back = 0;  // the slot the chain came in by, reversed (0 at the start vertex)
  std::int64_t pathCost = 0;
  bool allDominated = true;
  for (int k = 0; k < sides_; ++k) flags_[sideSlot_[k]] = 0;
  for (;;) {
    if (slotState_[cur] >= 2 || chainStamp_[cur] == stamp_ || chain_[0] + 1 >= static_cast<int>(chain_.size())) break;
    chainStamp_[cur] = chainStamp_[R.partner[cur]] = stamp_;
    chain_[++chain_[0]] = cur;
    const int u = R.arcs[cur].tail;
    const int w = R.arcs[cur].head;
    pathCost += R.arcs[cur].cost;
    // The alternatives at u: labels reached through u's other edges, within the chain's cost.
    for (int t = R.nextLiveSlot(u, 0); t != 0; t = R.nextLiveSlot(u, t)) {
      if (t == cur || t == back) {
        flags_[t] = 1;
        continue;
      }
      if (u != R.arcs[e].tail) flags_[t] = 0;
      const int y = R.arcs[t].head;
      for (int k = 0; k < sides_; ++k) {
        if (label_[k][y] != stamp_) continue;
        firstSlot_[k][y] = t;
        if (liveDegree(y) > limit2_) continue;
        for (int q = R.nextLiveSlot(y, 0); q != 0; q = R.nextLiveSlot(y, q)) {
          const int z = R.arcs[q].head;
          if (z == u || z == R.arcs[e].tail || dist_[k][y] - pathCost + R.arcs[q].cost >= 1) continue;
          relabel(k, z, dist_[k][y] + R.arcs[q].cost, R.arcs[q].cost <= R.arcs[cur].cost ? t : 0);
        }
      }
    }
    // Every other edge at w must be matched by a side label; one unmatched edge may carry the
    // chain on when w is a branching vertex.
    const int dw = liveDegree(w);
    int next = 0;
    bool failed = false;
    bool dominatedSoFar = true;
    for (int q = R.nextLiveSlot(w, 0); q != 0 && !failed; q = R.nextLiveSlot(w, q)) {
      const int z = R.arcs[q].head;
      if (z == u) continue;
      bool covered = false;
      for (int k = 0; k < sides_; ++k) {
        if (label_[k][z] != stamp_) continue;
        if (dist_[k][z] <= pathCost && R.arcs[sideSlot_[k]].cost >= R.arcs[q].cost) {
          flags_[sideSlot_[k]] = 1;
          covered = true;
        }
        const int f = firstSlot_[k][z];
        if (dominatedSoFar && f != 0 && R.arcs[f].tail == u && R.arcs[f].cost >= R.arcs[q].cost) flags_[f] = 1;
      }
      if (covered) continue;
      dominatedSoFar = false;
      if (next == 0 && dw != d) next = q;
      else failed = true;
    }
    if (failed) break;
    for (int t = R.nextLiveSlot(u, 0); t != 0; t = R.nextLiveSlot(u, t))
      if (flags_[t] == 0) allDominated = false;
    bool sidesSet = true;
    for (int k = 0; k < sides_; ++k) sidesSet = sidesSet && flags_[sideSlot_[k]] != 0;
    if (!sidesSet) break;
    if (next == 0) {
      // Chains that are not dominated throughout are left alone (no partial deletion).
      if (!allDominated) break;
      ++probes_;
      for (int i = chain_[0]; i >= 1; --i) {
        const int s = chain_[i];
        if (R.upperOk && R.inTree[R.ID[s]]) R.destroyUpper();
        --R.Eanz;
        R.delE[s] = R.delE[R.partner[s]] = 1;
        R.vertexWork[R.arcs[s].tail] = R.vertexWork[R.arcs[s].head] = 1;
        ++deleted_;
      }
      return true;
    }
    if (R.isReq[R.arcs[next].head] != 0) break;
    back = R.partner[cur];
    cur = next;
  }
  for (int i = 1; i <= chain_[0]; ++i) slotState_[chain_[i]] = 2;
  return false;
}

void gridder(ReduceGraph& R) {
  if (shell.Iget("gridGrid", 0) != 0) {
    R.pruneGrid();
    return;
  }
  if (shell.Iget("xtGrid", 0) != 0) {
    GridderProbe(R).run();
    return;
  }
  Gridder(R).run();
}

}  // namespace tesmo
