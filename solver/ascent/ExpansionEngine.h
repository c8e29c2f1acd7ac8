#pragma once
// Expansion test of degree-3 non-terminals (script letter Z). A vertex v with neighbours a, b, c
// is proven to have degree at most 2 in some optimal tree when its star costs no less than a
// tree joining a, b and c along bottleneck distances (or, with reduced costs of dual ascents,
// when every tree using the whole star is dearer than the stored bound). Then v is replaced by
// the edges between its neighbours that are still needed: a pair joined by a path no dearer than
// the two edges, avoiding v, needs no edge.

#include "GridderSupport.h"
#include "Heap.h"
#include "ReduceGraph.h"
#include "ReducedCostSet.h"

#include <array>
#include <optional>
#include <vector>

namespace tesmo {

class ExpansionEngine {
public:
  // Sizes the buffers for R as it is now.
  explicit ExpansionEngine(ReduceGraph& R);

  // Reads the options, refreshes the nearest-terminal data, tests every degree-3 non-terminal
  // once and tidies R (rebuildAdjacency, compactEdges, deleteUnreachable).
  void runGridder();
  // The statistics lines at level 4; frees the reduced-cost set.
  void gridderReport();

  int deletedEdges() const { return deletedEdges_; }
  int replacedVertices() const { return replaced_; }

  // Upper estimate of the bottleneck Steiner distance of x and y from the nearest terminals.
  int pairBottleneckBound(int x, int y);
  // Shortest distance start -> stop over live edges, never through the slots avoid1, avoid2
  // (either direction) nor through vertex avoidVertex; maxint when above limit.
  int boundedDijkstra(int start, int stop, int avoid1, int avoid2, int avoidVertex, int limit);

private:
  struct Arm {
    int slot = 0;  // v -> neighbour
    int vertex = 0;
    int cost = 0;
  };
  void readOptions();
  void refreshNearestTerminals();
  void refreshLinks();
  // Tests v; returns the neighbour to test next (two-pass mode), else 0.
  int testVertex(int v);
  bool provenByReducedCosts() const;
  bool provenBySpanningSum();
  // 1 when the pair's edge is not needed, -1 when it must stay.
  int resolvePair(int i, int j);
  int tieAllowance(int x, int y) const;
  bool inStoredTree(int s) const { return R_.upperOk && R_.inTree[R_.ID[s]]; }
  // Marks the first-nearest-terminal subtree below v invalid (before v is deleted).
  void collectDependents(int v);
  // Recomputes the first nearest terminal of the collected vertices (after the change).
  void repairDependents();
  ReduceGraph::SlotArrays slotArrays();

  ReduceGraph& R_;
  int nV_ = 0;
  // options
  int extend_ = 0, equality_ = 1, edgeAvoid_ = 1, restricted_ = 1, twoPass_ = 1;
  int allowDestroyUpper_ = 0, useAscent_ = 0, testver_ = 1;

  std::array<Arm, 3> arms_{};
  std::array<int, 3> pairResult_{};  // ab, ac, bc
  ReducedCostSet rc_;
  std::vector<IntArray*> rcArrays_;
  int rcCount_ = 0;

  // Shared bounded searches: dist_ (the search's) is maxint between searches.
  BoundedSearch search_;
  IntArray& dist_;
  IntArray dependent_;  // count-prefixed vertices whose nearest terminal ran through v
  IntArray dependentMark_;
  int dependentStamp_ = 0;
  bool treePairsDropped_ = false;

  std::array<std::array<int, 13>, 4> stats_{};  // calls, countA, countB, countC
  int deletedEdges_ = 0;
  int replaced_ = 0;
};

// The method of letter Z: the expansion test, or with option newGrid the arm-extension test.
void gridderBrasil(ReduceGraph& R);

}  // namespace tesmo
