// The direct-mapped pair cache: bucket counts per row, hits, and overwriting on a collision.

#include "PairCache.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>

namespace tesmo {
namespace {

// Counts how often a value had to be computed.
class CountingCache : public PairCache {
public:
  using PairCache::PairCache;
  int computed = 0;

protected:
  int compute(int i, int j) override {
    ++computed;
    return 1000 * i + j;
  }
};

struct BucketCase {
  int n;
  int bits;
  int bucketsPerRow;
};

class PairCacheBuckets : public ::testing::TestWithParam<BucketCase> {};

TEST_P(PairCacheBuckets, RowsShrinkToTwiceTheRowCount) {
  const BucketCase& c = GetParam();
  CountingCache cache(c.n, c.bits);
  EXPECT_EQ(cache.bucketsPerRow(), c.bucketsPerRow);
  EXPECT_EQ(cache.size(), static_cast<std::size_t>(c.n) * c.bucketsPerRow);
}

INSTANTIATE_TEST_SUITE_P(Cases, PairCacheBuckets,
                         ::testing::Values(BucketCase{10, 8, 16},  // 256 halved while above 20
                                           BucketCase{128, 8, 256}, BucketCase{100, 8, 128},
                                           BucketCase{1, 8, 2},
                                           BucketCase{0, 8, 1},  // empty: one bucket, no shift by -1
                                           BucketCase{5, 0, 1}),
                         [](const auto& info) {
                           return "n" + std::to_string(info.param.n) + "bits" +
                                  std::to_string(info.param.bits);
                         });

TEST(PairCache, HitsAreServedAndCollisionsRecompute) {
  CountingCache cache(10, 8);  // 16 buckets per row
  EXPECT_EQ(cache.lookup(3, 5), 3005);
  EXPECT_EQ(cache.lookup(3, 5), 3005);
  EXPECT_EQ(cache.computed, 1);
  EXPECT_EQ(cache.lookup(4, 5), 4005);  // another row
  EXPECT_EQ(cache.computed, 2);
  EXPECT_EQ(cache.lookup(3, 21), 3021);  // 21 and 5 share bucket 5 of row 3
  EXPECT_EQ(cache.lookup(3, 5), 3005);
  EXPECT_EQ(cache.computed, 4);
  EXPECT_EQ(cache.lookup(4, 5), 4005);
  EXPECT_EQ(cache.computed, 4);
}

TEST(PairCacheDeathTest, NegativeRowCountFails) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        CountingCache cache(-1, 8);
      },
      ::testing::ExitedWithCode(1), "Warning: \\(n<0\\) in file 'extArray' line 132");
}

TEST(PairCache, NegativeRowCountInAContinuedRunGivesAnEmptyCache) {
  shell.Sset("exitWarning", "0");
  ::testing::internal::CaptureStdout();
  CountingCache cache(-3, 8);
  ::testing::internal::GetCapturedStdout();
  shell.Sset("exitWarning", "1");
  EXPECT_EQ(cache.n(), 0);
  EXPECT_EQ(cache.size(), 0u);
}

}  // namespace
}  // namespace tesmo
