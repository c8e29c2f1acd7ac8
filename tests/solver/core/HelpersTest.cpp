#include "Heap.h"
#include "MarkerSet.h"
#include "Permutation.h"
#include "Sort.h"
#include "SortedList.h"
#include "UnionFind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

using tesmo::IntArray;

namespace {

IntArray oneBased(std::vector<int> values) {
  IntArray a(values.size() + 1, 0);
  std::copy(values.begin(), values.end(), a.begin() + 1);
  return a;
}

std::vector<int> entries(const IntArray& a, int n) { return std::vector<int>(a.begin() + 1, a.begin() + 1 + n); }

// --- indexed heap ---

TEST(IndexedHeapTest, EqualKeysComeOutFirstInsertedThenTheMovedLastItem) {
  IntArray keys(8, 0);
  tesmo::IndexedHeap heap(7, keys);
  for (int item : {3, 5, 7}) heap.heapInsert(item, 4);
  EXPECT_EQ(heap.heapExtractMin(), 3);
  EXPECT_EQ(heap.heapExtractMin(), 7);
  EXPECT_EQ(heap.heapExtractMin(), 5);
  EXPECT_EQ(heap.heapExtractMin(), -1);
  EXPECT_EQ(heap.size(), 0);
  EXPECT_EQ(heap.position(5), 0);
}

TEST(IndexedHeapTest, ANewItemStaysBelowEqualKeys) {
  IntArray keys(5, 0);
  tesmo::IndexedHeap heap(4, keys);
  heap.heapInsert(2, 1);
  heap.heapInsert(1, 1);
  EXPECT_EQ(heap.heapExtractMin(), 2);
  EXPECT_EQ(heap.heapExtractMin(), 1);
}

TEST(IndexedHeapTest, EmptyExtractChangesNothing) {
  IntArray keys(3, 0);
  tesmo::IndexedHeap heap(2, keys);
  EXPECT_EQ(heap.heapExtractMin(), -1);
  heap.heapInsert(2, 9);
  EXPECT_EQ(heap.heapKeyAt(1), 9);
  EXPECT_EQ(heap.heapExtractMin(), 2);
  EXPECT_EQ(heap.heapExtractMin(), -1);
}

TEST(IndexedHeapTest, ChangeKeyBothWaysAndToAnEqualKey) {
  IntArray keys(6, 0);
  tesmo::IndexedHeap heap(5, keys);
  for (int i = 1; i <= 5; ++i) heap.heapInsert(i, 10 * i);
  heap.heapChangeKey(1, 10);   // equal: sifts down, stays on top
  EXPECT_EQ(heap.heapItemAt(1), 1);
  heap.heapChangeKey(1, 45);   // larger: below 2, 3, 4
  heap.heapDecreaseKey(5, 5);  // smaller: new top
  EXPECT_EQ(keys[5], 5);
  std::vector<int> order;
  for (int item; (item = heap.heapExtractMin()) != -1;) order.push_back(item);
  EXPECT_EQ(order, (std::vector<int>{5, 2, 3, 4, 1}));
}

TEST(IndexedHeapTest, SortsLikeASortAcrossRandomOperations) {
  std::mt19937 rng(7);
  const int n = 500;
  IntArray keys(n + 1, 0);
  tesmo::IndexedHeap heap(n, keys);
  for (int round = 0; round < 20; ++round) {
    heap.clearHeap();
    std::vector<int> in(n + 1, 0);
    for (int i = 1; i <= n; ++i)
      if (rng() % 3) {
        heap.heapInsert(i, static_cast<int>(rng() % 50));
        in[i] = 1;
      }
    for (int i = 1; i <= n; ++i)
      if (in[i] && rng() % 4 == 0) heap.heapChangeKey(i, static_cast<int>(rng() % 50));
    std::vector<int> expected;
    for (int i = 1; i <= n; ++i)
      if (in[i]) expected.push_back(keys[i]);
    std::sort(expected.begin(), expected.end());
    std::vector<int> got;
    for (int item; (item = heap.heapExtractMin()) != -1;) got.push_back(keys[item]);
    EXPECT_EQ(got, expected);
  }
}

// The heap with key copies makes the same moves as the plain one: the same items in the same
// order, ties included, across inserts, decreases, changes both ways and extractions.
TEST(IndexedHeapTest, KeyCopiesMakeTheSameMoves) {
  std::mt19937 rng(11);
  const int n = 300;
  IntArray plainKeys(n + 1, 0), copiedKeys(n + 1, 0);
  tesmo::IndexedHeap plain(n, plainKeys);
  tesmo::CopiedKeyHeap copied(n, copiedKeys);
  std::vector<char> in(n + 1, 0);
  for (int step = 0; step < 20000; ++step) {
    const int item = 1 + static_cast<int>(rng() % n);
    const int key = static_cast<int>(rng() % 40);  // few values: many ties
    switch (rng() % 4) {
      case 0:
      case 1:
        if (in[item]) {
          plain.heapChangeKey(item, key);
          copied.heapChangeKey(item, key);
        } else {
          plain.heapInsert(item, key);
          copied.heapInsert(item, key);
          in[item] = 1;
        }
        break;
      case 2:
        if (in[item] && key < plainKeys[item]) {
          plain.heapDecreaseKey(item, key);
          copied.heapDecreaseKey(item, key);
        }
        break;
      default: {
        const int got = plain.heapExtractMin();
        ASSERT_EQ(copied.heapExtractMin(), got) << "step " << step;
        if (got > 0) in[got] = 0;
      }
    }
    ASSERT_EQ(copied.size(), plain.size());
    if (!plain.empty()) ASSERT_EQ(copied.heapItemAt(1), plain.heapItemAt(1)) << "step " << step;
  }
}

#ifdef TESMO_CHECKS
// A key written behind the back of the heap with key copies would order it by stale values,
// which check builds refuse.
TEST(IndexedHeapDeathTest, AKeyChangedOutsideTheCopyingHeapIsCaught) {
  IntArray keys(4, 0);
  tesmo::CopiedKeyHeap heap(3, keys);
  heap.heapInsert(1, 5);
  heap.heapInsert(2, 7);
  heap.heapInsert(3, 9);
  keys[2] = 1;
  EXPECT_DEATH(heap.heapExtractMin(), "the key of item 2 changed outside the heap");
}
#endif

// --- sorting ---

struct SortCase {
  std::vector<int> keys;
};
void PrintTo(const SortCase& c, std::ostream* os) { *os << c.keys.size() << " keys"; }

class SortWithIndex : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortWithIndex, SortsAndTracksWhereEachKeyCameFrom) {
  const std::vector<int>& original = GetParam().keys;
  const int n = static_cast<int>(original.size());
  IntArray keys = oneBased(original);
  IntArray index(n + 1, 0);
  tesmo::sortWithIndex(n, keys, index);
  std::vector<int> sorted = original;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(entries(keys, n), sorted);
  std::vector<int> seen(n + 1, 0);
  for (int k = 1; k <= n; ++k) {
    ASSERT_GE(index[k], 1);
    ASSERT_LE(index[k], n);
    EXPECT_EQ(original[index[k] - 1], keys[k]);
    ++seen[index[k]];
  }
  for (int k = 1; k <= n; ++k) EXPECT_EQ(seen[k], 1);
}

