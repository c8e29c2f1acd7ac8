#include "CutBound.h"

#include "AscentEngine.h"
#include "Check.h"
#include "DisplayHooks.h"
#include "EdgeDeletion.h"
#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

namespace {

constexpr const char* noRowGeneration = "No LP library available, row-generation not possible!";

CutBranching cutBranching = nullptr;

// What cutBound would hand back: a scale, the scaled bound, per slot the edge values and per
// vertex two distances. This solver has no row generation, so produced stays false.
struct CutBoundResult {
  bool produced = false;
  int scale = 1;
  std::int64_t value = 0;
};

class InteractiveAscent {
public:
  InteractiveAscent(ReduceGraph& R, int equality)
      : R_(R), equality_(equality), mark_(vertices(R), 0), pickIndex_(vertices(R), 0), dist_(vertices(R), maxint),
        dist2_(vertices(R), maxint), pred_(vertices(R), 0), edgeValue_(slots(R), 0), link_(slots(R), 0),
        heap_(R.V, dist_) {
    picked_.reserve(static_cast<std::size_t>(R.R) + 1);
  }

  // One round of picking and its work; false when the picks end the method.
  bool round(const TerminalPicker& pick, bool animate) {
    ReduceGraph& R = R_;
    picked_.assign(1, 0);
    std::fill(mark_.begin(), mark_.end(), 0);
    std::fill(pickIndex_.begin(), pickIndex_.end(), 0);
    cUpper_ = 0;
    display(R);
    log(3) << "enter terminals\n";
    for (;;) {
      const int k = pick(R);
      if (k < 1 || k > R.R) break;
      const int v = R.terminals[k];
      if (pickIndex_[v] != 0) break;
      picked_.push_back(v);
      pickIndex_[v] = count();
    }
    if (count() <= 1) return false;

    log(4) << "cReq[0]" << ":" << count() << ", " << "\n";
    const bool joined = chain();
    const int label = joined ? region() : 0;
    if (animate) {
      log(3) << "count" << ":" << regionSize_ << ", ";
      for (int s = 1; s <= 2 * R.E; ++s) {
        if (R.delE[s]) continue;
        const int x = R.arcs[s].tail, y = R.arcs[s].head;
        edgeValue_[s] = mark_[x] == -1 && mark_[y] == -1         ? R.arcs[s].cost
                        : inPiece(x, label) && inPiece(y, label) ? 1
                                                                 : 0;
      }
      displayAscent(R, edgeValue_);
      getReq(R);
    }
    if (label == 0) {
      log(3) << "no partitioning possible\n";
      return true;
    }
    if (count() < 2) {
      log(3) << "only one terminal\n";
      return true;
    }
    solveRegion(label);
    return true;
  }

private:
  static std::size_t vertices(const ReduceGraph& R) { return static_cast<std::size_t>(R.V) + 1; }
  static std::size_t slots(const ReduceGraph& R) { return static_cast<std::size_t>(2 * R.E) + 1; }
  int count() const { return static_cast<int>(picked_.size()) - 1; }
  bool inPiece(int v, int label) const { return mark_[v] == -1 || (label != 0 && mark_[v] == label); }

  // Joins consecutive picks by shortest paths and marks the paths -1; terminals met on the way
  // join the list (and the chain). False when a pick is not reached.
  bool chain() {
    ReduceGraph& R = R_;
    bool joined = true;
    for (int i = 1; i < count(); ++i) {
      const int s = picked_[i], t = picked_[i + 1];
      std::fill(dist_.begin(), dist_.end(), maxint);
      std::fill(pred_.begin(), pred_.end(), 0);
      mark_[s] = -1;
      log(3) << s << "-" << t << "  ";
      heap_.clearHeap();
      dist_[s] = 0;
      heap_.heapInsert(s, 0);
      for (;;) {
        const int v = heap_.heapExtractMin();
        if (v < 0 || v == t) break;
        for (int a = R.nextLiveSlot(v, 0); a != 0; a = R.nextLiveSlot(v, a)) {
          const int w = R.arcs[a].head;
          const std::int64_t d = std::int64_t{dist_[v]} + R.arcs[a].cost;
          if (d > dist_[w] || (d == dist_[w] && (R.isReq[v] == 0 || heap_.position(w) == 0))) continue;
          if (d >= maxint) continue;
          if (dist_[w] == maxint)
            heap_.heapInsert(w, static_cast<int>(d));
          else
            heap_.heapDecreaseKey(w, static_cast<int>(d));
          dist_[w] = static_cast<int>(d);
          pred_[w] = v;
        }
      }
      if (dist_[t] == maxint) {
        log(4) << "d[stop]" << ":" << "unreached" << "\n";
        joined = false;
        continue;
      }
      cUpper_ += dist_[t];
      log(4) << "d[stop]" << ":" << dist_[t] << ", " << "cUpper" << ":" << cUpper_ << ", ";
      for (int x = t; x != 0; x = x == s ? 0 : pred_[x]) {
        mark_[x] = -1;
        log(4) << "i" << ":" << x << ", ";
        if (R.isReq[x] != 0 && pickIndex_[x] == 0) {
          log(3) << "additional terminal: " << x;
          picked_.push_back(x);
          pickIndex_[x] = count();
        }
      }
      log(4) << "\n";
    }
    return joined;
  }

