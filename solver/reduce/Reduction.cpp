#include "Reduction.h"

#include "Check.h"
#include "Graph.h"
#include "HandedTree.h"
#include "LogStream.h"
#include "ReduceByString.h"
#include "ReduceGraph.h"
#include "ScriptLetters.h"
#include "RunTimer.h"
#include "SelfCheck.h"
#include "Shell.h"
#include "Upper.h"

#include <memory>
#include <string>
#include <utility>

namespace tesmo {

namespace {

SecondAlgorithmRunner secondRunner = nullptr;
ReductionOutcome outcome;

void recordOutcome(const ReduceGraph& R) {
  outcome = ReductionOutcome{R.lowerValue, R.upperValue, R.upperOpt, R.Vanz, R.Eanz, R.R};
}

// Steps shared by both algorithms: the instance, the tree of the problem file, a seeded bound.
void prepare(ReduceGraph& R) {
  R.readTree();
  const int seedUpper = shell.Iget("seedUpper", 0);
  if (seedUpper != 0) {
    log(3) << "seedUpper=" << seedUpper << std::endl;
    R.upperValue = seedUpper;
    R.upperValueValid = 0;
  }
}

void runScripts(ReduceGraph& R) {
  runTimer.printProgress(3);
  const char* order = shell.Sget("R-order");
  const std::string rOrder = order ? order : "";
  const char* first = shell.Sget("R-first");
  const std::string rFirst = first ? first : "";
  const char* last = shell.Sget("R-last");
  const std::string rLast = last ? last : "";
  const int rBreak = shell.Iget("R-break", 0);
  shell.phase = 'F';
  if (first) reduceByString(rFirst.c_str(), R, rBreak);
  shell.phase = 'O';
  if (order && R.upperOpt == 0) reduceByString(rOrder.c_str(), R, rBreak);
  shell.phase = 'L';
  if (last && R.upperOpt == 0) reduceByString(rLast.c_str(), R, rBreak);
}

// The stored tree as identities of the export (the caller hands it back with that numbering);
// only the contractions made before it was stored belong to it.
void handBack(const ReduceGraph& R, Graph& exported) {
  const int count = R.upperTree.empty() ? 0 : R.upperTree[0];
  if (solutionList.size() < static_cast<std::size_t>(count) + 2) solutionList.resize(count + 2, 0);
  for (int i = 0; i <= count; ++i) solutionList[i] = R.upperTree[i];
  if (!exported.contractID.empty() && static_cast<std::size_t>(count) + 1 < R.upperTree.size())
    exported.contractID[0] = std::min(R.upperTree[count + 1], exported.contractID[0]);
}

void logDegrees(const ReduceGraph& R, const Graph& exported) {
  long long sum = 0;
  int counted = 0;
  log(4) << "Degrees: ";
  for (int v = 1; v <= R.V; ++v) {
    if (R.degree[v] == 0 || R.isReq[v] != 0) continue;
    log(4) << R.degree[v] << " ";
    sum += R.degree[v];
    ++counted;
  }
  log(4) << " average: ";
  if (counted > 0)
    log(4) << static_cast<double>(sum) / counted;
  else
    log(4) << "-";
  log(4) << "\nrequired: ";
  sum = 0;
  for (int k = 1; k <= exported.R; ++k) {
    const int d = exported.degree[exported.terminals[k]];
    log(4) << d << " ";
    sum += d;
  }
  log(4) << " average: " << (exported.R > 0 ? static_cast<double>(sum) / exported.R : 0.0) << std::endl;
}

}  // namespace

void setSecondAlgorithmRunner(SecondAlgorithmRunner runner) { secondRunner = runner; }

void reduction() { runReduction(); }

void reductionPhase() { runReductionPhase(); }

const ReductionOutcome& lastReductionOutcome() { return outcome; }

HandedTree runReduction() {
  runTimer.printProgress(3);
  log(3) << "initializing the graph data structures...\n";
  ReduceGraph R(*currentGraph);
  prepare(R);
  const char* phaseLetter = shell.Sget("shell.Phase");
  if (phaseLetter && *phaseLetter) {
    shell.Phase = phaseLetter[0];
    log(1) << "shell.Phase=" << shell.Phase << "\n";
  }
  runScripts(R);
  shell.phase = 0;

  // The LP writer and reader live in a later library; they are reached through their letters.
  const char* writeLP = shell.Sget("writeLP");
  const char* readLP = shell.Sget("readLP");
  for (auto [name, letter] : {std::pair{writeLP, 'W'}, std::pair{readLP, 'w'}}) {
    if (!name || !*name) continue;
    if (const ScriptLetter* method = ScriptLetters::find(letter)) method->method(R);
    else log(1) << "LP files are not available in this version; option ignored.\n";
  }

  // Without the bound methods a script may leave no tree; program 1 still needs one.
  if (R.upperValue == maxint && R.upperOpt == 0 && R.R > 1 && R.Eanz > 0) {
    log(3) << "no tree from the scripts, calculating an upper bound...\n";
    upper(R);
    checkAfterStep(R, "upper");
  }

  recordOutcome(R);
  std::unique_ptr<Graph> exported = R.toGraph();
  runTimer.printProgress(3);
  if (solutionList.empty()) solutionList.assign(1, 0);
  solutionList[0] = 0;
  const int upperOpt = R.upperOpt;
  bool handed = false;
  if (exported->R > 1 && exported->E >= 1) {
    if (upperOpt != 0) {
      handBack(R, *exported);
      handed = true;
    } else {
      if (verbose >= 4) logDegrees(R, *exported);
      const char* second = shell.Sget("algo2");
      if (second && second[0] != '0' && second[0] != '\0') {
        const std::string name = second;
        exported->solutionAsIDs = false;
        currentGraph = exported.release();
        if (!secondRunner) exitWithError("algorithm " + name + " is not available here");
        secondRunner(name.c_str());
        return handedBackTree();  // as the second algorithm left it
      }
      handBack(R, *exported);
      handed = true;
    }
  } else if (upperOpt != 0) {
    handBack(R, *exported);
    handed = true;
  } else {
    log(1) << "Graph reduced to a single vertex! contracted cost:" << R.contractCost << std::endl;
  }
  currentGraph = exported.release();
  return handBackTree(*currentGraph, handed ? TreeNumbering::identities : TreeNumbering::slots);
}

HandedTree runReductionPhase() {
  runTimer.printProgress(3);
  log(3) << "initializing the graph data structures...\n";
  ReduceGraph R(*currentGraph);
  prepare(R);
  long long degreeSum = 0;
  for (int k = 1; k <= R.R; ++k) degreeSum += R.degree[R.terminals[k]];
  log(1) << "average degree for R: " << (R.R > 0 ? static_cast<double>(degreeSum) / R.R : 0.0) << "; ";
  if (degreeSum > 10LL * R.R && R.V <= 10LL * R.R) {
    log(1) << "many required vertices";
    shell.Phase = 'V';
  } else {
    log(1) << "few required vertices";
    shell.Phase = 'W';
  }
  const char* phaseLetter = shell.Sget("shell.Phase");
  if (phaseLetter && *phaseLetter) shell.Phase = phaseLetter[0];
  log(1) << " ---> shell.Phase=" << shell.Phase << "\n";
  runScripts(R);

  if (solutionList.empty()) solutionList.assign(1, 0);
  solutionList[0] = 0;
  recordOutcome(R);
  std::unique_ptr<Graph> exported = R.toGraph();
  const bool handed = R.upperOpt != 0;
  if (handed) handBack(R, *exported);
  currentGraph = exported.release();
  return handBackTree(*currentGraph, handed ? TreeNumbering::identities : TreeNumbering::slots);
}

}  // namespace tesmo
