// The haplotype tree of a simulated population: collection, medians, order, the spanning tree with
// its unit links, and the layout.
#include "SimulationTree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string> Sequences(const THaplotypeTree& tree) {
  std::vector<std::string> s;
  for (const THaplotype& h : tree.Haplotypes()) s.push_back(h.Sequence);
  return s;
}

void ExpectUnitTree(const THaplotypeTree& tree) {
  ASSERT_EQ(static_cast<int>(tree.Tree().size()), tree.Count() - 1);
  for (const HaplotypeLink& link : tree.Tree()) {
    EXPECT_EQ(HammingDistance(tree.Haplotype(link.First).Sequence,
                              tree.Haplotype(link.Second).Sequence), 1)
        << tree.Haplotype(link.First).Sequence << " " << tree.Haplotype(link.Second).Sequence;
    EXPECT_EQ(link.Distance, 1);
  }
}

}  // namespace

TEST(SimulationTree, CollectCountsWithTheRootFirst) {
  THaplotypeTree tree;
  tree.CollectHaplotypes({"010", "100", "010", "000", "010"}, 3);
  EXPECT_EQ(Sequences(tree), (std::vector<std::string>{"000", "010", "100"}));
  EXPECT_EQ(tree.Haplotype(1).Count, 1);
  EXPECT_EQ(tree.Haplotype(2).Count, 3);
  EXPECT_EQ(tree.LargestCount(), 3);
  tree.CollectHaplotypes({"11"}, 2);
  EXPECT_EQ(tree.Haplotype(1).Count, 0);  // no individual has the root
}

TEST(SimulationTree, SortByOnesThenLaterFirstOne) {
  THaplotypeTree tree;
  tree.CollectHaplotypes({"1100", "0100", "1000", "0011", "0001", "1010"}, 4);
  tree.SortHaplotypes();
  EXPECT_EQ(Sequences(tree),
            (std::vector<std::string>{"0000", "0001", "0100", "1000", "0011", "1100", "1010"}));
}

TEST(SimulationTree, MediansCloseTheCube) {
  THaplotypeTree tree;
  tree.CollectHaplotypes({"110", "101", "011"}, 3);
  tree.AddMedianHaplotypes();
  std::vector<std::string> all = Sequences(tree);
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (std::vector<std::string>{"000", "001", "010", "011", "100", "101", "110", "111"}));
}

TEST(SimulationTree, PairsAreStablySortedAndSetDepths) {
  THaplotypeTree tree;
  tree.CollectHaplotypes({"11", "10"}, 2);
  tree.ListHaplotypePairs();
  ASSERT_EQ(tree.Pairs().size(), 3u);
  const std::vector<std::pair<int, int>> order = {{1, 3}, {2, 3}, {1, 2}};
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(tree.Pairs()[i].First, order[i].first);
    EXPECT_EQ(tree.Pairs()[i].Second, order[i].second);
  }
  EXPECT_EQ(tree.Haplotype(2).Depth, 2);
  EXPECT_EQ(tree.Haplotype(3).Depth, 1);
}

TEST(SimulationTree, DistanceThreeGetsTwoIntermediates) {
  THaplotypeTree tree;
  ASSERT_TRUE(tree.Build({"000", "111", "111"}, 3, 480, 400));
  EXPECT_EQ(tree.Count(), 4);
  ExpectUnitTree(tree);
  int added = 0;
  for (const THaplotype& h : tree.Haplotypes()) added += h.Count == 0 ? 1 : 0;
  EXPECT_EQ(added, 2);
  EXPECT_EQ(tree.Haplotype(4).Sequence, "111");
  EXPECT_EQ(tree.Haplotype(4).Depth, 3);
}

TEST(SimulationTree, ThreeSingletonsMakeAStarAroundTheRoot) {
  THaplotypeTree tree;
  ASSERT_TRUE(tree.Build({"100", "010", "001"}, 3, 480, 400));
  ASSERT_EQ(tree.Count(), 4);
  for (const HaplotypeLink& link : tree.Tree())
    EXPECT_TRUE(link.First == 1 || link.Second == 1);
  EXPECT_EQ(tree.Haplotype(1).Count, 0);
  // Root centred; children share its span, placed at halves rounded to even.
  EXPECT_EQ(tree.Haplotype(1).X, 230);
  EXPECT_EQ(tree.Haplotype(1).Y, 30);
  EXPECT_EQ(Sequences(tree), (std::vector<std::string>{"000", "001", "010", "100"}));
  const int xs[] = {96, 230, 362};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(tree.Haplotype(k + 2).X, xs[k]);
    EXPECT_EQ(tree.Haplotype(k + 2).Y, 350);
    EXPECT_EQ(tree.Haplotype(k + 2).Parent, 1);
    EXPECT_EQ(tree.Haplotype(k + 2).Span, 133);
  }
}

TEST(SimulationTree, RootAloneIsPlaced) {
  THaplotypeTree tree;
  EXPECT_TRUE(tree.Build({"00", "00"}, 2, 480, 400));
  ASSERT_EQ(tree.Count(), 1);
  EXPECT_TRUE(tree.Tree().empty());
  EXPECT_EQ(tree.Haplotype(1).X, 230);
  EXPECT_EQ(tree.Haplotype(1).Count, 2);
}

TEST(SimulationTree, LargerPopulationGivesAUnitTree) {
  THaplotypeTree tree;
  tree.Build({"110000", "111000", "000110", "000111", "100000", "000001"}, 6, 480, 400);
  ExpectUnitTree(tree);
  for (const THaplotype& h : tree.Haplotypes()) EXPECT_NE(h.X, 0) << h.Sequence;
}

TEST(SimulationTree, RoundingHalvesToEven) {
  EXPECT_EQ(RoundEven(0.5), 0);
  EXPECT_EQ(RoundEven(1.5), 2);
  EXPECT_EQ(RoundEven(2.5), 2);
  EXPECT_EQ(RoundEven(-2.5), -2);
  EXPECT_EQ(RoundEven(2.6), 3);
}

// The spanning tree keeps its components disjoint: over random populations no pair is ever
// dropped as touching more than two components, and the tree joins every haplotype.
TEST(SimulationTree, ComponentsStayDisjointOverRandomPopulations) {
  unsigned state = 12345;
  const auto next = [&state] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7fff; };
  for (int round = 0; round < 40; ++round) {
    const std::size_t length = 4 + next() % 5;
    std::vector<std::string> population;
    for (int i = 0, n = 2 + static_cast<int>(next() % 12); i < n; ++i) {
      std::string s(length, '0');
      for (char& c : s) c = next() % 3 == 0 ? '1' : '0';
      population.push_back(s);
    }
    THaplotypeTree tree;
    EXPECT_TRUE(tree.Build(population, length, 600, 400)) << round;
    EXPECT_EQ(tree.DroppedLinks(), 0);
    ExpectUnitTree(tree);
    // Every haplotype is reached from the root over tree links.
    std::vector<int> seen(static_cast<std::size_t>(tree.Count()) + 1, 0);
    seen[1] = 1;
    for (bool grew = true; grew;) {
      grew = false;
      for (const HaplotypeLink& l : tree.Tree())
        if (seen[static_cast<std::size_t>(l.First)] != seen[static_cast<std::size_t>(l.Second)])
          seen[static_cast<std::size_t>(l.First)] = seen[static_cast<std::size_t>(l.Second)] = 1, grew = true;
    }
    EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), 1), tree.Count()) << round;
  }
}
