#pragma once
// A pool of Steiner cuts for a Lagrangian ascent over arc weights. Each cut is the set of slots
// leaving a forest component that misses some terminal; its multiplier is taken off the weights
// of its slots (and their partners) and added to the constant term weights[0], so that the
// weighted tree value stays a lower bound. The pool keeps at most maxCuts cuts and renews them
// after subgradient steps.

#include "ReduceGraph.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class DynamicCutPool {
public:
  // weights: per arc slot 1..2E, element 0 the constant term; it must outlive the pool. Reads
  // beasleyFaktor (160000000 / upperValue, at least 1), and echoed clearLimit (2), maxCuts
  // (smaller of V and 500) and dynamicCuts (1).
  DynamicCutPool(ReduceGraph& R, IntArray& weights);
  ~DynamicCutPool();
  DynamicCutPool(const DynamicCutPool&) = delete;
  DynamicCutPool& operator=(const DynamicCutPool&) = delete;

  // The slots leaving the forest component of terminal k (parent[v] = v's parent vertex, 0 for
  // a root of the forest) into cut; false when that component holds every terminal.
  bool findCut(int k, const IntArray& parent, std::vector<int>& cut);
  // Stores cut with multiplier 0 in a free place; its place, or 0 when the pool is full.
  int storeCut(const std::vector<int>& cut);
  // Frees place i and gives its multiplier back to the weights.
  void deleteCut(int i);
  // Forest edges (v, parent[v]) on the cut of place i, each counted once.
  int edgesOnCut(int i, const IntArray& parent);
  // One subgradient step of size stepSize over every cut in use.
  void subgradientStep(const IntArray& parent, int stepSize);
  // Clears worn-out cuts when full (with dynamicCuts) and adds cuts of terminals while there is
  // room.
  void update(const IntArray& parent);
  // Mismatches between the weights and the costs less the multipliers (each logged).
  int check() const;

  int cutsInUse() const;
  int capacity() const { return maxCuts_; }
  // Multiplier of place i; -1 for a free place.
  std::int64_t multiplier(int i) const { return multiplier_[static_cast<std::size_t>(i)]; }
  int faktor() const { return faktor_; }

private:
  // Forest root of every vertex, for the parent array given.
  void findRoots(const IntArray& parent);
  void changeWeights(int i, std::int64_t amount);

  ReduceGraph& R_;
  IntArray& weights_;
  int faktor_ = 1;
  int clearLimit_ = 2;
  int maxCuts_ = 0;
  bool dynamicCuts_ = true;
  std::int64_t initialConstant_ = 0;
  // Per place: first node of its slot list (0 = none), multiplier (-1 free), updates at 0.
  std::vector<int> first_;
  std::vector<std::int64_t> multiplier_;
  std::vector<int> zeroUpdates_;
  std::vector<int> slotCount_;
  // Slot lists: node n holds slot nodeSlot_[n] and the next node nodeNext_[n]; freeNode_ heads
  // the list of free nodes (node 0 is never used).
  std::vector<int> nodeSlot_, nodeNext_;
  int freeNode_ = 0;
  IntArray forestRoot_, mark_;
  int markStamp_ = 0;
  std::vector<int> cutBuffer_, bestCut_;
};

}  // namespace tesmo
