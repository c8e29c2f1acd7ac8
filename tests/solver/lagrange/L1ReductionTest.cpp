// The reduction pass of the l1 ascent judged exclusion by exclusion: on small random instances,
// with weights from a few target steps, every slot direction a pass takes out (alone, with its
// edge or with a vertex) lies on no tree rooted at the root that the pass may not cut off,
// found by enumerating every tree. Both edge tests, the second with and without its term.

#include "InstanceBuilders.h"
#include "L1Reduction.h"
#include "LogCapture.h"
#include "PathRelaxation.h"
#include "ReduceGraph.h"
#include "Shell.h"
#include "../support/DreyfusWagner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::ReduceGraph;

namespace {

using Weight = std::int64_t;
constexpr Weight none = std::int64_t{1} << 60;

// A connected graph of 6 to 8 vertices, at most 12 edges, costs 1 to 5, 3 or 4 terminals.
tesmo::Graph smallInstance(std::mt19937& rng) {
  const int V = 6 + static_cast<int>(rng() % 3);
  std::vector<Edge> edges;
  std::vector<std::vector<char>> joined(V + 1, std::vector<char>(V + 1, 0));
  auto add = [&](int u, int v) {
    if (u == v || joined[u][v]) return;
    joined[u][v] = joined[v][u] = 1;
    edges.push_back({u, v, 1 + static_cast<int>(rng() % 5)});
  };
  for (int v = 2; v <= V; ++v) add(v, 1 + static_cast<int>(rng() % (v - 1)));
  for (int tries = 0; tries < 30 && edges.size() < 12; ++tries)
    add(1 + static_cast<int>(rng() % V), 1 + static_cast<int>(rng() % V));
  std::vector<int> vertices(V);
  for (int v = 1; v <= V; ++v) vertices[v - 1] = v;
  std::shuffle(vertices.begin(), vertices.end(), rng);
  vertices.resize(3 + rng() % 2);
  std::sort(vertices.begin(), vertices.end());
  return makeGraph(V, edges, vertices);
}

// Per slot the cheapest tree that joins the terminals, has terminals for leaves and uses the
// slot pointing away from the root vertex; none when there is no such tree.
std::vector<Weight> cheapestTreeThrough(const ReduceGraph& R, int root) {
  std::vector<int> edges;  // by the smaller slot of each pair
  for (int s = 1; s <= 2 * R.E; ++s)
    if (s < R.partner[s]) edges.push_back(s);
  std::vector<Weight> best(2 * R.E + 1, none);
  const int m = static_cast<int>(edges.size());
  std::vector<std::vector<int>> around(R.V + 1);
  std::vector<int> parent(R.V + 1), stack, used;
  for (std::uint32_t subset = 1; subset < (1u << m); ++subset) {
    for (auto& list : around) list.clear();
    Weight cost = 0;
    int count = 0;
    for (int i = 0; i < m; ++i)
      if (subset >> i & 1) {
        const int s = edges[i];
        around[R.arcs[s].tail].push_back(s);
        around[R.arcs[s].head].push_back(R.partner[s]);
        cost += R.arcs[s].cost;
        ++count;
      }
    // A tree from the root: every edge reached once, the slots pointing away from the root.
    std::fill(parent.begin(), parent.end(), 0);
    parent[root] = -1;
    stack.assign(1, root);
    used.clear();
    bool tree = true;
    while (!stack.empty() && tree) {
      const int v = stack.back();
      stack.pop_back();
      for (int s : around[v]) {
        const int h = R.arcs[s].head;
        if (parent[v] == R.partner[s]) continue;
        if (parent[h] != 0) {
          tree = false;
          break;
        }
        parent[h] = s;
        used.push_back(s);
        stack.push_back(h);
      }
    }
    if (!tree || static_cast<int>(used.size()) != count) continue;
    bool fit = true;
    for (int k = 1; k <= R.R && fit; ++k) fit = parent[R.terminals[k]] != 0;
    for (int v = 1; v <= R.V && fit; ++v)
      if (parent[v] != 0 && v != root && around[v].size() == 1 && R.isReq[v] == 0) fit = false;
    if (!fit) continue;
    for (int s : used) best[s] = std::min(best[s], cost);
  }
  return best;
}

struct Outcome {
  std::vector<std::vector<int>> excludedPerPass;  // the slots each pass took out
  std::string failure;
};

// Target steps of the projected relaxation towards the best tree's cost; a pass at every fifth
// step. Without a stored tree the best cost is the optimum and a pass may cut off only trees
// dearer than it; with one (the pruned spanning tree) it may cut off trees of its cost as well,
// but never the stored one.
Outcome runPasses(const tesmo::Graph& g, bool secondTerm, bool storeTree) {
  Outcome out;
  ReduceGraph R(g);
  const int root = tesmo::PathRelaxation::startAscent(R, 1, "test");
  const Weight optimum = steinertest::dreyfusWagner(R);
  if (storeTree) {
    tesmo::IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "seed", 0);
  }
  const Weight best = storeTree ? Weight{R.upperValue} : optimum;
  const std::vector<Weight> through = cheapestTreeThrough(R, R.terminals[root]);
  const Weight F = 8;
  tesmo::PathRelaxation P(R, F, root, 1, 0);
  if (storeTree) P.findTreeSlots();
  P.evenStart();
  tesmo::L1Reduction reduction(R, P, secondTerm);
  tesmo::IntArray tree;
  double lambda = 2.0;
  for (int s = 1; s <= 30; ++s) {
    Weight L = 0;
    if (!P.stepBound(s, L)) {
      out.failure = "a terminal was cut off";
      return out;
    }
    if (P.usedSlotTree(s, tree) >= 0)
      for (int i = 1; i <= tree[0]; ++i) P.selected()[tree[i]] = s;
    if (s % 5 == 0) {
      std::vector<char> before(R.delE.begin(), R.delE.end());
      tesmo::L1Reduction::Settings settings;
      reduction.pass(best, L, s, settings);
      std::vector<int> excluded;
      for (int a = 1; a <= 2 * R.E; ++a) {
        if (before[a] || !R.delE[a]) continue;
        excluded.push_back(a);
        // A stored tree of the best cost stays; any other tree of that cost may go.
        const bool allowed = storeTree ? through[a] >= best : through[a] > best;
        if (!allowed && out.failure.empty())
          out.failure = "slot " + std::to_string(R.arcs[a].tail) + "->" + std::to_string(R.arcs[a].head) +
                        " taken out at step " + std::to_string(s) + " lies on a tree of " +
                        std::to_string(through[a]) + " (best " + std::to_string(best) + ")";
      }
      if (storeTree && !R.upperOk && out.failure.empty()) out.failure = "the stored tree was destroyed";
      out.excludedPerPass.push_back(excluded);
    }
    Weight GG = 0, zeroes = 0;
    P.countSubgradient(s, s, false, GG, zeroes);
    if (GG == 0) break;
    const double target = static_cast<double>(best) * 1.1 - static_cast<double>(L) / static_cast<double>(F);
    const Weight T = std::max<Weight>(1, std::llround(target * lambda / static_cast<double>(GG) * static_cast<double>(F)));
    P.applyStep(s, s, T);
    if (s % 10 == 0) lambda /= 2;
  }
  return out;
}

