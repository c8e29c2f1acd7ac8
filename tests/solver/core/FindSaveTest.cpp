// The three FindSave forms: a drawn example, random forests against a brute-force bottleneck
// computation, rebuilding in place, and the cache sizes.

#include "Arc.h"
#include "FindSave.h"
#include "FindSaveMatrix.h"
#include "FindSaveTree.h"
#include "FindSaveTreeCached.h"
#include "Shell.h"
#include "UnionFind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace tesmo {
namespace {

std::vector<std::unique_ptr<FindSave>> allForms(int n) {
  std::vector<std::unique_ptr<FindSave>> forms;
  forms.push_back(std::make_unique<FindSaveMatrix>(n));
  forms.push_back(std::make_unique<FindSaveTree>(n));
  forms.push_back(std::make_unique<FindSaveTreeCached>(n, 10));
  forms.push_back(std::make_unique<FindSaveTreeCached>(n, 0));  // one bucket: constant eviction
  return forms;
}

// links[1..count]; element 0 unused.
std::vector<RegionLink> linkList(std::vector<RegionLink> links) {
  links.insert(links.begin(), RegionLink{});
  return links;
}

// Largest link on the path between every pair, by a search from each terminal over the forest
// of the links taken in list order (a link closing a cycle is left out).
std::vector<std::vector<int>> bruteForce(int n, const std::vector<RegionLink>& links) {
  tesmo::UnionFind sets(n);
  std::vector<std::vector<std::pair<int, int>>> adj(n + 1);
  for (std::size_t k = 1; k < links.size(); ++k) {
    const RegionLink& l = links[k];
    if (!sets.join(l.a, l.b)) continue;
    adj[l.a].push_back({l.b, l.length});
    adj[l.b].push_back({l.a, l.length});
  }
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(n + 1, maxint));
  for (int s = 1; s <= n; ++s) {
    std::vector<int> stack = {s};
    d[s][s] = 0;
    while (!stack.empty()) {
      const int x = stack.back();
      stack.pop_back();
      for (auto [y, len] : adj[x]) {
        if (d[s][y] != maxint || y == s) continue;
        d[s][y] = std::max(d[s][x], len);
        stack.push_back(y);
      }
    }
  }
  return d;
}

void expectAnswers(FindSave& f, int n, const std::vector<std::vector<int>>& expected) {
  for (int i = 0; i <= n + 1; ++i)
    for (int j = 0; j <= n + 1; ++j) {
      const bool inside = i >= 1 && i <= n && j >= 1 && j <= n;
      ASSERT_EQ(f.d(i, j, 0), inside ? expected[i][j] : maxint)
          << "kind " << f.kind() << ", d(" << i << ", " << j << ")";
    }
}

//   1 --3-- 2 --5-- 3
//           |
//           7            5 (alone)
//           |
//           4
TEST(FindSave, DrawnForestWithAnIsolatedTerminal) {
  const auto links = linkList({{1, 2, 3}, {2, 3, 5}, {2, 4, 7}});
  const int M = maxint;
  const std::vector<std::vector<int>> expected = {{},
                                                  {0, 0, 3, 5, 7, M},
                                                  {0, 3, 0, 5, 7, M},
                                                  {0, 5, 5, 0, 7, M},
                                                  {0, 7, 7, 7, 0, M},
                                                  {0, M, M, M, M, 0}};
  for (auto& f : allForms(5)) {
    f->build(3, links.data(), 5);
    expectAnswers(*f, 5, expected);
    expectAnswers(*f, 5, expected);  // second round from the cache
  }
}

TEST(FindSave, KindsNameTheForms) {
  EXPECT_EQ(FindSaveMatrix(3).kind(), 2);
  EXPECT_EQ(FindSaveTree(3).kind(), 3);
  EXPECT_EQ(FindSaveTreeCached(3, 10).kind(), 4);
}

enum class Order { ascending, shuffled, withCycles };

std::vector<RegionLink> randomLinks(std::mt19937& rng, int n, Order order) {
  // A random forest: each terminal but the first joins an earlier one, or starts a new tree.
  std::vector<int> label(n + 1);
  std::iota(label.begin(), label.end(), 0);
  std::shuffle(label.begin() + 1, label.end(), rng);
  std::vector<RegionLink> links;
  for (int v = 2; v <= n; ++v) {
    if (rng() % 6 == 0) continue;
    const int u = 1 + static_cast<int>(rng() % (v - 1));
    const int a = std::min(label[u], label[v]);
    const int b = std::max(label[u], label[v]);
    links.push_back({a, b, static_cast<int>(rng() % 12)});  // small lengths: many ties
  }
  if (order == Order::withCycles && n >= 2) {
    for (int k = 0; k < n / 2; ++k) {
      const int a = 1 + static_cast<int>(rng() % n);
      const int b = 1 + static_cast<int>(rng() % n);
      if (a != b) links.push_back({std::min(a, b), std::max(a, b), static_cast<int>(rng() % 12)});
    }
  }
  if (order == Order::ascending)
    std::stable_sort(links.begin(), links.end(),
                     [](const RegionLink& x, const RegionLink& y) { return x.length < y.length; });
  else
    std::shuffle(links.begin(), links.end(), rng);
  return linkList(links);
}

