// The two variants of letter d that grow all components at once on an event clock (the
// simultaneous component ascent and the growth that picks its root last), and the entry d.

#include "DualAscent.h"

#include "Check.h"
#include "EdgeDeletion.h"
#include "Heap.h"
#include "LogStream.h"
#include "MemberLists.h"
#include "RunTimer.h"
#include "Shell.h"
#include "UnionFind.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace tesmo {

namespace {

constexpr int never = maxint - 1;

int clampTime(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, never)); }

double twoDecimals(std::int64_t value, std::int64_t scale) {
  return std::floor(static_cast<double>(value) * 100.0 / static_cast<double>(scale) + 0.5) / 100.0;
}

// All active components raise their cut duals at the same rate; every arc knows the time at which
// its remaining (scaled) reduced cost runs out, and a heap yields the next arc to saturate. Its
// tail then joins every active component that holds its head. A component stops on reaching the
// root (or, unless stopOnlyWithRoot, the vertex of another active terminal). Costs and times are
// scaled by factor so that the simultaneous raises stay integral.
//
// With grouping, the terminals whose components meet share one raise: a group of A active
// terminals raises delta in all per unit of time, each of its terminals delta / A, so an arc
// entering `rate` of its components loses rate / A per unit. Every vertex has the owner whose
// growth reached it first; a saturated arc between vertices of two groups merges the groups, so
// that all components an arc enters lie in one group.
//
// Saturation times are kept lazily: a change of rate or group only lists the arc; the listed
// arcs get their times in one pass before the clock advances, and arcs saturating at the same
// time are taken by a light check without that pass. A heap key that is too early is corrected
// when the arc reaches the top.
class ComponentAscent {
public:
  ComponentAscent(DualAscentState& state) : s_(state), R_(state.R) {
    const ReduceGraph& R = R_;
    // factor x m stays within the int range of the heap keys; m = 0 (no cost at all) needs no
    // scale.
    const std::int64_t m = std::min<std::int64_t>(R.upperValue, std::int64_t{R.V} * R.maxCost);
    const int defaultFactor = m > 0 ? static_cast<int>(std::max<std::int64_t>(1, 1600000000 / m)) : 1;
    const int echo = shell.echoLevel;
    shell.echoLevel = 3;
    factor_ = std::max(1, shell.Iget("factor", defaultFactor));
    grouping_ = shell.Iget("grouping", 0) != 0;
    stopOnlyWithRoot_ = shell.Iget("stopOnlyWithRoot", 0) != 0;
    shell.echoLevel = echo == 3 ? 0 : echo;
    // Progress lines rather than the process-time line, which tells a watcher the run is over.
    runTimer.printProgress(3);

    const int n = s_.arcCount;
    const std::size_t arcs = static_cast<std::size_t>(n) + 1;
    rate_.assign(arcs, 0);
    remaining_.assign(arcs, 0);
    lastUpdate_.assign(arcs, 0);
    expect_.assign(arcs, -1);
    heapKey_.assign(arcs, never);
    pendingState_.assign(arcs, 0);
    arcGroup_.assign(arcs, 1);
    oldRate_.assign(arcs, 0);
    pendingArcs_.assign(arcs, 0);
    heap_.emplace(n, heapKey_);
    for (int a = 1; a <= n; ++a) remaining_[a] = R.delE[a] ? 0 : std::int64_t{factor_} * R.arcs[a].cost;
    runTimer.printProgress(3);
    const std::size_t terminals = static_cast<std::size_t>(s_.r) + 1;
    active_.assign(terminals, 0);
    dual_.assign(terminals, 0);
    members_.assign(terminals, {});
    groupActive_.assign(terminals, 1);
    oldGroupActive_.assign(arcs, 1);
    groups_.reset(s_.r);
    if (grouping_) {
      groupActive_[s_.root] = 0;
    } else {
      for (int k = 1; k <= s_.r; ++k) groups_.root[k] = 1;
    }
    owner_.assign(static_cast<std::size_t>(R.V) + 1, 0);
    for (int k = 1; k <= s_.r; ++k) owner_[R.terminals[k]] = k;
    reach_.newMatrix(s_.r, R.V);
    for (int k = 0; k <= s_.r; ++k)
      for (int v = 0; v <= R.V; ++v) reach_[k][v] = -1;
    stack_.reserve(static_cast<std::size_t>(R.V) + 1);
    runTimer.printProgress(3);
  }

