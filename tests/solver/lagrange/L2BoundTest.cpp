// The bound over pairs of terminals: at or below the optimum over its step rules and options, its
// pair order, its ends (too few terminals, no stored tree, a limit of the caller) and the LP text
// of the pair formulation.

#include "InstanceBuilders.h"
#include "L2Bound.h"
#include "LogCapture.h"
#include "ReduceGraph.h"
#include "Shell.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::ReduceGraph;

namespace {

struct Variant {
  const char* name;
  std::vector<const char*> assignments;
};

class L2BoundBelowOptimum : public testing::TestWithParam<Variant> {};

TEST_P(L2BoundBelowOptimum, StaysAtOrBelowTheOptimumAndChangesNothingElse) {
  LogCapture capture(0);
  tesmo::shell.Sset("l2Iter", "25");
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  int improved = 0;
  for (auto& generated : steinertest::instanceMix(60, 7)) {
    ReduceGraph R(generated.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    tesmo::IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "seed", 0);
    const int edges = R.Eanz, upper = R.upperValue;
    tesmo::l2Bound(R);
    EXPECT_LE(R.lowerValue, optimum) << generated.description;
    EXPECT_EQ(R.Eanz, edges) << generated.description;
    EXPECT_EQ(R.upperValue, upper) << generated.description;
    if (R.lowerValue > 0) ++improved;
  }
  EXPECT_GT(improved, 20);  // the bound is of use, not just safe
}

INSTANTIATE_TEST_SUITE_P(
    Options, L2BoundBelowOptimum,
    testing::Values(Variant{"targetStep", {}}, Variant{"arcSelection", {"l2Projection=0"}},
                    Variant{"oneArcIntoEachVertex", {"l2Projection=0", "l2Pardalos=1"}},
                    Variant{"shrinkingStep", {"l2Reinelt=0.9"}}, Variant{"harmonicStep", {"l2Reinelt=-1"}},
                    Variant{"stepByRounds", {"l2Reinelt=-3"}}, Variant{"twoPairs", {"l2Limit=2"}},
                    Variant{"limitAboveThePairs", {"l2Limit=999"}}, Variant{"lastRoot", {"root=99", "l2Half=2"}},
                    Variant{"stopAtUpper", {"l2Break=-1"}}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// Terminals 1, 2, 3 around a centre 4 (cost 2 each), joined in pairs at cost 3: optimum 6.
tesmo::Graph star() {
  return makeGraph(4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}}, {1, 2, 3});
}

ReduceGraph withTree(const tesmo::Graph& g) {
  ReduceGraph R(g);
  tesmo::IntArray tree = mstPruneTree(R);
  R.setUpper(tree, "seed", 0);
  return R;
}

TEST(L2Bound, PairsRunInTheOrderOfTheirTerminals) {
  // Five terminals: with root 1 the pairs (2,3) (2,4) (2,5) (3,4) (3,5) (4,5); with root 5 the
  // last one is (3,4).
  const tesmo::Graph g = makeGraph(6, {{1, 6, 1}, {2, 6, 1}, {3, 6, 1}, {4, 6, 1}, {5, 6, 1}}, {1, 2, 3, 4, 5});
  struct Case {
    const char* root;
    const char* first;
    const char* last;
  };
  for (const Case& c : {Case{"1", "1:2,3  ", "6:4,5  "}, Case{"5", "1:1,2  ", "6:3,4  "}}) {
    LogCapture capture(5);
    tesmo::shell.Sset("root", c.root);
    tesmo::shell.Sset("l2Iter", "1");
    ReduceGraph R = withTree(g);
    tesmo::l2Bound(R);
    const std::string log = capture.text();
    EXPECT_NE(log.find(c.first), std::string::npos) << log;
    EXPECT_NE(log.find(c.last), std::string::npos) << log;
    EXPECT_EQ(log.find("7:"), std::string::npos) << log;
  }
}

TEST(L2Bound, TheBoundIsRoundedUpAndTheLastLineShowsNoUpperBound) {
  LogCapture capture(3);
  tesmo::shell.Sset("l2Iter", "40");
  ReduceGraph R = withTree(star());
  tesmo::l2Bound(R);
  EXPECT_GE(R.lowerValue, 4);
  EXPECT_LE(R.lowerValue, 6);
  EXPECT_NE(capture.text().find(", Upper : 1600000000\n"), std::string::npos) << capture.text();
}

TEST(L2Bound, ReachingTheUpperBoundEndsTheRun) {
  LogCapture capture(3);
  tesmo::shell.Sset("l2Break", "-1");
  // A path of three terminals: every pair tree is the whole path.
  ReduceGraph R = withTree(makeGraph(4, {{1, 2, 2}, {2, 3, 3}, {3, 4, 1}, {1, 4, 9}}, {1, 3, 4}));
  tesmo::l2Bound(R);
  EXPECT_EQ(R.lowerValue, 6);
  EXPECT_EQ(R.upperOpt, 1);
  EXPECT_NE(capture.text().find("\nLower==Upper !\n\n"), std::string::npos) << capture.text();
}

TEST(L2Bound, TooFewTerminalsOrNoStoredTreeLeaveTheBound) {
  LogCapture capture(3);
  ReduceGraph two = withTree(makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3}));
  tesmo::l2Bound(two);
  EXPECT_EQ(two.lowerValue, 0);
  ReduceGraph noTree(star());
  tesmo::l2Bound(noTree);
  EXPECT_EQ(noTree.lowerValue, 0);
  EXPECT_NE(capture.text().find("l2 bound skipped: no stored tree\n"), std::string::npos) << capture.text();
}

