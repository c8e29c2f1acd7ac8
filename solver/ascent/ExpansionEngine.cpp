#include "ExpansionEngine.h"

#include "ArmEngine.h"
#include "Check.h"
#include "FindSave.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

namespace {

std::int64_t capped(std::int64_t x) { return std::min<std::int64_t>(x, maxint); }

// The pair index of arms i < j: ab, ac, bc.
int pairIndex(int i, int j) { return i + j - 1; }

}  // namespace

ExpansionEngine::ExpansionEngine(ReduceGraph& R) : R_(R), nV_(R.V), search_(R.V), dist_(search_.distances()) {
  const std::size_t n = static_cast<std::size_t>(R.V) + 1;
  dependent_.assign(n + 1, 0);
  dependentMark_.assign(n, 0);
}

void ExpansionEngine::readOptions() {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  extend_ = shell.Iget("extend", 0);
  equality_ = shell.Iget("equality", 1);
  edgeAvoid_ = shell.Iget("edgeavoid", 1);
  restricted_ = shell.Iget("gRestricted", 1);
  twoPass_ = shell.Iget("gTwopass", 1);
  allowDestroyUpper_ = shell.Iget("gAllowDestroyUpper", 0);
  useAscent_ = shell.Iget("gUseAscent", 0);
  testver_ = shell.Iget("testver", 1);
  shell.echoLevel = echo;
  if (!R_.upperOk) allowDestroyUpper_ = 1;
  TESMO_CHECK(useAscent_ && !(restricted_ && testver_), "gridder.C");
  useAscent_ = std::clamp(useAscent_, 0, R_.R);
}

void ExpansionEngine::refreshNearestTerminals() { tesmo::refreshNearestTerminals(R_); }

void ExpansionEngine::refreshLinks() { refreshBottleneckStore(R_); }

ReduceGraph::SlotArrays ExpansionEngine::slotArrays() {
  return ReduceGraph::SlotArrays(rcArrays_.data(), static_cast<std::size_t>(rcCount_));
}

void ExpansionEngine::runGridder() {
  ReduceGraph& R = R_;
  R.isReq[0] = 0;
  emptyReducedCostSet(rc_);
  readOptions();
  // Edits below need contiguous ranges for the nearest-terminal repair and the edge space test.
  if (R.overflowMode) R.rebuildAdjacency();
  refreshNearestTerminals();
  refreshLinks();
  // The reduced costs follow the slots through every edit of R.
  attachReducedCosts(rc_, R, useAscent_, rcArrays_);
  rcCount_ = static_cast<int>(rcArrays_.size());
  deletedEdges_ = replaced_ = 0;
  stats_ = {};
  for (int v = 1; v <= nV_; ++v) {
    int next = testVertex(v);
    while (twoPass_ && next != 0) {
      log(4) << "stack:" << next << "\n";
      next = testVertex(next);
    }
  }
  R.rebuildAdjacency();
  R.compactEdges(nullptr);
  R.deleteUnreachable();
  log(3) << "\ndeleted: " << deletedEdges_ << ", replaced: " << replaced_ << "\n";
}

void ExpansionEngine::gridderReport() {
  for (int i = 0; i <= 12; ++i)
    log(4) << "i" << ":" << i << ", " << stats_[0][i] << "("
           << (stats_[1][i] + stats_[2][i] + stats_[3][i] - stats_[0][i]) << ") : " << stats_[1][i] << " "
           << stats_[2][i] << " " << stats_[3][i] << "\n";
  freeReducedCostSet(rc_);
  rcCount_ = 0;
}

int ExpansionEngine::pairBottleneckBound(int x, int y) {
  ReduceGraph& R = R_;
  const int bx = R.nearBase[1][x], by = R.nearBase[1][y];
  if (bx == 0 || by == 0) return maxint;
  const int s = std::max(R.nearDist[1][x], R.nearDist[1][y]);
  if (bx == by) return s;
  FindSave& store = R.findSave ? *R.findSave : R.getFindSave();
  const int e = std::max(s, store.d(R.isReq[bx], R.isReq[by], maxint));
  ++stats_[0][7];
  if (restricted_) {
    ++stats_[1][7];
    return e;
  }
  const int full = std::min(e, R.bottleneckDistance(x, y));
  ++stats_[full < e ? 2 : 1][7];
  return full;
}

int ExpansionEngine::boundedDijkstra(int start, int stop, int avoid1, int avoid2, int avoidVertex, int limit) {
  return search_.run(R_, start, stop, avoid1, avoid2, avoidVertex, limit, "gridder.C");
}

bool ExpansionEngine::provenByReducedCosts() const {
  bool outside = false;
  for (const Arm& arm : arms_) outside = outside || !R_.inTree[R_.ID[arm.slot]];
  const int flag = R_.upperOk && outside ? 1 : 0;
  for (int r = 1; r <= rcCount_; ++r) {
    const IntArray& costs = rc_.reducedCosts[r];
    const IntArray& from = rc_.distFromRoots[r];
    const IntArray& to = rc_.distToTerminals[r];
    std::int64_t best = INT64_MAX;
    for (int i = 0; i < 3; ++i) {
      std::int64_t bound = std::int64_t{from[arms_[i].vertex]} + costs[R_.partner[arms_[i].slot]];
      for (int j = 0; j < 3; ++j)
        if (j != i) bound += std::int64_t{costs[arms_[j].slot]} + to[arms_[j].vertex];
      best = std::min(best, bound);
    }
    if (best + flag > rc_.gaps[r]) return true;
  }
  return false;
}

