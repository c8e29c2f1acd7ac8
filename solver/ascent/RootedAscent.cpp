#include "RootedAscent.h"

#include "Check.h"
#include "LogStream.h"

#include <algorithm>

namespace tesmo {

namespace {

int saturatedSum(std::int64_t a, std::int64_t b) { return static_cast<int>(std::min<std::int64_t>(a + b, maxint)); }

}  // namespace

RootedAscent::RootedAscent(ReduceGraph& R) : R_(R) { ensureCapacity(); }

// Sized once for the instance; a pass re-sizes only when the instance has outgrown the buffers
// (more terminals, or arc slots added since).
void RootedAscent::ensureCapacity() {
  const std::size_t vertices = static_cast<std::size_t>(R_.V) + 1;
  const std::size_t arcs = static_cast<std::size_t>(2 * R_.E) + 1;
  const std::size_t terminals = static_cast<std::size_t>(R_.R) + 3;
  if (rc_.size() < arcs) {
    rc_.assign(arcs, 0);
    cut_.assign(arcs, 0);
    zeroIn_.assign(arcs, 0);
    pending_.assign(arcs, 0);
    counter_.assign(arcs, 0);
    selected_.assign(arcs, 0);
  }
  if (cover_.size() < vertices) {
    words_ = (vertices + 63) / 64;
    bits_.assign(0, 0);
    members_.clear();
    cover_.assign(vertices, 0);
    zeroStart_.assign(vertices + 1, 0);
    zeroCount_.assign(vertices, 0);
    stack_.assign(vertices + 1, 0);
    fromRoot_.assign(vertices, maxint);
    toTerminal_.assign(vertices, maxint);
    base_.assign(vertices, 0);
    settled_.assign(vertices, 0);
    rootHeap_.emplace(R_.V, fromRoot_);
    terminalHeap_.emplace(R_.V, toTerminal_);
  }
  if (members_.size() < terminals) {
    bits_.resize(terminals * words_, 0);
    members_.resize(terminals, IntArray(2, 0));
    interiorStart_.assign(terminals, 0);
    size_.assign(terminals, maxint);
    size2_.assign(terminals, maxint);
  }
}

void RootedAscent::resetComponents() {
  // Only the bits of the last pass's members are set.
  for (std::size_t k = 1; k < members_.size(); ++k) {
    IntArray& row = members_[k];
    for (int i = 1; i <= row[0]; ++i) bits_[rowOffset(static_cast<int>(k)) + (row[i] >> 6)] = 0;
    row[0] = 0;
  }
}

void RootedAscent::join(int k, int v) {
  IntArray& row = members_[k];
  const std::size_t n = static_cast<std::size_t>(row[0]) + 1;
  // A row grows only to the largest component met and keeps that capacity for later passes.
  if (n >= row.size()) row.resize(std::min<std::size_t>(2 * row.size(), static_cast<std::size_t>(R_.V) + 1), 0);
  row[n] = v;
  row[0] = static_cast<int>(n);
  bits_[rowOffset(k) + (v >> 6)] |= std::uint64_t{1} << (v & 63);
  ++cover_[v];
}

void RootedAscent::deactivate(int k) {
  size_[k] = maxint;
  const IntArray& row = members_[k];
  for (int i = 1; i <= row[0]; ++i) --cover_[row[i]];
}

std::int64_t RootedAscent::run(int rootIndex, int avoided) {
  ReduceGraph& R = R_;
  ensureCapacity();
  resetComponents();
  terminals_ = R.R;
  root_ = rootIndex;
  rootVertex_ = R.terminals[rootIndex];
  avoided_ = avoided;
  disconnected_ = false;
  value_ = 0;
  step_ = 0;
  for (int s = 1; s <= 2 * R.E; ++s) rc_[s] = R.delE[s] ? 0 : R.arcs[s].cost;
  // A vertex takes at most one saturated arc per entering slot.
  int start = 0;
  for (int v = 1; v <= R.V; ++v) {
    zeroStart_[v] = start;
    zeroCount_[v] = 0;
    cover_[v] = 0;
    start += R.degree[v];
  }
  zeroStart_[R.V + 1] = start;
  if (static_cast<std::size_t>(start) > zeroIn_.size()) zeroIn_.assign(static_cast<std::size_t>(start), 0);
  for (int k = 1; k <= terminals_; ++k) {
    join(k, R.terminals[k]);
    interiorStart_[k] = 1;
    size_[k] = size2_[k] = 1;
  }
  // The root's component never grows; only the membership of its vertex is kept.
  --cover_[rootVertex_];
  size_[root_] = size2_[root_] = maxint;
  onRootStart();

  for (;;) {
    const int k = chooseTerminal();
    if (k < 1 || k > terminals_ || !isActive(k)) break;
    chosen_ = k;
    if (!collectCut(k)) {
      disconnected_ = true;
      break;
    }
    if (!beforeRaise()) continue;
    raise();
    grow();
  }
  return value_;
}

// The arcs u->w with w inside k's component and u outside (never out of the avoided vertex).
// An arc of reduced cost 0 can only be there for an edge of cost 0: it is taken, the raise is
// then 0 and the arc's tail joins, so no reduced cost ever falls below 0.
bool RootedAscent::collectCut(int k) {
  const ReduceGraph& R = R_;
  IntArray& row = members_[k];
  cut_[0] = 0;
  int smallest = maxint;
  for (int j = interiorStart_[k]; j <= row[0]; ++j) {
    const int v = row[j];
    bool entering = false;
    for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
      if (R.delE[s]) continue;
      const int u = R.arcs[s].head;
      if (u == avoided_ || inComponent(k, u)) continue;
      const int in = R.partner[s];
      cut_[++cut_[0]] = in;
      smallest = std::min(smallest, rc_[in]);
      entering = true;
    }
    // Components only grow: a member without an entering arc never gets one again.
    if (!entering) {
      const int at = interiorStart_[k]++;
      row[j] = row[at];
      row[at] = v;
    }
  }
  delta_ = smallest;
  return cut_[0] > 0;
}

