// Edge storage of the reduction instance: adding and deleting edges and vertices, replacing a
// vertex by edges between its neighbours, overflow chains and the rebuild that ends them, and
// tunnels.
//
// A vertex's edges live in its contiguous slot range. A new edge takes the slot after the range
// when it is free; otherwise overflow mode starts and the vertex gets a chain of slots beyond
// every range (head vertexWork[v], links slotNext[s]; slotNext[0] is the first overflow slot).
// Vanz counts the vertices with a live slot; every edit here keeps it so, except deleteEdge,
// whose callers account for the vertices they empty.

#include "ReduceGraph.h"

#include "LogStream.h"

#include <algorithm>

namespace tesmo {

namespace {

// Sum of two per-slot values that may be maxint; kept at maxint instead of overflowing.
int cappedSum(int a, int b) {
  const std::int64_t sum = std::int64_t{a} + b;
  return sum >= maxint ? maxint : static_cast<int>(sum);
}

}  // namespace

IntArray& ReduceGraph::edgeScratch(std::size_t size) {
  if (edgeScratch_.size() < size) edgeScratch_.resize(size, 0);
  return edgeScratch_;
}

bool ReduceGraph::lacksEdgeSpace(int v) const {
  std::int64_t d = 0;
  if (v != 0) {
    d = degree[v];
    if (overflowMode)
      for (int s = vertexWork[v]; s != 0; s = slotNext[s]) ++d;
  }
  return d * d + E + 100 > Emax;
}

int ReduceGraph::findEdgePlace(const Arc& record) {
  const int t = record.tail;
  const int p = firstArc[t] + degree[t];
  if (E >= Emax) {
    log(1) << "edge number too large!\n";
    failCheck("E>=Emax", __LINE__);
    return 0;
  }
  auto take = [&](int s) {
    arcs[s] = record;
    delE[s] = 0;
    return s;
  };
  if (!(overflowMode && p >= slotNext[0]) && p <= 2 * E + 1) {
    // A dead slot after the range is free unless it belongs to the next vertex's range (dead
    // slots stay in a range until compactEdges).
    const int owner = arcs[p].tail;
    const bool othersRange =
        p <= 2 * E && owner != t && owner >= 1 && owner <= V && p >= firstArc[owner] &&
        p < firstArc[owner] + degree[owner];
    if (p == 2 * E + 1 || (delE[p] && !othersRange)) {
      ++degree[t];
      if (p > 2 * E) {
        ++E;
        delE[p + 1] = 1;  // the other slot of the new pair is free
      }
      return take(p);
    }
  }
  if (E + 1 >= Emax) {
    log(1) << "edge number too large!\n";
    for (int s = overflowMode ? vertexWork[t] : 0; s != 0; s = slotNext[s]) {
      if (delE[s]) {
        log(1) << "Place found\n";
        return take(s);
      }
    }
    failCheck("\"no more edgeplace\"", __LINE__);
    return 0;
  }
  if (!overflowMode) {
    slotNext[0] = 2 * E + 1;
    overflowMode = 1;
  }
  ++E;
  const int s = 2 * E - 1;
  delE[2 * E] = 1;
  slotNext[s] = vertexWork[t];
  vertexWork[t] = s;
  return take(s);
}

int ReduceGraph::addEdge(Arc edge, int s1, int s2, SlotArrays arrays) {
  const int u = edge.tail;
  const int w = edge.head;
  const int c = edge.cost;
  maxCost = std::max(maxCost, c);

  // Deleted slots are never revived: their partner may already hold another edge.
  int f = 0;
  for (int s = nextLiveSlot(u, 0); s != 0 && f == 0; s = nextLiveSlot(u, s))
    if (arcs[s].head == w) f = s;

  const bool sourcesInTree = s1 != 0 && inTree[ID[s1]] && inTree[ID[s2]];
  if (f != 0) {
    const int fc = arcs[f].cost;
    if (c < fc || (c == fc && sourcesInTree)) {
      // The edge now stands for the path; a tree through the old edge has lost it.
      if (upperOk && inTree[ID[f]]) destroyUpper();
      arcs[f].cost = arcs[partner[f]].cost = c;
      newMergedID(s1, s2, f);
      if (s1 == 0) inTree[ID[f]] = upperOk ? 0 : 1;
    } else if (c > fc && upperOk && sourcesInTree) {
      destroyUpper();
    }
    if (s1 != 0) {
      for (IntArray* a : arrays) {
        (*a)[f] = std::min((*a)[f], cappedSum((*a)[s2], (*a)[partner[s1]]));
        (*a)[partner[f]] = std::min((*a)[partner[f]], cappedSum((*a)[s1], (*a)[partner[s2]]));
      }
    }
    return f;
  }

  const bool uLive = hasLiveSlot(u);
  const bool wLive = hasLiveSlot(w);
  f = findEdgePlace(Arc{u, w, c});
  if (f == 0) return 0;
  const int g = findEdgePlace(Arc{w, u, c});
  if (g == 0) {
    // Give f back so that the store stays consistent.
    delE[f] = 1;
    if (isOverflowSlot(f)) {
      if (vertexWork[u] == f) vertexWork[u] = slotNext[f];
    } else {
      --degree[u];
    }
    return 0;
  }
  if (!uLive) ++Vanz;
  if (!wLive) ++Vanz;
  partner[f] = g;
  partner[g] = f;
  ++Eanz;
  newMergedID(s1, s2, f);
  if (s1 == 0) inTree[ID[f]] = upperOk ? 0 : 1;
  for (IntArray* a : arrays) {
    (*a)[f] = s1 == 0 ? 0 : cappedSum((*a)[s2], (*a)[partner[s1]]);
    (*a)[g] = s1 == 0 ? 0 : cappedSum((*a)[s1], (*a)[partner[s2]]);
  }
  return f;
}

void ReduceGraph::addTerminal(int v) {
  if (isReq[v] != 0) return;  // already required: a second entry would break the list
  if (upperOk && treeDegree[v] == 0) destroyUpper();
  if (terminals.size() < static_cast<std::size_t>(R) + 2) terminals.resize(R + 2, 0);
  terminals[++R] = v;
  isReq[v] = R;
}

void ReduceGraph::freeSlot(int s, SlotArrays arrays) {
  delE[s] = 1;
  for (IntArray* a : arrays) (*a)[s] = maxint;
}

void ReduceGraph::removeFromRange(int p, SlotArrays arrays) {
  if (isOverflowSlot(p)) {  // chain slots stay in the chain, dead
    freeSlot(p, arrays);
    return;
  }
  const int b = arcs[p].tail;
  --degree[b];
  const int last = firstArc[b] + degree[b];
  if (p != last) {
    arcs[p] = arcs[last];
    ID[p] = ID[last];
    delE[p] = delE[last];
    if (!delE[last]) {
      const int q = partner[last];
      partner[p] = q;
      partner[q] = p;
    }
    for (IntArray* a : arrays) (*a)[p] = (*a)[last];
  }
  freeSlot(last, arrays);
}

void ReduceGraph::deleteEdgeSlots(int s, SlotArrays arrays) {
  --Eanz;
  const int p = partner[s];
  removeFromRange(s, arrays);
  // The move above may have carried p's partner link along; p itself never moves.
  removeFromRange(p, arrays);
}

void ReduceGraph::deleteEdge(int s, SlotArrays arrays) {
  if (upperOk && inTree[ID[s]]) destroyUpper();
  deleteEdgeSlots(s, arrays);
}

void ReduceGraph::deleteVertex(int v, SlotArrays arrays) {
  if (upperOk && treeDegree[v] != 0) destroyUpper();
  const bool live = hasLiveSlot(v);
  for (int s = nextLiveSlot(v, 0); s != 0; s = nextLiveSlot(v, s)) {
    --Eanz;
    freeSlot(s, arrays);
    const int u = arcs[s].head;
    removeFromRange(partner[s], arrays);
    if (!hasLiveSlot(u)) --Vanz;
  }
  degree[v] = 0;
  vertexWork[v] = 0;
  if (live) --Vanz;
}

void ReduceGraph::markVertexDeleted(int v) {
  if (upperOk && treeDegree[v] != 0) destroyUpper();
  if (isReq[v] != 0) {
    markDisconnected();
    return;
  }
  if (overflowMode) {  // vertexWork holds the chains: no touched marks, delete at once
    deleteVertex(v);
    return;
  }
  const bool live = hasLiveSlot(v);
  const int end = firstArc[v] + degree[v];
  for (int s = firstArc[v]; s < end; ++s) {
    if (delE[s]) continue;
    --Eanz;
    delE[s] = delE[partner[s]] = 1;
    vertexWork[arcs[s].head] = 1;
  }
  degree[v] = 0;
  vertexWork[v] = 0;
  if (live) --Vanz;
}

int ReduceGraph::replaceVertex(int v, bool bottleneck, SlotArrays arrays) {
  // Only a path through v (tree degree 2) can be carried over into a new edge.
  if (upperOk && treeDegree[v] != 0 && treeDegree[v] != 2) destroyUpper();
  int added = 0;
  auto addPairs = [&](SlotArrays with) {
    for (int s1 = nextLiveSlot(v, 0); s1 != 0; s1 = nextLiveSlot(v, s1)) {
      for (int s2 = nextLiveSlot(v, s1); s2 != 0; s2 = nextLiveSlot(v, s2)) {
        const int a = arcs[s1].head;
        const int b = arcs[s2].head;
        const std::int64_t path = std::int64_t{arcs[s1].cost} + arcs[s2].cost;
        const bool pathInTree = inTree[ID[s1]] && inTree[ID[s2]];
        if (a == b) continue;  // parallel slots: no edge from a vertex to itself
        bool skip = path > maxint;
        if (!skip && bottleneck)
          skip = std::min(bottleneckDistance(a, b), blowUpMark) < path;
        if (skip) {
          if (upperOk && pathInTree) destroyUpper();
          continue;
        }
        addEdge(Arc{a, b, static_cast<int>(path)}, s1, s2, with);
        ++added;
      }
    }
  };

  if (!arrays.empty()) {
    addPairs(arrays);
    treeDegree[v] = 0;
    deleteVertex(v, arrays);
    return added;
  }
  // Without caller arrays v's edges leave the neighbours' ranges first, so that the new edges
  // find room there; v's own slots keep what the new edges' records need.
  const bool live = hasLiveSlot(v);
  for (int s = nextLiveSlot(v, 0); s != 0; s = nextLiveSlot(v, s)) {
    --Eanz;
    const int u = arcs[s].head;
    removeFromRange(partner[s], {});
    if (!hasLiveSlot(u)) --Vanz;
  }
  addPairs({});
  for (int s = nextLiveSlot(v, 0); s != 0; s = nextLiveSlot(v, s)) delE[s] = 1;
  degree[v] = 0;
  vertexWork[v] = 0;
  treeDegree[v] = 0;
  if (live) --Vanz;
  return added;
}

int ReduceGraph::rebuildAdjacency() {
  if (!overflowMode) return 0;
  IntArray& position = edgeScratch(static_cast<std::size_t>(V) + 2);
  for (int v = 1; v <= V; ++v) {
    int live = 0;
    for (int s = nextLiveSlot(v, 0); s != 0; s = nextLiveSlot(v, s)) ++live;
    position[v] = live;  // counted before any degree changes, since the walk reads degree
  }
  for (int v = 1; v <= V; ++v) {
    firstArc[v] = v == 1 ? 1 : firstArc[v - 1] + degree[v - 1];
    degree[v] = position[v];
  }
  firstArc[V + 1] = V >= 1 ? firstArc[V] + degree[V] : 1;
  degree[V + 1] = 1;

  for (int v = 1; v <= V; ++v) position[v] = firstArc[v];
  for (int s = 1; s <= 2 * E; ++s) {
    const Arc arc = arcs[s];
    if (delE[s] || arc.tail >= arc.head) continue;
    const int a = position[arc.tail]++;
    const int b = position[arc.head]++;
    spareArcs[a] = arc;
    spareArcs[b] = Arc{arc.head, arc.tail, arc.cost};
    partner[a] = b;
    partner[b] = a;
    spareID[a] = spareID[b] = ID[s];
  }
  for (int v = 0; v <= V + 1; ++v) position[v] = 0;

  std::fill(vertexWork.begin(), vertexWork.begin() + V + 1, 0);
  std::fill(slotNext.begin(), slotNext.begin() + 2 * E + 1, 0);
  std::fill(delE.begin() + 1, delE.begin() + 2 * Eanz + 1, 0);
  std::fill(delE.begin() + 2 * Eanz + 1, delE.begin() + 2 * E + 1, 1);
  spareID[0] = ID[0];  // the message-level offset stays with the live array
  arcs.swap(spareArcs);
  ID.swap(spareID);
  E = Eanz;
  overflowMode = 0;
  return 0;
}

void ReduceGraph::applyTunnels() {
  const int pairs = slotScratch[0] / 2;
  for (int k = 1; k <= pairs; ++k) {
    const int u = slotScratch[2 * k - 1];
    const int w = slotScratch[2 * k];
    if (u < 1 || u > V || w < 1 || w > V || u == w) continue;
    int s = 0;
    for (int t = nextLiveSlot(u, 0); t != 0 && s == 0; t = nextLiveSlot(u, t))
      if (arcs[t].head == w) s = t;
    if (lacksEdgeSpace(u)) {
      log(3) << "Stopping tunnel at " << k << " of " << pairs << std::endl;
      break;
    }
    if (s == 0) continue;  // no edge u-w (then neither u nor w needs one)
    // The new edges are added before s's edge goes, so that they are merged from it.
    const int c = arcs[s].cost;
    for (int t = nextLiveSlot(u, 0); t != 0; t = nextLiveSlot(u, t)) {
      if (t == s || arcs[t].head == w) continue;
      const std::int64_t cost = std::int64_t{c} + arcs[t].cost;
      if (cost > maxint) continue;
      addEdge(Arc{arcs[t].head, w, static_cast<int>(cost)}, t, s);
    }
    deleteEdge(s);
    if (!hasLiveSlot(u)) --Vanz;
    if (!hasLiveSlot(w)) --Vanz;
  }
  rebuildAdjacency();
  slotScratch[0] = 0;
}

void ReduceGraph::leaveTerminalList(int v) {
  const int k = isReq[v];
  terminals[k] = terminals[R];
  isReq[terminals[k]] = k;
  --R;
  isReq[v] = 0;
}

}  // namespace tesmo
