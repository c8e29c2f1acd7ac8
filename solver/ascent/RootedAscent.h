#pragma once
// The dual ascent of the ascent driver (letter a) and of the ascent deletion tests (letter i).
//
// Every terminal other than the root starts a component of its own vertex; a step raises the cut
// entering one active component by the smallest reduced cost on it, and every component that
// holds the head of an arc that became 0 takes in its tail. Components overlap freely: one stops
// only when it takes in the root vertex, never when it meets another. The step's terminal is
// chosen in terminal order by the size of its component, and within `diff` of the smallest size
// the component with fewer vertices of the stored tree wins, so that the raises stay close to
// the tree. Users refine the choice and watch the raises through the virtual hooks.
//
// An algorithm object: the constructor sizes every buffer for the instance, run() reuses them
// (the component lists keep the capacity they grew to), computeDistances() reads the result.

#include "Heap.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tesmo {

class RootedAscent {
public:
  // Room for R's terminals and two more (the deletion tests add temporary ones).
  explicit RootedAscent(ReduceGraph& R);
  virtual ~RootedAscent() = default;
  RootedAscent(const RootedAscent&) = delete;
  RootedAscent& operator=(const RootedAscent&) = delete;

  // One ascent from terminal index rootIndex. No cut takes an arc out of `avoided` (0: none),
  // so the bound holds for the trees that avoid that vertex. Returns the ascent value (the sum
  // of the raises, without contractCost); R is not changed.
  std::int64_t run(int rootIndex, int avoided = 0);
  // A component had no entering arc: its terminal cannot be reached from the root.
  bool disconnected() const { return disconnected_; }

  // After run: shortest reduced-cost distances from the root (fromRoot), from every vertex to
  // the nearest terminal other than the root (toTerminal, reached through that terminal's
  // vertex: base; 0 where none), each search settling at most as many vertices as R has live.
  void computeDistances();

  // --- results ---
  std::int64_t ascentValue() const { return value_; }
  int rootIndex() const { return root_; }
  int rootVertex() const { return rootVertex_; }
  const IntArray& reducedCosts() const { return rc_; }
  const IntArray& distancesFromRoot() const { return fromRoot_; }
  const IntArray& distancesToTerminal() const { return toTerminal_; }
  const IntArray& bases() const { return base_; }
  bool inComponent(int k, int v) const { return (bits_[rowOffset(k) + (v >> 6)] >> (v & 63)) & 1U; }
  int componentSize(int k) const { return members_[k][0]; }
  int componentVertex(int k, int i) const { return members_[k][i]; }
  bool isActive(int k) const { return size_[k] != maxint; }
  int size(int k) const { return size_[k]; }
  int size2(int k) const { return size2_[k]; }

protected:
  // Called after the pass is set up and before the first step.
  virtual void onRootStart() {}
  // The terminal whose cut the next raise lifts; 0 ends the pass. The default is the choice
  // by size without locks or random keys, with the tolerance set by setDiff.
  virtual int chooseTerminal() { return choiceBySize(nullptr); }
  // With chosen, cut and delta known, before anything is lowered; false skips the raise (the
  // step is over and the next one chooses again).
  virtual bool beforeRaise() { return true; }
  // Called for every arc of the cut whose reduced cost the raise brought to 0.
  virtual void onSaturated(int /*arc*/) {}

  // The choice of the driver: over the active terminals in index order the key is
  // 400000000 x lock + size; a terminal is taken on a smaller key, or on a key within diff of
  // the best one while its size2 is smaller than the taken one's. locks (per terminal, or
  // null) add to the key. 0 when no terminal is active.
  int choiceBySize(const IntArray* locks) const;
  void setDiff(int diff) { diff_ = diff; }
  bool anyActive() const {
    for (int k = 1; k <= terminals_; ++k)
      if (isActive(k)) return true;
    return false;
  }

  ReduceGraph& R_;
  int terminals_ = 0;  // terminal indices 1..terminals_ of this pass
  IntArray rc_;        // per arc slot
  IntArray size_;      // per terminal: vertices in the component; maxint once inactive (root: too)
  IntArray size2_;     // per terminal: 1 + the vertices taken in that lie on the stored tree
  IntArray cut_;       // count-prefixed arcs entering the chosen component
  int chosen_ = 0;
  int delta_ = 0;
  int step_ = 0;       // steps of this pass, counted by the users' choices
  std::int64_t value_ = 0;

private:
  std::size_t rowOffset(int k) const { return static_cast<std::size_t>(k) * words_; }
  void ensureCapacity();
  void resetComponents();
  void join(int k, int v);
  void deactivate(int k);
  bool collectCut(int k);
  void raise();
  void grow();
  bool growFrom(int k, int u);  // false when u is the root vertex (k is then inactive)

  std::size_t words_ = 0;        // 64-bit words per component row
  std::vector<std::uint64_t> bits_;
  std::vector<IntArray> members_;  // per terminal, count-prefixed
  IntArray interiorStart_;         // per terminal: first member that may still have an entering arc
  IntArray cover_;                 // per vertex: active components holding it
  IntArray zeroIn_, zeroStart_, zeroCount_;  // per vertex the tails of its saturated entering arcs
  IntArray pending_, counter_;     // arcs saturated by the last raise, components left to extend
  IntArray selected_, stack_;
  int root_ = 0;
  int rootVertex_ = 0;
  int avoided_ = 0;
  int diff_ = 0;
  bool disconnected_ = false;
  IntArray fromRoot_, toTerminal_, base_, settled_;
  std::optional<IndexedHeap> rootHeap_, terminalHeap_;
};

}  // namespace tesmo
