#pragma once
// The cut-based bound by row generation needs an LP library that this solver does not contain:
// cutRelax (script letter c) and cutBound end the run through the failed-check handler. The
// interactive ascent (letter +) joins terminals picked on a display by shortest paths, looks for
// a region that this chain cuts off, solves the picked terminals on the region's graph exactly
// and by dual ascent, and asks cutBound for the bound that would delete inside the region.

#include "ReduceGraph.h"

#include <functional>

namespace tesmo {

// The failed check of module cuts (instance saved); with exitWarning=0 the script goes on.
void cutRelax(ReduceGraph& R);
void cutBound(ReduceGraph& R);

// The terminal index picked next (the display's getReq); an index outside 1..R, or a terminal
// picked before, ends the picking.
using TerminalPicker = std::function<int(ReduceGraph&)>;
// The exact solver of the region graph, installed by the layer that owns it (branching).
using CutBranching = int (*)(ReduceGraph& R, int verbosity);
void setCutBranching(CutBranching solver);

// Options root (1), animate (0), equality (0), echoed at level 3. Picks through getReq: without
// a display nothing is picked, "enter terminals\n" is logged and R stays as it was. The second
// form takes the picks from pick, which is asked again after every round until a round picks
// fewer than two terminals. Without results of cutBound (exitWarning=0) nothing is deleted.
void ascent2(ReduceGraph& R);
void ascent2Picking(ReduceGraph& R, const TerminalPicker& pick);

}  // namespace tesmo
