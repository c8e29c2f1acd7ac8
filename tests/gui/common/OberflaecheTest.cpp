// Screen scaling and the keep-alive step: plain arithmetic, no windows.
#include "Oberflaeche.h"
#include "ScreenScaling.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct ScalingCase {
  int screenWidth, screenHeight;
  bool rescale;
  double factor;
  int chartWidth, chartHeight;
  int formWidth, formHeight;  // of a 1000 x 700 design form
};

void PrintTo(const ScalingCase& c, std::ostream* os) {
  *os << c.screenWidth << " x " << c.screenHeight;
}

class ScreenScalingTest : public ::testing::TestWithParam<ScalingCase> {};

TEST_P(ScreenScalingTest, FollowsTheScreen) {
  const ScalingCase& c = GetParam();
  const ScreenScaling s = ComputeScreenScaling(c.screenWidth, c.screenHeight);
  EXPECT_EQ(s.rescale, c.rescale);
  EXPECT_DOUBLE_EQ(s.factor, c.factor);
  EXPECT_EQ(s.chartWidth, c.chartWidth);
  EXPECT_EQ(s.chartHeight, c.chartHeight);
  EXPECT_EQ(s.formWidth(1000), c.formWidth);
  EXPECT_EQ(s.formHeight(700), c.formHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ScreenScalingTest,
    ::testing::Values(
        // The design screen keeps everything as designed.
        ScalingCase{1024, 768, false, 1.0, 800, 600, 1000, 700},
        // The width ratio is the smaller one: 1280/1024.
        ScalingCase{1280, 1024, true, 1280.0 / 1024, 1000, 800, 1250, 933},
        // The height ratio is the smaller one: 1080/768.
        ScalingCase{1920, 1080, true, 1080.0 / 768, 1500, 844, 1875, 984},
        // Smaller than the design: both ratios 0.78125.
        ScalingCase{800, 600, true, 0.78125, 625, 469, 781, 546},
        // 812.5 and 609.375: halves go to the even neighbour.
        ScalingCase{1040, 780, true, 1040.0 / 1024, 812, 609, 1015, 710},
        // Same width as the design but not the same screen: still rescaled.
        ScalingCase{1024, 600, true, 600.0 / 768, 800, 469, 1000, 546}),
    [](const ::testing::TestParamInfo<ScalingCase>& info) {
      return std::to_string(info.param.screenWidth) + "x" +
             std::to_string(info.param.screenHeight);
    });

constexpr double Second = 1.0 / 86400.0;

TEST(KeepAliveStep, RunsMessagesOnlyWhenTheClockWasSetBackByMoreThanTheThreshold) {
  struct Case {
    double secondsBack;  // how far the new time lies before the previous pass
    bool runs;
  };
  for (const Case& c : {Case{-1.0, false}, Case{-3600.0, false}, Case{0.0, false},
                        Case{3.0, false}, Case{3.3, true}, Case{60.0, true}}) {
    SCOPED_TRACE(c.secondsBack);
    double last = 46000.5;
    const double now = last - c.secondsBack * Second;
    EXPECT_EQ(KeepAliveStep(last, now), c.runs);
    EXPECT_EQ(last, now);
  }
}

class KeepUIAliveTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetKeepAliveClock([this] { return now; });
    SetKeepAlivePump([this] { ++pumped; });
    LastKeepAlive = now;
  }
  void TearDown() override {
    SetKeepAliveClock({});
    SetKeepAlivePump({});
  }
  double now = 46000.25;
  int pumped = 0;
};

TEST_F(KeepUIAliveTest, AForwardClockOnlyRecordsTheTime) {
  // A long calculation: many passes, some close together, some far apart.
  for (int i = 0; i < 5000; ++i) {
    now += (i % 7 == 0 ? 10.0 : 0.001) * Second;
    KeepUIAlive();
    ASSERT_EQ(LastKeepAlive, now);
  }
  EXPECT_EQ(pumped, 0);
}

TEST_F(KeepUIAliveTest, AClockSetBackLetsMessagesRunOnce) {
  now -= 5.0 * Second;
  KeepUIAlive();
  EXPECT_EQ(pumped, 1);
  EXPECT_EQ(LastKeepAlive, now);
  now += Second;
  KeepUIAlive();
  EXPECT_EQ(pumped, 1);
}

}  // namespace
