#pragma once
// The FindSave form that keeps the link forest as one rooted tree: every component hangs below
// terminal 1 by a link of length maxint, and a query walks both ends up to their meeting point.
// O(n) memory, queries in the length of the path.

#include "CheckedVector.h"
#include "FindSave.h"
#include "UnionFind.h"

namespace tesmo {

class FindSaveTree : public FindSave {
public:
  // Terminals 1..n, no links yet.
  explicit FindSaveTree(int n);

  void build(int linkCount, const RegionLink* links, int n) override;
  int d(int i, int j, int limit) override;
  int kind() const override { return treeKind; }

  int depth(int i) const { return depth_[i]; }

protected:
  // The largest weight on the tree path between terminals i and j.
  int pathMax(int i, int j) const;

private:
  IntArray depth_;   // 1 for the root, 0 while unvisited during a build
  IntArray parent_;
  IntArray weight_;  // length of the link to the parent
  int allocated_ = 0;
  // Build work space, sized with the terminal count so rebuilds allocate nothing.
  UnionFind components_;
  IntArray accepted_;   // numbers of the links taken into the forest
  IntArray firstAdj_;   // adjacency of the forest: entries firstAdj[v]..firstAdj[v+1]-1
  IntArray adjTo_;
  IntArray adjLength_;
  IntArray stack_;
};

}  // namespace tesmo
