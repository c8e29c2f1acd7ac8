#pragma once
// The case framework of the separator decompositions. For a separator of k terminals and its
// small side, each case names which separator terminals an optimal tree joins outside the side;
// the side is solved exactly once per case, the outside connections stood in for by artificial
// "bottle" edges priced at their minimax distance outside. Distance tests rule cases out before
// solving. Afterwards every side edge that no counted case used is deleted from R, and every
// edge that all counted cases used is contracted. When no case is counted, or a piece could not
// be solved to the end, R is left unchanged.

#include "DecomposeSupport.h"
#include "Heap.h"
#include "ReduceGraph.h"

#include <span>
#include <utility>
#include <vector>

namespace tesmo {

class SeparatorCases {
public:
  static constexpr int maxTerminals = 4;
  enum class TerminalOrder { Ascending, ListOrder };

  // separator: the k vertices (positions 1..k in the tables). vertexMap is updated after R's
  // contractions.
  SeparatorCases(ReduceGraph& R, int head, const IntArray& next, std::span<const int> separator,
                 IntArray& vertexMap, TerminalOrder order);
  SeparatorCases(const SeparatorCases&) = delete;
  SeparatorCases& operator=(const SeparatorCases&) = delete;

  // Minimax distances between the separator's terminals outside the side (outside()), inside
  // it (inside()), and bottleneck Steiner distances inside the side (insideSteiner(), on the
  // first piece) and in all of R (wholeSteiner()). Positions 1..k.
  void computeOutside();
  void computeInsideSteiner();
  void computeInside();
  void computeWholeSteiner();
  int outside(int p, int q) const { return out_[p][q]; }
  int inside(int p, int q) const { return in_[p][q]; }
  int insideSteiner(int p, int q) const { return sin_[p][q]; }
  int wholeSteiner(int p, int q) const { return sr_[p][q]; }
  const int (*outsideTable() const)[maxTerminals + 1] { return out_; }
  const int (*insideSteinerTable() const)[maxTerminals + 1] { return sin_; }

  // Solves one case: the bottle edges are position pairs, each priced outside(p, q). Returns
  // the used-flag of each bottle edge in bottleUsed; the case counts when every bottle edge is
  // used. false when the piece could not be solved (the decomposition is then abandoned).
  bool solveCase(const PieceCheck& check, std::span<const std::pair<int, int>> bottles,
                 std::vector<bool>& bottleUsed);
  // Shorthand: true when the case was solved and counted; logs the unused bottle edge.
  bool solveAndCount(const PieceCheck& check, std::span<const std::pair<int, int>> bottles);

  // Counts the tree of the case solved last (its edges in solutionList).
  void countCase();
  bool abandoned() const { return abandoned_; }

  // Deletes and contracts in R by the counted cases (cases in all, ruledOut of them set).
  // Returns 1 when anything changed.
  int apply(int cases, int ruledOut);

private:
  int minimax(int from, int to, int allowed);
  void fillMinimax(int (*table)[maxTerminals + 1], int allowed);
  void fillSteiner(ReduceGraph& G, int (*table)[maxTerminals + 1]);
  ReduceGraph newPiece();

  ReduceGraph& R_;
  int head_;
  const IntArray& next_;
  int k_;
  int sep_[maxTerminals + 1] = {};
  IntArray& vertexMap_;
  TerminalOrder order_;
  int E_;
  int V_;
  IntArray state_, inSide_, key_, done_;
  std::vector<int> touched_;
  IndexedHeap heap_;
  ReduceGraph first_;
  bool firstUsed_ = false;
  bool abandoned_ = false;
  int counted_ = 0;
  int out_[maxTerminals + 1][maxTerminals + 1] = {};
  int in_[maxTerminals + 1][maxTerminals + 1] = {};
  int sin_[maxTerminals + 1][maxTerminals + 1] = {};
  int sr_[maxTerminals + 1][maxTerminals + 1] = {};
};

// Weight of a minimum spanning tree over the listed items (1..4) of a distance table, by Prim's
// method (first listed item first; ties to the earlier item); parent[item] receives each item's
// tree parent (the first item gets 1). Unreachable items add maxint; sums saturate at maxint.
int smallMstValue(std::span<const int> items, int* parent, const int (*distance)[5]);

// The case solvers: a two-, three- or four-terminal separator of R with its side chain. Each
// returns 1 when it deleted or contracted an edge, else 0.
int triConCases(ReduceGraph& R, int head, const IntArray& next, int a, int b, IntArray& vertexMap);
int quadroConCases(ReduceGraph& R, int head, const IntArray& next, int a, int b, int c, IntArray& vertexMap);
// The bottle edges (position pairs) of case 1..15 of a four-terminal separator under the
// outside distances: a case's pair or pairs, for three terminals the cheaper two of their three
// connections, for all four a minimum spanning tree.
std::vector<std::pair<int, int>> pentaConBottles(int caseNumber, const int (*outside)[5]);
int pentaConCases(ReduceGraph& R, int head, const IntArray& next, std::span<const int> separator,
                  IntArray& vertexMap);

}  // namespace tesmo
