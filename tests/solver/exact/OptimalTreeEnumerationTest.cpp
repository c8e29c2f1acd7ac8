#include "OptimalTreeEnumeration.h"

#include "BruteForceOracle.h"
#include "DreyfusWagner.h"
#include "InstanceGenerators.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "RandomInstances.h"
#include "ReduceGraph.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace tesmotest;
using tesmo::IntArray;
using tesmo::ReduceGraph;

namespace {

struct Outcome {
  std::set<EdgeKey> network;
  std::vector<std::vector<int>> trees;  // arcs of the input graph
  std::int64_t value = 0;
};

// The ways a link gets decided: reduced costs, exchanged key paths and searches of many links
// (the defaults), exchanges and searches, every link by a search, one link per search. Each sets
// every option, so that none is left over from the setting before.
struct Setting {
  const char* name;
  std::vector<std::pair<const char*, const char*>> options;
};
const std::vector<Setting> kSettings = {
    {"defaults", {{"enumerationRoots", "8"}, {"enumerationExchange", "1"}, {"enumerationGroup", "100"}}},
    {"searches only", {{"enumerationRoots", "0"}, {"enumerationExchange", "0"}, {"enumerationGroup", "100"}}},
    {"one link per search", {{"enumerationRoots", "0"}, {"enumerationExchange", "0"}, {"enumerationGroup", "1"}}},
    {"exchanges and searches", {{"enumerationRoots", "0"}, {"enumerationExchange", "1"}, {"enumerationGroup", "100"}}},
};

Outcome enumerate(tesmo::Graph& g, const Setting& setting = kSettings[0]) {
  tesmo::currentGraph = &g;
  tesmo::shell.Sset("Reduction", "v");
  for (const auto& [name, value] : setting.options) tesmo::shell.Sset(name, value);
  ReduceGraph R(g);
  int count = 0;
  IntArray store, starts;
  tesmo::enumerateOptimalTrees(count, store, starts, g, R);
  Outcome o;
  // As the program writes it: the live edges, with merged and contracted links expanded.
  IntArray network(1, 0);
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && s < R.partner[s]) network.push_back(s);
  network[0] = static_cast<int>(network.size()) - 1;
  tesmo::expandSolution(R, network, g);
  for (int k = 1; k <= network[0]; ++k) o.network.insert(keyOf(g.arcs[network[k]]));
  for (int t = 1; t <= count; ++t) {
    std::vector<int> tree;
    for (int k = starts[t]; store[k] != 0; ++k) tree.push_back(store[k]);
    o.trees.push_back(tree);
  }
  EXPECT_EQ(R.upperValue, R.lowerValue);
  o.value = R.upperValue;
  tesmo::currentGraph = nullptr;
  return o;
}

// Every stored tree is an optimal tree of g and distinct, and together they cover the network.
void checkTreesCoverTheNetwork(const tesmo::Graph& g, const Outcome& o, std::int64_t optimum, const std::string& what) {
  ASSERT_FALSE(o.trees.empty()) << what;
  std::set<EdgeKey> covered;
  std::set<std::set<int>> distinct;
  for (const auto& tree : o.trees) {
    std::int64_t cost = 0;
    for (int a : tree) {
      cost += g.arcs[a].cost;
      covered.insert(keyOf(g.arcs[a]));
    }
    EXPECT_EQ(cost, optimum) << what;
    EXPECT_TRUE(isSteinerTree(g, tree)) << what;
    EXPECT_TRUE(distinct.insert(std::set<int>(tree.begin(), tree.end())).second) << what;
  }
  EXPECT_EQ(covered, o.network) << what;
}

// The enumeration against brute force: the network is the union of all optimal trees, every
// stored tree is optimal and distinct, and together they cover the network.
void checkAgainstBruteForce(tesmo::Graph& g, const std::string& what, const Setting& setting = kSettings[0]) {
  const BruteForceResult expected = bruteForce(g);
  const Outcome o = enumerate(g, setting);
  const std::string where = what + " (" + setting.name + ")";
  EXPECT_EQ(o.value, expected.optimum) << where;
  EXPECT_EQ(o.network, expected.unionOfOptimal) << where;
  checkTreesCoverTheNetwork(g, o, expected.optimum, where);
  EXPECT_LE(static_cast<int>(o.trees.size()), expected.optimalTreeCount) << where;
}