  void run() {
    ReduceGraph& R = R_;
    reach_[s_.root][s_.rootVertex] = 0;
    reach_[s_.root][0] = 0;
    for (int k = 1; k <= s_.r; ++k) {
      active_[k] = k == s_.root ? 0 : 1;
      if (active_[k]) reach_[k][0] = 0;
    }
    for (int k = 1; k <= s_.r; ++k)
      if (active_[k]) growComponent(k, R.terminals[k]);
    // Counted rather than set to r - 1: a component killed while growing is not active.
    activeCount_ = 0;
    if (grouping_) {
      for (int k = 1; k <= s_.r; ++k)
        if (groups_.root[k] == k && groupActive_[k] > 0) ++activeCount_;
    } else {
      for (int k = 1; k <= s_.r; ++k) activeCount_ += active_[k];
    }

    int iter = 0;
    std::int64_t delta = 0;
    while (activeCount_ > 0) {
      ++iter;
      if (iter == 1 || delta != 0) {
        updatePendingArcs();
      } else if (!lightCheck()) {
        updatePendingArcs();
      }
      // Keys that are earlier than the arc's time are corrected at the top; an arc still listed
      // gets its time first, so that none is taken at a key later than its time.
      while (!heap_->empty()) {
        const int m = heap_->heapItemAt(1);
        if (pendingState_[m] < 0) saturationTime(m, false);
        if (heapKey_[m] == expect_[m]) break;
        if (expect_[m] < never)
          heap_->heapChangeKey(m, clampTime(expect_[m]));
        else
          removeFromHeap(m);
        if (pendingState_[m] > 0) pendingState_[m] = 0;
      }
      const int a = heap_->heapExtractMin();
      if (a < 0) break;  // components left without an entering arc
      heapKey_[a] = never;
      delta = std::max<std::int64_t>(0, expect_[a] - clock_);
      lower_ += delta * activeCount_;
      for (int k = 1; k <= s_.r; ++k)
        if (active_[k]) dual_[k] += delta / std::max(1, groupActive_[groupRoot(k)]);
      clock_ += delta;
      for (int k = 1; k <= s_.r; ++k)
        if (active_[k]) reach_[k][0] = clampTime(dual_[k]);
      expect_[a] = -2;
      pendingState_[a] = 0;
      if (s_.upperStamp[a] == 0) s_.upperStamp[a] = clampTime(clock_);
      const int tail = R.arcs[a].tail, head = R.arcs[a].head;
      log(4) << "iter" << ":" << iter << ", " << "activeCount" << ":" << activeCount_ << ", " << "b: "
             << twoDecimals(clock_, factor_) << ", lo: " << twoDecimals(lower_, factor_) + R.contractCost << ", "
             << "*ed" << ":" << "(" << tail << "-" << head << ")" << ", " << rate_[a] << "(";
      if (grouping_ && owner_[tail] == 0) owner_[tail] = owner_[head];
      for (int k = 1; k <= s_.r; ++k) {
        if (!active_[k] || reach_[k][head] < 0 || reach_[k][tail] >= 0) continue;
        log(5) << k << ")";
        growComponent(k, tail);
      }
      log(4) << "\n";
      if (grouping_ && owner_[tail] != 0 && owner_[head] != 0) {
        const int a1 = groups_.root[owner_[head]], b1 = groups_.root[owner_[tail]];
        if (a1 != b1) mergeGroups(a1, b1);
      }
    }

    const double L = twoDecimals(lower_, factor_) + R.contractCost;
    log(3) << "lower: " << L << "\n";
    R.setLower(static_cast<int>(std::min<double>(std::ceil(L - 0.001), maxint)), 0);
    buildDualTree(s_);
    if (shell.Iget("doReduction", 0) != 0) reducedCostPass();
    log(3) << "count" << ":" << 0 << ", " << "\n";
  }

  // c_k(v): the part of k's dual that v's cut carries. The reduced costs built from it are not
  // carried over to the tests, so every evaluation reports the failed check first.
  std::int64_t contribution(int k, int v) {
    exitWithWarning("1", 212, "dual", R_.warningDump());
    return reach_[k][v] >= 0 ? dual_[k] - reach_[k][v] : 0;
  }