bool ExpansionEngine::provenBySpanningSum() {
  const std::int64_t star = std::int64_t{arms_[0].cost} + arms_[1].cost + arms_[2].cost;
  const int limit = static_cast<int>(capped(star));
  std::array<std::int64_t, 3> sd{};
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j) {
      const int bound = pairBottleneckBound(arms_[i].vertex, arms_[j].vertex);
      const int search = boundedDijkstra(arms_[i].vertex, arms_[j].vertex, 0, 0, 0, std::min(limit, bound));
      ++stats_[0][6];
      ++stats_[search < bound ? 1 : 2][6];
      sd[pairIndex(i, j)] = std::min(bound, search);
    }
  // The minimum spanning tree of three points leaves out the largest distance.
  const int largest = static_cast<int>(std::max_element(sd.begin(), sd.end()) - sd.begin());
  ++stats_[0][0];
  ++stats_[1 + largest][0];
  return sd[0] + sd[1] + sd[2] - sd[largest] <= star;
}

int ExpansionEngine::tieAllowance(int x, int y) const {
  const ReduceGraph& R = R_;
  if (!equality_) return 1;
  const bool tx = R.isReq[x] != 0, ty = R.isReq[y] != 0;
  // A tie of the estimate is sound only when neither end's nearest-terminal path can run
  // through v itself, which a positive distance to the nearest terminal rules out.
  if (!tx && !ty) return R.nearDist[1][x] > 0 && R.nearDist[1][y] > 0 ? 0 : 1;
  // Between terminals the estimate may be the very link through v: no tie.
  return 1;
}

int ExpansionEngine::resolvePair(int i, int j) {
  const Arm& a = arms_[i];
  const Arm& b = arms_[j];
  const std::int64_t path = std::int64_t{a.cost} + b.cost;
  if (inStoredTree(a.slot) && inStoredTree(b.slot)) {
    if (testver_) {
      log(4) << "Missing one edge due to tree restrictions.\n";
      return -1;
    }
    treePairsDropped_ = true;
  }
  const std::int64_t estimate = std::int64_t{pairBottleneckBound(a.vertex, b.vertex)} + tieAllowance(a.vertex, b.vertex);
  const int limit = static_cast<int>(capped(std::min(path, estimate - 1)));
  const int search = limit < 0 ? maxint
                                : boundedDijkstra(a.vertex, b.vertex, edgeAvoid_ ? a.slot : 0, edgeAvoid_ ? b.slot : 0,
                                                  edgeAvoid_ ? 0 : R_.arcs[a.slot].tail, limit);
  const std::int64_t D = std::min<std::int64_t>(estimate, search);
  ++stats_[0][2];
  ++stats_[search < estimate ? 2 : 1][2];
  const int result = D <= path ? 1 : -1;
  if (result > 0) log(6) << "B(" << a.vertex << "," << b.vertex << ")=" << D << "<=" << path << "\n";
  log(5) << "pair " << a.vertex << " " << b.vertex << ": " << result << "\n";
  return result;
}

void ExpansionEngine::collectDependents(int v) {
  ReduceGraph& R = R_;
  ++dependentStamp_;
  dependent_[0] = 0;
  dependent_[++dependent_[0]] = v;
  dependentMark_[v] = dependentStamp_;
  const int* pred = R.nearPred[1];
  for (int k = 1; k <= dependent_[0]; ++k) {
    const int u = dependent_[k];
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      const int w = R.arcs[s].head;
      if (pred[w] == u && R.isReq[w] == 0 && dependentMark_[w] != dependentStamp_) {
        dependentMark_[w] = dependentStamp_;
        dependent_[++dependent_[0]] = w;
      }
    }
  }
}

