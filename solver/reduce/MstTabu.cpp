#include "MstTabu.h"

#include "LogStream.h"
#include "ScriptLetters.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

MstTabu::MstTabu(const ReduceGraph& R)
    : R_(R), inSet_(R.V + 1, 1), fixed_(R.V + 1, 0), taken_(R.V + 1, 0), tabuUntil_(R.V + 1, 0),
      key_(R.V + 1, maxint), pred_(R.V + 1, 0), children_(R.V + 1, 0), order_(R.V + 1, 0), heap_(R.V, key_) {
  for (int k = 1; k <= R.R; ++k) fixed_[R.terminals[k]] = 1;
}

std::int64_t MstTabu::evaluate() {
  const ReduceGraph& R = R_;
  int count = 0;
  for (int v = 1; v <= R.V; ++v) {
    count += inSet_[v];
    taken_[v] = 0;
    key_[v] = maxint;
    children_[v] = 0;
  }
  heap_.clearHeap();
  const int root = R.terminals[1];
  pred_[root] = root;
  heap_.heapInsert(root, 0);
  std::int64_t mst = 0;
  int taken = 0;
  while (taken < count) {
    const int u = heap_.heapExtractMin();
    if (u < 0) return maxint;  // the set is not connected
    taken_[u] = 1;
    order_[++taken] = u;
    mst += key_[u];
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      const Arc& a = R.arcs[s];
      const int w = a.head;
      if (!inSet_[w] || taken_[w] || a.cost >= key_[w]) continue;
      const bool inHeap = key_[w] < maxint;
      pred_[w] = u;
      if (inHeap)
        heap_.heapDecreaseKey(w, a.cost);
      else
        heap_.heapInsert(w, a.cost);
    }
  }
  for (int i = 2; i <= taken; ++i) ++children_[pred_[order_[i]]];
  std::sort(order_.begin() + 1, order_.begin() + taken + 1);
  std::int64_t pruned = 0;
  for (int i = 1; i <= taken; ++i) {
    int v = order_[i];
    while (v != root && !fixed_[v] && children_[v] == 0) {
      pruned += key_[v];
      children_[v] = -1;
      v = pred_[v];
      --children_[v];
    }
  }
  return mst - pruned;
}

std::int64_t MstTabu::run() {
  const ReduceGraph& R = R_;
  const int iterations = shell.Iget("iterations", 1);
  log(3) << "iterations: " << iterations << "\n";
  const int tabuSize = shell.Iget("tabuSize", 10);
  log(3) << "tabuSize: " << tabuSize << "\n";
  log(3) << "\n\n";
  const int req = shell.Iget("Req", 10);
  log(3) << "Req: " << req << "\n";
  if (req >= 1 && req <= R.V) fixed_[req] = 1;

  std::int64_t bestOfAll = maxint;
  for (int i = 1; i <= iterations && R.R > 0; ++i) {
    int bestMove = 0;
    std::int64_t bestWeight = maxint;
    for (int v = 1; v <= R.V; ++v) {
      if (fixed_[v] || !R.hasLiveSlot(v) || tabuUntil_[v] > i) continue;
      inSet_[v] ^= 1;
      const std::int64_t value = evaluate();
      if (value < bestWeight) bestWeight = value, bestMove = v;
      inSet_[v] ^= 1;
    }
    log(3) << "best Weight: " << bestWeight << "\n";
    if (bestMove != 0) {
      inSet_[bestMove] ^= 1;
      tabuUntil_[bestMove] = i + tabuSize;
    }
    bestOfAll = std::min(bestOfAll, bestWeight);
  }
  log(2) << "\n\n\n\n\n Best of all: " << bestOfAll << "\n";
  return bestOfAll;
}

void mstHeuristic(ReduceGraph& R) { MstTabu(R).run(); }

void registerTabuLetters() { ScriptLetters::registerLetter('U', "mstHeuristic(&R)", mstHeuristic); }

}  // namespace tesmo
