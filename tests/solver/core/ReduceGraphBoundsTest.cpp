#include "ReduceGraph.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

using namespace tesmo;
using namespace tesmotest;

namespace {

//      1(T)
//     / \.
//    2---3      costs: 1-2 4, 1-3 5, 2-3 1, 2-4 2, 3-5 3, 4-5 6
//    |   |
//    4---5(T)
Graph house() {
  return makeGraph(5, {{1, 2, 4}, {1, 3, 5}, {2, 3, 1}, {2, 4, 2}, {3, 5, 3}, {4, 5, 6}}, {1, 5});
}

using EdgeList = std::vector<std::pair<int, int>>;

struct UpperCase {
  const char* name;
  EdgeList first;        // stored before (empty: nothing stored)
  EdgeList offered;
  int upperValue;        // afterwards
  int listCount;         // entries left in the offered list
  const char* logged;
};

void PrintTo(const UpperCase& c, std::ostream* os) { *os << c.name; }

class SetUpperCases : public testing::TestWithParam<UpperCase> {};

IntArray listOf(const ReduceGraph& R, const EdgeList& edges) {
  IntArray list(1, 0);
  for (const auto& [u, v] : edges) list.push_back(slotOf(R, u, v));
  list[0] = static_cast<int>(edges.size());
  return list;
}

TEST_P(SetUpperCases, JudgesTheOfferedTree) {
  const UpperCase& c = GetParam();
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  if (!c.first.empty()) {
    IntArray first = listOf(R, c.first);
    R.setUpper(first, "first", 0);
  }
  IntArray offered = listOf(R, c.offered);
  R.setUpper(offered, "offered", 0);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.upperValue, c.upperValue);
  EXPECT_EQ(offered[0], c.listCount);
  EXPECT_NE(log.text().find(c.logged), std::string::npos) << log.text();
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetUpperCases,
    testing::Values(
        UpperCase{"stored", {}, {{1, 2}, {2, 3}, {3, 5}}, 8, 3,
                  "upper improved: 1600000000 --> 8 (offered)  (elapsed time: "},
        UpperCase{"cyclicCorrected", {}, {{1, 2}, {2, 3}, {1, 3}, {3, 5}}, 8, 3,
                  "upper not correct (cyclic), corrected.\n"},
        UpperCase{"duplicateSlotCountedOnce", {}, {{1, 2}, {1, 2}, {2, 3}, {3, 5}}, 8, 3,
                  "upper not correct (cyclic), corrected.\n"},
        UpperCase{"disconnectedIgnored", {}, {{1, 2}, {2, 3}}, maxint, 2,
                  "upper not correct (disconnected), ignored.\n"},
        UpperCase{"sameTreeAgain", {{1, 2}, {2, 3}, {3, 5}}, {{3, 5}, {1, 2}, {2, 3}}, 8, 3,
                  "resetting upper: 8 (offered)"},
        UpperCase{"worseTreeIgnoredWithValue", {{1, 2}, {2, 3}, {3, 5}}, {{1, 2}, {2, 4}, {4, 5}},
                  8, 3, "deteriorated upper 8 --> 12 (offered) ignored\n"},
        UpperCase{"betterTreeStored", {{1, 2}, {2, 4}, {4, 5}}, {{1, 2}, {2, 3}, {3, 5}}, 8, 3,
                  "upper improved: 12 --> 8 (offered)"}),
    [](const testing::TestParamInfo<UpperCase>& info) { return std::string(info.param.name); });

TEST(SetUpper, EmptyListWithOneTerminalIsATreeOfNoEdges) {
  tesmotest::LogCapture log(5);
  Graph g = makeGraph(3, {{1, 2, 4}, {2, 3, 5}}, {2});
  ReduceGraph R(g);
  R.contractCost = 7;
  IntArray empty(1, 0);
  R.setUpper(empty, nullptr, 0);
  EXPECT_EQ(R.upperValue, 7);
  EXPECT_EQ(R.upperOk, 1);
  EXPECT_NE(log.text().find("upper improved: 1600000000 --> 7  (elapsed time: "),
            std::string::npos);
}

