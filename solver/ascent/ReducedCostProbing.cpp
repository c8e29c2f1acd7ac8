#include "ReducedCostProbing.h"

#include "BottleneckTests.h"
#include "LowerBoundDeletion.h"
#include "ScriptLetters.h"
#include "TriangleTests.h"

namespace tesmo {

void registerProbeLetters() {
  ScriptLetters::registerLetter('3', "triangle2(&R)", [](ReduceGraph& R) { triangle2(R); });
  ScriptLetters::registerLetter('E', "localBottle(&R)", localBottle);
  ScriptLetters::registerLetter('e', "bottle(&R)", bottle);
  ScriptLetters::registerLetter('l', "lower(&R)", lower);
  ScriptLetters::registerLetter('t', "triangle(&R)", triangle);
}

}  // namespace tesmo
