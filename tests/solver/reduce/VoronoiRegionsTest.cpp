// Nearest terminals, Voronoi regions, the generalized MST, bottleneck distances and the
// bottleneck stores built from them, against plain Dijkstra, Kruskal and minimax computations
// on drawn examples, random graphs and the shared Steiner instances.

#include "DistancePairCache.h"
#include "FindSave.h"
#include "ReduceGraph.h"
#include "Shell.h"
#include "StableSort.h"
#include "StpReader.h"
#include "UnionFind.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "KnownInstances.h"
#include "LogCapture.h"
#include "RandomInstances.h"
#include "VoronoiTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

using namespace tesmo;
using namespace tesmotest;
using namespace voronoitest;

namespace {

// Row 1 against a multi-source Dijkstra: exact distances within the limit, bases and the
// search tree consistent (so each base is a nearest terminal), and the link list holding every
// region-crossing edge within the limit exactly once with its length.
void checkRegions(const ReduceGraph& R, int limit) {
  std::vector<int> sources(R.terminals.begin() + 1, R.terminals.begin() + 1 + R.R);
  const std::vector<std::int64_t> exact = dijkstra(R, sources);
  const int* dist = R.nearDist[1];
  const int* pred = R.nearPred[1];
  const int* base = R.nearBase[1];
  for (int v = 1; v <= R.V; ++v) {
    SCOPED_TRACE(v);
    if (exact[v] > limit) {
      EXPECT_EQ(base[v], 0);
      EXPECT_EQ(dist[v], maxint);
      continue;
    }
    ASSERT_EQ(dist[v], exact[v]);
    ASSERT_NE(base[v], 0);
    ASSERT_NE(R.isReq[base[v]], 0);
    if (R.isReq[v] != 0) {
      EXPECT_EQ(base[v], v);
      EXPECT_EQ(pred[v], v);
      continue;
    }
    const int s = R.voronoiSlot[v];
    ASSERT_GT(s, 0);
    EXPECT_FALSE(R.delE[s]);
    EXPECT_EQ(R.arcs[s].head, v);
    EXPECT_EQ(R.arcs[s].tail, pred[v]);
    EXPECT_EQ(dist[v], dist[pred[v]] + R.arcs[s].cost);
    EXPECT_EQ(base[v], base[pred[v]]);
  }
  std::map<int, int> recorded;  // lower slot of the edge -> times recorded
  for (int k = 1; k <= R.linkCount; ++k) {
    const RegionLink& l = R.regionLinks[k];
    const int s = R.linkSlot[k];
    const Arc& a = R.arcs[s];
    ++recorded[std::min(s, R.partner[s])];
    const int ta = R.isReq[base[a.tail]];
    const int tb = R.isReq[base[a.head]];
    EXPECT_EQ(l.a, std::min(ta, tb));
    EXPECT_EQ(l.b, std::max(ta, tb));
    EXPECT_LT(l.a, l.b);
    EXPECT_EQ(l.length, static_cast<std::int64_t>(dist[a.tail]) + dist[a.head] + a.cost);
    EXPECT_LE(l.length, limit);
  }
  int crossing = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || s > R.partner[s]) continue;
    const Arc& a = R.arcs[s];
    if (base[a.tail] == 0 || base[a.head] == 0 || base[a.tail] == base[a.head]) continue;
    if (static_cast<std::int64_t>(dist[a.tail]) + dist[a.head] + a.cost > limit) continue;
    ++crossing;
    EXPECT_EQ(recorded[s], 1) << "edge " << a.tail << "-" << a.head;
  }
  EXPECT_EQ(crossing, R.linkCount);
}

// The generalized MST against Kruskal over the links it was built from.
void checkMst(const ReduceGraph& R, const std::vector<RegionLink>& before) {
  const auto [total, count] = kruskal(before, R.R);
  std::int64_t sum = 0;
  for (int k = 1; k <= R.linkCount; ++k) {
    sum += R.regionLinks[k].length;
    if (k > 1) {
      EXPECT_LE(R.regionLinks[k - 1].length, R.regionLinks[k].length);
    }
  }
  EXPECT_EQ(R.linkCount, count);
  EXPECT_EQ(sum, total);
  if (R.R >= 2 && R.linkCount == R.R - 1)
    EXPECT_EQ(R.blowUpMark, R.regionLinks[R.linkCount].length);
  else
    EXPECT_EQ(R.blowUpMark, maxint);
}

