#include "Tm3.h"

#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"
#include "SlotView.h"
#include "TreeCompletion.h"

#include <algorithm>
#include <vector>

namespace tesmo {

namespace {

struct Pair {
  int k;  // terminal index, 0 = sentinel
  int d;
};

struct Settled {
  int vertex;
  int pred;
};

class Tm3Heuristic {
public:
  explicit Tm3Heuristic(const SlotView& view)
      : view_(view), g_(view.graph()), V_(g_.V), R_(g_.R), termIndex_(V_ + 1, 0), dist_(V_ + 1, maxint),
        pred_(V_ + 1, 0), base_(V_ + 1, 0), first_(V_ + 1, 0), radius_(V_ + 1, 0), taken_(V_ + 1, 0),
        heap_(V_, dist_), key_(V_ + 1, maxint), heapA_(V_, key_), inHeap_(V_ + 1, 0), inTree_(V_ + 1, 0),
        used_(V_ + 1, 0), connected_(R_ + 1, 0), cursor_(V_ + 1, 0), completion_(V_) {
    for (int k = 1; k <= R_; ++k) termIndex_[g_.terminals[k]] = k;
  }

  std::int64_t run() {
    shell.echoLevel = 3;
    iterations_ = shell.Iget("iterations", 1);
    quick_ = shell.Iget("tmQuick", 0);
    radiusOn_ = shell.Iget("tmRadius", 1 - quick_);
    slow_ = shell.Iget("tmSlow", 0);
    rush_ = shell.Iget("rush", 0);
    shell.echoLevel = 0;
    if (iterations_ > V_) {
      iterations_ = V_;
      log(3) << "iterations: " << iterations_ << "\n";
    }
    log(3) << "\n";
    if (R_ < 1) return maxint;
    voronoi();
    if (radiusOn_) radii();
    searches();
    neighbourLists();
    const std::int64_t best = growTrees();
    log(3) << "\n";
    return best;
  }

private:
  void voronoi() {
    log(3) << "Determining the Voronoi regions and the radia of required vertices\n";
    const int liveCount = view_.liveVertexCount();
    std::fill(dist_.begin(), dist_.end(), maxint);
    heap_.clearHeap();
    for (int k = 1; k <= R_; ++k) {
      const int t = g_.terminals[k];
      base_[t] = pred_[t] = t;
      heap_.heapInsert(t, 0);
    }
    int takenCount = 0;
    while (takenCount < liveCount) {
      const int u = heap_.heapExtractMin();
      if (u < 0) {
        log(3) << "empty PQ (tm3)\n";
        break;
      }
      taken_[u] = 1;
      ++takenCount;
      base_[u] = base_[pred_[u]];
      radius_[base_[u]] = dist_[u];
      view_.forEach(u, [&](int, const Arc& a) {
        const int w = a.head;
        if (!taken_[w]) {
          const std::int64_t nd64 = static_cast<std::int64_t>(dist_[u]) + a.cost;
          if (nd64 < dist_[w]) {
            const int nd = static_cast<int>(nd64);
            const bool fresh = dist_[w] == maxint;
            pred_[w] = u;
            if (fresh)
              heap_.heapInsert(w, nd);
            else
              heap_.heapDecreaseKey(w, nd);
          }
        } else if (base_[u] != base_[w] && radiusOn_) {
          links_.push_back({std::min(base_[u], base_[w]), std::max(base_[u], base_[w]),
                            static_cast<std::int64_t>(dist_[u]) + dist_[w] + a.cost});
        }
      });
    }
    while (!heap_.empty()) heap_.heapExtractMin();
    for (int v = 1; v <= V_; ++v) taken_[v] = 0;
  }

  void radii() {
    // The shortest link of each pair of regions widens both radii to its length.
    std::stable_sort(links_.begin(), links_.end(), [&](const Link& x, const Link& y) {
      if (termIndex_[x.b] != termIndex_[y.b]) return termIndex_[x.b] < termIndex_[y.b];
      return termIndex_[x.a] < termIndex_[y.a];
    });
    for (std::size_t i = 0; i < links_.size();) {
      std::size_t j = i;
      std::int64_t least = links_[i].length;
      while (j < links_.size() && links_[j].a == links_[i].a && links_[j].b == links_[i].b)
        least = std::min<std::int64_t>(least, links_[j++].length);
      const int len = static_cast<int>(std::min<std::int64_t>(least, maxint));
      radius_[links_[i].a] = std::max(radius_[links_[i].a], len);
      radius_[links_[i].b] = std::max(radius_[links_[i].b], len);
      i = j;
    }
  }

