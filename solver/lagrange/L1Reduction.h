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

#include "LazyHeap.h"
#include "PathRelaxation.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class L1Reduction {
public:
  using Weight = std::int64_t;

  explicit L1Reduction(ReduceGraph& R, PathRelaxation& P);

  struct Settings {
    int delay = 0;                  // steps before the bound counts
    bool predecessorFirst = true;   // reduced costs set before the relaxation of a settled vertex
    bool tests = true;              // exclude and delete (else the labels serve the propagation only)
    int propagate = 0;              // 0 none, 1 after the delay, >= 3 always
  };
  // One pass against the best tree's cost best (without the contracted cost) at step; returns
  // whether the propagation moved weight (the step's subgradient move is then left out).
  bool pass(Weight best, int step, const Settings& settings);
  // Slot directions excluded alone are given back (only edges excluded both ways stay deleted).
  void liftSingleExclusions();
  // The exclusions taken out while the instance is handed to others, and put back.
  void suspend();
  void resume();
  int deletedEdges() const { return deletedEdges_; }
  int deletedVertices() const { return deletedVertices_; }

private:
  Weight& A(int k, int v) { return label_[0][index(k, v)]; }
  Weight& B(int k, int v) { return label_[1][index(k, v)]; }
  Weight& Pot(int k, int v) { return label_[2][index(k, v)]; }
  int& r(int a, int k) { return reduced_[static_cast<std::size_t>(a) * width_ + k]; }
  std::size_t index(int k, int v) const { return static_cast<std::size_t>(k) * (R_.V + 1) + v; }
  bool weightsSound();
  // Dijkstra over live slots from the vertices already labelled 0 in dist (forward: along the
  // slots, backward: against them), with the length of slot a given by length(a).
  template <class Length>
  void search(std::vector<Weight>& dist, bool forward, Length length);
  void potential(int k, bool predecessorFirst);
  // Moves every other commodity's reduced cost of a slot to the commodity whose path the summed
  // reduced costs lengthen most; the weights of a slot keep their sum and stay >= 0.
  bool propagate();
  // The vertex and edge tests against the gap (scaled: best tree less the bound).
  void testAndExclude(Weight gap, int step, int delay);
  void exclude(int a);
  // Gives v's single exclusions back before v goes, so that its deletion sees whole edges.
  void liftAt(int v);

  ReduceGraph& R_;
  PathRelaxation& P_;
  int width_;
  std::vector<Weight> label_[3];
  std::vector<int> reduced_;
  std::vector<Weight> sum_, fromRoot_, toTerminal_, dist_;
  std::vector<unsigned char> settled_;
  std::vector<int> excluded_, suspended_;
  LazyHeap heap_;
  Weight next_;
  int deletedEdges_ = 0, deletedVertices_ = 0;
};

}  // namespace tesmo
