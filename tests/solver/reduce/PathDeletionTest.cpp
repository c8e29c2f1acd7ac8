// Path deletion tests m and M: what they delete on small drawn instances, and the safety check.

#include "PathDeletion.h"
#include "Shell.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "ReductionSafety.h"
#include "LogCapture.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

using namespace tesmo;
using namespace tesmotest;

namespace {

struct Letter {
  const char* name;
  void (*method)(ReduceGraph&);
};
const Letter letters[] = {{"ptm3", ptm3}, {"fastptm3", fastptm3}};

TEST(PathDeletion, Ptm3IsSafe) {
  tesmotest::LogCapture log{0};
  safetytest::checkSafety(ptm3);
}

TEST(PathDeletion, FastPtm3IsSafe) {
  tesmotest::LogCapture log{0};
  safetytest::checkSafety(fastptm3);
}

TEST(PathDeletion, DegreeTestAndPlainOptionsStaySafe) {
  tesmotest::LogCapture log{0};
  shell.Sset("delDegree", "1");
  shell.Sset("useMark", "0");
  safetytest::checkSafety(ptm3, 30, 5);
  shell.Sset("allowDestroyUpper", "1");
  safetytest::checkSafety(fastptm3, 30, 6);
}

// The degree test (delDegree 1) removes a non-terminal only when every tree through it, with k
// of its edges, would be dearer than joining the k parts again by k - 1 links of the generalized
// MST. An equal cost proves nothing (the link may run through the vertex itself), and every k
// counts, not only 2 and the full degree.
struct DegreeCase {
  const char* name;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  int vertex;   // the vertex the degree test looks at
  bool kept;    // whether its edges stay
  const char* logLine;
};

class PathDeletionDegreeTest : public testing::TestWithParam<DegreeCase> {};

TEST_P(PathDeletionDegreeTest, DeletesOnlyVerticesNoOptimalTreeNeeds) {
  const DegreeCase& c = GetParam();
  tesmotest::LogCapture log{3};
  shell.Sset("delDegree", "1");
  const Graph g = makeGraph(c.V, c.edges, c.terminals);
  ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  ptm3(R);
  EXPECT_EQ(R.hasLiveSlot(c.vertex), c.kept);
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
  EXPECT_NE(log.text().find(c.logLine), std::string::npos) << log.text();
  shell.clearVariables();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathDeletionDegreeTest,
    testing::Values(
        // Terminals 1 and 2 are joined only through 3 (1-4 and 5-2 cost 0, 4-3 and 3-5 cost 1),
        // with a dead end 3-6 (2). The one link, 3-5, costs 2 = maxLink, just what the two
        // cheapest edges of 3 cost: 3 must stay.
        DegreeCase{"TieOnTheOnlyPath", 6,
                   {{1, 4, 0}, {4, 3, 1}, {3, 5, 1}, {5, 2, 0}, {3, 6, 2}}, {1, 2}, 3, true,
                   "deleted edges: 0(0)+"},
        // Terminals 1, 2, 3 are 6 from the hub 4 and 10 from each other; 4-5 (100) is a dead
        // end. Two hub edges (12) and all four (118) cost more than one and three links of 10,
        // but three hub edges (18) cost less than two links (20): the star of cost 18 is the
        // optimum.
        DegreeCase{"CheapStarOfThree", 5,
                   {{4, 1, 6}, {4, 2, 6}, {4, 3, 6}, {4, 5, 100}, {1, 2, 10}, {2, 3, 10},
                    {1, 3, 10}},
                   {1, 2, 3}, 4, true, "deleted edges: 0(0)+"},
        // The same hub 7 from each terminal: every tree through it is dearer than the links.
        DegreeCase{"DearHub", 5,
                   {{4, 1, 7}, {4, 2, 7}, {4, 3, 7}, {4, 5, 100}, {1, 2, 10}, {2, 3, 10},
                    {1, 3, 10}},
                   {1, 2, 3}, 4, false, "deleted edges: 4(1)+"}),
    [](const testing::TestParamInfo<DegreeCase>& info) { return info.param.name; });

// Required z1 (1), z2 (3); u (2). z1-u costs 0, u-z2 costs 5: the only link between the regions
// is realised by u-z2, whose cost equals maxLink although it joins no two terminals.
TEST(PathDeletion, ZeroCostEdgeNeverCutsARequiredVertexOff) {
  for (const Letter& l : letters) {
    SCOPED_TRACE(l.name);
    tesmotest::LogCapture log{3};
    ReduceGraph R(makeGraph(3, {{1, 2, 0}, {2, 3, 5}}, {1, 3}));
    l.method(R);
    EXPECT_EQ(R.Eanz, 2);
    EXPECT_NE(R.upperOpt, -1);
    EXPECT_NE(log.text().find("deleted edges: "), std::string::npos);
  }
}

//   1 ---9--- 2        terminals 1, 2, 3; Steiner vertex 4
//   |3        |3       the MST links cost 3 (2-3) and 6 (1-4-3): maxLink 6, so the edge
//   4 ---3--- 3        1-2 (9) is long
TEST(PathDeletion, LongEdgeGoesAndTheCountsAreLogged) {
  struct Case {
    const char* name;
    void (*method)(ReduceGraph&);
    const char* line;
  };
  for (const Case& c : {Case{"ptm3", ptm3, "deleted edges: 0(0)+1+0+0+0=1\n"},
                        Case{"fastptm3", fastptm3, "deleted edges: 1+0=1\n"}}) {
    SCOPED_TRACE(c.name);
    tesmotest::LogCapture log{3};
    ReduceGraph R(makeGraph(4, {{1, 2, 9}, {2, 3, 3}, {3, 4, 3}, {4, 1, 3}}, {1, 2, 3}));
    c.method(R);
    EXPECT_EQ(slotOf(R, 1, 2), 0);
    EXPECT_EQ(R.Eanz, 3);
    EXPECT_NE(log.text().find(c.line), std::string::npos) << log.text();
    EXPECT_INSTANCE_VALID(R);
  }
}

// Terminals 3, 10, 11, 4, 6. Vertex 9's second-nearest terminal, 11, is 3 away over 9-1-11 with
// 1-11 of cost 0: that path runs over the edge 1-9 (3) itself, so the tie d2(9) = 3 must not
// delete 1-9, the only way from 11's side to the rest.
TEST(PathDeletion, TieOnTheSecondRowNeverRunsOverTheEdgeItself) {
  tesmotest::LogCapture log{0};
  const Graph g = makeGraph(11, {{1, 11, 0}, {1, 4, 7}, {1, 9, 3}, {2, 9, 3}, {2, 3, 0}, {3, 11, 9},
                                 {3, 10, 0}, {4, 11, 3}, {5, 11, 9}, {6, 10, 5}, {7, 10, 5},
                                 {8, 9, 3}, {9, 11, 7}},
                            {3, 10, 11, 4, 6});
  ReduceGraph R(g);
  ptm3(R);
  EXPECT_NE(R.upperOpt, -1);
  EXPECT_NE(slotOf(R, 1, 9), 0);
  EXPECT_INSTANCE_VALID(R);
}

// An edge of the stored tree: ptm3 deletes it by default (delUpper 1) and destroys the tree;
// fastptm3 leaves it unless allowDestroyUpper or preserveUpper is set.
TEST(PathDeletion, StoredTreeEdgesFollowTheOptions) {
  struct Case {
    void (*method)(ReduceGraph&);
    const char* option;
    bool deleted;
  };
  for (const Case& c : {Case{ptm3, nullptr, true}, Case{ptm3, "delUpper", false},
                        Case{fastptm3, nullptr, false}, Case{fastptm3, "allowDestroyUpper", true},
                        Case{fastptm3, "preserveUpper", true}}) {
    SCOPED_TRACE(c.option ? c.option : "defaults");
    tesmotest::LogCapture log{0};
    if (c.option) shell.Sset(c.option, c.method == ptm3 ? "0" : "1");
    ReduceGraph R(makeGraph(4, {{1, 2, 9}, {2, 3, 3}, {3, 4, 3}, {4, 1, 3}}, {1, 2, 3}));
    IntArray tree = slotList(R, {{1, 2}, {2, 3}});
    R.setUpper(tree, "tree", 0);
    ASSERT_TRUE(R.upperOk);
    c.method(R);
    EXPECT_EQ(slotOf(R, 1, 2) == 0, c.deleted);
    EXPECT_EQ(R.upperOk != 0, !c.deleted);
    EXPECT_EQ(R.upperValue, 12);  // the value stays
  }
}

TEST(PathDeletion, DisconnectedLinksDeleteNoLongEdge) {
  tesmotest::LogCapture log{3};
  shell.Sset("Radius", "2");  // links longer than 2 are not recorded: maxLink is maxint
  ReduceGraph R(makeGraph(4, {{1, 2, 9}, {2, 3, 3}, {3, 4, 3}, {4, 1, 3}}, {1, 2, 3}));
  fastptm3(R);
  EXPECT_NE(slotOf(R, 1, 2), 0);
  EXPECT_EQ(R.blowUpMark, maxint);
}

// The same-region test spares the first edge of the shortest path from the terminal: 1-2 (2)
// with 2's nearest terminal 1 reached over it; 2-4 (4) lies in 1's region too (d1(2) = 2,
// d1(4) = 3 through 1-4), so it goes.
TEST(PathDeletion, SameRegionKeepsTheFirstEdgeOfAShortestPath) {
  tesmotest::LogCapture log{3};
  ReduceGraph R(makeGraph(5, {{1, 2, 2}, {2, 4, 4}, {1, 4, 3}, {4, 5, 9}, {2, 5, 9}}, {1, 5}));
  fastptm3(R);
  EXPECT_NE(slotOf(R, 1, 2), 0);
  EXPECT_NE(slotOf(R, 1, 4), 0);
  EXPECT_EQ(slotOf(R, 2, 4), 0);
  EXPECT_INSTANCE_VALID(R);
}

}  // namespace
