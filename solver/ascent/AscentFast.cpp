#include "AscentFast.h"

#include "AscentEngine.h"
#include "Check.h"
#include "EdgeDeletion.h"
#include "LiveEdgeIterator.h"
#include "LogStream.h"
#include "Prune1.h"
#include "ReducedCostDeletion.h"
#include "ScriptLetters.h"
#include "Shell.h"

#include <cstdint>
#include <string>

namespace tesmo {

namespace {

bool liveVertex(const ReduceGraph& R, int v) { return R.degree[v] != 0 && R.hasLiveSlot(v); }

}  // namespace

void registerAscentLetters() {
  ScriptLetters::registerLetter('A', "ascentFast(&R)", ascentFast);
}

IntArray ascentRoots(int option, int r, int edgeCount, int lowerRoot) {
  int p = option == -1 ? lowerRoot : option;
  if (p > r) p = r;
  if (p == 0 || p < -r) p = -r;
  IntArray roots(1, 0);
  int n = 1, first = p, step = r;
  if (p < 0) {
    n = -p;
    step = r / (n + 1);
    if (step == 0) {
      step = 1;
      first = 1;
    } else {
      first = edgeCount % (r - n * step) + 1;
    }
  }
  for (int i = 1; i <= n; ++i) {
    const int root = first + (i - 1) * step;
    if (root > r || root < 1) break;
    roots.push_back(root);
  }
  roots[0] = static_cast<int>(roots.size()) - 1;
  return roots;
}

void ascentFast(ReduceGraph& R) {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  const int rootOption = shell.Iget("root", -1);
  const int maxDegree = shell.Iget("ascentMaxDegree", 10);
  const bool original = shell.Iget("original", 0) != 0;
  const std::string script = shell.Sget("ascentPrune", "((mvsn)r)");
  shell.echoLevel = echo == 3 ? 0 : echo;
  const bool pruning = script != "0";

  // The engine's arrays index slots: the instance is laid out without overflow chains first.
  leaveOverflowMode(R);
  AscentEngine engine(R);
  const std::size_t slots = static_cast<std::size_t>(2 * R.E) + 1;
  IntArray next(slots, 0), chosenIn(slots, 0);
  IntArray replace(static_cast<std::size_t>(R.V) + 1, 0);

  const IntArray roots = ascentRoots(rootOption, R.R, R.E, R.lowerTag);
  for (int i = 1; i <= roots[0]; ++i) {
    if (R.upperOpt != 0) break;
    const int root = roots[i];
    log(3) << "\n\nroot: " << root << " (" << R.terminals[root] << ")\n";
    engine.ascentPass(root);
    if (!pruning) continue;
    if (R.upperOpt != 0) {
      log(3) << "solved.";
      return;
    }
    engine.reducedCostDistances();
    const IntArray& rc = engine.reducedCosts();
    const IntArray& fromRoot = engine.distancesFromRoot();

    // The auxiliary graph: zero arcs out of the vertices the root reaches at reduced cost 0,
    // each edge once.
    int first = 0;
    for (int v = 1; v <= R.V; ++v) {
      if (!liveVertex(R, v) || fromRoot[v] != 0) continue;
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s] || rc[s] != 0 || chosenIn[R.partner[s]] == root) continue;
        chosenIn[s] = root;
        next[s] = first;
        first = s;
      }
    }
    if (first == 0) {
      // One terminal: no raise and nothing to build on. Otherwise a complete ascent always
      // leaves zero arcs at the root.
      if (R.R > 1) exitWithWarning("!first", __LINE__, "ascent", R.warningDump());
      continue;
    }
    ReduceGraph aux = ReduceGraph::graphFromSolution(R, first, next, true, true);
    if (aux.R == 0) {
      exitWithWarning("!RE.R", __LINE__, "ascent", R.warningDump());
      continue;
    }
    aux.deleteUnreachable();
    log(3) << "auxiliary graph: |V|=" << aux.Vanz << ", |E|=" << aux.Eanz << ", |R|=" << R.R << "\n";
    const std::int64_t value = prune1(aux, script.c_str());
    if (aux.upperOk) {
      aux.reconstructSolution(R);
      R.setUpper(solutionList, "ascent auxiliary graph", 1);
    }
    log(3) << "calculated upper in aux. graph: " << (R.contractCost + value) << "\n";
    if (original) {
      log(3) << "redoing prune in the original graph.\n";
      const std::int64_t value2 = prune1(R, script.c_str());
      log(3) << "calculated upper in original graph: " << value2 << "\n";
    }
    log(3) << "best upper so far: " << R.upperValue << "\n";
    const std::int64_t gap = std::int64_t{R.upperValue} - engine.lowerBound();
    if (gap < 0) {
      log(3) << "solved.";
      R.markDisconnected();
      return;
    }

    deleteByReducedCosts(R, engine, gap, maxDegree, replace);
  }

  R.deleteUnreachable();
  if (R.upperOpt != 0) return;
  log(3) << " Replacing... ";
  const int replaced = replaceMarkedVertices(R, replace, false);
  log(3) << replaced << "\n";
  R.rebuildAdjacency();
}

}  // namespace tesmo
