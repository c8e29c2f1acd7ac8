#pragma once
// The path relaxation shared by the Lagrangian ascents of letters 2 and g: one terminal is the
// root, every other terminal k a commodity with its own weight per slot; the commodities'
// weights of a slot share its cost (scaled by Faktor; the projection keeps their sum at exactly
// the scaled cost, each weight >= 0), so that the sum of the commodities' shortest root paths is
// a lower bound. This class holds the weights and the operations on them; the ascents own the
// step loops.

#include "LazyHeap.h"
#include "ReduceGraph.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

// Subgradients of earlier steps of the second ascent, each with its weighted sum and the bound of
// its step, kept in a ring of rows 1 .. rows-1. A row holds (+slot, commodity) pairs for path
// slots and (-slot, commodity) pairs for chosen slots; only subgradients of fewer than maxGG
// components are kept. Rows and scratch are sized once.
class SubgradientMemory {
public:
  using Weight = std::int64_t;

  // rows <= 0: no memory; rows 1 or maxGG <= 1: the figures are formed but no row is kept.
  // Tables beyond the entry limit are refused (enabled() false, refused() true).
  SubgradientMemory(int rows, int maxGG);
  bool enabled() const { return enabled_; }
  bool refused() const { return refused_; }
  int maxGG() const { return maxGG_; }
  // The last position written (0 before the first row), and the number of rows held.
  int position() const { return position_; }
  int filled() const { return filled_; }
  const int* pairs(int row) const { return &entries_[static_cast<std::size_t>(row - 1) * width_]; }
  int length(int row) const { return length_[row]; }  // number of pairs
  Weight sum(int row) const { return sum_[row]; }
  Weight bound(int row) const { return bound_[row]; }
  // Scratch of 2 x maxGG entries for the subgradient at hand.
  int* candidate() { return candidate_.data(); }
  // Whether a row holds exactly the n pairs of candidate().
  bool holds(int n) const;
  // The n pairs of candidate() go to the next ring position.
  void store(int n, Weight sum, Weight bound);

private:
  int ring_ = 0, maxGG_ = 0, position_ = 0, filled_ = 0;
  std::size_t width_ = 0;
  bool enabled_ = false, refused_ = false;
  std::vector<int> entries_, length_, candidate_;
  std::vector<Weight> sum_, bound_;
};

class PathRelaxation {
public:
  using Weight = std::int64_t;

  // projection 0: slot choice by slack instead; lockReq: bit mask applied before each projection.
  PathRelaxation(ReduceGraph& R, Weight faktor, int root, int projection, int lockReq);

  int& w(int s, int k) { return commodityWeight_[static_cast<std::size_t>(s) * width_ + k]; }
  // The weights the last dual ascent left (see keepSavedWeights); empty until then.
  int& saved(int s, int k) { return savedWeight_[static_cast<std::size_t>(s) * width_ + k]; }
  bool savesWeights() const { return !savedWeight_.empty(); }
  int& mark(int s, int k) { return pathMark_[static_cast<std::size_t>(s) * width_ + k]; }
  bool live(int s) const { return !R_.delE[s]; }
  bool commodity(int k) const { return k != root_; }
  Weight faktor() const { return F_; }
  int slots() const { return slots_; }
  // F x cost of the slot, capped (see the constructor).
  Weight scaledCost(int s) const { return scaledCost_[s]; }
  int terminals() const { return nR_; }
  int rootVertex() const { return rootVertex_; }
  // Slot -> the slots of the stored tree pointing away from the root (after findTreeSlots).
  bool treeSlot(int s) const { return treeSlot_[s] != 0; }
  void setTreeSlot(int s) { treeSlot_[s] = 1; }
  void clearTreeSlots() { std::fill(treeSlot_.begin(), treeSlot_.end(), 0); }
  IntArray& selected() { return selected_; }
  // The contracted cost plus a scaled value divided back.
  double real(Weight scaled) const {
    return static_cast<double>(R_.contractCost) + static_cast<double>(scaled) / static_cast<double>(F_);
  }

