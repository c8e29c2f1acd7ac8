#pragma once
// The solver's plain, undirected, edge-weighted instance graph with its required vertices.
//
// Vertices are 1..V, terminals terminals[1..R]. As filled by a reader, edge k occupies arcs
// 2k-1 = (a, b, c) and 2k = (b, a, c); buildAdjacency() then groups the arcs by tail, so that the
// arcs of v are arcs[firstArc[v] .. firstArc[v]+degree[v]-1]. Solutions are count-prefixed int
// lists (entry 0 = count) of arc numbers, or of edge identities when solutionAsIDs is set.

#include "Arc.h"
#include "CheckedVector.h"

#include <cstdint>

namespace tesmo {

class Graph {
public:
  Graph() = default;
  virtual ~Graph() = default;
  Graph(const Graph&) = default;
  Graph& operator=(const Graph&) = default;
  Graph(Graph&&) = default;
  Graph& operator=(Graph&&) = default;

  int V = 0;          // highest vertex number
  int E = 0;          // undirected edges
  int R = 0;          // terminals
  int maxCost = 0;    // largest arc cost, set by buildAdjacency
  std::int64_t contractCost = 0;  // cost of edges contracted away; part of every solution value
  IntArray mergeHistory;  // count-prefixed (ints in use) triples (ID1, ID2, newID); may be empty
  IntArray contractID;    // count-prefixed identities of contracted edges; may be empty
  IntArray ID;            // identity per arc; empty when the graph carries none
  int IDcount = 0;        // identities handed out so far
  bool solutionAsIDs = false;  // a solution of this graph holds identities, not arc numbers
  IntArray firstArc;      // [0..V+1]
  IntArray terminals;     // [0..R] (readers may give room for more)
  IntArray degree;        // [0..V]
  CheckedVector<Arc> arcs;  // [0..2E]; record 0 is {0,0,0}

  // Sizes the arrays for a filler: V vertices, E edges (arcs 2E+1), room for R terminals.
  void allocate(int vertices, int edges, int terminalCount);
  // Stores edge k as the arc pair 2k-1 = (u, v, c), 2k = (v, u, c).
  void setEdge(int k, int u, int v, int cost);

  // Groups a freshly filled graph's arcs by tail, dropping loops and keeping the cheaper of
  // parallel arcs. An empty instance or a cost above maxint ends the run.
  void buildAdjacency();

  // Makes this graph the part of G formed by the arcs in the count-prefixed list (G's arc
  // numbers), vertices without arcs dropped and the rest renumbered. map (V+1 ints) receives the
  // old-to-new numbers (-123 for dropped vertices) when given. No identities are copied.
  void subgraphFromEdges(const Graph& G, const IntArray& list, IntArray* map = nullptr);

  // Arc number of an arc tail->head in tail's group, 0 when there is none.
  int findArc(int tail, int head) const;
};

// The process-wide current instance graph and solution list. solutionList grows as needed.
extern Graph* currentGraph;
extern IntArray solutionList;

// Checks a solution (zero entries, cycles, missing terminals are logged only) and returns its
// cost plus contractCost.
std::int64_t printSolution(const Graph& g, const IntArray& solution);

// Rewrites a solution of source (derived from target through identities, contractions and
// merges) into arc numbers of target, then checks it there. solution grows when needed.
std::int64_t expandSolution(Graph& source, IntArray& solution, const Graph& target);

}  // namespace tesmo
