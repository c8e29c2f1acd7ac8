#pragma once
// Dual ascent on the directed cut formulation of the Steiner problem on a reduction instance.
//
// One terminal is the root; every other terminal starts a component (the vertices from which it
// is reached over arcs of reduced cost 0). A pass repeatedly raises the cut entering one active
// component by the smallest reduced cost on it, until no component is active; the sum of the
// raises is a lower bound, and the reduced costs left on the arcs (with the reduced-cost
// distances from the root and to the terminals) prove which edges no better tree can use.
//
// The engine is an algorithm object: the constructor sizes every buffer for the instance, run()
// (one pass from a root) and reducedCostDistances() reuse them, and the accessors read the
// results. A second pass on the same instance allocates nothing. Terminals are R's terminal
// indices 1..R, vertices 1..V, arcs R's slots.

#include "Heap.h"
#include "ReduceGraph.h"
#include "UnionFind.h"

#include <cstdint>
#include <optional>

namespace tesmo {

class AscentEngine {
public:
  // sizeLimit is the capacity of the reduced-cost array (0: the instance's arc slots + 1).
  // Reads options revBack (1) and sizeCrit (1), echoed at level 3.
  explicit AscentEngine(ReduceGraph& instance, int sizeLimit = 0);
  virtual ~AscentEngine() = default;
  AscentEngine(const AscentEngine&) = delete;
  AscentEngine& operator=(const AscentEngine&) = delete;

  // One complete ascent from terminal index root; returns the bound (with the instance's
  // contractCost and offered to it by setLower while applyToInstance is set).
  int ascentPass(int root);
  int run(int root) { return ascentPass(root); }

  // After a pass: the reduced-cost distances from the root and to the other terminals, and
  // every arc that cannot lie in a tree better than the instance's upper bound raised to
  // gap + 1 (deleted slots included). vertexBound(v) is then the cheapest reduced cost of a path
  // root -> v -> terminal.
  void reducedCostDistances();

  // The step that takes u into k's component through the zero arc u->v; 1 when k became
  // inactive instead (merged into another component), else 0. pos is k's place in the active
  // list and drops by one when k leaves it.
  int extendActiveComponent(int u, int v, int k, int& pos);

  // Called once per pass after the costs and components are set and before the first raise;
  // a variant may rewrite reducedCost there.
  virtual void onPassStart() {}
  // The position in the active list (1..count) whose cut the next raise lifts; a variant may
  // choose by other keys, or return 0 to end the pass with the raises made so far.
  virtual int choosePosition();
  // Called after every raise (chosen, delta, cutArcs and lower valid; costs not yet lowered).
  virtual void onDualIncrease() {}

  // --- results ---
  int lowerBound() const { return lower; }
  int rootIndex() const { return root; }
  // A terminal was found that the root cannot reach: the pass stopped without a finite bound.
  bool disconnected() const { return disconnected_; }
  const IntArray& reducedCosts() const { return reducedCost; }
  const IntArray& distancesFromRoot() const { return distFromRoot; }
  const IntArray& distancesToTerminal() const { return distToTerminal; }
  int vertexBound(int v) const { return stack[v]; }
  const IntArray& predecessorsFromRoot() const { return predFromRoot; }
  const IntArray& nextToTerminal() const { return predToTerminal; }
  // Vertices of terminal k's component in the last pass (entry 1 is k's vertex).
  int componentSize(int k) const { return static_cast<int>(component[k][0]); }
  int componentVertex(int k, int i) const { return component[k][i]; }
  bool inComponent(int k, int v) const {
    const int p = position[k][v];
    return p >= 1 && p <= component[k][0] && component[k][p] == v;
  }
  int labelOf(int v) const { return label[v]; }
  int unionRoot(int k) { return terminalSets.find(k); }  // the terminal its component merged under

  // Swaps the three result arrays with the caller's (sized as the engine's), so that a user can
  // keep the results of a pass and hand the engine fresh buffers.
  void swapResults(IntArray& costs, IntArray& fromRoot, IntArray& toTerminal);

  int sizeLimit() const { return sizeLimit_; }
  // 1 after construction: a pass adds contractCost to its bound and offers it to the instance.
  int applyToInstance = 1;
  int revBack = 1;
  int sizeCrit = 1;

protected:
  ReduceGraph& instance;
  int nVertices = 0;
  int nArcs = 0;
  int nTerminals = 0;
  IntArray reducedCost;  // [0..sizeLimit-1], element 0 = sizeLimit

  // zeroIn: per vertex v the tails of arcs u->v whose reduced cost became 0 in this pass, in a
  // flat block; v's entries start at zeroStart[v] and zeroCount[v] are in use (at most v's
  // degree, so the block is as large as the arc slots).
  IntArray zeroIn, zeroStart, zeroCount;
  // Per terminal k: its component as a count-prefixed list (the capacity of a row grows only
  // to the largest component met, and is kept for later passes), and each vertex's position.
  CheckedVector<IntArray> component;
  IntMatrix position;
  IntArray interiorStart;  // [0..T] first list position that may still have an entering arc
  IntArray active;         // count-prefixed active terminal indices
  IntArray label;          // [0..V] terminal index or 0
  IntArray coverCount;     // [0..V] components holding the vertex
  IntArray zeroCounter;    // parallel to cutArcs after a raise
  IntArray cutArcs;        // count-prefixed
  IntArray priority;       // [0..T+1]
  IntArray stack;          // count-prefixed work stack; per-vertex bound after the distances
  UnionFind terminalSets;  // the components merged so far, over terminal indices
  int root = 0;
  int rootVertex = 0;
  IntArray distFromRoot, distToTerminal, predFromRoot, predToTerminal;
  IntArray heapKeys_;      // Dijkstra keys (distances are copied out of it)
  std::optional<IndexedHeap> heap_;
  int lower = 0;
  std::int64_t lowerSum_ = 0;
  int delta = 0;
  int chosen = 0;
  bool disconnected_ = false;

private:
  void sizeForInstance();
  void initialisePass(int rootIndex);
  void pushStack(int v) { stack[++stack[0]] = v; }
  void appendToComponent(int k, int v);
  void floodLabel(int from, int r);
  void dijkstraFromRoot(int settleLimit);
  void dijkstraToTerminals(int settleLimit);
  int sizeLimit_ = 0;
  int requestedSizeLimit_ = 0;
};

}  // namespace tesmo
