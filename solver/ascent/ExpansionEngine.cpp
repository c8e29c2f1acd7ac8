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

// Extensions of one tested vertex's arms before the phase gives up.
constexpr int kMaxExtensions = 16;

ArmSearch::ArmSearch(int vertices) {
  const std::size_t n = static_cast<std::size_t>(vertices) + 1;
  dist_.assign(n, maxint);
  reached_.assign(n + 1, 0);
  heap_.emplace(vertices, dist_);
}

void ArmSearch::start(int vertex, int avoid) {
  reset();
  avoid_ = avoid;
  reached_[++reached_[0]] = vertex;
  heap_->heapInsert(vertex, 0);
}

void ArmSearch::reset() {
  heap_->clearHeap();
  for (int k = 1; k <= reached_[0]; ++k) dist_[reached_[k]] = maxint;
  reached_[0] = 0;
}

int ArmSearch::continueSearch(const ReduceGraph& R, int target, int limit) {
  if (target < 1 || target > R.V) {
    exitWithWarning("stop<1 || stop>G->V", __LINE__, "gridder.C");
    return maxint;  // the run goes on only when the handler lets it: no distance is known
  }
  IndexedHeap& heap = *heap_;
  while (!heap.empty()) {
    const int u = heap.heapItemAt(1);
    if (u == target) break;
    const int du = dist_[u];
    if (du >= limit || du >= dist_[target]) break;
    heap.heapExtractMin();
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      const int w = R.arcs[s].head;
      if (w == avoid_) continue;
      const std::int64_t nd = std::int64_t{du} + R.arcs[s].cost;
      if (nd >= dist_[w] || nd >= maxint) continue;
      if (dist_[w] == maxint) {
        reached_[++reached_[0]] = w;
        heap.heapInsert(w, static_cast<int>(nd));
      } else {
        heap.heapDecreaseKey(w, static_cast<int>(nd));
      }
    }
  }
  return dist_[target];
}

ExpansionEngine::ExpansionEngine(ReduceGraph& R) : R_(R), nV_(R.V), search_(R.V), dist_(search_.distances()) {
  const std::size_t n = static_cast<std::size_t>(R.V) + 1;
  dependent_.assign(n + 1, 0);
  dependentMark_.assign(n, 0);
  mark_.assign(n, 0);
}

