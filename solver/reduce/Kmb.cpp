#include "Kmb.h"

#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"
#include "SlotView.h"
#include "TreeCompletion.h"
#include "UnionFind.h"

#include <algorithm>
#include <vector>

namespace tesmo {

Kmb::Kmb(const Graph& g)
    : g_(g), terminalIndex_(g.V + 1, 0), dist_(g.V + 1, maxint), pred_(g.V + 1, 0), base_(g.V + 1, 0),
      heap_(g.V, dist_), used_(g.V + 1, 0), taken_(g.V + 1, 0), sets_(g.R + 1, 0) {
  links_.reserve(g.E);
  for (int k = 1; k <= g.R; ++k) terminalIndex_[g.terminals[k]] = k;
}

void Kmb::voronoi() {
  const Graph& g = g_;
  log(4) << "Determining the Voronoi regions und the links between them\n";
  IndexedHeap& heap = heap_;
  std::vector<unsigned char>& taken = taken_;
  heap.clearHeap();
  std::fill(taken.begin(), taken.end(), 0);
  std::fill(dist_.begin(), dist_.end(), maxint);
  for (int k = 1; k <= g.R; ++k) {
    const int t = g.terminals[k];
    pred_[t] = base_[t] = t;
    heap.heapInsert(t, 0);
  }
  links_.clear();
  for (int count = 0; count < g.V; ++count) {
    const int u = heap.heapExtractMin();
    if (u < 0) {
      log(1) << "empty PQ \n";
      break;
    }
    taken[u] = 1;
    base_[u] = base_[pred_[u]];
    const int end = g.firstArc[u] + g.degree[u];
    for (int s = g.firstArc[u]; s < end; ++s) {
      const int w = g.arcs[s].head;
      const std::int64_t through = std::int64_t{dist_[u]} + g.arcs[s].cost;
      if (!taken[w]) {
        if (through >= dist_[w]) continue;
        const bool inHeap = dist_[w] < maxint;
        pred_[w] = u;
        if (inHeap)
          heap.heapDecreaseKey(w, static_cast<int>(through));
        else
          heap.heapInsert(w, static_cast<int>(through));
      } else if (base_[w] != base_[u]) {
        const std::int64_t length = through + dist_[w];
        if (base_[u] < base_[w])
          links_.push_back({u, w, base_[u], base_[w], length});
        else
          links_.push_back({w, u, base_[w], base_[u], length});
      }
    }
  }
}

void Kmb::shortestLinks() {
  log(4) << "Finding the shortest link between each two regions\n";
  std::stable_sort(links_.begin(), links_.end(), [this](const Link& x, const Link& y) {
    if (terminalIndex_[x.B] != terminalIndex_[y.B]) return terminalIndex_[x.B] < terminalIndex_[y.B];
    return terminalIndex_[x.A] < terminalIndex_[y.A];
  });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < links_.size(); ++i) {
    if (kept > 0 && links_[kept - 1].A == links_[i].A && links_[kept - 1].B == links_[i].B) {
      if (links_[i].length < links_[kept - 1].length) links_[kept - 1] = links_[i];
      continue;
    }
    links_[kept++] = links_[i];
  }
  links_.resize(kept);
}

void Kmb::generalizedMst() {
  log(4) << "Computing the generalized MST\n";
  std::stable_sort(links_.begin(), links_.end(), [](const Link& x, const Link& y) { return x.length < y.length; });
  std::fill(sets_.begin(), sets_.end(), 0);
  accepted_.clear();
  std::int64_t sum = 0, longest = 0;
  for (const Link& l : links_) {
    if (static_cast<int>(accepted_.size()) >= g_.R - 1) break;
    if (!unionFindJoin(terminalIndex_[l.A], terminalIndex_[l.B], true, sets_)) continue;
    accepted_.push_back(l);
    sum += l.length;
    longest = std::max(longest, l.length);
  }
  log(3) << "Weight of the G-MST: " << sum << "\n\n";
  log(3) << "Lower: " << static_cast<double>(longest + sum) / 2 << std::endl;
}

void Kmb::collectUsedVertices() {
  log(4) << "Determining the set of used vertices\n";
  std::fill(used_.begin(), used_.end(), 0);
  for (int k = 1; k <= g_.R; ++k) used_[g_.terminals[k]] = 1;
  for (const Link& l : accepted_)
    for (int x : {l.a, l.b})
      while (pred_[x] != x) {
        used_[x] = 1;
        const int next = pred_[x];
        pred_[x] = x;
        x = next;
      }
}

std::int64_t Kmb::run(int iterations) {
  log(3) << "iterations: " << iterations << "\n";
  log(3) << "\n\n";
  voronoi();
  shortestLinks();
  generalizedMst();
  collectUsedVertices();
  log(4) << "Computing (limited) MSTs of the induced graph, pruning the unnecessary vertices\n\n";
  std::int64_t best = maxint;
  IntArray required(g_.V + 1, 0);
  for (int k = 1; k <= g_.R; ++k) required[g_.terminals[k]] = 1;
  TreeCompletion tree(g_.V);
  for (int c = 1; c <= iterations; ++c) {
    if (c > g_.R) {
      log(2) << "\nRan out of required vertices at iteration: " << c << "\n";
      break;
    }
    const int root = g_.terminals[c];
    if (!tree.run(SlotView(g_), used_.data(), required.data(), g_.R, root)) continue;
    const std::int64_t weight = tree.weight();
    if (weight < best) {
      log(3) << "Success with root " << root << " , weight= (" << tree.mstWeight() << " - " << tree.prunedWeight()
             << ") = " << weight << "\n";
      best = weight;
      tree.writeSlots(solutionList);
    }
  }
  log(2) << "\n";
  return best;
}

void kmb() {
  if (!currentGraph) return;
  const int iterations = shell.Iget("iterations", 1);
  Kmb(*currentGraph).run(iterations);
}

}  // namespace tesmo
