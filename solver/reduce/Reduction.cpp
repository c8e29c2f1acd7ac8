#include "Reduction.h"

#include "Graph.h"
#include "PrimMstPrune.h"
#include "ReduceGraph.h"

namespace tesmo {

// Until the reduction scripts exist, the tree is the pruned minimum spanning tree of the whole
// instance, handed over exactly as the scripted reduction will hand over its tree.
void reduction() {
  Graph& g = *currentGraph;
  ReduceGraph instance(g);

  IntArray allowed(g.V + 1, 1);
  IntArray required(g.V + 1, 0);
  for (int k = 1; k <= g.R; ++k) required[g.terminals[k]] = 1;
  primMstPrune(g, allowed, required);

  // A new instance names each edge by g's arc from the higher to the lower vertex.
  for (int k = 1; k <= solutionList[0]; ++k) {
    const Arc& a = g.arcs[solutionList[k]];
    if (a.tail < a.head) solutionList[k] = g.findArc(a.head, a.tail);
  }

  currentGraph = instance.toGraph().release();
  currentGraph->solutionAsIDs = true;
  if (currentGraph->contractID.empty()) currentGraph->contractID.assign(1, 0);
  currentGraph->contractID[0] = 0;  // no contraction belongs to this tree
}

}  // namespace tesmo