  void findTreeSlots();
  // Makes the slot's weights sum to its scaled cost exactly, by units.
  void correctSum(int s);
  void evenStart();
  // The dual ascent that grows a component around each commodity's terminal until it holds the
  // root; its bound goes to R, and with start set the commodities' weights are taken from its
  // labels. False when a component had no slot left to raise (the terminal is cut off).
  bool ascentStart(bool start);
  // A table for the weights of the dual ascents: the starting ascent copies its weights there,
  // the closing ascent builds its own.
  void keepSavedWeights();
  // The ascent again at the end (needs keepSavedWeights): each raise by d adds d to the saved
  // weights of its entering slots, and once at most remained components are open a raise that
  // makes more memory rows fall below their sum under the saved weights than the last kept one
  // did is refused and its commodity locked until no other can move. Its bound goes to R.
  // False when a terminal is cut off.
  bool closingAscent(const SubgradientMemory& memory, int remained);
  // The subgradient of step it (choice marker m) as memory pairs into out; returns their number.
  // out holds 2 x the number of non-zero components.
  int subgradientPairs(int m, int it, int* out);
  // Sum over the pairs of their sign times the commodity's weight (saved: the saved weights).
  Weight weightedSum(const int* pairs, int n, bool saved);
  void project(int s);
  // Shortest root path of commodity k under its weights, its slots marked with it; false when k
  // cannot be reached.
  bool shortestPath(int k, int it, Weight& distance);
  // After shortestPath found distance: the labels of its search capped at distance, into
  // out[1..V]. No slot's weight falls below the rise of these labels along it, and they rise by
  // exactly the weight along the path found.
  void pathPotential(Weight distance, Weight* out) const;
  // Gives commodity j, on every live slot, each other commodity's weight above the rise of that
  // commodity's potential along the slot; potentials + k * stride holds k's by vertex. A slot's
  // sum stays, no weight falls below 0, and a potential under which every slot's weight was at
  // least its rise stays one: each such commodity keeps its distance and a shortest path of it.
  void moveAbovePotentials(int j, const Weight* potentials, std::size_t stride);
  // Without the projection: the slots chosen by slack (their marks set to it); returns the
  // slack sum.
  Weight selectBySlack(int it);
  // Above verbosity 5: every live slot with its commodities' weights.
  void logWeights();
  // The relaxed value of step it (slot choice, then every commodity's path); false when a
  // terminal cannot be reached.
  bool stepBound(int it, Weight& bound);
  // Components of the subgradient: +1 for a commodity's path slot not chosen, -1 for a chosen
  // slot off the path (choice: selected == m). adjust counts the -1 components whose weight is 0.
  void countSubgradient(int m, int it, bool adjust, Weight& GG, Weight& GGadjust);
  // Moves every non-zero component by its sign times T, then clamps (no projection) or projects.
  void applyStep(int m, int it, Weight T);
  // The shortest-path tree from the root under the true costs over the live slots that some
  // commodity's path of step it used, grown until every terminal is in it: its slots (count
  // first) go to tree, its cost is returned; -1 when a terminal stays out of reach.
  Weight usedSlotTree(int it, IntArray& tree);
  // The root terminal an option asks for: below 1 the one recorded with the lower bound, past
  // the last terminal the first.
  static int chooseRoot(const ReduceGraph& R, int option);
  // The start of an ascent: at least two terminals, the slot ranges laid out, the root chosen and
  // logged, the weight tables within the memory budget (else a line naming the ascent). Returns
  // the root, 0 when the ascent does not run.
  static int startAscent(ReduceGraph& R, int rootOption, const char* name);

private:
  // The dual ascent around the terminals; its bound (unscaled) into bound. With memory the
  // closing ascent's saved weights and refusals (see closingAscent). False when a component has
  // no slot left to raise. The labels stay in componentLabel_.
  bool dualAscent(const SubgradientMemory* memory, int remained, Weight& bound);
  Weight& componentLabel(int v, int k) { return componentLabel_[static_cast<std::size_t>(v) * width_ + k]; }

  ReduceGraph& R_;
  Weight F_;
  int nR_, root_, rootVertex_, slots_, width_, projection_, lockReq_;
  std::vector<int> commodityWeight_, pathMark_, savedWeight_;
  IntArray selected_;
  std::vector<unsigned char> treeSlot_;
  std::vector<Weight> scaledCost_, dist_;
  std::vector<Weight> componentLabel_;  // [v][k], -1 outside k's component
  IntArray pred_;
  std::vector<unsigned char> fixed_;
  std::vector<int> sortScratch_;
  std::vector<unsigned char> inTreeScratch_;
  LazyHeap heap_;
};

}  // namespace tesmo
