#pragma once
// The bound work that every node of the branch and bound does after its reduction script: the
// fast dual ascent raises the node's lower bound, leaves a tree in it and deletes what the
// reduced costs rule out. The ascent's value is a proven lower bound and its tree goes through
// the node's setUpper, so the search prunes soundly even with a script whose letters are not
// built. Option nodeAscent (1); 0 leaves the node to its script alone.

#include "ReduceGraph.h"

namespace tesmo {

class NodeBound {
public:
  void run(ReduceGraph& node);
};

}  // namespace tesmo
