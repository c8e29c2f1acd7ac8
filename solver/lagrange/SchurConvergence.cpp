// The stopping test of a plain iterative solve of the reduced system over the spare stacked
// vector, which holds the residual.

#include "InteriorPoint.h"

#include "LogStream.h"

#include <cmath>

namespace tesmo {

bool ipClass::pcgConverged(int steps) {
  // Absolute values: residual entries of opposite sign must not cancel into a false success.
  double error = 0;
  if (!sy.empty())
    for (int k = 1; k <= K; ++k)
      for (int v = 1; v <= V; ++v)
        if (v != root) error += std::fabs(kV(sy, k, v));
  if (!sx.empty())
    for (int a = 1; a <= A; ++a) error += std::fabs(sx[a]);
  log(4) << "pcgIter" << ":" << steps << ", " << "error" << ":" << error << ", " << std::endl;
  return error < pcgError;
}

}  // namespace tesmo