void ExpansionEngine::repairDependents() {
  ReduceGraph& R = R_;
  int* d1 = R.nearDist[1];
  int* pred = R.nearPred[1];
  int* base = R.nearBase[1];
  IndexedHeap& heap = search_.heap();
  heap.clearHeap();
  for (int k = 1; k <= dependent_[0]; ++k) {
    const int x = dependent_[k];
    d1[x] = maxint;
    pred[x] = base[x] = 0;
  }
  // Seeds: the cheapest way into each dependent vertex from a vertex whose path stays valid.
  for (int k = 2; k <= dependent_[0]; ++k) {
    const int x = dependent_[k];
    for (int s = R.nextLiveSlot(x, 0); s != 0; s = R.nextLiveSlot(x, s)) {
      const int w = R.arcs[s].head;
      if (dependentMark_[w] == dependentStamp_ || base[w] == 0) continue;
      const std::int64_t nd = std::int64_t{d1[w]} + R.arcs[s].cost;
      if (nd >= dist_[x]) continue;
      if (dist_[x] == maxint) heap.heapInsert(x, static_cast<int>(capped(nd)));
      else heap.heapDecreaseKey(x, static_cast<int>(capped(nd)));
      pred[x] = w;
      base[x] = base[w];
      R.voronoiSlot[x] = R.partner[s];
    }
  }
  while (!heap.empty()) {
    const int u = heap.heapExtractMin();
    d1[u] = dist_[u];
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      const int w = R.arcs[s].head;
      if (dependentMark_[w] != dependentStamp_ || d1[w] != maxint) continue;
      const std::int64_t nd = std::int64_t{dist_[u]} + R.arcs[s].cost;
      if (nd >= dist_[w]) continue;
      if (dist_[w] == maxint) heap.heapInsert(w, static_cast<int>(capped(nd)));
      else heap.heapDecreaseKey(w, static_cast<int>(capped(nd)));
      pred[w] = u;
      base[w] = base[u];
      R.voronoiSlot[w] = s;
    }
  }
  bool isolated = false;
  for (int k = 2; k <= dependent_[0]; ++k) {
    const int x = dependent_[k];
    if (base[x] == 0 && R.hasLiveSlot(x)) {
      log(4) << "isolated component:" << x << "\n";
      isolated = true;
    }
    dist_[x] = maxint;
  }
  // Left-out vertices would keep no valid estimate: recompute everything.
  if (isolated) refreshNearestTerminals();
}

int ExpansionEngine::testVertex(int v) {
  ReduceGraph& R = R_;
  if (v < 1 || v > R.V || R.isReq[v] != 0) return 0;
  if (!allowDestroyUpper_ && R.upperOk && R.treeDegree[v] != 0) return 0;
  int d = 0;
  for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
    if (d < 3) arms_[d] = {s, R.arcs[s].head, R.arcs[s].cost};
    ++d;
  }
  if (d != 3) return 0;
  if (arms_[0].vertex == arms_[1].vertex || arms_[0].vertex == arms_[2].vertex || arms_[1].vertex == arms_[2].vertex)
    return 0;
  if (std::int64_t{arms_[0].cost} + arms_[1].cost + arms_[2].cost >= maxint) return 0;

  if (!(rcCount_ > 0 && provenByReducedCosts()) && !provenBySpanningSum()) return 0;

  treePairsDropped_ = false;
  int proven = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j) {
      pairResult_[pairIndex(i, j)] = resolvePair(i, j);
      if (pairResult_[pairIndex(i, j)] > 0) ++proven;
    }
  if (proven < 2 && !extend_) return 0;
  // New edges must find room without the instance running out of slots.
  if (proven < 3 && R.lacksEdgeSpace(v)) {
    R.rebuildAdjacency();
    if (R.lacksEdgeSpace(v)) return 0;
  }

  if (restricted_) collectDependents(v);
  log(4) << "replacing " << v << " with ";
  int added = 0;
  int treePair = -1;
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j) {
      if (pairResult_[pairIndex(i, j)] > 0) continue;
      const Arm& a = arms_[i];
      const Arm& b = arms_[j];
      const Arc edge{a.vertex, b.vertex, a.cost + b.cost};
      R.addEdge(edge, a.slot, b.slot, slotArrays());
      if (inStoredTree(a.slot) && inStoredTree(b.slot)) treePair = pairIndex(i, j);
      log(proven == 2 ? 4 : 5) << (proven == 2 ? "added:" : "  add:") << edge << "\n";
      ++added;
    }
  if (proven == 3) log(4) << " -- all 3 deleted -- ";
  // The stored tree's path through v now runs over the new edge.
  if (R.upperOk && R.treeDegree[v] == 2 && treePair >= 0) R.treeDegree[v] = 0;
  R.deleteVertex(v, slotArrays());
  if (!testver_ && proven < 2) R.rebuildAdjacency();
  log(4) << "(" << added << " edges)\n";
  deletedEdges_ += 3;
  ++replaced_;
  if (proven == 3) log(4) << "sum deleted: " << deletedEdges_ << "\n";

  if (restricted_) repairDependents();
  else refreshNearestTerminals();
  if (treePairsDropped_) {
    if (restricted_) R.computeVoronoiRegions(maxint);
    refreshLinks();
  }
  if (proven != 2) return 0;
  // The neighbour on the arm that both dropped pairs share has lost its edge to v.
  for (int k = 0; k < 3; ++k) {
    bool shared = true;
    for (int i = 0; i < 3; ++i)
      for (int j = i + 1; j < 3; ++j)
        if (pairResult_[pairIndex(i, j)] < 0 && (i == k || j == k)) shared = false;
    if (shared) return R.isReq[arms_[k].vertex] == 0 ? arms_[k].vertex : 0;
  }
  return 0;
}

void gridderBrasil(ReduceGraph& R) {
  if (shell.Iget("newGrid", 0) != 0) {
    gridderBrasil2(R);
    return;
  }
  ExpansionEngine engine(R);
  engine.runGridder();
  engine.gridderReport();
}

}  // namespace tesmo
