#include "PrimMstPrune.h"

#include "Heap.h"
#include "LogStream.h"

#include <vector>

namespace tesmo {

std::int64_t primMstPrune(const Graph& g, const IntArray& allowed, const IntArray& required) {
  const int V = g.V;
  if (solutionList.empty()) solutionList.assign(1, 0);
  solutionList[0] = 0;
  if (g.R < 1 || V < 1) return 0;

  IntArray key(V + 1, 0);
  IntArray pred(V + 1, 0);        // arc from the parent; 0 for the root
  std::vector<char> state(V + 1, 0);  // 0 unseen, 1 in the heap, 2 in the tree
  std::vector<int> order;             // tree vertices in the order they were reached
  order.reserve(V);
  IndexedHeap heap(V, key);

  int requiredLeft = 0;
  for (int v = 1; v <= V; ++v)
    if (required[v]) ++requiredLeft;

  const int root = g.terminals[1];
  heap.heapInsert(root, 0);
  state[root] = 1;
  std::int64_t mstWeight = 0;
  while (requiredLeft > 0) {
    const int u = heap.heapExtractMin();
    if (u < 0) {
      log(1) << "Not Connected!" << std::endl;
      return maxint;
    }
    state[u] = 2;
    order.push_back(u);
    if (pred[u]) mstWeight += g.arcs[pred[u]].cost;
    if (required[u]) --requiredLeft;
    const int end = g.firstArc[u] + g.degree[u];
    for (int a = g.firstArc[u]; a < end; ++a) {
      const Arc& arc = g.arcs[a];
      const int h = arc.head;
      if (!allowed[h] || state[h] == 2) continue;
      if (state[h] == 0) {
        state[h] = 1;
        pred[h] = a;
        heap.heapInsert(h, arc.cost);
      } else if (arc.cost < key[h]) {
        pred[h] = a;
        heap.heapDecreaseKey(h, arc.cost);
      }
    }
  }

  // Strip leaves that need not be reached, repeatedly. An edge is alive while its child keeps
  // its parent arc; a leaf whose parent arc is gone (the root, or a vertex left behind) drops
  // its one remaining child edge instead.
  IntArray treeDegree(V + 1, 0);
  std::vector<char> parentAlive(V + 1, 0);
  for (int v : order)
    if (pred[v]) {
      parentAlive[v] = 1;
      ++treeDegree[v];
      ++treeDegree[g.arcs[pred[v]].tail];
    }
  std::vector<int> leaves;
  for (int v : order)
    if (treeDegree[v] == 1 && !required[v]) leaves.push_back(v);
  while (!leaves.empty()) {
    const int v = leaves.back();
    leaves.pop_back();
    if (treeDegree[v] != 1) continue;
    int other = 0;
    if (parentAlive[v]) {
      parentAlive[v] = 0;
      other = g.arcs[pred[v]].tail;
    } else {
      const int end = g.firstArc[v] + g.degree[v];
      for (int a = g.firstArc[v]; a < end && !other; ++a) {
        const int h = g.arcs[a].head;
        if (state[h] == 2 && pred[h] == a && parentAlive[h]) {
          parentAlive[h] = 0;
          other = h;
        }
      }
    }
    treeDegree[v] = 0;
    if (other && --treeDegree[other] == 1 && !required[other]) leaves.push_back(other);
  }

  std::int64_t prunedWeight = 0;
  int count = 0;
  if (solutionList.size() < order.size() + 1) solutionList.resize(order.size() + 1);
  for (int v : order)
    if (parentAlive[v]) {
      solutionList[++count] = pred[v];
      prunedWeight += g.arcs[pred[v]].cost;
    }
  solutionList[0] = count;
  log(3) << "MST: " << mstWeight << " Pruned: " << prunedWeight << std::endl;
  return prunedWeight;
}

}  // namespace tesmo
