#include "Tesmo.h"

#include "AlgorithmTable.h"
#include "Check.h"
#include "Exact.h"
#include "Graph.h"
#include "HandedTree.h"
#include "LogStream.h"
#include "NameSpace.h"
#include "OptimalTreeEnumeration.h"
#include "OutReader.h"
#include "ProgramDefaults.h"
#include "Random.h"
#include "ReduceGraph.h"
#include "Reduction.h"
#include "RunTimer.h"
#include "ScopedVerbosity.h"
#include "ScriptLetterSetup.h"
#include "SearchPath.h"
#include "Shell.h"
#include "SlotView.h"
#include "StoWriter.h"
#include "TreeCompletion.h"
#include "UnionFind.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace tesmo {

namespace {

constexpr const char* bannerName = "Tesmo-steiner, by the Tarvane authors\n";
constexpr const char* bannerVersion = "version: 0.16\n";

std::unique_ptr<SearchPath> ownedReadPath;
std::unique_ptr<SearchPath> ownedWritePath;

// No tree can join taxa in different parts of the network; say so instead of reporting a tree
// that misses some of them.
void refuseDisconnected(const Graph& g, const NameSpace& names) {
  std::vector<char> reached(static_cast<std::size_t>(g.V) + 1, 0);
  std::vector<int> stack = {g.terminals[1]};
  reached[g.terminals[1]] = 1;
  while (!stack.empty()) {
    const int v = stack.back();
    stack.pop_back();
    for (int a = g.firstArc[v]; a < g.firstArc[v] + g.degree[v]; ++a)
      if (!reached[g.arcs[a].head]) {
        reached[g.arcs[a].head] = 1;
        stack.push_back(g.arcs[a].head);
      }
  }
  for (int k = 2; k <= g.R; ++k)
    if (!reached[g.terminals[k]])
      exitWithError(std::string("network not connected: taxon ") + names.name(g.terminals[k]) +
                    " cannot be reached from taxon " + names.name(g.terminals[1]));
}

// The solver's values stay below its infinity 1600000000, which means "no tree": a network
// whose shortest tree may reach it is refused, as no tree of it could be reported. A spanning
// tree stripped of its median-vector leaves bounds the shortest tree from above.
void refuseTooLong(const Graph& g) {
  IntArray required(static_cast<std::size_t>(g.V) + 1, 0);
  for (int k = 1; k <= g.R; ++k) required[g.terminals[k]] = 1;
  const std::vector<unsigned char> all(static_cast<std::size_t>(g.V) + 1, 1);
  TreeCompletion spanning(g.V);
  if (spanning.run(SlotView(g), all.data(), required.data(), g.R) && spanning.weight() < maxint) return;
  exitWithError("network too long: a tree of it costs " + std::to_string(spanning.weight()) +
                ", the shortest tree may cost 1600000000 or more");
}

// Whether the arcs of g join every taxon; with acyclic set they must also hold no cycle.
bool joinsAllTaxa(const Graph& g, const IntArray& arcs, bool acyclic) {
  UnionFind components(g.V);
  const int count = arcs.empty() ? 0 : arcs[0];
  for (int i = 1; i <= count; ++i) {
    const int a = arcs[i];
    if (a < 1 || a > 2 * g.E) return false;
    if (!components.join(g.arcs[a].tail, g.arcs[a].head) && acyclic) return false;
  }
  for (int k = 2; k <= g.R; ++k)
    if (!components.same(g.terminals[k], g.terminals[1])) return false;
  return true;
}

// What the .sto reports must be what it claims: a tree (or, for the network of all optimal
// trees, a network) joining all taxa, at a cost below the solver's infinity.
void refuseFalseResult(const Graph& g, const IntArray& arcs, std::int64_t cost, bool tree) {
  if (cost >= 0 && cost < maxint && joinsAllTaxa(g, arcs, tree)) return;
  exitWithError(std::string("no ") + (tree ? "tree" : "network") + " joining all taxa found (cost " +
                std::to_string(cost) + "); no sto file written");
}

namespace fs = std::filesystem;

// Resolved paths, or the same existing file reached by two names (links included).
bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  std::error_code errorA, errorB;
  const fs::path resolvedA = fs::weakly_canonical(a, errorA);
  const fs::path resolvedB = fs::weakly_canonical(b, errorB);
  return !errorA && !errorB && resolvedA == resolvedB;
}

// Writing the result or the log over the network (or over each other) would destroy it before
// or while it is read; refused before anything is opened.
void refuseSharedPaths(const std::string& outPath, const std::string& stoPath, const std::string& logPath) {
  if (sameFile(stoPath, outPath)) exitWithError("sto file and out file are the same file: " + stoPath);
  if (logPath.empty()) return;
  if (sameFile(logPath, outPath)) exitWithError("log file and out file are the same file: " + logPath);
  if (sameFile(logPath, stoPath)) exitWithError("log file and sto file are the same file: " + logPath);
}

}  // namespace

