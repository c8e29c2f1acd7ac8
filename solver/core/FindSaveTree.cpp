#include "FindSaveTree.h"

#include "Arc.h"

#include <algorithm>

namespace tesmo {

FindSaveTree::FindSaveTree(int n) { build(0, nullptr, n); }

void FindSaveTree::build(int linkCount, const RegionLink* links, int n) {
  if (n > 0) {
    n_ = n;
    if (n > allocated_) {
      const std::size_t size = static_cast<std::size_t>(n) + 2;
      for (IntArray* a : {&depth_, &parent_, &weight_, &accepted_, &firstAdj_,
                          &stack_})
        a->assign(size, 0);
      adjTo_.assign(2 * size, 0);
      adjLength_.assign(2 * size, 0);
      allocated_ = n;
    }
  }
  if (n_ == 0) return;

  // The forest of the links in list order; a link closing a cycle is left out.
  components_.reset(n_);
  for (int v = 1; v <= n_; ++v) {
    depth_[v] = 0;
    firstAdj_[v] = 0;
  }
  int taken = 0;
  for (int k = 1; k <= linkCount; ++k) {
    const RegionLink& link = links[k];
    if (!validLink(link)) continue;
    if (!components_.join(link.a, link.b)) continue;
    accepted_[++taken] = k;
    ++firstAdj_[link.a];
    ++firstAdj_[link.b];
  }
  // Degrees to start positions, then fill each list from its end.
  int position = 0;
  for (int v = 1; v <= n_; ++v) {
    position += firstAdj_[v];
    firstAdj_[v] = position;
  }
  firstAdj_[n_ + 1] = position;
  for (int t = 1; t <= taken; ++t) {
    const RegionLink& link = links[accepted_[t]];
    const int ia = --firstAdj_[link.a];
    adjTo_[ia] = link.b;
    adjLength_[ia] = link.length;
    const int ib = --firstAdj_[link.b];
    adjTo_[ib] = link.a;
    adjLength_[ib] = link.length;
  }

  // Terminal 1 is the root; the first terminal of every other component hangs below it.
  int top = 0;
  depth_[1] = 1;
  parent_[1] = 0;
  weight_[1] = 0;
  stack_[++top] = 1;
  for (int v = 2; v <= n_; ++v) {
    if (components_.same(v, 1)) continue;
    depth_[v] = 2;
    parent_[v] = 1;
    weight_[v] = maxint;
    components_.join(v, 1);
    stack_[++top] = v;
  }
  while (top > 0) {
    const int x = stack_[top--];
    for (int e = firstAdj_[x]; e < firstAdj_[x + 1]; ++e) {
      const int y = adjTo_[e];
      if (depth_[y] != 0) continue;
      depth_[y] = depth_[x] + 1;
      parent_[y] = x;
      weight_[y] = adjLength_[e];
      stack_[++top] = y;
    }
  }
}

int FindSaveTree::pathMax(int i, int j) const {
  int a = i;
  int b = j;
  if (depth_[a] < depth_[b]) std::swap(a, b);
  int best = 0;
  while (depth_[a] > depth_[b]) {
    best = std::max(best, weight_[a]);
    a = parent_[a];
  }
  while (a != b) {
    best = std::max({best, weight_[a], weight_[b]});
    a = parent_[a];
    b = parent_[b];
  }
  return best;
}

int FindSaveTree::d(int i, int j, int /*limit*/) {
  if (!isTerminal(i) || !isTerminal(j)) return maxint;
  return pathMax(i, j);
}

}  // namespace tesmo
