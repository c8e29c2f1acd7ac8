#include "VoronoiRegions.h"

#include "LiveEdgeIterator.h"
#include "LogStream.h"
#include "ReduceGraph.h"
#include "RunTimer.h"
#include "Shell.h"
#include "StableSort.h"
#include "UnionFind.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

VoronoiRegions::VoronoiRegions(ReduceGraph& R) : R_(R), work_(R.voronoiWork_) {}

namespace {

// Grows an array to at least size entries, keeping what it holds (the link list may be filled).
template <class V>
void ensureSize(V& array, std::size_t size) {
  if (array.size() < size) array.resize(size);
}

// Labels w (predecessor -from) at distance nd when it is unlabelled, or improves its label.
inline void label(IndexedHeap& heap, int* dist, int* pred, int w, int from, int nd) {
  if (pred[w] == 0) {
    pred[w] = -from;
    heap.heapInsert(w, nd);
  } else if (nd < dist[w]) {
    pred[w] = -from;
    heap.heapDecreaseKey(w, nd);
  }
}

}  // namespace

void VoronoiRegions::allocateNearArrays() {
  VoronoiWork& work = work_;
  if (R_.nearDist.isNull() || R_.nearDist.columns() < R_.V + 1 || R_.nearPred.columns() < R_.V + 1 ||
      R_.nearBase.columns() < R_.V + 1) {
    R_.nearDist.newMatrix(3, R_.V);
    R_.nearPred.newMatrix(3, R_.V);
    R_.nearBase.newMatrix(3, R_.V);
    // Rows not computed yet read as "no terminal".
    for (int k = 1; k <= 3; ++k)
      for (int v = 0; v <= R_.V; ++v) {
        R_.nearDist[k][v] = maxint;
        R_.nearPred[k][v] = 0;
        R_.nearBase[k][v] = 0;
      }
  }
  for (int k = 1; k <= 3; ++k)
    if (!work.heap[k] || work.heapKeys[k] != R_.nearDist[k] || work.heap[k]->capacity() < R_.V) {
      work.heap[k] = std::make_unique<IndexedHeap>(R_.nearDist.columns() - 1, R_.nearDist[k]);
      work.heapKeys[k] = R_.nearDist[k];
    }
}

void VoronoiRegions::ensureMstArrays() {
  const std::size_t vertices = static_cast<std::size_t>(R_.V) + 1;
  const std::size_t links = static_cast<std::size_t>(R_.Emax) + 1;
  ensureSize(R_.mstLink, 2 * static_cast<std::size_t>(R_.IDmax) + 1);
  ensureSize(R_.vertexValue, vertices);
  ensureSize(R_.voronoiSlot, vertices);
  ensureSize(R_.linkSlot, links);
  ensureSize(R_.regionLinks, links);
  VoronoiWork& work = work_;
  ensureSize(work.sortKeys, links);
  ensureSize(work.sortIndex, links);
  ensureSize(work.sortKeysWork, links);
  ensureSize(work.sortIndexWork, links);
  ensureSize(work.acceptedLinks, links);
  ensureSize(work.acceptedSlots, links);
  ensureSize(work.terminalSets, static_cast<std::size_t>(R_.R) + 1);
  ensureSize(work.vertexSets, vertices);
  ensureSize(work.treeSlots, vertices);
}

void VoronoiRegions::initArrays() {
  allocateNearArrays();
  ensureMstArrays();
  R_.linkCount = 0;
}

void VoronoiRegions::computeRegions(int limit) {
  initArrays();
  log(4) << "Determining the Voronoi regions und the links between them\n";
  int* dist = R_.nearDist[1];
  int* pred = R_.nearPred[1];
  int* base = R_.nearBase[1];
  IndexedHeap& heap = *work_.heap[1];
  heap.clearHeap();
  // A negative predecessor marks a labelled vertex that is not final yet.
  for (int v = 1; v <= R_.V; ++v) {
    R_.voronoiSlot[v] = 0;
    if (R_.isReq[v] != 0) {
      pred[v] = -v;
      base[v] = v;
      heap.heapInsert(v, 0);
    } else {
      pred[v] = 0;
      base[v] = 0;
      dist[v] = maxint;
    }
  }
  // The search runs until the heap is empty: stopping once Vanz vertices are final would cut
  // it short when a terminal without edges (not counted live) is among them. Once every live
  // vertex is final the heap is empty anyway.
  while (!heap.empty()) {
    const int v = heap.heapExtractMin();
    pred[v] = -pred[v];
    base[v] = base[pred[v]];
    LiveEdgeIterator it(R_, v);
    while (nextLiveEdge(R_, it)) {
      const int s = it.slot;
      if (R_.delE[s]) continue;
      const int w = it.arc->head;
      const int c = it.arc->cost;
      if (pred[w] <= 0) {
        const std::int64_t nd = static_cast<std::int64_t>(dist[v]) + c;
        if (nd < dist[w] && nd <= limit) {
          R_.voronoiSlot[w] = s;
          label(heap, dist, pred, w, v, static_cast<int>(nd));
        }
      } else if (base[w] != base[v]) {
        // Each region-crossing edge is met once, when its second end becomes final.
        const std::int64_t length = static_cast<std::int64_t>(dist[w]) + dist[v] + c;
        if (length <= limit) {
          const int a = R_.isReq[base[v]];
          const int b = R_.isReq[base[w]];
          if (static_cast<std::size_t>(R_.linkCount) + 1 >= R_.regionLinks.size()) {
            R_.regionLinks.resize(2 * R_.regionLinks.size() + 2);
            R_.linkSlot.resize(R_.regionLinks.size(), 0);
          }
          ++R_.linkCount;
          R_.regionLinks[R_.linkCount] = RegionLink{std::min(a, b), std::max(a, b), static_cast<int>(length)};
          R_.linkSlot[R_.linkCount] = s;
        }
      }
    }
  }
}

