#pragma once
// The two degree tests every reduction script uses: vertices of degree 1 and non-terminals of
// degree 2 leave (script letter v), terminals of degree 2 are contracted into a terminal
// neighbour (script letter L). The stored tree follows every change; where a removal makes it
// cheaper, upperValue falls on the spot.
//
// Both walk contiguous ranges (as left by compactEdges); overflow chains are laid out first.

#include "CheckedVector.h"

namespace tesmo {

class ReduceGraph;

class DegreeReduction {
public:
  // Sizes the revisit stack for R; the object may be run on R any number of times.
  explicit DegreeReduction(ReduceGraph& R);

  // Degree-1 vertices and degree-2 non-terminals leave; returns how many.
  int removeVertices();
  // Degree-2 terminals are contracted into a terminal neighbour; returns how many.
  int removeVertices2();

private:
  void removeDegreeOne(int c);
  bool removeDegreeTwo(int c);
  bool contractDegreeTwoTerminal(int t);
  void dropTreeLeafEdge(int s, const char* label);
  void pushRevisit(int v);

  ReduceGraph& R_;
  IntArray revisit_;  // vertices queued for an immediate revisit, newest on top
  int top_ = 0;
};

}  // namespace tesmo
