#pragma once
// Linear programs of the current instance for an outside LP solver, and the way back: the
// writer puts R into LP text or fixed-column MPS form (script letter W), the reader takes the
// solver's name/value pairs and rounds the arc values to a tree offered to R (letter w).

#include "ReduceGraph.h"

#include <array>
#include <string>

namespace tesmo {

// Writes R as an LP to fileName (null or empty: nothing). Options mps, pardalosLP, pardalosF,
// pardalosR, flussRoot, flussBalance, doof, common, upperCuts, concentricCuts. R is not changed.
void LP(ReduceGraph& R, const char* fileName);

// Reads an LP solution of the arc variables x<slot> from fileName (null or empty: nothing) and
// offers the tree found on a rounded copy of R as "LP-Heuristik+Prune".
void readLP(ReduceGraph& R, const char* fileName);

// The cost readLP gives an edge of value `value` under option 1-x: Faktor x cost up to the
// threshold, else (1 - value) x Faktor x cost rounded; at least 1, at most maxint.
int lpRepricedCost(int cost, double value, int faktor, double threshold);

// Contracts edges between two terminals that are a cheapest edge of the terminal group they
// leave (groups grow as edges are contracted); logs "Contract: " and their number.
int contractTerminalEdges(ReduceGraph& R);

// Times three ways of walking the adjacency with 100 shortest-path runs each from terminal 1;
// changes nothing. Returns the three counts of key improvements over stored-tree edges.
std::array<int, 3> adjacencyTimingTest(ReduceGraph& R);

// The letters W and w, reading options writeLP and readLP.
void registerLpLetters();

}  // namespace tesmo