  // The first region that the chain cuts off from every other terminal: its label (the vertex
  // it grew from), 0 when there is none.
  int region() {
    ReduceGraph& R = R_;
    regionSize_ = 0;
    IntArray stack;
    for (int v = 1; v <= R.V; ++v) {
      if (mark_[v] != 0 || R.isReq[v] != 0 || dist_[v] == maxint || !R.hasLiveSlot(v)) continue;
      int size = 0;
      stack.assign(1, v);
      mark_[v] = v;
      while (!stack.empty() && size >= 0) {
        const int x = stack.back();
        stack.pop_back();
        ++size;
        for (int a = R.nextLiveSlot(x, 0); a != 0 && size >= 0; a = R.nextLiveSlot(x, a)) {
          const int w = R.arcs[a].head;
          if (mark_[w] == -1 || mark_[w] == v) continue;
          if (R.isReq[w] != 0 || mark_[w] != 0) {
            size = -1;
            break;
          }
          mark_[w] = v;
          stack.push_back(w);
        }
      }
      if (size > 0) {
        regionSize_ = size;
        return v;
      }
    }
    regionSize_ = -1;
    return 0;
  }

  void solveRegion(int label) {
    ReduceGraph& R = R_;
    int first = 0;
    for (int s = 2 * R.E; s >= 1; --s) {
      if (R.delE[s] || R.arcs[s].tail >= R.arcs[s].head) continue;
      if (!inPiece(R.arcs[s].tail, label) || !inPiece(R.arcs[s].head, label)) continue;
      link_[s] = first;
      first = s;
    }
    ReduceGraph H = ReduceGraph::graphFromSolution(R, first, link_, false, true);
    log(3) << "\ngraph build: " << "RE.V" << ":" << H.V << ", " << "RE.E" << ":" << H.E << ", " << "RE.Vanz" << ":"
           << H.Vanz << ", " << "RE.Eanz" << ":" << H.Eanz << ", " << "\n";
    display(H);
    for (int i = 1; i <= count(); ++i) {
      H.terminals[i] = picked_[i];
      H.isReq[picked_[i]] = i;
    }
    H.R = count();
    H.upperValue = static_cast<int>(std::min<std::int64_t>(cUpper_, maxint));

    int cLower = 0;
    if (cutBranching != nullptr) {
      const int keep = verbose;
      verbose = 1;
      cLower = cutBranching(H, maxint);
      verbose = keep;
    }
    H.lowerValue = 0;
    H.upperOpt = 0;

    AscentEngine engine(H);
    engine.ascentPass(1);
    display(H);

    exitWithWarning(noRowGeneration, 27, "cuts", H.warningDump());
    const CutBoundResult result;  // the failed check returned (exitWarning=0): no results
    if (result.produced) deleteBeyondCut(label, result, cLower, engine.lowerBound());
  }

  // What a cut bound proves inside the region: a vertex or an edge whose cheapest use reaches
  // the threshold goes.
  void deleteBeyondCut(int label, const CutBoundResult& result, int cLower, int ascentLower) {
    ReduceGraph& R = R_;
    const std::int64_t threshold = result.value - std::int64_t{equality_} * result.scale;
    log(3) << "\n deleted: ";
    int deleted = 0;
    for (int v = 1; v <= R.V; ++v) {
      if (mark_[v] != label || !R.hasLiveSlot(v)) continue;
      if (std::int64_t{dist_[v]} + dist2_[v] < threshold) continue;
      R.markVertexDeleted(v);
      ++deleted;
    }
    log(3) << deleted;
    log(3) << "\n deleted edges:  ";
    int edges = 0;
    for (int s = 1; s <= 2 * R.E; ++s) {
      if (R.delE[s]) continue;
      const int x = R.arcs[s].tail, y = R.arcs[s].head;
      if (x >= y || !inPiece(x, label) || !inPiece(y, label)) continue;
      if (mark_[x] != label && mark_[y] != label) continue;
      const int p = R.partner[s];
      if (std::int64_t{dist_[x]} + edgeValue_[s] + dist2_[y] < threshold) continue;
      if (std::int64_t{dist_[y]} + edgeValue_[p] + dist2_[x] < threshold) continue;
      deleteEdgeLazily(R, s);
      ++edges;
    }
    log(3) << edges << "\n";
    R.compactEdges(nullptr);
    log(3) << "cUpper" << ":" << cUpper_ << ", " << "cLower" << ":" << cLower << ", " << "cut-lower: "
           << R.upperValue - static_cast<double>(result.value) / result.scale << ", " << "DA.lower" << ":"
           << ascentLower << ", " << "rest: " << static_cast<double>(threshold) / result.scale << "\n";
  }

  ReduceGraph& R_;
  int equality_;
  IntArray mark_, pickIndex_, dist_, dist2_, pred_, edgeValue_, link_, picked_;
  IndexedHeap heap_;
  std::int64_t cUpper_ = 0;
  int regionSize_ = 0;
};

}  // namespace

void cutBound(ReduceGraph& R) { exitWithWarning(noRowGeneration, 27, "cuts", R.warningDump()); }

void cutRelax(ReduceGraph& R) { cutBound(R); }

void setCutBranching(CutBranching solver) { cutBranching = solver; }

void ascent2(ReduceGraph& R) { ascent2Picking(R, [](ReduceGraph& G) { return getReq(G); }); }

void ascent2Picking(ReduceGraph& R, const TerminalPicker& pick) {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  shell.Iget("root", 1);  // read; the ascent on the region graph always starts at its first pick
  const bool animate = shell.Iget("animate", 0) != 0;
  const int equality = shell.Iget("equality", 0);
  shell.echoLevel = echo == 3 ? 0 : echo;
  log(3) << "\n";
  if (R.V < 1) return;
  InteractiveAscent ascent(R, equality);
  while (ascent.round(pick, animate)) {
  }
}

}  // namespace tesmo
