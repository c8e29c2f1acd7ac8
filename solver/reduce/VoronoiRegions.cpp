// Nearest terminals, Voronoi regions and the generalized MST of the region links of the reduction
// instance.

#include "FindSave.h"
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

void ReduceGraph::allocateNearArrays() {
  VoronoiWork& work = voronoiWork_;
  if (nearDist.isNull() || nearDist.columns() < V + 1 || nearPred.columns() < V + 1 ||
      nearBase.columns() < V + 1) {
    nearDist.newMatrix(3, V);
    nearPred.newMatrix(3, V);
    nearBase.newMatrix(3, V);
    // Rows not computed yet read as "no terminal".
    for (int k = 1; k <= 3; ++k)
      for (int v = 0; v <= V; ++v) {
        nearDist[k][v] = maxint;
        nearPred[k][v] = 0;
        nearBase[k][v] = 0;
      }
  }
  for (int k = 1; k <= 3; ++k)
    if (!work.heap[k] || work.heapKeys[k] != nearDist[k] || work.heap[k]->capacity() < V) {
      work.heap[k] = std::make_unique<IndexedHeap>(nearDist.columns() - 1, nearDist[k]);
      work.heapKeys[k] = nearDist[k];
    }
}

void ReduceGraph::ensureMstArrays() {
  const std::size_t vertices = static_cast<std::size_t>(V) + 1;
  const std::size_t links = static_cast<std::size_t>(Emax) + 1;
  ensureSize(mstLink, 2 * static_cast<std::size_t>(IDmax) + 1);
  ensureSize(vertexValue, vertices);
  ensureSize(voronoiSlot, vertices);
  ensureSize(linkSlot, links);
  ensureSize(regionLinks, links);
  VoronoiWork& work = voronoiWork_;
  ensureSize(work.sortKeys, links);
  ensureSize(work.sortIndex, links);
  ensureSize(work.sortKeysWork, links);
  ensureSize(work.sortIndexWork, links);
  ensureSize(work.acceptedLinks, links);
  ensureSize(work.acceptedSlots, links);
  ensureSize(work.terminalSets, static_cast<std::size_t>(R) + 1);
  ensureSize(work.vertexSets, vertices);
  ensureSize(work.treeSlots, vertices);
}

void ReduceGraph::initVoronoiArrays() {
  allocateNearArrays();
  ensureMstArrays();
  linkCount = 0;
}

