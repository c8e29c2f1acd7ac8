#pragma once
// Connectivity clean-up after vertex deletions: every vertex out of reach of the first terminal
// leaves with its edges; a terminal among them means the instance has been cut apart
// (markDisconnected). The search stack and the reached marks are scratch of the instance, so an
// object is only a handle and a run allocates nothing once they have their size.
//
// The search walks contiguous ranges (as left by compactEdges); overflow chains are laid out
// first.

namespace tesmo {

class ReduceGraph;

class UnreachableDeletion {
public:
  explicit UnreachableDeletion(ReduceGraph& R) : R_(R) {}

  // One search from terminals[1]; clears vertexWork[1..V].
  void run();

private:
  ReduceGraph& R_;
};

}  // namespace tesmo
