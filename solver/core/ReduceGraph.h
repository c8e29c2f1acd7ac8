#pragma once
// The reduction instance: the one mutable graph every reduction test, heuristic, bound and exact
// search works on (passed as R). It derives from Graph and keeps every edge in two slots, one in
// the contiguous slot range of each endpoint, linked by partner[]; delE[] marks deleted slots.
// Edge identities (ID[], shared by both slots) outlive slot moves, merges and contractions, so a
// tree of a reduced instance can always be carried back to the graph it was built from.
//
// Numbering is 1-based throughout: vertices 1..V, slots 1..2E (capacity 2Emax), terminals 1..R;
// count-prefixed lists keep their count in element 0.

#include "Check.h"
#include "Graph.h"
#include "IntMatrix.h"
#include "MarkerSet.h"
#include "RegionLink.h"
#include "UnionFind.h"
#include "VoronoiWork.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace tesmo {

class FindSave;

class ReduceGraph : public Graph {
public:
  // A new instance of G (after buildAdjacency); no stored tree, upperValue maxint.
  explicit ReduceGraph(const Graph& G);
  ~ReduceGraph() override;
  ReduceGraph(ReduceGraph&&) noexcept;
  ReduceGraph& operator=(ReduceGraph&&) noexcept;
  ReduceGraph(const ReduceGraph&) = delete;
  ReduceGraph& operator=(const ReduceGraph&) = delete;

  // Full copy. keepIDs non-zero keeps the identities and records (ID[0] := keepIDs); 0 starts a
  // fresh numbering (an edge's identity is its lower slot) and contracts zero-cost edges at once.
  static ReduceGraph copyGraph(const ReduceGraph& source, int keepIDs);
  // The same copy into this instance, whose arrays keep their memory (a working copy made
  // again and again allocates only when the source has outgrown it).
  void copyFrom(const ReduceGraph& source, int keepIDs);
  // The instance made of the listed edges only (a 0-terminated chain first, next[first], ... of
  // source slots), in the source's vertex numbering.
  static ReduceGraph graphFromSolution(const ReduceGraph& source, int first, const IntArray& next,
                                       bool keepTerminals, bool keepIDs);
  // The same into an instance made before, whose arrays keep their memory.
  static void graphFromSolution(ReduceGraph& into, const ReduceGraph& source, int first,
                                const IntArray& next, bool keepTerminals, bool keepIDs);

  // Allocates every array from V, E and the incoming capacities (0 for a new instance).
  void initGraphArrays(int incomingIDmax, int incomingHistoryMax, int incomingContractMax);
  void clearUpper();  // forgets the stored tree and the upper bound
  void resetLower();  // lowerValue 0 (valid), upperOpt 0

  // --- contraction, merges and slot maintenance ---
  // Marks the edge of slot s deleted (both slots), lowers Eanz and appends s to the pending
  // contractions that updateContract carries out.
  void addPendingContraction(int s);
  int pendingContractions() const { return vertexWork[0]; }
  void newContractID(int s);
  void newMergedID(int s1, int s2, int s);
  // Carries out the pending contractions and renumbers the vertices; map (V+1 ints, grown when
  // needed) receives old-to-new numbers (0 = dropped).
  void updateContract(IntArray* map, bool record);
  // Writes old's slots of this (derived) instance's stored tree into solutionList; returns their
  // cost without contractCost.
  std::int64_t reconstructSolution(const ReduceGraph& old) const;
  void compactEdges(IntArray* parallel);
  void sortAdjacency();
  void sortAdjacencyByCost();

  // --- bounds and the stored tree ---
  void destroyUpper();
  void setLower(int l, int tag);
  // Offers a tree given as a count-prefixed list of slots (either slot of each edge); edges that
  // close a cycle are removed from the list.
  void setUpper(IntArray& slots, const char* label, int combine);
  void readTree();

  // --- export and files ---
  std::unique_ptr<Graph> toGraph() const;
  // Writes the instance and its best tree as an STP file. Without a name the file of option
  // saveGraph, else a file beside the log (or a fresh temporary one).
  void saveGraph(const char* fileName, const char* comment) const;

