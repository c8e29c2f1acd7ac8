#include "PartitionImprove.h"

#include "Check.h"
#include "DisplayHooks.h"
#include "Exact.h"
#include "Heap.h"
#include "LogStream.h"
#include "Random.h"
#include "ScopedVerbosity.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

void PartitionImprove::label(const ReduceGraph& R) {
  for (int v = 1; v <= R.V; ++v) {
    labels_[v] = 0;
    dist_[v] = maxint;
  }
  IndexedHeap heap(R.V, dist_);
  for (int k = 1; k <= bases_[0]; ++k) {
    const int t = R.terminals[bases_[k]];
    if (labels_[t] != 0) continue;  // a base listed twice
    labels_[t] = bases_[k];
    heap.heapInsert(t, 0);
  }
  int extracted = 0;
  while (!heap.empty() && extracted < R.Vanz) {
    const int u = heap.heapExtractMin();
    ++extracted;
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      const int h = R.arcs[s].head;
      const int d = static_cast<int>(std::min<std::int64_t>(std::int64_t{dist_[u]} + R.arcs[s].cost, maxint - 1));
      if (d >= dist_[h]) continue;
      labels_[h] = labels_[u];
      if (dist_[h] == maxint)
        heap.heapInsert(h, d);
      else
        heap.heapDecreaseKey(h, d);
    }
  }
}

bool PartitionImprove::improveRegion(ReduceGraph& R, int b, int round, int position) {
  int size = 0;
  for (int v = 1; v <= R.V; ++v) size += labels_[v] == b ? 1 : 0;
  int required = 0;
  for (int k = 1; k <= R.R; ++k) required += labels_[R.terminals[k]] == b ? 1 : 0;
  // A region of every live vertex would be the instance itself, and the branch and bound on it
  // would run this letter on it again without end: every nesting must shrink the instance.
  if (size > maxSize_ || size >= R.Vanz || required < minReqs_) return false;

  // The tree inside the region, the rest of it, and the places where the rest enters.
  std::int64_t oldComp = 0;
  std::int64_t restUpper = 0;
  rest_.assign(1, 0);
  restSets_.reset(R.V);
  regionTerminals_.assign(1, 0);
  next_.assign(2 * static_cast<std::size_t>(R.E) + 1, -1);
  int first = 0;
  int last = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || R.arcs[s].tail > R.arcs[s].head) continue;
    const Arc& a = R.arcs[s];
    const bool inside = labels_[a.tail] == b && labels_[a.head] == b;
    const bool inTree = R.upperOk && R.inTree[R.ID[s]];
    if (inTree && inside) oldComp += a.cost;
    if (inTree && !inside) {
      restUpper += a.cost;
      rest_.push_back(s);
      ++rest_[0];
      restSets_.join(a.tail, a.head);
      for (int v : {a.tail, a.head})
        if (labels_[v] == b && !R.isReq[v] &&
            std::find(regionTerminals_.begin() + 1, regionTerminals_.end(), v) == regionTerminals_.end()) {
          regionTerminals_.push_back(v);
          ++regionTerminals_[0];
        }
    }
    if (inside) {
      next_[s] = 0;
      if (last == 0) first = s; else next_[last] = s;
      last = s;
    }
  }
  if (first == 0) return false;

  ReduceGraph sub = ReduceGraph::graphFromSolution(R, first, next_, true, true);
  sub.clearUpper();
  sub.lowerValue = 0;
  for (int k = 1; k <= regionTerminals_[0]; ++k) sub.addTerminal(regionTerminals_[k]);
  sub.deleteUnreachable();
  log(3) << round << ". round, " << position << ". component:  |V|= " << sub.Vanz << ", |E|=" << sub.Eanz << "\n\n";

  // Terminals the rest already joins are merged by edges of cost 0, contracted at once.
  order_.assign(1, 0);
  for (int k = 1; k <= sub.R; ++k) order_.push_back(sub.terminals[k]);
  order_[0] = sub.R;
  roots_.assign(static_cast<std::size_t>(R.V) + 1, 0);
  for (int k = 1; k <= order_[0]; ++k) roots_[order_[k]] = restSets_.find(order_[k]);
  std::stable_sort(order_.begin() + 1, order_.end(), [&](int x, int y) { return roots_[x] < roots_[y]; });
  int merged = 0;
  for (int k = 2; k <= order_[0]; ++k)
    if (roots_[order_[k]] == roots_[order_[k - 1]]) {
      if (sub.addEdge(Arc{order_[k - 1], order_[k], 0}, 0, 0) == 0) return false;  // no room
      ++merged;
    }
  if (merged > 0) {
    if (sub.overflowMode) sub.rebuildAdjacency();
    for (int k = 2; k <= order_[0]; ++k) {
      if (roots_[order_[k]] != roots_[order_[k - 1]]) continue;
      for (int s = sub.nextLiveSlot(order_[k - 1], 0); s != 0; s = sub.nextLiveSlot(order_[k - 1], s))
        if (sub.arcs[s].head == order_[k] && sub.arcs[s].cost == 0) {
          sub.addPendingContraction(s);
          break;
        }
    }
    sub.updateContract(nullptr, true);
  } else {
    // Nothing outside joins two of the region's terminals, so the tree's part inside joins them
    // all: its cost bounds the region's optimum, without being a tree of the region instance.
    sub.upperValue = static_cast<int>(std::min<std::int64_t>(oldComp + sub.contractCost, maxint));
    sub.upperValueValid = 0;
  }
  if (sub.R < 2) return false;

  ++solved_;
  largest_ = std::max(largest_, size);
  {
    ScopedVerbosity scope;
    if (shell.Iget("quietComponent", 1) != 0) verbose = 2;
    displaySubproblem(1);
    branching(sub, maxint);
    displaySubproblem(0);
  }
  if (!sub.upperOk) return false;  // a time-out before any tree
  const std::int64_t g = sub.reconstructSolution(R);
  std::int64_t check = 0;
  for (int k = 1; k <= solutionList[0]; ++k) {
    rest_.push_back(solutionList[k]);
    ++rest_[0];
    check += R.arcs[solutionList[k]].cost;
  }
  if (g != check) exitWithWarning("g != checkUpper", __LINE__, "improveUpper", R.warningDump());
  const std::int64_t comp = std::int64_t{sub.upperValue} - sub.contractCost;
  log(3) << "compUpper" << ":" << comp << ", " << "oldCompUpper" << ":" << oldComp << ", "
         << "restUpper" << ":" << restUpper << ", " << "G->contractCost" << ":" << R.contractCost
         << ", \n\n\n";
  if (comp > oldComp) exitWithWarning("compUpper > oldCompUpper", __LINE__, "improveUpper", R.warningDump());
  if (comp >= oldComp) return false;
  R.setUpper(rest_, "partition", 0);
  log(3) << "***************************************\n\n";
  return true;
}

