#pragma once
// Small pieces shared by the decompositions: edits of R in the form every decomposition ends
// with, the nested exact solve of a piece, and saturating sums of distances.

#include "ReduceGraph.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace tesmo {

// The live slot of u whose head is w; 0 when there is none.
int liveSlotBetween(const ReduceGraph& R, int u, int w);

// Queues the edge u-w for contraction (destroying a stored tree that does not use it).
void queueContraction(ReduceGraph& R, int u, int w);

// Contracts the listed vertex pairs (after the deletions were compacted) and renumbers R; map,
// when given, receives the old-to-new numbers.
void contractPairs(ReduceGraph& R, const std::vector<std::pair<int, int>>& pairs, IntArray* map);

// The run's time limit (option R-maxSec) has passed: a nested search may have stopped early.
bool timeLimitReached();

// The failed check of a piece solve: one condition for a piece not solved to the end with a
// tree or, when noTreeText is given, two: text for a piece not solved to the end and
// noTreeText for a piece left without a tree.
struct PieceCheck {
  const char* text;
  int line;
  const char* noTreeText = nullptr;
  int noTreeLine = 0;
};

// Solves a piece exactly with branching, quietly while option quietComponents (1) is set.
// Returns true only when the piece was solved to optimality with a tree; a piece cut short by
// the time limit returns false, anything else fails the check (and returns false when the run
// goes on).
bool solvePiece(ReduceGraph& piece, const ReduceGraph& R, const PieceCheck& check);
// The same at the given log verbosity, a failed check naming module.
bool solvePieceAt(ReduceGraph& piece, const ReduceGraph& R, int verbosity, const PieceCheck& check,
                  const char* module);

// a + b, kept at maxint when either is maxint or the sum passes it.
inline int saturatingSum(int a, int b) {
  const std::int64_t s = static_cast<std::int64_t>(a) + b;
  return s >= maxint ? maxint : static_cast<int>(s);
}

}  // namespace tesmo