  // The dump handed to exitWithWarning: saves this instance with the warning as comment.
  WarningDump warningDump() const;
  // A failed consistency check of the instance ("Warning: (" text ") in file 'reduceGraph' ...").
  void failCheck(const char* text, int line) const;

  // Bound messages are logged at this offset plus a small number (0 main instance, 2 copies).
  int messageOffset() const { return ID.empty() ? 0 : ID[0]; }

  // Export for handing the stored tree back: toGraph() with solutionAsIDs set, contractID[0] set
  // to the contractions that belong to the stored tree, and the tree's identities in solution, so
  // that expandSolution(export, solution, input graph) yields the whole tree in input arcs.
  std::unique_ptr<Graph> toGraphWithTree(IntArray& solution) const;

  // Default place of a file the solver writes unasked: beside the log file when there is one
  // ("<log without extension>.<stem>.stp"), else a fresh temporary file.
  static std::string defaultSaveFileName(const char* stem);

  // The combination of the stored and an offered tree solves their union on an instance of its
  // own; the reduction engine installs the solver (prune1 or branching on the sub-instance, which
  // stores its tree there through setUpper and returns its value, maxint when none). Without one
  // the combination is skipped.
  using CombineSolver = std::function<int(ReduceGraph& sub, bool exact)>;
  static void setCombineSolver(CombineSolver solver);
  static bool combineActive;

  // --- cost blow-up (CostBlowUp in the reduction library) ---
  // Multiplies every cost by option blowUp and adds 0..blowUpRandom-1 to each edge, breaking
  // ties at random; once per instance (costScale records the factor). Skipped, with a log line,
  // when a scaled value would pass maxint.
  void blowUp();
  // --- end cost blow-up ---

  // --- nearest terminals, Voronoi regions (VoronoiRegions in the reduction library), bottleneck
  // distances (ReduceGraphFindSave.cpp) ---
  // Allocates the nearest-terminal arrays on first use (grown when the instance outgrew them)
  // and empties the link list.
  void initVoronoiArrays();
  // Row 1 of the nearest terminals, voronoiSlot, and the links between the regions (links
  // longer than limit are not recorded).
  void computeVoronoiRegions(int limit);
  // Replaces the link list by the minimum spanning forest of the links; sets mstLink (direct
  // terminal-terminal edges) and blowUpMark.
  void generalizedMst();
  // As generalizedMst, marking every edge of the expanded forest in mstLink and counting its
  // use at each vertex in vertexValue; with force (or option mstComputeUpper) and no stored
  // tree the expanded forest is offered to setUpper.
  void generalizedMstUpper(int force);
  void secondNearestTerminals(int limit);
  void thirdNearestTerminals(int limit);
  // Upper estimate of the bottleneck Steiner distance between vertices i and j; maxint when
  // either has no nearest terminal. Builds the bottleneck store when there is none.
  int bottleneckDistance(int i, int j);
  // The bottleneck store of the current link list: option useTreeFindSave picks the tree form
  // (default with 301 terminals or more), else the matrix. A store of another kind is replaced.
  FindSave& getFindSave();
  FindSave& buildFindSaveMatrix();
  FindSave& buildFindSaveTree(int cached);  // option findsaveHashSize sizes the cache
  // --- end nearest terminals ---

