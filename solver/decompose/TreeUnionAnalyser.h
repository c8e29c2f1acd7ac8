#pragma once
// The block search over the union of two Steiner trees of the instance graph, summing costs
// instead of recording blocks: per block it takes the cheaper of the two trees' own edges plus the
// edges both share. The result is the cost of a tree that combines, block by block, the better
// parts of the two.

#include "Graph.h"
#include "BlockSearch.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tesmo {

class TreeUnionAnalyser {
public:
  // treeA and treeB are count-prefixed lists of arc numbers of G; their union becomes an instance
  // of its own (vertices renumbered), owned by the analyser.
  TreeUnionAnalyser(const Graph& G, const IntArray& treeA, const IntArray& treeB);

  void reset();
  // Runs the cost search from start (a vertex of the union instance) and returns costSum.
  std::int64_t search(int start);

  std::int64_t costSum() const { return costSum_; }
  bool empty() const { return !graph_; }
  const ReduceGraph* graph() const { return graph_.get(); }
  // Union vertex of a vertex of G, 0 when it lies on neither tree.
  int unionVertex(int v) const;
  int sourceArc(int slot) const { return sourceArc_[slot]; }  // arc of G behind a union slot
  int treeFlags(int slot) const { return treeFlags_[slot]; }  // 1: tree A, 2: tree B, 3: both

private:
  void closeBlock(int e);

  std::unique_ptr<ReduceGraph> graph_;
  IntArray vertexMap_;
  IntArray sourceArc_, treeFlags_, num_, low_, edgeStack_;
  std::vector<BlockSearchFrame> frames_;
  int counter_ = 0;
  std::int64_t costSum_ = 0;
};

// The combined cost of treeA and treeB (arcs of G), searched from the union vertex start.
// Two empty trees cost 0.
std::int64_t combinedBlockCost(const Graph& G, const IntArray& treeA, const IntArray& treeB, int start);

}  // namespace tesmo