void ExpansionEngine::readOptions() {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  extend_ = shell.Iget("extend", 0);
  equality_ = shell.Iget("equality", 1);
  edgeAvoid_ = shell.Iget("edgeavoid", 1);
  // The pair resolution compares v's neighbours only: an arm that the extension phase followed
  // is known to go on that way only while v has three tree edges, not in the trees that the
  // replacement edges stand for. So the option has nothing to choose.
  (void)shell.Iget("allowextend", 1);
  permute_ = shell.Iget("gPermute", 1);
  stopExpand_ = std::max(1, shell.Iget("gStopExpand", 2));
  restricted_ = shell.Iget("gRestricted", 1);
  twoPass_ = shell.Iget("gTwopass", 1);
  allowDestroyUpper_ = shell.Iget("gAllowDestroyUpper", 0);
  useAscent_ = shell.Iget("gUseAscent", 0);
  testver_ = shell.Iget("testver", 1);
  shell.echoLevel = echo;
  if (!R_.upperOk) allowDestroyUpper_ = 1;
  if (useAscent_ && !(restricted_ && testver_))
    exitWithWarning("useAscent && !(restrictedSpecial && testver)", __LINE__, "gridder.C");
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
  deletedEdges_ = replaced_ = extensionProofs_ = 0;
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
  for (auto& list : armSearches_) list.clear();
  for (auto& list : armSearchStarted_) list.clear();
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

ArmSearch& ExpansionEngine::armSearch(int i, int p) {
  auto& list = armSearches_[i];
  auto& started = armSearchStarted_[i];
  if (static_cast<int>(list.size()) <= p) {
    list.resize(static_cast<std::size_t>(p) + 1);
    started.resize(static_cast<std::size_t>(p) + 1, 0);
  }
  if (!list[p]) list[p] = std::make_unique<ArmSearch>(R_.V);
  if (started[p] != markStamp_) {
    // First use for this tested vertex.
    started[p] = markStamp_;
    list[p]->start(paths_[i].vertex[p], testVertex_);
    armSearchTop_[i] = std::max(armSearchTop_[i], p);
  }
  return *list[p];
}

void ExpansionEngine::resetArmSearches() {
  for (int i = 0; i < 3; ++i) {
    auto& list = armSearches_[i];
    for (int q = 1; q <= armSearchTop_[i] && q < static_cast<int>(list.size()); ++q)
      if (list[q]) list[q]->reset();
    armSearchTop_[i] = 0;
  }
}

std::int64_t ExpansionEngine::specialDistance(int i, int p, int y, std::int64_t limit, int statsIndex) {
  const int x = paths_[i].vertex[p];
  const int bound = pairBottleneckBound(x, y);
  const int stop = static_cast<int>(std::min<std::int64_t>({limit, std::int64_t{bound}, maxint}));
  const int search = x == y ? 0 : armSearch(i, p).continueSearch(R_, y, stop);
  ++stats_[0][statsIndex];
  ++stats_[search < bound ? 1 : 2][statsIndex];
  return std::min(bound, search);
}

void ExpansionEngine::setUpArms(int v) {
  ReduceGraph& R = R_;
  testVertex_ = v;
  ++markStamp_;
  mark_[v] = markStamp_;
  resetArmSearches();
  for (int i = 0; i < 3; ++i) {
    ArmPath& path = paths_[i];
    path.vertex.assign({v, arms_[i].vertex});
    path.cost.assign({0, arms_[i].cost});
    path.rcOut.assign(static_cast<std::size_t>(rcCount_), 0);
    path.rcIn.assign(static_cast<std::size_t>(rcCount_), 0);
    for (int r = 0; r < rcCount_; ++r) {
      path.rcOut[r] = rc_.reducedCosts[r + 1][arms_[i].slot];
      path.rcIn[r] = rc_.reducedCosts[r + 1][R.partner[arms_[i].slot]];
    }
    mark_[arms_[i].vertex] = markStamp_;
  }
}

void ExpansionEngine::orderArms() {
  order_ = {0, 1, 2};
  if (!permute_) return;
  std::array<int, 3> key{};
  for (int i = 0; i < 3; ++i) key[i] = (arms_[i].cost % 5 == 0 ? 5 : 0) + (arms_[i].cost % 13 == 0 ? 13 : 0);
  if (key[order_[0]] == 0) std::swap(order_[0], order_[2]);
  if (key[order_[0]] == key[order_[1]]) std::swap(order_[0], order_[2]);
  if (key[order_[0]] == key[order_[2]]) std::swap(order_[0], order_[1]);
  log(5) << "order: " << arms_[order_[0]].vertex << " " << arms_[order_[1]].vertex << " " << arms_[order_[2]].vertex
         << "\n";
}

bool ExpansionEngine::excludedByReducedCosts(int a, int extraSlot) const {
  const ReduceGraph& R = R_;
  // A tie suffices when an edge of the star is outside the stored tree (the edges that extended
  // the arms are not looked at: the tie then counts against the exclusion).
  bool outside = false;
  for (int i = 0; i < 3; ++i) outside = outside || !R.inTree[R.ID[arms_[i].slot]];
  if (extraSlot != 0) outside = outside || !R.inTree[R.ID[extraSlot]];
  const int flag = R.upperOk && outside ? 1 : 0;
  for (int r = 0; r < rcCount_; ++r) {
    const IntArray& costs = rc_.reducedCosts[r + 1];
    const IntArray& from = rc_.distFromRoots[r + 1];
    const IntArray& to = rc_.distToTerminals[r + 1];
    std::array<std::int64_t, 3> out{}, in{};
    std::array<int, 3> end{};
    for (int i = 0; i < 3; ++i) {
      out[i] = paths_[i].rcOut[r];
      in[i] = paths_[i].rcIn[r];
      end[i] = paths_[i].vertex.back();
    }
    if (extraSlot != 0) {
      out[a] += costs[extraSlot];
      in[a] += costs[R.partner[extraSlot]];
      end[a] = R.arcs[extraSlot].head;
    }
    // The root's path enters the star through one arm end; every other end leads on to a terminal.
    std::int64_t best = INT64_MAX;
    for (int i = 0; i < 3; ++i) {
      std::int64_t bound = std::int64_t{from[end[i]]} + in[i];
      for (int j = 0; j < 3; ++j)
        if (j != i) bound += out[j] + to[end[j]];
      best = std::min(best, bound);
    }
    if (best + flag > rc_.gaps[r + 1]) return true;
  }
  return false;
}

bool ExpansionEngine::excludedBySpanningSum(int a, int x, std::int64_t armCost) {
  const int b = a == 0 ? 1 : 0;
  const int c = a == 2 ? 1 : 2;
  const int nb = std::min(stopExpand_, paths_[b].length());
  const int nc = std::min(stopExpand_, paths_[c].length());
  for (int i = 1; i <= nb; ++i)
    for (int j = 1; j <= nc; ++j) {
      const std::int64_t total = armCost + paths_[b].cost[i] + paths_[c].cost[j];
      const std::int64_t limit = std::min<std::int64_t>(total + 1, maxint);
      std::array<std::int64_t, 3> sd{specialDistance(b, i, x, limit, 6), specialDistance(c, j, x, limit, 6),
                                     specialDistance(b, i, paths_[c].vertex[j], limit, 6)};
      const int largest = static_cast<int>(std::max_element(sd.begin(), sd.end()) - sd.begin());
      ++stats_[0][1];
      ++stats_[1 + largest][1];
      const std::int64_t spanning = sd[0] + sd[1] + sd[2] - sd[largest];
      if (spanning <= total) {
        log(5) << "noext: " << "t1" << i << "j1" << j << "t2" << x << "j2" << a << " " << spanning << "<=" << total
               << "\n";
        return true;
      }
    }
  return false;
}

bool ExpansionEngine::pairsRefuted(const std::vector<int>& candidates) {
  const ReduceGraph& R = R_;
  // Each pair costs a search; an end with many ways on is left alone.
  if (candidates.size() > 6) return false;
  for (std::size_t i = 0; i < candidates.size(); ++i)
    for (std::size_t j = i + 1; j < candidates.size(); ++j) {
      const int s = candidates[i], t = candidates[j];
      const int y1 = R.arcs[s].head, y2 = R.arcs[t].head;
      const int dearer = std::max(R.arcs[s].cost, R.arcs[t].cost);
      if (pairBottleneckBound(y1, y2) < dearer) continue;
      if (boundedDijkstra(y1, y2, 0, 0, testVertex_, dearer - 1) < dearer) continue;
      return false;
    }
  return true;
}

void ExpansionEngine::extendArm(int a, int slot) {
  const ReduceGraph& R = R_;
  ArmPath& path = paths_[a];
  const int x = R.arcs[slot].head;
  path.vertex.push_back(x);
  path.cost.push_back(path.cost.back() + R.arcs[slot].cost);
  for (int r = 0; r < rcCount_; ++r) {
    path.rcOut[r] += rc_.reducedCosts[r + 1][slot];
    path.rcIn[r] += rc_.reducedCosts[r + 1][R.partner[slot]];
  }
  mark_[x] = markStamp_;
}

bool ExpansionEngine::provenByExtension() {
  const ReduceGraph& R = R_;
  orderArms();
  int extensions = 0;
  bool proven = false;
  bool progress = true;
  while (progress && !proven && extensions < kMaxExtensions) {
    progress = false;
    for (int k = 0; k < 3 && !progress && !proven; ++k) {
      const int a = order_[k];
      ArmPath& path = paths_[a];
      const int w = path.vertex.back();
      if (R.isReq[w] != 0) continue;
      // Every way on from w; a vertex already on an arm would close a cycle.
      candidates_.clear();
      for (int s = R.nextLiveSlot(w, 0); s != 0; s = R.nextLiveSlot(w, s))
        if (mark_[R.arcs[s].head] != markStamp_) candidates_.push_back(s);
      remaining_.clear();
      for (const int s : candidates_) {
        const int x = R.arcs[s].head;
        const std::int64_t armCost = path.cost.back() + R.arcs[s].cost;
        if ((rcCount_ > 0 && excludedByReducedCosts(a, s)) || excludedBySpanningSum(a, x, armCost)) continue;
        remaining_.push_back(s);
        if (remaining_.size() > 1) break;
      }
      if (remaining_.size() > 1) continue;
      // The arm goes on by one edge only if w cannot branch in the tree.
      if (candidates_.size() > 1 && !pairsRefuted(candidates_)) continue;
      if (remaining_.empty()) {
        proven = true;
        break;
      }
      const int s = remaining_[0];
      log(5) << "--ext: " << R.arcs[s] << " " << path.cost.back() + R.arcs[s].cost << "\n";
      extendArm(a, s);
      ++extensions;
      progress = true;
    }
  }
  if (extensions > 0) {
    log(4) << paths_[order_[0]].length() << " " << paths_[order_[1]].length();
    for (int i = 0; i < 3; ++i)
      for (int p = 1; p <= paths_[i].length(); ++p) log(4) << " " << paths_[i].vertex[p];
    log(4) << "\n";
  }
  return proven;
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
  const int limit = static_cast<int>(capped(star + 1));
  // Arm 0's search serves both of its pairs, arm 2's the pair of arms 1 and 2.
  std::array<std::int64_t, 3> sd{specialDistance(0, 1, arms_[1].vertex, limit, 6),
                                 specialDistance(0, 1, arms_[2].vertex, limit, 6),
                                 specialDistance(2, 1, arms_[1].vertex, limit, 6)};
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

  setUpArms(v);
  if (!(rcCount_ > 0 && provenByReducedCosts()) && !provenBySpanningSum()) {
    if (!provenByExtension()) return 0;
    ++extensionProofs_;
  }

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
