#pragma once
// The safety test every reduction letter goes through: on several hundred generated instances
// the method must keep the optimum (oracle of the reduced instance plus its contracted cost
// equals the oracle of the original), cut off no required vertex, keep its stored tree a tree of
// the instance whose value is its cost, keep its lower bound at or below the optimum, and leave
// an instance the checker accepts.
//
//   const auto failures = steinertest::checkSafety([](tesmo::ReduceGraph& R) { tm(R); });
//   EXPECT_TRUE(failures.empty()) << steinertest::join(failures);

#include "DreyfusWagner.h"
#include "InstanceGenerators.h"

#include "Graph.h"
#include "InstanceChecker.h"
#include "LogStream.h"
#include "ReduceGraph.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace steinertest {

struct SafetyOptions {
  int instances = 300;
  unsigned seed = 1;
  // Every other instance starts with a stored tree (a pruned spanning tree), so that the
  // method's care for a stored tree is tested as well.
  bool seedTree = true;
  int maxFailures = 5;  // stop collecting after this many
  // Heuristics: the method must leave a tree of at most the seeded tree's value.
  bool requireTree = false;
};

inline std::string join(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// Kruskal's spanning forest of the live edges, non-terminal leaves stripped: a valid tree that
// is not the work of any method under test.
inline tesmo::IntArray spanningTreeOf(const tesmo::ReduceGraph& R) {
  std::vector<int> slots;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && s < R.partner[s]) slots.push_back(s);
  std::stable_sort(slots.begin(), slots.end(), [&R](int a, int b) { return R.arcs[a].cost < R.arcs[b].cost; });
  std::vector<int> parent(static_cast<std::size_t>(R.V) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&parent](int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::vector<int> kept;
  std::vector<int> degree(static_cast<std::size_t>(R.V) + 1, 0);
  for (int s : slots) {
    const int a = root(R.arcs[s].tail), b = root(R.arcs[s].head);
    if (a == b) continue;
    parent[a] = b;
    kept.push_back(s);
    ++degree[R.arcs[s].tail];
    ++degree[R.arcs[s].head];
  }
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t i = 0; i < kept.size(); ++i) {
      const tesmo::Arc& a = R.arcs[kept[i]];
      const int leaf = degree[a.tail] == 1 && !R.isReq[a.tail] ? a.tail : (degree[a.head] == 1 && !R.isReq[a.head] ? a.head : 0);
      if (!leaf) continue;
      --degree[a.tail];
      --degree[a.head];
      kept.erase(kept.begin() + static_cast<long>(i));
      changed = true;
      break;
    }
  }
  tesmo::IntArray list(1, static_cast<int>(kept.size()));
  list.insert(list.end(), kept.begin(), kept.end());
  return list;
}

// A set of g's arcs is a tree that joins all of g's terminals; its cost when so, -1 otherwise.
inline std::int64_t steinerTreeCost(const tesmo::Graph& g, const tesmo::IntArray& arcs) {
  std::vector<int> parent(static_cast<std::size_t>(g.V) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&parent](int x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::int64_t cost = 0;
  std::set<int> touched;
  for (int i = 1; i <= arcs[0]; ++i) {
    const int a = arcs[i];
    if (a < 1 || a > 2 * g.E) return -1;
    const int x = root(g.arcs[a].tail), y = root(g.arcs[a].head);
    if (x == y) return -1;
    parent[x] = y;
    cost += g.arcs[a].cost;
    touched.insert(g.arcs[a].tail);
    touched.insert(g.arcs[a].head);
  }
  if (g.R <= 1) return cost;
  const int r = root(g.terminals[1]);
  for (int k = 1; k <= g.R; ++k)
    if (root(g.terminals[k]) != r) return -1;
  for (int v : touched)
    if (root(v) != r) return -1;
  return cost;
}

// The terminals of R are joined by live edges.
inline bool terminalsJoined(const tesmo::ReduceGraph& R) {
  if (R.R <= 1) return true;
  std::vector<char> seen(static_cast<std::size_t>(R.V) + 1, 0);
  std::vector<int> stack{R.terminals[1]};
  seen[R.terminals[1]] = 1;
  while (!stack.empty()) {
    const int v = stack.back();
    stack.pop_back();
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s))
      if (!seen[R.arcs[s].head]) seen[R.arcs[s].head] = 1, stack.push_back(R.arcs[s].head);
  }
  for (int k = 1; k <= R.R; ++k)
    if (!seen[R.terminals[k]]) return false;
  return true;
}

// What is wrong with R after the method, judged against the original graph g and its optimum;
// empty when nothing is.
inline std::string judgeInstance(const tesmo::Graph& g, const tesmo::ReduceGraph& R, std::int64_t optimum) {
  std::ostringstream why;
  const std::string checker = tesmo::InstanceChecker().check(R);
  if (!checker.empty()) why << "checker: " << checker << "; ";
  if (R.lowerValue > optimum) why << "lower bound " << R.lowerValue << " above the optimum; ";
  if (R.upperValue < optimum) why << "upper bound " << R.upperValue << " below the optimum; ";
  if (R.upperOpt == -1) why << "bounds crossed or a terminal cut off; ";
  if (R.upperOpt == 0) {
    if (!terminalsJoined(R)) {
      why << "a terminal is cut off; ";
    } else {
      tesmo::ReduceGraph copy = tesmo::ReduceGraph::copyGraph(R, 2);
      copy.updateContract(nullptr, true);
      const std::int64_t reduced = dreyfusWagner(copy) + copy.contractCost;
      if (reduced != optimum) why << "optimum of the reduced instance " << reduced << " (with contracted cost) differs; ";
    }
  }
  if (R.upperOk && R.upperValue < tesmo::maxint) {
    // The stored tree, carried back to g, is a Steiner tree of g whose cost is the stored value.
    tesmo::IntArray solution;
    auto exported = R.toGraphWithTree(solution);
    const int saved = tesmo::verbose;
    tesmo::verbose = 0;
    tesmo::expandSolution(*exported, solution, g);
    tesmo::verbose = saved;
    const std::int64_t cost = steinerTreeCost(g, solution);
    if (cost < 0) why << "the stored tree is no Steiner tree of the instance; ";
    else if (cost != R.upperValue) why << "the stored tree costs " << cost << ", its value says " << R.upperValue << "; ";
  }
  return why.str();
}

// Runs method on the generated instances and returns one line per failing instance.
inline std::vector<std::string> checkSafety(const std::function<void(tesmo::ReduceGraph&)>& method,
                                            const SafetyOptions& options = {}) {
  std::vector<std::string> failures;
  const std::vector<GeneratedInstance> instances = instanceMix(options.instances, options.seed);
  for (std::size_t i = 0; i < instances.size(); ++i) {
    const tesmo::Graph& g = instances[i].graph;
    tesmo::ReduceGraph R(g);
    const std::int64_t optimum = dreyfusWagner(R);
    if (options.seedTree && i % 2 == 1) {
      tesmo::IntArray tree = spanningTreeOf(R);
      R.setUpper(tree, "seed", 0);
    }
    method(R);
    std::string why = judgeInstance(g, R, optimum);
    if (options.requireTree && (R.upperValue >= tesmo::maxint || !R.upperOk)) why += "no tree found; ";
    if (!why.empty()) {
      failures.push_back(instances[i].description + " (optimum " + std::to_string(optimum) + "): " + why);
      if (static_cast<int>(failures.size()) >= options.maxFailures) break;
    }
  }
  return failures;
}

}  // namespace steinertest
