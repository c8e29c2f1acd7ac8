#pragma once
// Reads an .out network file into the solver's instance: one vertex per node name, one edge per
// "Link" line costing the summed weights of its mutated characters; nodes whose names do not
// begin with "mv" are required.

#include "Graph.h"
#include "NameSpace.h"

#include <string>

namespace tesmo {

// Fills g (arc pairs 2k-1/2k for the k-th link, ID = k, terminals) and names, without building
// the adjacency. Returns false with a message for an unreadable or malformed file; mutation
// positions without weight are also logged one by one.
bool parseOutFile(const std::string& path, Graph& g, NameSpace& names, std::string& error);

// parseOutFile, then buildAdjacency and the size line; any failure ends the run with status 1.
void readOutFile(const std::string& path, Graph& g, NameSpace& names);

}  // namespace tesmo
