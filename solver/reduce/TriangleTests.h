#pragma once
// Triangle tests: an edge {u, w} of cost c goes when another path from u to w costs at most c
// (script letters t and 3). A stored tree that used a deleted edge is rerouted over the path
// found and offered again, so it stays a tree whose value is its cost.

#include "ReduceGraph.h"

namespace tesmo {

// Common neighbours only; with a terminal between two non-terminal ends both sides need only
// cost at most c (letter t). Options allowDestroyUpper (0), preserveUpper (0).
void triangle(ReduceGraph& R);

// Triangles, then a shortest path bounded by the edge cost (letter 3). Options bigtriangle (1:
// deletes at once, eliminates the degree-1 and degree-2 non-terminals it leaves behind and
// re-tests the merged edges), triangleAnimate (0), minEdge (1), useReq (1, sorted mode only).
// keepTies deletes only edges with a strictly cheaper path, so that every optimal tree survives
// (the enumeration of all optimal trees); it eliminates no vertex.
void triangle2(ReduceGraph& R, bool keepTies = false);

}  // namespace tesmo
