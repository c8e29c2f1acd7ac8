#include "Exact.h"

#include "Branching.h"

#include "Check.h"
#include "Graph.h"
#include "LogStream.h"
#include "ScopedVerbosity.h"
#include "Shell.h"

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

int branching(ReduceGraph& R, int verbosity) { return Branching().run(R, verbosity); }

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
