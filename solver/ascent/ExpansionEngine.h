#pragma once
// Expansion test of degree-3 non-terminals (script letter Z). A vertex v with neighbours a, b, c
// is proven to have degree at most 2 in some optimal tree when its star costs no less than a
// tree joining a, b and c along bottleneck distances (or, with reduced costs of dual ascents,
// when every tree using the whole star is dearer than the stored bound). Then v is replaced by
// the edges between its neighbours that are still needed: a pair joined by a path no dearer than
// the two edges, avoiding v, needs no edge.
//
// Where the star alone is not refuted, the arms are followed outwards (tree extension): a
// non-terminal arm end must go on in the tree, and a continuation is ruled out when the three
// points it leads to are joined more cheaply than the extended star. An arm goes on by its one
// remaining continuation only when the end cannot branch either (a single way on, or every two
// ways on refuted as a pair), since an end that branches in the tree ends the arm there.

#include "GridderSupport.h"
#include "Heap.h"
#include "ReduceGraph.h"
#include "ReducedCostSet.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tesmo {

// A shortest-path search from one vertex that can be resumed towards further targets; it never
// enters the tested vertex.
class ArmSearch {
public:
  ArmSearch(int vertices);
  void start(int vertex, int avoid);
  // Distance to target found so far once every vertex nearer than min(limit, that distance) is
  // settled; maxint when unreached. The vertex check names module.
  int continueSearch(const ReduceGraph& R, int target, int limit);
  // Back to maxint everywhere it reached.
  void reset();

private:
  IntArray dist_;
  IntArray reached_;  // count-prefixed
  std::optional<IndexedHeap> heap_;
  int avoid_ = 0;
};

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
  // Vertices that only the extension phase proved.
  int extensionProofs() const { return extensionProofs_; }

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
  // The path of an arm from v outwards: position 1 is the neighbour.
  struct ArmPath {
    std::vector<int> vertex;            // [0] = v
    std::vector<std::int64_t> cost;     // cumulative from v
    std::vector<std::int64_t> rcOut;    // per root: outward reduced costs along the path
    std::vector<std::int64_t> rcIn;     // per root: inward reduced costs along the path
    int length() const { return static_cast<int>(vertex.size()) - 1; }
  };
  void readOptions();
  void setUpArms(int v);
  void orderArms();
  // The smaller of the estimate and the cached search from position p of arm i towards y.
  std::int64_t specialDistance(int i, int p, int y, std::int64_t limit, int statsIndex);
  ArmSearch& armSearch(int i, int p);
  void resetArmSearches();
  // Reduced-cost bound of the star whose arm a ends by the extra slot (0: as it is) exceeds a gap.
  bool excludedByReducedCosts(int a, int extraSlot) const;
  // The three-point test of the candidate x at the end of arm a against positions of the others.
  bool excludedBySpanningSum(int a, int x, std::int64_t armCost);
  // Every two of the candidate slots (of one end) are joined more cheaply than the dearer of their edges.
  bool pairsRefuted(const std::vector<int>& candidates);
  // The extension phase; true when v is proven.
  bool provenByExtension();
  void extendArm(int a, int slot);
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
  int permute_ = 1, stopExpand_ = 2;

  int testVertex_ = 0;  // the vertex under test
  std::array<ArmPath, 3> paths_;
  std::array<int, 3> order_{0, 1, 2};
  IntArray mark_;  // test number of the arms a vertex lies on
  int markStamp_ = 0;
  std::array<std::vector<std::unique_ptr<ArmSearch>>, 3> armSearches_;
  std::array<int, 3> armSearchTop_{};  // highest position used per arm
  std::array<std::vector<int>, 3> armSearchStarted_;  // per position: test number of its start
  std::vector<int> candidates_, remaining_;  // scratch of the extension phase

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
  int extensionProofs_ = 0;
};

// The method of letter Z: the expansion test, or with option newGrid the arm-extension test.
void gridderBrasil(ReduceGraph& R);

}  // namespace tesmo
