// The move of the earlier l1 ascent: weight above each commodity's potential goes to one
// commodity, so every other keeps its distance and its last path (the ascent counts them
// without computing them anew); slot sums stay and no weight turns negative.

#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "PathRelaxation.h"
#include "ReduceGraph.h"
#include "../support/InstanceGenerators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

using namespace tesmotest;
using tesmo::ReduceGraph;

namespace {

using Weight = std::int64_t;

TEST(PathRelaxation, MovingWeightAboveThePotentialsKeepsTheOtherCommoditiesPaths) {
  LogCapture capture(0);
  int raised = 0, instances = 0;
  for (auto& generated : steinertest::instanceMix(200, 13)) {
    ReduceGraph R(generated.graph);
    const int root = tesmo::PathRelaxation::startAscent(R, 1, "test");
    ASSERT_NE(root, 0) << generated.description;
    const tesmo::IntArray seed = mstPruneTree(R);
    Weight upper = 0;
    for (int i = 1; i <= seed[0]; ++i) upper += R.arcs[seed[i]].cost;
    const Weight F = 8;
    tesmo::PathRelaxation P(R, F, root, 1, 0);
    P.evenStart();
    // A few target steps, so that the weights differ between commodities.
    tesmo::IntArray tree;
    for (int s = 1; s <= 6; ++s) {
      Weight L = 0;
      ASSERT_TRUE(P.stepBound(s, L)) << generated.description;
      if (P.usedSlotTree(s, tree) >= 0)
        for (int i = 1; i <= tree[0]; ++i) P.selected()[tree[i]] = s;
      Weight GG = 0, zeroes = 0;
      P.countSubgradient(s, s, false, GG, zeroes);
      if (GG == 0) break;
      const double target = static_cast<double>(upper) * 1.1 - static_cast<double>(L) / static_cast<double>(F);
      P.applyStep(s, s, std::max<Weight>(1, std::llround(target * 2.0 / static_cast<double>(GG) * static_cast<double>(F))));
    }
    const std::size_t stride = static_cast<std::size_t>(R.V + 1);
    std::vector<Weight> potentials(stride * (R.R + 1), 0), distance(R.R + 1, 0);
    for (int k = 1; k <= R.R; ++k) {
      if (!P.commodity(k)) continue;
      ASSERT_TRUE(P.shortestPath(k, 100, distance[k])) << generated.description;
      P.pathPotential(distance[k], potentials.data() + k * stride);
    }
    std::vector<Weight> sums(P.slots() + 1, 0);
    for (int a = 1; a <= P.slots(); ++a)
      for (int k = 1; k <= R.R; ++k)
        if (P.commodity(k)) sums[a] += P.w(a, k);
    const int j = P.commodity(2) ? 2 : 3;
    P.moveAbovePotentials(j, potentials.data(), stride);
    for (int a = 1; a <= P.slots(); ++a) {
      Weight sum = 0;
      for (int k = 1; k <= R.R; ++k)
        if (P.commodity(k)) {
          ASSERT_GE(P.w(a, k), 0) << generated.description;
          sum += P.w(a, k);
        }
      ASSERT_EQ(sum, sums[a]) << generated.description;
    }
    for (int k = 1; k <= R.R; ++k) {
      if (!P.commodity(k)) continue;
      Weight along = 0;  // the last path under the new weights
      for (int a = 1; a <= P.slots(); ++a)
        if (P.mark(a, k) == 100) along += P.w(a, k);
      Weight now = 0;
      ASSERT_TRUE(P.shortestPath(k, 101, now)) << generated.description;
      if (k == j) {
        EXPECT_GE(now, distance[k]) << generated.description;
        if (now > distance[k]) ++raised;
      } else {
        EXPECT_EQ(along, distance[k]) << generated.description << " commodity " << k;
        EXPECT_EQ(now, distance[k]) << generated.description << " commodity " << k;
      }
    }
    ++instances;
  }
  EXPECT_GT(raised, instances / 4);  // the move is of use to the commodity that gets it
}

}  // namespace