  void searches() {
    log(3) << "Determining the shortest paths from the required vertices to relevant vertices\n";
    std::fill(dist_.begin(), dist_.end(), maxint);
    settledStart_.assign(R_ + 2, 0);
    std::vector<int> touched;
    long long total = 0;
    for (int k = 1; k <= R_; ++k) {
      const int s = g_.terminals[k];
      const int limit = radiusOn_ ? radius_[s] : maxint;
      for (int v : touched) dist_[v] = maxint, pred_[v] = 0, taken_[v] = 0;
      touched.clear();
      heap_.clearHeap();
      dist_[s] = 0;
      pred_[s] = s;
      first_[s] = s;
      heap_.heapInsert(s, 0);
      touched.push_back(s);
      settledStart_[k] = static_cast<int>(settled_.size());
      int visited = 0;
      while (!heap_.empty()) {
        const int u = heap_.heapExtractMin();
        ++visited;
        taken_[u] = 1;
        const int d = dist_[u];
        bool skip = false;
        if (!slow_) {
          if (u == s) dist_[s] = maxint;
          if (!radiusOn_) {
            const int f = first_[pred_[u]];
            first_[u] = f != s ? f : base_[u];
            if (d > dist_[first_[u]]) skip = true;
          }
          if (quick_ && d > dist_[base_[u]]) skip = true;
        }
        if (skip) {
          if (d > limit) break;
          continue;
        }
        records_.push_back({u, k, d});
        settled_.push_back({u, pred_[u]});
        view_.forEach(u, [&](int, const Arc& a) {
          const int w = a.head;
          if (taken_[w]) return;
          const std::int64_t nd64 = static_cast<std::int64_t>(d) + a.cost;
          if (nd64 >= dist_[w]) return;
          const int nd = static_cast<int>(nd64);
          if (!slow_) {
            if (quick_ && nd >= dist_[base_[w]]) return;
            if (!radiusOn_ && nd >= dist_[first_[u]]) return;
          }
          const bool fresh = dist_[w] == maxint;
          if (fresh) touched.push_back(w);
          pred_[w] = u;
          if (fresh)
            heap_.heapInsert(w, nd);
          else
            heap_.heapDecreaseKey(w, nd);
        });
        if (d > limit) break;
      }
      while (!heap_.empty()) heap_.heapExtractMin();
      total += visited;
      std::sort(settled_.begin() + settledStart_[k], settled_.end(),
                [](const Settled& x, const Settled& y) { return x.vertex < y.vertex; });
    }
    settledStart_[R_ + 1] = static_cast<int>(settled_.size());
    for (int v : touched) dist_[v] = maxint, pred_[v] = 0, taken_[v] = 0;
    log(3) << "Visited: " << total << std::endl;
  }

  void neighbourLists() {
    log(3) << "Sorting the neighbor lists\n";
    rowStart_.assign(V_ + 2, 0);
    for (const Record& r : records_) ++rowStart_[r.vertex + 1];
    for (int v = 1; v <= V_; ++v) rowStart_[v + 1] += rowStart_[v] + 1;  // one sentinel each
    // rowStart_[v] counts the pairs of vertices below v plus their sentinels.
    pairs_.assign(static_cast<std::size_t>(rowStart_[V_ + 1]) + 1, Pair{0, maxint});
    std::vector<int> fill(rowStart_.begin(), rowStart_.end());
    for (const Record& r : records_) pairs_[fill[r.vertex]++] = Pair{r.k, r.d};
    for (int v = 1; v <= V_; ++v) {
      std::stable_sort(pairs_.begin() + rowStart_[v], pairs_.begin() + fill[v],
                       [](const Pair& x, const Pair& y) { return x.d < y.d; });
      pairs_[fill[v]] = Pair{0, maxint};
    }
  }

  // Predecessor of v in terminal k's search (v was recorded there).
  int searchPred(int k, int v) const {
    auto begin = settled_.begin() + settledStart_[k];
    auto end = settled_.begin() + settledStart_[k + 1];
    auto it = std::lower_bound(begin, end, v, [](const Settled& x, int y) { return x.vertex < y; });
    return it != end && it->vertex == v ? it->pred : 0;
  }

