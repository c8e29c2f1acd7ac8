#include "NodeBound.h"

#include "AscentFast.h"
#include "Shell.h"

namespace tesmo {

void NodeBound::run(ReduceGraph& node) {
  if (node.upperOpt != 0 || node.R < 2 || node.Eanz == 0) return;
  if (shell.Iget("nodeAscent", 1) == 0) return;
  // The ascent reads the slot ranges: lazy deletions are squeezed out first.
  node.compactEdges(nullptr);
  ascentFast(node);
}

}  // namespace tesmo
