#include "Dnh.h"

#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"
#include "SlotView.h"
#include "TreeCompletion.h"

#include <algorithm>
#include <vector>

namespace tesmo {

namespace {

void offerCompleted(ReduceGraph& R, const std::vector<unsigned char>& flagged, const char* label, bool logWeights) {
  const SlotView view(R);
  TreeCompletion completion(R.V);
  IntArray required(R.V + 1, 0);
  for (int k = 1; k <= R.R; ++k) required[R.terminals[k]] = 1;
  if (solutionList.empty()) solutionList.assign(1, 0);
  if (!completion.run(view, flagged.data(), required.data(), R.R)) {
    // Only a tree of this call is offered; an unconnected one is none.
    solutionList[0] = 0;
    if (R.R > 1) return;
  } else {
    completion.writeSlots(solutionList);
    if (logWeights)
      log(4) << "dnh: " << completion.mstWeight() << "-" << completion.prunedWeight() << " = "
             << completion.weight() << "\n";
  }
  R.setUpper(solutionList, label, 1);
}

void dnhSimple(ReduceGraph& R) {
  R.computeVoronoiRegions(maxint);
  R.generalizedMstUpper(0);
  std::vector<unsigned char> flagged(R.V + 1, 0);
  for (int v = 1; v <= R.V; ++v) flagged[v] = R.vertexValue[v] != 0 || R.isReq[v] != 0;
  offerCompleted(R, flagged, "DNH (simple)", false);
}

void dnhFull(ReduceGraph& R) {
  R.computeVoronoiRegions(maxint);
  const int T = R.R;
  std::vector<unsigned char> flagged(R.V + 1, 0);
  for (int k = 1; k <= T; ++k) flagged[R.terminals[k]] = 1;
  // The links incident to each terminal index.
  std::vector<int> start(T + 2, 0);
  for (int l = 1; l <= R.linkCount; ++l) ++start[R.regionLinks[l].a], ++start[R.regionLinks[l].b];
  for (int k = 1; k <= T + 1; ++k) start[k] += start[k - 1];
  std::vector<int> incident(start[T] + 1, 0);
  std::vector<int> fill(start.begin(), start.end());
  for (int l = 1; l <= R.linkCount; ++l) {
    incident[--fill[R.regionLinks[l].a]] = l;
    incident[--fill[R.regionLinks[l].b]] = l;
  }
  // fill[k]..start[k]-1 are now k's links, in descending link order; read them backwards.
  IntArray key(T + 1, maxint);
  IntArray via(T + 1, 0);
  std::vector<unsigned char> done(T + 1, 0);
  IndexedHeap heap(T, key);
  heap.heapInsert(1, 0);
  const int* pred = R.nearPred[1];
  auto walk = [&](int v) {
    while (v != 0 && !flagged[v]) {
      flagged[v] = 1;
      log(4) << v << ", ";
      v = pred[v];
    }
  };
  std::vector<int> changed;
  for (int round = 0; round < T; ++round) {
    const int k = heap.heapExtractMin();
    if (k < 0) break;
    done[k] = 1;
    if (via[k] != 0) {
      const int l = via[k];
      log(4) << k << " " << "(" << R.regionLinks[l].a << "-" << R.regionLinks[l].b << ")" << "  ";
      const int s = R.linkSlot[l];
      walk(R.arcs[s].head);
      walk(R.arcs[s].tail);
      log(4) << "\n";
    } else {
      log(4) << k << "\n";
    }
    changed.clear();
    for (int i = start[k] - 1; i >= fill[k]; --i) {
      const int l = incident[i];
      const int other = R.regionLinks[l].a == k ? R.regionLinks[l].b : R.regionLinks[l].a;
      if (done[other] || R.regionLinks[l].length >= key[other]) continue;
      if (std::find(changed.begin(), changed.end(), other) == changed.end()) changed.push_back(other);
      via[other] = l;
      key[other] = R.regionLinks[l].length;
    }
    for (int other : changed) {
      const int length = key[other];
      if (heap.position(other) != 0)
        heap.heapDecreaseKey(other, length);
      else
        heap.heapInsert(other, length);
    }
  }
  offerCompleted(R, flagged, "dnh", true);
}

}  // namespace

void dnh(ReduceGraph& R) {
  if (R.R < 1) return;
  if (shell.Iget("dnhSimple", 1) != 0)
    dnhSimple(R);
  else
    dnhFull(R);
}

}  // namespace tesmo
