// The solver's own checks after a step: a sound instance passes, each kind of broken one is
// named, and in checked builds a failed check ends the run naming the step.

#include "ReduceGraph.h"
#include "SelfCheck.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tesmo;
using namespace tesmotest;

namespace {

//    1(T) -3- 2 -4- 3(T)
//     \       |
//      5      1
//       \     |
//        `--- 4(T)
Graph small() { return makeGraph(4, {{1, 2, 3}, {2, 3, 4}, {2, 4, 1}, {1, 4, 5}}, {1, 3, 4}); }

// R with the tree 1-2, 2-3, 2-4 (value 8) stored.
ReduceGraph withTree(const Graph& g) {
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {2, 4}});
  R.setUpper(tree, nullptr, 0);
  return R;
}

struct Breakage {
  const char* name;
  std::function<void(ReduceGraph&)> breakIt;
  const char* problem;  // a part of the message
};

void PrintTo(const Breakage& b, std::ostream* os) { *os << b.name; }

class SelfCheckCases : public testing::TestWithParam<Breakage> {};

TEST_P(SelfCheckCases, NamesWhatIsBroken) {
  LogCapture log(0);
  const Graph g = small();
  ReduceGraph R = withTree(g);
  ASSERT_EQ(R.upperValue, 8);
  ASSERT_EQ(afterStepProblem(R), "");
  GetParam().breakIt(R);
  EXPECT_NE(afterStepProblem(R).find(GetParam().problem), std::string::npos) << afterStepProblem(R);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SelfCheckCases,
    testing::Values(
        Breakage{"WrongTreeValue", [](ReduceGraph& R) { R.upperValue = 7; }, "stored tree costs"},
        Breakage{"TreeMissesATerminal",
                 [](ReduceGraph& R) {
                   // The tree without its edge 2-4: terminal 4 is left out.
                   const int id = R.ID[slotOf(R, 2, 4)];
                   R.removeFromUpperTree(id);
                   R.inTree[id] = 0;
                   --R.treeDegree[2];
                   --R.treeDegree[4];
                   R.upperValue -= 1;
                 },
                 "misses terminal"},
        Breakage{"ProvenLowerAboveUpper",
                 [](ReduceGraph& R) {
                   R.lowerValue = 9;
                   R.lowerValueValid = 1;
                 },
                 "above upper"}),
    [](const testing::TestParamInfo<Breakage>& info) { return std::string(info.param.name); });

TEST(SelfCheck, ReducedCostsMustNotBeNegativeOnLiveSlots) {
  LogCapture log(0);
  const Graph g = small();
  ReduceGraph R(g);
  IntArray costs(2 * static_cast<std::size_t>(R.E) + 1, 0);
  EXPECT_EQ(reducedCostProblem(R, costs), "");
  const int s = slotOf(R, 1, 4);
  costs[s] = -1;
  EXPECT_NE(reducedCostProblem(R, costs).find("< 0 at slot " + std::to_string(s)), std::string::npos);
  R.deleteEdge(s);  // a deleted slot no longer counts
  costs.assign(costs.size(), 0);
  for (int t = 1; t <= 2 * R.E; ++t)
    if (R.delE[t]) costs[t] = -5;
  EXPECT_EQ(reducedCostProblem(R, costs), "");
  EXPECT_NE(reducedCostProblem(R, IntArray(3, 0)).find("reduced costs for 3 slots"), std::string::npos);
}

TEST(SelfCheckDeathTest, AFailedCheckEndsTheRunNamingTheStep) {
  if (!selfChecksActive) GTEST_SKIP() << "self checks are compiled out of this build";
  LogCapture log(5);
  const Graph g = small();
  ReduceGraph R = withTree(g);
  checkAfterStep(R, "v");  // sound: goes on
  R.upperValue = 7;
  EXPECT_EXIT(checkAfterStep(R, "v"), testing::ExitedWithCode(1), "");
  EXPECT_NE(log.text().find("Warning: (self check after v: stored tree costs"), std::string::npos)
      << log.text();
}

}  // namespace