void VoronoiRegions::useMstSlot(int s, bool collectTree) {
  const Arc& a = R_.arcs[s];
  R_.mstLink[R_.ID[s]] = 1;
  ++R_.vertexValue[a.tail];
  ++R_.vertexValue[a.head];
  if (collectTree && unionFindJoin(a.tail, a.head, true, work_.vertexSets)) {
    IntArray& tree = work_.treeSlots;
    tree[++tree[0]] = s;
  }
}

void VoronoiRegions::acceptMstLinks(bool expand, bool collectTree) {
  VoronoiWork& work = work_;
  ensureMstArrays();
  if (work.sortKeys.size() < static_cast<std::size_t>(R_.linkCount) + 1) {
    // The link list outgrew Emax (edges were added since): the scratch follows it.
    const std::size_t size = R_.regionLinks.size();
    work.sortKeys.resize(size);
    work.sortIndex.resize(size);
    work.sortKeysWork.resize(size);
    work.sortIndexWork.resize(size);
    work.acceptedLinks.resize(size);
    work.acceptedSlots.resize(size);
  }
  log(4) << "Computing the generalized MST\n";
  const int n = R_.linkCount;
  for (int k = 1; k <= n; ++k) work.sortKeys[k] = R_.regionLinks[k].length;
  stableSortWithIndex(n, work.sortKeys, work.sortIndex, work.sortKeysWork, work.sortIndexWork);

  std::fill(R_.mstLink.begin(), R_.mstLink.begin() + R_.IDmax + 1, static_cast<unsigned char>(0));
  std::fill(R_.vertexValue.begin(), R_.vertexValue.begin() + R_.V + 1, 0);
  std::fill(work.terminalSets.begin(), work.terminalSets.begin() + R_.R + 1, 0);
  if (collectTree) {
    std::fill(work.vertexSets.begin(), work.vertexSets.begin() + R_.V + 1, 0);
    work.treeSlots[0] = 0;
  }
  const int* pred = R_.nearPred[1];
  int accepted = 0;
  for (int k = 1; k <= n && accepted < R_.R - 1; ++k) {
    const int l = work.sortIndex[k];
    const RegionLink link = R_.regionLinks[l];
    if (!unionFindJoin(link.a, link.b, true, work.terminalSets)) continue;
    ++accepted;
    work.acceptedLinks[accepted] = link;
    const int s = R_.linkSlot[l];
    work.acceptedSlots[accepted] = s;
    if (!expand) {
      if (R_.isReq[R_.arcs[s].tail] != 0 && R_.isReq[R_.arcs[s].head] != 0) R_.mstLink[R_.ID[s]] = 1;
      continue;
    }
    useMstSlot(s, collectTree);
    for (int end : {R_.arcs[s].tail, R_.arcs[s].head}) {
      // Back to the region's terminal along the first-nearest search's tree.
      for (int u = end; pred[u] > 0 && pred[u] != u; u = pred[u]) useMstSlot(R_.voronoiSlot[u], collectTree);
    }
  }
  for (int k = 1; k <= accepted; ++k) {
    R_.regionLinks[k] = work.acceptedLinks[k];
    R_.linkSlot[k] = work.acceptedSlots[k];
  }
  R_.linkCount = accepted;
  R_.blowUpMark = accepted > 0 && accepted == R_.R - 1 ? R_.regionLinks[accepted].length : maxint;
}

void VoronoiRegions::generalizedMst() { acceptMstLinks(false, false); }

void VoronoiRegions::generalizedMstUpper(int force) {
  if (force == 0 && R_.upperValue == maxint && shell.Iget("mstComputeUpper", 0) != 0) force = 1;
  const bool collectTree = force != 0 && R_.upperValue == maxint;
  acceptMstLinks(true, collectTree);
  if (collectTree) R_.setUpper(work_.treeSlots, "MST", 1);
  log(4) << "Link+Tree: ";
  runTimer.printProgress(3);
}

