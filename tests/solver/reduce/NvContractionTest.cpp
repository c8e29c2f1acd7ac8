// The NV/SL/VR contraction test n: its cases on drawn instances and the safety check.

#include "NvContraction.h"
#include "Shell.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "../support/GridderCases.h"
#include "../support/SafetyTest.h"
#include "ReductionSafety.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

using namespace tesmo;
using namespace tesmotest;

namespace {

TEST(NvContraction, IsSafe) {
  tesmotest::LogCapture log{0};
  safetytest::checkSafety(nv);
}

// Terminals 4 1 9 6 7 3 5: several regions have two cheapest boundary edges of equal cost, and
// accepting the equality (nvHype) for each of them contracted edges that no optimal tree holds
// together (cost 11 against the optimum 10). With nvHype the contractions are those without it,
// and the optimum stays.
TEST(NvContraction, EqualLinksAreNotContractedUnderNvHype) {
  const Graph g = makeGraph(9, {{1, 9, 3}, {1, 4, 1}, {2, 9, 2}, {2, 7, 2}, {3, 5, 3}, {3, 9, 3},
                                {4, 7, 2}, {4, 6, 2}, {5, 6, 3}, {5, 7, 0}, {6, 9, 2}, {7, 8, 0}},
                            {4, 1, 9, 6, 7, 3, 5});
  std::vector<std::vector<std::tuple<int, int, int>>> edges;
  std::vector<int> contracted;
  for (const char* hype : {"0", "1"}) {
    SCOPED_TRACE(hype);
    tesmotest::LogCapture log{0};
    shell.Sset("nvHype", hype);
    ReduceGraph R(g);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    ASSERT_EQ(optimum, 10);
    IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "tree", 0);
    nv(R);
    EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
    edges.push_back(steinertest::liveEdgeTriples(R));
    contracted.push_back(R.contractCost);
  }
  EXPECT_GT(contracted[0], 0);  // the test contracts something here at all
  EXPECT_EQ(contracted[1], contracted[0]);
  EXPECT_EQ(edges[1], edges[0]);
}

TEST(NvContraction, OptionVariantsStaySafe) {
  tesmotest::LogCapture log{0};
  shell.Sset("nvHype", "1");
  shell.Sset("nvUseUpper", "0");
  safetytest::checkSafety(nv, 30, 9);
  shell.Sset("allowDestroyUpper", "0");
  shell.Sset("preserveUpper", "1");
  safetytest::checkSafety(nv, 30, 10);
}

// Terminals 1 and 3, Steiner vertex 2: 1-2 (1), 2-3 (1), 1-3 (5). Terminal 1's only cheap edge
// leads to 2 with 3 one step further: NV contracts 1-2; then 2-3 is the cheapest edge of 3.
TEST(NvContraction, ResultLineCountsEachKind) {
  tesmotest::LogCapture log{3};
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}}, {1, 3}));
  nv(R);
  EXPECT_NE(log.text().find("contracted: "), std::string::npos);
  EXPECT_NE(log.text().find("(NV) + "), std::string::npos);
  EXPECT_NE(log.text().find("(VR) = "), std::string::npos);
  EXPECT_GE(R.contractCost, 1);
  EXPECT_LE(R.contractCost, 2);
  EXPECT_INSTANCE_VALID(R);
}

// A terminal with a single edge has no second edge: its edge is contracted even though no link
// leaves its region.
TEST(NvContraction, SingleEdgeOfATerminalIsContracted) {
  tesmotest::LogCapture log{3};
  ReduceGraph R(makeGraph(4, {{1, 2, 7}, {2, 3, 2}, {2, 4, 3}, {3, 4, 9}}, {1, 3, 4}));
  nv(R);
  EXPECT_GE(R.contractCost, 7);
  EXPECT_NE(R.upperOpt, -1);
  EXPECT_INSTANCE_VALID(R);
}

// Two terminals joined by the cheapest edge of both: queued once, for the first terminal.
TEST(NvContraction, EdgeCheapestForBothEndsIsQueuedOnce) {
  tesmotest::LogCapture log{3};
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {1, 3, 6}, {2, 4, 6}, {3, 4, 6}}, {1, 2}));
  nv(R);
  EXPECT_NE(log.text().find("contracted: 1(NV) + 0(SL) + 0(VR) = 1\n"), std::string::npos) << log.text();
  EXPECT_EQ(R.contractCost, 1);
}

// With a stored tree and allowDestroyUpper 0 only edges of the tree are contracted, and the
// tree survives.
TEST(NvContraction, KeepsTheStoredTreeWhenAsked) {
  tesmotest::LogCapture log{0};
  shell.Sset("allowDestroyUpper", "0");
  // 1-2 (1) is cheapest at 1 but the stored tree goes 1-3-2.
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {1, 3, 1}, {3, 2, 1}}, {1, 2}));
  IntArray tree = slotList(R, {{1, 3}, {3, 2}});
  R.setUpper(tree, "tree", 0);
  nv(R);
  EXPECT_TRUE(R.upperOk);
  EXPECT_NE(slotOf(R, 1, 2), 0);
  EXPECT_EQ(R.upperValue, 2);
  EXPECT_INSTANCE_VALID(R);
}

}  // namespace
