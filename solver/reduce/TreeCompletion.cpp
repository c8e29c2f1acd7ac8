#include "TreeCompletion.h"

#include <algorithm>
#include <ostream>

namespace tesmo {

std::int64_t TreeCompletion::emptyHeaps_ = 0;

void TreeCompletion::reportEmptyHeaps(std::ostream& out) {
  if (emptyHeaps_ == 0) return;
  out << "empty PQ (" << emptyHeaps_ << (emptyHeaps_ == 1 ? " time)\n" : " times)\n");
  emptyHeaps_ = 0;
}

TreeCompletion::TreeCompletion(int vertexCount)
    : V_(vertexCount), key_(vertexCount + 1, maxint), pred_(vertexCount + 1, 0),
      predSlot_(vertexCount + 1, 0), children_(vertexCount + 1, 0), taken_(vertexCount + 1, 0),
      heap_(vertexCount, key_) {}

bool TreeCompletion::run(const SlotView& view, const unsigned char* flagged, const int* required,
                         int requiredCount, int root) {
  const Graph& g = view.graph();
  required_ = required;
  mst_ = pruned_ = 0;
  // Only the vertices of the previous run carry state.
  for (int i = 1; i <= takenCount_; ++i) {
    const int v = taken_[i];
    pred_[v] = children_[v] = 0;
    key_[v] = maxint;
  }
  takenCount_ = 0;
  if (g.R < 1) return true;

  root_ = root != 0 ? root : g.terminals[1];
  pred_[root_] = -root_;
  predSlot_[root_] = 0;
  heap_.heapInsert(root_, 0);
  int requiredTaken = 0;
  while (requiredTaken < requiredCount) {
    const int u = heap_.heapExtractMin();
    if (u < 0) {
      ++emptyHeaps_;
      break;
    }
    pred_[u] = -pred_[u];
    taken_[++takenCount_] = u;
    mst_ += key_[u];
    if (required[u]) ++requiredTaken;
    view.forEach(u, [&](int s, const Arc& a) {
      const int w = a.head;
      if (!flagged[w] || pred_[w] > 0 || a.cost >= key_[w]) return;
      const bool inHeap = pred_[w] < 0;
      pred_[w] = -u;
      predSlot_[w] = s;
      if (inHeap)
        heap_.heapDecreaseKey(w, a.cost);
      else
        heap_.heapInsert(w, a.cost);
    });
  }
  // Vertices left pending stay out of the tree.
  while (!heap_.empty()) {
    const int w = heap_.heapExtractMin();
    pred_[w] = 0;
    key_[w] = maxint;
  }
  if (requiredTaken < requiredCount) return false;

  for (int i = 1; i <= takenCount_; ++i) ++children_[pred_[taken_[i]]];
  // Ascending vertex order over the taken vertices, removals climbing towards the root.
  std::sort(taken_.begin() + 1, taken_.begin() + takenCount_ + 1);
  for (int i = 1; i <= takenCount_; ++i) {
    int v = taken_[i];
    while (!required[v] && children_[v] == 0) {
      pruned_ += key_[v];
      const int p = pred_[v];
      --children_[v];
      --children_[p];
      if (p == v) break;
      v = p;
    }
  }
  return true;
}

void TreeCompletion::writeSlots(IntArray& list) const {
  if (list.size() < static_cast<std::size_t>(takenCount_) + 2) list.resize(takenCount_ + 2, 0);
  int count = 0;
  for (int i = 1; i <= takenCount_; ++i) {
    const int v = taken_[i];
    if (v == root_) continue;
    if (children_[v] < 1 && !required_[v]) continue;
    list[++count] = predSlot_[v];
  }
  list[0] = count;
}

}  // namespace tesmo