TEST(OptimalTreeEnumeration, AgreesWithBruteForceOnRandomInstances) {
  for (const Setting& setting : kSettings) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 80; ++round) {
      tesmotest::LogCapture capture(0);
      const int V = 4 + round % 6;
      // Costs 0..2 give many ties and zero-cost links; 0..7 fewer.
      tesmo::Graph g = randomSimpleGraph(rng, V, std::min(V + 5, 14), 2 + round % 4 % (V - 1), round % 3 ? 2 : 7);
      checkAgainstBruteForce(g, "round " + std::to_string(round), setting);
    }
  }
}

// Sparse instances with far detours beside the optimal tree, where the reduced costs decide
// most links; the brute force still has the last word.
TEST(OptimalTreeEnumeration, AgreesWithBruteForceWhereReducedCostsDecide) {
  std::mt19937 rng(99);
  for (int round = 0; round < 40; ++round) {
    tesmotest::LogCapture capture(0);
    const int V = 6 + round % 5;
    std::vector<Edge> edges;
    for (int v = 2; v <= V; ++v) edges.push_back({static_cast<int>(rng() % (v - 1)) + 1, v, 1 + static_cast<int>(rng() % 2)});
    std::set<std::pair<int, int>> used;
    for (const Edge& e : edges) used.insert({std::min(e.u, e.v), std::max(e.u, e.v)});
    while (edges.size() < static_cast<std::size_t>(V + 5)) {
      int u = static_cast<int>(rng() % V) + 1, w = static_cast<int>(rng() % V) + 1;
      if (u == w || !used.insert({std::min(u, w), std::max(u, w)}).second) continue;
      edges.push_back({u, w, 2 + static_cast<int>(rng() % 6)});
    }
    std::vector<int> terminals;
    for (int v = 1; v <= V; ++v)
      if (v % 2 == 1 || rng() % 3 == 0) terminals.push_back(v);
    tesmo::Graph g = makeGraph(V, edges, terminals);
    checkAgainstBruteForce(g, "round " + std::to_string(round));
  }
}

// Large costs leave a small scale, and the links tested together in one search are fewer than the
// scale: a tree through m of them must stay told apart from every tree without them.
TEST(OptimalTreeEnumeration, AgreesWithBruteForceWhenTheScaleIsSmall) {
  std::mt19937 rng(77);
  for (int round = 0; round < 30; ++round) {
    tesmotest::LogCapture capture(0);
    const int V = 5 + round % 5;
    tesmo::Graph g = randomSimpleGraph(rng, V, std::min(V + 5, 14), 2 + round % 3, 2);
    const int scale = 2 + round % 3;
    const Setting searchesOnly = kSettings[1];  // no link deleted before the scale is chosen
    int maxCost = 1;
    std::int64_t total = 0;
    for (std::size_t a = 1; a < g.arcs.size(); ++a) maxCost = std::max(maxCost, g.arcs[a].cost);
    for (int a : edgeArcs(g)) total += g.arcs[a].cost;
    // chooseScale divides 1600000000 by twice the links' total cost: aim just above the scale wanted.
    const std::int64_t factor = 1600000000LL * 2 / (2LL * std::max<std::int64_t>(total, 1) * (2 * scale + 1));
    for (std::size_t a = 1; a < g.arcs.size(); ++a) g.arcs[a].cost = static_cast<int>(g.arcs[a].cost * factor);
    g.maxCost = static_cast<int>(maxCost * factor);
    const ReduceGraph R(g);
    ASSERT_EQ(tesmo::OptimalTreeEnumeration::chooseScale(R), scale) << "round " << round;
    checkAgainstBruteForce(g, "round " + std::to_string(round) + ", scale " + std::to_string(scale), searchesOnly);
  }
  // A star whose links all lie in the one optimal tree (dearer links join the leaves in a ring):
  // its links come one after another, so they share searches.
  for (int scale = 2; scale <= 4; ++scale) {
    tesmotest::LogCapture capture(0);
    // The links cost 12 c together.
    const int c = static_cast<int>(1600000000LL / (2LL * 12 * (2 * scale + 1) / 2));
    tesmo::Graph g = makeGraph(5, {{1, 2, c}, {1, 3, c}, {1, 4, c}, {1, 5, c},
                                   {2, 3, 2 * c}, {3, 4, 2 * c}, {4, 5, 2 * c}, {5, 2, 2 * c}}, {2, 3, 4, 5});
    const ReduceGraph R(g);
    ASSERT_EQ(tesmo::OptimalTreeEnumeration::chooseScale(R), scale);
    checkAgainstBruteForce(g, "star, scale " + std::to_string(scale), kSettings[1]);
  }
}

