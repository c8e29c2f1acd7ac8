#pragma once
// An experiment on the LP of the dual ascent, for study at the console: no script letter,
// algorithm name or other method calls it. For each root in turn it runs an ascent, then lets
// the user take chosen terminals' shares of the bound back (their raises undone on the arcs)
// and write the ascent LP of what is left for an outside LP program. It never changes R.

#include "ReduceGraph.h"

namespace tesmo {

// Options: multiDisplay (1) and berlin (1), echoed at level 3, and the LP files' folder and
// program (AscentLpFiles.h). Reads integers from the console (AscentConsole.h): a terminal index
// takes its share back, 0 writes the LP and starts again from the ascent's reduced costs, a
// negative number (or no more input) goes on to the next root.
void ascentLpExperiment(ReduceGraph& R);

}  // namespace tesmo