std::string orderName(Order order) {
  switch (order) {
    case Order::ascending: return "Ascending";
    case Order::shuffled: return "Shuffled";
    case Order::withCycles: return "WithCycles";
  }
  return "";
}

class FindSaveRandom : public ::testing::TestWithParam<Order> {};

TEST_P(FindSaveRandom, FormsAgreeWithBruteForce) {
  std::mt19937 rng(12345 + static_cast<int>(GetParam()));
  for (int round = 0; round < 60; ++round) {
    const int n = 1 + static_cast<int>(rng() % 40);
    const auto links = randomLinks(rng, n, GetParam());
    const int count = static_cast<int>(links.size()) - 1;
    const auto expected = bruteForce(n, links);
    for (auto& f : allForms(n)) {
      f->build(count, links.data(), n);
      expectAnswers(*f, n, expected);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, FindSaveRandom,
                         ::testing::Values(Order::ascending, Order::shuffled, Order::withCycles),
                         [](const auto& info) { return orderName(info.param); });

// One object per form is rebuilt for every new link list, growing with the terminal count; a
// cache must not answer from the previous forest.
TEST(FindSave, RebuildInPlaceForgetsTheOldForest) {
  std::mt19937 rng(99);
  auto forms = allForms(3);
  for (int round = 0; round < 40; ++round) {
    const int n = 2 + static_cast<int>(rng() % 30);
    const auto links = randomLinks(rng, n, Order::ascending);
    const auto expected = bruteForce(n, links);
    for (auto& f : forms) {
      f->build(static_cast<int>(links.size()) - 1, links.data(), n);
      EXPECT_EQ(f->n(), n);
      expectAnswers(*f, n, expected);
    }
  }
}

TEST(FindSave, TerminalCountZeroKeepsTheOldCount) {
  const auto first = linkList({{1, 2, 4}, {2, 3, 6}});
  const auto second = linkList({{1, 3, 2}});
  for (auto& f : allForms(3)) {
    f->build(2, first.data(), 3);
    EXPECT_EQ(f->d(1, 3, 0), 6);
    f->build(1, second.data(), 0);
    EXPECT_EQ(f->n(), 3);
    EXPECT_EQ(f->d(1, 3, 0), 2);
    EXPECT_EQ(f->d(1, 2, 0), maxint);
  }
}

TEST(FindSave, NoTerminalsAnswerInfinity) {
  for (auto& f : allForms(0)) {
    f->build(0, nullptr, 0);
    EXPECT_EQ(f->d(1, 1, 0), maxint);
    EXPECT_EQ(f->d(0, 0, 0), maxint);
  }
}

// A link naming no terminal 1..n is a caller's fault: it fails the check, and a run that goes on
// (exitWarning 0) gets the store without it instead of writes outside the arrays.
TEST(FindSaveDeathTest, LinkOutsideTheTerminalsFails) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  const auto links = linkList({{1, 4, 2}});
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        FindSaveTree f(3);
        f.build(1, links.data(), 3);
      },
      ::testing::ExitedWithCode(1), "Warning: \\(.*isTerminal.*\\) in file 'reduceGraph'");
}

TEST(FindSave, LinkOutsideTheTerminalsIsSkippedInAContinuedRun) {
  shell.Sset("exitWarning", "0");
  const auto links = linkList({{0, 2, 9}, {1, 2, 3}, {2, 7, 1}});
  ::testing::internal::CaptureStdout();
  for (auto& f : allForms(3)) {
    f->build(3, links.data(), 3);
    EXPECT_EQ(f->d(1, 2, 0), 3);
    EXPECT_EQ(f->d(2, 3, 0), maxint);
  }
  ::testing::internal::GetCapturedStdout();
  shell.Sset("exitWarning", "1");
}

struct CacheCase {
  int n;
  int hashBits;
  int bits;
};

class FindSaveCacheSize : public ::testing::TestWithParam<CacheCase> {};

TEST_P(FindSaveCacheSize, BucketsPerTerminal) {
  const CacheCase& c = GetParam();
  FindSaveTreeCached f(c.n, c.hashBits);
  EXPECT_EQ(f.bits(), c.bits);
  EXPECT_EQ(f.bucketsPerTerminal(), 1 << c.bits);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindSaveCacheSize,
                         ::testing::Values(CacheCase{600, 10, 10},  // 1024 buckets per terminal
                                           CacheCase{100, 10, 7},   // shrinks to 128
                                           CacheCase{512, 10, 10}, CacheCase{511, 10, 9},
                                           CacheCase{0, 10, 0}),
                         [](const auto& info) {
                           return "n" + std::to_string(info.param.n) + "bits" +
                                  std::to_string(info.param.hashBits);
                         });

TEST(FindSave, CacheGrowsWithTheTerminalCount) {
  FindSaveTreeCached f(10, 10);
  EXPECT_EQ(f.bucketsPerTerminal(), 16);
  f.build(0, nullptr, 600);
  EXPECT_EQ(f.bucketsPerTerminal(), 1024);
  EXPECT_EQ(f.d(600, 599, 0), maxint);
}

}  // namespace
}  // namespace tesmo
