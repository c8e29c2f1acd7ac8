// The reduced-cost tests of the ball ascents o and O on small graphs worked by hand: the
// distances to a terminal of another region, the vertex deletions that need a stored tree, the
// tree-marked edges that O keeps, and tunnel pairs taken from the edges the deletions keep.

#include "ReduceByString.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "VoronoiAscent.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "SafetyTest.h"
#include "ScriptSafety.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

using Settings = ascenttest::Settings;
using Method = void (*)(ReduceGraph&);

void applySettings(const Settings& settings) { ascenttest::applySettings(settings, {{"skipAscent", "0"}}); }

bool hasEdge(const ReduceGraph& R, int u, int w, int cost) {
  for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s))
    if (R.arcs[s].head == w && R.arcs[s].cost == cost) return true;
  return false;
}

bool hasEdges(const ReduceGraph& R, int v) { return R.nextLiveSlot(v, 0) != 0; }

void storeTree(ReduceGraph& R, std::initializer_list<std::pair<int, int>> edges) {
  IntArray tree = slotList(R, edges);
  R.setUpper(tree, "seed", 0);
  ASSERT_TRUE(R.upperOk);
}

void expectLogged(const std::string& text, const std::vector<const char*>& pieces) {
  for (const char* piece : pieces) EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
}

