#include "TreeUnionAnalyser.h"

#include "BlockSearch.h"

#include <algorithm>

namespace tesmo {

namespace {

// The arcs of a count-prefixed list that are valid arcs of G, as the lower arc of each pair of
// directions so that both directions of an edge count once.
void appendEdges(const Graph& G, const IntArray& list, std::vector<int>& out) {
  const int count = list.empty() ? 0 : list[0];
  const int arcCount = 2 * G.E;
  for (int k = 1; k <= count; ++k) {
    const int a = list[k];
    if (a < 1 || a > arcCount) continue;
    const int back = G.findArc(G.arcs[a].head, G.arcs[a].tail);
    out.push_back(back != 0 ? std::min(a, back) : a);
  }
}

}  // namespace

TreeUnionAnalyser::TreeUnionAnalyser(const Graph& G, const IntArray& treeA, const IntArray& treeB) {
  std::vector<int> edgesA, edgesB;
  appendEdges(G, treeA, edgesA);
  appendEdges(G, treeB, edgesB);
  std::vector<int> both(edgesA);
  both.insert(both.end(), edgesB.begin(), edgesB.end());
  std::sort(both.begin(), both.end());
  both.erase(std::unique(both.begin(), both.end()), both.end());
  vertexMap_.assign(static_cast<std::size_t>(G.V) + 1, 0);
  // An empty union has no instance: building one from no edges ends the run.
  if (both.empty()) return;

  IntArray list(both.size() + 1, 0);
  list[0] = static_cast<int>(both.size());
  std::copy(both.begin(), both.end(), list.begin() + 1);
  Graph sub;
  sub.subgraphFromEdges(G, list, &vertexMap_);
  // Terminals off both trees have no vertex in the union; the cost search needs none of them.
  int kept = 0;
  for (int k = 1; k <= sub.R; ++k)
    if (sub.terminals[k] > 0) sub.terminals[++kept] = sub.terminals[k];
  sub.R = kept;
  for (int& v : vertexMap_)
    if (v < 0) v = 0;
  graph_ = std::make_unique<ReduceGraph>(sub);

  const ReduceGraph& U = *graph_;
  const std::size_t slots = 2 * static_cast<std::size_t>(U.E) + 1;
  sourceArc_.assign(slots, 0);
  treeFlags_.assign(slots, 0);
  num_.assign(static_cast<std::size_t>(U.V) + 1, 0);
  low_.assign(static_cast<std::size_t>(U.V) + 1, 0);
  edgeStack_.assign(slots, 0);
  auto slotFor = [&](int u, int w) {
    for (int s = U.nextLiveSlot(u, 0); s != 0; s = U.nextLiveSlot(u, s))
      if (U.arcs[s].head == w) return s;
    return 0;
  };
  auto mark = [&](const std::vector<int>& edges, int flag) {
    for (int a : edges) {
      const int u = vertexMap_[G.arcs[a].tail];
      const int w = vertexMap_[G.arcs[a].head];
      const int s = slotFor(u, w);
      if (s == 0) continue;  // a loop, dropped with the union
      treeFlags_[s] |= flag;
      treeFlags_[U.partner[s]] |= flag;
    }
  };
  mark(edgesA, 1);
  mark(edgesB, 2);
  // Union vertex numbers back to G's, to name each slot's arc there.
  IntArray back(static_cast<std::size_t>(U.V) + 1, 0);
  for (int v = 1; v <= G.V; ++v)
    if (vertexMap_[v] > 0) back[vertexMap_[v]] = v;
  for (int s = 1; s < static_cast<int>(slots); ++s)
    sourceArc_[s] = G.findArc(back[U.arcs[s].tail], back[U.arcs[s].head]);
}

int TreeUnionAnalyser::unionVertex(int v) const {
  return v >= 1 && v < static_cast<int>(vertexMap_.size()) ? vertexMap_[v] : 0;
}

void TreeUnionAnalyser::reset() {
  counter_ = 0;
  if (empty()) return;
  edgeStack_[0] = 0;
  std::fill(num_.begin(), num_.end(), 0);
}

void TreeUnionAnalyser::closeBlock(int e) {
  const ReduceGraph& U = *graph_;
  std::int64_t onlyA = 0, onlyB = 0, shared = 0;
  int top = edgeStack_[0];
  for (;; --top) {
    const int s = edgeStack_[top];
    const std::int64_t cost = U.arcs[s].cost;
    switch (treeFlags_[s]) {
      case 1: onlyA += cost; break;
      case 2: onlyB += cost; break;
      default: shared += cost; break;
    }
    if (s == e) break;
  }
  edgeStack_[0] = top - 1;
  costSum_ += shared + std::min(onlyA, onlyB);
}

std::int64_t TreeUnionAnalyser::search(int start) {
  costSum_ = 0;
  if (empty()) return 0;
  const ReduceGraph& U = *graph_;
  if (start < 1 || start > U.V || num_[start] != 0) return 0;
  searchBlocks(U, start, counter_, num_, low_, edgeStack_, frames_, [this](int e) { closeBlock(e); });
  return costSum_;
}

std::int64_t combinedBlockCost(const Graph& G, const IntArray& treeA, const IntArray& treeB, int start) {
  TreeUnionAnalyser analyser(G, treeA, treeB);
  analyser.reset();
  return analyser.search(start);
}

}  // namespace tesmo
