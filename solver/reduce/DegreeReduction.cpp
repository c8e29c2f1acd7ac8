#include "DegreeReduction.h"

#include "ReduceGraph.h"

#include "LogStream.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

DegreeReduction::DegreeReduction(ReduceGraph& R)
    : R_(R), revisit_(2 * static_cast<std::size_t>(R.V) + 3, 0) {}

void DegreeReduction::dropTreeLeafEdge(int s, const char* label) {
  // s runs from a non-terminal leaf of the stored tree: the tree is better without it.
  const int id = R_.ID[s];
  --R_.treeDegree[R_.arcs[s].tail];
  --R_.treeDegree[R_.arcs[s].head];
  R_.removeFromUpperTree(id);
  R_.inTree[id] = 0;
  R_.upperValue -= R_.arcs[s].cost;
  log(2) << "removeVertices " << label << " improved upper by " << R_.arcs[s].cost << " --> "
         << R_.upperValue << std::endl;
}

void DegreeReduction::pushRevisit(int v) {
  if (static_cast<std::size_t>(top_) + 1 < revisit_.size()) revisit_[++top_] = v;
}

void DegreeReduction::removeDegreeOne(int c) {
  ReduceGraph& R = R_;
  const int s = R.firstArc[c];
  const int w = R.arcs[s].head;
  if (R.isReq[c] != 0 && R.R >= 2) {
    // c's edge is in every tree: contracted, w takes c's place.
    if (R.upperOk && !R.inTree[R.ID[s]]) R.destroyUpper();
    const int k = R.isReq[c];
    if (R.isReq[w] == 0) {
      R.terminals[k] = w;
      R.isReq[w] = k;
      R.isReq[c] = 0;
    } else {
      R.leaveTerminalList(c);
    }
    R.newContractID(s);
    if (R.upperOk) --R.treeDegree[w];
  } else if (R.upperOk && R.inTree[R.ID[s]]) {
    dropTreeLeafEdge(s, "(3)");
  }
  if (R.upperOk) R.treeDegree[c] = 0;
  R.deleteEdgeSlots(s);
  --R.Vanz;
  if (!R.hasLiveSlot(w)) {
    --R.Vanz;
    if (R.upperOk && R.treeDegree[w] != 0) R.destroyUpper();
  }
  pushRevisit(w);
}

bool DegreeReduction::removeDegreeTwo(int c) {
  ReduceGraph& R = R_;
  const int s1 = R.firstArc[c];
  const int s2 = s1 + 1;
  if (R.delE[s1] || R.delE[s2]) return false;
  const int a = R.arcs[s1].head;
  const int b = R.arcs[s2].head;
  if (a == b) return false;
  const int c1 = R.arcs[s1].cost;
  const int c2 = R.arcs[s2].cost;
  const std::int64_t path = std::int64_t{c1} + c2;
  int x = 0;
  for (int s = R.nextLiveSlot(a, 0); s != 0 && x == 0; s = R.nextLiveSlot(a, s))
    if (R.arcs[s].head == b) x = s;
  if (x == 0 && path > maxint) return false;  // no edge may cost more than maxint
  const int cp = static_cast<int>(std::min<std::int64_t>(path, maxint));
  const int cx = x != 0 ? R.arcs[x].cost : 0;
  const bool takeover =
      x != 0 && (cp < cx || (cp == cx && (R.inTree[R.ID[s1]] || R.inTree[R.ID[s2]])));

  if (R.upperOk) {
    const bool in1 = R.inTree[R.ID[s1]] != 0;
    const bool in2 = R.inTree[R.ID[s2]] != 0;
    if (takeover && R.inTree[R.ID[x]]) {
      // The path a-c-b replaces x in the tree; a tree edge at c is part of that path now.
      const std::int64_t gain = std::int64_t{cx} - cp + (in1 ? c1 : 0) + (in2 ? c2 : 0);
      R.removeFromUpperTree(R.ID[x]);
      R.inTree[R.ID[x]] = 0;
      R.inTree[R.ID[s1]] = R.inTree[R.ID[s2]] = 1;
      if (in1) --R.treeDegree[a];
      if (in2) --R.treeDegree[b];
      R.upperValue -= static_cast<int>(gain);
      if (gain != 0)
        log(2) << "removeVertices (2) improved upper by " << gain << " --> " << R.upperValue
               << std::endl;
    } else if (in1 != in2) {
      dropTreeLeafEdge(in1 ? s1 : s2, "(3)");
    }
  }

  if (x != 0) {
    if (takeover) {
      R.arcs[x].cost = R.arcs[R.partner[x]].cost = cp;
      R.newMergedID(s1, s2, x);
      R.deleteEdgeSlots(s2);
      R.deleteEdgeSlots(s1);
    } else {
      R.deleteEdge(s2);
      R.deleteEdge(s1);
    }
    pushRevisit(a);
    pushRevisit(b);
  } else {
    R.maxCost = std::max(R.maxCost, cp);
    const int p1 = R.partner[s1];
    const int p2 = R.partner[s2];
    R.arcs[p1] = Arc{a, b, cp};
    R.arcs[p2] = Arc{b, a, cp};
    R.partner[p1] = p2;
    R.partner[p2] = p1;
    R.newMergedID(s1, s2, p1);
    R.degree[c] = 0;
    --R.Eanz;
    R.delE[s1] = R.delE[s2] = 1;
  }
  if (R.upperOk) R.treeDegree[c] = 0;
  --R.Vanz;
  return true;
}

