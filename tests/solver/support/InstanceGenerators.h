#pragma once
// Small random Steiner instances of several shapes (sparse and dense random graphs, grids,
// ladders, wheels) and cost patterns (unit costs with many ties, zero-cost edges, parallel paths
// of equal cost), 8 to 40 vertices. Every instance is connected; the description names its
// seed, so a failure can be reproduced alone.

#include "Graph.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace steinertest {

enum class Shape { Sparse, Dense, Grid, Ladder, Wheel };
enum class Costs { Unit, Small, WithZero, ParallelPaths, Wide };

struct GeneratedInstance {
  tesmo::Graph graph;
  std::string description;
};

struct GeneratorEdge {
  int u, v, cost;
};

inline tesmo::Graph buildGraph(int V, const std::vector<GeneratorEdge>& edges, const std::vector<int>& terminals) {
  tesmo::Graph g;
  g.allocate(V, static_cast<int>(edges.size()), static_cast<int>(terminals.size()));
  int k = 0;
  for (const GeneratorEdge& e : edges) g.setEdge(++k, e.u, e.v, e.cost);
  g.R = static_cast<int>(terminals.size());
  for (std::size_t i = 0; i < terminals.size(); ++i) g.terminals[i + 1] = terminals[i];
  g.buildAdjacency();
  return g;
}

inline const char* shapeName(Shape s) {
  switch (s) {
    case Shape::Sparse: return "sparse";
    case Shape::Dense: return "dense";
    case Shape::Grid: return "grid";
    case Shape::Ladder: return "ladder";
    case Shape::Wheel: return "wheel";
  }
  return "?";
}

inline const char* costsName(Costs c) {
  switch (c) {
    case Costs::Unit: return "unit";
    case Costs::Small: return "small";
    case Costs::WithZero: return "zero";
    case Costs::ParallelPaths: return "parallel";
    case Costs::Wide: return "wide";
  }
  return "?";
}

// One instance of the given shape and costs with about `vertices` vertices (8..40) and
// `terminals` terminals (at least 2, at most the vertex count).
inline GeneratedInstance generateInstance(unsigned seed, Shape shape, Costs costs, int vertices, int terminals) {
  std::mt19937 rng(seed);
  std::set<std::pair<int, int>> used;
  std::vector<std::pair<int, int>> pairs;
  auto add = [&](int u, int v) {
    if (u == v || !used.insert({std::min(u, v), std::max(u, v)}).second) return;
    pairs.push_back({u, v});
  };
  int V = vertices;
  switch (shape) {
    case Shape::Sparse:
    case Shape::Dense: {
      for (int i = 2; i <= V; ++i) add(i, std::uniform_int_distribution<int>(1, i - 1)(rng));
      const int extra = shape == Shape::Sparse ? V / 2 : V * (V - 1) / 4;
      std::uniform_int_distribution<int> any(1, V);
      for (int tries = 0; tries < 20 * extra && static_cast<int>(pairs.size()) < V - 1 + extra; ++tries)
        add(any(rng), any(rng));
      break;
    }
    case Shape::Grid: {
      int cols = std::max(2, static_cast<int>(std::sqrt(static_cast<double>(V))));
      int rows = std::max(2, V / cols);
      V = rows * cols;
      for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
          const int v = r * cols + c + 1;
          if (c + 1 < cols) add(v, v + 1);
          if (r + 1 < rows) add(v, v + cols);
        }
      break;
    }
    case Shape::Ladder: {
      const int n = std::max(2, V / 2);
      V = 2 * n;
      for (int i = 1; i <= n; ++i) {
        add(i, n + i);
        if (i < n) add(i, i + 1), add(n + i, n + i + 1);
      }
      break;
    }
    case Shape::Wheel: {
      // Vertex 1 is the hub.
      for (int i = 2; i <= V; ++i) {
        add(1, i);
        add(i, i == V ? 2 : i + 1);
      }
      break;
    }
  }
  std::vector<GeneratorEdge> edges;
  auto cost = [&]() {
    switch (costs) {
      case Costs::Unit: return 1;
      case Costs::Small: return std::uniform_int_distribution<int>(1, 3)(rng);
      case Costs::WithZero: return std::uniform_int_distribution<int>(0, 3)(rng);
      case Costs::ParallelPaths: return 2 * std::uniform_int_distribution<int>(1, 3)(rng);
      case Costs::Wide: return std::uniform_int_distribution<int>(1, 1000)(rng);
    }
    return 1;
  };
  for (const auto& [u, v] : pairs) edges.push_back({u, v, cost()});
  if (costs == Costs::ParallelPaths) {
    // Beside some edges a detour through a new vertex of the same total cost, so that optimal
    // trees are not unique.
    const std::size_t n = edges.size();
    for (std::size_t i = 0; i < n && V < 48; i += 3) {
      const int x = ++V;
      edges.push_back({edges[i].u, x, edges[i].cost / 2});
      edges.push_back({x, edges[i].v, edges[i].cost - edges[i].cost / 2});
    }
  }
  std::vector<int> order(V);
  for (int i = 0; i < V; ++i) order[i] = i + 1;
  std::shuffle(order.begin(), order.end(), rng);
  const int t = std::clamp(terminals, 2, V);
  std::vector<int> required(order.begin(), order.begin() + t);
  GeneratedInstance out{buildGraph(V, edges, required), ""};
  out.description = std::string(shapeName(shape)) + "/" + costsName(costs) + " seed " + std::to_string(seed) +
                    " V=" + std::to_string(V) + " E=" + std::to_string(edges.size()) + " R=" + std::to_string(t);
  return out;
}

// The standard mix of the safety tests: `count` instances cycling through every shape and cost
// pattern, 8 to 40 vertices and 2 to 10 terminals.
inline std::vector<GeneratedInstance> instanceMix(int count, unsigned seed = 1) {
  std::vector<GeneratedInstance> list;
  const Shape shapes[] = {Shape::Sparse, Shape::Dense, Shape::Grid, Shape::Ladder, Shape::Wheel};
  const Costs costs[] = {Costs::Unit, Costs::Small, Costs::WithZero, Costs::ParallelPaths, Costs::Wide};
  std::mt19937 rng(seed);
  for (int i = 0; i < count; ++i) {
    const Shape s = shapes[i % 5];
    const Costs c = costs[(i / 5) % 5];
    const int V = std::uniform_int_distribution<int>(8, s == Shape::Dense ? 24 : 40)(rng);
    const int t = std::uniform_int_distribution<int>(2, std::min(10, V))(rng);
    list.push_back(generateInstance(seed * 100003u + static_cast<unsigned>(i), s, c, V, t));
  }
  return list;
}

}  // namespace steinertest
