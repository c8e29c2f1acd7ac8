#pragma once
// Arm-extension tests (script letters x and y). A partial tree grows outwards from a tested
// vertex (its star of at least three edges) or from a tested edge; every vertex inside the partial
// tree keeps exactly the tree edges it has there, only the leaves may have more. Such a partial
// tree is refuted when no optimal tree can contain it: its leaves are joined more cheaply under
// upper bounds of the bottleneck Steiner distance, a leaf pair is closer than the longest key path
// between them, or the reduced costs of a dual ascent exceed the gap. A non-terminal leaf must
// continue in every minimal optimal tree, so when each non-empty set of its possible continuations
// is refuted, so is the partial tree. The tests are strict (a tie never refutes, so a tree that
// merely equals the optimum is never ruled out), except the detour of a path tree in edge mode:
// an equally cheap path that avoids the tested edge leaves an optimal tree without it.
// Before a partial tree is searched, cheap pre-tests drop continuations: an edge whose far end is
// closer to a leaf than the key path it would lie on, two edges at one vertex whose far ends are
// closer than the longer edge, and edges whose merge histories repeat or share an edge of known
// positive cost (a tree with both would pay for that edge twice).
// Options widen the distance tests: gUseDist 2 and more also tries the pair test of a
// continuation against the vertices just behind the branchings on its way to the root (a
// partial tree cut back there is one of its own); gUseDist -1 lets the terminal an arm reached
// last join the leaves in their spanning tree; gUseSmt tries every selection of the nearest
// terminals of the leaves as further points. A terminal added that way never lengthens a
// bottleneck distance, so these spanning trees stay bounds of the leaves' own; for the same
// reason they can only gain where the distance estimates are loose (terminals never lie inside
// a partial tree here, as terminal leaves are not extended).

#include "GridderSupport.h"
#include "Heap.h"
#include "RankTable.h"
#include "ReduceGraph.h"
#include "ReducedCostSet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace tesmo {

// Lazily filled upper bounds of the bottleneck Steiner distance: per vertex i the shortest
// distances to the nearest higher-numbered vertices (exact path lengths), else the instance's
// bottleneck estimate. With edge deletions tracked, every search remembers which vertex it
// expanded at what distance, so that a deletion lowers the trusted radius of just those lists.
class NeighbourDistances {
public:
  NeighbourDistances(ReduceGraph& R, int maxNeighbour, bool trackDeletions);
  // Writes the statistics line (when a list was computed).
  ~NeighbourDistances();
  NeighbourDistances(const NeighbourDistances&) = delete;
  NeighbourDistances& operator=(const NeighbourDistances&) = delete;

  // An upper bound of the bottleneck Steiner distance of a and b in the current instance.
  int distance(int a, int b);
  // Edges at v were removed: lists whose searches ran through v trust only shorter distances.
  void updateAfterRemoval(int v);

  int computations() const { return computations_; }
  // While the instance's bottleneck estimates are out of date only path lengths are used.
  void useEstimates(bool on) { estimates_ = on; }

private:
  void compute(int i);

  ReduceGraph& R_;
  int maxNeighbour_;
  bool track_;
  bool estimates_ = true;
  std::vector<std::vector<std::pair<int, int>>> lists_;    // (vertex > i, distance), by vertex
  IntArray validUpTo_;                                      // 0 = not computed
  struct Reach {
    int from;        // the searching vertex
    int distance;    // at which it expanded this one
    int generation;  // of the search, stale once that list was computed again
  };
  std::vector<std::vector<Reach>> reachedBy_;
  IntArray generation_;  // per vertex: computations of its list
  IntArray dist_;
  IntArray touched_;  // count-prefixed
  std::optional<IndexedHeap> heap_;
  int computations_ = 0;
  std::int64_t listSum_ = 0;
};

// Partial trees already decided, as sorted edge lists: 1 refuted, -1 not refuted, 0 while the
// search on one is still running. It stops taking entries when full.
class TreeHash {
public:
  void setUp(int entries, int words);
  void clear();
  // The entry of list[0..n-1]; found tells whether it was there. -1 when absent and full.
  int lookUp(const int* list, int n, bool& found);
  int& result(int entry) { return result_[static_cast<std::size_t>(entry)]; }

private:
  std::vector<int> table_;  // open addressing, -1 empty
  std::vector<int> start_, length_, result_;
  std::vector<int> store_;
  int entries_ = 0, words_ = 0;
};