// Every form of the bottleneck store against minimax paths over all region links.
void checkStores(ReduceGraph& R, const std::vector<RegionLink>& before) {
  std::vector<std::vector<int>> answers[3];
  for (int form = 0; form < 3; ++form) {
    FindSave& store = form == 0 ? R.buildFindSaveMatrix() : R.buildFindSaveTree(form - 1);
    EXPECT_EQ(store.kind(), form + 2);
    answers[form].assign(static_cast<std::size_t>(R.R) + 1, {});
    for (int i = 1; i <= R.R; ++i)
      for (int j = 1; j <= R.R; ++j) answers[form][i].push_back(store.d(i, j, maxint));
    EXPECT_EQ(store.d(0, 1, maxint), maxint);
    EXPECT_EQ(store.d(1, R.R + 1, maxint), maxint);
  }
  for (int i = 1; i <= R.R; ++i) {
    const std::vector<int> brute = minimaxFrom(before, R.R, i);
    for (int j = 1; j <= R.R; ++j) {
      ASSERT_EQ(answers[0][i][j - 1], brute[j]) << i << "," << j;
      ASSERT_EQ(answers[1][i][j - 1], brute[j]) << i << "," << j;
      ASSERT_EQ(answers[2][i][j - 1], brute[j]) << i << "," << j;
    }
  }
}

// Rows 2 and 3: bases differ from the rows above, and each distance is that of a real path
// from its base, so never below the exact second (third) nearest distance.
void checkFurtherRows(const ReduceGraph& R, const std::vector<std::vector<std::int64_t>>& fromTerminal) {
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0) {
      for (int k = 2; k <= 3; ++k) {
        EXPECT_EQ(R.nearBase[k][v], v);
        EXPECT_EQ(R.nearDist[k][v], maxint);
      }
      continue;
    }
    std::vector<std::int64_t> sorted;
    for (int t = 1; t <= R.R; ++t) sorted.push_back(fromTerminal[t][v]);
    std::sort(sorted.begin(), sorted.end());
    for (int k = 2; k <= 3; ++k) {
      SCOPED_TRACE(testing::Message() << "row " << k << " vertex " << v);
      const int b = R.nearBase[k][v];
      if (b == 0) {
        EXPECT_EQ(R.nearDist[k][v], maxint);
        continue;
      }
      ASSERT_NE(R.isReq[b], 0);
      for (int above = 1; above < k; ++above) EXPECT_NE(b, R.nearBase[above][v]);
      EXPECT_GE(R.nearDist[k][v], fromTerminal[R.isReq[b]][v]);
      ASSERT_GE(sorted.size(), static_cast<std::size_t>(k));
      EXPECT_GE(R.nearDist[k][v], sorted[k - 1]);
      EXPECT_GE(R.nearDist[k][v], R.nearDist[k - 1][v]);
    }
  }
}

// The exact bottleneck Steiner distance between i and j: the minimax path between them in the
// complete graph on the terminals and i, j weighted by shortest distances.
int exactBottleneck(const ReduceGraph& R, const std::vector<std::vector<std::int64_t>>& all, int i,
                    int j) {
  std::vector<int> nodes(R.terminals.begin() + 1, R.terminals.begin() + 1 + R.R);
  nodes.push_back(i);
  nodes.push_back(j);
  std::vector<std::int64_t> best(nodes.size(), none);
  std::vector<bool> done(nodes.size(), false);
  best[nodes.size() - 2] = 0;
  for (;;) {
    int pick = -1;
    for (std::size_t k = 0; k < nodes.size(); ++k)
      if (!done[k] && best[k] < none && (pick < 0 || best[k] < best[pick])) pick = static_cast<int>(k);
    if (pick < 0) return maxint;
    if (nodes[pick] == j) return static_cast<int>(best[pick]);
    done[pick] = true;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
      const std::int64_t d = all[nodes[pick]][nodes[k]];
      if (d >= none) continue;
      best[k] = std::min(best[k], std::max(best[pick], d));
    }
  }
}

bool hasLiveEdge(const ReduceGraph& R, int v) {
  LiveEdgeIterator it(R, v);
  while (nextLiveEdge(R, it))
    if (!R.delE[it.slot]) return true;
  return false;
}

