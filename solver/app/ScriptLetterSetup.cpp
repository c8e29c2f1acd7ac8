#include "ScriptLetterSetup.h"

#include "AscentDriver.h"
#include "AscentFast.h"
#include "CutBound.h"
#include "DecomposeLetters.h"
#include "DistanceRankedPruning.h"
#include "DynSteiner.h"
#include "Exact.h"
#include "GridderLetters.h"
#include "LagrangeLetters.h"
#include "MstTabu.h"
#include "LpFiles.h"
#include "PartitionImprove.h"
#include "Prune1.h"
#include "ReducedCostProbing.h"
#include "ScriptLetters.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

void registerScriptLetters() {
  registerReduceLetters();
  registerAscentLetters();
  registerProbeLetters();
  registerDecomposeLetters();
  registerGridderLetters();
  registerDualAscentLetters();
  registerLagrangeLetters();
  registerTabuLetters();
  registerLpLetters();
  setPruneBranching(branching);
  setAscentBranching(branching);
  setCutBranching(branching);
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
