#pragma once
// Reduced-cost probing (script letter z) and the registration of the classic tests that the
// exact programs' node scripts use (letters t, 3, e, E, l, z).

#include "ReduceGraph.h"

namespace tesmo {

void registerProbeLetters();

}  // namespace tesmo
