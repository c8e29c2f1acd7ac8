#include "ExactMst.h"

#include "LogStream.h"
#include "PrimMstPrune.h"
#include "Shell.h"
#include "SlotView.h"
#include "TreeCompletion.h"

#include <vector>

namespace tesmo {

namespace {

std::int64_t enumerate(const SlotView& view, bool* refused) {
  const Graph& g = view.graph();
  const int limit = shell.Iget("exactMstMax", 8);
  std::vector<int> candidates;
  IntArray required(g.V + 1, 0);
  for (int k = 1; k <= g.R; ++k) required[g.terminals[k]] = 1;
  for (int v = 1; v <= g.V; ++v)
    if (!required[v] && view.hasEdges(v)) candidates.push_back(v);
  if (solutionList.empty()) solutionList.assign(2, 0);
  solutionList[0] = 0;
  *refused = static_cast<int>(candidates.size()) > limit || candidates.size() > 30;
  if (*refused) {
    log(1) << "WARNING: ExactMst would probably not finish in reasonable time! Not started.\n";
    return maxint;
  }
  if (g.R < 1) return maxint;
  const int n = static_cast<int>(candidates.size());
  std::vector<unsigned char> included(g.V + 1, 0);
  for (int k = 1; k <= g.R; ++k) included[g.terminals[k]] = 1;
  TreeCompletion completion(g.V);
  std::int64_t best = maxint;
  // Counting upwards with the highest vertex number as the lowest digit; the empty set comes
  // last, when the carry has run through all digits.
  const std::uint64_t end = std::uint64_t{1} << n;
  for (std::uint64_t step = 1; step <= end; ++step) {
    const std::uint64_t mask = step == end ? 0 : step;
    for (int i = 0; i < n; ++i) included[candidates[i]] = (mask >> (n - 1 - i)) & 1u;
    if (!completion.run(view, included.data(), required.data(), g.R)) {
      log(5) << "Not connected!\n";
      continue;
    }
    log(5) << "MST: " << completion.mstWeight() << " Pruned: " << completion.weight() << std::endl;
    if (completion.weight() < best) {
      best = completion.weight();
      log(3) << "Success: " << best << std::endl;
      completion.writeSlots(solutionList);
    }
  }
  if (solutionList.size() < static_cast<std::size_t>(solutionList[0]) + 2)
    solutionList.resize(static_cast<std::size_t>(solutionList[0]) + 2, 0);
  solutionList[solutionList[0] + 1] = static_cast<int>(best);
  return best;
}

}  // namespace

std::int64_t exactMst(const Graph& g) {
  bool refused = false;
  return enumerate(SlotView(g), &refused);
}

std::int64_t exactMst(const ReduceGraph& R) {
  bool refused = false;
  return enumerate(SlotView(R), &refused);
}

std::int64_t exactMstValue(ReduceGraph& R) {
  R.updateContract(nullptr, true);
  const std::int64_t tree = exactMst(R);
  const std::int64_t value = tree >= maxint ? maxint : tree + R.contractCost;
  log(2) << "ExactMst value: " << value << std::endl;
  return value;
}

void exactMstAlgorithm() {
  if (!currentGraph) return;
  const Graph& g = *currentGraph;
  IntArray touched(solutionList.begin(), solutionList.end());
  bool refused = false;
  enumerate(SlotView(g), &refused);
  if (!refused) return;
  // The spanning tree of what the list held before, pruned: a tree of the same graph.
  IntArray allowed(g.V + 1, 0);
  IntArray required(g.V + 1, 0);
  for (int k = 1; k <= g.R; ++k) required[g.terminals[k]] = allowed[g.terminals[k]] = 1;
  const int count = touched.empty() ? 0 : touched[0];
  for (int i = 1; i <= count; ++i) {
    const int a = touched[i];
    if (a < 1 || a > 2 * g.E) continue;
    allowed[g.arcs[a].tail] = allowed[g.arcs[a].head] = 1;
  }
  primMstPrune(g, allowed, required);
}

}  // namespace tesmo
