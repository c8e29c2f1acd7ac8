#pragma once
// The reduction pass of the l1 ascent: under the current weights of the path relaxation, per
// commodity the distances from the root and to its terminal and a potential whose reduced costs
// stay non-negative; their sums bound every tree through a slot or a vertex from below. Slot
// directions whose every tree is no better than the best known one are excluded for the rest of
// the run (an edge with both directions excluded is deleted), such vertices deleted.
//
// The propagation moves weight between the commodities of a slot towards the one that gains most.
//
// Sound only while every weight is >= 0 and the weights of a slot sum to at most its scaled
// cost; a pass that finds otherwise excludes nothing.
//
// Memory: the per-commodity labels are used while their commodity is at hand (one row each);
// only the second term of the edge test keeps two commodities x vertices tables, and only when
// asked for and within the budget.

#include "LazyHeap.h"
#include "PathRelaxation.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class L1Reduction {
public:
  using Weight = std::int64_t;

  // secondTerm: the second term of the edge test (its tables are allocated here).
  L1Reduction(ReduceGraph& R, PathRelaxation& P, bool secondTerm);

  struct Settings {
    int delay = 0;                  // steps before the bound counts
    bool predecessorFirst = true;   // reduced costs set before the relaxation of a settled vertex
    bool tests = true;              // exclude and delete (else the labels serve the propagation only)
    int propagate = 0;              // 0 none, 1 after the delay, >= 3 always
  };
  // One pass against the best tree's cost best (without the contracted cost) at step, whose
  // scaled relaxed value was bound; returns whether the propagation moved weight (the step's
  // subgradient move is then left out).
  bool pass(Weight best, Weight bound, int step, const Settings& settings);
  // Slot directions excluded alone are given back (only edges excluded both ways stay deleted).
  void liftSingleExclusions();
  // The exclusions taken out while the instance is handed to others, and put back.
  void suspend();
  void resume();
  int deletedEdges() const { return deletedEdges_; }
  // Deleted edges whose second test alone sufficed, without and with its second term.
  int deletedBySum() const { return deletedBySum_; }
  int deletedBySumAndTerm() const { return deletedBySumAndTerm_; }
  int deletedVertices() const { return deletedVertices_; }
  // The second term is on (asked for and within the memory budget).
  bool secondTerm() const { return !rise_.empty(); }

  // Entries of the two tables of the second term above which it is refused.
  static constexpr std::int64_t maxTermEntries = std::int64_t{1} << 26;

private:
  int& r(int a, int k) { return reduced_[static_cast<std::size_t>(a) * width_ + k]; }
  // Per commodity and vertex, the part of its distance labels that its potential does not
  // explain: from the root to v (A - P), and from v to its terminal (B - Q); -1 when v lies on
  // no path of the commodity.
  int& riseFromRoot(int k, int v) { return rise_[static_cast<std::size_t>(k) * (R_.V + 1) + v]; }
  int& riseToTerminal(int k, int v) { return riseBack_[static_cast<std::size_t>(k) * (R_.V + 1) + v]; }
  bool weightsSound();
  // Dijkstra over live slots from the vertices already labelled 0 in dist (forward: along the
  // slots, backward: against them), with the length of slot a given by length(a).
  template <class Length>
  void search(std::vector<Weight>& dist, bool forward, Length length);
  // The potential of commodity k into pot and its reduced costs; false when a reduced cost came
  // out negative (the pass then excludes nothing).
  bool potential(int k, bool predecessorFirst, std::vector<Weight>& pot);
  // Commodity k's share of the first edge test for every live slot, added to firstTest_.
  void addFirstTest(int k);
  // Moves every other commodity's reduced cost of a slot to the commodity whose path the summed
  // reduced costs lengthen most; the weights of a slot keep their sum and stay >= 0.
  bool propagate();
  // The vertex and edge tests against the gap (scaled: best tree less the bound).
  void testAndExclude(Weight gap, int step, int delay, bool firstTest);
  Weight secondTermOf(int a);
  // Returns whether the edge went (both directions excluded).
  bool exclude(int a);
  // Gives v's single exclusions back before v goes, so that its deletion sees whole edges.
  void liftAt(int v);

  ReduceGraph& R_;
  PathRelaxation& P_;
  int width_;
  std::vector<int> reduced_;
  std::vector<int> rise_, riseBack_;  // empty without the second term
  std::vector<Weight> D_;             // per commodity its distance
  std::vector<Weight> sum_, firstTest_, fromRoot_, toTerminal_;
  std::vector<Weight> a_, b_, pot_, q_;  // the labels of the commodity at hand
  std::vector<unsigned char> settled_, probeReached_;
  std::vector<int> excluded_, suspended_;
  LazyHeap heap_;
  Weight next_;
  int deletedEdges_ = 0, deletedBySum_ = 0, deletedBySumAndTerm_ = 0, deletedVertices_ = 0;
};

}  // namespace tesmo
