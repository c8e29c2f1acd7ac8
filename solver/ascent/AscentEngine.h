#pragma once
// The state of a dual-ascent engine over a reduction instance and the step shared by all
// engines: growing the component of an active root by one vertex, merging it into another
// component when it meets one that does not yet reach its terminal.
//
// Roots are terminal indices 1..R (root r grows from R.terminals[r]); component numbers are root
// numbers, joined by a union-find over them.

#include "IntMatrix.h"
#include "ReduceGraph.h"

namespace tesmo {

class AscentEngine {
public:
  // Sizes every array for R (all roots active, empty reached sets holding only their terminal,
  // working costs = slot costs); reads option revBack (default 1).
  explicit AscentEngine(ReduceGraph& R);
  virtual ~AscentEngine();
  AscentEngine(const AscentEngine&) = delete;
  AscentEngine& operator=(const AscentEngine&) = delete;

  virtual void onPassStart() {}
  virtual void onDualIncrease() {}

  // v is reached from w by the growth of active root r, which stands at active[index]. Returns
  // 1 when r stopped being active (it was merged into the component v belongs to; index then
  // drops by one, so the caller's loop goes on with the root that took r's place), else 0.
  int extendActiveComponent(int v, int w, int r, int& index);

  bool inReachedSet(int r, int v) const {
    const int p = reachedPosition[r][v];
    return p >= 1 && p <= reached[r][0] && reached[r][p] == v;
  }
  // Root of component c, compressing the path to it.
  int findComponent(int c);
  // Appends v to r's reached set (stack push, membership and counting included).
  void addToReachedSet(int r, int v);
  void pushVertex(int v);

  ReduceGraph& R;
  IntMatrix reached;          // row r: count-prefixed list of the vertices reached from root r
  IntMatrix reachedPosition;  // row r: position of each vertex in r's list (valid when it matches)
  IntArray component;         // [0..V] component of each vertex, 0 = none
  IntArray componentParent;   // [0..R] union-find parent, a root being its own
  IntArray active;            // count-prefixed active roots
  IntArray rootValue;         // [0..R] counter per root; maxint once inactive
  IntArray vertexStack;       // count-prefixed work stack
  IntArray membership;        // [0..V] reached sets holding the vertex
  int countingMode = 0;       // 1: every newly reached vertex raises its root's value
  int revBack = 1;            // merges flood the joined component over zero-slack slots
  IntArray workCost;          // [0..2Emax] reduced cost per slot
};

}  // namespace tesmo