  // Instance fields, in the order of the data model.
  CheckedVector<int> partner;        // [0..2Emax] other slot of the same edge
  CheckedVector<int> delE;           // [0..2Emax] 1 = deleted
  CheckedVector<int> isReq;          // [0..V] terminal index, 0 = not a terminal
  CheckedVector<Arc> spareArcs;      // [0..2Emax] swapped with arcs when the store is rebuilt
  CheckedVector<int> slotScratch;    // [0..2Emax] cost order, tunnel pairs
  CheckedVector<int> spareID;        // [0..IDmax] swapped with ID when the store is rebuilt
  int IDmax = 0;
  // The largest identity a merge may hand out: identities are ints, so the store grows up to
  // here and a merge beyond it is refused ("ID overflow!").
  int IDlimit = maxint;
  int Vanz = 0;                      // live vertices
  int Eanz = 0;                      // live edges
  IntMatrix nearDist, nearPred, nearBase;  // rows 1-3 of the nearest terminals; empty until used
  CheckedVector<int> origVertex;     // [0..V] number in the graph first built from (negated when
                                     // a contraction of two non-terminals made it required)
  CheckedVector<unsigned char> inTree;   // [0..IDmax] identity in the stored tree; all 1 when none
  CheckedVector<unsigned char> mstLink;  // [0..2IDmax] empty until used
  CheckedVector<int> treeDegree;     // [0..V] degree in the stored tree; maxint when none
  CheckedVector<int> vertexValue;    // [0..V] empty until used
  CheckedVector<int> upperTree;      // count-prefixed identities, then the contractID count
  CheckedVector<RegionLink> regionLinks;  // [0..Emax] links 1..linkCount, empty until used
  CheckedVector<int> linkSlot;       // [0..Emax], empty until used
  int linkCount = 0;
  int blowUpMark = maxint;
  int upperValue = maxint;           // best tree value, contractCost included; maxint = none
  int lowerValue = 0;
  int lowerTag = 1;
  int upperOpt = 0;                  // 0 open, 1 bounds met, -1 contradiction
  int upperOk = 0;                   // the stored tree is valid in the current graph
  int upperValueValid = 0;
  int lowerValueValid = 0;
  // Set by deletions without proof (distance-ranked pruning): bounds found afterwards hold for
  // what is left, not for the instance, so setLower no longer records them.
  int heuristicallyReduced = 0;
  CheckedVector<int> vertexWork;     // [0..V] all 0 between operations; pending contractions
  CheckedVector<int> slotNext;       // [0..2Emax] overflow chains; 0 = end
  CheckedVector<int> voronoiSlot;    // [0..V], empty until used
  int costScale = 1;
  int overflowMode = 0;
  int Emax = 0;
  int historyMax = 0;
  int contractMax = 0;
  std::unique_ptr<FindSave> findSave;  // cached bottleneck store, or null

private:
  ReduceGraph() = default;
  void logUpperTail(const char* label) const;
  void ensureIDCapacity(int id);
  void contractZeroCostEdges();
  void storeTree(const IntArray& slots, int count);
  void combineWith(const IntArray& slots, const char* label, std::int64_t& value);
  // New numbers 1..n of the vertices that have a live slot or are terminals (0 for the rest).
  int liveNumbering(IntArray& newNumber) const;
  int liveSlotCount(int v) const;

  // Scratch reused by the operations so that none allocates per call.
  UnionFind vertexSets_;              // [1..V] components of the operation at hand
  CheckedVector<int> groupScratch_;   // [0..V]
  CheckedVector<int> numberScratch_;  // [0..V]
  CheckedVector<int> headScratch_;    // [0..V]
  CheckedVector<int> listScratch_;    // tree slots collected by updateContract
  CheckedVector<int> groupStart_;     // [0..V+1] first spare slot of each contracted group
  // --- nearest terminals: scratch of VoronoiRegions (reduction library), kept with the instance
  // so that repeated searches allocate nothing ---
  friend class VoronoiRegions;
  VoronoiWork voronoiWork_;
  // --- end nearest terminals: scratch ---

  // --- edge storage (ReduceGraphEdges.cpp) ---
public:
  // Caller arrays indexed by slot (reduced costs of the dual ascent) that the edits keep in step
  // with the slots: moved with a moved slot, maxint for a freed one, combined for a new edge.
  using SlotArrays = std::span<IntArray* const>;

