#pragma once
// Ascents by balls (script letters o and O): the terminals are taken in the order of their
// distance from a root, and around each a ball of growing reduced-cost radius is raised until it
// touches the tree built so far; the radii add up to a lower bound, the nested cuts lower the
// reduced costs, and these delete and replace what no better tree uses. O first raises the
// balls inside the Voronoi regions of all terminals at once.

#include "ReduceGraph.h"

namespace tesmo {

// Options: skipAscent (1: skipped while the graph read has fewer vertices than |R|^2), factor
// (10), wcMode (1), renewUpper (0), allRootsLimit (1), ascentMaxDegree (10), construct (0),
// replace (1), tunnel (0: 1 turns edges that only lead through a non-terminal into edges past
// it, while a stored tree passes that vertex at degree 2 or less), root (1; 0 the root of the
// last bound). Vertices are deleted by their bounds only off a stored tree; O keeps every edge
// that R marks as a tree edge. Tables of the balls and distances above verbosity 3.
void ascentVR(ReduceGraph& R);
void ascentVROLD(ReduceGraph& R);

}  // namespace tesmo
