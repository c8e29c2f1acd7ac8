// Solves one STP instance the way the solver's single-instance mode does, with the settings given
// on the command line, checks the tree edge by edge against the instance and prints its figures.
// A network file (.out) with program 3 or 4 runs the enumeration of optimal trees on it instead,
// as the solver's programs 3 and 4 do, and checks every tree it stores.

#include "AlgorithmTable.h"
#include "Exact.h"
#include "Graph.h"
#include "LogStream.h"
#include "NameSpace.h"
#include "OptimalTreeEnumeration.h"
#include "OutReader.h"
#include "ProgramDefaults.h"
#include "ReduceGraph.h"
#include "Reduction.h"
#include "RunTimer.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "StpReader.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

using namespace tesmo;

namespace {

// The solution (arcs of g) is a tree joining every terminal; its cost, or -1.
std::int64_t checkedCost(const Graph& g, const IntArray& solution) {
  std::vector<int> parent(static_cast<std::size_t>(g.V) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&parent](int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::int64_t cost = 0;
  const int count = solution.empty() ? 0 : solution[0];
  for (int i = 1; i <= count; ++i) {
    const int a = solution[i];
    if (a < 1 || a > 2 * g.E) return -1;
    const int x = root(g.arcs[a].tail), y = root(g.arcs[a].head);
    if (x == y) return -1;  // a cycle
    parent[x] = y;
    cost += g.arcs[a].cost;
  }
  for (int k = 2; k <= g.R; ++k)
    if (root(g.terminals[k]) != root(g.terminals[1])) return -1;
  return cost;
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<long>(usage.ru_maxrss);
}

// Programs 3 and 4 on a network file: the network of all optimal trees and the trees stored.
int enumerate(const std::string& file) {
  Graph input;
  NameSpace names(9, 100, false);
  readOutFile(file, input, names);
  input.ID.clear();  // the trees come back as arcs of the input
  currentGraph = &input;
  solutionList.assign(static_cast<std::size_t>(input.E) + 2, 0);
  registerScriptLetters();
  setSecondAlgorithmRunner(runAlgorithm);
  ReduceGraph R(input);

  const auto start = std::chrono::steady_clock::now();
  runTimer.startTimer();
  int count = 0;
  IntArray store, starts;
  enumerateOptimalTrees(count, store, starts, input, R);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  int links = 0;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && s < R.partner[s]) ++links;  // merged links count once
  bool valid = count > 0;
  for (int t = 1; t <= count; ++t) {
    IntArray tree(1, 0);
    for (int k = starts[t]; store[k] != 0; ++k) tree.push_back(store[k]);
    tree[0] = static_cast<int>(tree.size()) - 1;
    valid = valid && checkedCost(input, tree) == R.upperValue;
  }
  currentGraph = nullptr;
  std::printf("vertices=%d edges=%d terminals=%d value=%d network_links=%d trees=%d valid=%d seconds=%.3f "
              "peak_kb=%ld\n",
              input.V, input.E, input.R, R.upperValue, links, count, valid ? 1 : 0, seconds, peakKilobytes());
  return valid ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strchr(argv[1], '=') != nullptr) {
    std::fprintf(stderr,
                 "usage: steiner_bench <instance.stp | network.out> [name=value ...]\n"
                 "  program=1..4 applies that program's defaults first (default 1); a .out file with\n"
                 "  program=3 or 4 runs the enumeration of optimal trees;\n"
                 "  algorithm=<name> (default reduction), R-order=..., R-maxSec=..., verbose=... as in the solver\n");
    return 2;
  }
  const std::string file = argv[1];
  std::vector<std::string> settings(argv + 2, argv + argc);
  char program = '1';
  for (const std::string& s : settings)
    if (s.rfind("program=", 0) == 0 && s.size() > 8) program = s[8];
  if (program < '1' || program > '4') {
    std::fprintf(stderr, "steiner_bench: program must be 1 to 4\n");
    return 2;
  }
  setProgramDefaults(program);
  shell.setAssignments(settings);
  shell.Sset("problem", file);
  verbose = shell.Iget("verbose", 0);
  if (verbose > 0) {
    shell.Sset("screen", "1");
    logStream.openLog();
  }
  const bool networkFile = file.size() > 4 && file.compare(file.size() - 4, 4, ".out") == 0;
  if (networkFile) {
    if (program != '3' && program != '4') {
      std::fprintf(stderr, "steiner_bench: a network file needs program=3 or program=4\n");
      return 2;
    }
    // The enumeration sets the verbosity to rVerbose for its searches and to verbose between
    // them: both quiet unless asked for.
    for (const char* name : {"verbose", "rVerbose"})
      if (shell.Sget(name, nullptr) == nullptr) shell.Sset(name, "0");
    return enumerate(file);
  }

  Graph input;
  readStp(input);
  const int vertices = input.V, edges = input.E, terminals = input.R;
  currentGraph = &input;
  solutionList.assign(static_cast<std::size_t>(input.E) + 2, 0);
  registerScriptLetters();
  setSecondAlgorithmRunner(runAlgorithm);
  const std::string algorithm = shell.Sget("algorithm", "reduction");

  const auto start = std::chrono::steady_clock::now();
  runTimer.startTimer();
  runAlgorithm(algorithm.c_str());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  Graph* result = currentGraph;
  const bool reduced = algorithm == "reduction" || algorithm == "reduction_phase";
  const ReductionOutcome outcome = lastReductionOutcome();
  const int savedVerbose = verbose;
  verbose = 0;
  if (result != &input) expandSolution(*result, solutionList, input);
  verbose = savedVerbose;
  const std::int64_t value = checkedCost(input, solutionList);
  const bool valid = value >= 0 && (input.R <= 1 || solutionList[0] > 0 || input.E == 0);
  const bool exactRun = algorithm == "exact";
  // An exact run proves its tree only when its lower bound met the value (not on a time-out).
  const ExactOutcome& exactResult = lastExactOutcome();
  const std::int64_t lower = exactRun ? exactResult.lower : (reduced ? outcome.lower : 0);
  const bool proven = valid && (exactRun ? exactResult.lower == value && exactResult.upper == value
                                         : reduced && outcome.finished == 1 && outcome.upper == value);

  if (result != &input) delete result;
  currentGraph = nullptr;

  std::printf("vertices=%d edges=%d terminals=%d reduced_vertices=%d reduced_edges=%d reduced_terminals=%d "
              "value=%lld lower=%lld proven=%d valid=%d seconds=%.3f peak_kb=%ld\n",
              vertices, edges, terminals, reduced ? outcome.vertices : vertices, reduced ? outcome.edges : edges,
              reduced ? outcome.terminals : terminals, static_cast<long long>(value), static_cast<long long>(lower),
              proven ? 1 : 0, valid ? 1 : 0, seconds, peakKilobytes());
  return valid ? 0 : 1;
}
