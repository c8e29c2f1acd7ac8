#include "DistanceRankedPruning.h"

#include "EdgeDeletion.h"
#include "LiveEdgeIterator.h"
#include "LogStream.h"
#include "Shell.h"
#include "StableSort.h"
#include "Tm.h"
#include "Tm3.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

PruneBranching branchingSolver = nullptr;
bool branchingRunning = false;  // a branching started here is running: no second one inside it

// A tree from tm3 (or, with wc, from tm), offered to R as "tm".
void offerHeuristicTree(ReduceGraph& R, bool wc) {
  if (wc) {
    tm(R);
  } else if (tm3(R) >= maxint) {
    return;  // no tree: solutionList holds nothing of this call
  }
  R.setUpper(solutionList, "tm", 1);
}

int clampedNegative(std::int64_t sum) { return static_cast<int>(-std::min<std::int64_t>(sum, maxint - 1)); }

// Distances to the three nearest terminals and the generalized-MST tree marks (vertexValue).
void rankingData(ReduceGraph& R) {
  R.computeVoronoiRegions(maxint);
  R.secondNearestTerminals(maxint);
  R.thirdNearestTerminals(maxint);
  R.generalizedMstUpper(0);
}

bool candidate(const ReduceGraph& R, int v) { return R.isReq[v] == 0 && R.hasLiveSlot(v); }
bool onMstTree(const ReduceGraph& R, int v) { return R.vertexValue[v] != 0; }
bool onUpperTree(const ReduceGraph& R, int v) { return R.treeDegree[v] != 0; }

int liveDegree(const ReduceGraph& R, int v) {
  int d = 0;
  LiveEdgeIterator it(R, v);
  while (nextLiveEdge(R, it))
    if (!R.delE[it.slot]) ++d;
  return d;
}

// Sorts keys[1..V] ascending (stable); order[i] is the vertex at rank i.
void sortVertices(const ReduceGraph& R, IntArray& keys, IntArray& order) {
  IntArray keyWork(keys.size(), 0), indexWork(keys.size(), 0);
  stableSortWithIndex(R.V, keys, order, keyWork, indexWork);
}

void branchSmallInstance(ReduceGraph& R, const char* line, int quietDefault) {
  branchingRunning = true;
  log(2) << line;
  const int saved = verbose;
  if (shell.Iget("quietPrune", quietDefault) != 0) verbose = 0;
  branchingSolver(R, maxint);
  verbose = saved;
  branchingRunning = false;
  if (!R.upperOk) log(2) << "previous prune destroyed upper -> branching can't improve!\n";
}

}  // namespace

void setPruneBranching(PruneBranching solver) { branchingSolver = solver; }

PruneBranching installedBranching() { return branchingSolver; }

PruneCount pruneCount(int terminals, int liveVertices, double factor, int minPercent,
                      int maxPercent, int minNumber) {
  PruneCount c;
  if (liveVertices <= 0) return c;
  const int p = static_cast<int>((50 - (std::int64_t{terminals} * 300) / liveVertices) * factor);
  c.percent = std::max(minPercent, std::min(maxPercent, p));
  c.number = std::max(static_cast<int>((std::int64_t{c.percent} * liveVertices) / 100), minNumber);
  return c;
}