TEST(OptimalTreeEnumeration, CasesWorthNaming) {
  struct Case {
    const char* name;
    int V;
    std::vector<Edge> edges;
    std::vector<int> terminals;
  };
  const std::vector<Case> cases = {
      {"tree of terminals", 4, {{1, 2, 3}, {2, 3, 1}, {2, 4, 2}}, {1, 2, 3, 4}},
      {"square: four optimal trees", 4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {1, 2, 3, 4}},
      {"three optimal trees: three equal paths", 5, {{1, 2, 1}, {2, 5, 1}, {1, 3, 1}, {3, 5, 1}, {1, 4, 1}, {4, 5, 1}}, {1, 5}},
      {"two trees differing in one link", 4, {{1, 3, 2}, {2, 3, 2}, {1, 4, 1}, {4, 2, 1}, {3, 4, 1}}, {1, 2, 3}},
      {"a link in no optimal tree", 3, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}}, {1, 3}},
      {"all links cost 0", 4, {{1, 2, 0}, {2, 3, 0}, {3, 1, 0}, {3, 4, 0}}, {1, 4}},
      {"zero-cost link to a Steiner vertex", 4, {{1, 2, 1}, {2, 3, 0}, {3, 4, 2}, {1, 4, 3}}, {1, 2}},
      {"zero-cost cycle", 5, {{1, 2, 0}, {2, 3, 0}, {3, 1, 0}, {3, 4, 1}, {4, 5, 1}, {5, 1, 2}}, {1, 4}},
      // No tree reaches the link, not even one with both its ends required.
      {"zero-cost link no terminal reaches", 4, {{1, 2, 1}, {3, 4, 0}}, {1, 2}},
      {"zero-cost path no terminal reaches", 6, {{1, 2, 1}, {2, 3, 2}, {4, 5, 0}, {5, 6, 0}}, {1, 3}},
      {"zero-cost leaf beside a dear link", 4, {{1, 2, 3}, {2, 3, 0}, {1, 3, 3}, {3, 4, 5}}, {1, 2}},
  };
  for (const Setting& setting : kSettings)
    for (const Case& c : cases) {
      tesmotest::LogCapture capture(0);
      tesmo::Graph g = makeGraph(c.V, c.edges, c.terminals);
      checkAgainstBruteForce(g, c.name, setting);
    }
}

// Links of some optimal tree, by a second oracle that reaches larger instances: link u-w lies in
// an optimal tree when the optimum with u and w required and the link free, plus its cost, is the
// optimum (a free link can always join such a tree).
std::set<EdgeKey> unionByForcing(const tesmo::Graph& g, std::int64_t optimum) {
  std::set<EdgeKey> in;
  const std::vector<int> arcs = edgeArcs(g);
  for (int forced : arcs) {
    std::vector<Edge> edges;
    for (int a : arcs) edges.push_back({g.arcs[a].tail, g.arcs[a].head, a == forced ? 0 : g.arcs[a].cost});
    std::set<int> required(g.terminals.begin() + 1, g.terminals.begin() + g.R + 1);
    required.insert(g.arcs[forced].tail);
    required.insert(g.arcs[forced].head);
    const tesmo::Graph h = makeGraph(g.V, edges, std::vector<int>(required.begin(), required.end()));
    ReduceGraph R(h);
    if (steinertest::dreyfusWagner(R, 14) + g.arcs[forced].cost == optimum) in.insert(keyOf(g.arcs[forced]));
  }
  return in;
}

// Generated instances with many equal-cost alternatives, beyond the reach of plain enumeration.
TEST(OptimalTreeEnumeration, NetworkIsTheUnionOfOptimalTreesOnInstancesWithTies) {
  tesmotest::LogCapture capture(0);
  using steinertest::Costs;
  using steinertest::Shape;
  const Shape shapes[] = {Shape::Sparse, Shape::Grid, Shape::Ladder, Shape::Wheel};
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const auto inst = steinertest::generateInstance(seed, shapes[seed % 4], seed % 2 ? Costs::Unit : Costs::ParallelPaths,
                                                    10 + static_cast<int>(seed % 11), 3 + static_cast<int>(seed % 5));
    tesmo::Graph g = inst.graph;
    ReduceGraph probe(g);
    const std::int64_t optimum = steinertest::dreyfusWagner(probe, 14);
    const Outcome o = enumerate(g);
    EXPECT_EQ(o.value, optimum) << inst.description;
    EXPECT_EQ(o.network, unionByForcing(g, optimum)) << inst.description;
    checkTreesCoverTheNetwork(g, o, optimum, inst.description);
  }
}