void PartitionImprove::run(ReduceGraph& R) {
  rounds_ = solved_ = largest_ = 0;
  if (!R.upperOk) {
    log(3) << "no upper available -> no improvement possible\n";
    return;
  }
  if (R.R < 1) return;
  const int start = R.upperValue;
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  maxSize_ = shell.Iget("maxSize", std::min(std::max(R.V / 3, 200), R.V / 2));
  minReqs_ = shell.Iget("minReqs", 2);
  const int numberOfBases = std::max(1, shell.Iget("numberOfBases", std::max(4, R.R / 200)));
  shell.echoLevel = echo == 3 ? 0 : echo;
  log(3) << "\n";
  const std::size_t n = static_cast<std::size_t>(R.V) + 1;
  labels_.assign(n, 0);
  dist_.assign(n, 0);
  bases_.assign(static_cast<std::size_t>(numberOfBases) + 1, 0);

  for (bool improved = true; improved;) {
    improved = false;
    ++rounds_;
    int r = randomNumber(R.R);
    bases_[0] = 0;
    for (int k = 0; k < numberOfBases; ++k) {
      bases_[++bases_[0]] = r;
      r = (r + R.R / numberOfBases) % R.R + 1;
    }
    log(3) << "\n-------- improveUpper (by partition): " << rounds_ << ". round ---------\n" << "bases: ";
    for (int k = 1; k <= bases_[0]; ++k) log(3) << bases_[k] << " ";
    log(3) << "\n\n";
    label(R);
    for (int k = 1; k <= bases_[0]; ++k) {
      if (!R.upperOk) break;
      if (improveRegion(R, bases_[k], rounds_, k)) improved = true;
    }
  }
  log(3) << "final upper: " << R.upperValue << "  (original upper: " << start << ")\n" << "\n";
}

void partitionImprove(ReduceGraph& R) {
  PartitionImprove improve;
  improve.run(R);
}

}  // namespace tesmo
