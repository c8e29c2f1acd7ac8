#pragma once
// Walks all arcs of a plain graph, vertex by vertex; with onlyForward each undirected edge once,
// from its smaller endpoint.
//
//   GraphEdgeIterator it;
//   for (Arc a = nextGraphEdge(G, it, true); a.tail != 0; a = nextGraphEdge(G, it, true)) ...

#include "Graph.h"

namespace tesmo {

struct GraphEdgeIterator {
  int arcIndex = 0;
  const Arc* arc = nullptr;
  int vertex = 0;
  int last = 0;  // last arc of the current vertex
};

// The next arc by value, {0, 0, 0} at the end (and on every later call).
inline Arc nextGraphEdge(const Graph& G, GraphEdgeIterator& it, bool onlyForward) {
  for (;;) {
    while (++it.arcIndex <= it.last) {
      const Arc& a = G.arcs[it.arcIndex];
      if (onlyForward && a.tail > a.head) continue;
      it.arc = &a;
      return a;
    }
    do ++it.vertex;
    while (it.vertex <= G.V && G.degree[it.vertex] <= 0);
    if (it.vertex > G.V) {
      it.vertex = G.V;  // stays at the end
      it.arcIndex = it.last = 0;
      it.arc = nullptr;
      return Arc{};
    }
    it.arcIndex = G.firstArc[it.vertex] - 1;
    it.last = G.firstArc[it.vertex] + G.degree[it.vertex] - 1;
  }
}

}  // namespace tesmo