void ReduceGraph::computeVoronoiRegions(int limit) {
  initVoronoiArrays();
  log(4) << "Determining the Voronoi regions und the links between them\n";
  int* dist = nearDist[1];
  int* pred = nearPred[1];
  int* base = nearBase[1];
  IndexedHeap& heap = *voronoiWork_.heap[1];
  heap.clearHeap();
  // A negative predecessor marks a labelled vertex that is not final yet.
  for (int v = 1; v <= V; ++v) {
    voronoiSlot[v] = 0;
    if (isReq[v] != 0) {
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
    LiveEdgeIterator it(*this, v);
    while (nextLiveEdge(*this, it)) {
      const int s = it.slot;
      if (delE[s]) continue;
      const int w = it.arc->head;
      const int c = it.arc->cost;
      if (pred[w] <= 0) {
        const std::int64_t nd = static_cast<std::int64_t>(dist[v]) + c;
        if (nd < dist[w] && nd <= limit) {
          voronoiSlot[w] = s;
          label(heap, dist, pred, w, v, static_cast<int>(nd));
        }
      } else if (base[w] != base[v]) {
        // Each region-crossing edge is met once, when its second end becomes final.
        const std::int64_t length = static_cast<std::int64_t>(dist[w]) + dist[v] + c;
        if (length <= limit) {
          const int a = isReq[base[v]];
          const int b = isReq[base[w]];
          if (static_cast<std::size_t>(linkCount) + 1 >= regionLinks.size()) {
            regionLinks.resize(2 * regionLinks.size() + 2);
            linkSlot.resize(regionLinks.size(), 0);
          }
          ++linkCount;
          regionLinks[linkCount] = RegionLink{std::min(a, b), std::max(a, b), static_cast<int>(length)};
          linkSlot[linkCount] = s;
        }
      }
    }
  }
}

void ReduceGraph::useMstSlot(int s, bool collectTree) {
  const Arc& a = arcs[s];
  mstLink[ID[s]] = 1;
  ++vertexValue[a.tail];
  ++vertexValue[a.head];
  if (collectTree && unionFindJoin(a.tail, a.head, true, voronoiWork_.vertexSets)) {
    IntArray& tree = voronoiWork_.treeSlots;
    tree[++tree[0]] = s;
  }
}

void ReduceGraph::acceptMstLinks(bool expand, bool collectTree) {
  VoronoiWork& work = voronoiWork_;
  ensureMstArrays();
  if (work.sortKeys.size() < static_cast<std::size_t>(linkCount) + 1) {
    // The link list outgrew Emax (edges were added since): the scratch follows it.
    const std::size_t size = regionLinks.size();
    work.sortKeys.resize(size);
    work.sortIndex.resize(size);
    work.sortKeysWork.resize(size);
    work.sortIndexWork.resize(size);
    work.acceptedLinks.resize(size);
    work.acceptedSlots.resize(size);
  }
  log(4) << "Computing the generalized MST\n";
  const int n = linkCount;
  for (int k = 1; k <= n; ++k) work.sortKeys[k] = regionLinks[k].length;
  stableSortWithIndex(n, work.sortKeys, work.sortIndex, work.sortKeysWork, work.sortIndexWork);

  std::fill(mstLink.begin(), mstLink.begin() + IDmax + 1, static_cast<unsigned char>(0));
  std::fill(vertexValue.begin(), vertexValue.begin() + V + 1, 0);
  std::fill(work.terminalSets.begin(), work.terminalSets.begin() + R + 1, 0);
  if (collectTree) {
    std::fill(work.vertexSets.begin(), work.vertexSets.begin() + V + 1, 0);
    work.treeSlots[0] = 0;
  }
  const int* pred = nearPred[1];
  int accepted = 0;
  for (int k = 1; k <= n && accepted < R - 1; ++k) {
    const int l = work.sortIndex[k];
    const RegionLink link = regionLinks[l];
    if (!unionFindJoin(link.a, link.b, true, work.terminalSets)) continue;
    ++accepted;
    work.acceptedLinks[accepted] = link;
    const int s = linkSlot[l];
    work.acceptedSlots[accepted] = s;
    if (!expand) {
      if (isReq[arcs[s].tail] != 0 && isReq[arcs[s].head] != 0) mstLink[ID[s]] = 1;
      continue;
    }
    useMstSlot(s, collectTree);
    for (int end : {arcs[s].tail, arcs[s].head}) {
      // Back to the region's terminal along the first-nearest search's tree.
      for (int u = end; pred[u] > 0 && pred[u] != u; u = pred[u]) useMstSlot(voronoiSlot[u], collectTree);
    }
  }
  for (int k = 1; k <= accepted; ++k) {
    regionLinks[k] = work.acceptedLinks[k];
    linkSlot[k] = work.acceptedSlots[k];
  }
  linkCount = accepted;
  blowUpMark = accepted > 0 && accepted == R - 1 ? regionLinks[accepted].length : maxint;
}

void ReduceGraph::generalizedMst() { acceptMstLinks(false, false); }

void ReduceGraph::generalizedMstUpper(int force) {
  if (force == 0 && upperValue == maxint && shell.Iget("mstComputeUpper", 0) != 0) force = 1;
  const bool collectTree = force != 0 && upperValue == maxint;
  acceptMstLinks(true, collectTree);
  if (collectTree) setUpper(voronoiWork_.treeSlots, "MST", 1);
  log(4) << "Link+Tree: ";
  runTimer.printTime(3);
}

void ReduceGraph::secondNearestTerminals(int limit) {
  allocateNearArrays();
  const int* dist1 = nearDist[1];
  const int* base1 = nearBase[1];
  int* dist = nearDist[2];
  int* pred = nearPred[2];
  int* base = nearBase[2];
  IndexedHeap& heap = *voronoiWork_.heap[2];
  heap.clearHeap();
  // A terminal is its own second base: a vertex labelled from it gets that terminal as base.
  for (int v = 1; v <= V; ++v) {
    dist[v] = maxint;
    pred[v] = 0;
    base[v] = isReq[v] != 0 ? v : 0;
  }
  for (int u = 1; u <= V; ++u) {
    if (base1[u] == 0) continue;
    LiveEdgeIterator it(*this, u);
    while (nextLiveEdge(*this, it)) {
      if (delE[it.slot]) continue;
      const int w = it.arc->head;
      if (isReq[w] != 0 || base1[w] == base1[u]) continue;
      const std::int64_t nd = static_cast<std::int64_t>(dist1[u]) + it.arc->cost;
      if (nd <= limit) label(heap, dist, pred, w, base1[u], static_cast<int>(nd));
    }
  }
  // Until the heap is empty (see computeVoronoiRegions): Vanz - R undercounts when terminals
  // without edges exist.
  while (!heap.empty()) {
    const int v = heap.heapExtractMin();
    pred[v] = -pred[v];
    base[v] = base[pred[v]];
    LiveEdgeIterator it(*this, v);
    while (nextLiveEdge(*this, it)) {
      if (delE[it.slot]) continue;
      const int w = it.arc->head;
      if (isReq[w] != 0 || pred[w] > 0 || base1[w] == base[v]) continue;
      const std::int64_t nd = static_cast<std::int64_t>(dist[v]) + it.arc->cost;
      if (nd <= limit) label(heap, dist, pred, w, v, static_cast<int>(nd));
    }
  }
}

void ReduceGraph::thirdNearestTerminals(int limit) {
  allocateNearArrays();
  const int* dist1 = nearDist[1];
  const int* base1 = nearBase[1];
  const int* dist2 = nearDist[2];
  const int* base2 = nearBase[2];
  int* dist = nearDist[3];
  int* pred = nearPred[3];
  int* base = nearBase[3];
  IndexedHeap& heap = *voronoiWork_.heap[3];
  heap.clearHeap();
  for (int v = 1; v <= V; ++v) {
    dist[v] = maxint;
    pred[v] = 0;
    base[v] = isReq[v] != 0 ? v : 0;
  }
  for (int u = 1; u <= V; ++u) {
    if (base1[u] == 0) continue;
    LiveEdgeIterator it(*this, u);
    while (nextLiveEdge(*this, it)) {
      if (delE[it.slot]) continue;
      const int w = it.arc->head;
      if (isReq[w] != 0) continue;
      // u's second base first, then its first.
      const int candidates[2][2] = {{base2[u], dist2[u]}, {base1[u], dist1[u]}};
      for (const auto& [b, d] : candidates) {
        if (b == 0 || b == base1[w] || b == base2[w]) continue;
        const std::int64_t nd = static_cast<std::int64_t>(d) + it.arc->cost;
        if (nd <= limit) label(heap, dist, pred, w, b, static_cast<int>(nd));
      }
    }
  }
  // Until the heap is empty (see computeVoronoiRegions): Vanz - R undercounts when terminals
  // without edges exist.
  while (!heap.empty()) {
    const int v = heap.heapExtractMin();
    pred[v] = -pred[v];
    base[v] = base[pred[v]];
    LiveEdgeIterator it(*this, v);
    while (nextLiveEdge(*this, it)) {
      if (delE[it.slot]) continue;
      const int w = it.arc->head;
      if (isReq[w] != 0 || pred[w] > 0 || base[v] == base1[w] || base[v] == base2[w]) continue;
      const std::int64_t nd = static_cast<std::int64_t>(dist[v]) + it.arc->cost;
      if (nd <= limit) label(heap, dist, pred, w, v, static_cast<int>(nd));
    }
  }
}

}  // namespace tesmo
