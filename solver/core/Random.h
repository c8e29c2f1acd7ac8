#pragma once
// The process-wide random generator, seeded once per run; all results are 1-based.

#include "CheckedVector.h"

namespace tesmo {

// A seed of -1 means option randomseed, and when that is unset too, the clock.
void seedRandom(int seed);
// Uniform in 1..n (1 and a complaint on standard error for n < 1).
int randomNumber(int n);
// The raw generator value.
int randomRaw();
// a[1..n] := a random permutation of 1..n.
void randomPermutation(int n, IntArray& a);
// Fills the zeros of a partial permutation a[1..n] with the missing values, at random places.
void completePermutation(int n, IntArray& a);

}  // namespace tesmo
