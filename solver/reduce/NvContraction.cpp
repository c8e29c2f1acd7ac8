#include "NvContraction.h"

#include "Arc.h"
#include "Heap.h"
#include "LiveEdgeIterator.h"
#include "LogStream.h"
#include "Shell.h"
#include "UnionFind.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tesmo {

void nv(ReduceGraph& R) {
  const bool useUpper = shell.Iget("nvUseUpper", 1) != 0;
  bool allow = shell.Iget("allowDestroyUpper", 1) != 0;
  if (!R.upperOk && shell.Iget("preserveUpper", 0) == 0) allow = true;
  // nvHype would accept a shortest link equal to the second cheapest boundary edge. Each such
  // contraction keeps some optimal tree, but several of them in one call need not keep one
  // tree together, so the equality is never used and the option changes nothing.
  shell.Iget("nvHype", 0);

  const int V = R.V;
  const int T = R.R;
  const std::size_t vertices = static_cast<std::size_t>(V) + 1;
  const std::size_t terminals = static_cast<std::size_t>(T) + 1;
  IntArray dist(vertices, maxint), pred(vertices, 0), base(vertices, 0);
  IntArray best1(terminals, 0), best2(terminals, 0), nearLink(terminals, maxint);
  IntArray link1Slot(terminals, 0), linkLen(terminals, maxint);
  const Arc none{0, 0, maxint};
  std::vector<Arc> link1(terminals, none), link2(terminals, none);
  IntArray sets(vertices, 0);
  IndexedHeap heap(V, dist);

  auto treeEdge = [&R](int s) { return R.upperOk && R.inTree[R.ID[s]]; };
  // A tie is won by s only when it is an edge of the stored tree (and nvUseUpper is set).
  auto beats = [&](std::int64_t value, std::int64_t old, int s) {
    return value < old || (value == old && useUpper && treeEdge(s));
  };
  auto slotCost = [&R](int s) { return s == 0 ? maxint : R.arcs[s].cost; };

  log(4) << "Determining the Voronoi regions und the links between them\n";
  for (int v = 1; v <= V; ++v) {
    if (R.isReq[v] == 0 || !R.hasLiveSlot(v)) continue;
    pred[v] = -v;
    base[v] = v;
    heap.heapInsert(v, 0);
  }
  for (int settled = 0; settled < R.Vanz; ++settled) {
    const int v = heap.heapExtractMin();
    if (v < 0) {
      log(4) << "empty PQ \n";
      break;
    }
    pred[v] = -pred[v];
    base[v] = base[pred[v]];
    const bool terminal = R.isReq[v] != 0;
    // The part of a region reached through its terminal's cheapest edge carries a negative base.
    if (!terminal) {
      const int own = best1[R.isReq[std::abs(base[v])]];
      if (own != 0 && R.arcs[own].head == v) base[v] = -base[v];
    }
    const int kOwn = terminal ? R.isReq[v] : 0;
    LiveEdgeIterator it(R, v);
    while (nextLiveEdge(R, it)) {
      const int s = it.slot;
      if (R.delE[s]) continue;
      const int x = it.arc->head;
      const int c = it.arc->cost;
      if (terminal) {
        const int m1 = slotCost(best1[kOwn]), m2 = slotCost(best2[kOwn]);
        const bool xTerminal = R.isReq[x] != 0;
        if (c < m2 || (c == m1 && xTerminal)) {
          if (c < m1 || (c == m1 && (xTerminal || (useUpper && treeEdge(s))))) {
            best2[kOwn] = best1[kOwn];
            best1[kOwn] = s;
          } else {
            best2[kOwn] = s;
          }
        }
      }
      if (pred[x] <= 0) {
        const std::int64_t d = std::int64_t{dist[v]} + c;
        if (d < dist[x]) {
          if (pred[x] == 0)
            heap.heapInsert(x, static_cast<int>(d));
          else
            heap.heapDecreaseKey(x, static_cast<int>(d));
          pred[x] = -v;
        }
      } else if (std::abs(base[v]) != std::abs(base[x])) {
        const std::int64_t L = std::int64_t{dist[x]} + dist[v] + c;
        const int kv = R.isReq[std::abs(base[v])], kx = R.isReq[std::abs(base[x])];
        if (base[v] < 0 && beats(L, nearLink[kv], s)) nearLink[kv] = static_cast<int>(L);
        if (base[x] < 0 && beats(L, nearLink[kx], s)) nearLink[kx] = static_cast<int>(L);
        for (int k : {kv, kx}) {
          if (c >= link2[k].cost) continue;
          if (beats(c, link1[k].cost, s)) {
            link2[k] = link1[k];
            link1[k] = Arc{v, x, c};
            link1Slot[k] = s;
          } else {
            link2[k] = Arc{v, x, c};
          }
        }
        for (int k : {kv, kx})
          if (beats(L, linkLen[k], s)) linkLen[k] = static_cast<int>(L);
      }
    }
  }

  int nvCount = 0, slCount = 0, vrCount = 0;
  // Contracts s unless its ends are already joined by queued contractions (no cycle is queued).
  auto take = [&](int s) {
    if (!unionFindJoin(R.arcs[s].tail, R.arcs[s].head, true, sets)) return false;
    if (R.upperOk && !R.inTree[R.ID[s]]) R.destroyUpper();
    R.addPendingContraction(s);
    return true;
  };
  for (int k = 1; k <= T; ++k) {
    const int z = R.terminals[k];
    const int s1 = best1[k];
    if (s1 != 0 && !R.delE[s1] && (allow || treeEdge(s1))) {
      const int x = R.arcs[s1].head;
      const std::int64_t c1 = R.arcs[s1].cost, c2 = slotCost(best2[k]);
      if (std::abs(base[x]) == z) {
        if (nearLink[k] <= c2 && take(s1)) ++slCount;
      } else if (pred[x] > 0 && c1 + dist[x] <= c2 && take(s1)) {
        ++nvCount;
      }
    }
    const int l = link1Slot[k];
    if (l != 0 && !R.delE[l] && (allow || treeEdge(l))) {
      if (linkLen[k] < link2[k].cost && take(l)) ++vrCount;
    }
  }
  log(3) << "contracted: " << nvCount << "(NV) + " << slCount << "(SL) + " << vrCount
         << "(VR) = " << (nvCount + slCount + vrCount) << "\n";
  R.updateContract(nullptr, true);
}

}  // namespace tesmo
