// Export of the reduction instance to a plain Graph.

#include "ReduceGraph.h"

#include "LogStream.h"

#include <algorithm>

namespace tesmo {

int ReduceGraph::liveNumbering(IntArray& newNumber) const {
  newNumber.assign(static_cast<std::size_t>(V) + 2, 0);
  int n = 0;
  for (int v = 1; v <= V; ++v)
    if (isReq[v] != 0 || liveSlotCount(v) > 0) newNumber[v] = ++n;
  return n;
}

std::unique_ptr<Graph> ReduceGraph::toGraph() const {
  auto g = std::make_unique<Graph>();
  IntArray newNumber;
  g->V = liveNumbering(newNumber);
  g->R = R;
  g->terminals.assign(static_cast<std::size_t>(R) + 1, 0);
  for (int k = 1; k <= R; ++k) g->terminals[k] = newNumber[terminals[k]];
  g->contractCost = contractCost;
  g->IDcount = IDcount;
  g->mergeHistory.assign(mergeHistory.begin(), mergeHistory.begin() + mergeHistory[0] + 1);
  g->contractID.assign(contractID.begin(), contractID.begin() + contractID[0] + 1);

  int live = 0;
  for (int s = 1; s <= 2 * E; ++s)
    if (!delE[s]) ++live;
  g->E = live / 2;
  g->degree.assign(static_cast<std::size_t>(g->V) + 1, 0);
  g->firstArc.assign(static_cast<std::size_t>(g->V) + 2, 0);
  g->arcs.assign(static_cast<std::size_t>(live) + 1, Arc{});
  g->ID.assign(static_cast<std::size_t>(live) + 1, 0);
  g->maxCost = 0;
  int k = 0;
  for (int s = 1; s <= 2 * E; ++s) {
    if (delE[s]) continue;
    const int t = newNumber[arcs[s].tail];
    g->arcs[++k] = Arc{t, newNumber[arcs[s].head], arcs[s].cost};
    g->ID[k] = ID[s];
    ++g->degree[t];
    if (g->firstArc[t] == 0) g->firstArc[t] = k;
    g->maxCost = std::max(g->maxCost, arcs[s].cost);
  }
  for (int v = 1; v <= g->V; ++v)
    if (g->firstArc[v] == 0) g->firstArc[v] = k + 1;
  g->firstArc[g->V + 1] = k + 1;

  log(2) << "Graph: |V|=" << g->V << ", |E|=" << g->E << ", |R|=" << g->R
         << ", contracted: " << contractCost;
  if (upperValue < maxint) log(2) << ", bestUpper: " << upperValue;
  if (lowerValue != 0) log(2) << ", bestLower: " << lowerValue;
  log(2) << std::endl;
  return g;
}

std::unique_ptr<Graph> ReduceGraph::toGraphWithTree(IntArray& solution) const {
  auto g = toGraph();
  g->solutionAsIDs = true;
  const int count = upperValue < maxint ? upperTree[0] : 0;
  // Only the contractions made before the tree was stored belong to it.
  g->contractID[0] = std::min(upperTree[count + 1], g->contractID[0]);
  if (solution.size() < static_cast<std::size_t>(count) + 2) solution.resize(count + 2, 0);
  solution[0] = count;
  for (int i = 1; i <= count; ++i) solution[i] = upperTree[i];
  return g;
}

}  // namespace tesmo
