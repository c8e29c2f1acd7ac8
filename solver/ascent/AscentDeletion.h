#pragma once
// Ascent-based deletion tests (script letter i). Each test changes the instance for one dual
// ascent: a vertex of the stored tree is taken out (a bound above the upper bound makes it
// required), a vertex off the tree or both ends of an edge off the tree are made required (a
// bound above the upper bound deletes them). With option ascentDelOld=0 a statistics run only
// counts what a rescaled ascent per vertex could delete or replace.

#include "ReduceGraph.h"

namespace tesmo {

// Options (echoed at level 3): ascentDelOld (1, unechoed), root (1; negative the root of the last
// bound, 0 every terminal), ascentReq (1), ascentDel (1), ascentEdges (1), ascentDelMax (maxint),
// diff (5), ascentDelLimit (maxint: larger instances are left alone).
void ascentDel(ReduceGraph& R);

}  // namespace tesmo
