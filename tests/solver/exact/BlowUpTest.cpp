#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "Random.h"
#include "ReduceGraph.h"
#include "Shell.h"

#include <gtest/gtest.h>

using tesmotest::makeGraph;
using tesmo::ReduceGraph;

namespace {

tesmo::Graph triangle(int big = 3) { return makeGraph(3, {{1, 2, 1}, {2, 3, 2}, {1, 3, big}}, {1, 3}); }

std::vector<int> edgeCosts(const ReduceGraph& R) {
  std::vector<int> costs;
  for (int s = 1; s <= 2 * R.E; ++s) {
    EXPECT_EQ(R.arcs[s].cost, R.arcs[R.partner[s]].cost);  // both slots alike
    if (s < R.partner[s]) costs.push_back(R.arcs[s].cost);
  }
  return costs;
}

TEST(BlowUp, ExactFactorAndOncePerInstance) {
  tesmotest::LogCapture capture(3);
  tesmo::shell.Sset("blowUp", "100");
  tesmo::shell.Sset("blowUpRandom", "1");
  tesmo::seedRandom(5);
  ReduceGraph R(triangle());
  const std::vector<int> before = edgeCosts(R);
  R.blowUp();
  std::vector<int> after = edgeCosts(R);
  for (std::size_t k = 0; k < before.size(); ++k) EXPECT_EQ(after[k], 100 * before[k]);
  EXPECT_EQ(R.costScale, 100);
  EXPECT_EQ(R.maxCost, 300);
  EXPECT_EQ(R.upperValue, tesmo::maxint);  // no tree: stays unset
  EXPECT_EQ(R.blowUpMark, tesmo::maxint);
  R.blowUp();
  EXPECT_EQ(edgeCosts(R), after);
  EXPECT_NE(capture.text().find("\n\n\n Blowing up... \n\n\n"), std::string::npos);
}

TEST(BlowUp, RandomAmountsStayBelowTheFactorStep) {
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("blowUp", "1000");
  tesmo::seedRandom(7);
  ReduceGraph R(triangle());
  R.contractCost = 4;
  R.upperValue = 5;
  const std::vector<int> before = edgeCosts(R);
  R.blowUp();
  const std::vector<int> after = edgeCosts(R);
  for (std::size_t k = 0; k < before.size(); ++k) {
    EXPECT_GE(after[k], 1000 * before[k]);
    EXPECT_LE(after[k], 1000 * before[k] + 9);
  }
  EXPECT_EQ(R.contractCost, 4000);
  EXPECT_EQ(R.upperValue, 5000);
  EXPECT_EQ(R.lowerValue, 0);
}

TEST(BlowUp, StopsBeforePassingInfinity) {
  tesmotest::LogCapture capture(1);
  tesmo::shell.Sset("blowUp", "1000");
  ReduceGraph R(triangle(2000000));  // 2e9 would pass 1600000000
  const std::vector<int> before = edgeCosts(R);
  R.blowUp();
  EXPECT_EQ(edgeCosts(R), before);
  EXPECT_EQ(R.costScale, 1);
  EXPECT_NE(capture.text().find("blowUp stopped"), std::string::npos);
}

}  // namespace
