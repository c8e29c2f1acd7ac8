#include "AlgorithmTable.h"

#include "BlockAnalyser.h"
#include "Branching.h"
#include "Check.h"
#include "CombineTrees.h"
#include "DisplayHooks.h"
#include "Exact.h"
#include "Graph.h"
#include "HandedTree.h"
#include "LogStream.h"
#include "OptimalTreeEnumeration.h"
#include "Random.h"
#include "ReduceGraph.h"
#include "ExactMst.h"
#include "Kmb.h"
#include "Reduction.h"
#include "ScriptLetterSetup.h"
#include "Tm3.h"
#include "RunTimer.h"
#include "ScopedVerbosity.h"
#include "SearchPath.h"
#include "Shell.h"
#include "SolutionHash.h"
#include "StpReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace tesmo {

namespace {

struct TableEntry {
  const char* name;
  AlgorithmEntry entry;
};

constexpr TableEntry table[] = {
    {"tm3", tm3Algorithm},
    {"reduction", reduction},
    {"reduction_phase", reductionPhase},
    {"exact", exact},
    {"exactMst", exactMstAlgorithm},
    {"combine", combineTrees},
    {"kmb", kmb},
    {"biCon", biConAlgorithm},
    {"allSolutions", allSolutions},
};

std::string placeForWriting(const std::string& name) {
  return writePath ? SearchPath::makePath(writePath->firstDirectory(), name) : name;
}

}  // namespace

AlgorithmEntry algorithmTable(const char* name) {
  for (const TableEntry& e : table)
    if (name && std::strcmp(e.name, name) == 0) return e.entry;
  const std::string text = std::string("algorithm ") + (name ? name : "") + " not implemented!";
  std::cerr << text << std::endl;
  exitWithError(text);  // the log, too, must end with a line the watching program recognises
}

void runAlgorithm(const char* name) {
  const AlgorithmEntry entry = algorithmTable(name);
  registerScriptLetters();
  entry();
}

void allSolutions() {
  Graph& g = *currentGraph;
  ReduceGraph R(g);
  chooseProblemClass(R);
  const int scale = OptimalTreeEnumeration::chooseScale(R);
  OptimalTreeEnumeration::scaleCosts(R, scale, true);
  displaySubproblem(1);

  const int E = R.E;
  IntArray mark(2 * static_cast<std::size_t>(E) + 1, 0);
  IntArray starts(static_cast<std::size_t>(E) + 3, 0);
  IntArray store(static_cast<std::size_t>(E + 2) * (R.V + 1) + 1, 0);
  SolutionHash hash(E + 2, std::max(1, R.V), store.data(), starts.data());
  int count = 0;
  int nextFree = 1;
  int inSolCount = 0;
  int step = 0;
  Branching search;  // one working copy for every step
  for (int i = 1; i <= 2 * E; ++i) {
    if (R.delE[i] || i > R.partner[i]) continue;
    ++step;
    if (mark[i] != 0 || R.arcs[i].cost == 0) continue;  // a zero cost cannot be lowered
    const int p = R.partner[i];
    --R.arcs[i].cost;
    --R.arcs[p].cost;
    int val = 0;
    {
      ScopedVerbosity quiet(0);
      R.clearUpper();
      R.lowerValue = 0;
      val = search.run(R, maxint);
    }
    log(3) << "Step: " << step << " of " << R.Eanz << ". " << "sols" << ":" << count << ", "
           << "inSolCount" << ":" << inSolCount << ", " << "val" << ":" << val << ", " << std::endl;
    ++R.arcs[i].cost;
    ++R.arcs[p].cost;
    R.upperOk = 0;
    if (val % scale == 0) mark[i] = -1;
    ++count;
    starts[count] = nextFree;
    for (int k = 1; k <= solutionList[0]; ++k) {
      const int u = std::min(solutionList[k], R.partner[solutionList[k]]);
      if (mark[u] == 0) {
        mark[u] = 1;
        ++inSolCount;
      }
      store[nextFree++] = u;
    }
    store[nextFree++] = 0;
    if (hash.checkAndInsert(count) == 0) nextFree = starts[count--];
  }
  displaySubproblem(0);

  const char* problem = shell.Sget("problem");
  for (int s = 0; s <= count; ++s) {
    char name[32];
    std::snprintf(name, sizeof name, "all%i.sol", s);
    std::ofstream out(placeForWriting(name));
    std::int64_t sum = 0;
    auto writeEdge = [&](int slot) {
      const Arc& a = R.arcs[slot];
      out << "(" << a.tail << "," << a.head << ")" << a.cost / scale << ", ";
      sum += a.cost / scale;
    };
    if (s == 0) {
      for (int i = 1; i <= 2 * E; ++i)
        if (!R.delE[i] && i < R.partner[i] && mark[i] > 0) writeEdge(i);
    } else {
      for (int k = starts[s]; store[k] != 0; ++k) writeEdge(store[k]);
    }
    out << "\n" << "value: " << sum << "\n" << "problem: " << (problem ? problem : "") << "\n";
  }

  OptimalTreeEnumeration::deleteMarkedEdges(R, mark);
  OptimalTreeEnumeration::scaleCosts(R, scale, false);
  R.saveGraph(nullptr, nullptr);
  display(R);
  solutionList[0] = 0;
}

