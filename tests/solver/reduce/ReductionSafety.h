#pragma once
// The safety check of a reduction letter: on many small generated instances (ties, zero-cost
// edges, with and without a stored tree) the method keeps the optimum (optimum of what is left
// plus the contracted cost equals the optimum of the original), cuts no required vertex off,
// leaves a stored tree a tree of the instance whose value is its cost, and leaves the instance
// consistent.

#include "InstanceChecker.h"
#include "ReduceGraph.h"
#include "Shell.h"

#include "BruteForceOracle.h"
#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "RandomInstances.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace safetytest {

using Method = std::function<void(tesmo::ReduceGraph&)>;

// The stored tree, if any, is a tree of live edges spanning the terminals, valued at its cost.
inline std::string storedTreeProblem(const tesmo::ReduceGraph& R) {
  if (!R.upperOk) return "";
  std::vector<int> parent(static_cast<std::size_t>(R.V) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  long long cost = R.contractCost;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || s > R.partner[s] || !R.inTree[R.ID[s]]) continue;
    const int a = find(R.arcs[s].tail), b = find(R.arcs[s].head);
    if (a == b) return "stored tree has a cycle";
    parent[a] = b;
    cost += R.arcs[s].cost;
  }
  for (int k = 2; k <= R.R; ++k)
    if (find(R.terminals[k]) != find(R.terminals[1])) return "stored tree misses a terminal";
  if (cost != R.upperValue)
    return "stored tree costs " + std::to_string(cost) + ", upper value " + std::to_string(R.upperValue);
  return "";
}

struct Family {
  const char* name;
  int vertices, edges, terminals, maxCost;
};

// Small enough for the enumeration oracle (at most 12 edges).
inline const std::vector<Family>& families() {
  static const std::vector<Family> list{
      {"unit costs, many ties", 8, 12, 4, 1},   {"zero and small costs", 9, 12, 4, 2},
      {"sparse, spread costs", 11, 12, 5, 9},   {"dense", 6, 12, 3, 5},
      {"two terminals", 9, 12, 2, 4},           {"many terminals", 9, 12, 7, 3},
  };
  return list;
}

// Runs method on rounds instances of every family, half of them holding a stored tree first.
inline std::string describe(const tesmo::Graph& g) {
  std::string text = "terminals";
  for (int k = 1; k <= g.R; ++k) text += " " + std::to_string(g.terminals[k]);
  text += "; edges";
  for (int a = 1; a <= 2 * g.E; ++a)
    if (g.arcs[a].tail < g.arcs[a].head)
      text += " " + std::to_string(g.arcs[a].tail) + "-" + std::to_string(g.arcs[a].head) + ":" +
              std::to_string(g.arcs[a].cost);
  return text;
}

inline void checkSafety(const Method& method, int rounds = 50, unsigned seed = 1) {
  // A failed check inside the method is reported by the assertions below, instance included.
  tesmo::shell.Sset("exitWarning", "0");
  std::mt19937 rng(seed);
  for (const Family& f : families()) {
    for (int round = 0; round < rounds; ++round) {
      const tesmo::Graph g = tesmotest::randomSimpleGraph(rng, f.vertices, f.edges, f.terminals, f.maxCost);
      SCOPED_TRACE(testing::Message() << f.name << ", round " << round << ": " << describe(g));
      const long long optimum = tesmotest::bruteForce(g).optimum;
      tesmo::ReduceGraph R(g);
      if (round % 2 == 1) {
        tesmo::IntArray tree = tesmotest::mstPruneTree(R);
        R.setUpper(tree, "test", 0);
      }
      method(R);
      ASSERT_EQ(tesmo::InstanceChecker().check(R), "");
      ASSERT_NE(R.upperOpt, -1) << "a required vertex was cut off";
      ASSERT_EQ(storedTreeProblem(R), "");
      ASSERT_GE(R.upperValue, optimum);
      ASSERT_LE(R.lowerValue, optimum);
      const auto left = R.toGraph();
      const long long rest = tesmotest::bruteForce(*left).optimum;
      ASSERT_GE(rest, 0) << "no tree is left";
      ASSERT_EQ(rest + left->contractCost, optimum);
    }
  }
}

}  // namespace safetytest
