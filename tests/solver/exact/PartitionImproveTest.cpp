// The improvement of the stored tree region by region (letter V): trees get no dearer and stay
// trees, a dear tree gets cheaper, regions up to maxSize are solved, and a region of the whole
// instance never is.

#include "PartitionImprove.h"

#include "DreyfusWagner.h"
#include "InstanceBuilders.h"
#include "InstanceGenerators.h"
#include "LogCapture.h"
#include "ReduceGraph.h"
#include "SafetyTest.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::IntArray;
using tesmo::ReduceGraph;

namespace {

void setUpShell(const std::vector<std::string>& options) {
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  tesmo::shell.Sset("Reduction", "v");
  for (const std::string& o : options) tesmo::shell.setAssignment(o);
}

TEST(PartitionImprove, WithoutATreeNothingChanges) {
  LogCapture capture(3);
  setUpShell({});
  const tesmo::Graph g = makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 4});
  ReduceGraph R(g);
  tesmo::PartitionImprove improve;
  improve.run(R);
  EXPECT_EQ(R.upperValue, tesmo::maxint);
  EXPECT_EQ(improve.rounds(), 0);
  EXPECT_EQ(capture.text(), "no upper available -> no improvement possible\n");
}

// Dear random trees on generated instances: the result is a tree, never dearer, never below the
// optimum; some get cheaper; no solved region is larger than maxSize (half the vertices here).
TEST(PartitionImprove, ImprovesDearTreesRegionByRegion) {
  LogCapture capture(0);
  setUpShell({});
  std::mt19937 rng(11);
  int improved = 0;
  for (unsigned seed = 1; seed <= 30; ++seed) {
    const auto inst = steinertest::generateInstance(seed, static_cast<steinertest::Shape>(seed % 5),
                                                    static_cast<steinertest::Costs>(seed % 5), 20 + static_cast<int>(seed % 20),
                                                    6 + static_cast<int>(seed % 5));
    ReduceGraph R(inst.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R, 14);
    IntArray tree = randomTree(R, rng);
    R.setUpper(tree, "seed", 0);
    const int before = R.upperValue;
    tesmo::PartitionImprove improve;
    improve.run(R);
    EXPECT_EQ(steinertest::judgeInstance(inst.graph, R, optimum), "") << inst.description;
    EXPECT_TRUE(R.upperOk) << inst.description;
    EXPECT_LE(R.upperValue, before) << inst.description;
    EXPECT_GE(R.upperValue, optimum) << inst.description;
    EXPECT_LE(2 * improve.largestSolvedRegion(), R.V) << inst.description;
    if (R.upperValue < before) ++improved;
  }
  EXPECT_GT(improved, 5);
}

// However large maxSize is set, the region of a single base is the whole instance, which is left
// alone (the branch and bound on it would meet the letter again on the same instance); two bases
// give regions of half the instance or more, and those are solved.
TEST(PartitionImprove, NeverSolvesTheWholeInstance) {
  LogCapture capture(0);
  std::mt19937 rng(3);
  int halfOrMore = 0;
  for (const char* bases : {"numberOfBases=1", "numberOfBases=2"}) {
    setUpShell({"maxSize=100000", bases});
    for (unsigned seed = 1; seed <= 10; ++seed) {
      const auto inst = steinertest::generateInstance(seed, steinertest::Shape::Sparse, steinertest::Costs::Small, 16, 5);
      ReduceGraph R(inst.graph);
      const std::int64_t optimum = steinertest::dreyfusWagner(R, 14);
      IntArray tree = randomTree(R, rng);
      R.setUpper(tree, "seed", 0);
      tesmo::PartitionImprove improve;
      improve.run(R);
      EXPECT_EQ(steinertest::judgeInstance(inst.graph, R, optimum), "") << inst.description;
      EXPECT_LT(improve.largestSolvedRegion(), R.Vanz) << bases << " " << inst.description;
      if (std::string(bases) == "numberOfBases=1") EXPECT_EQ(improve.solvedRegions(), 0);
      if (2 * improve.largestSolvedRegion() >= R.Vanz) ++halfOrMore;
    }
  }
  EXPECT_GT(halfOrMore, 0);
}

// Two mirrored halves of four vertices joined by one bridge 4-8 (cost 10); terminals 1, 2 on the
// left and 5, 6 on the right. Each half is the region of its base and exactly half the instance
// (maxSize is V/2 = 4). The stored tree takes the direct edges 1-2 and 5-6 (5 each) where the
// paths through 3 and 7 cost 4: each half is re-solved and the tree falls from 22 to the
// optimum 20.
TEST(PartitionImprove, SolvesARegionOfHalfTheInstance) {
  LogCapture capture(3);
  setUpShell({});
  const tesmo::Graph g = makeGraph(8,
                                   {{1, 2, 5}, {1, 3, 2}, {3, 2, 2}, {1, 4, 1},
                                    {5, 6, 5}, {5, 7, 2}, {7, 6, 2}, {5, 8, 1}, {4, 8, 10}},
                                   {1, 2, 5, 6});
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {1, 4}, {4, 8}, {8, 5}, {5, 6}});
  R.setUpper(tree, "seed", 0);
  ASSERT_EQ(R.upperValue, 22);
  tesmo::PartitionImprove improve;
  improve.run(R);
  EXPECT_EQ(improve.largestSolvedRegion(), 4);
  // Four bases over four terminals step by two: each half's base is listed twice, and both
  // halves are solved twice in the improving round and twice in the last.
  EXPECT_EQ(improve.solvedRegions(), 8);
  EXPECT_EQ(improve.rounds(), 2);
  EXPECT_TRUE(R.upperOk);
  EXPECT_EQ(R.upperValue, 20);
  EXPECT_NE(capture.text().find("final upper: 20  (original upper: 22)\n"), std::string::npos) << capture.text();
}

TEST(PartitionImprove, AnOptimalTreeTakesOneRound) {
  LogCapture capture(3);
  setUpShell({"numberOfBases=4"});
  // A path of terminals: its only tree is optimal.
  std::vector<Edge> edges;
  for (int i = 1; i < 12; ++i) edges.push_back({i, i + 1, i});
  const tesmo::Graph g = makeGraph(12, edges, {1, 3, 5, 7, 9, 12});
  ReduceGraph R(g);
  storeSimpleTree(R);
  const int before = R.upperValue;
  tesmo::PartitionImprove improve;
  improve.run(R);
  EXPECT_EQ(improve.rounds(), 1);
  EXPECT_EQ(R.upperValue, before);
  const std::string line = "final upper: " + std::to_string(before) + "  (original upper: " + std::to_string(before) + ")\n";
  EXPECT_NE(capture.text().find(line), std::string::npos) << capture.text();
}

TEST(PartitionImprove, LetterKeepsTheOptimumAndTheTree) {
  setUpShell({});
  const auto failures = steinertest::checkSafety([](ReduceGraph& R) { tesmo::partitionImprove(R); });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

}  // namespace