void reduce(ReduceGraph& R) {
  const int maxPruneSize = shell.Iget("maxPruneSize", 0);
  R.upperValueValid = 0;
  R.heuristicallyReduced = 1;
  if (R.Vanz - R.R < shell.Iget("exactMstMax", 8)) return;
  leaveOverflowMode(R);
  if (R.Eanz < maxPruneSize && !branchingRunning && branchingSolver) {
    log(4) << "Enough Reduced! -> branching with " << R.Vanz << " " << R.R << " " << R.E << "\n";
    branchSmallInstance(R, "", 1);
    return;
  }

  rankingData(R);
  const int minPercent = shell.Iget("reduceMin", 2);
  const int minNumber = shell.Iget("reduceMinNo", 1);
  const bool useUpper = shell.Iget("reduceUseUpper", 1) != 0;
  const bool useTree = shell.Iget("reduceUseTree", 1) != 0;
  const double factor = shell.Fget("reduceFaktor", 1.0);
  const PruneCount count = pruneCount(R.R, R.Vanz, factor, minPercent, maxint, minNumber);
  const int number = count.number;

  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  IntArray keys(vertices, maxint), order(vertices, 0);
  for (int v = 1; v <= R.V; ++v)
    if (candidate(R, v) && !onMstTree(R, v))
      keys[v] = clampedNegative(std::int64_t{R.nearDist[1][v]} + R.nearDist[2][v]);
  sortVertices(R, keys, order);
  log(3) << "reduce: " << count.percent << ", reduceMin: " << minNumber << " ==> number: " << number
         << "\n";

  if (R.upperValue == maxint && useUpper) {
    log(3) << "Calculating a solution...\n";
    offerHeuristicTree(R, shell.Iget("reduceWC", 0) != 0);
    // The tree stays stored with its value, but no longer counts as the instance's tree.
    R.upperOk = 0;
  }
  if (number == 0) return;

  int deleted = 0;
  for (int i = 1; i <= R.V && deleted < number; ++i) {
    const int v = order[i];
    if (!candidate(R, v)) continue;
    if (useUpper && onUpperTree(R, v)) continue;
    if (useTree && onMstTree(R, v)) continue;
    R.markVertexDeleted(v);
    ++deleted;
  }
  log(3) << "deleted vertices:  " << deleted << "\n";
  if (deleted < number) log(2) << "prune: too few deleted vertices! " << number << "/" << deleted << "\n";

  if (deleted == 0) {
    log(2) << "prune: one will be deleted (ignoring tree)! \n";
    auto deleteFirst = [&](auto&& spared) {
      for (int i = 1; i <= R.V; ++i) {
        const int v = order[i];
        if (!candidate(R, v) || spared(v)) continue;
        R.markVertexDeleted(v);
        return true;
      }
      return false;
    };
    bool done = R.upperOk && deleteFirst([&](int v) { return onUpperTree(R, v); });
    if (!done) done = deleteFirst([&](int v) { return onMstTree(R, v); });
    if (!done) {
      log(2) << "prune: deleting edges\n";
      int touched = 0;
      for (int i = 1; i <= R.V && touched <= number; ++i) {
        const int v = order[i];
        if (!candidate(R, v)) continue;
        bool lost = false;
        LiveEdgeIterator it(R, v);
        while (nextLiveEdge(R, it)) {
          const int s = it.slot;
          if (R.delE[s] || R.mstLink[R.ID[s]] || (R.upperOk && R.inTree[R.ID[s]])) continue;
          deleteEdgeLazily(R, s);
          lost = true;
        }
        if (lost) ++touched;
      }
      done = touched > 0;
    }
    if (!done) {
      R.compactEdges(nullptr);
      if (!branchingRunning && maxPruneSize != 0 && branchingSolver) {
        branchSmallInstance(R, "WARNING (Prune): no deletion possible -> branching.\n", 0);
      } else {
        log(2) << "WARNING (Prune): no deletion possible -> tm3.\n";
        offerHeuristicTree(R, false);
      }
    }
  }
  R.compactEdges(nullptr);
  R.deleteUnreachable();
}

void WCreduce(ReduceGraph& R) {
  if (R.Vanz - R.R <= 11) return;
  R.upperValueValid = 0;
  R.heuristicallyReduced = 1;
  leaveOverflowMode(R);
  rankingData(R);

  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  const int minPercent = shell.Iget("reduceMin", 5);
  const int maxPercent = shell.Iget("reduceMax", 20);
  const int minNumber = shell.Iget("reduceMinNo", 1);
  const double factor = shell.Fget("reduceFaktor", 1.0);
  const int useTree = shell.Iget("reduceUseTree", 2);
  const bool checkOverflow = shell.Iget("reduceCheckOverflow", 0) != 0;
  shell.echoLevel = echo == 3 ? 0 : echo;
  const int number = pruneCount(R.R, R.Vanz, factor, minPercent, maxPercent, minNumber).number;
  log(3) << "number: " << number << "\n";

  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  IntArray keysA(vertices, maxint), keysB(vertices, maxint), orderA(vertices, 0), orderB(vertices, 0);
  for (int v = 1; v <= R.V; ++v) {
    if (!candidate(R, v)) continue;
    const std::int64_t d12 = std::int64_t{R.nearDist[1][v]} + R.nearDist[2][v];
    if (!onMstTree(R, v) || useTree < 1) keysA[v] = clampedNegative(d12);
    if (!onMstTree(R, v) || useTree < 2) keysB[v] = clampedNegative(d12 + R.nearDist[3][v]);
  }
  sortVertices(R, keysA, orderA);
  sortVertices(R, keysB, orderB);
  IntArray rankA(vertices, 0), rankB(vertices, 0);
  for (int i = 1; i <= R.V; ++i) {
    rankA[orderA[i]] = i;
    rankB[orderB[i]] = i;
  }
  if (number == 0) return;

  int deleted = 0, deletedDegrees = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (!candidate(R, v) || (onMstTree(R, v) && useTree != 0)) continue;
    if (rankB[v] > number || rankA[v] > number) continue;
    deletedDegrees += liveDegree(R, v);
    R.markVertexDeleted(v);
    ++deleted;
  }
  R.compactEdges(nullptr);
  R.deleteUnreachable();

  int replaced = 0, replacedDegrees = 0, added = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (checkOverflow && R.lacksEdgeSpace(v) && deleted + replaced > 0) break;
    if (!candidate(R, v) || (onMstTree(R, v) && useTree >= 2)) continue;
    if (rankB[v] > number || rankA[v] <= number) continue;
    replacedDegrees += liveDegree(R, v);
    added += R.replaceVertex(v, true);
    ++replaced;
  }
  R.rebuildAdjacency();
  log(3) << "deleted vertices: " << deleted << " (" << deletedDegrees << "), set to degree2:" << replaced
         << " (" << replacedDegrees << "-" << added << "=" << (replacedDegrees - added) << ")\n";

  if (deleted + replaced == 0) {
    log(1) << "WARNING: (WCPrune) Nachloeschen nicht moeglich -> tm3.\n";
    R.compactEdges(nullptr);
    offerHeuristicTree(R, false);
  }
}

}  // namespace tesmo
