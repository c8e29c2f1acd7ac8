// Bridges of the torso and the numbering of the parts they separate, in near-linear time.
//
// The rule is step by step: the numbering goes over the torso links in index order; each bridge (while the counter is below
// 99) takes the next number, relabels every torso link reachable from its Taxon2 end without
// crossing it or an earlier bridge, and becomes 100. A link's final number is therefore that of the
// last bridge whose Taxon2 side reached it. Going over the bridges backwards and joining their two
// sides with a union-find gives the same answer: the first bridge (from the back) whose Taxon2
// side holds a link decides it, and a side's links are handed out once.

#include "Network_Diagramm.h"

#include <algorithm>

#include <numeric>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Edge {
  int a = 0, b = 0;
};

// Bridges of a multigraph (self-loops never are), by an iterative depth-first search that skips
// the edge it came in by, not the node, so a doubled link is no bridge.
std::vector<bool> FindBridges(int nodes, const std::vector<Edge>& edges) {
  std::vector<std::vector<std::pair<int, int>>> adj(nodes);  // (neighbour, edge)
  for (int e = 0; e < static_cast<int>(edges.size()); ++e) {
    if (edges[e].a == edges[e].b) continue;
    adj[edges[e].a].push_back({edges[e].b, e});
    adj[edges[e].b].push_back({edges[e].a, e});
  }
  std::vector<bool> bridge(edges.size(), false);
  std::vector<int> order(nodes, -1), low(nodes, 0);
  struct Frame {
    int node, inEdge;
    std::size_t next;
  };
  std::vector<Frame> stack;
  int time = 0;
  for (int root = 0; root < nodes; ++root) {
    if (order[root] >= 0) continue;
    order[root] = low[root] = time++;
    stack.push_back({root, -1, 0});
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next < adj[f.node].size()) {
        const auto [to, e] = adj[f.node][f.next++];
        if (e == f.inEdge) continue;
        if (order[to] >= 0) {
          low[f.node] = std::min(low[f.node], order[to]);
        } else {
          order[to] = low[to] = time++;
          stack.push_back({to, e, 0});
        }
        continue;
      }
      const Frame done = f;
      stack.pop_back();
      if (stack.empty()) break;
      Frame& parent = stack.back();
      low[parent.node] = std::min(low[parent.node], low[done.node]);
      if (low[done.node] > order[parent.node]) bridge[done.inEdge] = true;
    }
  }
  return bridge;
}

struct UnionFind {
  std::vector<int> parent;
  explicit UnionFind(int n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
  int Find(int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  }
};

}  // namespace

void TDrawNetwork_Diagramm::NumberTorsoParts() {
  // Torso links as edges between node names.
  std::unordered_map<std::string, int> ids;
  const auto id = [&](const std::string& name) {
    return ids.try_emplace(name, static_cast<int>(ids.size())).first->second;
  };
  std::vector<int> torso;  // 0-based link indices, index order
  std::vector<Edge> edges;
  for (int j = 0; j < LinkCount(); ++j)
    if (Links[j].TorsoPart != 0) {
      torso.push_back(j);
      const int a = id(Links[j].Taxon1);
      edges.push_back({a, id(Links[j].Taxon2)});
    }
  const int nodes = static_cast<int>(ids.size());
  const std::vector<bool> bridge = FindBridges(nodes, edges);

  // Forward: which links are marked, with which number. A self-loop counts as a bridge when no
  // other unmarked torso link touches its node at its turn.
  std::vector<int> live(nodes, 0);
  for (const Edge& e : edges) {
    ++live[e.a];
    if (e.b != e.a) ++live[e.b];
  }
  std::vector<int> number(edges.size(), 0);  // 0: not marked
  int counter = 1;
  for (std::size_t e = 0; e < edges.size() && counter < 99; ++e) {
    const bool loop = edges[e].a == edges[e].b;
    if (loop ? live[edges[e].a] != 1 : !bridge[e]) continue;
    number[e] = ++counter;
    --live[edges[e].a];
    if (!loop) --live[edges[e].b];
  }

  // Backward: join the unmarked links, then the bridges from the last to the first, handing the
  // links of each bridge's Taxon2 side its number.
  UnionFind sets(nodes);
  std::vector<std::vector<int>> pending(nodes);  // per root: links not yet numbered
  const auto join = [&](int a, int b) {
    a = sets.Find(a);
    b = sets.Find(b);
    if (a == b) return;
    if (pending[a].size() < pending[b].size()) std::swap(a, b);
    pending[a].insert(pending[a].end(), pending[b].begin(), pending[b].end());
    pending[b].clear();
    sets.parent[b] = a;
  };
  std::vector<int> part(edges.size(), 1);
  for (std::size_t e = 0; e < edges.size(); ++e)
    if (number[e] == 0) {
      join(edges[e].a, edges[e].b);
      pending[sets.Find(edges[e].a)].push_back(static_cast<int>(e));
    }
  for (std::size_t k = edges.size(); k-- > 0;) {
    if (number[k] == 0) continue;
    std::vector<int>& side = pending[sets.Find(edges[k].b)];
    for (int e : side) part[e] = number[k];
    side.clear();
    join(edges[k].a, edges[k].b);
  }
  for (std::size_t e = 0; e < edges.size(); ++e)
    Links[torso[e]].TorsoPart = static_cast<std::uint8_t>(number[e] != 0 ? 100 : part[e]);
}
