#include "InstanceBuilders.h"

#include "UnionFind.h"

#include <algorithm>

namespace tesmotest {

tesmo::Graph makeGraph(int V, const std::vector<Edge>& edges, const std::vector<int>& terminals) {
  tesmo::Graph g;
  g.allocate(V, static_cast<int>(edges.size()), static_cast<int>(terminals.size()));
  int k = 0;
  for (const auto& [u, v, c] : edges) g.setEdge(++k, u, v, c);
  g.R = static_cast<int>(terminals.size());
  for (std::size_t i = 0; i < terminals.size(); ++i) g.terminals[i + 1] = terminals[i];
  g.buildAdjacency();
  return g;
}

int slotOf(const tesmo::ReduceGraph& R, int u, int v) {
  for (int s = R.firstArc[u]; s < R.firstArc[u] + R.degree[u]; ++s)
    if (!R.delE[s] && R.arcs[s].head == v) return s;
  return 0;
}

tesmo::IntArray slotList(const tesmo::ReduceGraph& R, std::initializer_list<std::pair<int, int>> edges) {
  tesmo::IntArray list(1, 0);
  for (const auto& [u, v] : edges) list.push_back(slotOf(R, u, v));
  list[0] = static_cast<int>(list.size()) - 1;
  return list;
}

tesmo::IntArray intList(std::initializer_list<int> entries) {
  tesmo::IntArray list(1, static_cast<int>(entries.size()));
  list.insert(list.end(), entries.begin(), entries.end());
  return list;
}

std::vector<int> liveEdgeSlots(const tesmo::ReduceGraph& R) {
  std::vector<int> slots;
  for (int v = 1; v <= R.V; ++v)
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s))
      if (R.arcs[s].tail < R.arcs[s].head) slots.push_back(s);
  return slots;
}

tesmo::IntArray mstPruneTree(const tesmo::ReduceGraph& R) {
  std::vector<int> slots;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && s < R.partner[s]) slots.push_back(s);
  std::stable_sort(slots.begin(), slots.end(),
                   [&R](int a, int b) { return R.arcs[a].cost < R.arcs[b].cost; });
  tesmo::UnionFind sets(R.V);
  std::vector<int> kept;
  std::vector<int> degree(static_cast<std::size_t>(R.V) + 1, 0);
  for (int s : slots) {
    if (!sets.join(R.arcs[s].tail, R.arcs[s].head)) continue;
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

void storeSimpleTree(tesmo::ReduceGraph& R) {
  tesmo::IntArray tree = mstPruneTree(R);
  R.setUpper(tree, "MST", 0);
}

tesmo::IntArray randomTree(const tesmo::ReduceGraph& R, std::mt19937& rng) {
  std::vector<int> edges = liveEdgeSlots(R);
  std::shuffle(edges.begin(), edges.end(), rng);
  tesmo::UnionFind sets;
  sets.reset(R.V);
  std::vector<int> kept;
  for (int s : edges)
    if (sets.join(R.arcs[s].tail, R.arcs[s].head)) kept.push_back(s);
  for (bool stripped = true; stripped;) {
    stripped = false;
    std::vector<int> degree(R.V + 1, 0);
    for (int s : kept) ++degree[R.arcs[s].tail], ++degree[R.arcs[s].head];
    for (std::size_t i = 0; i < kept.size(); ++i) {
      const tesmo::Arc& a = R.arcs[kept[i]];
      const int leaf = degree[a.tail] == 1 && !R.isReq[a.tail] ? a.tail : degree[a.head] == 1 && !R.isReq[a.head] ? a.head : 0;
      if (leaf == 0) continue;
      kept.erase(kept.begin() + static_cast<long>(i));
      stripped = true;
      break;
    }
  }
  tesmo::IntArray tree(1, 0);
  for (int s : kept) tree.push_back(s);
  tree[0] = static_cast<int>(kept.size());
  return tree;
}

}  // namespace tesmotest
