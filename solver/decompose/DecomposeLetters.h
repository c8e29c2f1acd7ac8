#pragma once
// Script letters of the decompositions: b (blocks), C (two-terminal separators), Q (three),
// P (two to four), N (partition reduction).

namespace tesmo {

void registerDecomposeLetters();

}  // namespace tesmo
