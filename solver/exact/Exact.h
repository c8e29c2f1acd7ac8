#pragma once
// Exact solution of an instance: the entry of program 2 and the branch-and-bound call that the
// enumeration of optimal trees makes per edge, and every other exact sub-solve.

#include "HandedTree.h"
#include "ReduceGraph.h"

namespace tesmo {

// Sets shell.Phase to 'V' (many required vertices) or 'W' (few) by the terminals' average
// degree, logging "average degree for R: " and the choice. With announce (the algorithm "exact")
// an option shell.Phase overrides the choice and the line ends with " ---> shell.Phase=" and the
// letter.
void chooseProblemClass(const ReduceGraph& R, bool announce = false);

// Solves R to optimality by branch and bound (option Reduction: the script of the nodes).
// verbosity maxint keeps verbose, any other value replaces it for the call; shell.phase and
// verbose are restored. R's lowerValue must be set (not maxint). Returns R's upperValue after the
// search (contractCost included): the optimum when the search completed; R's lower bound is
// raised to what the search proved. The tree goes to R's setUpper and stays in solutionList as a
// count-prefixed list of R's slots (empty when no tree was found).
int branching(ReduceGraph& R, int verbosity);

// Algorithm of program 2, on currentGraph (left as it is): the optimal tree in solutionList as
// arc numbers of currentGraph.
void exact();
// The same, returning the tree with its graph (currentGraph) and numbering (slots).
HandedTree runExact();

// The bounds the last run of exact() ended with (contractCost included): the tree's value is
// proven optimal only when lower equals upper; a time-out leaves lower below it.
struct ExactOutcome {
  long long lower = 0;
  long long upper = 0;
};
const ExactOutcome& lastExactOutcome();

}  // namespace tesmo
