#pragma once
// Tabu search over vertex sets scored by their pruned minimum spanning tree (script letter U):
// each iteration flips the free vertex whose flip gives the smallest tree, even when that is
// worse, and forbids it to move for a while. The values go to the log only; R is not changed.

#include "ReduceGraph.h"

#include <cstdint>

namespace tesmo {

class MstTabu {
public:
  explicit MstTabu(const ReduceGraph& R);
  // Options iterations (1), tabuSize (10), Req (10: a vertex fixed in the set and kept like a
  // terminal). Returns the best value seen (maxint when no flip was ever possible).
  std::int64_t run();

private:
  // The pruned MST weight of the current set, maxint when the set is not connected.
  std::int64_t evaluate();

  const ReduceGraph& R_;
  std::vector<unsigned char> inSet_, fixed_, taken_;
  IntArray tabuUntil_, key_, pred_, children_, order_;
  IndexedHeap heap_;
};

void mstHeuristic(ReduceGraph& R);

// Registers U.
void registerTabuLetters();

}  // namespace tesmo