void runProblem() {
  const char* problem = shell.lookup("problem");
  if (!problem) {
    std::cerr << "Problem " << " nicht gefunden!" << std::endl;
    std::exit(1);
  }
  log(3) << "Starte Ostrevan :" << problem << std::endl;
  const std::string algorithm = shell.Sget("algorithm", "nix");
  log(3) << "Algorithm :" << algorithm << std::endl;
  seedRandom(-1);
  runTimer.startTimer();
  runAlgorithm(algorithm.c_str());
  runTimer.printTime(3);
}

void solveInstance() {
  const char* problemText = shell.Sget("problem");
  const std::string algorithm = shell.Sget("algorithm", "reduction");
  if (!problemText) {
    std::cerr << "Instance " << " not found!" << std::endl;
    std::exit(1);
  }
  const std::string problem = problemText;
  log(3) << "algorithm: " << algorithm << std::endl;
  log(2) << "instance: " << problem << std::endl;
  auto instance = std::make_unique<Graph>();
  readStp(*instance);
  currentGraph = instance.get();
  solutionList.assign(static_cast<std::size_t>(instance->V) + 1, 0);
  seedRandom(-1);
  runTimer.startTimer();
  runAlgorithm(algorithm.c_str());
  runTimer.printTime(1);

  if (solutionList[0] == 0 && instance->E > 0) {
    log(4) << "no solution saved.";
  } else {
    const std::int64_t cost = expandTree(handedBackTree(), *instance);
    const char* treeFile = shell.Sget("savetree");
    if (treeFile && *treeFile) {
      std::vector<int> arcsUp;  // each edge as its arc from the lower to the higher vertex
      for (int k = 1; k <= solutionList[0]; ++k) {
        const Arc& a = instance->arcs[solutionList[k]];
        arcsUp.push_back(a.tail < a.head ? solutionList[k] : instance->findArc(a.head, a.tail));
      }
      std::sort(arcsUp.begin(), arcsUp.end());
      std::ofstream out(placeForWriting(treeFile));
      out << arcsUp.size() << "\n";
      for (int a : arcsUp) out << a << " ";
      out << "\n" << cost << "\n" << problem << "\n" << algorithm << "\n";
    }
  }
  if (currentGraph != instance.get()) delete currentGraph;
  currentGraph = nullptr;
  solutionList.clear();
}

int runCommandFile(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "Eingabedatei " << "" << " nicht gefunden!" << std::endl;
    return 1;
  }
  const char* const* env = environ;
  SearchPath tmpPath("STEINERTMPPATH", true, env);
  SearchPath outPath("STEINEROUTPATH", true, env);
  SearchPath datPath("STEINERDATPATH", false, env);
  SearchPath strPath("STEINERSTRPATH", false, env);
  SearchPath solPath("STEINERSOLPATH", false, env);
  SearchPath defaultPath(".:..", false);
  std::string found;
  const std::string name = argv[1];
  if (!defaultPath.findInPath(name, &found) && !strPath.findInPath(name, &found) &&
      !datPath.findInPath(name, &found)) {
    std::cerr << "Eingabedatei " << name << " nicht gefunden!" << std::endl;
    return 1;
  }
  readPath = &datPath;
  writePath = &tmpPath;
  std::ifstream commands(found);
  while (shell.loadProblem(commands)) runProblem();
  readPath = writePath = nullptr;
  return 0;
}

}  // namespace tesmo
