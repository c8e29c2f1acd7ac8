#include "TriangleTests.h"

#include "DisplayHooks.h"
#include "EdgeDeletion.h"
#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"
#include "TreeReroute.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

int liveDegree(const ReduceGraph& R, int v) {
  int d = 0;
  for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) ++d;
  return d;
}

// The cheapest live edge at x that does not lead to avoid; maxint when there is none.
int cheapestAvoiding(const ReduceGraph& R, int x, int avoid) {
  int best = maxint;
  for (int s = R.nextLiveSlot(x, 0); s != 0; s = R.nextLiveSlot(x, s))
    if (R.arcs[s].head != avoid) best = std::min(best, R.arcs[s].cost);
  return best;
}

// The bounded search of triangle2: a path u -> w that avoids the edge {u, w} and costs at most
// limit. Deleted slots are never used, so every path found exists in the graph as it is.
class DetourSearch {
public:
  explicit DetourSearch(const ReduceGraph& R)
      : R_(R), key_(static_cast<std::size_t>(R.V) + 1, 0), pred_(key_.size(), 0),
        seen_(key_.size(), 0), settled_(key_.size(), 0), marked_(key_.size(), 0),
        toW_(key_.size(), 0), heap_(R.V, key_) {}

  // The slots of the path found by the last successful find().
  const std::vector<int>& path() const { return path_; }

  bool find(int u, int w, std::int64_t limit, bool throughTerminals) {
    if (limit < 0) return false;
    const int cu = cheapestAvoiding(R_, u, w);
    const int cw = cheapestAvoiding(R_, w, u);
    if (cu == maxint || cw == maxint || std::int64_t{cu} + cw > limit) return false;
    ++test_;
    for (int t = R_.nextLiveSlot(w, 0); t != 0; t = R_.nextLiveSlot(w, t)) {
      const int y = R_.arcs[t].head;
      if (y == u || (!throughTerminals && R_.isReq[y])) continue;
      marked_[y] = test_;
      toW_[y] = R_.partner[t];
    }
    // Triangles first: they need no heap.
    for (int t = R_.nextLiveSlot(u, 0); t != 0; t = R_.nextLiveSlot(u, t)) {
      const int y = R_.arcs[t].head;
      if (marked_[y] == test_ && std::int64_t{R_.arcs[t].cost} + R_.arcs[toW_[y]].cost <= limit) {
        path_.assign({t, toW_[y]});
        return true;
      }
    }
    const std::int64_t budget = limit - cw;  // every path ends with an edge into w
    heap_.clearHeap();
    key_[u] = 0;
    pred_[u] = 0;
    seen_[u] = test_;
    settled_[w] = test_;
    heap_.heapInsert(u, 0);
    while (!heap_.empty()) {
      const int x = heap_.heapExtractMin();
      settled_[x] = test_;
      if (x != u && marked_[x] == test_ && std::int64_t{key_[x]} + R_.arcs[toW_[x]].cost <= limit) {
        path_.assign({toW_[x]});
        for (int v = x; v != u; v = R_.arcs[pred_[v]].tail) path_.push_back(pred_[v]);
        return true;
      }
      for (int t = R_.nextLiveSlot(x, 0); t != 0; t = R_.nextLiveSlot(x, t)) {
        const int y = R_.arcs[t].head;
        if (settled_[y] == test_ || (!throughTerminals && R_.isReq[y])) continue;
        const std::int64_t d = std::int64_t{key_[x]} + R_.arcs[t].cost;
        if (d > budget) continue;
        if (seen_[y] != test_) {
          seen_[y] = test_;
          pred_[y] = t;
          heap_.heapInsert(y, static_cast<int>(d));
        } else if (d < key_[y]) {
          pred_[y] = t;
          heap_.heapDecreaseKey(y, static_cast<int>(d));
        }
      }
    }
    return false;
  }

private:
  const ReduceGraph& R_;
  IntArray key_, pred_, seen_, settled_, marked_, toW_;
  IndexedHeap heap_;
  std::vector<int> path_;
  int test_ = 0;
};

// A non-terminal x that the deletion left with one or two edges leaves the graph; the slot of
// a merged edge is returned for re-testing (0 when none).
int eliminateVertex(ReduceGraph& R, TreeReroute& tree, int x) {
  if (R.isReq[x] || R.degree[x] == 0) return 0;
  const int d = liveDegree(R, x);
  if (d == 1) {
    tree.dropLeaf(x);
    R.deleteVertex(x);
    return 0;
  }
  if (d != 2) return 0;
  tree.dropLeaf(x);
  const int s1 = R.nextLiveSlot(x, 0);
  const int y1 = R.arcs[s1].head;
  const int y2 = R.arcs[R.nextLiveSlot(x, s1)].head;
  R.replaceVertex(x, false);
  for (int s = R.nextLiveSlot(y1, 0); s != 0; s = R.nextLiveSlot(y1, s))
    if (R.arcs[s].head == y2) return s;
  return 0;
}