std::vector<std::vector<std::int64_t>> allPairs(const ReduceGraph& R) {
  std::vector<std::vector<std::int64_t>> all(static_cast<std::size_t>(R.V) + 1);
  for (int v = 1; v <= R.V; ++v) all[v] = dijkstra(R, {v});
  return all;
}

// The whole chain on one instance, as the reduction tests run it.
void runAndCheckAll(ReduceGraph& R, int limit, bool bruteForcePairs) {
  R.computeVoronoiRegions(limit);
  EXPECT_INSTANCE_VALID(R);
  checkRegions(R, limit);
  const std::vector<RegionLink> before = currentLinks(R);
  R.generalizedMst();
  EXPECT_INSTANCE_VALID(R);
  checkMst(R, before);
  for (int s = 1; s <= 2 * R.E; ++s) {
    const Arc& a = R.arcs[s];
    if (R.delE[s] || R.mstLink[R.ID[s]] == 0) continue;
    // Only direct terminal-terminal edges are marked by the plain form.
    EXPECT_NE(R.isReq[a.tail], 0);
    EXPECT_NE(R.isReq[a.head], 0);
  }
  R.secondNearestTerminals(limit);
  R.thirdNearestTerminals(limit);
  EXPECT_INSTANCE_VALID(R);
  const auto fromTerminal = terminalDistances(R);
  checkFurtherRows(R, fromTerminal);
  checkStores(R, before);
  // Terminal pairs: the store's answer itself.
  FindSave& store = R.getFindSave();
  for (int a = 1; a <= R.R; ++a)
    for (int b = 1; b <= R.R; ++b)
      if (limit == maxint) {
        ASSERT_EQ(R.bottleneckDistance(R.terminals[a], R.terminals[b]), store.d(a, b, maxint));
      }
  if (!bruteForcePairs) return;
  const auto all = allPairs(R);
  for (int i = 1; i <= R.V; ++i)
    for (int j = 1; j <= R.V; ++j) {
      if (!hasLiveEdge(R, i) || !hasLiveEdge(R, j)) continue;
      const int estimate = R.bottleneckDistance(i, j);
      ASSERT_LE(exactBottleneck(R, all, i, j), estimate) << i << "," << j;
      if (R.nearBase[1][i] != 0 && R.nearBase[1][i] == R.nearBase[1][j]) {
        ASSERT_EQ(estimate, std::max(R.nearDist[1][i], R.nearDist[1][j]));
      }
    }
}

TEST(Voronoi, DrawnExampleHoldsItsRowsLinksAndDistances) {
  tesmotest::LogCapture log(0);
  //  t1 -2- a -3- b -4- t2 -1- c -6- t3, and a -9- c
  //  vertices: t1=1 a=2 b=3 t2=4 c=5 t3=6
  ReduceGraph R(makeGraph(6, {{1, 2, 2}, {2, 3, 3}, {3, 4, 4}, {4, 5, 1}, {5, 6, 6}, {2, 5, 9}},
                          {1, 4, 6}));
  R.computeVoronoiRegions(maxint);
  struct Row {
    int v, dist, base;
  };
  for (const Row& row : std::vector<Row>{{1, 0, 1}, {2, 2, 1}, {3, 4, 4}, {4, 0, 4}, {5, 1, 4}, {6, 0, 6}})
    EXPECT_EQ(std::make_pair(R.nearDist[1][row.v], R.nearBase[1][row.v]), std::make_pair(row.dist, row.base))
        << row.v;
  // Links: a-b (2+4+3 = 9, regions 1|2), a-c (2+1+9 = 12, 1|2), c-t3 (1+0+6 = 7, 2|3).
  std::multiset<std::tuple<int, int, int>> links;
  for (const RegionLink& l : currentLinks(R)) links.emplace(l.a, l.b, l.length);
  EXPECT_EQ(links, (std::multiset<std::tuple<int, int, int>>{{1, 2, 9}, {1, 2, 12}, {2, 3, 7}}));
  R.generalizedMst();
  ASSERT_EQ(R.linkCount, 2);
  EXPECT_EQ(R.regionLinks[1], (RegionLink{2, 3, 7}));
  EXPECT_EQ(R.regionLinks[2], (RegionLink{1, 2, 9}));
  EXPECT_EQ(R.blowUpMark, 9);
  R.secondNearestTerminals(maxint);
  R.thirdNearestTerminals(maxint);
  // a: second t2 over b (3 + 4), third t3 over c (9 + 6).
  EXPECT_EQ(std::make_pair(R.nearDist[2][2], R.nearBase[2][2]), std::make_pair(7, 4));
  EXPECT_EQ(std::make_pair(R.nearDist[3][2], R.nearBase[3][2]), std::make_pair(15, 6));
  // c: second t3 at 6, third t1 over a at 11.
  EXPECT_EQ(std::make_pair(R.nearDist[2][5], R.nearBase[2][5]), std::make_pair(6, 6));
  EXPECT_EQ(std::make_pair(R.nearDist[3][5], R.nearBase[3][5]), std::make_pair(11, 1));
  R.getFindSave();
  // Same region: the larger first distance at once.
  EXPECT_EQ(R.bottleneckDistance(3, 5), 4);
  EXPECT_EQ(R.bottleneckDistance(1, 6), 9);
  // a to t3: t1's link to t2 (9) is avoided by going over a's second base t2 (7, then 7).
  EXPECT_EQ(R.bottleneckDistance(2, 6), 7);
  EXPECT_INSTANCE_VALID(R);
}

