#pragma once
// The reduction-script interpreter: runs a script of one-letter methods against R.
//
// Characters: a registered letter calls its method (ScriptLetters); '(' and ')' form a loop that
// repeats until a letter inside it meets the same instance signature (edges, vertices, terminals
// and the upper bound's last digits) as on its previous arrival; '!' leaves a loop whose last
// round removed less than R-alpha per cent of the edges; ";c" makes c the shell's phase for the
// methods that follow. The run also stops when R has no edge or one terminal left, when its
// bounds have met (option breakOpt), when fewer than minFree non-terminals are live, and on
// time-out (option R-maxSec; without an upper bound a heuristic tree is computed first).

#include "ReduceGraph.h"

namespace tesmo {

// script may be null (nothing happens). The shell's phase is left as the last ";c" set it.
void reduceByString(const char* script, ReduceGraph& R, int minFree);

// The interpreter's signature of R (wrapping unsigned arithmetic, seen as a signed 32-bit value).
int scriptSignature(const ReduceGraph& R, int upperValueForBreak);

// The info line of letter I at level option infoVerbose (1), then the log is flushed.
void printInfoLine(const ReduceGraph& R);

}  // namespace tesmo
