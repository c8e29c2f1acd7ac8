#pragma once
// The algorithm "combine": up to nine trees stored by earlier runs in tree files
// (<readtree>.1.tree .. <readtree>.9.tree) restrict the instance graph to the edges (option induce
// 0) or the vertices (induce non-zero) they use; prune1 solves that small instance and its tree
// is left in solutionList (arcs of the instance graph).
//
// A tree file holds whitespace-separated tokens: the number n of tree edges, n arc numbers
// (either direction of an edge), the tree's value and the problem name.

#include "Graph.h"

namespace tesmo {

void combineTrees();

}  // namespace tesmo