void configureRun(int argc, char** argv) {
  programPath = argv[0] ? argv[0] : "";
  setProgramDefaults(argv[2][0]);
  ownedReadPath = std::make_unique<SearchPath>(".", false);
  ownedWritePath = std::make_unique<SearchPath>(".", true);
  readPath = ownedReadPath.get();
  writePath = ownedWritePath.get();
  shell.Sset("problem", argv[1]);
  shell.Sset("screen", "1");
  shell.Sset("output", argv[4]);
  shell.Sset("outputAppend", "0");
  if (argc > 5) shell.setAssignments(argv + 5);
  verbose = shell.Iget("verbose", 3);
}

namespace {

int runOnce(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << bannerName << bannerVersion << "Wrong number of parameters. Need 4 parameters.\n"
              << "1) path to out file\n"
              << "2) which program to start [1-5]\n"
              << "3) path to output .sto file\n"
              << "4) path to log file\n";
    return 1;
  }
  configureRun(argc, argv);
  const char program = argv[2][0];
  const std::string outPath = argv[1];
  const std::string stoPath = argv[3];

  refuseSharedPaths(outPath, stoPath, LogStream::filePath());
  logStream.openLog();
  log(0) << bannerName << bannerVersion << "args: ";
  for (int i = 1; i < argc; ++i) log(0) << "\"" << argv[i] << "\" ";
  log(0) << std::endl;

  Graph input;
  currentGraph = &input;
  NameSpace names(9, 100, false);
  readOutFile(outPath, input, names);
  refuseDisconnected(input, names);
  refuseTooLong(input);

  if (shell.Iget("saveStp", 0) != 0) ReduceGraph(input).saveGraph("network.stp", "");

  // The labels travel beside the graph: the solution is translated back into its arcs.
  IntArray labels = std::move(input.ID);
  input.ID.clear();
  solutionList.assign(static_cast<std::size_t>(input.E) + 2, 0);

  seedRandom(-1);
  runTimer.startTimer();
  setSecondAlgorithmRunner(runAlgorithm);
  registerScriptLetters();
  // The instance of the enumerating programs; programs 1 and 2 build their own.
  ReduceGraph instance(*currentGraph);

  // The result file is complete before the process-time line tells the waiting program that
  // the run succeeded.
  if (program == '1' || program == '2') {
    // Program 1 hands back identities of its export (which is currentGraph now), program 2 arc
    // numbers of the input.
    const HandedTree tree = program == '1' ? runReduction() : runExact();
    const std::int64_t cost = expandTree(tree, input);
    refuseFalseResult(input, solutionList, cost, true);
    if (!StoWriter(input, labels, names).writeTree(stoPath, outPath, program, cost, solutionList))
      exitWithError("cannot write sto file: " + stoPath);
  } else {
    int count = 0;
    IntArray store;
    IntArray starts;
    enumerateOptimalTrees(count, store, starts, input, instance);
    // The network of all optimal trees: every live edge of the instance, in arcs of the input.
    IntArray network(1, 0);
    for (int s = 1; s <= 2 * instance.E; ++s)
      if (!instance.delE[s] && s < instance.partner[s]) network.push_back(s);
    network[0] = static_cast<int>(network.size()) - 1;
    {
      ScopedVerbosity quiet(0);
      expandSolution(instance, network, input);
    }
    refuseFalseResult(input, network, instance.upperValue, false);
    if (!StoWriter(input, labels, names)
             .writeNetwork(stoPath, outPath, program, network, instance.upperValue, store, starts, count))
      exitWithError("cannot write sto file: " + stoPath);
  }
  TreeCompletion::reportEmptyHeaps(std::cerr);
  runTimer.printTime(1);
  log(0) << "\nsteiner computation finished.\n";
  logStream.flushLog();

  if (currentGraph != &input) delete currentGraph;  // the algorithm's export
  currentGraph = nullptr;
  solutionList.clear();
  readPath = writePath = nullptr;
  ownedReadPath.reset();
  ownedWritePath.reset();
  return 0;
}

}  // namespace

int runTesmo(int argc, char** argv) {
  // Whatever goes wrong, the log must end with a line the waiting program recognises.
  try {
    return runOnce(argc, argv);
  } catch (const std::bad_alloc&) {
    exitWithError("not enough memory");
  } catch (const std::exception& e) {
    exitWithError(e.what());
  }
}

}  // namespace tesmo
