#pragma once
// Exact solution by dynamic programming along an order of the vertices (script letter Y). The
// vertices are added one at a time; the visited vertices that still have unvisited neighbours
// form the border, and a state is a partition of the border vertices that lie in a cheapest
// partial forest (each block: the border vertices one component joins). The number of states
// grows with the border, so the method first estimates the work for several start vertices and
// runs only when the largest border stays within maxBorder, and only when the gap between the
// instance's bounds is large enough for an exact solve to pay.
//
// The object keeps its tables, pools and order arrays from one run to the next.
//
// With dynReduction a dual ascent from the order's last required vertex gives reduced costs, and
// a partition whose forest cannot be completed to a tree below the upper bound is kept only as a
// marker, so that nothing is built on it.

#include "AscentEngine.h"
#include "Heap.h"
#include "ReduceGraph.h"
#include "SolutionHash.h"
#include "SolutionTree.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tesmo {

class DynSteiner {
public:
  DynSteiner() = default;
  ~DynSteiner();
  DynSteiner(const DynSteiner&) = delete;
  DynSteiner& operator=(const DynSteiner&) = delete;

  // The driver. After a complete run that found a tree, storeTrees 1 offers the optimal tree
  // to R and raises R's lower bound to its upper bound. solutionCount: -1 when the border was
  // too wide, the number of optimal trees after a run with storeTrees 2, else unchanged.
  void run(ReduceGraph& R, std::int64_t& solutionCount);

  // --- results of the last run ---
  bool completed() const { return completed_; }   // the program ran to its end
  std::int64_t bestCost() const { return best_; }  // contractCost included; maxint when none
  std::int64_t sumPartitions() const { return sumPartitions_; }
  int largestBorder() const { return largestBorder_; }
  std::int64_t reductionSuccess() const { return reductionSuccess_; }
  // storeTrees 2: every optimal tree as a 0-terminated slot list in solutionStore, starting at
  // the positions in solutionStarts (both count-prefixed); empty when the trees were too many
  // to list.
  const IntArray& solutionStore() const { return solutionStore_; }
  const IntArray& solutionStarts() const { return solutionStarts_; }

  // Largest listing of optimal trees (ints) that storeTrees 2 writes out.
  static constexpr std::int64_t kListLimit = std::int64_t{1} << 26;

private:
  struct Table {
    IntArray pool;   // [0] used; per partition its 0-terminated encoding, then its forest
    IntArray start;  // [0] partitions; start of each encoding in pool
    IntArray forest;  // start of each forest in pool (storeTrees 1)
    std::vector<std::int64_t> cost;
    std::vector<SolutionTree*> tree;    // storeTrees 2
    std::vector<std::int64_t> count;    // storeTrees negative: equal-cost forests seen
    SolutionHash hash;
  };

  void setUp(ReduceGraph& R);
  bool reducedByCosts(const IntArray& encoding, const IntArray& forestSlots);
  void checkStoredTrees();
  void collectGarbage(Table& t);
  SolutionTree* treeOfCombination(SolutionTree* pTree, std::uint32_t mask, int optionalCount,
                                  int blocks);
  std::int64_t approxPartitionSum(int start, int limit);
  int farthestVertex(int v);
  int nextBorderVertex();
  void beginOrder(int start);
  void addToBorder(int w);
  void runDynProg(int start);
  void expandPartition(int p, int w, bool wRequired, bool wStays);
  void insertPartition(const IntArray& encoding, const IntArray& forestSlots, SolutionTree* tree,
                       std::int64_t cost, std::int64_t count);
  void offerSolution(const IntArray& forestSlots, SolutionTree* tree, std::int64_t cost);
  void normalizePartition(IntArray& encoding);
  void clearTable(Table& t);
  void growPartitionTable(Table& t);
  void ensurePool(Table& t, std::size_t extra);
  void releaseTrees();
  int nextStamp();

  ReduceGraph* R_ = nullptr;
  int storeTrees_ = 1;
  int dynReduction_ = 0;  // -1 once switched off during the run
  int garbageCollection_ = 0;
  std::unique_ptr<AscentEngine> engine_;
  int lastRequired_ = 0;  // the order's last required vertex (approxPartitionSum)
  std::int64_t reductionSuccess_ = 0;
  bool reductionSwitchedOff_ = false;
  // Reduced-cost test: the forest linked per vertex, a walk order and per-vertex sums.
  IntArray adjStamp_, adjHead_, adjNext_, adjSlot_, walkOrder_, walkParentSlot_;
  IntArray walkSeen_;
  int adjStampNow_ = 0;
  std::vector<std::int64_t> walkSum_;
  IntArray gcPool_;
  int maxPartitions_ = 10000;
  int maxData_ = 100000;

  Table tables_[2];
  int cur_ = 0;  // the table read in a step; the other is written

  // The order and its border.
  IntArray visited_, unvisitedNeighbours_, leftAt_, border_, leaving_;
  int visitedCount_ = 0;
  int step_ = 0;
  int requiredSeen_ = 0;
  // Stamps for candidate and cheapest-edge marks.
  IntArray stamp_, score_, cheapest_, candidates_;
  int stampNow_ = 0;
  // Dijkstra of farthestVertex, its heap over dist_ made once a run.
  IntArray dist_, liveDegree_;
  std::unique_ptr<IndexedHeap> farHeap_;
  // Start vertices already tried.
  std::vector<char> tried_;

  // Per step: the slots from w to each visited vertex that reach the cheapest cost, in
  // tieSlots_[tieStart_[v] .. tieStart_[v] + tieCount_[v] - 1] (storeTrees 2 counts every tie).
  IntArray tieStart_, tieCount_, tieSlots_;
  // Per block of the partition being expanded: its cheapest cost and where its ties are.
  IntArray blockTieFirst_, blockTieCount_;
  IntArray tieScratch_;
  std::vector<SolutionTree*> alternatives_;
  IntArray oneEdge_ = IntArray(2, 1);

  IntArray solutionStore_, solutionStarts_;

  // Scratch of a step.
  IntArray blockStart_, blockVerts_, encoding_, forestScratch_, blockEdge_, normalScratch_;
  IntArray optional_, normalBlocks_, edgesScratch_;

  std::int64_t best_ = maxint;
  IntArray bestForest_;
  SolutionTree* bestTree_ = nullptr;
  std::int64_t sumPartitions_ = 0;
  int largestBorder_ = 0;
  bool completed_ = false;
};

// The script letter: runs the driver, ignoring its solution count.
void dynsteiner(ReduceGraph& R);

}  // namespace tesmo
