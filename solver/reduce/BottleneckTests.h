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
// useSmt (0; the exact re-examination is not built, the value is only echoed).
void localBottle(ReduceGraph& R);

}  // namespace tesmo
