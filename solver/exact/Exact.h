#pragma once
// Exact solution of an instance: the entry of program 2 and the branch-and-bound call that the
// enumeration of optimal trees makes per edge. Until the real search exists, both solve by
// subset enumeration, which refuses instances with too many non-required vertices.

#include "ReduceGraph.h"

namespace tesmo {

// Sets shell.Phase to 'V' (many required vertices) or 'W' (few) by the terminals' average
// degree, logging "average degree for R: " and the choice.
void chooseProblemClass(const ReduceGraph& R);

// Solves R to optimality. verbosity maxint keeps verbose, any other value replaces it for the
// call; shell.phase and verbose are restored. R's lowerValue must be set (not maxint). Returns
// the optimal value in R's current costs (contractCost included), offers the tree to R's
// setUpper and leaves it in solutionList as a count-prefixed list of R's slots.
int branching(ReduceGraph& R, int verbosity);

// Algorithm of program 2, on currentGraph (left as it is): the optimal tree in solutionList as
// arc numbers of currentGraph.
void exact();

}  // namespace tesmo
