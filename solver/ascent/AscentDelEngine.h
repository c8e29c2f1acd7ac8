#pragma once
// The engine of the ascent-based deletion test: each pass works on the instance with the
// vertex under test made expensive to pass through, so that a bound above the upper bound
// proves the vertex removable.

#include "AscentEngine.h"

namespace tesmo {

class AscentDelEngine : public AscentEngine {
public:
  AscentDelEngine(ReduceGraph& R, int vertexUnderTest) : AscentEngine(R), tested(vertexUnderTest) {}

  // Finds the two smallest working costs at the tested vertex, multiplies every other live
  // slot's working cost by 4 and sets each slot at the vertex to max(1, (cost - smallest) * 4).
  void onPassStart() override;

  int tested;
  int smallest = maxint;
  int secondSmallest = maxint;
};

}  // namespace tesmo
