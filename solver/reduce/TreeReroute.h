#pragma once
// Keeps a stored tree alive through edge deletions that prove a detour: the deleted tree edge
// hands its place to the detour's edges, and at the end the changed tree is offered to setUpper
// again, which drops the cycles the detours may close and recomputes the value. The flags of the
// instance (inTree, treeDegree) carry the changed tree in between.

#include "ReduceGraph.h"

#include <span>

namespace tesmo {

class TreeReroute {
public:
  // enabled false: the deletions destroy the tree as usual.
  TreeReroute(ReduceGraph& R, bool enabled) : R_(R), enabled_(enabled) {}

  // s's edge is about to be deleted and the live slots of path join its ends.
  void reroute(int s, std::span<const int> path);
  void reroute(int s, std::initializer_list<int> path) { reroute(s, std::span<const int>(path.begin(), path.size())); }
  // Non-terminal x is about to leave the graph: when it is a leaf of the tree, the tree lets go
  // of it first instead of being destroyed.
  void dropLeaf(int x);
  // Offers the changed tree (label for the log).
  void finish(const char* label);

private:
  bool active() const { return enabled_ && R_.upperOk; }
  void flag(int s, bool on);
  ReduceGraph& R_;
  bool enabled_;
  bool changed_ = false;
};

}  // namespace tesmo