// With heuristic deletions in the node scripts no step is proven, so no network may be written.
TEST(OptimalTreeEnumerationDeath, UnprovenStepsEndTheRun) {
  tesmo::Graph g = steinertest::generateInstance(3, steinertest::Shape::Grid, steinertest::Costs::Small, 25, 4).graph;
  EXPECT_EXIT(
      {
        tesmotest::LogCapture capture(0);
        tesmo::currentGraph = &g;
        tesmo::shell.Sset("Reduction", "r");
        ReduceGraph R(g);
        int count = 0;
        IntArray store;
        IntArray starts;
        tesmo::enumerateOptimalTrees(count, store, starts, g, R);
      },
      testing::ExitedWithCode(1), "");  // the error line goes to standard output
}

// A path of required vertices with dear chords: the first search gives the optimum and the path,
// and the reduced costs rule every chord out, so no link needs a search of its own.
TEST(OptimalTreeEnumeration, ReducedCostsDecideWithoutSearches) {
  tesmotest::LogCapture capture(2);
  tesmo::shell.Sset("verbose", "2");
  //  1 - 2 - 3 - 4 - 5, each link 1; chords 1-3, 2-4, 3-5 and 1-5 cost 5.
  tesmo::Graph g = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {1, 3, 5}, {2, 4, 5}, {3, 5, 5}, {1, 5, 5}},
                             {1, 2, 3, 4, 5});
  const Outcome o = enumerate(g);
  EXPECT_EQ(o.value, 4);
  EXPECT_EQ(o.network, (std::set<EdgeKey>{{1, 2}, {2, 3}, {3, 4}, {4, 5}}));
  ASSERT_EQ(o.trees.size(), 1u);
  const std::string log = capture.text();
  EXPECT_NE(log.find("\nlinks in no optimal tree by reduced costs: 4 of 8\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("\nStep: "), std::string::npos) << log;
}

// Four taxa on a ring of equal links: every link lies in an optimal tree, and the trees differ
// from the first in one link each, so exchanging key paths finds them all and no link is left
// for a search. Without the exchanges the searches find the same network.
TEST(OptimalTreeEnumeration, ExchangedKeyPathsNeedNoSearch) {
  const std::vector<Edge> ring = {{1, 2, 2}, {2, 3, 2}, {3, 4, 2}, {4, 1, 2}, {1, 5, 3}, {5, 3, 3}};
  for (const char* exchange : {"1", "0"}) {
    tesmotest::LogCapture capture(2);
    tesmo::shell.Sset("verbose", "2");
    tesmo::Graph g = makeGraph(5, ring, {1, 2, 3, 4});
    const Outcome o = enumerate(g, {"ring", {{"enumerationRoots", "8"}, {"enumerationExchange", exchange}}});
    EXPECT_EQ(o.value, 6) << exchange;
    EXPECT_EQ(o.network, (std::set<EdgeKey>{{1, 2}, {2, 3}, {3, 4}, {1, 4}})) << exchange;
    checkTreesCoverTheNetwork(g, o, 6, exchange);
    const std::string log = capture.text();
    if (exchange[0] == '1') {
      EXPECT_EQ(log.find("\nStep: "), std::string::npos) << log;
      EXPECT_NE(log.find("\ntrees found by exchanging a key path: "), std::string::npos) << log;
    } else {
      EXPECT_NE(log.find("\nStep: "), std::string::npos) << log;
    }
  }
}

TEST(OptimalTreeEnumeration, LogsTheProblemClassAndTheSteps) {
  tesmotest::LogCapture capture(2);
  tesmo::shell.Sset("verbose", "2");
  tesmo::Graph g = makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {1, 2, 3, 4});
  // Without the exchanges, which would find the fourth link without a search.
  const Outcome o = enumerate(g, kSettings[1]);
  EXPECT_EQ(o.trees.size(), 2u);  // the first tree covers three links, the second the fourth
  const std::string log = capture.text();
  EXPECT_NE(log.find("average degree for R: 2; few required vertices\n"), std::string::npos);
  // The first search finds three links; the fourth is searched for alone, one unit cheaper at the
  // largest scale.
  EXPECT_NE(log.find("\nlinks in no optimal tree by reduced costs: 0 of 4\n"), std::string::npos) << log;
  const int scale = tesmo::OptimalTreeEnumeration::maxScale;
  EXPECT_NE(log.find("\nStep: 4 of 4. sols:1, inSolCount:3, val:" + std::to_string(3 * scale - 1) + ", \n"),
            std::string::npos) << log;
  EXPECT_EQ(tesmo::shell.Phase, 'W');
}

