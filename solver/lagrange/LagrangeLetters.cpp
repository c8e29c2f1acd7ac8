#include "LagrangeLetters.h"

#include "Beasley.h"
#include "ScriptLetters.h"

namespace tesmo {

void registerLagrangeLetters() {
  ScriptLetters::registerLetter('B', "beasley(&R)", beasley);
}

}  // namespace tesmo