  void pushA(int v) {
    if (inHeap_[v]) return;
    const int d = pairs_[cursor_[v]].d;
    if (pairs_[cursor_[v]].k == 0) return;
    inHeap_[v] = 1;
    heapA_.heapInsert(v, d);
  }

  std::int64_t growTrees() {
    log(3) << "Constructing Steiner trees\n\n";
    std::int64_t best = maxint;
    int built = 0;
    for (int x = 1; x <= V_ && built < iterations_; ++x) {
      if (!view_.hasEdges(x)) continue;
      if (rush_ && used_[x]) continue;
      ++built;
      for (int v = 1; v <= V_; ++v) {
        cursor_[v] = rowStart_[v];
        const Pair& p = pairs_[cursor_[v]];
        if (p.k != 0 && p.d == 0 && p.k == termIndex_[v]) ++cursor_[v];
        inHeap_[v] = inTree_[v] = 0;
      }
      std::fill(connected_.begin(), connected_.end(), 0);
      heapA_.clearHeap();
      inTree_[x] = 1;
      pushA(x);
      int count = 0;
      if (termIndex_[x]) {
        connected_[termIndex_[x]] = 1;
        count = 1;
      }
      std::int64_t pathSum = 0;
      while (count < R_) {
        const int v = heapA_.heapExtractMin();
        if (v < 0) break;  // ran out of reachable vertices: this tree is discarded
        inHeap_[v] = 0;
        const Pair p = pairs_[cursor_[v]];
        if (p.k == 0) continue;
        if (connected_[p.k]) {
          int c = cursor_[v];
          while (pairs_[c].k != 0 && connected_[pairs_[c].k]) ++c;
          cursor_[v] = c;
          pushA(v);
          continue;
        }
        log(5) << " T:" << v << "->" << p.k;
        pathSum += p.d;
        connected_[p.k] = 1;
        ++count;
        const int t = g_.terminals[p.k];
        inTree_[t] = 1;
        pushA(t);
        for (int w = v; w != t && w != 0; w = searchPred(p.k, w)) {
          pushA(w);
          inTree_[w] = 1;
        }
      }
      for (int v = 1; v <= V_; ++v)
        if (inTree_[v]) used_[v] = 1;
      if (count < R_) continue;
      if (!completion_.run(view_, inTree_.data(), termIndex_.data(), R_)) continue;
      const std::int64_t w = completion_.weight();
      if (w < best) {
        log(3) << "Success with source: " << x << " ; weight: " << pathSum << " -> " << completion_.mstWeight()
               << "-" << completion_.prunedWeight() << " = " << w << "\n";
        best = w;
        completion_.writeSlots(solutionList);
      } else {
        log(4) << "weight: (" << x << "): " << pathSum << " -> " << completion_.mstWeight() << "-"
               << completion_.prunedWeight() << " = " << w << "\n";
      }
    }
    return best;
  }

  struct Link {
    int a, b;
    std::int64_t length;
  };
  struct Record {
    int vertex, k, d;
  };

  const SlotView& view_;
  const Graph& g_;
  int V_, R_;
  int iterations_ = 1, quick_ = 0, radiusOn_ = 1, slow_ = 0, rush_ = 0;
  IntArray termIndex_, dist_, pred_, base_, first_, radius_, taken_;
  IndexedHeap heap_;
  IntArray key_;
  IndexedHeap heapA_;
  std::vector<unsigned char> inHeap_, inTree_, used_;
  IntArray connected_, cursor_;
  std::vector<Link> links_;
  std::vector<Record> records_;
  std::vector<Settled> settled_;
  std::vector<int> settledStart_;
  std::vector<int> rowStart_;
  std::vector<Pair> pairs_;
  TreeCompletion completion_;
};

}  // namespace

std::int64_t tm3(const Graph& g) {
  const SlotView view(g);
  return Tm3Heuristic(view).run();
}

std::int64_t tm3(const ReduceGraph& R) {
  const SlotView view(R);
  return Tm3Heuristic(view).run();
}

void tm3Algorithm() {
  if (currentGraph) tm3(*currentGraph);
}

}  // namespace tesmo
