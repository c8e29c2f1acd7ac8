#pragma once
// The dual-ascent driver (script letter a): for one or several roots a dual ascent raises the
// lower bound, a prune of the part of the instance that the zero reduced costs span gives an
// upper bound, and the reduced costs then delete what no better tree can use and mark vertices
// for replacement, which are replaced after the last root.

#include "ReduceGraph.h"

namespace tesmo {

// Options (echoed at level 3): root (1; -1 the root of the last bound, 0 or -k several roots),
// calcUpper (1), ascentPrune ("((mvsn)r)"), prunes (0), original (0), inzident (0), full (0),
// construct (0), doReduction (1), ascentMaxDegree (10), garbageCollection (0), upperChoose (0),
// ascentLock (0), ascentRootLock (1), ascentUnlock (1), Random (0), diff (5), SSChoose (0),
// SSChooseLimit (maxint), upgrade (0), upgradePrune (0), upgradeUseSlack (1), reduce (0),
// ascentDisplay (0), ascentDisplay2 (1), ascentAsk (0), and the LP files' options
// (AscentLpFiles.h); originalClearUpper, R-prune2 and the reduce* options unechoed. The
// interactive choice (ascentAsk) and the pause after an ascent (ascentDisplay) read the console
// as AscentConsole.h says, so a run without input goes on with the automatic choice.
void ascent(ReduceGraph& R);

// The branch and bound that the driver's SLACK-PRUNE (option reduce) falls back to when it can
// delete nothing; installed by the layer that owns it (none: the upper-bound method).
using AscentBranching = int (*)(ReduceGraph& R, int verbosity);
void setAscentBranching(AscentBranching solver);

// Registers the letters of the ascent driver family: a, i, +, c, d, o and O.
void registerDualAscentLetters();

}  // namespace tesmo