TEST(Voronoi, RandomGraphsAgreeWithPlainComputations) {
  tesmotest::LogCapture log(0);
  std::mt19937 random(4711);
  struct Case {
    int V, maxCost, terminalShare;
    bool connected;
    int limit;
  };
  const std::vector<Case> cases = {
      {12, 5, 30, true, maxint},   {25, 20, 20, true, maxint}, {25, 3, 40, true, maxint},
      {30, 20, 15, false, maxint}, {25, 20, 25, true, 15},     {40, 1000, 10, true, maxint},
  };
  for (const Case& c : cases)
    for (int round = 0; round < 8; ++round) {
      SCOPED_TRACE(testing::Message() << "V " << c.V << " limit " << c.limit << " round " << round);
      ReduceGraph R(randomGraph(random, c.V, RandomGraphOptions{1, c.maxCost, 0, c.terminalShare, c.connected}));
      runAndCheckAll(R, c.limit, true);
      if (HasFatalFailure()) return;
      // Repeated runs on the same instance reuse the arrays and give the same answers.
      runAndCheckAll(R, c.limit, false);
      if (HasFatalFailure()) return;
    }
}

// Edits of the edge storage in between: deleted slots, overflow chains (small capacity), replaced
// vertices and rebuilt ranges are all walked correctly.
TEST(Voronoi, EditedInstancesAgreeWithPlainComputations) {
  tesmotest::LogCapture log(0);
  std::mt19937 random(1234);
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    shell.Sset("E++", round % 2 == 0 ? "30" : "1000");
    ReduceGraph R(randomGraph(random, 14 + round % 7, RandomGraphOptions{1, 12, 0, 25, round % 5 != 0}));
    for (int step = 0; step < 10; ++step) {
      SCOPED_TRACE(step);
      std::uniform_int_distribution<int> vertex(1, R.V);
      const int v = vertex(random);
      const int w = vertex(random);
      switch (random() % 4) {
        case 0:
          if (v != w && R.E + 2 <= R.Emax) R.addEdge(Arc{v, w, 1 + static_cast<int>(random() % 12)}, 0, 0);
          break;
        case 1:
          if (R.isReq[v] == 0 && hasLiveEdge(R, v)) R.deleteVertex(v);
          break;
        case 2:
          if (R.isReq[v] == 0 && hasLiveEdge(R, v) && !R.lacksEdgeSpace(v)) R.replaceVertex(v, false);
          break;
        default:
          if (step % 3 == 2) R.rebuildAdjacency();
          break;
      }
      ASSERT_EQ(InstanceChecker().check(R), "");
      runAndCheckAll(R, maxint, true);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(Voronoi, TerminalWithoutEdgesDoesNotCutTheSearchShort) {
  tesmotest::LogCapture log(0);
  // Terminal 1 has no edge, so only 2..5 count as live; all of them must still be reached.
  ReduceGraph R(makeGraph(5, {{3, 4, 2}, {3, 5, 3}, {2, 3, 4}}, {1, 4}));
  ASSERT_EQ(R.Vanz, 4);
  runAndCheckAll(R, maxint, true);
  for (int v = 2; v <= 5; ++v) EXPECT_EQ(R.nearBase[1][v], 4) << v;
  EXPECT_EQ(R.nearDist[1][2], 6);
}

TEST(Voronoi, SmallLimitLeavesVerticesUnreachedAndTheForestOpen) {
  tesmotest::LogCapture log(0);
  // Path t1 -5- a -5- b -5- t2 -20- x: with limit 6, a and b are reached at 5, x not at all.
  ReduceGraph R(makeGraph(5, {{1, 2, 5}, {2, 3, 5}, {3, 4, 5}, {4, 5, 20}}, {1, 4}));
  R.computeVoronoiRegions(6);
  EXPECT_EQ(R.nearBase[1][5], 0);  // 20 away
  EXPECT_EQ(R.nearDist[1][5], maxint);
  EXPECT_EQ(R.linkCount, 0);  // a-b would be 15 long
  R.generalizedMst();
  EXPECT_EQ(R.blowUpMark, maxint);
  R.secondNearestTerminals(6);
  R.thirdNearestTerminals(6);
  R.getFindSave();
  EXPECT_EQ(R.bottleneckDistance(5, 1), maxint);  // unreached
  EXPECT_EQ(R.bottleneckDistance(2, 3), maxint);  // regions not joined within the limit
  EXPECT_EQ(R.bottleneckDistance(1, 2), 5);
  EXPECT_INSTANCE_VALID(R);
}

TEST(Voronoi, SingleTerminalAndUnjoinedComponents) {
  tesmotest::LogCapture log(0);
  ReduceGraph single(makeGraph(3, {{1, 2, 4}, {2, 3, 4}}, {2}));
  single.computeVoronoiRegions(maxint);
  single.generalizedMst();
  EXPECT_EQ(single.linkCount, 0);
  EXPECT_EQ(single.blowUpMark, maxint);
  single.secondNearestTerminals(maxint);
  single.thirdNearestTerminals(maxint);
  single.getFindSave();
  EXPECT_EQ(single.bottleneckDistance(1, 3), 4);

  ReduceGraph two(makeGraph(4, {{1, 2, 4}, {3, 4, 4}}, {1, 3}));
  two.computeVoronoiRegions(maxint);
  two.generalizedMst();
  EXPECT_EQ(two.linkCount, 0);
  EXPECT_EQ(two.blowUpMark, maxint);
  two.getFindSave();
  EXPECT_EQ(two.bottleneckDistance(2, 4), maxint);
  EXPECT_EQ(two.bottleneckDistance(0, 4), maxint);
  EXPECT_INSTANCE_VALID(two);
}

TEST(Voronoi, ExpandedForestIsOfferedAsTheStoredTree) {
  tesmotest::LogCapture log(0);
  std::mt19937 random(99);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    ReduceGraph R(randomGraph(random, 30, RandomGraphOptions{1, 20, 0, 20, true}));
    R.computeVoronoiRegions(maxint);
    R.generalizedMstUpper(1);
    EXPECT_INSTANCE_VALID(R);
    ASSERT_EQ(R.linkCount, R.R - 1);
    // The marked edges join all terminals; every vertex on them is counted.
    UnionFind sets(R.V);
    std::vector<bool> touched(static_cast<std::size_t>(R.V) + 1, false);
    std::int64_t markedCost = 0;
    for (int s = 1; s <= 2 * R.E; ++s) {
      if (R.delE[s] || s > R.partner[s] || R.mstLink[R.ID[s]] == 0) continue;
      sets.join(R.arcs[s].tail, R.arcs[s].head);
      touched[R.arcs[s].tail] = touched[R.arcs[s].head] = true;
      markedCost += R.arcs[s].cost;
    }
    for (int k = 2; k <= R.R; ++k) EXPECT_TRUE(sets.same(R.terminals[k], R.terminals[1]));
    for (int v = 1; v <= R.V; ++v) EXPECT_EQ(R.vertexValue[v] > 0, touched[v]) << v;
    EXPECT_LT(R.upperValue, maxint);
    EXPECT_LE(R.upperValue, markedCost);
    // With a tree stored, no new one is collected.
    const int upper = R.upperValue;
    R.computeVoronoiRegions(maxint);
    R.generalizedMstUpper(1);
    EXPECT_EQ(R.upperValue, upper);
    EXPECT_INSTANCE_VALID(R);
  }
}

TEST(Voronoi, OptionPicksTheStoreAndAnotherKindIsReplaced) {
  tesmotest::LogCapture log(0);
  ReduceGraph R(makeGraph(4, {{1, 2, 3}, {2, 3, 4}, {3, 4, 5}}, {1, 3, 4}));
  R.computeVoronoiRegions(maxint);
  R.generalizedMst();
  EXPECT_EQ(R.getFindSave().kind(), FindSave::matrixKind);  // fewer than 301 terminals
  shell.Sset("useTreeFindSave", "1");
  EXPECT_EQ(R.getFindSave().kind(), FindSave::treeKind);
  EXPECT_EQ(R.bottleneckDistance(1, 4), 7);
  shell.Sset("useTreeFindSave", "0");
  EXPECT_EQ(R.getFindSave().kind(), FindSave::matrixKind);
  EXPECT_EQ(R.buildFindSaveTree(1).kind(), FindSave::treeCachedKind);
  EXPECT_EQ(R.bottleneckDistance(1, 4), 7);

  // 301 terminals: the tree form by default.
  std::vector<Edge> star;
  std::vector<int> terminals;
  for (int v = 2; v <= 302; ++v) {
    star.emplace_back(1, v, v);
    terminals.push_back(v);
  }
  shell.clearVariables();
  ReduceGraph big(makeGraph(302, star, terminals));
  big.computeVoronoiRegions(maxint);
  big.generalizedMst();
  EXPECT_EQ(big.getFindSave().kind(), FindSave::treeKind);
  EXPECT_EQ(big.bottleneckDistance(2, 3), 2 + 3);
}

TEST(Voronoi, DistancePairCacheAnswersBottleneckDistances) {
  tesmotest::LogCapture log(0);
  std::mt19937 random(7);
  ReduceGraph R(randomGraph(random, 30, RandomGraphOptions{1, 20, 0, 20, true}));
  R.computeVoronoiRegions(maxint);
  R.generalizedMst();
  R.secondNearestTerminals(maxint);
  R.thirdNearestTerminals(maxint);
  R.getFindSave();
  DistancePairCache cache(R, 8);
  EXPECT_EQ(cache.bucketsPerRow(), 32);  // 256 halved while above 2 * 30
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 1; i <= R.V; ++i)
      for (int j = 1; j <= R.V; ++j) ASSERT_EQ(cache.lookup(i, j), R.bottleneckDistance(i, j));
}