class ArmEngine {
public:
  // Sizes the per-vertex buffers for R as it is now; deleteEdges selects edge mode (letter y).
  ArmEngine(ReduceGraph& R, bool deleteEdges);
  ~ArmEngine();
  ArmEngine(const ArmEngine&) = delete;
  ArmEngine& operator=(const ArmEngine&) = delete;

  // Reads the options, tests every examinable vertex (or edge), tidies R. With precomputed the
  // reduced costs of one root were handed in by usePrecomputed.
  void runArmTests(bool precomputed = false);
  // Takes one root's reduced costs ready-made (see gridderBrasil2Precomputed).
  void usePrecomputed(int root, const IntArray& reducedCost, const IntArray& distFromRoot,
                      const IntArray& distToTerminal, int factor, int gap);

  int replacedVertices() const { return replaced_; }
  int deletedEdges() const { return deletedEdges_; }
  int maxLeaves() const { return maxLeaves_; }

private:
  struct Node {
    int vertex;
    int parent;      // node index, -1 for the root
    int slot;        // parent -> vertex, 0 for the root
    std::int64_t depthCost;  // cost of the path from the root
    int length;      // edges from the root
    int degree;      // edges inside the partial tree
  };

  void readOptions();
  void refreshNearestTerminals();
  void refreshLinks();
  ReduceGraph::SlotArrays slotArrays();

  void runVertexMode();
  void runEdgeMode();
  // True when no optimal tree has v with at least three edges.
  bool refuteVertex(int v);
  // True when no optimal tree contains the edge of slot s.
  bool refuteEdge(int s);
  void replaceVertex(int v);
  void deleteEdgeByTests(int s);
  void removeLeafChain(int x);
  void refreshEstimates();
  // The edge lies on the expanded link forest behind the bottleneck store.
  bool onLinkPath(int s) const;
  bool linkRemoved_ = false;
  int staleDeletions_ = 0;  // deletions since the nearest-terminal data were refreshed

  // The recursive search over the current partial tree.
  // firstNew: the first node that the caller's extension added (restrictToOne).
  bool refuteTree(int depth, int firstNew);
  bool searchTree(int depth, int firstNew);
  // Two leaves joined by a path that avoids the tested edge and costs no more than the tree.
  bool testAvoid();
  // The vertex is left out by the rank filter.
  bool skippedByRank(int v) const;
  void buildRankTables();
  bool testTree();
  // The candidate edge s at leaf node k lies on a tree path to a leaf whose longest key path is
  // longer than a way between its ends (terminal leaves only unless allLeaves).
  bool testBottleNoExt(int k, int s, const int* leaves, int n, bool allLeaves);
  // Two edges chosen at one branching vertex whose far ends are closer than the longer edge.
  bool pairBottleneck(int a, int b);
  bool testReducedCosts(int extraParent, int extraSlot);
  bool testDistances();
  bool testSmt();
  bool testShortenedArms(int k, int s);
  void fillPointDistances(int from, int to);
  bool joinedBelowTotal(const int* points, int count);
  std::int64_t treeBottleneck(int a, int b) const;
  int pushNode(int parent, int slot);
  void popNode();
  bool slotUsable(int s) const;

  ReduceGraph& R_;
  bool edgeMode_;
  int nV_ = 0;
  // options
  int allowDestroyUpper_ = 0, useAscent_ = 4, useColli_ = 1, useDist_ = 2, maxDeg_ = 8;
  int maxBacktrack_ = 5, maxLeaves_ = 10, maxLen_ = 20, slackSizeFactor_ = 4;
  int useTreeHashing_ = 1, usePairBottle_ = 1, useExtBottle_ = 1, useSmt_ = 0, useAvoid_ = 1;
  int restrictToOne_ = 1, maxNeighbour_ = 0;
  std::int64_t edgeSpace_ = 0;  // room R's edge store must leave for the edges of a replacement