  // Sets a's saturation time directly; kept for checks by hand, it reports itself as failed.
  void setExpect(int a, int time) {
    exitWithWarning("setExpect", 222, "dual", R_.warningDump());
    if (expect_[a] == -2) {
      log(4) << ".";
      return;
    }
    if (expect_[a] > 0) {
      if (expect_[a] != time) {
        expect_[a] = time;
        if (heapKey_[a] < never)
          heap_->heapChangeKey(a, clampTime(time));
        else
          heap_->heapInsert(a, clampTime(time));
      }
    } else {
      expect_[a] = time;
      if (heapKey_[a] < never)
        heap_->heapChangeKey(a, clampTime(time));
      else
        heap_->heapInsert(a, clampTime(time));
    }
  }

private:
  int groupRoot(int k) const { return grouping_ ? groups_.root[k] : 1; }
  // The group of the vertex's owner; a vertex without an owner belongs to no group (0).
  int vertexGroup(int v) const {
    if (!grouping_) return 1;
    return owner_[v] != 0 ? groups_.root[owner_[v]] : 0;
  }

  void removeFromHeap(int a) {
    if (heapKey_[a] >= never) return;
    heap_->heapChangeKey(a, -1);
    heap_->heapExtractMin();
    heapKey_[a] = never;
  }

  void markArcPending(int a, int g) {
    if (pendingState_[a] < 0) return;
    pendingState_[a] = -1;
    pendingArcs_[++pendingArcs_[0]] = a;
    arcGroup_[a] = g;
    oldRate_[a] = rate_[a];
  }

  // The remaining cost of a brought to the clock at its old rate (rounded up, so that an arc
  // never saturates after its cost has run out), and its saturation time from its new rate
  // (rounded down for the same reason).
  //
  // The shrink since the last update is the one the arc's time was computed with (its rate over
  // its group's active count then): an arc's group may have been merged into another since, and
  // that group's count of the last update is not the one that applied to the arc.
  std::int64_t saturationTime(int a, bool writeBack) {
    const int g = arcGroup_[a] > 0 ? arcGroup_[a] : 1;
    const int G = grouping_ ? groups_.root[g] : 1;
    std::int64_t rem = remaining_[a];
    if (oldRate_[a] != 0 && lastUpdate_[a] != clock_) {
      const std::int64_t divisor = std::max(1, oldGroupActive_[a]);
      rem -= ((clock_ - lastUpdate_[a]) * oldRate_[a] - 1) / divisor + 1;
      if (rem < 0) rem = 0;
    }
    if (writeBack) {
      remaining_[a] = rem;
      lastUpdate_[a] = clock_;
      oldRate_[a] = rate_[a];
      oldGroupActive_[a] = groupActive_[G];
    }
    std::int64_t time = never;
    if (rate_[a] > 0) {
      const std::int64_t shared = std::int64_t{std::max(0, groupActive_[G])} * rem;
      time = clock_ + (rate_[a] == 1 ? shared : shared / rate_[a]);
    }
    expect_[a] = std::min<std::int64_t>(time, never);
    return expect_[a];
  }

