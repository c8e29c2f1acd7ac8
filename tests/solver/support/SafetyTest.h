#pragma once
// The safety test every reduction letter goes through: on several hundred generated instances
// the method must keep the optimum (oracle of the reduced instance plus its contracted cost
// equals the oracle of the original), cut off no required vertex, keep its stored tree a tree of
// the instance whose value is its cost, keep its lower bound at or below the optimum, and leave
// an instance the checker accepts.
//
//   const auto failures = steinertest::checkSafety([](tesmo::ReduceGraph& R) { tm(R); });
//   EXPECT_TRUE(failures.empty()) << steinertest::join(failures);

#include "BruteForceOracle.h"
#include "DreyfusWagner.h"
#include "InstanceBuilders.h"
#include "InstanceGenerators.h"

#include "Graph.h"
#include "InstanceChecker.h"
#include "LogStream.h"
#include "ReduceGraph.h"

#include <algorithm>
#include <functional>
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

// A set of g's arcs is a tree that joins all of g's terminals; its cost when so, -1 otherwise.
inline std::int64_t steinerTreeCost(const tesmo::Graph& g, const tesmo::IntArray& arcs) {
  std::vector<int> list;
  std::int64_t cost = 0;
  for (int i = 1; i <= arcs[0]; ++i) {
    if (arcs[i] < 1 || arcs[i] > 2 * g.E) return -1;
    list.push_back(arcs[i]);
    cost += g.arcs[arcs[i]].cost;
  }
  return tesmotest::isSteinerTree(g, list) ? cost : -1;
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

// Runs method on the given instances and returns one line per failing instance (options.instances
// and options.seed are not used).
inline std::vector<std::string> checkSafetyOn(const std::function<void(tesmo::ReduceGraph&)>& method,
                                              const std::vector<GeneratedInstance>& instances,
                                              const SafetyOptions& options = {}) {
  std::vector<std::string> failures;
  for (std::size_t i = 0; i < instances.size(); ++i) {
    const tesmo::Graph& g = instances[i].graph;
    tesmo::ReduceGraph R(g);
    const std::int64_t optimum = dreyfusWagner(R);
    if (options.seedTree && i % 2 == 1) {
      tesmo::IntArray tree = tesmotest::mstPruneTree(R);
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

// Runs method on the standard mix of generated instances.
inline std::vector<std::string> checkSafety(const std::function<void(tesmo::ReduceGraph&)>& method,
                                            const SafetyOptions& options = {}) {
  return checkSafetyOn(method, instanceMix(options.instances, options.seed), options);
}

}  // namespace steinertest
