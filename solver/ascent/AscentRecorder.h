#pragma once
// A dual-ascent engine that records, per terminal and arc, the raises made for that terminal on
// cuts containing the arc, and the shortest distances from the root under those recorded
// lengths. Also the shortest-path heuristic tree cost of an instance.

#include "AscentEngine.h"
#include "IntMatrix.h"

#include <cstdint>

namespace tesmo {

class AscentRecorder : public AscentEngine {
public:
  // With both matrices given (at least nTerminals+1 rows; raises nArcs+1 columns, distances V+1)
  // they are used and not owned; otherwise the recorder allocates its own. The raises start at 0.
  explicit AscentRecorder(ReduceGraph& instance, IntMatrix* raises = nullptr, IntMatrix* distances = nullptr);

  // Per terminal k other than the last pass's root: recordedDistance[k][v] := the shortest
  // distance from the root vertex to v when each live arc is as long as the raises recorded for
  // k on it (maxint: not reached). Nothing happens before a pass.
  void recordedRaiseDistances();

  const IntMatrix& recordedRaise() const { return *raise_; }
  const IntMatrix& recordedDistance() const { return *distance_; }
  bool ownsMatrices() const { return ownsMatrices_; }

  void onDualIncrease() override;

private:
  IntMatrix ownRaise_, ownDistance_;
  IntMatrix* raise_ = nullptr;
  IntMatrix* distance_ = nullptr;
  bool ownsMatrices_ = false;
  IntArray keys_;
  IntArray settled_;
};

// Cost of the tree grown from terminal index start by joining the nearest unjoined terminal, one
// after another, over live arcs, plus R's contractCost. maxint when some terminal cannot be
// reached (a join of maxint or more counts as unreachable, as distances do everywhere). The
// total is 64-bit.
std::int64_t shortestPathTreeCost(const ReduceGraph& R, int start);

}  // namespace tesmo
