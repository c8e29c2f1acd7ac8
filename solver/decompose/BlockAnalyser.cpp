#include "BlockAnalyser.h"

#include "Check.h"
#include "DecomposeSupport.h"
#include "DisplayHooks.h"
#include "EdgeDeletion.h"
#include "LogStream.h"
#include "Prune1.h"
#include "ScopedVerbosity.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

BlockAnalyser::BlockAnalyser(ReduceGraph& R) : R_(R) {
  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  const std::size_t slots = 2 * static_cast<std::size_t>(R.E) + 1;
  blocks_.assign(vertices, 0);
  blockOf_.assign(vertices, 0);
  num_.assign(vertices, 0);
  low_.assign(vertices, 0);
  nextInBlock_.assign(slots, 0);
  edgeStack_.assign(slots, 0);
  R.computeVoronoiRegions(maxint);
  R.generalizedMstUpper(0);
}

void BlockAnalyser::reset() {
  counter_ = 0;
  edgeStack_[0] = 0;
  std::fill(num_.begin(), num_.end(), 0);
}

void BlockAnalyser::closeBlock(int e) {
  ++blockCount_;
  const auto& mark = R_.mstLink;
  int bottom = edgeStack_[0];
  while (edgeStack_[bottom] != e) --bottom;
  bool marked = false;
  for (int i = bottom; i <= edgeStack_[0] && !marked; ++i) {
    const int id = R_.ID[edgeStack_[i]];
    marked = static_cast<std::size_t>(id) < mark.size() && mark[id] != 0;
  }
  if (marked) {
    const int block = ++blocks_[0];
    blocks_[block] = edgeStack_[edgeStack_[0]];
    int previous = 0;
    for (int i = edgeStack_[0]; i >= bottom; --i) {
      const int s = edgeStack_[i];
      if (previous != 0) nextInBlock_[previous] = s;
      nextInBlock_[s] = 0;
      previous = s;
      for (int x : {R_.arcs[s].tail, R_.arcs[s].head}) {
        if (blockOf_[x] == 0) blockOf_[x] = block;
        else if (blockOf_[x] != block) blockOf_[x] = maxint;
      }
    }
  }
  edgeStack_[0] = bottom - 1;
}

void BlockAnalyser::search(int start) {
  if (start < 1 || start > R_.V || num_[start] != 0) return;
  searchBlocks(R_, start, counter_, num_, low_, edgeStack_, frames_, [this](int e) { closeBlock(e); });
}

int biconTest(ReduceGraph& R) {
  leaveOverflowMode(R);
  if (R.R < 1) return 0;
  BlockAnalyser analyser(R);
  analyser.reset();
  int start = 1;
  while (start <= R.V && !R.hasLiveSlot(start)) ++start;
  analyser.search(start);
  log(3) << "BiCon-No: " << analyser.blockCount() << "\n";
  return analyser.recordedCount();
}

void decomposeBlocks(ReduceGraph& R, const BlockAnalyser& analyser, bool usePrune, const BlockCheckLines& lines) {
  const int E = R.E;
  log(1) << analyser.blockCount() << "/" << analyser.recordedCount() << " BiCons!\n";
  IntArray state(2 * static_cast<std::size_t>(E) + 1, -1);
  std::vector<std::pair<int, int>> contract;
  const IntArray& next = analyser.nextInBlock();
  auto setState = [&](int s, int value) { state[s] = state[R.partner[s]] = value; };
  for (int i = 1; i <= analyser.recordedCount(); ++i) {
    const int first = analyser.blockFirst(i);
    int edges = 0;
    for (int s = first; s != 0; s = next[s]) {
      ++edges;
      setState(s, 0);
    }
    if (edges == 1) {
      setState(first, 1);
      contract.push_back({R.arcs[first].tail, R.arcs[first].head});
      continue;
    }
    auto keepBlock = [&] {
      for (int s = first; s != 0; s = next[s]) setState(s, -1);
    };
    if (edges > E / 2) {
      keepBlock();
      continue;
    }
    ReduceGraph B = ReduceGraph::graphFromSolution(R, first, next, false, true);
    for (int v = 1; v <= B.V; ++v)
      if (B.degree[v] > 0 && (R.isReq[v] != 0 || analyser.blockOf(v) == maxint)) B.addTerminal(v);
    if (B.R == 1) exitWithWarning("B.R == 1", lines.singleTerminal, "biCon", R.warningDump());
    if (B.R <= 1) {
      keepBlock();
      continue;
    }
    B.deleteUnreachable();
    bool solved = true;
    if (usePrune) {
      displaySubproblem(1);
      {
        ScopedVerbosity scope;
        if (shell.Iget("quietComponents", 1) != 0) verbose = 0;
        prune1(B);
      }
      displaySubproblem(0);
      solved = B.upperOk != 0;
    } else {
      solved = solvePiece(B, R, {"!B.upperOpt || !B.upperOk", lines.reconstructed});
    }
    if (!solved) {
      keepBlock();
      continue;
    }
    const std::int64_t s = B.reconstructSolution(R);
    if (!usePrune && s != B.upperValue)
      exitWithWarning(lines.reconstructedText, lines.reconstructed, "biCon", R.warningDump());
    std::int64_t sum = 0;
    for (int k = 1; k <= solutionList[0]; ++k) {
      const int slot = std::min(solutionList[k], R.partner[solutionList[k]]);
      setState(slot, 1);
      sum += R.arcs[slot].cost;
      contract.push_back({R.arcs[slot].tail, R.arcs[slot].head});
    }
    if (sum != B.upperValue) exitWithWarning("s != B.upperValue", lines.recounted, "biCon", R.warningDump());
  }
  int deleted = 0;
  for (int s = 1; s <= 2 * E; ++s) {
    if (R.delE[s] || R.partner[s] < s || state[s] != 0) continue;
    ++deleted;
    deleteEdgeLazily(R, s);
  }
  R.compactEdges(nullptr);
  contractPairs(R, contract, nullptr);
  // Deleting a block's unused edges may cut off what hung on them.
  if (deleted > 0) R.deleteUnreachable();
  log(3) << "deleted edges: " << deleted << ", contracted: " << static_cast<int>(contract.size()) << std::endl;
}

void biConNew(ReduceGraph& R) {
  leaveOverflowMode(R);
  if (R.R < 1) return;
  BlockAnalyser analyser(R);
  analyser.reset();
  analyser.search(R.terminals[1]);
  if (analyser.blockCount() <= 1) return;
  decomposeBlocks(R, analyser, shell.Iget("biconPrune", 0) != 0, {314, "!biconPrune && s != B.upperValue", 327, 340});
}

void biConAlgorithm() {
  ReduceGraph R(*currentGraph);
  BlockAnalyser analyser(R);
  analyser.reset();
  analyser.search(1);
}

}  // namespace tesmo
