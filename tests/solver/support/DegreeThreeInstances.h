#pragma once
// Generated instances rich in non-terminals of degree 3 (cubic graphs with some edges
// subdivided), and lists of one shape of the standard generator (ladders, grids), for the tests
// of reductions that work on such vertices.

#include "InstanceGenerators.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace steinertest {

// A connected graph of about `vertices` vertices (even, 8..40) whose vertices have degree 3: a
// Hamiltonian cycle plus a random perfect matching of chords; every fourth edge is subdivided by
// a vertex of degree 2. Terminals are drawn at random.
inline GeneratedInstance degreeThreeInstance(unsigned seed, Costs costs, int vertices, int terminals) {
  std::mt19937 rng(seed);
  const int n = std::max(4, vertices / 2 * 2);
  std::vector<std::pair<int, int>> pairs;
  for (int i = 1; i <= n; ++i) pairs.push_back({i, i % n + 1});
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i + 1;
  std::shuffle(order.begin(), order.end(), rng);
  for (int i = 0; i + 1 < n; i += 2) {
    const int a = order[i], b = order[i + 1];
    const bool neighbours = b == a % n + 1 || a == b % n + 1;
    if (!neighbours) pairs.push_back({a, b});
  }
  auto cost = [&]() { return randomCost(costs, rng); };
  std::vector<tesmotest::Edge> edges;
  int V = n;
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    if (k % 4 == 3) {
      const int x = ++V;
      edges.push_back({pairs[k].first, x, cost()});
      edges.push_back({x, pairs[k].second, cost()});
    } else {
      edges.push_back({pairs[k].first, pairs[k].second, cost()});
    }
  }
  std::vector<int> all(V);
  for (int i = 0; i < V; ++i) all[i] = i + 1;
  std::shuffle(all.begin(), all.end(), rng);
  const int t = std::clamp(terminals, 2, V);
  GeneratedInstance out{tesmotest::makeGraph(V, edges, std::vector<int>(all.begin(), all.begin() + t)), ""};
  out.description = std::string("degree-3/") + costsName(costs) + " seed " + std::to_string(seed) +
                    " V=" + std::to_string(V) + " E=" + std::to_string(edges.size()) + " R=" + std::to_string(t);
  return out;
}

// `count` degree-3-rich instances cycling through the cost patterns.
inline std::vector<GeneratedInstance> degreeThreeMix(int count, unsigned seed = 1) {
  const Costs costs[] = {Costs::Unit, Costs::Small, Costs::WithZero, Costs::ParallelPaths, Costs::Wide};
  std::mt19937 rng(seed);
  std::vector<GeneratedInstance> list;
  for (int i = 0; i < count; ++i) {
    const int V = std::uniform_int_distribution<int>(8, 30)(rng);
    const int t = std::uniform_int_distribution<int>(2, std::min(10, V))(rng);
    list.push_back(degreeThreeInstance(seed * 7919u + static_cast<unsigned>(i), costs[i % 5], V, t));
  }
  return list;
}

// `count` instances of one shape of the standard generator, cycling through the cost patterns.
inline std::vector<GeneratedInstance> shapeMix(Shape shape, int count, unsigned seed = 1) {
  const Costs costs[] = {Costs::Unit, Costs::Small, Costs::WithZero, Costs::ParallelPaths, Costs::Wide};
  std::mt19937 rng(seed);
  std::vector<GeneratedInstance> list;
  for (int i = 0; i < count; ++i) {
    const int V = std::uniform_int_distribution<int>(8, 40)(rng);
    const int t = std::uniform_int_distribution<int>(2, std::min(10, V))(rng);
    list.push_back(generateInstance(seed * 104729u + static_cast<unsigned>(i), shape, costs[i % 5], V, t));
  }
  return list;
}

}  // namespace steinertest
