#pragma once
// The l1 Lagrangian ascent of the path relaxation (script letter g): the commodities' weight
// copies of the second ascent, with a tree built every step from the slots the commodities' paths
// used (offered as upper bound, and in projection mode the comparison solution of the step), a
// target step towards the best tree found or a deflected fixed step, and on request a final
// clean-up of the edges.

#include "ReduceGraph.h"

namespace tesmo {

void lgr1a(ReduceGraph& R);

// The earlier form of the same ascent, which no script letter runs: a step computes anew only
// the commodities whose weights it changed; after a gain, propagation steps move weight to one
// terminal after the other (up to l1PropMax in a row without a gain) in place of subgradient
// steps. No cut memory, reduction passes or time limit.
void lgr1aEarly(ReduceGraph& R);

}  // namespace tesmo
