// Counters: count, sum and histogram, and the report lines.

#include "Counter.h"

#include <gtest/gtest.h>

#include <climits>
#include <iostream>
#include <sstream>

namespace tesmo {
namespace {

TEST(Counter, ReportsAverageSumAndCount) {
  Counter c("moves");
  std::ostringstream silent;
  c.report(silent);
  EXPECT_EQ(silent.str(), "");  // nothing counted: no line
  c.add(3);
  c.add(4);
  std::ostringstream out;
  c.report(out);
  EXPECT_EQ(out.str(), "counter moves: average:3.5, sum:7, n:2, \n");
}

TEST(Counter, HistogramLineFollowsAndIsReleased) {
  Counter c("degree", 3);
  for (int v : {0, 2, 2, 3}) c.add(v);
  std::ostringstream out;
  c.report(out);
  EXPECT_EQ(out.str(),
            "counter degree: average:1.75, sum:7, n:4, \n"
            "   0: 1, 1: 0, 2: 2, 3: 1, \n");
  EXPECT_FALSE(c.hasHistogram());
  std::ostringstream again;
  c.report(again);
  EXPECT_EQ(again.str(), "counter degree: average:1.75, sum:7, n:4, \n");
}

TEST(Counter, SumDoesNotOverflow) {
  Counter c("big");
  c.add(INT_MAX);
  c.add(INT_MAX);
  EXPECT_EQ(c.sum(), 2LL * INT_MAX);
}

TEST(CounterDeathTest, ValueOutsideTheHistogramFails) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  for (int bad : {4, -1}) {
    EXPECT_EXIT(
        {
          std::cout.rdbuf(std::cerr.rdbuf());
          Counter c("degree", 3);
          c.add(bad);
        },
        ::testing::ExitedWithCode(1), "Warning: \\(i>maxCount \\|\\| i<0\\) in file 'tools' line 70");
  }
}

}  // namespace
}  // namespace tesmo
