#pragma once
// The pair cache of bottleneck distances between vertices of a reduction instance, for the
// probing methods that ask for the same pairs again and again.

#include "PairCache.h"
#include "ReduceGraph.h"

namespace tesmo {

class DistancePairCache : public PairCache {
public:
  // Rows for the vertices 1..V of R; R's nearest terminals and bottleneck store must be current.
  DistancePairCache(ReduceGraph& R, int bits) : PairCache(R.V, bits), R_(R) {}

protected:
  int compute(int i, int j) override;

private:
  ReduceGraph& R_;
};

}  // namespace tesmo