// The stack mode: deletions at once, so every later test sees the graph as it now is.
int triangleStack(ReduceGraph& R, TreeReroute& tree, int minEdge, bool keepTies, int animate,
                  int& largestStack) {
  R.sortAdjacency();  // compact ranges: the eliminations below count live slots only
  if (!keepTies) {
    for (int v = 1; v <= R.V; ++v)
      if (!R.isReq[v] && R.degree[v] != 0 && liveDegree(R, v) == 1) {
        tree.dropLeaf(v);
        R.deleteVertex(v);
      }
  }
  DetourSearch search(R);
  std::vector<int> stack;
  int count = 0;
  auto testSlot = [&](int a) {
    if (a < 1 || a > 2 * R.E || R.delE[a]) return;
    const Arc arc = R.arcs[a];
    const int u = arc.tail, w = arc.head, c = arc.cost;
    if (c <= minEdge || liveDegree(R, u) < 2 || liveDegree(R, w) < 2) return;
    if (!search.find(u, w, keepTies ? std::int64_t{c} - 1 : c, true)) return;
    tree.reroute(a, search.path());
    R.deleteEdge(a);
    ++count;
    if (keepTies) return;
    for (int x : {u, w}) {
      const int merged = eliminateVertex(R, tree, x);
      if (merged != 0) stack.push_back(merged);
    }
    if (animate > 0) display(R);
    if (animate > 1) displayContinue();
  };
  const int slots = 2 * R.E;
  for (int s = 1; s <= slots; ++s) {
    if (s > 2 * R.E || R.delE[s] || R.partner[s] < s) continue;
    testSlot(s);
    while (!stack.empty()) {
      largestStack = std::max(largestStack, static_cast<int>(stack.size()));
      const int a = stack.back();
      stack.pop_back();
      testSlot(a);
    }
  }
  return count;
}

// The sorted mode: every vertex's edges in ascending cost, deleted lazily.
int triangleSorted(ReduceGraph& R, TreeReroute& tree, int minEdge, bool useReq, bool keepTies) {
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(2 * R.E));
  for (int v = 1; v <= R.V; ++v) {
    const auto first = order.size();
    for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) order.push_back(s);
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(first), order.end(),
                     [&R](int a, int b) { return R.arcs[a].cost < R.arcs[b].cost; });
  }
  DetourSearch search(R);
  int count = 0;
  for (int a : order) {
    if (R.delE[a]) continue;
    const Arc arc = R.arcs[a];
    const int u = arc.tail, w = arc.head, c = arc.cost;
    if (w <= u || c <= minEdge) continue;
    if (!useReq && (R.isReq[u] || R.isReq[w])) continue;
    if (liveDegree(R, u) < 2 || liveDegree(R, w) < 2) continue;
    if (!search.find(u, w, keepTies ? std::int64_t{c} - 1 : c, useReq)) continue;
    tree.reroute(a, search.path());
    deleteEdgeLazily(R, a);
    ++count;
  }
  return count;
}

}  // namespace

void triangle(ReduceGraph& R) {
  leaveOverflowMode(R);
  R.sortAdjacency();
  const bool allow = !R.upperOk || shell.Iget("allowDestroyUpper", 0) != 0;
  shell.Iget("preserveUpper", 0);  // the rerouted tree is offered anew, so its list is rebuilt
  TreeReroute tree(R, !allow);
  int count = 0;
  for (int u = 1; u <= R.V; ++u) {
    const int uEnd = R.firstArc[u] + R.degree[u];
    for (int s = R.firstArc[u]; s < uEnd; ++s) {
      if (R.delE[s]) continue;
      const int w = R.arcs[s].head;
      const std::int64_t c = R.arcs[s].cost;
      if (w < u || R.degree[w] == 0) continue;
      // Merge walk over the two ranges, sorted by neighbour; deleted slots are never a side,
      // so each deletion is proven in the graph as it stands.
      int i = R.firstArc[u], j = R.firstArc[w];
      const int wEnd = R.firstArc[w] + R.degree[w];
      while (i < uEnd && j < wEnd) {
        if (R.delE[i]) { ++i; continue; }
        if (R.delE[j]) { ++j; continue; }
        const int xi = R.arcs[i].head, xj = R.arcs[j].head;
        if (xi < xj) { ++i; continue; }
        if (xj < xi) { ++j; continue; }
        const std::int64_t c1 = R.arcs[i].cost, c2 = R.arcs[j].cost;
        const bool bySum = c1 + c2 <= c;
        const bool byTerminal = c1 <= c && c2 <= c && R.isReq[xi] && !R.isReq[u] && !R.isReq[w];
        if (bySum || byTerminal) {
          // Only a detour that costs no more than the edge can carry the tree.
          if (bySum) tree.reroute(s, {i, j});
          deleteEdgeLazily(R, s);
          ++count;
          break;
        }
        ++i;
        ++j;
      }
    }
  }
  tree.finish("triangle");
  log(3) << "removed vertices: " << count << "\n";
  R.compactEdges(nullptr);
}

void triangle2(ReduceGraph& R, bool keepTies) {
  leaveOverflowMode(R);
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  const bool stackMode = shell.Iget("bigtriangle", 1) != 0;
  const int animate = shell.Iget("triangleAnimate", 0);
  shell.echoLevel = echo == 3 ? 0 : echo;
  const int minEdge = shell.Iget("minEdge", 1);
  if (stackMode) {
    TreeReroute tree(R, true);
    int largestStack = 0;
    const int count = triangleStack(R, tree, minEdge, keepTies, animate, largestStack);
    tree.finish("triangle");
    log(3) << "triangle++: " << count << ",  " << "maxstack" << ":" << largestStack << ", " << "\n";
  } else {
    const bool allow = !R.upperOk || shell.Iget("allowDestroyUpper", 0) != 0;
    const bool useReq = shell.Iget("useReq", 1) != 0;
    shell.Iget("preserveUpper", 0);
    TreeReroute tree(R, !allow);
    const int count = triangleSorted(R, tree, minEdge, useReq, keepTies);
    tree.finish("triangle");
    log(3) << "triangle+: " << count << "\n";
  }
  R.compactEdges(nullptr);
}

}  // namespace tesmo
