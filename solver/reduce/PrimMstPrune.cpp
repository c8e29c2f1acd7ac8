#include "PrimMstPrune.h"

#include "LogStream.h"

#include <algorithm>

namespace tesmo {

PrimMstPrune::PrimMstPrune(const Graph& g)
    : g_(g),
      key_(static_cast<std::size_t>(std::max(g.V, 0)) + 1, 0),
      pred_(key_.size(), 0),
      state_(key_.size(), 0),
      heap_(std::max(g.V, 0), key_),
      treeDegree_(key_.size(), 0),
      parentAlive_(key_.size(), 0),
      tree_(key_.size(), 0) {
  order_.reserve(key_.size());
  leaves_.reserve(key_.size());
}

std::int64_t PrimMstPrune::run(const IntArray& allowed, const IntArray& required) {
  const Graph& g = g_;
  const int V = g.V;
  tree_[0] = 0;
  mstWeight_ = 0;
  if (g.R < 1 || V < 1) return 0;

  std::fill(pred_.begin(), pred_.end(), 0);
  std::fill(state_.begin(), state_.end(), 0);
  order_.clear();
  heap_.clearHeap();

  int requiredLeft = 0;
  for (int v = 1; v <= V; ++v)
    if (required[v]) ++requiredLeft;

  const int root = g.terminals[1];
  heap_.heapInsert(root, 0);
  state_[root] = 1;
  while (requiredLeft > 0) {
    const int u = heap_.heapExtractMin();
    if (u < 0) {
      log(1) << "Not Connected!" << std::endl;
      return maxint;
    }
    state_[u] = 2;
    order_.push_back(u);
    if (pred_[u]) mstWeight_ += g.arcs[pred_[u]].cost;
    if (required[u]) --requiredLeft;
    const int end = g.firstArc[u] + g.degree[u];
    for (int a = g.firstArc[u]; a < end; ++a) {
      const Arc& arc = g.arcs[a];
      const int h = arc.head;
      if (!allowed[h] || state_[h] == 2) continue;
      if (state_[h] == 0) {
        state_[h] = 1;
        pred_[h] = a;
        heap_.heapInsert(h, arc.cost);
      } else if (arc.cost < key_[h]) {
        pred_[h] = a;
        heap_.heapDecreaseKey(h, arc.cost);
      }
    }
  }

  strip(required);

  std::int64_t prunedWeight = 0;
  int count = 0;
  for (int v : order_)
    if (parentAlive_[v]) {
      tree_[++count] = pred_[v];
      prunedWeight += g.arcs[pred_[v]].cost;
    }
  tree_[0] = count;
  log(3) << "MST: " << mstWeight_ << " Pruned: " << prunedWeight << std::endl;
  return prunedWeight;
}

void PrimMstPrune::strip(const IntArray& required) {
  // Strip leaves that need not be reached, repeatedly. An edge is alive while its child keeps
  // its parent arc; a leaf whose parent arc is gone (the root, or a vertex left behind) drops
  // its one remaining child edge instead.
  const Graph& g = g_;
  std::fill(treeDegree_.begin(), treeDegree_.end(), 0);
  std::fill(parentAlive_.begin(), parentAlive_.end(), 0);
  for (int v : order_)
    if (pred_[v]) {
      parentAlive_[v] = 1;
      ++treeDegree_[v];
      ++treeDegree_[g.arcs[pred_[v]].tail];
    }
  leaves_.clear();
  for (int v : order_)
    if (treeDegree_[v] == 1 && !required[v]) leaves_.push_back(v);
  while (!leaves_.empty()) {
    const int v = leaves_.back();
    leaves_.pop_back();
    if (treeDegree_[v] != 1) continue;
    int other = 0;
    if (parentAlive_[v]) {
      parentAlive_[v] = 0;
      other = g.arcs[pred_[v]].tail;
    } else {
      const int end = g.firstArc[v] + g.degree[v];
      for (int a = g.firstArc[v]; a < end && !other; ++a) {
        const int h = g.arcs[a].head;
        if (state_[h] == 2 && pred_[h] == a && parentAlive_[h]) {
          parentAlive_[h] = 0;
          other = h;
        }
      }
    }
    treeDegree_[v] = 0;
    if (other && --treeDegree_[other] == 1 && !required[other]) leaves_.push_back(other);
  }
}

std::int64_t primMstPrune(const Graph& g, const IntArray& allowed, const IntArray& required) {
  PrimMstPrune prune(g);
  const std::int64_t weight = prune.run(allowed, required);
  const IntArray& tree = prune.tree();
  if (solutionList.size() < static_cast<std::size_t>(tree[0]) + 1)
    solutionList.resize(static_cast<std::size_t>(tree[0]) + 1);
  std::copy_n(tree.begin(), tree[0] + 1, solutionList.begin());
  return weight;
}

}  // namespace tesmo
