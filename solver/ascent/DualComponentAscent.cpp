// The two variants of letter d that grow all components at once on an event clock (the
// simultaneous component ascent and the growth that picks its root last), and the entry d.

#include "DualAscent.h"

#include "Check.h"
#include "EdgeDeletion.h"
#include "Heap.h"
#include "LogStream.h"
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
    const int grouping = shell.Iget("grouping", 0);
    stopOnlyWithRoot_ = shell.Iget("stopOnlyWithRoot", 0) != 0;
    shell.echoLevel = echo == 3 ? 0 : echo;
    if (grouping != 0) log(3) << "grouping: every component raises on its own\n";

    const int n = s_.arcCount;
    const std::size_t arcs = static_cast<std::size_t>(n) + 1;
    rate_.assign(arcs, 0);
    remaining_.assign(arcs, 0);
    lastUpdate_.assign(arcs, 0);
    expect_.assign(arcs, -1);
    heapKey_.assign(arcs, never);
    inHeap_.assign(arcs, 0);
    heap_.emplace(n, heapKey_);
    for (int a = 1; a <= n; ++a) remaining_[a] = R.delE[a] ? 0 : std::int64_t{factor_} * R.arcs[a].cost;
    const std::size_t terminals = static_cast<std::size_t>(s_.r) + 1;
    active_.assign(terminals, 0);
    dual_.assign(terminals, 0);
    members_.assign(terminals, {});
    reach_.newMatrix(s_.r, R.V);
    for (int k = 0; k <= s_.r; ++k)
      for (int v = 0; v <= R.V; ++v) reach_[k][v] = -1;
    stack_.reserve(static_cast<std::size_t>(R.V) + 1);
  }

  void run() {
    ReduceGraph& R = R_;
    reach_[s_.root][s_.rootVertex] = 0;
    for (int k = 1; k <= s_.r; ++k) active_[k] = k == s_.root ? 0 : 1;
    for (int k = 1; k <= s_.r; ++k)
      if (active_[k]) growComponent(k, R.terminals[k]);
    activeCount_ = 0;
    for (int k = 1; k <= s_.r; ++k) activeCount_ += active_[k];

    int iter = 0;
    while (activeCount_ > 0) {
      ++iter;
      const int a = heap_->heapExtractMin();
      if (a < 0 || heapKey_[a] >= never) break;  // components left without an entering arc
      inHeap_[a] = 0;
      const std::int64_t time = expect_[a];
      const std::int64_t delta = time - clock_;
      lower_ += delta * activeCount_;
      for (int k = 1; k <= s_.r; ++k)
        if (active_[k]) dual_[k] += delta;
      clock_ = time;
      expect_[a] = -2;
      if (s_.upperStamp[a] == 0) s_.upperStamp[a] = clampTime(clock_);
      const int tail = R.arcs[a].tail, head = R.arcs[a].head;
      log(4) << "iter" << ":" << iter << ", " << "activeCount" << ":" << activeCount_ << ", " << "b: "
             << twoDecimals(clock_, factor_) << ", lo: " << twoDecimals(lower_, factor_) + R.contractCost << ", "
             << "*ed" << ":" << "(" << tail << "-" << head << ")" << ", " << rate_[a] << "(";
      for (int k = 1; k <= s_.r; ++k) {
        if (!active_[k] || reach_[k][head] < 0 || reach_[k][tail] >= 0) continue;
        log(5) << k << ")";
        growComponent(k, tail);
      }
      log(4) << "\n";
    }

    const double L = twoDecimals(lower_, factor_) + R.contractCost;
    log(3) << "lower: " << L << "\n";
    R.setLower(static_cast<int>(std::min<double>(std::ceil(L - 0.001), maxint)), 0);
    buildDualTree(s_);
    if (shell.Iget("doReduction", 0) != 0) {
      // The reduced costs of this ascent are not carried over to the tests; the pass is off.
      exitWithWarning("1", 212, "dual", R.warningDump());
    }
    log(3) << "count" << ":" << 0 << ", " << "\n";
  }

private:
  // The arc's remaining cost brought to the clock, its rate changed, its saturation time and
  // heap key renewed (floored, so that it never saturates after its cost has run out).
  void changeRate(int a, int change) {
    if (expect_[a] == -2) return;
    remaining_[a] = std::max<std::int64_t>(0, remaining_[a] - (clock_ - lastUpdate_[a]) * rate_[a]);
    lastUpdate_[a] = clock_;
    rate_[a] += change;
    const std::int64_t time = rate_[a] > 0 ? clock_ + remaining_[a] / rate_[a] : std::int64_t{never};
    expect_[a] = time;
    const int key = clampTime(time);
    if (!inHeap_[a]) {
      if (key >= never) return;
      heap_->heapInsert(a, key);
      inHeap_[a] = 1;
    } else {
      heap_->heapChangeKey(a, key);
    }
  }

  void growComponent(int k, int start) {
    ReduceGraph& R = R_;
    stack_.clear();
    stack_.push_back(start);
    while (!stack_.empty()) {
      const int v = stack_.back();
      stack_.pop_back();
      const int j = R.isReq[v];
      if (v == s_.rootVertex || (!stopOnlyWithRoot_ && j != 0 && active_[j] && v != R.terminals[k])) {
        kill(k);
        return;
      }
      if (reach_[k][v] >= 0) continue;
      members_[k].push_back(v);
      reach_[k][v] = static_cast<int>(std::min<std::int64_t>(dual_[k], maxint));
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s]) continue;
        const int w = R.arcs[s].head;
        if (reach_[k][w] < 0) {
          const int p = R.partner[s];
          if (expect_[p] == -2)
            stack_.push_back(w);
          else
            changeRate(p, +1);
        } else {
          changeRate(s, -1);
        }
      }
    }
  }

  void kill(int k) {
    ReduceGraph& R = R_;
    active_[k] = 0;
    --activeCount_;
    stack_.clear();
    for (int v : members_[k]) {
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s)
        if (!R.delE[s] && reach_[k][R.arcs[s].head] < 0) changeRate(R.partner[s], -1);
    }
    log(4) << "Killed: " << k << "(" << twoDecimals(dual_[k], factor_) << ")" << "\n";
  }

  DualAscentState& s_;
  ReduceGraph& R_;
  int factor_ = 1;
  bool stopOnlyWithRoot_ = false;
  int activeCount_ = 0;
  std::int64_t clock_ = 0;
  std::int64_t lower_ = 0;
  IntArray rate_, heapKey_, inHeap_, active_;
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