TEST(L2Bound, ASearchThatRunsOutBeforeEveryVertexSaysSoAndGoesOn) {
  // The star of terminals 1-3 (optimum 6), and apart from it an edge 5-6 that no search reaches:
  // per iteration and pair the searches from the root and from the pair's second terminal say so
  // at level 1 (the one from the first at level 6 only). Without the edge apart, none does.
  struct Case {
    bool apart;
    std::size_t lines;  // 2 iterations x 1 pair x 2 searches
  };
  for (const Case& c : {Case{true, 4}, Case{false, 0}}) {
    LogCapture capture(1);
    tesmo::shell.Sset("l2Iter", "2");
    std::vector<Edge> edges{{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}};
    if (c.apart) edges.push_back({5, 6, 1});
    ReduceGraph R = withTree(makeGraph(6, edges, {1, 2, 3}));
    tesmo::l2Bound(R);
    const std::string log = capture.text();
    std::size_t lines = 0;
    for (std::size_t at = log.find("empty PQ \n"); at != std::string::npos; at = log.find("empty PQ \n", at + 1)) ++lines;
    EXPECT_EQ(lines, c.lines) << log;
    EXPECT_GT(R.lowerValue, 0) << log;
    EXPECT_LE(R.lowerValue, 6);
  }
}

TEST(L2Bound, TheLpTextHoldsTheRowsOfEveryPair) {
  LogCapture capture(1);
  const std::string file = capture.dir().file("pairs.lp");
  tesmo::shell.Sset("writeLP2T", file.c_str());
  tesmo::shell.Sset("l2Iter", "1");
  tesmo::shell.Sset("l2Limit", "1");
  ReduceGraph R = withTree(star());
  tesmo::l2Bound(R);
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  const std::string lp = text.str();
  // No contracted cost: no "contr" term in the objective, yet the dummy row with 0.
  EXPECT_EQ(lp.rfind("Minimize\n+ ", 0), 0u) << lp;
  EXPECT_EQ(lp.find("contr\n"), std::string::npos) << lp;
  EXPECT_NE(lp.find("\nSubject To\ndummy: contr=0\n"), std::string::npos) << lp;
  // One pair (2,3) of root 1, l2Limit notwithstanding: its rows, ending at the terminals.
  EXPECT_NE(lp.find("cy1_1: "), std::string::npos) << lp;
  EXPECT_EQ(lp.find("cl1_1: "), std::string::npos) << lp;  // no branch row at the root
  EXPECT_NE(lp.find("cx1_1: y1_1+r1_1+l1_1-x1<=0\n"), std::string::npos) << lp;
  EXPECT_EQ(lp.find("cy2_"), std::string::npos) << lp;
  EXPECT_EQ(lp.substr(lp.size() - 4), "End\n");
}

}  // namespace