TEST(StableSort, KeepsEqualKeysInOrderAndTracksPositions) {
  std::mt19937 random(3);
  for (int n : {0, 1, 2, 3, 7, 64, 100, 1000}) {
    IntArray keys(static_cast<std::size_t>(n) + 1, 0);
    IntArray index(keys.size()), w1(keys.size()), w2(keys.size());
    for (int k = 1; k <= n; ++k) keys[k] = static_cast<int>(random() % 10);
    const IntArray original = keys;
    stableSortWithIndex(n, keys, index, w1, w2);
    for (int k = 1; k <= n; ++k) {
      EXPECT_EQ(keys[k], original[index[k]]);
      if (k > 1) {
        EXPECT_LE(keys[k - 1], keys[k]);
        if (keys[k - 1] == keys[k]) {
          EXPECT_LT(index[k - 1], index[k]);
        }
      }
    }
  }
}

TEST(Voronoi, EverySharedInstanceAgreesWithPlainComputations) {
  SKIP_WITHOUT_SHARED_DATA("steiner/optima.tsv");
  tesmotest::LogCapture log(0);
  const std::vector<KnownInstance> instances = readKnownInstances(sharedSteinerTable());
  ASSERT_FALSE(instances.empty());
  for (const KnownInstance& k : instances) {
    SCOPED_TRACE(k.file);
    Graph g;
    ASSERT_EQ(readKnownGraph(k, g), "");
    ReduceGraph R(g);
    runAndCheckAll(R, maxint, false);
    if (HasFatalFailure()) return;
    R.generalizedMstUpper(1);
    EXPECT_INSTANCE_VALID(R);
    EXPECT_LT(R.upperValue, maxint);
  }
}

}  // namespace
