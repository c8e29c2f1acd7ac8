#include "GridderLetters.h"

#include "ExpansionEngine.h"
#include "Gridder.h"
#include "ScriptLetters.h"

namespace tesmo {

void registerGridderLetters() {
  ScriptLetters::registerLetter('G', "gridder(&R)", gridder);
  ScriptLetters::registerLetter('Z', "gridder_brasil(&R)", gridderBrasil);
}

}  // namespace tesmo
