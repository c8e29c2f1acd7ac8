#pragma once
// Improvement of the stored tree by local exact re-optimisation (script letter V): the graph is
// divided into the Voronoi regions of a few spread-out terminals; in each region of bounded size
// the part of the tree inside it is solved again exactly, with the rest of the tree fixed
// (terminals the rest already joins are merged by contracted edges of cost 0). A cheaper part
// is spliced into the tree and offered to setUpper. Rounds repeat while one improves the tree.
//
// A region of every live vertex (one base, or one base left) is never solved: the branch and
// bound inside a region may run this letter again, and every nesting must shrink the instance.

#include "ReduceGraph.h"
#include "UnionFind.h"

namespace tesmo {

class PartitionImprove {
public:
  void run(ReduceGraph& R);

  // --- results of the last run ---
  int rounds() const { return rounds_; }
  int solvedRegions() const { return solved_; }
  int largestSolvedRegion() const { return largest_; }

private:
  void label(const ReduceGraph& R);
  // Solves the region of base index b; true when it improved R's tree.
  bool improveRegion(ReduceGraph& R, int b, int round, int position);

  int maxSize_ = 200;
  int minReqs_ = 2;
  IntArray bases_, labels_, dist_, regionTerminals_, rest_, next_, roots_, order_;
  UnionFind restSets_;
  int rounds_ = 0;
  int solved_ = 0;
  int largest_ = 0;
};

// The script letter.
void partitionImprove(ReduceGraph& R);

}  // namespace tesmo
