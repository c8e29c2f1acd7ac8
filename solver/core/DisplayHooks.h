#pragma once
// The solver has no interactive display. Algorithms still call these hooks, in their order, so a
// display can be attached later; "f" (gargFlow) and "F" (fst) of the reduction scripts are empty.

#include "LogStream.h"

namespace tesmo {

class ReduceGraph;

inline bool displayActive() { return false; }
inline void display(ReduceGraph&) {}
template <class Values>
void displayAscent(ReduceGraph&, const Values&) {}
template <class Node>
void displayBranching(const Node&) {}
inline void displayContinue() {}
inline void displayWait() {}
inline int getReq(ReduceGraph&) { return 0; }
inline void displaySubproblem(int /*before*/) {}
inline int displayQuery() { return 0; }
inline void displayNotLinked() { log(3) << "Display nicht eingebunden.\n"; }

inline void gargFlow(ReduceGraph&) {}
inline void fst(ReduceGraph&) {}

}  // namespace tesmo
