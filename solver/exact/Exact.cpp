#include "Exact.h"

#include "Branching.h"

#include "Check.h"
#include "Graph.h"
#include "LogStream.h"
#include "ScopedVerbosity.h"
#include "Shell.h"

#include <memory>
#include <vector>

namespace tesmo {

void chooseProblemClass(const ReduceGraph& R, bool announce) {
  long long degreeSum = 0;
  for (int k = 1; k <= R.R; ++k) degreeSum += R.degree[R.terminals[k]];
  const double average = R.R > 0 ? static_cast<double>(degreeSum) / R.R : 0.0;
  log(1) << "average degree for R: " << average << "; ";
  if (degreeSum > 10LL * R.R && R.V <= 10LL * R.R) {
    log(1) << "many required vertices";
    shell.Phase = 'V';
  } else {
    log(1) << "few required vertices";
    shell.Phase = 'W';
  }
  if (!announce) {
    log(1) << "\n";
    return;
  }
  // An explicit choice of the run wins; it is read without a class letter in force.
  const char chosenByDegree = shell.Phase;
  shell.Phase = 0;
  const char* chosen = shell.Sget("shell.Phase", nullptr);
  shell.Phase = chosen && chosen[0] ? chosen[0] : chosenByDegree;
  log(1) << " ---> shell.Phase=" << shell.Phase << "\n";
}

namespace {

// One search object per nesting level: a script letter inside a node may solve a piece of the
// node exactly, and each level reuses its own stack.
std::vector<std::unique_ptr<Branching>> searches;
std::size_t depth = 0;

ExactOutcome exactOutcome;

}  // namespace

const ExactOutcome& lastExactOutcome() { return exactOutcome; }

int branching(ReduceGraph& R, int verbosity) {
  if (searches.size() <= depth) searches.push_back(std::make_unique<Branching>());
  Branching& search = *searches[depth];
  ++depth;
  const int value = search.run(R, verbosity);
  --depth;
  return value;
}

HandedTree runExact() {
  Graph& g = *currentGraph;
  ReduceGraph R(g);
  R.resetLower();
  R.readTree();
  const int seed = shell.Iget("seedUpper", 0);
  if (seed != 0) {
    R.upperValue = seed;
    R.upperValueValid = 0;
  }
  chooseProblemClass(R, true);
  if (shell.Iget("reportExit", 0) != 0) std::exit(0);
  verbose = shell.Iget("rVerbose", 1);
  branching(R, maxint);
  log(1) << "final Lower: " << R.lowerValue << " / upper: " << R.upperValue << std::endl;
  exactOutcome = {R.lowerValue, R.upperValue};
  if (!R.upperOk) {
    log(1) << "no tree found" << std::endl;
    solutionList.assign(1, 0);
    return handBackTree(g, TreeNumbering::slots);
  }
  // Slots of R name their edges by arc numbers of g; the caller costs and checks the tree.
  {
    ScopedVerbosity quiet(0);
    expandSolution(R, solutionList, g);
  }
  return handBackTree(g, TreeNumbering::slots);
}

void exact() { runExact(); }

}  // namespace tesmo
