#pragma once
// Small random Steiner instances of several shapes (sparse and dense random graphs, grids,
// ladders, wheels) and cost patterns (unit costs with many ties, zero-cost edges, parallel paths
// of equal cost), 8 to 40 vertices. Every instance is connected; the description names its
// seed, so a failure can be reproduced alone.

#include "Graph.h"
#include "InstanceBuilders.h"

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

// One edge cost of the cost class, drawn from rng.
inline int randomCost(Costs costs, std::mt19937& rng) {
  switch (costs) {
    case Costs::Unit: return 1;
    case Costs::Small: return std::uniform_int_distribution<int>(1, 3)(rng);
    case Costs::WithZero: return std::uniform_int_distribution<int>(0, 3)(rng);
    case Costs::ParallelPaths: return 2 * std::uniform_int_distribution<int>(1, 3)(rng);
    case Costs::Wide: return std::uniform_int_distribution<int>(1, 1000)(rng);
  }
  return 1;
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
  std::vector<tesmotest::Edge> edges;
  auto cost = [&]() { return randomCost(costs, rng); };
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
  GeneratedInstance out{tesmotest::makeGraph(V, edges, required), ""};
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

// Blocks joined at articulation vertices: a chain of small blocks (cycles, some with a chord),
// each sharing one vertex with the one before or joined to it by a bridge, and pendant blocks
// hanging off without terminals of their own. Terminals lie in most blocks of the chain, so that
// most blocks and bridges lie between two of them. At most about 40 vertices and 10 terminals.
inline GeneratedInstance articulatedInstance(unsigned seed) {
  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<tesmotest::Edge> edges;
  std::vector<int> required;
  int V = 1;
  int joint = 1;  // vertex the next block hangs on
  auto block = [&](int at, int size) {
    // A cycle through at and size-1 new vertices, with a chord on larger ones.
    std::vector<int> ring{at};
    for (int i = 1; i < size; ++i) ring.push_back(++V);
    for (int i = 0; i < size; ++i) edges.push_back({ring[i], ring[(i + 1) % size], pick(1, 9)});
    if (size >= 4 && pick(0, 1) == 1) edges.push_back({ring[0], ring[size / 2], pick(1, 9)});
    return ring;
  };
  const int chain = pick(3, 5);
  for (int b = 0; b < chain; ++b) {
    int at = joint;
    if (b > 0 && pick(0, 2) == 0) {  // a bridge to the next block
      edges.push_back({joint, ++V, pick(1, 9)});
      at = V;
    }
    const std::vector<int> ring = block(at, pick(3, 5));
    if (pick(0, 3) > 0 && static_cast<int>(required.size()) < 9) required.push_back(ring[1 + pick(0, static_cast<int>(ring.size()) - 2)]);
    if (pick(0, 2) == 0) block(ring[1], pick(3, 4));  // pendant block without terminals
    joint = ring.back();
  }
  if (required.size() < 2) required.push_back(1);
  required.push_back(joint);
  std::sort(required.begin(), required.end());
  required.erase(std::unique(required.begin(), required.end()), required.end());
  if (required.size() < 2) required.push_back(joint == 1 ? 2 : 1);
  GeneratedInstance out{tesmotest::makeGraph(V, edges, required), ""};
  out.description = "articulated seed " + std::to_string(seed) + " V=" + std::to_string(V) +
                    " E=" + std::to_string(edges.size()) + " R=" + std::to_string(required.size());
  return out;
}

// A small side and a large side (each a cycle with chords) joined only through a separator of
// k terminals (2..4), each separator vertex with two neighbours on either side. The small side
// holds sideTerminals terminals of its own (so separator plus side reach minReqs = k + 1 when
// sideTerminals >= 1), the large side 2 to 4. The small side keeps below a quarter of the
// vertices; about 30 to 45 vertices, at most 12 terminals.
inline GeneratedInstance separatedInstance(unsigned seed, int k, int sideTerminals = 2) {
  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int small = pick(4, 6);
  const int large = 4 * (small + k) + pick(0, 4);
  std::vector<tesmotest::Edge> edges;
  const int maxCost = pick(0, 1) == 0 ? 3 : 20;
  auto part = [&](int first, int n) {
    for (int i = 0; i < n; ++i) edges.push_back({first + i, first + (i + 1) % n, pick(1, maxCost)});
    for (int c = 0; c < n / 3; ++c) {
      const int u = first + pick(0, n - 1), w = first + pick(0, n - 1);
      if (u != w && std::abs(u - w) != 1 && std::abs(u - w) != n - 1) edges.push_back({u, w, pick(1, maxCost)});
    }
  };
  // Vertices: separator 1..k, small side k+1..k+small, large side after it.
  const int smallFirst = k + 1, largeFirst = k + small + 1;
  const int V = k + small + large;
  part(smallFirst, small);
  part(largeFirst, large);
  // Chords may repeat a cycle edge: each pair once.
  std::vector<tesmotest::Edge> kept;
  for (const auto& e : edges)
    if (e.u != e.v) kept.push_back(e);
  edges.clear();
  std::set<std::pair<int, int>> seen;
  for (const auto& e : kept)
    if (seen.insert({std::min(e.u, e.v), std::max(e.u, e.v)}).second) edges.push_back(e);
  for (int s = 1; s <= k; ++s) {
    for (const auto& [first, n] : {std::pair{smallFirst, small}, std::pair{largeFirst, large}}) {
      const int a = first + pick(0, n - 1);
      int b = first + pick(0, n - 1);
      if (b == a) b = first + (a - first + 1) % n;
      edges.push_back({s, a, pick(1, maxCost)});
      edges.push_back({s, b, pick(1, maxCost)});
    }
  }
  std::vector<int> required;
  for (int s = 1; s <= k; ++s) required.push_back(s);
  std::vector<int> side(small), rest(large);
  for (int i = 0; i < small; ++i) side[i] = smallFirst + i;
  for (int i = 0; i < large; ++i) rest[i] = largeFirst + i;
  std::shuffle(side.begin(), side.end(), rng);
  std::shuffle(rest.begin(), rest.end(), rng);
  for (int i = 0; i < std::min(sideTerminals, small); ++i) required.push_back(side[i]);
  const int outer = pick(2, 4);
  for (int i = 0; i < outer; ++i) required.push_back(rest[i]);
  GeneratedInstance out{tesmotest::makeGraph(V, edges, required), ""};
  out.description = "separated k=" + std::to_string(k) + " seed " + std::to_string(seed) + " V=" + std::to_string(V) +
                    " E=" + std::to_string(edges.size()) + " R=" + std::to_string(required.size());
  return out;
}

// A hub: one non-terminal joined to 3..6 terminals, some of them behind a zero-cost edge from a
// non-terminal of their own, plus one or two dead ends of any cost; the terminals are joined to
// each other by a ring and a few chords about as dear as two hub edges. So trees through the hub
// and trees beside it often cost the same, or the hub wins with some but not all of its edges:
// the cases where degree tests on the hub must not mistake a tie or a partial star for a saving.
inline GeneratedInstance hubInstance(unsigned seed) {
  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int k = pick(3, 6);
  const int hub = k + 1;
  int V = hub;
  std::vector<tesmotest::Edge> edges;
  std::vector<int> required;
  const int spoke = pick(2, 6);
  for (int t = 1; t <= k; ++t) {
    required.push_back(t);
    const int cost = spoke + pick(-1, 1);
    if (pick(0, 1) == 1) {
      const int middle = ++V;
      edges.push_back({hub, middle, cost});
      edges.push_back({middle, t, 0});
    } else {
      edges.push_back({hub, t, cost});
    }
  }
  for (int t = 1; t <= k; ++t) edges.push_back({t, t % k + 1, 2 * spoke + pick(-2, 1)});
  for (int c = pick(0, 2); c > 0; --c) {
    const int a = pick(1, k), b = pick(1, k);
    if (a != b && b != a % k + 1 && a != b % k + 1) edges.push_back({a, b, 2 * spoke + pick(-1, 2)});
  }
  for (int d = pick(1, 2); d > 0; --d) edges.push_back({hub, ++V, pick(1, 8 * spoke)});
  GeneratedInstance out{tesmotest::makeGraph(V, edges, required), ""};
  out.description = "hub seed " + std::to_string(seed) + " V=" + std::to_string(V) +
                    " E=" + std::to_string(edges.size()) + " R=" + std::to_string(k);
  return out;
}

inline std::vector<GeneratedInstance> hubMix(int count, unsigned seed = 1) {
  std::vector<GeneratedInstance> list;
  for (int i = 0; i < count; ++i) list.push_back(hubInstance(seed * 100003u + static_cast<unsigned>(i)));
  return list;
}

}  // namespace steinertest
