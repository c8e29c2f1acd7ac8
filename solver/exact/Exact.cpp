#include "Exact.h"

#include "Check.h"
#include "Graph.h"
#include "LogStream.h"
#include "ScopedVerbosity.h"
#include "SelfCheck.h"
#include "Shell.h"
#include "SubsetEnumeration.h"

namespace tesmo {

void chooseProblemClass(const ReduceGraph& R) {
  long long degreeSum = 0;
  for (int k = 1; k <= R.R; ++k) degreeSum += R.degree[R.terminals[k]];
  const double average = R.R > 0 ? static_cast<double>(degreeSum) / R.R : 0.0;
  log(1) << "average degree for R: " << average << "; ";
  if (degreeSum > 10LL * R.R && R.V <= 10LL * R.R) {
    log(1) << "many required vertices\n";
    shell.Phase = 'V';
  } else {
    log(1) << "few required vertices\n";
    shell.Phase = 'W';
  }
}

namespace {

// The tree of a reduced copy, carried back to R's slots: the copy's edges name R's edges by
// identity, merged edges stand for the pair they replaced, and the contractions made in the copy
// belong to the tree.
void treeOfCopy(const ReduceGraph& R, const ReduceGraph& copy, const IntArray& copySlots, IntArray& tree) {
  CheckedVector<unsigned char> marked(static_cast<std::size_t>(copy.IDcount) + 1, 0);
  auto mark = [&](int id) {
    if (id >= 1 && id <= copy.IDcount) marked[id] = 1;
  };
  for (int k = 1; k <= copySlots[0]; ++k) mark(copy.ID[copySlots[k]]);
  for (int k = R.contractID[0] + 1; k <= copy.contractID[0]; ++k) mark(copy.contractID[k]);
  for (int t = copy.mergeHistory[0] - 2; t > R.mergeHistory[0]; t -= 3) {
    const int newID = copy.mergeHistory[t + 2];
    if (newID >= 1 && newID <= copy.IDcount && marked[newID]) {
      mark(copy.mergeHistory[t]);
      mark(copy.mergeHistory[t + 1]);
    }
  }
  tree.assign(1, 0);
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || s > R.partner[s]) continue;
    const int id = R.ID[s];
    if (id >= 1 && id <= copy.IDcount && marked[id]) {
      tree.push_back(s);
      ++tree[0];
    }
  }
}

}  // namespace

int branching(ReduceGraph& R, int verbosity) {
  // The same line as the search's own consistency check, so that logs read alike.
  if (R.lowerValue == maxint) exitWithWarning("Original->lowerValue==maxint", 261, "branching");
  ScopedVerbosity scope;
  if (verbosity != maxint) verbose = verbosity;

  // The degree reductions keep the optimum and leave fewer vertices to enumerate; they work on a
  // copy, so that R keeps every edge.
  ReduceGraph copy = ReduceGraph::copyGraph(R, 2);
  copy.clearUpper();
  copy.removeVertices();
  SubsetEnumeration search(copy);
  IntArray copySlots;
  std::int64_t value = search.solve(copySlots);
  IntArray tree(1, 0);
  if (value < maxint) {
    treeOfCopy(R, copy, copySlots, tree);
    value = R.contractCost;
    for (int k = 1; k <= tree[0]; ++k) value += R.arcs[tree[k]].cost;
    R.setUpper(tree, "branching", 0);
    checkAfterStep(R, "branching");
  }
  if (solutionList.size() < tree.size()) solutionList.resize(tree.size(), 0);
  for (int i = 0; i <= tree[0]; ++i) solutionList[i] = tree[i];

  return value < maxint ? static_cast<int>(value) : maxint;
}

void exact() {
  Graph& g = *currentGraph;
  ReduceGraph R(g);
  chooseProblemClass(R);
  R.resetLower();
  branching(R, maxint);
  // Slots of R name their edges by arc numbers of g; the caller costs and checks the tree.
  ScopedVerbosity quiet(0);
  expandSolution(R, solutionList, g);
}

}  // namespace tesmo
