#include "GridderLetters.h"

#include "ArmEngine.h"
#include "ExpansionEngine.h"
#include "Gridder.h"
#include "ScriptLetters.h"

namespace tesmo {

void registerGridderLetters() {
  ScriptLetters::registerLetter('G', "gridder(&R)", gridder);
  ScriptLetters::registerLetter('Z', "gridder_brasil(&R)", gridderBrasil);
  ScriptLetters::registerLetter('x', "gridder_brasil2(&R)", gridderBrasil2);
  ScriptLetters::registerLetter('y', "gridder_brasil2_edges(&R)", gridderBrasil2Edges);
}

}  // namespace tesmo