// A tree valued at the infinity 1600000000 or above is no bound: it is ignored, the run goes on
// (the default exitWarning would end it on a failed check) and a stored tree stays.
TEST(SetUpper, TreesAtOrAboveTheInfinityAreIgnored) {
  tesmotest::LogCapture log(2);
  // 1 --900000000-- 2 --700000000-- 3 --1-- 4 (1, 3 and 4 required), 1 --5-- 4, 2 --1500000000-- 4
  Graph g = makeGraph(4, {{1, 2, 900000000}, {2, 3, 700000000}, {3, 4, 1}, {1, 4, 5}, {2, 4, 1500000000}},
                      {1, 3, 4});
  ReduceGraph R(g);
  IntArray atInfinity = slotList(R, {{1, 2}, {2, 3}, {3, 4}});
  R.setUpper(atInfinity, "long", 0);
  EXPECT_EQ(R.upperValue, maxint);
  EXPECT_EQ(R.upperOk, 0);
  EXPECT_EQ(R.upperValueValid, 0);
  EXPECT_NE(log.text().find("upper not correct (upper value: 1600000001), ignored.\n"), std::string::npos)
      << log.text();
  IntArray cheap = slotList(R, {{1, 4}, {3, 4}});
  R.setUpper(cheap, "cheap", 0);
  EXPECT_EQ(R.upperValue, 6);
  IntArray beyond = slotList(R, {{1, 2}, {2, 4}, {3, 4}});  // 2400000001: past 32 bits
  R.setUpper(beyond, "longer", 0);
  EXPECT_EQ(R.upperValue, 6);
  EXPECT_EQ(R.upperOk, 1);
  EXPECT_INSTANCE_VALID(R);
}

TEST(SetUpper, SkipSetUpperIgnoresEveryTree) {
  tesmotest::LogCapture log(5);
  shell.Sset("skipSetUpper", "1");
  Graph g = house();
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, nullptr, 1);
  EXPECT_EQ(R.upperValue, maxint);
}

TEST(SetUpper, AWorseTreeWithoutStoredTreeKeepsItsDegrees) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  R.upperValue = 10;  // a value without a tree, as read from a file
  IntArray worse = slotList(R, {{1, 2}, {2, 4}, {4, 5}});
  R.setUpper(worse, nullptr, 0);
  EXPECT_EQ(R.upperValue, 10);
  EXPECT_EQ(R.upperOk, 0);
  EXPECT_EQ(R.treeDegree[0], 12);
  EXPECT_EQ(R.treeDegree[4], 2);
  EXPECT_EQ(R.treeDegree[3], 0);
  // Once a tree has been stored its degrees are not replaced by a worse one.
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, nullptr, 0);
  R.destroyUpper();
  R.setUpper(worse, nullptr, 0);
  EXPECT_EQ(R.treeDegree[0], 0);
  EXPECT_EQ(R.treeDegree[4], 0);
  EXPECT_NE(log.text().find("Upper destroyed!\n"), std::string::npos);
}

TEST(SetUpper, CombinationTakesTheSolversTreeWhenBetterThanBoth) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  int calls = 0;
  ReduceGraph::setCombineSolver([&calls](ReduceGraph& sub, bool exact) {
    ++calls;
    EXPECT_FALSE(exact);
    EXPECT_INSTANCE_VALID(sub);
    EXPECT_EQ(sub.ID[0], 4);
    IntArray tree = mstPruneTree(sub);
    sub.setUpper(tree, "sub", 0);
    return sub.upperValue;
  });
  // Stored 1-2-4-5 (12), offered 1-3-5 (8); their union holds 1-2-3-5 (8) and 1-3-5 (8).
  IntArray first = slotList(R, {{1, 2}, {2, 4}, {4, 5}});
  R.setUpper(first, "first", 1);
  EXPECT_EQ(calls, 0);  // nothing stored yet: no combination
  IntArray offered = slotList(R, {{1, 3}, {3, 5}});
  R.setUpper(offered, "second", 1);
  EXPECT_EQ(calls, 1);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.upperValue, 8);
  EXPECT_EQ(R.upperOk, 1);
  EXPECT_EQ(ReduceGraph::combineActive, false);
  ReduceGraph::setCombineSolver({});
}

