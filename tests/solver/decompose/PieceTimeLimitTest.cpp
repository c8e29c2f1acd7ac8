// A nested exact solve cut short by the run's time limit proves nothing: every decomposition
// letter must then leave its piece, and so the instance, as it was. The time limit 0 stops each
// nested search after its first node; the pieces below hold too many free vertices to be solved
// there, the bound of the search nodes (nodeAscent) being off.

#include "BlockAnalyser.h"
#include "ExactDefaults.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "Partition.h"
#include "ReduceGraph.h"
#include "SafetyTest.h"
#include "SeparatorDecompositions.h"
#include "TriCon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmotest;
using decomposetest::exactDefaults;
using tesmo::ReduceGraph;

namespace {

// A rows x cols grid from vertex first on, costs varying a little so that ties do not decide.
void addGrid(std::vector<Edge>& edges, int first, int rows, int cols) {
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const int v = first + r * cols + c;
      if (c + 1 < cols) edges.push_back({v, v + 1, 2 + (r + 2 * c) % 3});
      if (r + 1 < rows) edges.push_back({v, v + cols, 2 + (2 * r + c) % 3});
    }
}

// Terminals 1..k separate a 4 x 4 grid (one terminal of its own, far corner) from a 5 x 6 grid
// (two terminals); each separator terminal touches two vertices of either grid.
tesmo::Graph separatedGrids(int k) {
  std::vector<Edge> edges;
  const int small = k + 1, large = small + 16;
  addGrid(edges, small, 4, 4);
  addGrid(edges, large, 5, 6);
  for (int s = 1; s <= k; ++s) {
    edges.push_back({s, small + s - 1, 3});
    edges.push_back({s, small + 4 * (s - 1), 4});
    edges.push_back({s, large + s - 1, 3});
    edges.push_back({s, large + 6 * (s - 1), 4});
  }
  // The separator terminals come last, so that the flow searches start from a side.
  std::vector<int> terminals{small + 15, large + 29, large + 17};
  for (int s = 1; s <= k; ++s) terminals.push_back(s);
  return makeGraph(large + 29, edges, terminals);
}

// Two 4 x 4 grids sharing the non-terminal corner 16; terminals at the far corners.
tesmo::Graph gridsOnACorner() {
  std::vector<Edge> edges;
  addGrid(edges, 1, 4, 4);
  addGrid(edges, 16, 4, 4);
  return makeGraph(31, edges, {1, 31});
}

struct TimeLimitCase {
  const char* name;
  void (*method)(ReduceGraph&);
  tesmo::Graph (*instance)();
  std::vector<const char*> unchangedLines;  // the letter's report that it changed nothing
  bool degreeTestsAfter = false;            // the letter ends with the degree tests of R
  const char* setting = "maxSize=24";       // a side of four terminals must stay below maxSize/4
};

class PieceTimeLimit : public testing::TestWithParam<TimeLimitCase> {};

TEST_P(PieceTimeLimit, AnUnfinishedPieceLeavesTheInstanceAlone) {
  const TimeLimitCase& c = GetParam();
  const tesmo::Graph g = c.instance();
  ReduceGraph R(g);
  const std::int64_t optimum = steinertest::dreyfusWagner(R);
  LogCapture capture(3);
  exactDefaults({"minReqs=3", "R-maxSec=0", "nodeAscent=0", c.setting});
  const int edges = R.Eanz;
  c.method(R);
  const std::string text = capture.text();
  EXPECT_NE(text.find("time limit reached in a piece: left unchanged"), std::string::npos) << text;
  for (const char* line : c.unchangedLines) EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  if (!c.degreeTestsAfter) {
    EXPECT_EQ(R.Eanz, edges) << text;
    EXPECT_EQ(R.contractCost, 0);
  }
  EXPECT_EQ(steinertest::judgeInstance(g, R, optimum), "");
}

INSTANTIATE_TEST_SUITE_P(
    Letters, PieceTimeLimit,
    testing::Values(
        TimeLimitCase{"blocks", tesmo::biConNew, gridsOnACorner, {"deleted edges: 0, contracted: 0"}},
        TimeLimitCase{"twoTerminals", tesmo::triCon, [] { return separatedGrids(2); }, {"deleted edges: 0, contracted: 0"}},
        TimeLimitCase{"threeTerminals", tesmo::quadroCon, [] { return separatedGrids(3); },
                      {"deleted edges: 0, contracted: 0"}},
        TimeLimitCase{"fourTerminals", tesmo::pentaCon, [] { return separatedGrids(4); },
                      {"deleted edges: 0, contracted: 0"}, false, "maxSize=100"},
        TimeLimitCase{"partition", tesmo::partition, [] { return separatedGrids(3); },
                      {"deleted vertices: 0, edges: 0", "contracted edges: 0"}, true}),
    [](const testing::TestParamInfo<TimeLimitCase>& info) { return std::string(info.param.name); });

}  // namespace
