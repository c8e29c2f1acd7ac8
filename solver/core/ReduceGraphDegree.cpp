// Degree reductions and connectivity of the reduction instance: vertices of degree 1 and
// non-terminals of degree 2 leave, terminals of degree 2 are contracted into a terminal
// neighbour, and vertices out of reach of the terminals are deleted. The stored tree follows
// every change; where a removal makes it cheaper, upperValue falls on the spot.
//
// These walk contiguous ranges (as left by compactEdges); overflow chains are laid out first.

#include "ReduceGraph.h"

#include "DisplayHooks.h"
#include "LogStream.h"

#include <algorithm>

namespace tesmo {

void ReduceGraph::markDisconnected() {
  upperOpt = -1;
  log(1) << "Graph is not connected anymore! \n";
  log(1) << "(required vertex isolated).\n";
  if (upperValueValid && lowerValueValid) {
    display(*this);
    failCheck("upperValueValid", __LINE__);
  } else {
    lowerValue = upperValue;
  }
}

// Removes every occurrence of id from the count-prefixed tree list, the last entry filling the
// gap; the marker behind the list moves down with its end.
void ReduceGraph::removeFromUpperTree(int id) {
  int count = upperTree[0];
  const int marker = upperTree[count + 1];
  for (int i = 1; i <= count;) {
    if (upperTree[i] == id) {
      upperTree[i] = upperTree[count--];
    } else {
      ++i;
    }
  }
  upperTree[0] = count;
  upperTree[count + 1] = marker;
}

void ReduceGraph::dropTreeLeafEdge(int s, const char* label) {
  // s runs from a non-terminal leaf of the stored tree: the tree is better without it.
  const int id = ID[s];
  --treeDegree[arcs[s].tail];
  --treeDegree[arcs[s].head];
  removeFromUpperTree(id);
  inTree[id] = 0;
  upperValue -= arcs[s].cost;
  log(2) << "removeVertices " << label << " improved upper by " << arcs[s].cost << " --> "
         << upperValue << std::endl;
}

void ReduceGraph::leaveTerminalList(int v) {
  const int k = isReq[v];
  terminals[k] = terminals[R];
  isReq[terminals[k]] = k;
  --R;
  isReq[v] = 0;
}

void ReduceGraph::pushRevisit(int v) {
  if (static_cast<std::size_t>(edgeStackTop_) + 1 < edgeStack_.size())
    edgeStack_[++edgeStackTop_] = v;
}

void ReduceGraph::removeDegreeOne(int c) {
  const int s = firstArc[c];
  const int w = arcs[s].head;
  if (isReq[c] != 0 && R >= 2) {
    // c's edge is in every tree: contracted, w takes c's place.
    if (upperOk && !inTree[ID[s]]) destroyUpper();
    const int k = isReq[c];
    if (isReq[w] == 0) {
      terminals[k] = w;
      isReq[w] = k;
      isReq[c] = 0;
    } else {
      leaveTerminalList(c);
    }
    newContractID(s);
    if (upperOk) --treeDegree[w];
  } else if (upperOk && inTree[ID[s]]) {
    dropTreeLeafEdge(s, "(3)");
  }
  if (upperOk) treeDegree[c] = 0;
  deleteEdgeSlots(s, {});
  --Vanz;
  if (!hasLiveSlot(w)) {
    --Vanz;
    if (upperOk && treeDegree[w] != 0) destroyUpper();
  }
  pushRevisit(w);
}

bool ReduceGraph::removeDegreeTwo(int c) {
  const int s1 = firstArc[c];
  const int s2 = s1 + 1;
  if (delE[s1] || delE[s2]) return false;
  const int a = arcs[s1].head;
  const int b = arcs[s2].head;
  if (a == b) return false;
  const int c1 = arcs[s1].cost;
  const int c2 = arcs[s2].cost;
  const std::int64_t path = std::int64_t{c1} + c2;
  int x = 0;
  for (int s = nextLiveSlot(a, 0); s != 0 && x == 0; s = nextLiveSlot(a, s))
    if (arcs[s].head == b) x = s;
  if (x == 0 && path > maxint) return false;  // no edge may cost more than maxint
  const int cp = static_cast<int>(std::min<std::int64_t>(path, maxint));
  const int cx = x != 0 ? arcs[x].cost : 0;
  const bool takeover = x != 0 && (cp < cx || (cp == cx && (inTree[ID[s1]] || inTree[ID[s2]])));

  if (upperOk) {
    const bool in1 = inTree[ID[s1]] != 0;
    const bool in2 = inTree[ID[s2]] != 0;
    if (takeover && inTree[ID[x]]) {
      // The path a-c-b replaces x in the tree; a tree edge at c is part of that path now.
      const std::int64_t gain = std::int64_t{cx} - cp + (in1 ? c1 : 0) + (in2 ? c2 : 0);
      removeFromUpperTree(ID[x]);
      inTree[ID[x]] = 0;
      inTree[ID[s1]] = inTree[ID[s2]] = 1;
      if (in1) --treeDegree[a];
      if (in2) --treeDegree[b];
      upperValue -= static_cast<int>(gain);
      if (gain != 0)
        log(2) << "removeVertices (2) improved upper by " << gain << " --> " << upperValue
               << std::endl;
    } else if (in1 != in2) {
      dropTreeLeafEdge(in1 ? s1 : s2, "(3)");
    }
  }

  if (x != 0) {
    if (takeover) {
      arcs[x].cost = arcs[partner[x]].cost = cp;
      newMergedID(s1, s2, x);
      deleteEdgeSlots(s2, {});
      deleteEdgeSlots(s1, {});
    } else {
      deleteEdge(s2);
      deleteEdge(s1);
    }
    pushRevisit(a);
    pushRevisit(b);
  } else {
    maxCost = std::max(maxCost, cp);
    const int p1 = partner[s1];
    const int p2 = partner[s2];
    arcs[p1] = Arc{a, b, cp};
    arcs[p2] = Arc{b, a, cp};
    partner[p1] = p2;
    partner[p2] = p1;
    newMergedID(s1, s2, p1);
    degree[c] = 0;
    --Eanz;
    delE[s1] = delE[s2] = 1;
  }
  if (upperOk) treeDegree[c] = 0;
  --Vanz;
  return true;
}

void ReduceGraph::removeVertices() {
  if (overflowMode) rebuildAdjacency();
  // Every removal queues at most two vertices for an immediate revisit, the newest first.
  const std::size_t room = 2 * static_cast<std::size_t>(V) + 3;
  if (edgeStack_.size() < room) edgeStack_.resize(room, 0);
  edgeStackTop_ = 0;
  int count = 0;
  int next = 1;
  while (true) {
    int c = 0;
    if (edgeStackTop_ > 0) {
      c = edgeStack_[edgeStackTop_--];
    } else if (next <= V) {
      c = next++;
    } else {
      break;
    }
    if (degree[c] == 1 && !delE[firstArc[c]]) {
      removeDegreeOne(c);
      ++count;
    } else if (degree[c] == 2 && isReq[c] == 0 && removeDegreeTwo(c)) {
      ++count;
    }
  }
  log(3) << "removed vertices: " << count << "\n";
}

bool ReduceGraph::contractDegreeTwoTerminal(int t) {
  if (degree[t] != 2) return false;
  const int s1 = firstArc[t];
  const int s2 = s1 + 1;
  if (delE[s1] || delE[s2]) return false;
  const int a = arcs[s1].head;
  const int b = arcs[s2].head;
  const int c1 = arcs[s1].cost;
  const int c2 = arcs[s2].cost;
  if (a == b) return false;
  const bool takeSecond =
      isReq[b] != 0 && c2 <= c1 && !(isReq[a] != 0 && c1 == c2 && inTree[ID[s1]]);
  const int k = takeSecond ? s2 : s1;  // contracted, towards n
  const int o = takeSecond ? s1 : s2;  // re-hung at n
  const int n = arcs[k].head;
  const int m = arcs[o].head;
  if (isReq[n] == 0 || arcs[k].cost > arcs[o].cost || (upperOk && !inTree[ID[k]])) return false;

  leaveTerminalList(t);
  newContractID(k);
  const int pk = partner[k];
  const int po = partner[o];
  const int co = arcs[o].cost;
  const int io = ID[o];
  arcs[pk] = Arc{n, m, co};
  arcs[po] = Arc{m, n, co};
  partner[pk] = po;
  partner[po] = pk;
  ID[pk] = ID[po] = io;
  if (upperOk) {
    treeDegree[n] = treeDegree[n] - 1 + (inTree[io] ? 1 : 0);
    treeDegree[t] = 0;
  }
  delE[s1] = delE[s2] = 1;
  degree[t] = 0;
  --Vanz;
  --Eanz;

  int y = 0;
  for (int s = nextLiveSlot(n, 0); s != 0 && y == 0; s = nextLiveSlot(n, s))
    if (s != pk && arcs[s].head == m) y = s;
  if (y != 0) {
    const int cy = arcs[y].cost;
    const bool keepRehung = co < cy || (co == cy && inTree[io]);
    const int gone = keepRehung ? y : pk;
    const int kept = keepRehung ? pk : y;
    if (upperOk && inTree[ID[gone]]) {
      const int d = arcs[gone].cost - arcs[kept].cost;
      const int goneID = ID[gone];
      inTree[ID[kept]] = 1;
      inTree[goneID] = 0;
      for (int i = 1; i <= upperTree[0]; ++i)
        if (upperTree[i] == goneID) upperTree[i] = ID[kept];
      if (d != 0) {
        upperValue -= d;
        log(2) << "removeVertices (1) improved upper by " << d << " --> " << upperValue
               << std::endl;
      }
    }
    deleteEdgeSlots(gone, {});
  }
  return true;
}

void ReduceGraph::removeVertices2() {
  if (overflowMode) rebuildAdjacency();
  int count = 0;
  // A contracted terminal's entry is taken by the last one, which is looked at next.
  for (int i = 1; i <= R;) {
    if (contractDegreeTwoTerminal(terminals[i])) {
      ++count;
    } else {
      ++i;
    }
  }
  log(3) << "simple SE contracted: " << count << std::endl;
}

void ReduceGraph::deleteUnreachable() {
  if (overflowMode) rebuildAdjacency();
  if (R == 0) return;  // nothing to reach from
  IntArray& visited = edgeScratch(static_cast<std::size_t>(V) + 2);
  const std::size_t room = static_cast<std::size_t>(V) + 2;
  if (edgeStack_.size() < room) edgeStack_.resize(room, 0);
  std::fill(vertexWork.begin() + 1, vertexWork.begin() + V + 1, 0);

  int top = 0;
  visited[terminals[1]] = 1;
  edgeStack_[++top] = terminals[1];
  while (top > 0) {
    const int v = edgeStack_[top--];
    const int end = firstArc[v] + degree[v];
    for (int s = firstArc[v]; s < end; ++s) {
      const int w = arcs[s].head;
      if (delE[s] || visited[w]) continue;
      visited[w] = 1;
      edgeStack_[++top] = w;
    }
  }

  int live = 0;
  int removedSlots = 0;
  int removedVertices = 0;
  for (int v = 1; v <= V; ++v) {
    const bool edges = hasLiveSlot(v);
    if (visited[v]) {
      if (edges) ++live;
      visited[v] = 0;
      continue;
    }
    if (isReq[v] != 0 && upperOpt != -1) markDisconnected();
    if (!edges) continue;
    if (upperOk && treeDegree[v] != 0) destroyUpper();
    const int end = firstArc[v] + degree[v];
    for (int s = firstArc[v]; s < end; ++s) {
      if (delE[s]) continue;
      ++removedSlots;
      delE[s] = 1;
    }
    degree[v] = 0;
    ++removedVertices;
  }
  log(4) << "Components: DelEdges:" << removedSlots / 2 << ", DelVertices:" << Vanz - live << "("
         << removedVertices << ")" << std::endl;
  Vanz = live;
  Eanz -= removedSlots / 2;
}

}  // namespace tesmo
