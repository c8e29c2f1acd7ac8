#pragma once
// Reduced-cost probing (script letter z) and the registration of the classic tests that the
// exact programs' node scripts use (letters t, 3, e, E, l, z).
//
// Probing replaces a non-terminal v of small degree by edges between its neighbours when no
// tree in which v has degree 3 or more can beat the upper bound: every star of v (and, up to
// zDepth levels, every way to grow its non-terminal leaves) is excluded by the reduced costs of
// a dual ascent or by a spanning tree of its leaves under bottleneck distances.
//
// Arcs that no tree better than the upper bound can use carry the mark `unusable` (maxint) in
// the reduced-cost rows. The mark sits above every reduced cost an arc can have and every sum
// involving it saturates (the instance's slot arrays combine with capped sums), so a genuine
// reduced cost is never mistaken for a mark, also when costs are scaled up.

#include "ReduceGraph.h"

#include <cstdint>

namespace tesmo {

// The whole method of letter z: ascents from probeRoots terminals (each bound offered to R),
// then the probing of every vertex with the reduced costs of all roots.
void dualnew(ReduceGraph& R);

// The probing alone with one reduced-cost row handed in by the caller (its ascent, distances and
// gap); only the vertices with a non-zero piece flag are tested (all when pieceFlags is null).
// reducedCost (slots 1..2E) keeps the marks of arcs the bound excludes. tieAmount is added to
// every bound of a vertex whose stored-tree degree is at most 2 when useTie is set. Returns the
// number of replaced vertices.
int probeReducedCosts(ReduceGraph& R, int root, IntArray& reducedCost, const IntArray& distFromRoot,
                      const IntArray& distToTerminal, int tieAmount, int bound, int useTie,
                      const int* pieceFlags);

void registerProbeLetters();

}  // namespace tesmo
