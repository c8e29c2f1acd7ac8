#pragma once
// The plain repeated shortest-path heuristic: from each start vertex one full search in which the
// growing tree sits at distance 0, joining the terminals in the order the search meets them. The
// best tree is offered to R with the label "tm3_brasil".

#include "ReduceGraph.h"

namespace tesmo {

// Option tmIterations (10): start vertices tried (the terminals first, then the other vertices).
void tm3_brasil(ReduceGraph& R);

}  // namespace tesmo