void VoronoiRegions::secondNearest(int limit) {
  allocateNearArrays();
  const int* dist1 = R_.nearDist[1];
  const int* base1 = R_.nearBase[1];
  int* dist = R_.nearDist[2];
  int* pred = R_.nearPred[2];
  int* base = R_.nearBase[2];
  IndexedHeap& heap = *work_.heap[2];
  heap.clearHeap();
  // A terminal is its own second base: a vertex labelled from it gets that terminal as base.
  for (int v = 1; v <= R_.V; ++v) {
    dist[v] = maxint;
    pred[v] = 0;
    base[v] = R_.isReq[v] != 0 ? v : 0;
  }
  for (int u = 1; u <= R_.V; ++u) {
    if (base1[u] == 0) continue;
    LiveEdgeIterator it(R_, u);
    while (nextLiveEdge(R_, it)) {
      if (R_.delE[it.slot]) continue;
      const int w = it.arc->head;
      if (R_.isReq[w] != 0 || base1[w] == base1[u]) continue;
      const std::int64_t nd = static_cast<std::int64_t>(dist1[u]) + it.arc->cost;
      if (nd <= limit) label(heap, dist, pred, w, base1[u], static_cast<int>(nd));
    }
  }
  // Until the heap is empty (see computeRegions): Vanz - R undercounts when terminals
  // without edges exist.
  while (!heap.empty()) {
    const int v = heap.heapExtractMin();
    pred[v] = -pred[v];
    base[v] = base[pred[v]];
    LiveEdgeIterator it(R_, v);
    while (nextLiveEdge(R_, it)) {
      if (R_.delE[it.slot]) continue;
      const int w = it.arc->head;
      if (R_.isReq[w] != 0 || pred[w] > 0 || base1[w] == base[v]) continue;
      const std::int64_t nd = static_cast<std::int64_t>(dist[v]) + it.arc->cost;
      if (nd <= limit) label(heap, dist, pred, w, v, static_cast<int>(nd));
    }
  }
}

void VoronoiRegions::thirdNearest(int limit) {
  allocateNearArrays();
  const int* dist1 = R_.nearDist[1];
  const int* base1 = R_.nearBase[1];
  const int* dist2 = R_.nearDist[2];
  const int* base2 = R_.nearBase[2];
  int* dist = R_.nearDist[3];
  int* pred = R_.nearPred[3];
  int* base = R_.nearBase[3];
  IndexedHeap& heap = *work_.heap[3];
  heap.clearHeap();
  for (int v = 1; v <= R_.V; ++v) {
    dist[v] = maxint;
    pred[v] = 0;
    base[v] = R_.isReq[v] != 0 ? v : 0;
  }
  for (int u = 1; u <= R_.V; ++u) {
    if (base1[u] == 0) continue;
    LiveEdgeIterator it(R_, u);
    while (nextLiveEdge(R_, it)) {
      if (R_.delE[it.slot]) continue;
      const int w = it.arc->head;
      if (R_.isReq[w] != 0) continue;
      // u's second base first, then its first.
      const int candidates[2][2] = {{base2[u], dist2[u]}, {base1[u], dist1[u]}};
      for (const auto& [b, d] : candidates) {
        if (b == 0 || b == base1[w] || b == base2[w]) continue;
        const std::int64_t nd = static_cast<std::int64_t>(d) + it.arc->cost;
        if (nd <= limit) label(heap, dist, pred, w, b, static_cast<int>(nd));
      }
    }
  }
  // Until the heap is empty (see computeRegions): Vanz - R undercounts when terminals
  // without edges exist.
  while (!heap.empty()) {
    const int v = heap.heapExtractMin();
    pred[v] = -pred[v];
    base[v] = base[pred[v]];
    LiveEdgeIterator it(R_, v);
    while (nextLiveEdge(R_, it)) {
      if (R_.delE[it.slot]) continue;
      const int w = it.arc->head;
      if (R_.isReq[w] != 0 || pred[w] > 0 || base[v] == base1[w] || base[v] == base2[w]) continue;
      const std::int64_t nd = static_cast<std::int64_t>(dist[v]) + it.arc->cost;
      if (nd <= limit) label(heap, dist, pred, w, v, static_cast<int>(nd));
    }
  }
}

// The instance's own operations of the data model.
void ReduceGraph::initVoronoiArrays() { VoronoiRegions(*this).initArrays(); }
void ReduceGraph::computeVoronoiRegions(int limit) { VoronoiRegions(*this).computeRegions(limit); }
void ReduceGraph::generalizedMst() { VoronoiRegions(*this).generalizedMst(); }
void ReduceGraph::generalizedMstUpper(int force) { VoronoiRegions(*this).generalizedMstUpper(force); }
void ReduceGraph::secondNearestTerminals(int limit) { VoronoiRegions(*this).secondNearest(limit); }
void ReduceGraph::thirdNearestTerminals(int limit) { VoronoiRegions(*this).thirdNearest(limit); }

}  // namespace tesmo
