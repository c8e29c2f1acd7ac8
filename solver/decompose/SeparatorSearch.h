#pragma once
// Separators of terminals by maximum flows. In the flow graph every terminal is split into an
// exit and an entry node joined by capacity 1, every edge carries practically unlimited
// capacity; a maximum flow from the source terminal to a sink terminal of value at most k yields
// the minimum cut nearest the sink: a set of at most k terminals whose removal separates them.
// Only reads R.
//
// The list: an IntMatrix of rows 0..maxSeparators and columns 0..k; [0][0] the number of
// separators, row i its size in [i][0] and its vertices in [i][1..size] (in cut order). No two
// rows hold the same set. Nothing is written beyond the matrix's rows.

#include "IntMatrix.h"
#include "ReduceGraph.h"

namespace tesmo {

// sourceIndex: terminal index (1..R) of the source. With more terminals than option
// fewTerminalsForPartitionSeparator (2500) the search runs from four spread-out terminals inside
// their Voronoi regions instead, twice.
void findSeparators(ReduceGraph& R, IntMatrix& separators, int k, int sourceIndex);

}  // namespace tesmo