TEST(SetUpper, CombinationWorseThanTheOfferedTreeIsDropped) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  ReduceGraph::setCombineSolver([](ReduceGraph&, bool) { return maxint; });
  IntArray first = slotList(R, {{1, 2}, {2, 4}, {4, 5}});
  R.setUpper(first, "first", 1);
  IntArray offered = slotList(R, {{1, 3}, {3, 5}});
  R.setUpper(offered, "second", 1);
  EXPECT_INSTANCE_VALID(R);
  EXPECT_EQ(R.upperValue, 8);
  EXPECT_NE(log.text().find("upper improved: 12 --> 8 (second)"), std::string::npos);
  ReduceGraph::setCombineSolver({});
}

TEST(SetLower, EqualValueLogsNothingButMayCloseTheGap) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, nullptr, 0);
  R.setLower(0, 0);
  EXPECT_EQ(log.text().find("lower improved"), std::string::npos);
  R.setLower(5, 3);
  EXPECT_EQ(R.lowerTag, 3);
  R.setLower(4, 0);
  EXPECT_EQ(R.lowerValue, 5);
  R.setLower(8, 0);
  EXPECT_EQ(R.upperOpt, 1);
  EXPECT_INSTANCE_VALID(R);
  const std::string text = log.text();
  EXPECT_NE(text.find("lower improved: 0 --> 5  (elapsed time: "), std::string::npos);
  EXPECT_NE(text.find("Lower bound reaches known upper.\n"), std::string::npos);
}

TEST(SetLower, AboveAnUnprovenUpperIsAContradictionNotAFailure) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  R.upperValue = 6;  // a value without a tree, as read from a file
  R.setLower(7, 0);
  EXPECT_EQ(R.upperOpt, -1);
  EXPECT_NE(log.text().find("(lower > upper) but thats okay.\n"), std::string::npos);
}

TEST(SetLowerDeathTest, AboveAProvenUpperFailsTheCheck) {
  tesmotest::LogCapture log(5);
  Graph g = house();
  ReduceGraph R(g);
  IntArray tree = slotList(R, {{1, 2}, {2, 3}, {3, 5}});
  R.setUpper(tree, nullptr, 0);
  EXPECT_EXIT(R.setLower(9, 0), testing::ExitedWithCode(1), "");
  EXPECT_NE(log.text().find("Warning: (upperValueValid) in file 'reduceGraph' line"),
            std::string::npos);
}

TEST(CheckDump, FailedCheckSavesTheInstanceWithItsCommentLines) {
  tesmotest::LogCapture log(5);
  shell.Sset("exitWarning", "0");
  shell.Sset("problem", "net.out");
  Graph g = house();
  ReduceGraph R(g);
  R.failCheck("x<y", 42);
  // Beside the log: <log>.error.stp.
  const std::string dump = testpaths::readFile(log.dir().file("test.error.stp"));
  const std::vector<std::string> lines = tesmotest::linesOf(dump);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[2], "Section Comment");
  EXPECT_EQ(lines[3].rfind("Time: ", 0), 0u);
  EXPECT_EQ(lines[4], "Warning: (x<y) in file 'reduceGraph' line 42");
  EXPECT_EQ(lines[5], "Problem: net.out");
  EXPECT_EQ(lines[6], "End");
  EXPECT_NE(log.text().find("Warning: (x<y) in file 'reduceGraph' line 42"), std::string::npos);

  shell.Sset("exitSaveGraph", log.dir().file("named.stp"));
  R.failCheck("x<y", 43);
  EXPECT_NE(testpaths::readFile(log.dir().file("named.stp")).find("line 43"), std::string::npos);
}

TEST(CheckDump, WithoutALogTheDumpGoesToAFreshTemporaryFile) {
  const std::string a = ReduceGraph::defaultSaveFileName("error");
  const std::string b = ReduceGraph::defaultSaveFileName("error");
  EXPECT_NE(a, b);
  EXPECT_NE(a, "/tmp/error.stp");
  std::filesystem::remove(a);
  std::filesystem::remove(b);
}

}  // namespace
