#pragma once
// The lines the taxon-information window lists for a node: its label, its information items, its
// total frequency, a separator and the taxa it includes (equivalent taxa with the same sequence).

#include "Network_Diagramm.h"

#include <string>
#include <vector>

// Lines for node `node` (1-based); none for a number outside the diagram.
std::vector<std::string> TaxonInfoLines(const TNetwork_Diagramm& diagram, int node);
