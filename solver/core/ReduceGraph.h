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

#include <cstdint>
#include <functional>
#include <memory>
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
  // The instance made of the listed edges only (a 0-terminated chain first, next[first], ... of
  // source slots), in the source's vertex numbering.
  static ReduceGraph graphFromSolution(const ReduceGraph& source, int first, const IntArray& next,
                                       bool keepTerminals, bool keepIDs);

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

  // Instance fields, in the order of the data model.
  CheckedVector<int> partner;        // [0..2Emax] other slot of the same edge
  CheckedVector<int> delE;           // [0..2Emax] 1 = deleted
  CheckedVector<int> isReq;          // [0..V] terminal index, 0 = not a terminal
  CheckedVector<Arc> spareArcs;      // [0..2Emax] swapped with arcs when the store is rebuilt
  CheckedVector<int> slotScratch;    // [0..2Emax] cost order, tunnel pairs
  CheckedVector<int> spareID;        // [0..IDmax] swapped with ID when the store is rebuilt
  int IDmax = 0;
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
  CheckedVector<int> regionLinks;    // triples [0..Emax], empty until used
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
  CheckedVector<int> unionScratch_;   // [0..V] union-find parents
  CheckedVector<int> groupScratch_;   // [0..V]
  CheckedVector<int> numberScratch_;  // [0..V]
  CheckedVector<int> headScratch_;    // [0..V]
  CheckedVector<int> listScratch_;    // tree slots collected by updateContract
  CheckedVector<int> groupStart_;     // [0..V+1] first spare slot of each contracted group
};

}  // namespace tesmo
