// Rank tables: rank ranges of equal values, invalid elements, and the percentages in the log.

#include "Arc.h"
#include "LogStream.h"
#include "RankTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace tesmo {
namespace {

struct RankCase {
  const char* name;
  std::vector<int> values;  // 1-based: element 0 unused
  std::vector<int> flags;   // empty: all valid
  std::vector<int> low;
  std::vector<int> high;
  int valid;
};

class RankTableCases : public ::testing::TestWithParam<RankCase> {};

TEST_P(RankTableCases, RanksSharedByEqualValues) {
  const RankCase& c = GetParam();
  const int n = static_cast<int>(c.values.size()) - 1;
  RankTable table(n, c.values.data(), c.flags.empty() ? nullptr : c.flags.data());
  EXPECT_EQ(table.valid(), c.valid);
  for (int i = 1; i <= n; ++i) {
    EXPECT_EQ(table.low(i), c.low[i]) << "element " << i;
    EXPECT_EQ(table.high(i), c.high[i]) << "element " << i;
  }
}

constexpr int none = maxint;

INSTANTIATE_TEST_SUITE_P(
    Cases, RankTableCases,
    ::testing::Values(
        RankCase{"TwoFivesShareRanks3To4", {0, 5, 3, 5, 1}, {}, {0, 3, 2, 3, 1}, {0, 4, 2, 4, 1}, 4},
        RankCase{"AllEqual", {0, 2, 2, 2}, {}, {0, 1, 1, 1}, {0, 3, 3, 3}, 3},
        RankCase{"InvalidElementHasNoRank", {0, 7, 4, 7}, {0, 1, 0, 1}, {0, 1, none, 1},
                 {0, 2, none, 2}, 2},
        // Valid values above maxint are cut to it, so they tie.
        RankCase{"HugeValuesTie",
                 {0, 1600000005, 3, 1600000007},
                 {0, 1, 1, 1},
                 {0, 2, 1, 2},
                 {0, 3, 1, 3},
                 3},
        RankCase{"NothingValid", {0, 4, 4}, {0, 0, 0}, {0, none, none}, {0, none, none}, 0},
        RankCase{"Empty", {0}, {}, {0}, {0}, 0},
        RankCase{"NegativeValues", {0, -1, -9, 0, -1}, {}, {0, 2, 1, 4, 2}, {0, 3, 1, 4, 3}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

class RankPercent : public ::testing::Test {
protected:
  void SetUp() override {
    oldVerbose_ = verbose;
    verbose = 3;
    logStream.toScreen = true;
    log(3);
    ::testing::internal::CaptureStdout();
  }
  std::string output() {
    const std::string out = ::testing::internal::GetCapturedStdout();
    logStream.toScreen = false;
    verbose = oldVerbose_;
    return out;
  }
  int oldVerbose_ = 0;
};

TEST_F(RankPercent, RangesSinglesAndInvalidElements) {
  const std::vector<int> values = {0, 5, 3, 5, 1};
  RankTable table(4, values.data());
  table.printRankPercent(1);  // 75-100
  table.printRankPercent(2);  // 50
  table.printRankPercent(4);  // 25
  const std::vector<int> few = {0, 8, 9, 8};
  const std::vector<int> flags = {0, 1, 0, 1};
  RankTable partial(3, few.data(), flags.data());
  partial.printRankPercent(1);  // 50-100 over the 2 valid ones
  partial.printRankPercent(2);  // invalid: 100
  const std::vector<int> spread = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11};
  RankTable fine(12, spread.data());
  fine.printRankPercent(1);   // 8
  fine.printRankPercent(12);  // 91-100
  EXPECT_EQ(output(), "75-100   50    25  50-100   100    8  91-100 ");
}

TEST_F(RankPercent, SingleDigitRangeGetsALeadingBlank) {
  std::vector<int> values(21, 7);
  values[1] = 1;
  values[2] = 1;
  values[0] = 0;
  RankTable table(20, values.data());
  table.printRankPercent(1);  // 5-10
  EXPECT_EQ(output(), " 5-10 ");
}

TEST_F(RankPercent, NothingValidDividesByNothing) {
  const std::vector<int> values = {0, 3};
  const std::vector<int> flags = {0, 0};
  RankTable table(1, values.data(), flags.data());
  table.printRankPercent(1);
  EXPECT_EQ(output(), "  100  ");
}

}  // namespace
}  // namespace tesmo
