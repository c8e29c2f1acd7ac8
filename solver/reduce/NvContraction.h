#pragma once
// The NV/SL/VR contraction test (script letter n): edges that some optimal tree contains, found
// from one multi-source shortest-path search from all terminals, are contracted.

#include "ReduceGraph.h"

namespace tesmo {

// Options nvUseUpper (1), allowDestroyUpper (1), preserveUpper (0); nvHype is read and ignored.
void nv(ReduceGraph& R);

}  // namespace tesmo
