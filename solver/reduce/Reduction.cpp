#include "Reduction.h"

#include "Check.h"
#include "Graph.h"
#include "PrimMstPrune.h"
#include "ReduceGraph.h"
#include "SelfCheck.h"
#include "Shell.h"

#include <string>

namespace tesmo {

namespace {
SecondAlgorithmRunner secondRunner = nullptr;
}  // namespace

void setSecondAlgorithmRunner(SecondAlgorithmRunner runner) { secondRunner = runner; }

// Until the reduction scripts exist, the tree is the pruned minimum spanning tree of the whole
// instance, offered to the instance and handed over through its export as the scripted
// reduction will hand over its best tree.
void reduction() {
  Graph& g = *currentGraph;
  ReduceGraph R(g);

  IntArray allowed(g.V + 1, 1);
  IntArray required(g.V + 1, 0);
  for (int k = 1; k <= g.R; ++k) required[g.terminals[k]] = 1;
  primMstPrune(g, allowed, required);

  // The instance names each edge by g's arc from the higher to the lower vertex; both of its
  // slots carry that identity.
  IntArray slotOf(static_cast<std::size_t>(R.IDcount) + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s)
    if (R.ID[s] >= 1 && R.ID[s] <= R.IDcount) slotOf[R.ID[s]] = s;
  IntArray tree(static_cast<std::size_t>(solutionList[0]) + 1, 0);
  for (int k = 1; k <= solutionList[0]; ++k) {
    const Arc& a = g.arcs[solutionList[k]];
    const int id = a.tail > a.head ? solutionList[k] : g.findArc(a.head, a.tail);
    tree[++tree[0]] = slotOf[id];
  }
  R.setUpper(tree, "primMstPrune", 1);
  checkAfterStep(R, "primMstPrune");

  currentGraph = R.toGraphWithTree(solutionList).release();

  const char* second = shell.Sget("algo2", "0");
  if (second && second[0] != '0' && second[0] != '\0') {
    currentGraph->solutionAsIDs = false;
    if (!secondRunner) exitWithError(std::string("algorithm ") + second + " is not available here");
    secondRunner(second);
  }
}

}  // namespace tesmo
