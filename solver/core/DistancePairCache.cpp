#include "DistancePairCache.h"

namespace tesmo {

int DistancePairCache::compute(int i, int j) { return R_.bottleneckDistance(i, j); }

}  // namespace tesmo
