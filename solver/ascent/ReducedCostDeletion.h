#pragma once
// The deletions that the reduced costs of one ascent pass prove, shared by the ascent letters:
// with gap = upper value - the pass's bound, a vertex or edge whose cheapest reduced-cost path
// root -> it -> terminal exceeds the gap lies in no tree better than the stored one, and a
// non-terminal whose root path plus two terminal paths exceed the gap has degree at most 2 in
// every such tree, so it may be replaced. Ties count only while a stored tree avoids the vertex
// or edge (the stored tree then stays optimal).

#include "AscentEngine.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <functional>

namespace tesmo {

struct ReducedCostDeletions {
  int vertices = 0;
  int edges = 0;
  int marked = 0;  // vertices newly marked for replacement
};

// Runs the vertex and edge deletions on R after engine.reducedCostDistances() (then
// compactEdges) and marks replaceable vertices of degree 3 (or the rules' smallest degree) to
// maxDegree in replaceMarks (V+1 ints, kept by the caller over several passes). Logs "deleted vertices: ", ", edges: " and
// ", replaces: " at level 3 with the labels given.
//
// A replaceable vertex has a root path and two arc-disjoint paths to two different terminals
// beyond the gap. Without secondToTerminal both terminal paths are priced at the distance to
// the nearest terminal; with it (per vertex a lower bound on the reduced-cost distance to the
// nearest terminal other than the one the vertex's distance leads to, over paths that meet no
// terminal before their end) the second path is priced at that.
struct ReducedCostLabels {
  const char* vertices = "deleted vertices: ";
  const char* edges = ", edges: ";
  const char* replaces = ", replaces: ";
};
// Where an ascent is more careful than the plain rules above.
struct ReducedCostRules {
  // Vertices go only while a stored tree avoids them (bound at the gap or beyond); without a
  // stored tree none does.
  bool verticesOffStoredTreeOnly = false;
  // Edges that R's tree marks hold are kept, whatever their bounds.
  bool keepTreeMarkedEdges = false;
  // Smallest degree of a vertex marked for replacement.
  int minReplaceDegree = 3;
  // Called for every edge the deletions keep, before the slots move, with the edge's slot s
  // (tail < head) and its bounds root -> tail -> head -> terminal and back.
  std::function<void(int s, std::int64_t forward, std::int64_t backward)> keptEdge;
};

ReducedCostDeletions deleteByReducedCosts(ReduceGraph& R, const AscentEngine& engine, std::int64_t gap,
                                          int maxDegree, IntArray& replaceMarks,
                                          const ReducedCostLabels& labels = {},
                                          const IntArray* secondToTerminal = nullptr);
// The same from arrays of another ascent: reduced cost per slot, distance from the root and to
// the nearest terminal other than the root per vertex. movedSlots (or null) follows the slot
// moves of the edge deletions, as a per-slot table of compactEdges does.
ReducedCostDeletions deleteByReducedCosts(ReduceGraph& R, const IntArray& rc, const IntArray& fromRoot,
                                          const IntArray& toTerminal, std::int64_t gap, int maxDegree,
                                          IntArray& replaceMarks, const ReducedCostLabels& labels = {},
                                          const IntArray* secondToTerminal = nullptr,
                                          const ReducedCostRules& rules = {},
                                          IntArray* movedSlots = nullptr);

// Replaces the marked vertices that still have edges (each vertex once), stopping with
// "(stopped at v) " when edge space runs short (or rebuilding the adjacency and going on with
// rebuildOnShortage); then rebuildAdjacency. Returns the number replaced.
int replaceMarkedVertices(ReduceGraph& R, const IntArray& replaceMarks, bool rebuildOnShortage);

}  // namespace tesmo
