// The two exact oracles of the solver tests agree on every generated instance: subset
// enumeration of the Steiner vertices and dynamic programming over terminal subsets.

#include "ReduceGraph.h"
#include "SubsetEnumeration.h"
#include "../support/DreyfusWagner.h"
#include "../support/InstanceGenerators.h"

#include <gtest/gtest.h>

namespace {

TEST(Oracles, AgreeOnGeneratedInstances) {
  int compared = 0;
  for (const auto& instance : steinertest::instanceMix(400, 7)) {
    tesmo::ReduceGraph R(instance.graph);
    tesmo::SubsetEnumeration search(R);
    if (search.candidateCount() > 14) continue;
    tesmo::IntArray slots;
    const std::int64_t bySubsets = search.solve(slots);
    EXPECT_EQ(steinertest::dreyfusWagner(R), bySubsets) << instance.description;
    ++compared;
  }
  // The mix must give the comparison something to do.
  EXPECT_GT(compared, 150);
}

TEST(Oracles, KnownOptimaOfSmallShapes) {
  struct Case {
    const char* name;
    steinertest::Shape shape;
    int vertices;
    std::vector<int> terminals;
    std::int64_t optimum;
  };
  // Unit costs: a wheel's rim vertices 2 and 5 (of 2..7) join through the hub (2 edges); the
  // corners of a 3x3 grid need 6 edges; the far corners of a 2x4 ladder need 4.
  const Case cases[] = {
      {"wheel", steinertest::Shape::Wheel, 7, {2, 5}, 2},
      {"grid corners", steinertest::Shape::Grid, 9, {1, 3, 7, 9}, 6},
      {"ladder ends", steinertest::Shape::Ladder, 8, {1, 8}, 4},
  };
  for (const Case& c : cases) {
    auto instance = steinertest::generateInstance(1, c.shape, steinertest::Costs::Unit, c.vertices, 2);
    tesmo::Graph& g = instance.graph;
    g.R = static_cast<int>(c.terminals.size());
    g.terminals.resize(c.terminals.size() + 1);
    for (int k = 0; k < g.R; ++k) g.terminals[k + 1] = c.terminals[k];
    tesmo::ReduceGraph R(g);
    EXPECT_EQ(steinertest::dreyfusWagner(R), c.optimum) << c.name;
  }
}

}  // namespace
