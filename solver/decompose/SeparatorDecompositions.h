#pragma once
// Script letters Q and P: decomposition at separators of three terminals (Q), and of two to four
// terminals (P), taken from the flow search; each separator's first acceptable small side is
// handed to the case solver of its size.

#include "ReduceGraph.h"

namespace tesmo {

void quadroCon(ReduceGraph& R);
void pentaCon(ReduceGraph& R);

}  // namespace tesmo
