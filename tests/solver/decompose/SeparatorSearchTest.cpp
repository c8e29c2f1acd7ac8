// The flow search for separators of terminals: exact results on hand-built graphs, the list's
// limits, and on generated instances that every row found really separates terminals.

#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "IntMatrix.h"
#include "LogCapture.h"
#include "ReduceGraph.h"
#include "SeparatorSearch.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::IntMatrix;
using tesmo::ReduceGraph;

namespace {

using SeparatorSet = std::set<int>;

std::vector<SeparatorSet> rowsOf(const IntMatrix& list) {
  std::vector<SeparatorSet> rows;
  for (int i = 1; i <= list[0][0]; ++i) rows.push_back(SeparatorSet(list[i] + 1, list[i] + 1 + list[i][0]));
  return rows;
}

std::vector<SeparatorSet> search(const tesmo::Graph& g, int k, int maxSeparators, int source = 1) {
  ReduceGraph R(g);
  LogCapture capture(0);
  if (maxSeparators != R.R) tesmo::shell.setAssignment("maxSeparators=" + std::to_string(maxSeparators));
  IntMatrix list(std::max(maxSeparators, 0), k);
  tesmo::findSeparators(R, list, k, source);
  return rowsOf(list);
}

// Source terminal 1 - hub 2 - separator terminals 3..size+2 - hub size+3 - sink terminal size+4.
tesmo::Graph layered(int size) {
  std::vector<Edge> edges{{1, 2, 1}};
  const int hub = size + 3, sink = size + 4;
  std::vector<int> terminals{1};
  for (int s = 3; s <= size + 2; ++s) {
    edges.push_back({2, s, 1});
    edges.push_back({s, hub, 1});
    terminals.push_back(s);
  }
  edges.push_back({hub, sink, 1});
  terminals.push_back(sink);
  return makeGraph(sink, edges, terminals);
}

SeparatorSet range(int from, int to) {
  SeparatorSet s;
  for (int v = from; v <= to; ++v) s.insert(v);
  return s;
}

struct LayeredCase {
  int size;
  int k;
  std::vector<SeparatorSet> expected;
};

class LayeredSeparators : public testing::TestWithParam<LayeredCase> {};

TEST_P(LayeredSeparators, FindsExactlyTheSeparatorOfAtMostK) {
  const LayeredCase& c = GetParam();
  EXPECT_EQ(search(layered(c.size), c.k, 10), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LayeredSeparators,
                         testing::Values(LayeredCase{1, 4, {range(3, 3)}}, LayeredCase{2, 4, {range(3, 4)}},
                                         LayeredCase{3, 4, {range(3, 5)}}, LayeredCase{4, 4, {range(3, 6)}},
                                         LayeredCase{4, 3, {}}, LayeredCase{3, 2, {}}));

TEST(SeparatorSearch, TakesTheCutNearestTheSink) {
  // A path of four terminals from the source 1: sink 3 is cut off by {2}, sink 4 by {2} or {3},
  // and the search reports {3}. Terminal 2, next to the source, is never a sink.
  const tesmo::Graph path = makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 2, 3, 4});
  EXPECT_EQ(search(path, 4, 10), (std::vector<SeparatorSet>{{2}, {3}}));
}

TEST(SeparatorSearch, StoresASeparatorFoundForSeveralSinksOnce) {
  // Sinks 8 and 9 lie behind the same pair {4, 5}; 4 and 5 are glued to the source.
  const tesmo::Graph g = makeGraph(9,
                                   {{1, 2, 1}, {1, 3, 1}, {2, 3, 1}, {2, 4, 1}, {3, 5, 1}, {4, 6, 1}, {5, 7, 1},
                                    {6, 7, 1}, {6, 8, 1}, {7, 8, 1}, {6, 9, 1}, {7, 9, 1}},
                                   {1, 4, 5, 8, 9});
  EXPECT_EQ(search(g, 3, 10), (std::vector<SeparatorSet>{{4, 5}}));
}

