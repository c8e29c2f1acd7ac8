#include "MJDistanceCache.h"

#include <gtest/gtest.h>

#include <random>

TEST(PackedPairIndex, OrdersPairsByTheLargerNumberThenTheSmaller) {
  EXPECT_EQ(PackedPairIndex(1, 2), 1);
  EXPECT_EQ(PackedPairIndex(1, 3), 2);
  EXPECT_EQ(PackedPairIndex(2, 3), 3);
  EXPECT_EQ(PackedPairIndex(1, 4), 4);
  EXPECT_EQ(PackedPairIndex(4, 1), 4);
  EXPECT_EQ(PackedPairIndex(29998, 29999), 449955001);
}

TEST(DistanceCache, AllocatesABlockWhenItsFirstIndexIsWritten) {
  TMJDistanceCache cache;
  ASSERT_TRUE(cache.Store(TMJDistanceCache::BlockSize, 7));
  EXPECT_EQ(cache.AllocatedBlocks(), 1);
  EXPECT_FALSE(cache.BlockAllocated(1));
  ASSERT_TRUE(cache.Store(TMJDistanceCache::BlockSize + 1, 8));
  EXPECT_TRUE(cache.BlockAllocated(1));
  EXPECT_EQ(cache.AllocatedBlocks(), 2);
  // Beyond the last block nothing is written.
  EXPECT_FALSE(cache.Store(TMJDistanceCache::BlockSize * TMJDistanceCache::MaxBlocks + 1, 1));
}

TEST(DistanceCache, BuildExtendAndRemoveKeepTheTriangleOfTheRemainingSequences) {
  std::mt19937 rng(7);
  std::vector<int> value(60 * 60);
  for (int& v : value) v = static_cast<int>(rng() % 1000);
  const auto d = [&](int i, int j) { return value[static_cast<std::size_t>(std::min(i, j) * 60 + std::max(i, j))]; };
  TMJDistanceCache cache;
  ASSERT_TRUE(cache.Build(40, d));
  ASSERT_TRUE(cache.InUse());
  ASSERT_TRUE(cache.Extend(40, 15, d));
  std::vector<int> numbers;  // original number of each remaining sequence
  for (int k = 1; k <= 55; ++k) numbers.push_back(k);
  cache.Remove({55, 3, 17, 41}, 55);
  std::erase_if(numbers, [](int k) { return k == 55 || k == 3 || k == 17 || k == 41; });
  for (std::size_t j = 1; j < numbers.size(); ++j)
    for (std::size_t i = 0; i < j; ++i)
      ASSERT_EQ(cache.Get(static_cast<int>(i + 1), static_cast<int>(j + 1)), d(numbers[i], numbers[j]));
  cache.Release();
  EXPECT_FALSE(cache.InUse());
  EXPECT_EQ(cache.AllocatedBlocks(), 0);
}

namespace {

std::vector<int32_t> States(const TMJLinkList& links) {
  std::vector<int32_t> s;
  for (const TMJLink& l : links) s.push_back(l.state);
  return s;
}

}  // namespace

TEST(Torso, TreeLosesEveryLink) {
  //   1 - 2 - 3
  //       |
  //       4 - 5
  TMJLinkList links{{1, 2, 1}, {2, 3, 1}, {2, 4, 1}, {4, 5, 1}};
  PrunePendantLinks(links);
  EXPECT_EQ(States(links), (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST(Torso, CycleKeepsItsLinksAndLosesItsBranches) {
  //  1 - 2 - 3 - 6
  //   \     /
  //    \-4-/ - 5
  TMJLinkList links{{1, 2, 1}, {2, 3, 1}, {3, 6, 1}, {1, 4, 1}, {3, 4, 1}, {4, 5, 1}};
  PrunePendantLinks(links);
  EXPECT_EQ(States(links), (std::vector<int32_t>{1, 1, 0, 1, 1, 0}));
}

TEST(Torso, BridgeBetweenTwoCyclesLabelsItsFarSide) {
  // Triangle 1-2-3, bridge 3-4, triangle 4-5-6, and a pendant link 6-7.
  TMJLinkList links{{1, 2, 1}, {2, 3, 1}, {1, 3, 1}, {3, 4, 1},
                    {4, 5, 1}, {5, 6, 1}, {4, 6, 1}, {6, 7, 1}};
  PrunePendantLinks(links);
  EXPECT_EQ(States(links), (std::vector<int32_t>{1, 1, 1, 100, 2, 2, 2, 0}));
}

TEST(Torso, OnlyTheFirstEightBridgesAreLabelled) {
  // A chain of ten triangles joined by nine bridges; triangle k uses vertices 3k+1..3k+3.
  TMJLinkList links;
  for (int k = 0; k < 10; ++k) {
    const int a = 3 * k + 1;
    links.push_back({a, a + 1, 1});
    links.push_back({a + 1, a + 2, 1});
    links.push_back({a, a + 2, 1});
    if (k < 9) links.push_back({a + 2, a + 3, 1});
  }
  PrunePendantLinks(links);
  int bridges = 0;
  for (std::size_t i = 0; i < links.size(); ++i)
    if (links[i].state == TorsoBridgeState) ++bridges;
  EXPECT_EQ(bridges, 8);
  // The ninth bridge keeps the label of the eighth bridge's far side; the last triangle too.
  EXPECT_EQ(links[4 * 8 + 3].state, 9);
  EXPECT_EQ(links.back().state, 9);
  // The first triangle keeps state 1; the second carries label 2 until its own bridge relabels
  // everything behind it.
  EXPECT_EQ(links[0].state, 1);
  EXPECT_EQ(links[4].state, 2);
}