std::vector<int> randomKeys(int n, int range, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<int> v(n);
  for (int& x : v) x = static_cast<int>(rng() % range) - range / 2;
  return v;
}

INSTANTIATE_TEST_SUITE_P(Table, SortWithIndex,
                         ::testing::Values(SortCase{{}}, SortCase{{4}}, SortCase{{2, 1}},
                                           SortCase{{5, 1, 4}}, SortCase{{4, 3, 2, 1}},
                                           SortCase{{3, 3, 3, 3, 3, 3, 3}}, SortCase{{9, 1, 8, 2, 7, 3, 6, 4, 5}},
                                           SortCase{randomKeys(1000, 1000000, 1)},
                                           SortCase{randomKeys(1000, 3, 2)}));

TEST(SortTest, SmallExampleGivesItsIndex) {
  IntArray keys = oneBased({5, 1, 4});
  IntArray index(4, 0);
  tesmo::sortByKey(3, keys, index);
  EXPECT_EQ(entries(keys, 3), (std::vector<int>{1, 4, 5}));
  EXPECT_EQ(entries(index, 3), (std::vector<int>{2, 3, 1}));
}

struct UniteCase {
  std::vector<int> a, b, expected;
};
void PrintTo(const UniteCase& c, std::ostream* os) { *os << c.a.size() << "+" << c.b.size(); }

