// The improvement of the stored tree region by region (letter V): trees get no dearer and stay
// trees, a dear tree gets cheaper, and no region of half the instance or more is ever solved.

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
// optimum; some get cheaper; every solved region is below half the instance.
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
    EXPECT_LT(2 * improve.largestSolvedRegion(), R.Vanz) << inst.description;
    if (R.upperValue < before) ++improved;
  }
  EXPECT_GT(improved, 5);
}

// However large maxSize is set, one or two bases give regions of half the instance or more, and
// those are left alone.
TEST(PartitionImprove, NeverSolvesHalfTheInstanceOrMore) {
  LogCapture capture(0);
  std::mt19937 rng(3);
  for (const char* bases : {"numberOfBases=1", "numberOfBases=2"}) {
    setUpShell({"maxSize=100000", bases});
    for (unsigned seed = 1; seed <= 10; ++seed) {
      const auto inst = steinertest::generateInstance(seed, steinertest::Shape::Sparse, steinertest::Costs::Small, 16, 5);
      ReduceGraph R(inst.graph);
      IntArray tree = randomTree(R, rng);
      R.setUpper(tree, "seed", 0);
      tesmo::PartitionImprove improve;
      improve.run(R);
      EXPECT_LT(2 * improve.largestSolvedRegion(), R.Vanz) << bases << " " << inst.description;
      if (std::string(bases) == "numberOfBases=1") {
        EXPECT_EQ(improve.solvedRegions(), 0);
      }
    }
  }
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