// With the degree reductions the network keeps one of equally short alternatives: it lies inside
// the union of all optimal trees, and its trees are still optimal and cover it.
TEST(OptimalTreeEnumeration, PruningEquivalentAlternativesStaysOptimal) {
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("pruneEquivalent", "1");
  std::mt19937 rng(77);
  for (int round = 0; round < 80; ++round) {
    const int V = 4 + round % 6;
    tesmo::Graph g = randomSimpleGraph(rng, V, std::min(V + 5, 14), 2 + round % 4 % (V - 1), round % 3 ? 2 : 7);
    const BruteForceResult expected = bruteForce(g);
    const Outcome o = enumerate(g);
    const std::string what = "round " + std::to_string(round);
    EXPECT_EQ(o.value, expected.optimum) << what;
    for (const EdgeKey& e : o.network) EXPECT_TRUE(expected.unionOfOptimal.count(e)) << what;
    checkTreesCoverTheNetwork(g, o, expected.optimum, what);
  }
}

TEST(OptimalTreeEnumeration, RestartsWhenTheDeletionsFreeAVertex) {
  tesmotest::LogCapture capture(1);
  tesmo::shell.Sset("pruneEquivalent", "1");
  // Terminals 1 and 3. The path 1-2-3 is the only optimal tree; once the links of 4 and the
  // diagonal are deleted, 2 keeps two links and the reductions merge them.
  // Links: 1-2 and 2-3 cost 1, the diagonal 1-3 costs 5, 4 is linked to 1, 2 and 3 at cost 3.
  tesmo::Graph g = makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}, {1, 4, 3}, {4, 3, 3}, {4, 2, 3}}, {1, 3});
  const Outcome o = enumerate(g);
  EXPECT_EQ(o.value, 2);
  EXPECT_EQ(o.network, (std::set<EdgeKey>{{1, 2}, {2, 3}}));
  ASSERT_EQ(o.trees.size(), 1u);
  EXPECT_NE(capture.text().find("\n\nfound biologically equivalent solutions.\nrestarting computation in a pruned network.\n\n\n"),
            std::string::npos);
}

TEST(OptimalTreeEnumeration, TablesGrowWithManyTrees) {
  tesmotest::LogCapture capture(0);
  // Twelve required vertices, every pair linked at cost 1: every link lies in an optimal tree, and
  // the trees found outgrow the first size of the tree store.
  std::vector<Edge> edges;
  std::vector<int> terminals;
  const int n = 12;
  for (int u = 1; u <= n; ++u) {
    terminals.push_back(u);
    for (int w = u + 1; w <= n; ++w) edges.push_back({u, w, 1});
  }
  tesmo::Graph g = makeGraph(n, edges, terminals);
  const Outcome o = enumerate(g);
  EXPECT_EQ(o.value, n - 1);
  EXPECT_EQ(o.network.size(), edges.size());
  // Each tree takes n ints of the store, whose first size is 4 n + 16.
  EXPECT_GT(o.trees.size() * n, 4u * n + 16);
  std::set<EdgeKey> covered;
  std::set<std::set<int>> distinct;
  for (const auto& tree : o.trees) {
    EXPECT_EQ(tree.size(), static_cast<std::size_t>(n - 1));
    EXPECT_TRUE(isSteinerTree(g, tree));
    EXPECT_TRUE(distinct.insert(std::set<int>(tree.begin(), tree.end())).second);
    for (int a : tree) covered.insert(keyOf(g.arcs[a]));
  }
  EXPECT_EQ(covered, o.network);
}

}  // namespace