  // True when replacing v (up to d*d new edges, d its slot count) could exhaust the capacity;
  // v = 0 asks about d = 0.
  bool lacksEdgeSpace(int v) const;
  // Takes a slot for one direction of a new edge (after the tail's range, else in overflow mode
  // from the tail's chain) and writes the record there; 0 when no slot is left.
  int findEdgePlace(const Arc& record);
  // Inserts edge u-w, or lowers the cost of an existing one; s1 and s2 are the slots (from the
  // replaced vertex to u and to w) of the path it stands for, s1 = 0 for a fresh identity.
  // Returns the slot of u (0 when the capacity is exhausted and the run goes on).
  int addEdge(Arc edge, int s1, int s2, SlotArrays arrays = {});
  void addTerminal(int v);
  // Deletes s's edge at once and keeps both ranges compact. Vanz is left to the caller.
  void deleteEdge(int s, SlotArrays arrays = {});
  void deleteVertex(int v, SlotArrays arrays = {});
  // Lazy deletion of a non-terminal: the neighbours keep dead slots, marked in vertexWork for
  // compactEdges. A terminal is not deleted: the instance is marked disconnected.
  void markVertexDeleted(int v);
  // Replaces v by edges between each pair of its neighbours; returns the addEdge calls. With
  // bottleneck set, pairs joined by a path whose longest link is shorter are skipped.
  int replaceVertex(int v, bool bottleneck, SlotArrays arrays = {});
  // Ends overflow mode by laying all live slots out anew; returns 0.
  int rebuildAdjacency();
  // Carries out the tunnel pairs (u, w) listed in slotScratch, then empties the list.
  void applyTunnels();

  // Deletes s's edge at once like deleteEdge, but leaves the stored tree to the caller, who keeps
  // it consistent.
  void deleteEdgeSlots(int s, SlotArrays arrays = {});
  // Removes every occurrence of the identity from the stored tree's list.
  void removeFromUpperTree(int id);
  // Terminal v leaves the terminal list (the last terminal takes its entry); isReq[v] := 0.
  void leaveTerminalList(int v);

  // Deletes every vertex not reachable from the first terminal (UnreachableDeletion in the
  // reduction library).
  void deleteUnreachable();
  // A terminal has been cut off: the bounds are closed, or the check fails when both are proven
  // (ReduceGraphBounds.cpp).
  void markDisconnected();

  // The reduction tests that the data model names as the instance's own operations forward to
  // their classes in the reduction library (solver/reduce), which defines these.
  // Degree-1 vertices and degree-2 non-terminals leave (script letter v; DegreeReduction).
  void removeVertices();
  // Degree-2 terminals are contracted into a terminal neighbour (script letter L;
  // DegreeReduction).
  void removeVertices2();
  // Deletes the grid lines beside a parallel line that carry (almost) no terminal (GridPruning).
  void pruneGrid();

  // The next live slot of v after slot s (s = 0: the first), its range first, then its overflow
  // chain; 0 at the end.
  // Inline: the searches of the reductions call it for every link they look at.
  int nextLiveSlot(int v, int s) const {
    const int first = firstArc[v];
    const int last = first + degree[v] - 1;
    if (s == 0 || (s >= first && s <= last)) {
      for (int t = s == 0 ? first : s + 1; t <= last; ++t)
        if (!delE[t]) return t;
      s = overflowMode ? vertexWork[v] : 0;
    } else {
      s = slotNext[s];
    }
    while (s != 0 && delE[s]) s = slotNext[s];
    return s;
  }
  bool hasLiveSlot(int v) const { return nextLiveSlot(v, 0) != 0; }
  // A slot of an overflow chain (chains lie beyond every range).
  bool isOverflowSlot(int s) const { return overflowMode != 0 && s >= slotNext[0]; }

private:
  void removeFromRange(int p, SlotArrays arrays);
  void freeSlot(int s, SlotArrays arrays);
  IntArray& edgeScratch(std::size_t size);

  CheckedVector<int> edgeScratch_;  // [0..V+1] positions, visit marks
  // Scratch of UnreachableDeletion (reduction library), kept with the instance.
  friend class UnreachableDeletion;
  CheckedVector<int> edgeStack_;    // search stack
  MarkerSet reached_;               // vertices reached by the search
  // --- end edge storage ---
};

}  // namespace tesmo