struct PassCase {
  const char* name;
  const char* oldReduction;
  bool storeTree;
  bool termWidens;  // the first test, when on, covers whatever the term adds here
};

class L1ReductionExclusions : public testing::TestWithParam<PassCase> {};

TEST_P(L1ReductionExclusions, CutOffNoTreeThatMustStay) {
  std::mt19937 rng(20261210);
  int excludedWithout = 0, excludedWith = 0, termDecided = 0;
  for (int i = 0; i < 150; ++i) {
    const tesmo::Graph g = smallInstance(rng);
    Outcome without, with;
    {
      LogCapture capture(0);
      tesmo::shell.Sset("oldReduction", GetParam().oldReduction);
      without = runPasses(g, false, GetParam().storeTree);
    }
    {
      LogCapture capture(0);
      tesmo::shell.Sset("oldReduction", GetParam().oldReduction);
      with = runPasses(g, true, GetParam().storeTree);
    }
    ASSERT_EQ(without.failure, "") << "instance " << i << " without the term";
    ASSERT_EQ(with.failure, "") << "instance " << i << " with the term";
    for (const auto& pass : without.excludedPerPass) excludedWithout += static_cast<int>(pass.size());
    for (const auto& pass : with.excludedPerPass) excludedWith += static_cast<int>(pass.size());
    // The first pass sees the same weights either way: the term only adds to it.
    if (!without.excludedPerPass.empty() && !with.excludedPerPass.empty()) {
      const auto& a = without.excludedPerPass[0];
      const auto& b = with.excludedPerPass[0];
      EXPECT_TRUE(std::includes(b.begin(), b.end(), a.begin(), a.end())) << "instance " << i;
      if (b.size() > a.size()) ++termDecided;
    }
  }
  EXPECT_GT(excludedWithout, 100);
  EXPECT_GE(excludedWith, excludedWithout);
  if (GetParam().termWidens) {
    EXPECT_GT(termDecided, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Tests, L1ReductionExclusions,
                         testing::Values(PassCase{"bothTests", "1", false, false},
                                         PassCase{"secondTestAlone", "0", false, true},
                                         PassCase{"bothTestsStoredTree", "1", true, false},
                                         PassCase{"secondTestAloneStoredTree", "0", true, true}),
                         [](const testing::TestParamInfo<PassCase>& info) { return std::string(info.param.name); });

}  // namespace