// The terminals are ranked by their distance from the root along the stored tree while there is
// one: with the tree 1-3-2 terminal 3 comes before 2, over the costs 2 (at 1) before 3 (at 2).
TEST(BallDistances, TerminalsRankedAlongTheStoredTree) {
  struct Case {
    const char* name;
    bool storedTree;
    const char* keys;
    const char* order;
  };
  const std::vector<Case> cases{{"tree 1-3-2", true, "1)0 2)6 3)5 \n", "\n1 3 2 \n"},
                                {"no tree", false, "1)0 2)1 3)2 \n", "\n1 2 3 \n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log{4};
    applySettings({});
    ReduceGraph R(makeGraph(3, {{1, 2, 1}, {1, 3, 5}, {2, 3, 1}}, {1, 2, 3}));
    if (c.storedTree)
      storeTree(R, {{1, 3}, {3, 2}});
    else
      R.upperValue = 6;
    ascentVR(R);
    expectLogged(log.text(), {c.keys, c.order});
    EXPECT_INSTANCE_VALID(R);
  }
}

// Root 1 and terminals 2, 3 on the path 1 -5- 2 -5- 3; vertex 4 hangs off 2 (cost 1), 1 (cost 6)
// and 3 (cost 20), with 10 known as the value of no tree. The balls raise 5 + 5 and leave 4 in 2's
// region at reduced cost 0, and 15 from 3, the terminal of the other region: a tree that branches
// at 4 costs at least 10 + 1 + 0 + 15 > 20, so 4 gives way, though its distance to the nearest
// terminal alone (0, twice) would prove nothing.
TEST(BallDistances, SecondBaseLetsAVertexBeReplaced) {
  LogCapture log{4};
  applySettings({});
  ReduceGraph R(makeGraph(4, {{1, 2, 5}, {2, 3, 5}, {2, 4, 1}, {1, 4, 6}, {4, 3, 20}}, {1, 2, 3}));
  R.upperValue = 20;
  ascentVR(R);
  const std::string text = log.text();
  expectLogged(text, {"\n\ndistances from root:  1: 0   2: 0   3: 0   4: 1   ",
                      "\n\ndistances to the first base: 1 : 0 2 : 0 3 : 0 4 : 0 ",
                      "\n\ndistances to the second base: 1 : 0 2 : 0 3 : 0 4 : 15 ", "\n\n replaced: 1\n"});
  EXPECT_EQ(R.lowerValue, 10);
  EXPECT_FALSE(hasEdges(R, 4)) << text;
  EXPECT_TRUE(hasEdge(R, 1, 2, 5) && hasEdge(R, 2, 3, 5)) << text;
  EXPECT_INSTANCE_VALID(R);
}

// Root 1 and terminal 2 joined by an edge of cost 2; vertex 3 hangs between them by two edges of
// cost 5. The ball around 2 has radius 2 and leaves rc(3->2) = 3, so vertex 3 is 5 from the root
// and 3 from terminal 2: 8, far beyond the gap.
Graph sideVertex() { return makeGraph(3, {{1, 2, 2}, {1, 3, 5}, {3, 2, 5}}, {1, 2}); }

// A vertex goes by its own bound only while a stored tree avoids it; without one its edges go
// (each beyond the gap both ways) and the vertex with them.
TEST(BallDeletions, VertexOnlyOffAStoredTree) {
  struct Case {
    const char* name;
    bool storedTree;
    std::vector<const char*> logged;
  };
  const std::vector<Case> cases{
      {"no tree, value 4", false, {"\n deleted: 0", "\n\n deleted edges:  2"}},
      {"tree 1-2", true, {"\n deleted: 1", "\n\n deleted edges:  0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log{3};
    applySettings({{"construct", "1"}});
    ReduceGraph R(sideVertex());
    if (c.storedTree)
      storeTree(R, {{1, 2}});
    else
      R.upperValue = 4;
    ascentVR(R);
    expectLogged(log.text(), c.logged);
    EXPECT_FALSE(hasEdges(R, 3));
    EXPECT_TRUE(hasEdge(R, 1, 2, 2));
    EXPECT_EQ(R.lowerValue, 2);
    EXPECT_INSTANCE_VALID(R);
  }
}

// O deletes no edge that R marks as a tree edge, and without a stored tree R marks them all: the
// same instance loses both side edges to o and none to O.
TEST(BallDeletions, OlderFormKeepsTreeMarkedEdges) {
  struct Case {
    Method method;
    const char* name;
    int deleted;
  };
  const std::vector<Case> cases{{ascentVR, "o", 2}, {ascentVROLD, "O", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log{3};
    applySettings({{"replace", "0"}});
    ReduceGraph R(sideVertex());
    R.upperValue = 4;
    c.method(R);
    expectLogged(log.text(), {"\n deleted: 0"});
    EXPECT_NE(log.text().find("\n\n deleted edges:  " + std::to_string(c.deleted)), std::string::npos) << log.text();
    EXPECT_EQ(hasEdges(R, 3), c.deleted == 0);
    EXPECT_INSTANCE_VALID(R);
  }
}

// Vertices 2 (root) and 4 are the terminals, joined by 2-3-4 (cost 2) and 2-5-4 (cost 10, the
// stored tree), with a dear pendant 1-5. The pendant goes first; then 2-5 is only a tunnel
// through 5 (the stored tree passes 5 at degree 2), and becomes the edge 2-4 of the way round's
// cost. Without a stored tree no pair is taken, however the gaps look.
TEST(BallTunnels, TakenFromTheEdgesTheDeletionsKeep) {
  struct Case {
    const char* name;
    bool storedTree;
    const char* pairs;
  };
  const std::vector<Case> cases{{"tree 2-5-4", true, "  (1) "}, {"no tree, value 10", false, "  (0) "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log{3};
    applySettings({{"tunnel", "1"}, {"replace", "0"}});
    ReduceGraph R(makeGraph(5, {{2, 3, 1}, {3, 4, 1}, {2, 5, 5}, {5, 4, 5}, {1, 5, 50}}, {2, 4}));
    if (c.storedTree)
      storeTree(R, {{2, 5}, {5, 4}});
    else
      R.upperValue = 10;
    ascentVR(R);
    const std::string text = log.text();
    expectLogged(text, {c.pairs});
    EXPECT_EQ(R.lowerValue, 2);
    EXPECT_FALSE(hasEdges(R, 1)) << text;
    EXPECT_EQ(hasEdge(R, 2, 4, 10), c.storedTree) << text;
    EXPECT_EQ(hasEdge(R, 2, 5, 5), !c.storedTree) << text;
    EXPECT_TRUE(hasEdge(R, 5, 4, 5) && hasEdge(R, 2, 3, 1) && hasEdge(R, 3, 4, 1)) << text;
    EXPECT_INSTANCE_VALID(R);
  }
}

// The deletions at a closed gap, the second distances of the replacements and the tunnels
// together, over several roots: the kit's oracle on generated instances, every other one with a
// stored tree.
TEST(BallDeletions, KeepTheOptimumAtAClosedGap) {
  const Settings closed{{"construct", "1"}, {"tunnel", "1"}, {"ascentMaxDegree", "30"}};
  for (const char* script : {"o", "O"}) {
    Settings more = closed;
    more.push_back({"allRootsLimit", "3"});
    more.push_back({"root", "0"});
    ascenttest::expectSafe(script, {{closed, 250}, {more, 150}}, {{"skipAscent", "0"}});
  }
}

}  // namespace
