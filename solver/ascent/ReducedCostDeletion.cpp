#include "ReducedCostDeletion.h"

#include "EdgeDeletion.h"
#include "LogStream.h"

namespace tesmo {

namespace {

bool liveVertex(const ReduceGraph& R, int v) { return R.degree[v] != 0 && R.hasLiveSlot(v); }

}  // namespace

ReducedCostDeletions deleteByReducedCosts(ReduceGraph& R, const AscentEngine& engine, std::int64_t gap,
                                          int maxDegree, IntArray& replaceMarks,
                                          const ReducedCostLabels& labels, const IntArray* secondToTerminal) {
  return deleteByReducedCosts(R, engine.reducedCosts(), engine.distancesFromRoot(), engine.distancesToTerminal(),
                              gap, maxDegree, replaceMarks, labels, secondToTerminal);
}

ReducedCostDeletions deleteByReducedCosts(ReduceGraph& R, const IntArray& rc, const IntArray& fromRoot,
                                          const IntArray& toTerminal, std::int64_t gap, int maxDegree,
                                          IntArray& replaceMarks, const ReducedCostLabels& labels,
                                          const IntArray* secondToTerminal, const ReducedCostRules& rules,
                                          IntArray* movedSlots) {
  ReducedCostDeletions done;

  // A required vertex is always within the gap on a consistent instance; it is never deleted.
  for (int v = 1; v <= R.V; ++v) {
    if (!liveVertex(R, v) || R.isReq[v] != 0) continue;
    const std::int64_t bound = std::int64_t{fromRoot[v]} + toTerminal[v];
    const bool offStoredTree = R.upperOk && R.treeDegree[v] == 0;
    if (rules.verticesOffStoredTreeOnly ? offStoredTree && bound >= gap
                                        : bound > gap || (bound == gap && offStoredTree)) {
      R.markVertexDeleted(v);
      ++done.vertices;
    }
  }
  log(3) << labels.vertices << done.vertices;

  for (int s = 1; s <= 2 * R.E; ++s) {
    const Arc& a = R.arcs[s];
    if (R.delE[s] || a.tail >= a.head) continue;
    const int p = R.partner[s];
    // The marks of a destroyed tree stay behind: only a stored tree lets a tie go.
    const bool marked = R.inTree[R.ID[s]] != 0;
    const std::int64_t tie = R.upperOk && !marked ? 1 : 0;
    const std::int64_t forward = std::int64_t{fromRoot[a.tail]} + rc[s] + toTerminal[a.head];
    const std::int64_t backward = std::int64_t{fromRoot[a.head]} + rc[p] + toTerminal[a.tail];
    if (forward + tie > gap && backward + tie > gap && !(rules.keepTreeMarkedEdges && marked)) {
      deleteEdgeLazily(R, s);
      ++done.edges;
    } else if (rules.keptEdge) {
      rules.keptEdge(s, forward, backward);
    }
  }
  log(3) << labels.edges << done.edges;
  R.compactEdges(movedSlots);

  for (int v = 1; v <= R.V; ++v) {
    const int d = R.degree[v];
    if (d < rules.minReplaceDegree || d <= 0 || d > maxDegree || R.isReq[v] != 0 || replaceMarks[v]) continue;
    // Two arc-disjoint paths leave v toward two terminals other than the root: one at least
    // toTerminal[v] in reduced cost, the other (avoiding the nearest one) at least the second
    // distance.
    const std::int64_t second = secondToTerminal ? (*secondToTerminal)[v] : toTerminal[v];
    const std::int64_t bound = std::int64_t{fromRoot[v]} + toTerminal[v] + second;
    if (bound > gap || (bound == gap && R.upperOk && R.treeDegree[v] < 3)) {
      replaceMarks[v] = 1;
      ++done.marked;
    }
  }
  log(3) << labels.replaces << done.marked << "\n";
  return done;
}

int replaceMarkedVertices(ReduceGraph& R, const IntArray& replaceMarks, bool rebuildOnShortage) {
  int replaced = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (!replaceMarks[v] || R.degree[v] == 0) continue;
    if (R.lacksEdgeSpace(v)) {
      if (!rebuildOnShortage) {
        log(3) << "(stopped at " << v << ") ";
        break;
      }
      log(3) << "...Garbage collection...";
      R.rebuildAdjacency();
      if (R.lacksEdgeSpace(v)) {
        log(3) << "(stopped at " << v << ") ";
        break;
      }
    }
    R.replaceVertex(v, false);
    ++replaced;
  }
  return replaced;
}

}  // namespace tesmo
