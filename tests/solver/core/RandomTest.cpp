#include "Random.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>

using tesmo::IntArray;

namespace {

std::vector<int> draws(int count, int n) {
  std::vector<int> v;
  for (int i = 0; i < count; ++i) v.push_back(tesmo::randomNumber(n));
  return v;
}

TEST(RandomTest, TheSameSeedGivesTheSameSequence) {
  tesmotest::LogCapture capture(1);
  tesmo::shell.Sset("randomseed", "42");
  tesmo::seedRandom(-1);
  const std::vector<int> first = draws(50, 1000);
  tesmo::seedRandom(42);
  EXPECT_EQ(draws(50, 1000), first);
  tesmo::seedRandom(43);
  EXPECT_NE(draws(50, 1000), first);
  EXPECT_EQ(capture.text(), "random seed set to 42\nrandom seed set to 42\nrandom seed set to 43\n");
}

TEST(RandomTest, WithoutOptionTheClockSeeds) {
  tesmotest::LogCapture capture(1);
  tesmo::seedRandom(-1);
  const std::string text = capture.text();
  EXPECT_EQ(text.rfind("random seed set to ", 0), 0u);
  EXPECT_NE(text, "random seed set to -1\n");
}

TEST(RandomTest, NumbersStayInOneToN) {
  tesmo::seedRandom(7);
  std::vector<int> seen(8, 0);
  for (int v : draws(2000, 7)) {
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 7);
    ++seen[v];
  }
  for (int v = 1; v <= 7; ++v) EXPECT_GT(seen[v], 0);
  EXPECT_EQ(tesmo::randomNumber(1), 1);
}

TEST(RandomTest, ZeroRangeComplainsAndGivesOne) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(tesmo::randomNumber(0), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), " Randomaufruf mit 0 \n");
}

TEST(RandomTest, PermutationsArePermutations) {
  tesmo::seedRandom(5);
  IntArray one(2, 0);
  tesmo::randomPermutation(1, one);
  EXPECT_EQ(one[1], 1);
  IntArray a(21, 0);
  tesmo::randomPermutation(20, a);
  std::vector<int> v(a.begin() + 1, a.end());
  std::sort(v.begin(), v.end());
  for (int i = 0; i < 20; ++i) EXPECT_EQ(v[i], i + 1);
}

TEST(RandomTest, CompletePermutationFillsOnlyTheGaps) {
  tesmo::seedRandom(9);
  IntArray full = {0, 3, 1, 2};
  tesmo::completePermutation(3, full);
  EXPECT_EQ(full, (IntArray{0, 3, 1, 2}));
  IntArray partial = {0, 0, 5, 0, 1, 0};
  tesmo::completePermutation(5, partial);
  EXPECT_EQ(partial[2], 5);
  EXPECT_EQ(partial[4], 1);
  std::vector<int> v(partial.begin() + 1, partial.end());
  std::sort(v.begin(), v.end());
  EXPECT_EQ(v, (std::vector<int>{1, 2, 3, 4, 5}));
}

}  // namespace
