// Steiner-degree replacement s: which vertices it replaces, and the safety check.

#include "SteinerDegree.h"
#include "Shell.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "ReductionSafety.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

using namespace tesmo;
using namespace tesmotest;

namespace {

TEST(SteinerDegree, IsSafe) {
  tesmotest::LogCapture log{0};
  safetytest::checkSafety(steinerDegree);
}

TEST(SteinerDegree, SmallDegreeLimitStaysSafe) {
  tesmotest::LogCapture log{0};
  shell.Sset("maxDegree", "4");
  safetytest::checkSafety(steinerDegree, 30, 12);
}

// Terminals 1, 2, 3 on a triangle of cost 4 each; the centre 4 joins them with spokes of cost
// `spoke`. The bottleneck distances between the terminals are 4, so the centre goes exactly when
// 3 * spoke >= 4 + 4.
TEST(SteinerDegree, DegreeThreeVertexGoesWhenItsStarIsNotCheaper) {
  for (int spoke : {2, 3, 4}) {
    SCOPED_TRACE(spoke);
    tesmotest::LogCapture log{3};
    ReduceGraph R(makeGraph(4, {{1, 2, 4}, {2, 3, 4}, {1, 3, 4}, {1, 4, spoke}, {2, 4, spoke},
                                {3, 4, spoke}},
                            {1, 2, 3}));
    steinerDegree(R);
    const bool replaced = 3 * spoke >= 8;
    EXPECT_EQ(R.degree[4] == 0, replaced);
    EXPECT_NE(log.text().find(replaced ? "\nreplaced: 1 (" : "\nreplaced: 0 ("), std::string::npos)
        << log.text();
    EXPECT_INSTANCE_VALID(R);
  }
}

// With two terminals every non-terminal of degree 3 up to maxDegree - 1 goes; degree maxDegree
// is not examined.
TEST(SteinerDegree, TwoTerminalsReplaceEverySmallDegreeVertex) {
  struct Case {
    int maxDegree;
    bool replaced;
  };
  for (const Case& c : {Case{8, true}, Case{4, true}, Case{3, false}}) {
    SCOPED_TRACE(c.maxDegree);
    tesmotest::LogCapture log{0};
    shell.Sset("maxDegree", std::to_string(c.maxDegree));
    // Vertex 3 has degree 3: to the terminals 1 and 2 and to 4 (degree 2, not examined).
    ReduceGraph R(makeGraph(4, {{1, 3, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {1, 2}));
    steinerDegree(R);
    EXPECT_EQ(R.degree[3] == 0, c.replaced);
    EXPECT_INSTANCE_VALID(R);
  }
}

TEST(SteinerDegree, UnjoinedTerminalLinksReplaceNothing) {
  tesmotest::LogCapture log{3};
  // Terminal 5 sits alone: the links do not span the terminals.
  ReduceGraph R(makeGraph(5, {{1, 4, 1}, {2, 4, 1}, {3, 4, 1}, {1, 2, 1}}, {1, 2, 3, 5}));
  steinerDegree(R);
  EXPECT_NE(log.text().find("@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@ maxint=maxLink\n"), std::string::npos);
  EXPECT_NE(log.text().find("\nreplaced: 0 (new edges: 0, edge difference = 0)\n"), std::string::npos);
}

}  // namespace
