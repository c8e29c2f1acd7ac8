#pragma once
// The bound work that every node of the branch and bound does after its reduction script: a dual
// ascent raises the node's lower bound, and when the node holds no tree, the generalized minimum
// spanning tree of its Voronoi regions offers one. Both keep the node's optimum: the ascent's
// value is a proven lower bound and the tree goes through the node's setUpper, which checks it.
// So the search prunes soundly even with a script whose letters are not built.

#include "ReduceGraph.h"

namespace tesmo {

class NodeBound {
public:
  // Option nodeAscentRoots (1): ascents from that many terminals spread over the list.
  void run(ReduceGraph& node);
};

}  // namespace tesmo
