#include "Tm3Brasil.h"

#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"
#include "SlotView.h"
#include "TreeCompletion.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

void tm3_brasil(ReduceGraph& R) {
  shell.echoLevel = 3;
  const int iterations = shell.Iget("tmIterations", 10);
  shell.echoLevel = 0;
  const int V = R.V;
  const SlotView view(R);
  IntArray dist(V + 1, maxint);  // best distance so far; in the heap while its position is set
  IntArray viaSlot(V + 1, 0);     // slot that last improved the vertex
  IntArray termIndex(V + 1, 0);
  for (int k = 1; k <= R.R; ++k) termIndex[R.terminals[k]] = k;
  std::vector<unsigned char> inTree(V + 1, 0);
  IndexedHeap heap(V, dist);
  TreeCompletion completion(V);
  std::int64_t best = maxint;
  bool stored = false;
  auto enter = [&](int w, int key) {
    if (heap.position(w) != 0)
      heap.heapChangeKey(w, key);
    else
      heap.heapInsert(w, key);
  };

  for (int i = 1; i <= iterations && i <= V; ++i) {
    const int start = i <= R.R ? R.terminals[i] : i;
    if (i > R.R && (!view.hasEdges(start) || termIndex[start])) continue;
    while (!heap.empty()) heap.heapExtractMin();
    std::fill(dist.begin(), dist.end(), maxint);
    std::fill(inTree.begin(), inTree.end(), 0);
    inTree[start] = 1;
    enter(start, 0);
    int toConnect = R.R - (termIndex[start] ? 1 : 0);
    std::int64_t pathSum = 0;
    while (toConnect > 0) {
      const int u = heap.heapExtractMin();
      if (u < 0) break;  // the rest cannot be reached: the tree is discarded
      if (termIndex[u] && !inTree[u]) {
        // The path back to the tree joins it; its vertices search on from distance 0.
        --toConnect;
        int w = u;
        while (!inTree[w]) {
          inTree[w] = 1;
          const int s = viaSlot[w];
          pathSum += R.arcs[s].cost;
          log(6) << R.arcs[s];
          enter(w, 0);
          w = R.arcs[s].tail;
        }
        log(6) << "\n";
        log(5) << "T: " << w << " --> " << u << "(" << termIndex[u] << ")\n";
        continue;
      }
      const int du = dist[u];
      view.forEach(u, [&](int s, const Arc& a) {
        const std::int64_t nd = static_cast<std::int64_t>(du) + a.cost;
        const int w = a.head;
        if (nd >= dist[w]) return;
        enter(w, static_cast<int>(nd));
        viaSlot[w] = s;
      });
    }
    if (toConnect > 0) continue;
    if (!completion.run(view, inTree.data(), termIndex.data(), R.R)) continue;
    const std::int64_t w = completion.weight();
    if (w < best) {
      log(3) << "Success with source: " << start << " ; weight: " << pathSum << " -> " << completion.mstWeight()
             << "-" << completion.prunedWeight() << " = " << w << "\n";
      best = w;
      completion.writeSlots(solutionList);
      stored = true;
    } else {
      log(4) << "weight: (" << start << "): " << pathSum << " -> " << completion.mstWeight() << "-"
             << completion.prunedWeight() << " = " << w << "\n";
    }
  }
  // Only a tree of this call is offered.
  if (!stored) {
    if (solutionList.empty()) solutionList.assign(1, 0);
    solutionList[0] = 0;
    if (R.R > 1) return;
  }
  R.setUpper(solutionList, "tm3_brasil", 1);
}

}  // namespace tesmo
