#pragma once
// A dual ascent that tries every other terminal as the first one raised: each order of the
// raises gives a valid bound, and the best is reported. Nothing in the solver calls it; it
// changes nothing in the instance.

#include "ReduceGraph.h"

namespace tesmo {

// Option root (1). Logs the bound of the plain ascent ("Lower: ", "+Contr= "), every trial
// ("first: " position " Nr.: " vertex), each improvement ("SUCCESS!!!!!!  (") and the best
// bound ("(new) lower: "); at verbosity 5 the reduced costs of the best pass after "slacks: ".
// Returns the best bound with the instance's contractCost (0 without two terminals).
int ascentByFirstTerminal(ReduceGraph& R);

}  // namespace tesmo