  void flushGroupUpdate() {
    if (pendingGroup_ == 0) return;
    // The pending group may have been joined to another since its count changed.
    const int G = groups_.root[pendingGroup_];
    log(4) << ">UG<";
    ReduceGraph& R = R_;
    for (int v = 1; v <= R.V; ++v) {
      if (owner_[v] == 0 || groups_.root[owner_[v]] != G) continue;
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s]) continue;
        const int p = R.partner[s];
        if (rate_[p] != 0) markArcPending(p, G);
      }
    }
    pendingGroup_ = 0;
  }

  void updatePendingArcs() {
    flushGroupUpdate();
    log(4) << ">U<" << "\n";
    for (int i = 1; i <= pendingArcs_[0]; ++i) {
      const int a = pendingArcs_[i];
      if (expect_[a] == -2) {
        pendingState_[a] = 0;
        continue;
      }
      const std::int64_t time = saturationTime(a, true);
      if (time < heapKey_[a]) {
        pendingState_[a] = 0;
        if (heapKey_[a] >= never) {
          if (time < never) heap_->heapInsert(a, clampTime(time));
        } else {
          heap_->heapChangeKey(a, clampTime(time));
        }
      } else {
        pendingState_[a] = 1;
      }
    }
    pendingArcs_[0] = 0;
  }

  // Arcs due at the clock are checked one by one at the top of the heap; true when the top is
  // due at the clock afterwards (no full update needed).
  bool lightCheck() {
    flushGroupUpdate();
    while (!heap_->empty()) {
      const int m = heap_->heapItemAt(1);
      if (heapKey_[m] == clock_ && pendingState_[m] != 0) {
        log(4) << "pre: " << m << "\n";
        if (pendingState_[m] < 0) saturationTime(m, false);
        if (expect_[m] != clock_) {
          if (expect_[m] >= never)
            removeFromHeap(m);
          else
            heap_->heapChangeKey(m, clampTime(expect_[m]));
        }
      }
      if (heap_->empty() || heap_->heapItemAt(1) == m) break;
    }
    return !heap_->empty() && heapKey_[heap_->heapItemAt(1)] == clock_;
  }

  void mergeGroups(int a, int b) {
    ReduceGraph& R = R_;
    if (groupActive_[a] == 0 || groupActive_[b] == 0) {
      log(4) << "Not Really Merged ! " << a << "," << b << "\n";
    } else {
      for (int v = 1; v <= R.V; ++v) {
        if (owner_[v] == 0) continue;
        const int g = groups_.root[owner_[v]];
        if (g != a && g != b) continue;
        for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
          if (R.delE[s]) continue;
          const int p = R.partner[s];
          if (rate_[p] != 0) markArcPending(p, g);
        }
      }
      log(4) << "Merged ! " << a << "," << b << "\n";
      --activeCount_;
    }
    const int sum = groupActive_[a] + groupActive_[b];
    const int survivor = mergeMemberLists(groups_, a, b);
    groupActive_[survivor] = sum;
  }

  void growComponent(int k, int start) {
    ReduceGraph& R = R_;
    const int g = groupRoot(k);
    stack_.clear();
    stack_.push_back(start);
    while (!stack_.empty()) {
      const int v = stack_.back();
      stack_.pop_back();
      const int j = R.isReq[v];
      if ((k != s_.root && reach_[s_.root][v] >= 0) ||
          (!stopOnlyWithRoot_ && j != 0 && active_[j] && v != R.terminals[k])) {
        kill(k);
        return;
      }
      if (reach_[k][v] >= 0) continue;
      members_[k].push_back(v);
      reach_[k][v] = reach_[k][0];
      const int ownerGroup = vertexGroup(v) != 0 ? vertexGroup(v) : g;
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s]) continue;
        const int w = R.arcs[s].head;
        if (reach_[k][w] < 0) {
          const int p = R.partner[s];
          if (expect_[p] == -2) {
            stack_.push_back(w);
          } else {
            markArcPending(p, ownerGroup);
            ++rate_[p];
          }
        } else if (expect_[s] == -2) {
          rate_[s] = 0;
        } else {
          markArcPending(s, g);
          rate_[s] = std::max(0, rate_[s] - 1);
        }
      }
    }
  }

  void kill(int k) {
    active_[k] = 0;
    if (!grouping_) --activeCount_;
    stack_.clear();
    deactivateComponent(k);
    log(4) << "Killed: " << k << "(" << twoDecimals(dual_[k], factor_) << ")" << "\n";
  }

  void deactivateComponent(int k) {
    ReduceGraph& R = R_;
    const int G = groupRoot(k);
    for (int v : members_[k]) {
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s] || reach_[k][R.arcs[s].head] >= 0) continue;
        const int p = R.partner[s];
        if (expect_[p] == -2) {
          rate_[p] = 0;
        } else {
          markArcPending(p, G);
          rate_[p] = std::max(0, rate_[p] - 1);
        }
      }
    }
    if (!grouping_) return;
    if (pendingGroup_ != 0 && pendingGroup_ != G) flushGroupUpdate();
    if (pendingGroup_ == 0) pendingGroup_ = G;
    if (--groupActive_[G] == 0) --activeCount_;
  }

  // Reduced costs of the ascent; nothing reads them yet.
  void reducedCostPass() {
    ReduceGraph& R = R_;
    for (int a = 1; a <= s_.arcCount; ++a) {
      if (R.delE[a]) continue;
      std::int64_t value = std::int64_t{factor_} * R.arcs[a].cost;
      for (int k = 1; k <= s_.r; ++k) {
        std::int64_t d = contribution(k, R.arcs[a].head) - contribution(k, R.arcs[a].tail);
        if (k == s_.root) d = -d;
        value -= std::max<std::int64_t>(0, d);
      }
      s_.slack[a] = static_cast<int>(std::clamp<std::int64_t>(value, -maxint, maxint));
    }
  }

  DualAscentState& s_;
  ReduceGraph& R_;
  int factor_ = 1;
  bool grouping_ = false;
  bool stopOnlyWithRoot_ = false;
  int activeCount_ = 0;
  int pendingGroup_ = 0;
  std::int64_t clock_ = 0;
  std::int64_t lower_ = 0;
  IntArray rate_, heapKey_, active_, pendingState_, arcGroup_, oldRate_, pendingArcs_;
  IntArray owner_, groupActive_;
  IntArray oldGroupActive_;  // per arc: its group's active count when its time was computed
  MemberLists groups_;
  std::vector<std::int64_t> remaining_, lastUpdate_, expect_, dual_;
  std::vector<std::vector<int>> members_;
  IntMatrix reach_;
  std::vector<int> stack_;
  std::optional<IndexedHeap> heap_;
};

