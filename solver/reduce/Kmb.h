#pragma once
// A Steiner-tree heuristic on the instance graph (algorithm "kmb"): the complete distance graph
// of the terminals is replaced by the shortest links between their Voronoi regions; a minimum
// spanning tree of those links is expanded into paths, and the pruned minimum spanning tree of
// the vertices collected so, grown from one or more terminals, is the tree. The best one is left
// in solutionList (arcs of the graph).

#include "Graph.h"
#include "Heap.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class Kmb {
public:
  explicit Kmb(const Graph& g);
  // Tries the first `iterations` terminals as roots; solutionList is rewritten for each better
  // tree (left alone when no root is tried). Returns the best weight (maxint when none).
  std::int64_t run(int iterations);

private:
  struct Link {
    int a, b;  // endpoints, a in the region of the smaller base
    int A, B;  // the bases (vertex numbers), A < B
    std::int64_t length;
  };
  void voronoi();
  void shortestLinks();
  void generalizedMst();
  void collectUsedVertices();

  const Graph& g_;
  IntArray terminalIndex_, dist_, pred_, base_;
  IndexedHeap heap_;
  std::vector<unsigned char> used_, taken_;
  std::vector<Link> links_, accepted_;
  IntArray sets_;
};

// The entry of the algorithm table: option iterations (1) on the current instance graph.
void kmb();

}  // namespace tesmo
