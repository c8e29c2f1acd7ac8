#pragma once
// The engine of the ascent-based deletion test: each pass works on the instance with the
// vertex under test made expensive to pass through, so that a bound above the upper bound
// proves the vertex removable. One engine serves every tested vertex: it is an argument of run.

#include "AscentEngine.h"

namespace tesmo {

class AscentDelEngine : public AscentEngine {
public:
  explicit AscentDelEngine(ReduceGraph& R, int sizeLimit = 0) : AscentEngine(R, sizeLimit) {}

  // One pass from root with vertexUnderTest rescaled (see onPassStart).
  int run(int root, int vertexUnderTest) {
    tested = vertexUnderTest;
    return ascentPass(root);
  }

  // Finds the two smallest working costs at the tested vertex, multiplies every other live
  // slot's working cost by 4 and sets each slot at the vertex to max(1, (cost - smallest) * 4).
  void onPassStart() override;

  int testedVertex() const { return tested; }
  int smallestCost() const { return smallest; }
  int secondSmallestCost() const { return secondSmallest; }
  // The working cost of a slot (tests read the rescaling through it).
  int workingCost(int s) const { return reducedCost[s]; }
  void setWorkingCost(int s, int c) { reducedCost[s] = c; }

private:
  int tested = 0;
  int smallest = maxint;
  int secondSmallest = maxint;
};

}  // namespace tesmo