void RootedAscent::raise() {
  const ReduceGraph& R = R_;
  value_ += delta_;
  pending_[0] = 0;
  for (int i = 1; i <= cut_[0]; ++i) {
    const int a = cut_[i];
    rc_[a] -= delta_;
    if (rc_[a] != 0) continue;
    const int w = R.arcs[a].head;
    TESMO_CHECK(zeroStart_[w] + zeroCount_[w] >= zeroStart_[w + 1], "ascent");
    zeroIn_[zeroStart_[w] + zeroCount_[w]++] = R.arcs[a].tail;
    const int n = ++pending_[0];
    pending_[n] = a;
    counter_[n] = cover_[w];
    onSaturated(a);
  }
}

// Every active component that holds the head of a newly saturated arc takes in its tail and
// whatever reaches the tail over arcs saturated before. Each arc is dropped once every
// component that held its head has looked at it.
void RootedAscent::grow() {
  const ReduceGraph& R = R_;
  for (int k = 1; k <= terminals_ && pending_[0] > 0; ++k) {
    if (!isActive(k)) continue;
    // The arcs whose head k holds now, before k grows.
    selected_[0] = 0;
    for (int i = 1; i <= pending_[0]; ++i)
      if (inComponent(k, R.arcs[pending_[i]].head)) selected_[++selected_[0]] = i;
    if (selected_[0] == 0) continue;
    for (int j = 1; j <= selected_[0]; ++j) --counter_[selected_[j]];
    stack_[0] = 0;
    bool alive = true;
    for (int j = 1; j <= selected_[0] && alive; ++j) alive = growFrom(k, R.arcs[pending_[selected_[j]]].tail);
    while (alive && stack_[0] > 0) {
      const int x = stack_[stack_[0]--];
      for (int i = zeroStart_[x]; i < zeroStart_[x] + zeroCount_[x] && alive; ++i) alive = growFrom(k, zeroIn_[i]);
    }
    int kept = 0;
    for (int i = 1; i <= pending_[0]; ++i) {
      if (counter_[i] <= 0) continue;
      ++kept;
      pending_[kept] = pending_[i];
      counter_[kept] = counter_[i];
    }
    pending_[0] = kept;
  }
}

