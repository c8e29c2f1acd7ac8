#include "Prune1.h"

#include "Check.h"
#include "ExactMst.h"
#include "LogStream.h"
#include "ReduceByString.h"
#include "ScopedVerbosity.h"
#include "Shell.h"
#include "SlotView.h"
#include "TreeCompletion.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tesmo {

namespace {

// Re-spans the tree in solutionList by a pruned MST over its vertices; returns its weight.
std::int64_t respanTree(const ReduceGraph& R) {
  std::vector<unsigned char> allowed(R.V + 1, 0);
  IntArray required(R.V + 1, 0);
  for (int k = 1; k <= R.R; ++k) required[R.terminals[k]] = allowed[R.terminals[k]] = 1;
  for (int i = 1; i <= solutionList[0]; ++i) {
    const Arc& a = R.arcs[solutionList[i]];
    allowed[a.tail] = allowed[a.head] = 1;
  }
  TreeCompletion completion(R.V);
  if (!completion.run(SlotView(R), allowed.data(), required.data(), R.R)) {
    solutionList[0] = 0;
    return maxint;
  }
  completion.writeSlots(solutionList);
  return completion.weight();
}

}  // namespace

std::int64_t prune1(ReduceGraph& R, const char* script, const int* marks) {
  const std::string text = script ? script : shell.Sget("R-prune", "((mvsn)r)");
  const char phaseChar = R.Vanz > shell.Iget("bigPruneLimit", 1000) ? 'B' : 'P';
  log(R.messageOffset() + 2) << "starting PRUNE: " << text << ", shell.phase: " << phaseChar << std::endl;

  ReduceGraph copy = ReduceGraph::copyGraph(R, 2);
  if (!copy.upperOk) {
    if (copy.upperTree.size() < 2) copy.upperTree.resize(2, 0);
    copy.upperTree[0] = copy.upperTree[1] = 0;
  }
  bool offer = false;
  std::int64_t val = maxint;
  {
    // The copy works quietly; verbosity and phase are back before the tree reaches R.
    ScopedVerbosity quiet;
    if (marks) {
      // A stored tree that misses a new terminal or uses a deleted vertex is no tree of the
      // marked copy, and its value no bound of it.
      bool treeLost = false;
      for (int v = 1; v <= R.V; ++v) {
        const bool onTree = copy.upperOk && copy.treeDegree[v] != 0;
        if (marks[v] > 0 && copy.isReq[v] == 0) {
          if (copy.terminals.size() < static_cast<std::size_t>(copy.R) + 2) copy.terminals.resize(copy.R + 2, 0);
          copy.terminals[++copy.R] = v;
          copy.isReq[v] = copy.R;
          treeLost = treeLost || !onTree;
        } else if (marks[v] < 0 && copy.hasLiveSlot(v)) {
          treeLost = treeLost || !copy.upperOk || onTree;
          copy.deleteVertex(v);
        }
      }
      if (treeLost) copy.clearUpper();
    }
    if (shell.Iget("quietPrune", 1) != 0) verbose = 1;

    const char savedPhase = shell.phase;
    shell.phase = phaseChar;
    const int exactMstMax = shell.Iget("exactMstMax", 8);
    const int minFree = shell.Iget("breakPruneForMst", 1) != 0 ? exactMstMax : 0;
    reduceByString(text.c_str(), copy, minFree);
    shell.phase = savedPhase;

    if (copy.R > 1 && copy.upperOpt == 0 && copy.Vanz - copy.R <= exactMstMax) {
      exactMstValue(copy);
      copy.setUpper(solutionList, "prune+exactMst", 1);
    } else if (copy.R == 1 && copy.contractCost <= copy.upperValue) {
      // The whole tree lies in the contractions.
      if (copy.upperTree.size() < 2) copy.upperTree.resize(2, 0);
      copy.upperTree[0] = 0;
      copy.upperTree[1] = copy.contractID[0];
      copy.upperValue = static_cast<int>(std::min<std::int64_t>(copy.contractCost, maxint));
    }

    const bool holdsTree = copy.upperTree.size() >= 2 && copy.upperTree[1] != 0;
    std::int64_t val2 = maxint;
    if (holdsTree) val2 = copy.reconstructSolution(R) + R.contractCost;
    // A value of maxint or more is no tree.
    if (holdsTree && solutionList[0] > 0 && val2 < maxint) {
      val = val2;
      offer = true;
      if (shell.Iget("pruneMst", 0) != 0) {
        val = respanTree(R);
        if (val < maxint) val += R.contractCost;
        if (solutionList[0] == 0) {
          log(1) << "WARNING: not connected after MST-prune!\n";
          return val;
        }
        TESMO_CHECK(val > val2 && solutionList[0], "reduction");
        if (val != val2) log(1) << "improvement through mstPrune: " << val2 << " --> " << val << std::endl;
      }
    }
  }
  if (!offer) {
    log(3) << "prune: no (new) solution calculated!\n";
    return maxint;
  }
  R.setUpper(solutionList, "prune(Mst)", 1);
  return val;
}

}  // namespace tesmo
