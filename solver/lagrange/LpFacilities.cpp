// Two facilities of the LP module that no letter calls: a contraction of terminal-terminal
// edges and a timing comparison of adjacency walks.

#include "LpFiles.h"

#include "Heap.h"
#include "LiveEdgeIterator.h"
#include "LogStream.h"
#include "RunTimer.h"
#include "UnionFind.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

int contractTerminalEdges(ReduceGraph& R) {
  if (R.R < 2) {
    log(3) << "Contract: " << 0 << "\n";
    return 0;
  }
  // A group's recorded cost is the cheapest edge of any member, so an edge leaving the group at
  // most that cost is a cheapest edge out of the group and lies on some optimal tree.
  IntArray cheapest(static_cast<std::size_t>(R.R) + 1, maxint);
  for (int k = 1; k <= R.R; ++k) {
    const int t = R.terminals[k];
    for (int s = R.nextLiveSlot(t, 0); s != 0; s = R.nextLiveSlot(t, s))
      cheapest[k] = std::min(cheapest[k], R.arcs[s].cost);
  }
  UnionFind groups(R.R);
  int contracted = 0;
  for (int k = 1; k <= R.R; ++k) {
    const int t = R.terminals[k];
    for (int a = R.nextLiveSlot(t, 0); a != 0; a = R.nextLiveSlot(t, a)) {
      const int other = R.isReq[R.arcs[a].head];
      if (other == 0) continue;
      const int mine = groups.find(k), theirs = groups.find(other);
      if (mine == theirs || R.arcs[a].cost > cheapest[mine]) continue;
      if (R.upperOk && !R.inTree[R.ID[a]]) R.destroyUpper();
      R.addPendingContraction(a);
      ++contracted;
      const int cost = std::min(cheapest[mine], cheapest[theirs]);
      groups.join(mine, theirs);
      cheapest[groups.find(k)] = cost;
    }
  }
  log(3) << "Contract: " << contracted << "\n";
  if (contracted > 0) R.updateContract(nullptr, true);
  return contracted;
}

std::array<int, 3> adjacencyTimingTest(ReduceGraph& R) {
  log(3) << "G->upperOk" << ":" << R.upperOk << ", ";
  runTimer.printProgress(3);
  std::array<int, 3> counts{0, 0, 0};
  if (R.R < 1 || R.V < 1) return counts;
  IntArray dist(static_cast<std::size_t>(R.V) + 1, maxint);
  IntArray done(static_cast<std::size_t>(R.V) + 1, 0);
  IndexedHeap heap(R.V, dist);
  const bool tree = R.upperOk != 0;
  static const char* const labels[3] = {"Version with ed: ", "Version with ep: ", "Version with rec: "};
  for (int version = 0; version < 3; ++version) {
    log(3) << labels[version];
    int improved = 0;
    for (int run = 0; run < 100; ++run) {
      std::fill(dist.begin(), dist.end(), maxint);
      std::fill(done.begin(), done.end(), 0);
      heap.clearHeap();
      heap.heapInsert(R.terminals[1], 0);
      auto relax = [&](int v, const Arc& arc, int slot) {
        const int w = arc.head;
        if (done[w]) return;
        // Saturated: a path longer than maxint is no shorter than none.
        const int d = static_cast<int>(std::min<std::int64_t>(maxint, std::int64_t{dist[v]} + arc.cost));
        if (d >= dist[w]) return;
        if (tree && R.inTree[R.ID[slot]]) ++improved;
        if (dist[w] == maxint) heap.heapInsert(w, d);  // not reached before in this run
        else heap.heapDecreaseKey(w, d);
      };
      while (!heap.empty()) {
        const int v = heap.heapExtractMin();
        done[v] = 1;
        if (version == 0) {
          for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) relax(v, R.arcs[s], s);
        } else if (version == 1) {
          LiveEdgeIterator it(R, v);
          while (nextLiveEdge(R, it))
            if (!R.delE[it.slot]) relax(v, *it.arc, it.slot);
        } else {
          for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
            const Arc record = R.arcs[s];
            relax(v, record, s);
          }
        }
      }
    }
    counts[version] = improved;
    log(3) << "   " << improved << "  ";
    runTimer.printProgress(3);
  }
  return counts;
}

}  // namespace tesmo
