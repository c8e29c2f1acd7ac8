#pragma once
// Bottleneck tests on the minimum spanning tree of the instance: contraction of spanning-tree
// edges that a short route between two terminal regions needs (script letter e), and the
// upgrade of non-terminals that some optimal tree must contain (script letter E).

#include "ReduceGraph.h"

namespace tesmo {

// Contracts every spanning-tree edge that joins two terminals, or that lies on the route of a
// generalized-MST link no longer than the cheapest other edge across the edge's tree cut.
// Option allowDestroyUpper (0): with a stored tree only its edges are contracted. A part that
// the first terminal cannot reach is deleted first.
void bottle(ReduceGraph& R);

// Makes a non-terminal v a terminal when a star from v to some of its terminal neighbours (or to
// terminals one non-terminal further) costs no more than a spanning tree of those terminals
// under bottleneck distances that avoid v. Options maxTerminals (min(R, 8)), maxDeg (8),
// useSmt (0; non-zero: a subset that fails is solved exactly with those terminals alone, and v
// is upgraded when that tree is cheaper than the spanning tree).
void localBottle(ReduceGraph& R);

// Deletes every non-terminal v of degree above 2 for which, for each k up to its degree and the
// terminal count, its k cheapest edges cost more than the k - 1 longest links of the generalized
// MST: a tree through v with k edges there would be dearer than rejoining its parts by links.
// Option QuickDel (1): 0 deletes the edges lazily, else the vertex at once.
void quickDel(ReduceGraph& R);

}  // namespace tesmo