int DegreeReduction::removeVertices() {
  ReduceGraph& R = R_;
  if (R.overflowMode) R.rebuildAdjacency();
  // Every removal queues at most two vertices for an immediate revisit, the newest first.
  const std::size_t room = 2 * static_cast<std::size_t>(R.V) + 3;
  if (revisit_.size() < room) revisit_.resize(room, 0);
  top_ = 0;
  int count = 0;
  int next = 1;
  while (true) {
    int c = 0;
    if (top_ > 0) {
      c = revisit_[top_--];
    } else if (next <= R.V) {
      c = next++;
    } else {
      break;
    }
    if (R.degree[c] == 1 && !R.delE[R.firstArc[c]]) {
      removeDegreeOne(c);
      ++count;
    } else if (R.degree[c] == 2 && R.isReq[c] == 0 && removeDegreeTwo(c)) {
      ++count;
    }
  }
  log(3) << "removed vertices: " << count << "\n";
  return count;
}

bool DegreeReduction::contractDegreeTwoTerminal(int t) {
  ReduceGraph& R = R_;
  if (R.degree[t] != 2) return false;
  const int s1 = R.firstArc[t];
  const int s2 = s1 + 1;
  if (R.delE[s1] || R.delE[s2]) return false;
  const int a = R.arcs[s1].head;
  const int b = R.arcs[s2].head;
  const int c1 = R.arcs[s1].cost;
  const int c2 = R.arcs[s2].cost;
  if (a == b) return false;
  const bool takeSecond =
      R.isReq[b] != 0 && c2 <= c1 && !(R.isReq[a] != 0 && c1 == c2 && R.inTree[R.ID[s1]]);
  const int k = takeSecond ? s2 : s1;  // contracted, towards n
  const int o = takeSecond ? s1 : s2;  // re-hung at n
  const int n = R.arcs[k].head;
  const int m = R.arcs[o].head;
  if (R.isReq[n] == 0 || R.arcs[k].cost > R.arcs[o].cost || (R.upperOk && !R.inTree[R.ID[k]]))
    return false;

  R.leaveTerminalList(t);
  R.newContractID(k);
  const int pk = R.partner[k];
  const int po = R.partner[o];
  const int co = R.arcs[o].cost;
  const int io = R.ID[o];
  R.arcs[pk] = Arc{n, m, co};
  R.arcs[po] = Arc{m, n, co};
  R.partner[pk] = po;
  R.partner[po] = pk;
  R.ID[pk] = R.ID[po] = io;
  if (R.upperOk) {
    R.treeDegree[n] = R.treeDegree[n] - 1 + (R.inTree[io] ? 1 : 0);
    R.treeDegree[t] = 0;
  }
  R.delE[s1] = R.delE[s2] = 1;
  R.degree[t] = 0;
  --R.Vanz;
  --R.Eanz;

  int y = 0;
  for (int s = R.nextLiveSlot(n, 0); s != 0 && y == 0; s = R.nextLiveSlot(n, s))
    if (s != pk && R.arcs[s].head == m) y = s;
  if (y != 0) {
    const int cy = R.arcs[y].cost;
    const bool keepRehung = co < cy || (co == cy && R.inTree[io]);
    const int gone = keepRehung ? y : pk;
    const int kept = keepRehung ? pk : y;
    if (R.upperOk && R.inTree[R.ID[gone]]) {
      const int d = R.arcs[gone].cost - R.arcs[kept].cost;
      const int goneID = R.ID[gone];
      R.inTree[R.ID[kept]] = 1;
      R.inTree[goneID] = 0;
      for (int i = 1; i <= R.upperTree[0]; ++i)
        if (R.upperTree[i] == goneID) R.upperTree[i] = R.ID[kept];
      if (d != 0) {
        R.upperValue -= d;
        log(2) << "removeVertices (1) improved upper by " << d << " --> " << R.upperValue
               << std::endl;
      }
    }
    R.deleteEdgeSlots(gone);
  }
  return true;
}

int DegreeReduction::removeVertices2() {
  ReduceGraph& R = R_;
  if (R.overflowMode) R.rebuildAdjacency();
  int count = 0;
  // A contracted terminal's entry is taken by the last one, which is looked at next.
  for (int i = 1; i <= R.R;) {
    if (contractDegreeTwoTerminal(R.terminals[i])) {
      ++count;
    } else {
      ++i;
    }
  }
  log(3) << "simple SE contracted: " << count << std::endl;
  return count;
}

// The instance's own entry points of the two tests, so that callers and the script letters
// keep naming them on the instance. They are not self-checked here: inner callers (the
// enumeration of optimal trees) run them on instances whose bounds are mid-way; the script
// interpreter checks after each letter.
void ReduceGraph::removeVertices() { DegreeReduction(*this).removeVertices(); }
void ReduceGraph::removeVertices2() { DegreeReduction(*this).removeVertices2(); }

}  // namespace tesmo
