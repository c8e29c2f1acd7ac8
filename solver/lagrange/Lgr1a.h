#pragma once
// The l1 Lagrangian ascent of the path relaxation (script letter g): the commodities' weight
// copies of the second ascent, with a tree built every step from the slots the commodities' paths
// used (offered as upper bound, and in projection mode the comparison solution of the step), a
// target step towards the best tree found or a deflected fixed step, and on request a final
// clean-up of the edges.

#include "ReduceGraph.h"

namespace tesmo {

void lgr1a(ReduceGraph& R);

}  // namespace tesmo
