// The solution hash over a caller-owned store of 0-terminated lists: duplicates found with and
// without sorting, chains in a crowded table, stale entries, removal, and extreme values.

#include "SolutionHash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <vector>

namespace tesmo {
namespace {

// A store laid out as the hash expects: entry i is the 0-terminated list at store[starts[i]];
// starts[0] counts the entries.
struct ListStore {
  std::vector<int> store{0};
  std::vector<int> starts{0};

  int add(const std::vector<int>& list) {
    starts.push_back(static_cast<int>(store.size()));
    store.insert(store.end(), list.begin(), list.end());
    store.push_back(0);
    starts[0] = static_cast<int>(starts.size()) - 1;
    return starts[0];
  }
  std::vector<int> list(int i) const {
    std::vector<int> out;
    for (int k = starts[i]; store[k] != 0; ++k) out.push_back(store[k]);
    return out;
  }
};

TEST(SolutionHash, HashOfTheEmptyListIsOne) {
  const int empty[] = {0};
  EXPECT_EQ(SolutionHash::hashList(empty), 1u);
  const int one[] = {3, 0};
  EXPECT_EQ(SolutionHash::hashList(one), 1u + (3 + 1) * 3);
}

// Every list, also one whose sum wraps to INT_MIN exactly, gives a valid slot.
TEST(SolutionHash, ExtremeValuesHashToValidSlots) {
  const int wrapsToIntMin[] = {12, 1232533705, 0};
  EXPECT_EQ(SolutionHash::hashList(wrapsToIntMin), 2147483648u);
  const std::vector<std::vector<int>> lists = {{INT_MIN}, {INT_MAX}, {INT_MIN, INT_MAX},
                                               {INT_MAX, INT_MAX, INT_MAX}, {-1}, {-2, INT_MIN},
                                               {12, 1232533705}};
  for (const auto& l : lists) {
    ListStore s;
    const int i = s.add(l);
    SolutionHash hash(4, 0, s.store.data(), s.starts.data());
    const int slot = hash.slotOf(i);
    EXPECT_GE(slot, 0);
    EXPECT_LT(slot, hash.slotCount());
  }
}

struct SortCase {
  const char* name;
  int scratchLength;
  bool duplicate;
};

class SolutionHashSorting : public ::testing::TestWithParam<SortCase> {};

TEST_P(SolutionHashSorting, PermutedListsAreEqualOnlyWhenSorted) {
  ListStore s;
  const int a = s.add({3, 1, 2});
  const int b = s.add({1, 2, 3});
  SolutionHash hash(8, GetParam().scratchLength, s.store.data(), s.starts.data());
  EXPECT_NE(hash.checkAndInsert(a), 0);
  EXPECT_EQ(hash.checkAndInsert(b) == 0, GetParam().duplicate);
  if (GetParam().scratchLength != 0) EXPECT_EQ(s.list(a), (std::vector<int>{1, 2, 3}));
  else EXPECT_EQ(s.list(a), (std::vector<int>{3, 1, 2}));
}

INSTANTIATE_TEST_SUITE_P(Cases, SolutionHashSorting,
                         ::testing::Values(SortCase{"SortingOn", 3, true},
                                           SortCase{"SortingOff", 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// With 5 entries the table has 11 slots; the one-element lists {v} with v = 1 or 9 (mod 11) all
// land in the slot of {1}: 1 + (v + 1) v = 3 (mod 11).
TEST(SolutionHash, ChainsKeepEveryEntryWhenOneIsCheckedTwice) {
  ListStore s;
  const int a = s.add({1});
  const int b = s.add({9});
  const int c = s.add({12});
  const int copyOfC = s.add({12});
  const int d = s.add({20});
  SolutionHash hash(5, 0, s.store.data(), s.starts.data());
  ASSERT_EQ(hash.slotCount(), 11);
  for (int i : {b, c, copyOfC, d}) ASSERT_EQ(hash.slotOf(i), hash.slotOf(a));

  EXPECT_EQ(hash.checkAndInsert(a), 1);  // empty slot
  EXPECT_EQ(hash.checkAndInsert(b), 2);  // chained
  EXPECT_EQ(hash.checkAndInsert(c), 2);
  EXPECT_EQ(hash.checkAndInsert(a), 0);  // the same entry again: already present
  EXPECT_EQ(hash.checkAndInsert(b), 0);
  EXPECT_EQ(hash.checkAndInsert(copyOfC), 0);  // the chain behind a and b is still there
  EXPECT_EQ(hash.checkAndInsert(d), 2);
}

TEST(SolutionHash, PrefixListsDiffer) {
  ListStore s;
  const int a = s.add({4, 5});
  const int b = s.add({4, 5, 6});
  const int c = s.add({4});
  SolutionHash hash(3, 0, s.store.data(), s.starts.data());
  EXPECT_NE(hash.checkAndInsert(a), 0);
  EXPECT_NE(hash.checkAndInsert(b), 0);
  EXPECT_NE(hash.checkAndInsert(c), 0);
}

// Random lists with many duplicates and extreme values against a map of the sorted lists seen:
// sorted input hashed as it is, and shuffled input sorted by the hash.
TEST(SolutionHash, CheckAndInsertAgreesWithASetOfSortedLists) {
  std::mt19937 rng(17);
  const std::vector<int> values = {INT_MIN, -5, 1, 2, 3, 40, 1000, INT_MAX};
  const int count = 300;
  for (int scratchLength : {0, 4}) {
    ListStore s;
    std::vector<std::vector<int>> sorted;
    for (int i = 0; i < count; ++i) {
      std::vector<int> l(rng() % 5);
      for (int& v : l) v = values[rng() % values.size()];
      std::sort(l.begin(), l.end());
      sorted.push_back(l);
      if (scratchLength != 0) std::shuffle(l.begin(), l.end(), rng);
      s.add(l);
    }
    std::vector<int> store2 = s.store;  // checkAndInsert2 sees its own copy of the lists
    SolutionHash hash(count, scratchLength, s.store.data(), s.starts.data());
    SolutionHash hash2(count, scratchLength, store2.data(), s.starts.data());
    std::map<std::vector<int>, int> seen;
    for (int i = 1; i <= count; ++i) {
      const auto [it, isNew] = seen.emplace(sorted[i - 1], i);
      EXPECT_EQ(hash.checkAndInsert(i) != 0, isNew) << "entry " << i;
      EXPECT_EQ(hash2.checkAndInsert2(i), it->second) << "entry " << i;
      EXPECT_EQ(s.list(i), sorted[i - 1]) << "entry " << i;
    }
  }
}

TEST(SolutionHash, StaleChainHeadIsOverwritten) {
  ListStore s;
  const int a = s.add({2, 3});
  const int b = s.add({9});
  SolutionHash hash(4, 0, s.store.data(), s.starts.data());
  EXPECT_EQ(hash.checkAndInsert2(a), a);
  EXPECT_EQ(hash.checkAndInsert2(b), b);
  EXPECT_EQ(hash.checkAndInsert2(a), a);

  // The caller starts a new table in the same pool: entry 1 is now the list {9}.
  s.starts[a] = s.starts[b];
  s.starts[0] = 1;
  EXPECT_EQ(hash.checkAndInsert2(a), a);  // entry 2 heads {9}'s slot but is stale
  s.starts[0] = 2;
  EXPECT_EQ(hash.checkAndInsert2(b), a);  // {9} again: found as entry 1
}

TEST(SolutionHash, ChainWalkStopsAtAStaleLink) {
  ListStore s;
  const int a = s.add({1});
  const int b = s.add({5});   // another slot
  const int c = s.add({12});  // a's slot
  SolutionHash hash(5, 0, s.store.data(), s.starts.data());
  ASSERT_EQ(hash.slotOf(a), hash.slotOf(c));
  ASSERT_NE(hash.slotOf(a), hash.slotOf(b));
  for (int i : {a, b, c}) EXPECT_EQ(hash.checkAndInsert2(i), i);  // chain a -> c

  // A new table keeps entry 1 and writes {12} as its entry 2; old entry 3 is stale, so its equal
  // list must not be reported.
  s.starts[b] = s.starts[c];
  s.starts[0] = 2;
  EXPECT_EQ(hash.checkAndInsert2(b), b);
  s.starts[0] = 3;
  EXPECT_EQ(hash.checkAndInsert2(c), b);  // entry 3 now finds entry 2
}

TEST(SolutionHash, RemovedEntriesAreNotFound) {
  ListStore s;
  const int a = s.add({1, 2});
  const int b = s.add({3});
  const int c = s.add({1, 2});
  const int d = s.add({3});
  SolutionHash hash(4, 0, s.store.data(), s.starts.data());
  EXPECT_NE(hash.checkAndInsert(a), 0);
  EXPECT_NE(hash.checkAndInsert(b), 0);
  hash.removeFromHash(a);
  hash.removeFromHash(a);  // no longer stored: nothing happens
  EXPECT_NE(hash.checkAndInsert(c), 0);
  EXPECT_EQ(hash.checkAndInsert(d), 0);
  hash.clearSolutionHash();
  EXPECT_NE(hash.checkAndInsert(d), 0);
}

TEST(SolutionHash, RemovalInTheMiddleOfAChain) {
  ListStore s;
  const int a = s.add({1});
  const int b = s.add({9});
  const int c = s.add({12});
  const int copyOfC = s.add({12});
  SolutionHash hash(5, 0, s.store.data(), s.starts.data());
  for (int i : {a, b, c}) EXPECT_NE(hash.checkAndInsert(i), 0);
  hash.removeFromHash(b);
  EXPECT_EQ(hash.checkAndInsert(copyOfC), 0);
  EXPECT_NE(hash.checkAndInsert(b), 0);
}

// A pool that grows moves its lists; the hash follows with the new store and the same starts.
TEST(SolutionHash, StoreCanBeReplaced) {
  std::vector<int> starts = {1, 1, 4};
  std::vector<int> store = {0, 4, 4, 0};
  SolutionHash hash;
  hash.setUp(2, 0, store.data(), starts.data());
  EXPECT_NE(hash.checkAndInsert(1), 0);
  std::vector<int> grown = store;
  grown.insert(grown.end(), {4, 4, 0});
  store.assign(store.size(), -1);  // the old pool is gone
  starts[0] = 2;
  hash.setStore(grown.data());
  EXPECT_EQ(hash.checkAndInsert(2), 0);
}

}  // namespace
}  // namespace tesmo
