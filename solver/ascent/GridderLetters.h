#pragma once
// The script letters of the ladder and degree-3 expansion tests.

namespace tesmo {

// G: chain dominance (or the grid pruning); Z: the expansion test of degree-3 vertices;
// x, y: vertex replacement and edge deletion by arm extension.
void registerGridderLetters();

}  // namespace tesmo