// Every terminal grows at once over the arc costs (keys twice the costs, so that two growths
// meeting on an edge meet halfway); a growth that runs into another dies, and the terminal that
// survives longest becomes the root of the tree built from the stamps.
void mayBeRootAscent(DualAscentState& s) {
  ReduceGraph& R = s.R;
  int directed = 0;
  {
    const int echo = shell.echoLevel;
    shell.echoLevel = 3;
    directed = shell.Iget("directed", 0);
    shell.echoLevel = echo == 3 ? 0 : echo;
  }
  if (s.r < 1) return;
  const int n = s.arcCount;
  IntArray key(static_cast<std::size_t>(n) + 1, never), inHeap(static_cast<std::size_t>(n) + 1, 0);
  IndexedHeap heap(n, key);
  UnionFind groups(R.V);
  IntArray alive(static_cast<std::size_t>(s.r) + 1, 1), owner(static_cast<std::size_t>(R.V) + 1, 0);
  std::vector<std::int64_t> level(static_cast<std::size_t>(R.V) + 1, -1);
  std::int64_t t = 0, lower = 0;
  int activeCount = s.r;

  auto scan = [&](int v, int group) {
    if (level[v] < 0) level[v] = t;
    for (int a = R.firstArc[v]; a < R.firstArc[v] + R.degree[v]; ++a) {
      if (R.delE[a]) continue;
      const int w = R.arcs[a].head;
      if (groups.find(w) == group) continue;
      if (level[w] < 0) {
        const int k = clampTime(t + 2 * std::int64_t{R.arcs[a].cost});
        if (!inHeap[a]) {
          heap.heapInsert(a, k);
          inHeap[a] = 1;
        } else if (k < key[a]) {
          heap.heapDecreaseKey(a, k);
        }
      } else if (directed == 0) {
        const int p = R.partner[a];
        if (inHeap[p] && key[p] > t) heap.heapDecreaseKey(p, clampTime(t + (key[p] - t) / 2));
      }
    }
  };

  for (int k = 1; k <= s.r; ++k) {
    const int v = R.terminals[k];
    owner[v] = k;
    scan(v, groups.find(v));
  }
  while (activeCount > 1) {
    int a = -1;
    while ((a = heap.heapExtractMin()) >= 0) {
      inHeap[a] = 0;
      if (groups.find(R.arcs[a].tail) != groups.find(R.arcs[a].head)) break;
    }
    if (a < 0) break;
    const int tail = R.arcs[a].tail, head = R.arcs[a].head;
    lower += (key[a] - t) * (activeCount - directed);
    t = key[a];
    log(4) << "activeCount" << ":" << activeCount << ", " << "b: " << twoDecimals(t, 2) << ", lo: "
           << twoDecimals(lower, 2) + R.contractCost << ", " << "*ed" << ":" << "(" << tail << "-" << head << ")"
           << ", " << "\n";
    if (level[head] < 0) {
      owner[head] = owner[tail];
    } else {
      --activeCount;
      alive[owner[tail]] = 0;
    }
    scan(head, groups.find(tail));
    s.upperStamp[a] = s.upperStamp[R.partner[a]] = clampTime(t);
    groups.join(tail, head);
  }
  log(3) << "lower: " << twoDecimals(lower, 2) + R.contractCost << "\n";
  log(3) << "MayBeRoot: ";
  for (int k = 1; k <= s.r; ++k) {
    if (!alive[k]) continue;
    log(3) << " " << k;
    s.root = k;
    s.rootVertex = R.terminals[k];
  }
  buildDualTree(s);
  log(3) << "\n";
}

}  // namespace

void dual(ReduceGraph& R) {
  const int simple = shell.Iget("simple", 0);
  leaveOverflowMode(R);
  DualAscentState state(R);
  if (simple < 0) {
    dualAscentMstPrune(state);
  } else if (simple == 0) {
    if (state.r >= 1) ComponentAscent(state).run();
  } else if (simple == 1) {
    mayBeRootAscent(state);
  } else {
    voronoiGmstBound(state);
  }
}

}  // namespace tesmo
