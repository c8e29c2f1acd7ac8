#pragma once
// The live slots of a vertex, the same way for a plain Graph (its arc range) and for a reduction
// instance (deleted slots skipped, overflow chains followed), so that the heuristics run on both.

#include "Graph.h"
#include "ReduceGraph.h"

namespace tesmo {

class SlotView {
public:
  explicit SlotView(const Graph& g) : g_(g) {}
  explicit SlotView(const ReduceGraph& R) : g_(R), r_(&R) {}

  const Graph& graph() const { return g_; }
  const Arc& arc(int s) const { return g_.arcs[s]; }

  // f(slot, arc) for every live slot of v.
  template <class F>
  void forEach(int v, F&& f) const {
    if (r_) {
      for (int s = r_->nextLiveSlot(v, 0); s != 0; s = r_->nextLiveSlot(v, s)) f(s, g_.arcs[s]);
    } else {
      const int end = g_.firstArc[v] + g_.degree[v];
      for (int s = g_.firstArc[v]; s < end; ++s) f(s, g_.arcs[s]);
    }
  }
  bool hasEdges(int v) const { return r_ ? r_->hasLiveSlot(v) : g_.degree[v] > 0; }
  // Vertices that have at least one live slot.
  int liveVertexCount() const {
    if (r_) return r_->Vanz;
    int n = 0;
    for (int v = 1; v <= g_.V; ++v)
      if (g_.degree[v] > 0) ++n;
    return n;
  }

private:
  const Graph& g_;
  const ReduceGraph* r_ = nullptr;
};

}  // namespace tesmo
