#pragma once
// Path deletion tests: an edge goes when a path beside it, whose longest stretch between
// terminals is no longer than the edge, joins its ends (script letters m and M).

#include "ReduceGraph.h"

namespace tesmo {

// The full test over the first three nearest terminals, the generalized MST and the bottleneck
// distances along it (letter m). Options useMark (1), delUpper (1), Radius (largest cost),
// delDegree (0).
void ptm3(ReduceGraph& R);

// The reduced form over the nearest terminal only (letter M). Options allowDestroyUpper (0),
// preserveUpper (0), Radius (largest cost).
void fastptm3(ReduceGraph& R);

}  // namespace tesmo
