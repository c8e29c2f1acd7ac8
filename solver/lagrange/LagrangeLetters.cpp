#include "LagrangeLetters.h"

#include "Beasley.h"
#include "Lgr1a.h"
#include "Lgr2a.h"
#include "ScriptLetters.h"

namespace tesmo {

void registerLagrangeLetters() {
  ScriptLetters::registerLetter('g', "lgr1a(&R)", lgr1a);
  ScriptLetters::registerLetter('2', "lgr2a(&R)", lgr2a);
  ScriptLetters::registerLetter('B', "beasley(&R)", beasley);
}

}  // namespace tesmo
