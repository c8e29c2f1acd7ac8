#include "AscentFast.h"

#include "AscentEngine.h"
#include "Check.h"
#include "EdgeDeletion.h"
#include "LiveEdgeIterator.h"
#include "LogStream.h"
#include "PruneSolution.h"
#include "Shell.h"

#include <cstdint>
#include <string>

namespace tesmo {

namespace {

AscentPrune installedPrune = nullptr;

// Without the script interpreter: the pruned minimum spanning tree of the instance.
int pruneByMst(ReduceGraph& R, const char*) {
  IntArray all(1, 0);
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && s < R.partner[s]) all.push_back(s);
  all[0] = static_cast<int>(all.size()) - 1;
  if (pruneSolution(R, all) >= maxint) return maxint;
  R.setUpper(solutionList, "prune(Mst)", 0);
  return R.upperOk ? R.upperValue : maxint;
}

int prune(ReduceGraph& R, const char* script) {
  return installedPrune ? installedPrune(R, script) : pruneByMst(R, script);
}

bool liveVertex(const ReduceGraph& R, int v) { return R.degree[v] != 0 && R.hasLiveSlot(v); }

}  // namespace

void setAscentPrune(AscentPrune p) { installedPrune = p; }

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

  const IntArray roots = ascentRoots(rootOption, R.R, R.Eanz, R.lowerTag);
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
    const IntArray& toTerminal = engine.distancesToTerminal();

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
    const int value = prune(aux, script.c_str());
    if (aux.upperOk) {
      aux.reconstructSolution(R);
      R.setUpper(solutionList, "ascent auxiliary graph", 1);
    }
    log(3) << "calculated upper in aux. graph: " << (R.contractCost + value) << "\n";
    if (original) {
      log(3) << "redoing prune in the original graph.\n";
      const int value2 = prune(R, script.c_str());
      log(3) << "calculated upper in original graph: " << value2 << "\n";
    }
    log(3) << "best upper so far: " << R.upperValue << "\n";
    const std::int64_t gap = std::int64_t{R.upperValue} - engine.lowerBound();
    if (gap < 0) {
      log(3) << "solved.";
      R.markDisconnected();
      return;
    }

    // A required vertex is always within the gap on a consistent instance; it is never deleted.
    int deletedVertices = 0;
    for (int v = 1; v <= R.V; ++v) {
      if (!liveVertex(R, v) || R.isReq[v] != 0) continue;
      const int bound = engine.vertexBound(v);
      if (bound > gap || (bound == gap && R.upperOk && R.treeDegree[v] == 0)) {
        R.markVertexDeleted(v);
        ++deletedVertices;
      }
    }
    log(3) << "deleted vertices: " << deletedVertices;

    int deletedEdges = 0;
    for (int s = 1; s <= 2 * R.E; ++s) {
      const Arc& a = R.arcs[s];
      if (R.delE[s] || a.tail >= a.head) continue;
      const int p = R.partner[s];
      const std::int64_t tie = R.upperOk && !R.inTree[R.ID[s]] ? 1 : 0;
      const std::int64_t forward = std::int64_t{fromRoot[a.tail]} + rc[s] + toTerminal[a.head] + tie;
      const std::int64_t backward = std::int64_t{fromRoot[a.head]} + rc[p] + toTerminal[a.tail] + tie;
      if (forward > gap && backward > gap) {
        deleteEdgeLazily(R, s);
        ++deletedEdges;
      }
    }
    log(3) << ", edges: " << deletedEdges;
    R.compactEdges(nullptr);

    int marked = 0;
    for (int v = 1; v <= R.V; ++v) {
      const int d = R.degree[v];
      if (d <= 2 || d > maxDegree || R.isReq[v] != 0 || replace[v]) continue;
      const std::int64_t bound = std::int64_t{fromRoot[v]} + 2 * std::int64_t{toTerminal[v]};
      if (bound > gap || (bound == gap && R.upperOk && R.treeDegree[v] < 3)) {
        replace[v] = 1;
        ++marked;
      }
    }
    log(3) << ", replaces: " << marked << "\n";
  }

  R.deleteUnreachable();
  if (R.upperOpt != 0) return;
  log(3) << " Replacing... ";
  int replaced = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (!replace[v] || R.degree[v] == 0) continue;
    if (R.lacksEdgeSpace(v)) {
      log(3) << "(stopped at " << v << ") ";
      break;
    }
    R.replaceVertex(v, false);
    ++replaced;
  }
  log(3) << replaced << "\n";
  R.rebuildAdjacency();
}

}  // namespace tesmo
