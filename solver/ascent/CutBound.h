#pragma once
// The cut-based bound by row generation needs an LP library that this solver does not contain:
// cutRelax (script letter c) and cutBound end the run through the failed-check handler, and the
// interactive ascent (letter +), whose terminals are picked on a display, returns at once
// without one.

#include "ReduceGraph.h"

namespace tesmo {

// The failed check of module cuts (instance saved); with exitWarning=0 the script goes on.
void cutRelax(ReduceGraph& R);
void cutBound(ReduceGraph& R);

// Options root (1), animate (0), equality (0), echoed at level 3. Logs "enter terminals\n" and
// leaves R unchanged while no display picks terminals.
void ascent2(ReduceGraph& R);

}  // namespace tesmo
