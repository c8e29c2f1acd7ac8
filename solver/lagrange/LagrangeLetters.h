#pragma once
// The script letters of the Lagrangian bounds.

namespace tesmo {

// B: beasley(&R).
void registerLagrangeLetters();

}  // namespace tesmo