  IntArray mark_;  // test number of the partial tree a vertex belongs to
  int test_ = 0;
  std::vector<Node> nodes_;       // the partial tree, root first (capacity fixed per run)
  std::vector<int> leaves_;       // scratch: leaf node indices
  std::vector<std::int64_t> leafDist_;  // scratch: leaf distance matrix
  std::vector<std::int64_t> primKey_;
  std::vector<int> points_;       // scratch: indices into the point distances
  std::vector<int> pointVertex_;  // scratch: the leaves' vertices, then further points
  std::vector<int> onPath_;       // per node: pathStamp_ while it is on the path to the root
  int pathStamp_ = 0;
  int currentTerminal_ = 0;       // the terminal an arm reached last in this test
  std::vector<int> candidates_;   // candidate slots, a slice per recursion level
  std::vector<int> leafStack_;    // leaf nodes, a slice per recursion level
  std::size_t treeRoom_ = 0;      // most nodes a partial tree may have
  int maxBranch_ = 8;             // most continuations of one leaf
  std::vector<int> starSlots_;
  // Per pair of star edges (or of a leaf's candidates): 1 when no optimal tree has both.
  std::vector<unsigned char> starPairs_, pairScratch_;
  bool excludedPair(unsigned mask, int d) const;
  static bool excludedIn(const std::vector<unsigned char>& pairs, std::size_t offset, unsigned mask, int d);
  std::vector<int> hashKey_;      // scratch: sorted edge list of the partial tree
  TreeHash treeHash_;
  bool precomputed_ = false;
  int testedSlot_ = 0;            // the edge under test in edge mode
  int examineReduced_ = 80, examineDistance_ = 100;
  std::optional<RankTable> rankNear_, rankReduced_, rankThree_;
  std::int64_t total_ = 0;
  int steps_ = 0;

  ReducedCostSet rc_;
  std::vector<IntArray*> rcArrays_;
  int rcCount_ = 0;
  // per root: outward and inward reduced-cost sums from the root to each node
  std::vector<std::vector<std::int64_t>> rcOut_, rcIn_;
  std::vector<std::int64_t> rcTotal_;

  std::optional<NeighbourDistances> distances_;
  BoundedSearch search_;  // the pair searches of a replacement

  // collision statistics of the merge history
  IntArray visited_, triple_, stack_;
  int collisionCalls_ = 0, collisionSuccess_ = 0;
  bool collisions_ = false;

  int replaced_ = 0;
  int deletedEdges_ = 0;
  int hashCount_ = 0, hashSuccess_ = 0;

  void buildCollisionStats();
  // 1 when the merge history of s's identity uses some identity twice.
  int checkCollision(int s);
  // 1 when the histories of the two slots' identities share an identity.
  int checkPairCollision(int a, int b);
  // Either check found an identity used twice whose cost is known to be positive.
  int positiveRepeat(int repeats);
  void growCollisionTables(int id);
  // Some edge of the partial tree (from node first on) shares a history identity with s.
  bool collidesWithTree(int s, std::size_t first);
  bool merged(int s) const;
  IntArray otherVisited_, repeatMark_, repeats_;
  // Cost per identity where it is known (edges live when the engine started or added by it),
  // -1 elsewhere: a shared identity proves a combination dear only when its cost is positive.
  std::vector<int> idCost_;
  // Records the history triple of the edge just added at slot f.
  void registerMergedId(int f);
};

// Binary search in a count-prefixed ascending list: the position (1-based) of x, else 0; the
// second form gives -(the position x would be inserted at) when absent.
int findInSortedList(int x, const IntArray& list);
int findOrInsertionPoint(int x, const IntArray& list);

// Letter x: vertex replacement by arm extension; letter y: edge deletion by arm extension.
void gridderBrasil2(ReduceGraph& R);
void gridderBrasil2Edges(ReduceGraph& R);
// Either test with one root's reduced costs from the caller in place of dual ascents: the
// reduced cost of every arc, the distances from the root and to the terminals over reduced
// costs, the scale factor and the root's gap.
void gridderBrasil2Precomputed(ReduceGraph& R, int root, const IntArray& reducedCost, const IntArray& distFromRoot,
                               const IntArray& distToTerminal, int factor, int gap, bool deleteEdges);

}  // namespace tesmo
