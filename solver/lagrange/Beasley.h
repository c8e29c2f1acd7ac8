#pragma once
// Lagrangian relaxation of the Steiner problem as a spanning tree with an artificial root
// (script letter B): subgradient steps on the multipliers raise the lower bound; the relaxed
// tree's sensitivity deletes edges and vertices that no better tree uses, contracts tree edges
// that every better tree uses and makes vertices required that every better tree contains.

#include "ReduceGraph.h"

namespace tesmo {

void beasley(ReduceGraph& R);

}  // namespace tesmo