class UniteSortedLists : public ::testing::TestWithParam<UniteCase> {};

TEST_P(UniteSortedLists, GivesTheSortedUnionWithoutRepeats) {
  IntArray a = oneBased(GetParam().a);
  a[0] = static_cast<int>(GetParam().a.size());
  IntArray b = oneBased(GetParam().b);
  b[0] = static_cast<int>(GetParam().b.size());
  tesmo::uniteSortedLists(a, b);
  EXPECT_EQ(a[0], static_cast<int>(GetParam().expected.size()));
  EXPECT_EQ(entries(a, a[0]), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, UniteSortedLists,
                         ::testing::Values(UniteCase{{1, 3}, {3, 2, 2}, {1, 2, 3}},
                                           UniteCase{{}, {5, 1, 5}, {1, 5}},
                                           UniteCase{{2, 4}, {}, {2, 4}},
                                           UniteCase{{1, 2, 3}, {3, 2, 1}, {1, 2, 3}},
                                           UniteCase{{10}, {1, 20, 11, 1}, {1, 10, 11, 20}}));

// --- permutation and union-find ---

TEST(PermutationTest, IdentityFromOneAndReset) {
  tesmo::Permutation p(4);
  EXPECT_EQ(entries(p.a, 4), (std::vector<int>{1, 2, 3, 4}));
  p.a[2] = 4;
  p.resetPermutation();
  EXPECT_EQ(entries(p.a, 4), (std::vector<int>{1, 2, 3, 4}));
}

TEST(UnionFindTest, SizeEncodedRootsAndJoins) {
  IntArray arr(7, 0);  // six singletons
  EXPECT_EQ(tesmo::unionFindJoin(1, 2, true, arr), 1);
  EXPECT_EQ(arr[1], -1);  // first argument's root absorbs on a tie
  EXPECT_EQ(arr[2], 1);
  EXPECT_EQ(tesmo::unionFindJoin(2, 1, true, arr), 0);
  EXPECT_EQ(tesmo::unionFindJoin(3, 4, false, arr), 1);  // only asks
  EXPECT_EQ(arr[3], 0);
  EXPECT_EQ(tesmo::unionFindJoin(3, 2, true, arr), 1);  // the larger set absorbs
  EXPECT_EQ(arr[1], -2);
  EXPECT_EQ(arr[3], 1);
  EXPECT_EQ(tesmo::unionFindJoin(4, 5, true, arr), 1);
  EXPECT_EQ(tesmo::unionFindJoin(6, 4, true, arr), 1);  // 6 alone joins 4's pair
  EXPECT_EQ(arr[4], -2);
  EXPECT_EQ(arr[6], 4);
  EXPECT_EQ(tesmo::unionFindJoin(5, 3, true, arr), 1);  // equal sizes: 5's root (4) absorbs
  EXPECT_EQ(arr[4], -5);
  EXPECT_EQ(arr[1], 4);
  for (int v = 1; v <= 6; ++v) EXPECT_EQ(tesmo::unionFindJoin(v, 6, false, arr), 0);
}

TEST(UnionFindTest, PathsAreCompressed) {
  IntArray arr = oneBased({0, 1, 2, 3});  // the chain 4 -> 3 -> 2 -> 1
  arr[1] = -3;
  EXPECT_EQ(tesmo::unionFindJoin(4, 1, false, arr), 0);
  EXPECT_EQ(arr[4], 1);
  EXPECT_EQ(arr[3], 1);
}

// The class form: joinUnder keeps the named root whatever the sizes, and a reset to a smaller
// count after use leaves singletons, with the memory of the larger one kept.
TEST(UnionFindTest, ClassJoinsKeepsChosenRootsAndResets) {
  tesmo::UnionFind sets(6);
  EXPECT_TRUE(sets.join(1, 2));
  EXPECT_TRUE(sets.join(3, 2));  // the pair absorbs the singleton
  EXPECT_EQ(sets.find(3), 1);
  EXPECT_FALSE(sets.join(2, 3));
  EXPECT_TRUE(sets.joinUnder(5, 1));  // the singleton 5 stays the root of all four
  for (int v : {1, 2, 3, 5}) EXPECT_EQ(sets.find(v), 5);
  EXPECT_FALSE(sets.joinUnder(1, 5));
  EXPECT_FALSE(sets.same(4, 5));
  EXPECT_TRUE(sets.same(6, 6));
  sets.reset(4);
  for (int v = 1; v <= 4; ++v) EXPECT_EQ(sets.find(v), v);
  sets.reset(9);  // grows again
  EXPECT_TRUE(sets.join(9, 8));
  EXPECT_TRUE(sets.same(8, 9));
}

// Against a plain labelling on random joins: the same partition every step.
TEST(UnionFindTest, AgreesWithRelabellingOnRandomJoins) {
  std::mt19937 random(7);
  const int n = 40;
  tesmo::UnionFind sets(n);
  std::vector<int> label(n + 1);
  for (int v = 0; v <= n; ++v) label[v] = v;
  std::uniform_int_distribution<int> vertex(1, n);
  for (int step = 0; step < 200; ++step) {
    const int a = vertex(random);
    const int b = vertex(random);
    const bool apart = label[a] != label[b];
    const bool joined = step % 3 == 0 ? sets.joinUnder(a, b) : sets.join(a, b);
    ASSERT_EQ(joined, apart) << step;
    const int from = label[b];
    for (int v = 1; v <= n; ++v)
      if (label[v] == from) label[v] = label[a];
    for (int v = 1; v <= n; ++v) ASSERT_EQ(sets.same(v, a), label[v] == label[a]) << step;
  }
}

// --- marker set ---

TEST(MarkerSetTest, ClearForgetsEveryMarkAndGrowingKeepsThem) {
  tesmo::MarkerSet set(5);
  EXPECT_TRUE(set.insert(3));
  EXPECT_FALSE(set.insert(3));
  set.mark(5);
  set.resize(8);
  EXPECT_TRUE(set.marked(3));
  EXPECT_TRUE(set.marked(5));
  EXPECT_FALSE(set.marked(8));
  set.unmark(5);
  EXPECT_FALSE(set.marked(5));
  set.clear();
  for (int i = 0; i <= 8; ++i) EXPECT_FALSE(set.marked(i)) << i;
  EXPECT_EQ(set.capacity(), 8);
}

// A stamp that wraps around must not bring old marks back.
TEST(MarkerSetTest, StampWrapAroundLeavesNoStaleMarks) {
  tesmo::BasicMarkerSet<std::uint8_t> set(3);
  set.mark(1);
  for (int round = 0; round < 600; ++round) {
    set.clear();
    ASSERT_FALSE(set.marked(1)) << round;
    ASSERT_FALSE(set.marked(2)) << round;
    if (round % 2 == 0) set.mark(2);
  }
}

// --- sorted list ---

std::vector<int> walk(const tesmo::SortedList& l) {
  std::vector<int> order;
  for (int e = l.next[0]; e != 0; e = l.next[e]) order.push_back(e);
  std::vector<int> back;
  for (int e = l.prev[0]; e != 0; e = l.prev[e]) back.insert(back.begin(), e);
  EXPECT_EQ(order, back);
  return order;
}

TEST(SortedListTest, KeepsKeysAscendingWhileElementsMove) {
  tesmo::SortedList l(6);
  tesmo::moveInSortedList(l, 1, 50);
  tesmo::moveInSortedList(l, 2, 10);
  tesmo::moveInSortedList(l, 3, 30);
  tesmo::moveInSortedList(l, 4, 90);
  EXPECT_EQ(walk(l), (std::vector<int>{2, 3, 1, 4}));
  tesmo::moveInSortedList(l, 4, 5);   // last to first
  tesmo::moveInSortedList(l, 2, 60);  // inside
  tesmo::moveInSortedList(l, 3, 30);  // same key
  EXPECT_EQ(walk(l), (std::vector<int>{4, 3, 1, 2}));
  tesmo::moveInSortedList(l, 5, 30);  // equal key goes in front
  EXPECT_EQ(walk(l), (std::vector<int>{4, 5, 3, 1, 2}));
  std::mt19937 rng(3);
  for (int step = 0; step < 300; ++step) {
    tesmo::moveInSortedList(l, 1 + static_cast<int>(rng() % 6), 1 + static_cast<int>(rng() % 40));
    const std::vector<int> order = walk(l);
    for (std::size_t k = 1; k < order.size(); ++k) ASSERT_LE(l.key[order[k - 1]], l.key[order[k]]);
  }
  EXPECT_EQ(walk(l).size(), 6u);
}

}  // namespace
