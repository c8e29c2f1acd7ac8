#pragma once
// The solver's own checks after each reduction step, in checked builds (TESMO_CHECKS, the
// sanitizer build of the tests): the instance's invariants (slots, identities, counts, a stored
// tree that is a tree spanning the required vertices at its value, lower <= upper) and, where a
// bound computed them, reduced costs >= 0. A broken check ends the run through the instance's
// failed check, naming the step. Release builds compile the calls to nothing.

#include "CheckedVector.h"

#include <string>

namespace tesmo {

class ReduceGraph;

#ifdef TESMO_CHECKS
constexpr bool selfChecksActive = true;
#else
constexpr bool selfChecksActive = false;
#endif

// Runs the instance checker after the step named (a script letter, an operation).
void checkAfterStep(const ReduceGraph& R, const char* step);
// Every live slot's reduced cost (indexed by slot) is >= 0.
void checkReducedCosts(const ReduceGraph& R, const IntArray& reducedCosts, const char* step);

// The message of a failed check, or an empty text; what the two above act on.
std::string afterStepProblem(const ReduceGraph& R);
std::string reducedCostProblem(const ReduceGraph& R, const IntArray& reducedCosts);

}  // namespace tesmo
