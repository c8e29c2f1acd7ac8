#include "Tm.h"

#include "Check.h"
#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"
#include "SlotView.h"
#include "TreeCompletion.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

struct Link {
  int a, b;  // endpoints: a in region A, b in region B
  int A, B;  // terminal indices of the two regions
  int length;
};

struct Pair {
  int k;  // terminal index, 0 = sentinel
  int d;
};

struct Settled {
  int vertex;
  int pred;
};

class TmHeuristic {
public:
  explicit TmHeuristic(ReduceGraph& R)
      : R_(R), view_(R), V_(R.V), T_(R.R), termIndex_(V_ + 1, 0), dist1_(V_ + 1, maxint), pred1_(V_ + 1, 0),
        base_(V_ + 1, 0), dist2_(V_ + 1, maxint), pred2_(V_ + 1, 0), first_(V_ + 1, 0), taken_(V_ + 1, 0),
        heap_(V_, dist1_), heap2_(V_, dist2_), keyA_(V_ + 1, maxint), heapA_(V_, keyA_), keyB_(T_ + 1, maxint),
        heapB_(T_, keyB_), viaLink_(T_ + 1, 0), closed_(T_ + 1, 0), connected_(T_ + 1, 0), inTree_(V_ + 1, 0),
        inHeapA_(V_ + 1, 0), cursor_(V_ + 1, 0), completion_(V_) {
    for (int k = 1; k <= T_; ++k) termIndex_[R.terminals[k]] = k;
  }

  void run() {
    shell.echoLevel = 3;
    iterations_ = shell.Iget("tmIterations", 10);
    factor_ = shell.Iget("tmFactor", 10);
    strong_ = shell.Iget("tmStrong", 1);
    preferKmb_ = shell.Iget("tmPrefereKmb", 1);
    combine_ = shell.Iget("tmCombine", 0);
    shell.echoLevel = 0;
    if (solutionList.empty()) solutionList.assign(1, 0);
    if (T_ < 1) return;
    const std::int64_t n = V_, m = R_.E;
    unitVisits_ = n * factor_ / T_ + 1;
    unitScans_ = 2 * m * factor_ / T_ + 1;
    log(3) << "\n";
    voronoi();
    shortestLinks();
    searches();
    neighbourLists();
    const std::int64_t best = growTrees();
    log(2) << "Best: " << (best + R_.contractCost) << std::endl;
    // Only a tree built by this call is offered.
    if (stored_ || T_ == 1) R_.setUpper(solutionList, "WC-tm", 1);
    log(3) << "tmCount" << ":" << tmCount_ << ", " << "kmbCount" << ":" << kmbCount_ << ", " << std::endl;
  }

private:
  void voronoi() {
    log(3) << "Determining the Voronoi regions and the radia of required vertices\n";
    for (int k = 1; k <= T_; ++k) {
      const int t = R_.terminals[k];
      base_[t] = pred1_[t] = t;
      heap_.heapInsert(t, 0);
    }
    int takenCount = 0;
    while (takenCount < R_.Vanz) {
      const int u = heap_.heapExtractMin();
      if (u < 0) {
        log(1) << "empty PQ \n";
        break;
      }
      taken_[u] = 1;
      ++takenCount;
      base_[u] = base_[pred1_[u]];
      view_.forEach(u, [&](int, const Arc& a) {
        const int w = a.head;
        if (!taken_[w]) {
          const std::int64_t nd = static_cast<std::int64_t>(dist1_[u]) + a.cost;
          if (nd >= dist1_[w]) return;
          const bool fresh = dist1_[w] == maxint;
          pred1_[w] = u;
          if (fresh)
            heap_.heapInsert(w, static_cast<int>(nd));
          else
            heap_.heapDecreaseKey(w, static_cast<int>(nd));
        } else if (base_[u] != base_[w]) {
          const std::int64_t len = static_cast<std::int64_t>(dist1_[w]) + a.cost + dist1_[u];
          const int length = static_cast<int>(std::min<std::int64_t>(len, maxint));
          if (base_[u] >= base_[w])
            links_.push_back({w, u, termIndex_[base_[w]], termIndex_[base_[u]], length});
          else
            links_.push_back({u, w, termIndex_[base_[u]], termIndex_[base_[w]], length});
        }
      });
    }
    while (!heap_.empty()) heap_.heapExtractMin();
    std::fill(taken_.begin(), taken_.end(), 0);
  }

