#pragma once
// The blocks (biconnected components) of a reduction instance, found by one depth-first search
// with lowpoints and an edge stack. A block is recorded only when one of its edges lies on the
// generalized-MST Steiner tree of the Voronoi links (mstLink): that tree joins every terminal, so
// a block without such an edge lies on no path between terminals and no optimal tree needs it.
//
// The search is iterative: its depth does not grow the call stack, whatever the instance's shape.

#include "BlockSearch.h"
#include "ReduceGraph.h"

#include <vector>

namespace tesmo {

class BlockAnalyser {
public:
  // Sizes the arrays for R and refreshes R's mstLink marks (Voronoi regions, generalized MST).
  explicit BlockAnalyser(ReduceGraph& R);

  // Clears the depth-first numbers and the stack before a search.
  void reset();
  // Searches the component of start.
  void search(int start);

  int blockCount() const { return blockCount_; }   // all blocks found
  int recordedCount() const { return blocks_[0]; }  // blocks with a marked edge
  // First slot of recorded block i (1..recordedCount()); its chain follows nextInBlock().
  int blockFirst(int i) const { return blocks_[i]; }
  const IntArray& nextInBlock() const { return nextInBlock_; }
  // 0: in no recorded block; i: in recorded block i only; maxint: in two or more.
  int blockOf(int v) const { return blockOf_[v]; }

private:
  void closeBlock(int e);

  ReduceGraph& R_;
  int counter_ = 0;
  int blockCount_ = 0;
  IntArray blocks_, blockOf_, nextInBlock_, num_, low_, edgeStack_;
  std::vector<BlockSearchFrame> frames_;
};

// Number of recorded blocks of R's component holding its first vertex with an edge; 2 or more
// means not biconnected where it matters.
int biconTest(ReduceGraph& R);

// Script letter b: splits R at its articulation vertices (below).
void biConNew(ReduceGraph& R);

// The check lines of a block decomposition (failed checks name them), and the condition of the
// check of the value mapped back, which the two callers word differently.
struct BlockCheckLines {
  int singleTerminal;
  const char* reconstructedText;
  int reconstructed;
  int recounted;
};

// The work of letter b after the search: bridges of recorded blocks are contracted; every
// recorded block of at most half of R's edges is solved exactly (or by prune1 with usePrune),
// its tree contracted and its other edges deleted.
void decomposeBlocks(ReduceGraph& R, const BlockAnalyser& analyser, bool usePrune, const BlockCheckLines& lines);

// Algorithm "biCon": the block search over a fresh instance of the current graph.
void biConAlgorithm();

}  // namespace tesmo
