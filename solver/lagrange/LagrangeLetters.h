#pragma once
// The script letters of the Lagrangian bounds.

namespace tesmo {

// B: beasley(&R), g: lgr1a(&R), 2: lgr2a(&R).
void registerLagrangeLetters();

}  // namespace tesmo
