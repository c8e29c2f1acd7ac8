#include "NodeBound.h"

#include "AscentEngine.h"
#include "Shell.h"

namespace tesmo {

void NodeBound::run(ReduceGraph& node) {
  if (node.upperOpt != 0 || node.R < 2 || node.Eanz == 0) return;
  // The ascent reads the slot ranges; lazy deletions must be squeezed out first.
  node.compactEdges(nullptr);
  const int roots = std::max(1, shell.Iget("nodeAscentRoots", 1));
  {
    AscentEngine engine(node);
    for (int k = 0; k < roots && k < node.R && node.upperOpt == 0; ++k) {
      const int root = 1 + static_cast<int>(static_cast<long long>(k) * node.R / roots);
      engine.ascentPass(root);
      if (engine.disconnected()) {
        node.markDisconnected();
        return;
      }
    }
  }
  if (node.upperOpt == 0 && !node.upperOk) {
    node.computeVoronoiRegions(maxint);
    node.generalizedMstUpper(1);
  }
}

}  // namespace tesmo