bool RootedAscent::growFrom(int k, int u) {
  if (inComponent(k, u)) return true;
  if (u == rootVertex_) {
    deactivate(k);
    return false;
  }
  join(k, u);
  ++size_[k];
  if (R_.treeDegree[u] != 0) ++size2_[k];
  stack_[++stack_[0]] = u;
  return true;
}

int RootedAscent::choiceBySize(const IntArray* locks) const {
  std::int64_t bestKey = maxint;
  std::int64_t bestSize2 = maxint;
  int best = 0;
  for (int k = 1; k <= terminals_; ++k) {
    if (!isActive(k)) continue;
    const std::int64_t key = (locks && (*locks)[k] ? 400000000 : 0) + std::int64_t{size_[k]};
    if (key < bestKey || (key < bestKey + diff_ && size2_[k] < bestSize2)) {
      bestKey = std::min(bestKey, key);
      bestSize2 = size2_[k];
      best = k;
    }
  }
  return best;
}

void RootedAscent::computeDistances() {
  const ReduceGraph& R = R_;
  const int limit = R.Vanz;
  IndexedHeap& heap = *rootHeap_;
  heap.clearHeap();
  for (int v = 1; v <= R.V; ++v) {
    fromRoot_[v] = maxint;
    settled_[v] = 0;
  }
  heap.heapInsert(rootVertex_, 0);
  for (int settled = 0; settled < limit; ++settled) {
    const int x = heap.heapExtractMin();
    if (x < 0) {
      log(1) << "empty PQ \n";
      break;
    }
    settled_[x] = 1;
    for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
      if (R.delE[s]) continue;
      const int w = R.arcs[s].head;
      if (settled_[w]) continue;
      const int d = saturatedSum(fromRoot_[x], rc_[s]);
      if (d >= fromRoot_[w]) continue;
      if (fromRoot_[w] == maxint)
        heap.heapInsert(w, d);
      else
        heap.heapDecreaseKey(w, d);
    }
  }
  // Left in the heap (only when the live count fell short): a tentative distance is no bound.
  while (!heap.empty()) fromRoot_[heap.heapExtractMin()] = 0;

  IndexedHeap& toHeap = *terminalHeap_;
  toHeap.clearHeap();
  for (int v = 1; v <= R.V; ++v) {
    toTerminal_[v] = maxint;
    base_[v] = 0;
    settled_[v] = 0;
  }
  for (int k = 1; k <= terminals_; ++k) {
    const int t = R.terminals[k];
    if (t == rootVertex_) continue;
    base_[t] = t;
    toHeap.heapInsert(t, 0);
  }
  for (int settled = 0; settled < limit; ++settled) {
    const int x = toHeap.heapExtractMin();
    if (x < 0) break;
    settled_[x] = 1;
    if (x == rootVertex_) continue;
    for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
      if (R.delE[s]) continue;
      const int w = R.arcs[s].head;
      if (settled_[w]) continue;
      const int d = saturatedSum(toTerminal_[x], rc_[R.partner[s]]);
      if (d >= toTerminal_[w]) continue;
      if (toTerminal_[w] == maxint)
        toHeap.heapInsert(w, d);
      else
        toHeap.heapDecreaseKey(w, d);
      base_[w] = base_[x];
    }
  }
  while (!toHeap.empty()) toTerminal_[toHeap.heapExtractMin()] = 0;
}

}  // namespace tesmo
