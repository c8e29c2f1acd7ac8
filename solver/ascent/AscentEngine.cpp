#include "AscentEngine.h"

#include "Check.h"
#include "LiveEdgeIterator.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <utility>

namespace tesmo {

namespace {

int saturatedSum(std::int64_t a, std::int64_t b, std::int64_t c = 0) {
  return static_cast<int>(std::min<std::int64_t>(a + b + c, maxint));
}

}  // namespace

AscentEngine::AscentEngine(ReduceGraph& R, int limit) : instance(R), requestedSizeLimit_(limit) {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  revBack = shell.Iget("revBack", 1);
  sizeCrit = shell.Iget("sizeCrit", 1);
  shell.echoLevel = echo == 3 ? 0 : echo;
  sizeForInstance();
}

// Every buffer is sized here once; a pass re-sizes only when the instance has outgrown them
// (vertex numbers and terminal indices stay, arc slots may have been added since).
void AscentEngine::sizeForInstance() {
  const ReduceGraph& R = instance;
  nVertices = R.V;
  nArcs = 2 * R.E;
  nTerminals = R.R;
  const std::size_t vertices = static_cast<std::size_t>(nVertices) + 1;
  const std::size_t terminals = static_cast<std::size_t>(nTerminals) + 1;
  sizeLimit_ = requestedSizeLimit_ > nArcs + 1 ? requestedSizeLimit_ : nArcs + 1;
  if (reducedCost.size() < static_cast<std::size_t>(sizeLimit_)) reducedCost.assign(sizeLimit_, 0);
  reducedCost[0] = sizeLimit_;
  zeroIn.assign(static_cast<std::size_t>(nArcs) + vertices, 0);
  zeroStart.assign(vertices + 1, 0);
  zeroCount.assign(vertices, 0);
  component.resize(terminals);
  for (IntArray& row : component) {
    if (row.empty()) row.assign(2, 0);
  }
  if (position.rows() < nTerminals + 1 || position.columns() < nVertices + 1)
    position.newMatrix(nTerminals, nVertices);
  interiorStart.assign(terminals, 0);
  active.assign(terminals, 0);
  label.assign(vertices, 0);
  coverCount.assign(vertices, 0);
  zeroCounter.assign(static_cast<std::size_t>(nArcs) + 1, 0);
  cutArcs.assign(static_cast<std::size_t>(nArcs) + 1, 0);
  priority.assign(terminals + 1, 0);
  stack.assign(vertices + 1, 0);
  terminalSets.reset(nTerminals);
  distFromRoot.assign(vertices, 0);
  distToTerminal.assign(vertices, 0);
  predFromRoot.assign(vertices, 0);
  predToTerminal.assign(vertices, 0);
  heapKeys_.assign(vertices, 0);
  heap_.emplace(nVertices, heapKeys_);
}

void AscentEngine::swapResults(IntArray& costs, IntArray& fromRoot, IntArray& toTerminal) {
  std::swap(reducedCost, costs);
  std::swap(distFromRoot, fromRoot);
  std::swap(distToTerminal, toTerminal);
  if (reducedCost.size() < static_cast<std::size_t>(sizeLimit_)) reducedCost.assign(sizeLimit_, 0);
  reducedCost[0] = sizeLimit_;
  const std::size_t vertices = static_cast<std::size_t>(nVertices) + 1;
  if (distFromRoot.size() < vertices) distFromRoot.assign(vertices, 0);
  if (distToTerminal.size() < vertices) distToTerminal.assign(vertices, 0);
}

void AscentEngine::appendToComponent(int k, int v) {
  IntArray& row = component[k];
  const int n = row[0] + 1;
  // A row grows only to the largest component met on this instance and keeps that capacity.
  if (static_cast<std::size_t>(n) >= row.size())
    row.resize(std::min<std::size_t>(2 * row.size(), static_cast<std::size_t>(nVertices) + 1), 0);
  row[n] = v;
  row[0] = n;
  position[k][v] = n;
}

void AscentEngine::initialisePass(int rootIndex) {
  ReduceGraph& R = instance;
  if (R.V != nVertices || R.R != nTerminals || 2 * R.E > nArcs) sizeForInstance();
  nArcs = 2 * R.E;
  root = rootIndex;
  rootVertex = R.terminals[root];
  disconnected_ = false;
  terminalSets.reset(nTerminals);
  for (int s = 1; s <= nArcs; ++s) reducedCost[s] = R.delE[s] ? 0 : R.arcs[s].cost;
  // A vertex takes at most one zero-arc tail per entering slot.
  int start = 1;
  for (int v = 1; v <= nVertices; ++v) {
    zeroStart[v] = start;
    zeroCount[v] = 0;
    coverCount[v] = 0;
    label[v] = 0;
    int slots = 0;
    LiveEdgeIterator it(R, v);
    while (nextLiveEdge(R, it)) ++slots;
    start += slots;
  }
  zeroStart[nVertices + 1] = start;
  if (static_cast<std::size_t>(start) > zeroIn.size()) zeroIn.assign(static_cast<std::size_t>(start), 0);
  active[0] = 0;
  for (int k = 1; k <= nTerminals; ++k) {
    const int t = R.terminals[k];
    if (k != root) active[++active[0]] = k;
    label[t] = k;
    component[k][0] = 0;
    appendToComponent(k, t);
    coverCount[t] = 1;
    interiorStart[k] = 1;
  }
  for (int k = 1; k <= nTerminals + 1; ++k) priority[k] = 1;
  lower = 0;
  lowerSum_ = 0;
  stack[0] = 0;
  cutArcs[0] = 0;
}

int AscentEngine::ascentPass(int rootIndex) {
  ReduceGraph& R = instance;
  log(4) << "computing lower bound and reduced costs:" << "rootV" << ":" << R.terminals[rootIndex]
         << ", " << "Root" << ":" << rootIndex << ", " << "\n";
  initialisePass(rootIndex);
  onPassStart();

  while (active[0] > 0) {
    const int p = choosePosition();
    // A variant may end the pass early (an interactive choice that names no active terminal);
    // the raises made so far still form a feasible dual, so the bound stays a bound.
    if (p < 1 || p > active[0]) break;
    const int k = active[p];
    chosen = k;

    // The cut entering k's component, skipping vertices that no longer have an entering arc.
    std::int64_t smallest = maxint;
    cutArcs[0] = 0;
    IntArray& members = component[k];
    for (int j = interiorStart[k]; j <= members[0]; ++j) {
      const int v = members[j];
      bool entering = false;
      LiveEdgeIterator it(R, v);
      while (nextLiveEdge(R, it)) {
        const int s = it.slot;
        if (R.delE[s] || inComponent(k, it.arc->head)) continue;
        const int in = R.partner[s];
        cutArcs[++cutArcs[0]] = in;
        if (reducedCost[in] < smallest) smallest = reducedCost[in];
        entering = true;
      }
      if (!entering) {
        const int at = interiorStart[k];
        const int other = members[at];
        members[j] = other;
        position[k][other] = j;
        members[at] = v;
        position[k][v] = at;
        ++interiorStart[k];
      }
    }
    if (cutArcs[0] == 0) {
      // Nothing enters the component: the root cannot reach k's terminal, no tree exists.
      disconnected_ = true;
      log(3) << "ascent: required vertex " << R.terminals[k] << " cannot be reached from the root\n";
      break;
    }
    delta = static_cast<int>(smallest);
    lowerSum_ += delta;
    lower = static_cast<int>(std::min<std::int64_t>(lowerSum_, maxint));
    if (sizeCrit == 2) priority[k] = saturatedSum(priority[k], delta);
    onDualIncrease();

    // Lower the cut; keep only the arcs that became 0.
    int zeros = 0;
    for (int i = 1; i <= cutArcs[0]; ++i) {
      const int a = cutArcs[i];
      reducedCost[a] -= delta;
      if (reducedCost[a] != 0) continue;
      const int head = R.arcs[a].head;
      TESMO_CHECK(zeroStart[head] + zeroCount[head] >= zeroStart[head + 1], "ascent");
      zeroIn[zeroStart[head] + zeroCount[head]++] = R.arcs[a].tail;
      cutArcs[++zeros] = a;
      zeroCounter[zeros] = coverCount[head];
    }
    cutArcs[0] = zeros;

    std::swap(active[p], active[1]);
    int pos = 1;
    while (cutArcs[0] > 0 && pos <= active[0]) {
      const int kk = active[pos];
      stack[0] = 0;
      bool inactive = false;
      for (int i = 1; i <= cutArcs[0] && !inactive;) {
        const int a = cutArcs[i];
        const int u = R.arcs[a].tail;
        const int v = R.arcs[a].head;
        if (!inComponent(kk, v)) {
          ++i;
          continue;
        }
        if (--zeroCounter[i] == 0) {
          cutArcs[i] = cutArcs[cutArcs[0]];
          zeroCounter[i] = zeroCounter[cutArcs[0]];
          --cutArcs[0];
        } else {
          ++i;
        }
        inactive = extendActiveComponent(u, v, kk, pos) == 1;
      }
      while (!inactive && stack[0] > 0) {
        const int x = stack[stack[0]--];
        for (int i = zeroStart[x]; i < zeroStart[x] + zeroCount[x] && !inactive; ++i)
          inactive = extendActiveComponent(zeroIn[i], x, kk, pos) == 1;
      }
      ++pos;
    }
  }

  if (applyToInstance) {
    lower = saturatedSum(lowerSum_, R.contractCost);
    log(3) << "lower: " << lower << "\n";
    if (disconnected_)
      R.markDisconnected();
    else
      R.setLower(lower, root);
  }
  return lower;
}

// The smallest key; on equal keys the later entry of the active list.
int AscentEngine::choosePosition() {
  int p = active[0];
  for (int i = active[0] - 1; i >= 1; --i)
    if (priority[active[i]] < priority[active[p]]) p = i;
  return p;
}

int AscentEngine::extendActiveComponent(int u, int v, int k, int& pos) {
  if (inComponent(k, u)) return 0;
  if (label[u] != 0) {
    const int r = terminalSets.find(label[u]);
    if (!inComponent(r, instance.terminals[k])) {
      // k meets the component of another terminal: it stops here, merged under r.
      terminalSets.joinUnder(r, k);
      active[pos] = active[active[0]];
      --active[0];
      --pos;
      priority[k] = maxint;
      if (revBack != 0) floodLabel(v, r);
      return 1;
    }
  }
  if (sizeCrit == 1) ++priority[k];
  pushStack(u);
  appendToComponent(k, u);
  ++coverCount[u];
  return 0;
}

// Labels with r every unlabelled vertex reached from start over arcs of reduced cost 0.
void AscentEngine::floodLabel(int start, int r) {
  ReduceGraph& R = instance;
  stack[0] = 0;
  label[start] = r;
  pushStack(start);
  while (stack[0] > 0) {
    const int x = stack[stack[0]--];
    LiveEdgeIterator it(R, x);
    while (nextLiveEdge(R, it)) {
      if (R.delE[it.slot] || reducedCost[it.slot] != 0) continue;
      const int y = it.arc->head;
      if (label[y] != 0) continue;
      label[y] = r;
      pushStack(y);
    }
  }
}

void AscentEngine::dijkstraFromRoot(int settleLimit) {
  ReduceGraph& R = instance;
  IndexedHeap& heap = *heap_;
  heap.clearHeap();
  for (int v = 1; v <= nVertices; ++v) {
    distFromRoot[v] = maxint;
    predFromRoot[v] = 0;
    heapKeys_[v] = maxint;
  }
  distFromRoot[rootVertex] = 0;
  predFromRoot[rootVertex] = -rootVertex;
  heap.heapInsert(rootVertex, 0);
  for (int settled = 0; settled < settleLimit;) {
    const int x = heap.heapExtractMin();
    if (x < 0) {
      log(4) << "empty PQ \n";
      break;
    }
    ++settled;
    predFromRoot[x] = -predFromRoot[x];
    const int dx = heapKeys_[x];
    distFromRoot[x] = dx;
    LiveEdgeIterator it(R, x);
    while (nextLiveEdge(R, it)) {
      const int s = it.slot;
      if (R.delE[s]) continue;
      const int w = it.arc->head;
      if (predFromRoot[w] > 0) continue;
      const int d = saturatedSum(dx, reducedCost[s]);
      if (d >= distFromRoot[w]) continue;
      if (predFromRoot[w] == 0)
        heap.heapInsert(w, d);
      else
        heap.heapDecreaseKey(w, d);
      distFromRoot[w] = d;
      predFromRoot[w] = -x;
    }
  }
}

void AscentEngine::dijkstraToTerminals(int settleLimit) {
  ReduceGraph& R = instance;
  IndexedHeap& heap = *heap_;
  heap.clearHeap();
  for (int v = 1; v <= nVertices; ++v) {
    distToTerminal[v] = maxint;
    predToTerminal[v] = 0;
    heapKeys_[v] = maxint;
  }
  for (int k = 1; k <= nTerminals; ++k) {
    const int t = R.terminals[k];
    if (t == rootVertex) continue;
    distToTerminal[t] = 0;
    predToTerminal[t] = -t;
    heap.heapInsert(t, 0);
  }
  for (int settled = 0; settled < settleLimit;) {
    const int x = heap.heapExtractMin();
    if (x < 0) break;
    ++settled;
    predToTerminal[x] = -predToTerminal[x];
    const int dx = heapKeys_[x];
    distToTerminal[x] = dx;
    if (x == rootVertex) continue;
    LiveEdgeIterator it(R, x);
    while (nextLiveEdge(R, it)) {
      const int s = it.slot;
      if (R.delE[s]) continue;
      const int w = it.arc->head;
      if (predToTerminal[w] > 0) continue;
      const int d = saturatedSum(dx, reducedCost[R.partner[s]]);
      if (d >= distToTerminal[w]) continue;
      if (predToTerminal[w] == 0)
        heap.heapInsert(w, d);
      else
        heap.heapDecreaseKey(w, d);
      distToTerminal[w] = d;
      predToTerminal[w] = -x;
    }
  }
}

void AscentEngine::reducedCostDistances() {
  ReduceGraph& R = instance;
  const int n = R.Vanz;
  dijkstraFromRoot(n);
  dijkstraToTerminals(n);
  const std::int64_t gap = std::int64_t{R.upperValue} - lower;
  const int excluded = static_cast<int>(std::clamp<std::int64_t>(gap + 1, 0, maxint));
  for (int s = 1; s <= nArcs; ++s) {
    const Arc& a = R.arcs[s];
    if (R.delE[s] ||
        gap < std::int64_t{distFromRoot[a.tail]} + reducedCost[s] + distToTerminal[a.head])
      reducedCost[s] = excluded;
  }
  for (int v = 1; v <= nVertices; ++v) stack[v] = saturatedSum(distFromRoot[v], distToTerminal[v]);
}

}  // namespace tesmo