TEST(SeparatorSearch, WithoutAllSinksTerminalsGluedToAnInseparableSinkAreNotTried) {
  // Source 1 reaches hub 6 through the terminals 3, 4, 5; the hub leads to terminal 2, and 2 on
  // through the non-terminal 7 to terminal 8. With k = 2, sink 2 cannot be cut off; sink 8 is cut
  // off by {2}, unless allSinks 0 drops it with 2.
  const tesmo::Graph g = makeGraph(8,
                                   {{1, 3, 1}, {1, 4, 1}, {1, 5, 1}, {3, 6, 1}, {4, 6, 1}, {5, 6, 1}, {6, 2, 1},
                                    {2, 7, 1}, {7, 8, 1}},
                                   {1, 2, 3, 4, 5, 8});
  for (int allSinks : {1, 0}) {
    ReduceGraph R(g);
    LogCapture capture(0);
    tesmo::shell.setAssignment("allSinks=" + std::to_string(allSinks));
    IntMatrix list(R.R, 2);
    tesmo::findSeparators(R, list, 2, 1);
    EXPECT_EQ(rowsOf(list), allSinks ? std::vector<SeparatorSet>{{2}} : std::vector<SeparatorSet>{}) << allSinks;
  }
}

TEST(SeparatorSearch, ListLimitsAreKept) {
  const tesmo::Graph path = makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}}, {1, 2, 3, 4, 5});
  EXPECT_EQ(search(path, 4, 1).size(), 1u);
  EXPECT_TRUE(search(path, 4, 0).empty());
  EXPECT_TRUE(search(path, 4, -3).empty());
  const tesmo::Graph single = makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {2});
  EXPECT_TRUE(search(single, 4, 5).empty());
}

// The terminals outside the separator fall into two or more components of R without it.
bool separates(const ReduceGraph& R, const SeparatorSet& cut) {
  std::vector<int> component(static_cast<std::size_t>(R.V) + 1, 0);
  int components = 0;
  for (int k = 1; k <= R.R; ++k) {
    const int t = R.terminals[k];
    if (cut.count(t) || component[t]) continue;
    ++components;
    std::vector<int> stack{t};
    component[t] = components;
    while (!stack.empty()) {
      const int v = stack.back();
      stack.pop_back();
      for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
        const int w = R.arcs[s].head;
        if (!component[w] && !cut.count(w)) component[w] = components, stack.push_back(w);
      }
    }
  }
  return components >= 2;
}

TEST(SeparatorSearch, EveryRowSeparatesTerminals) {
  int found = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const auto generated = steinertest::separatedInstance(seed, 2 + seed % 3);
    ReduceGraph R(generated.graph);
    LogCapture capture(0);
    IntMatrix list(R.R, 4);
    tesmo::findSeparators(R, list, 4, 1 + static_cast<int>(seed) % R.R);
    const auto rows = rowsOf(list);
    const std::set<SeparatorSet> distinct(rows.begin(), rows.end());
    EXPECT_EQ(distinct.size(), rows.size()) << generated.description;
    for (const SeparatorSet& row : rows) {
      EXPECT_LE(row.size(), 4u);
      for (int v : row) EXPECT_NE(R.isReq[v], 0);
      EXPECT_TRUE(separates(R, row)) << generated.description;
    }
    found += static_cast<int>(rows.size());
  }
  EXPECT_GT(found, 20);
}

TEST(SeparatorSearch, RegionFormKeepsSeparatorsOfThreeToKOnce) {
  // The form for many terminals (reached here by lowering its threshold) cuts inside the Voronoi
  // regions of four spread-out terminals; a row separates within its region.
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const auto generated = steinertest::separatedInstance(seed, 2 + seed % 3);
    ReduceGraph R(generated.graph);
    LogCapture capture(0);
    tesmo::shell.setAssignment("fewTerminalsForPartitionSeparator=2");
    IntMatrix list(R.R, 4);
    tesmo::findSeparators(R, list, 4, 1);
    const auto rows = rowsOf(list);
    const std::set<SeparatorSet> distinct(rows.begin(), rows.end());
    EXPECT_EQ(distinct.size(), rows.size()) << generated.description;
    EXPECT_LE(static_cast<int>(rows.size()), R.R);
    for (const SeparatorSet& row : rows) {
      EXPECT_GE(row.size(), 3u);
      EXPECT_LE(row.size(), 4u);
      for (int v : row) EXPECT_NE(R.isReq[v], 0);
    }
  }
}

}  // namespace
