#pragma once
// Small instances for the tests of the solver's graph types.

#include "Graph.h"
#include "InstanceChecker.h"
#include "ReduceGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <tuple>
#include <vector>

namespace instancetest {

using Edge = std::tuple<int, int, int>;  // u, v, cost

// A grouped graph of V vertices with the given edges (edge k = arcs 2k-1/2k) and terminals.
inline tesmo::Graph makeGraph(int V, const std::vector<Edge>& edges,
                              const std::vector<int>& terminals) {
  tesmo::Graph g;
  g.allocate(V, static_cast<int>(edges.size()), static_cast<int>(terminals.size()));
  int k = 0;
  for (const auto& [u, v, c] : edges) g.setEdge(++k, u, v, c);
  g.R = static_cast<int>(terminals.size());
  for (std::size_t i = 0; i < terminals.size(); ++i) g.terminals[i + 1] = terminals[i];
  g.buildAdjacency();
  return g;
}

// The live slot of u whose head is v, 0 when there is none.
inline int slotOf(const tesmo::ReduceGraph& R, int u, int v) {
  for (int s = R.firstArc[u]; s < R.firstArc[u] + R.degree[u]; ++s)
    if (!R.delE[s] && R.arcs[s].head == v) return s;
  return 0;
}

inline tesmo::IntArray slotList(const tesmo::ReduceGraph& R,
                                std::initializer_list<std::pair<int, int>> edges) {
  tesmo::IntArray list(1, 0);
  for (const auto& [u, v] : edges) list.push_back(slotOf(R, u, v));
  list[0] = static_cast<int>(list.size()) - 1;
  return list;
}

inline tesmo::IntArray intList(std::initializer_list<int> entries) {
  tesmo::IntArray list(1, static_cast<int>(entries.size()));
  list.insert(list.end(), entries.begin(), entries.end());
  return list;
}

#define EXPECT_INSTANCE_VALID(R) EXPECT_EQ(tesmo::InstanceChecker().check(R), "")

}  // namespace instancetest

namespace instancetest {

// A Steiner tree of R's live edges: Kruskal's spanning forest, then non-terminal leaves stripped
// repeatedly. Slots of the kept edges, count-prefixed.
inline tesmo::IntArray mstPruneTree(const tesmo::ReduceGraph& R) {
  std::vector<int> slots;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && s < R.partner[s]) slots.push_back(s);
  std::stable_sort(slots.begin(), slots.end(),
                   [&R](int a, int b) { return R.arcs[a].cost < R.arcs[b].cost; });
  std::vector<int> parent(static_cast<std::size_t>(R.V) + 1);
  for (int v = 0; v <= R.V; ++v) parent[v] = v;
  auto root = [&parent](int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::vector<int> kept;
  std::vector<int> degree(static_cast<std::size_t>(R.V) + 1, 0);
  for (int s : slots) {
    const int a = root(R.arcs[s].tail);
    const int b = root(R.arcs[s].head);
    if (a == b) continue;
    parent[a] = b;
    kept.push_back(s);
    ++degree[R.arcs[s].tail];
    ++degree[R.arcs[s].head];
  }
  for (bool changed = true; changed;) {
    changed = false;
    std::vector<int> next;
    for (int s : kept) {
      const int t = R.arcs[s].tail;
      const int h = R.arcs[s].head;
      if ((degree[t] == 1 && R.isReq[t] == 0) || (degree[h] == 1 && R.isReq[h] == 0)) {
        --degree[t];
        --degree[h];
        changed = true;
      } else {
        next.push_back(s);
      }
    }
    kept.swap(next);
  }
  tesmo::IntArray list(1, static_cast<int>(kept.size()));
  list.insert(list.end(), kept.begin(), kept.end());
  return list;
}

}  // namespace instancetest
