#include "ScriptLetterSetup.h"

#include "AscentFast.h"
#include "DistanceRankedPruning.h"
#include "DynSteiner.h"
#include "Exact.h"
#include "PartitionImprove.h"
#include "Prune1.h"
#include "ScriptLetters.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

void registerScriptLetters() {
  registerReduceLetters();
  registerAscentLetters();
  setPruneBranching(branching);
  ScriptLetters::registerLetter('X', "branching(&R)", [](ReduceGraph& R) { branching(R, maxint); });
  ScriptLetters::registerLetter('Y', "dynsteiner(&R)", dynsteiner);
  ScriptLetters::registerLetter('V', "partitionImprove(&R)", partitionImprove);
  // The combination of trees in setUpper: branch and bound with option exactCombine, else prune1.
  ReduceGraph::setCombineSolver([](ReduceGraph& sub, bool exact) {
    if (exact) return branching(sub, maxint);
    const char* script = shell.Sget("CombinePrune", "((mvsn)r)");
    return static_cast<int>(std::min<std::int64_t>(prune1(sub, script), maxint));
  });
}

}  // namespace tesmo
