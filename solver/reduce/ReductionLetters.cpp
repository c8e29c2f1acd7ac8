// The script letters whose methods live in this library.

#include "DisplayHooks.h"
#include "Prune1.h"
#include "ScriptLetters.h"
#include "Shell.h"
#include "Tm.h"
#include "Upper.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

void registerReduceLetters() {
  ScriptLetters::registerLetter('#', "R.saveGraph()", [](ReduceGraph& R) { R.saveGraph(nullptr, nullptr); });
  ScriptLetters::registerLetter('1', "R.blowUp()", [](ReduceGraph& R) { R.blowUp(); });
  ScriptLetters::registerLetter('D', "display(&R)", [](ReduceGraph& R) { display(R); });
  ScriptLetters::registerLetter('F', "fst(&R)", [](ReduceGraph& R) { fst(R); });
  ScriptLetters::registerLetter('L', "R.removeVertices2()", [](ReduceGraph& R) { R.removeVertices2(); });
  ScriptLetters::registerLetter('T', "::tm(&R)", [](ReduceGraph& R) { tm(R); });
  ScriptLetters::registerLetter('f', "gargFlow(&R)", [](ReduceGraph& R) { gargFlow(R); });
  ScriptLetters::registerLetter('p', "prune1(&R)", [](ReduceGraph& R) { prune1(R); });
  ScriptLetters::registerLetter('u', "upper(&R)", [](ReduceGraph& R) { upper(R); });
  ScriptLetters::registerLetter('v', "R.removeVertices()", [](ReduceGraph& R) { R.removeVertices(); });
  ScriptLetters::registerLetter('~', "getReq(&R)", [](ReduceGraph& R) { getReq(R); });
  // Combining a stored and an offered tree: their union is reduced and solved by prune1.
  ReduceGraph::setCombineSolver([](ReduceGraph& sub, bool) {
    const char* script = shell.Sget("CombinePrune", "((mvsn)r)");
    return static_cast<int>(std::min<std::int64_t>(prune1(sub, script), maxint));
  });
}

}  // namespace tesmo