  void shortestLinks() {
    std::stable_sort(links_.begin(), links_.end(), [](const Link& x, const Link& y) {
      return x.A != y.A ? x.A < y.A : x.B < y.B;
    });
    std::vector<Link> kept;
    for (std::size_t i = 0; i < links_.size();) {
      std::size_t j = i, bestAt = i;
      while (j < links_.size() && links_[j].A == links_[i].A && links_[j].B == links_[i].B) {
        if (links_[j].length < links_[bestAt].length) bestAt = j;
        ++j;
      }
      kept.push_back(links_[bestAt]);
      i = j;
    }
    const std::size_t half = kept.size();
    for (std::size_t i = 0; i < half; ++i) {
      const Link& l = kept[i];
      kept.push_back({l.b, l.a, l.B, l.A, l.length});
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Link& x, const Link& y) { return x.A < y.A; });
    links_ = std::move(kept);
    linkStart_.assign(T_ + 2, 0);
    for (const Link& l : links_) ++linkStart_[l.A + 1];
    for (int k = 1; k <= T_ + 1; ++k) linkStart_[k] += linkStart_[k - 1];
  }

  void searches() {
    log(3) << "Determining the shortest paths from the required vertices to relevant vertices\n";
    std::int64_t visitBudget = unitVisits_, scanBudget = unitScans_;
    settledStart_.assign(T_ + 2, 0);
    std::vector<int> touched;
    long long total = 0;
    int restricted = 0;
    for (int k = 1; k <= T_; ++k) {
      const int s = R_.terminals[k];
      for (int v : touched) dist2_[v] = maxint, pred2_[v] = 0, taken_[v] = 0;
      touched.clear();
      heap2_.clearHeap();
      heap2_.heapInsert(s, 0);
      pred2_[s] = s;
      first_[s] = s;
      touched.push_back(s);
      settledStart_[k] = static_cast<int>(settled_.size());
      std::int64_t visited = 0, scanned = 0;
      while (!heap2_.empty()) {
        const int u = heap2_.heapExtractMin();
        ++visited;
        taken_[u] = 1;
        const int d = dist2_[u];
        if (u == s) dist2_[s] = maxint;  // the source never limits anything
        const int f = first_[pred2_[u]];
        first_[u] = f != s ? f : base_[u];
        const int fLimit = dist2_[first_[u]];
        const int bLimit = dist2_[base_[u]];
        if (d <= fLimit && d <= bLimit) {
          // Every vertex but the source is a target, also at distance 0 (zero-cost edges).
          if (u != s) records_.push_back({u, k, d});
          settled_.push_back({u, pred2_[u]});
          if (!(strong_ && (d == fLimit || d == bLimit))) {
            view_.forEach(u, [&](int, const Arc& a) {
              ++scanned;
              const int w = a.head;
              if (taken_[w]) return;
              const std::int64_t nd = static_cast<std::int64_t>(d) + a.cost;
              if (nd >= dist2_[w] || nd >= dist2_[base_[w]] || nd >= dist2_[first_[u]]) return;
              const bool fresh = dist2_[w] == maxint && heap2_.position(w) == 0;
              if (dist2_[w] == maxint && !taken_[w]) touched.push_back(w);
              pred2_[w] = u;
              if (fresh)
                heap2_.heapInsert(w, static_cast<int>(nd));
              else
                heap2_.heapDecreaseKey(w, static_cast<int>(nd));
            });
          }
        }
        if (visited >= visitBudget || scanned >= scanBudget) break;
      }
      if (!heap2_.empty()) ++restricted;
      while (!heap2_.empty()) heap2_.heapExtractMin();
      const int settledCount = static_cast<int>(settled_.size()) - settledStart_[k];
      TESMO_CHECK(settledCount > visited * 2, "tm");
      std::sort(settled_.begin() + settledStart_[k], settled_.end(),
                [](const Settled& x, const Settled& y) { return x.vertex < y.vertex; });
      total += visited;
      visitBudget += unitVisits_ - visited;
      scanBudget += unitScans_ - scanned;
    }
    settledStart_[T_ + 1] = static_cast<int>(settled_.size());
    for (int v : touched) dist2_[v] = maxint, pred2_[v] = 0, taken_[v] = 0;
    restricted_ = restricted;
    log(3) << "Visited: " << total << ", Restricted: " << restricted << std::endl;
  }

  void neighbourLists() {
    log(3) << "Sorting the neighbor lists\n";
    std::stable_sort(records_.begin(), records_.end(), [](const Record& x, const Record& y) { return x.d < y.d; });
    rowStart_.assign(V_ + 2, 0);
    for (const Record& r : records_) ++rowStart_[r.vertex + 1];
    for (int v = 1; v <= V_; ++v) rowStart_[v + 1] += rowStart_[v] + 1;
    pairs_.assign(static_cast<std::size_t>(rowStart_[V_ + 1]) + 1, Pair{0, maxint});
    std::vector<int> fill(rowStart_.begin(), rowStart_.end());
    for (const Record& r : records_) pairs_[fill[r.vertex]++] = Pair{r.k, r.d};
  }

  int searchPred(int k, int v) const {
    auto begin = settled_.begin() + settledStart_[k];
    auto end = settled_.begin() + settledStart_[k + 1];
    auto it = std::lower_bound(begin, end, v, [](const Settled& x, int y) { return x.vertex < y; });
    return it != end && it->vertex == v ? it->pred : 0;
  }

  void pushA(int v) {
    if (inHeapA_[v]) return;
    const Pair& p = pairs_[cursor_[v]];
    if (p.k == 0) return;
    inHeapA_[v] = 1;
    heapA_.heapInsert(v, p.d);
  }

  void addToTree(int v) {
    if (inTree_[v]) return;
    inTree_[v] = 1;
    pushA(v);
  }

  // Region k is joined: it leaves heap B for good and its links offer the regions beyond.
  void closeRegion(int k) {
    closed_[k] = 1;
    for (int i = linkStart_[k]; i < linkStart_[k + 1]; ++i) {
      const Link& l = links_[i];
      if (closed_[l.B] || l.length >= keyB_[l.B]) continue;
      viaLink_[l.B] = i;
      if (heapB_.position(l.B) != 0)
        heapB_.heapDecreaseKey(l.B, l.length);
      else
        heapB_.heapInsert(l.B, l.length);
    }
  }

  void dropClosedB() {
    while (!heapB_.empty() && closed_[heapB_.heapItemAt(1)]) heapB_.heapExtractMin();
  }

  std::int64_t growTrees() {
    log(3) << "Constructing Steiner trees\n\n";
    std::int64_t best = maxint;
    const bool useLinks = restricted_ > 0 || preferKmb_ != 0;
    int built = 0;
    for (int i = 1; i <= V_ && built < iterations_; ++i) {
      int x = i;
      if (i <= T_) {
        x = R_.terminals[i];
      } else if (!view_.hasEdges(i) || termIndex_[i] || pairs_[rowStart_[i]].k == 0) {
        continue;
      }
      ++built;
      for (int v = 1; v <= V_; ++v) {
        cursor_[v] = rowStart_[v];  // no source is recorded, so no pair is the vertex's own
        inTree_[v] = inHeapA_[v] = 0;
      }
      for (int k = 1; k <= T_; ++k) connected_[k] = closed_[k] = 0, keyB_[k] = maxint, viaLink_[k] = -1;
      heapA_.clearHeap();
      heapB_.clearHeap();
      inTree_[x] = 1;
      pushA(x);
      int count = 0;
      if (termIndex_[x]) {
        connected_[termIndex_[x]] = 1;
        closeRegion(termIndex_[x]);
        count = 1;
      }
      bool stuck = false;
      while (count < T_) {
        dropClosedB();
        // Without region steps a tree could get stuck when the restricted lists do not reach a
        // terminal; then the links join the next region anyway.
        const bool regionStep =
            !heapB_.empty() && (heapA_.empty() || (useLinks && heapB_.heapKeyAt(1) <= heapA_.heapKeyAt(1)));
        if (regionStep) {
          ++kmbCount_;
          const int r = heapB_.heapExtractMin();
          const Link& l = links_[viaLink_[r]];
          closeRegion(r);
          connected_[r] = 1;
          ++count;
          log(5) << " K:" << l.A << "-->" << r;
          for (int v = l.a; v != 0 && !inTree_[v]; v = pred1_[v]) addToTree(v);
          int v = l.b;
          while (true) {
            addToTree(v);
            if (pred1_[v] == v || pred1_[v] == 0) break;
            v = pred1_[v];
          }
          continue;
        }
        const int v = heapA_.heapExtractMin();
        if (v < 0) {
          stuck = true;  // nothing left to grow from: the tree is discarded
          break;
        }
        ++tmCount_;
        inHeapA_[v] = 0;
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
        connected_[p.k] = 1;
        closeRegion(p.k);
        const int t = R_.terminals[p.k];
        addToTree(t);
        ++count;
        if (v == t) continue;
        for (int w = v; w != t && w != 0; w = searchPred(p.k, w)) {
          inTree_[w] = 1;
          pushA(w);
        }
      }
      if (stuck) continue;
      if (!completion_.run(view_, inTree_.data(), termIndex_.data(), T_)) continue;
      const std::int64_t w = completion_.weight();
      if (w < best || combine_) {
        completion_.writeSlots(solutionList);
        stored_ = true;
        if (combine_) R_.setUpper(solutionList, "WC-tm", 1);
        log(3) << "Success with source: " << x << " (" << built << ") ; weight: " << completion_.mstWeight()
               << "-" << completion_.prunedWeight() << " = " << w << "\n";
        best = w;
      } else {
        log(4) << "weight: (" << x << "): " << completion_.mstWeight() << "-" << completion_.prunedWeight()
               << " = " << w << "\n";
      }
    }
    return best;
  }

  struct Record {
    int vertex, k, d;
  };

  ReduceGraph& R_;
  SlotView view_;
  int V_, T_;
  int iterations_ = 10, factor_ = 10, strong_ = 1, preferKmb_ = 1, combine_ = 0;
  std::int64_t unitVisits_ = 0, unitScans_ = 0;
  IntArray termIndex_, dist1_, pred1_, base_, dist2_, pred2_, first_, taken_;
  IndexedHeap heap_, heap2_;
  IntArray keyA_;
  IndexedHeap heapA_;
  IntArray keyB_;
  IndexedHeap heapB_;
  IntArray viaLink_, closed_, connected_;
  std::vector<unsigned char> inTree_, inHeapA_;
  IntArray cursor_;
  std::vector<Link> links_;
  std::vector<int> linkStart_;
  std::vector<Record> records_;
  std::vector<Settled> settled_;
  std::vector<int> settledStart_;
  std::vector<int> rowStart_;
  std::vector<Pair> pairs_;
  TreeCompletion completion_;
  int restricted_ = 0;
  long long tmCount_ = 0, kmbCount_ = 0;
  bool stored_ = false;
};

}  // namespace

void tm(ReduceGraph& R) { TmHeuristic(R).run(); }

}  // namespace tesmo
