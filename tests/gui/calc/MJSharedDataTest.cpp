// The median-joining network of the real data sets: invariants at several epsilons, and the
// minimum spanning network of the first round against published reference figures.

#include "Median_joining.h"
#include "PhylipLite.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

struct SharedSet {
  const char* file;
  bool aminoAcids;
};

std::ostream& operator<<(std::ostream& os, const SharedSet& s) { return os << s.file; }

Trdf_DataSet Load(const SharedSet& set) {
  phylip_lite::Alignment a;
  std::string error;
  EXPECT_TRUE(phylip_lite::Read(testpaths::sharedData(std::string("mj/") + set.file).string(), a, error))
      << error;
  Trdf_DataSet d = phylip_lite::ToDataSet(a, set.aminoAcids);
  if (!set.aminoAcids) d.ReplaceAmbiguousStates(false, true);
  return d;
}

class MJSharedData : public ::testing::TestWithParam<std::tuple<SharedSet, int>> {};

}  // namespace

TEST_P(MJSharedData, NetworkInvariants) {
  const auto [set, epsilon] = GetParam();
  SKIP_WITHOUT_SHARED_DATA(std::string("mj/") + set.file);
  Trdf_DataSet d = Load(set);
  TMJOptions o;
  o.Epsilon = static_cast<uint8_t>(epsilon);
  o.AminoAcids = set.aminoAcids;
  ScriptedDialogsScope s;
  TMJCalculation calc(d, o);
  ASSERT_TRUE(calc.Calculate());
  EXPECT_TRUE(s.dialogs.texts().empty());
  const int n = d.TaxaCount();
  // Connected.
  std::vector<int> parent(static_cast<std::size_t>(n) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  const auto find = [&](int x) {
    while (parent[static_cast<std::size_t>(x)] != x) x = parent[static_cast<std::size_t>(x)];
    return x;
  };
  std::vector<int> degree(static_cast<std::size_t>(n) + 1, 0);
  for (const TMJLink& l : calc.Links()) {
    parent[static_cast<std::size_t>(find(l.a))] = find(l.b);
    ++degree[static_cast<std::size_t>(l.a)];
    ++degree[static_cast<std::size_t>(l.b)];
    // The listed mutations are the active characters where the two ends differ: their weights add
    // up to the link's distance, which counts every difference (the states are resolved).
    int differing = 0;
    for (int c = 1; c <= d.CharacterCount(); ++c)
      if (d.Character(c).Active && d.Taxon(l.a).States[static_cast<std::size_t>(c - 1)] !=
                                       d.Taxon(l.b).States[static_cast<std::size_t>(c - 1)])
        differing += d.Character(c).Weight;
    EXPECT_EQ(differing, calc.MJDistance(l.a, l.b));
    EXPECT_GT(differing, 0);
  }
  int root = 0;
  for (int p = 1; p <= n; ++p) {
    if (d.Taxon(p).Representative != 0) {
      EXPECT_EQ(degree[static_cast<std::size_t>(p)], 0) << "duplicate " << p << " is linked";
      continue;
    }
    // Every observed distinct sequence is a node, and all nodes hang together.
    EXPECT_GT(degree[static_cast<std::size_t>(p)], 0) << p;
    if (root == 0) root = find(p);
    EXPECT_EQ(find(p), root) << p;
    if (p > calc.InputSequenceCount()) {
      EXPECT_GE(degree[static_cast<std::size_t>(p)], 3) << d.Taxon(p).Name;
      EXPECT_EQ(d.Taxon(p).Name.substr(0, 2), "mv");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    RealData, MJSharedData,
    ::testing::Combine(::testing::Values(SharedSet{"woodmouse_cytb.phy", false},
                                         SharedSet{"dolphin_dloop.phy", false},
                                         SharedSet{"h1n1_na_usa.phy", false},
                                         SharedSet{"ringe_ie_binary.phy", false},
                                         SharedSet{"toy_dna_6x12.phy", false},
                                         SharedSet{"toy_binary_4x9.phy", false}),
                       ::testing::Values(0)));

// Larger epsilons on the sets whose networks stay small enough for a sanitizer build.
INSTANTIATE_TEST_SUITE_P(
    RealDataEpsilon, MJSharedData,
    ::testing::Combine(::testing::Values(SharedSet{"woodmouse_cytb.phy", false},
                                         SharedSet{"toy_dna_6x12.phy", false},
                                         SharedSet{"toy_binary_4x9.phy", false}),
                       ::testing::Values(10, 20)));

namespace {

struct SpanningReference {
  const char* file;
  const char* states;  // the columns kept: those holding only these states in every sequence
  int distinct;
  int links;
  int length;
};

std::ostream& operator<<(std::ostream& os, const SpanningReference& s) { return os << s.file; }

class MJSpanningNetwork : public ::testing::TestWithParam<SpanningReference> {};

}  // namespace

// At epsilon 0 the first round's feasible links among the input sequences are their minimum
// spanning network.
TEST_P(MJSpanningNetwork, FirstRoundLinksAreTheMinimumSpanningNetwork) {
  const SpanningReference ref = GetParam();
  SKIP_WITHOUT_SHARED_DATA(std::string("mj/") + ref.file);
  phylip_lite::Alignment a;
  std::string error;
  ASSERT_TRUE(phylip_lite::Read(testpaths::sharedData(std::string("mj/") + ref.file).string(), a, error));
  Trdf_DataSet d = phylip_lite::ToDataSet(a, false, phylip_lite::ColumnsWithOnly(a, ref.states));
  d.FindEquivalentTaxa();
  TMJCalculation calc(d, TMJOptions{});
  calc.StartRounds();
  calc.FindFeasibleLinks(2, calc.InputSequenceCount());
  int distinct = 0;
  for (const Trdf_Sequence& t : d.Taxa) distinct += t.Representative == 0;
  EXPECT_EQ(distinct, ref.distinct);
  EXPECT_EQ(static_cast<int>(calc.Links().size()), ref.links);
  int64_t length = 0;
  for (const TMJLink& l : calc.Links()) length += calc.MJDistance(l.a, l.b);
  EXPECT_EQ(length, ref.length * 10);  // weight 10 per character
}

INSTANTIATE_TEST_SUITE_P(RealData, MJSpanningNetwork,
                         ::testing::Values(SpanningReference{"woodmouse_cytb.phy", "ACGT", 15, 22, 147},
                                           SpanningReference{"dolphin_dloop.phy", "ACGT", 33, 41, 141},
                                           SpanningReference{"h1n1_na_usa.phy", "ACGT", 29, 34, 170},
                                           SpanningReference{"ringe_ie_binary.phy", "01", 24, 37, 480}));
