// The incremental rounds on the bit planes against the rounds as first written: the same .out on
// small sets of every kind; and the pieces they rest on (popcount kernels, row and key sets, the
// pair keys kept from round to round).

#include "MJBitDistance.h"
#include "MJKeySet.h"
#include "MJPairKeys.h"
#include "MJRowSet.h"
#include "MJPlaneCandidates.h"
#include "MJSpanningTree.h"
#include "MJTestSets.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "PhylipLite.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <random>
#include <set>
#include <tuple>

namespace {

// Sequences of a random genealogy: each copies an earlier one and changes one or two of a few
// sites, so that states recur (reticulation) and medians arise.
std::vector<std::string> Genealogy(unsigned seed, int count, int length, int variable,
                                   const std::string& alphabet) {
  std::mt19937 rng(seed);
  std::string root;
  for (int c = 0; c < length; ++c) root += alphabet[rng() % alphabet.size()];
  std::vector<std::string> seqs{root};
  std::set<std::string> seen{root};
  for (int attempt = 0; static_cast<int>(seqs.size()) < count && attempt < 100 * count; ++attempt) {
    std::string s = seqs[rng() % seqs.size()];
    for (unsigned m = 0; m <= rng() % 2; ++m) s[rng() % static_cast<unsigned>(variable)] = alphabet[rng() % alphabet.size()];
    if (seen.insert(s).second) seqs.push_back(s);
  }
  return seqs;
}

// Distinct random sequences: far from tree-like, so later medians make earlier ones obsolete and
// the rounds remove median vectors.
std::vector<std::string> RandomSequences(unsigned seed, int count, int length, const std::string& alphabet) {
  std::mt19937 rng(seed);
  std::vector<std::string> seqs;
  std::set<std::string> seen;
  while (static_cast<int>(seqs.size()) < count) {
    std::string s;
    for (int c = 0; c < length; ++c) s += alphabet[rng() % alphabet.size()];
    if (seen.insert(s).second) seqs.push_back(s);
  }
  return seqs;
}

struct PathCase {
  const char* name;
  std::function<Trdf_DataSet()> make;
  uint8_t epsilon;
  TMJCriterion criterion;
  bool square;
  bool rooting;
};

std::ostream& operator<<(std::ostream& os, const PathCase& c) { return os << c.name; }

struct RunResult {
  std::string out;
  int rounds = 0;
  int medians = 0;
  TMJCalculation::TKeptTreeCounts kept;
};

// How the feasibility test is answered once it goes by the spanning tree.
enum class TreeRounds { Kept, KeptAlways, Full };

RunResult Calculate(const PathCase& c, bool reference, bool portable, bool byTree = false,
                    TreeRounds tree = TreeRounds::Kept) {
  Trdf_DataSet d = c.make();
  TMJOptions o;
  o.Epsilon = c.epsilon;
  o.Criterion = c.criterion;
  o.MJSquare = c.square;
  o.ExternalRooting = c.rooting;
  o.AminoAcids = d.AmbiguousStates == TCharSet("X");
  ScriptedDialogsScope s;
  TMJCalculation calc(d, o);
  calc.UseReferenceRounds(reference);
  calc.UsePortablePopcount(portable);
  calc.UsePairsByTree(byTree);
  calc.UseFullTreeRounds(tree == TreeRounds::Full);
  calc.UseKeptTreeAlways(tree == TreeRounds::KeptAlways);
  RunResult r;
  if (!calc.Calculate()) return r;
  r.out = MJOutText(calc, "set.rdf");
  r.rounds = calc.Rounds();
  r.medians = calc.MedianVectorCount();
  r.kept = calc.KeptTreeCounts();
  return r;
}

Trdf_DataSet WithWeights(Trdf_DataSet d, const std::vector<int>& weights) {
  for (std::size_t c = 0; c < d.Characters.size(); ++c) {
    d.Characters[c].Weight = weights[c % weights.size()];
    d.Characters[c].Active = true;  // weight 0 stays active: it takes part in equality only
  }
  return d;
}

Trdf_DataSet WithInactive(Trdf_DataSet d, int every) {
  for (std::size_t c = 0; c < d.Characters.size(); c += static_cast<std::size_t>(every))
    d.Characters[c].Active = false;
  return d;
}

Trdf_DataSet WithRootAndDuplicates(Trdf_DataSet d) {
  d.Taxa.push_back(d.Taxa[3]);
  d.Taxa.back().Name = "dup";
  d.Taxa.push_back(d.Taxa[0]);
  d.Taxa.back().Name = "ROOT";
  d.Taxa.back().States[1] = d.Taxa.back().States[1] == 'A' ? 'C' : 'A';
  return d;
}

const std::vector<PathCase>& PathCases() {
  static const std::vector<PathCase> cases = {
      {"dna_eps0", [] { return MakeSet(Genealogy(1, 40, 30, 12, "ACGT")); }, 0,
       TMJCriterion::ConnectionCost, false, false},
      {"dna_eps10", [] { return MakeSet(Genealogy(2, 25, 30, 10, "ACGT")); }, 10,
       TMJCriterion::ConnectionCost, false, false},
      {"binary_eps10", [] { return MakeSet(Genealogy(3, 30, 40, 12, "01")); }, 10,
       TMJCriterion::ConnectionCost, false, false},
      {"greedy_fhp_eps10", [] { return MakeSet(Genealogy(4, 25, 30, 10, "ACGT")); }, 10,
       TMJCriterion::GreedyFHP, false, false},
      {"binary_fhp", [] { return MakeSet(Genealogy(5, 30, 40, 12, "01")); }, 10,
       TMJCriterion::GreedyFHP, false, false},
      {"square", [] { return MakeSet(Genealogy(6, 15, 20, 8, "ACGT")); }, 0,
       TMJCriterion::ConnectionCost, true, false},
      // Weights 0 (active), 10 and 30 in separate groups of the planes.
      {"weights_0_10_30", [] { return WithWeights(MakeSet(Genealogy(7, 30, 36, 18, "ACGT")), {10, 0, 30}); },
       10, TMJCriterion::ConnectionCost, false, false},
      {"inactive_columns", [] { return WithInactive(MakeSet(Genealogy(8, 30, 30, 15, "ACGT")), 3); },
       10, TMJCriterion::ConnectionCost, false, false},
      {"root_and_duplicates", [] { return WithRootAndDuplicates(MakeSet(Genealogy(9, 20, 24, 10, "ACGT"))); },
       10, TMJCriterion::ConnectionCost, false, true},
      // Amino acids with 'X', which matches every state in distances but is a state of its own in
      // medians and equality.
      {"amino_acids_with_x", [] { return MakeSet(Genealogy(10, 30, 30, 10, "ARNX"), 10, true); }, 0,
       TMJCriterion::ConnectionCost, false, false},
      // 300 columns: several words per plane.
      {"wide_rows", [] { return MakeSet(Genealogy(11, 40, 300, 100, "ACGT")); }, 10,
       TMJCriterion::ConnectionCost, false, false},
      // Weights of many sizes: the kept tree's links take more lengths than are answered by
      // pieces per length, so pairs go by the largest link on their tree path.
      {"many_link_lengths",
       [] {
         std::vector<int> weights;
         for (int w = 20; w < 100; ++w) weights.push_back(w);
         return WithWeights(MakeSet(Genealogy(12, 120, 80, 60, "ACGT")), weights);
       },
       10, TMJCriterion::ConnectionCost, false, false},
      // Median vectors removed again: tree leaves only, and inner vertices that cut it.
      {"random_binary_removals", [] { return MakeSet(RandomSequences(2, 10, 12, "01")); }, 0,
       TMJCriterion::ConnectionCost, false, false},
      {"random_binary_cuts", [] { return MakeSet(RandomSequences(10, 16, 24, "01")); }, 0,
       TMJCriterion::ConnectionCost, false, false},
  };
  return cases;
}

class MJRoundPaths : public ::testing::TestWithParam<PathCase> {};

}  // namespace

TEST_P(MJRoundPaths, IncrementalRoundsGiveTheSameOutFileAsTheReference) {
  const RunResult reference = Calculate(GetParam(), true, true);
  const RunResult planes = Calculate(GetParam(), false, false);
  ASSERT_FALSE(reference.out.empty());
  EXPECT_GT(reference.medians, 0) << "the set should make median vectors";
  EXPECT_EQ(planes.rounds, reference.rounds);
  EXPECT_EQ(planes.out, reference.out);
  // The portable popcount gives the same network as the processor's.
  EXPECT_EQ(Calculate(GetParam(), false, true).out, reference.out);
  // So does the feasibility test from the spanning tree (taken when the pairs are too many),
  // built anew every round, kept from round to round where the changes are few, and kept
  // through every change.
  EXPECT_EQ(Calculate(GetParam(), false, false, true, TreeRounds::Full).out, reference.out);
  EXPECT_EQ(Calculate(GetParam(), false, false, true).out, reference.out);
  const RunResult always = Calculate(GetParam(), false, false, true, TreeRounds::KeptAlways);
  EXPECT_EQ(always.out, reference.out);
  // The kept tree is built once; epsilon or the cap changing (the first round's cap, the clean-up
  // at epsilon 0 and its cap) only looks at the pairs on it again, except right after removals.
  EXPECT_LE(always.kept.built, 2);
}

// Over all sets, the kept tree followed every kind of change: appended median vectors, removed
// ones that were leaves of the tree, removed ones that cut it into pieces joined again, and a
// new epsilon or cap.
TEST(MJRoundPathsKeptTree, SetsAppendCutAndDropLeaves) {
  TMJCalculation::TKeptTreeCounts total;
  for (const PathCase& c : PathCases()) {
    const auto k = Calculate(c, false, false, true, TreeRounds::KeptAlways).kept;
    total.appended += k.appended;
    total.leaves += k.leaves;
    total.pieces += k.pieces;
    total.retested += k.retested;
  }
  EXPECT_GT(total.retested, 0);
  EXPECT_GT(total.appended, 0);
  EXPECT_GT(total.leaves, 0);
  EXPECT_GT(total.pieces, 0);
}

INSTANTIATE_TEST_SUITE_P(Sets, MJRoundPaths, ::testing::ValuesIn(PathCases()),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {
struct SharedPathCase {
  const char* file;
  bool aminoAcids;
  int epsilon;
};
std::ostream& operator<<(std::ostream& os, const SharedPathCase& c) { return os << c.file << " " << c.epsilon; }
class MJRoundPathsShared : public ::testing::TestWithParam<SharedPathCase> {};
}  // namespace

// The real sets whose reference runs stay fast in a sanitizer build.
TEST_P(MJRoundPathsShared, IncrementalRoundsGiveTheSameOutFileAsTheReference) {
  const SharedPathCase c = GetParam();
  SKIP_WITHOUT_SHARED_DATA(std::string("mj/") + c.file);
  const auto load = [&] {
    phylip_lite::Alignment a;
    std::string error;
    EXPECT_TRUE(phylip_lite::Read(testpaths::sharedData(std::string("mj/") + c.file).string(), a, error)) << error;
    Trdf_DataSet d = phylip_lite::ToDataSet(a, c.aminoAcids);
    if (!c.aminoAcids) d.ReplaceAmbiguousStates(false, true);
    return d;
  };
  const PathCase pc{c.file, load, static_cast<uint8_t>(c.epsilon), TMJCriterion::ConnectionCost, false, false};
  const RunResult reference = Calculate(pc, true, false);
  ASSERT_FALSE(reference.out.empty());
  EXPECT_EQ(Calculate(pc, false, false).out, reference.out);
  EXPECT_EQ(Calculate(pc, false, false, true, TreeRounds::Full).out, reference.out);
  EXPECT_EQ(Calculate(pc, false, false, true).out, reference.out);
  EXPECT_EQ(Calculate(pc, false, false, true, TreeRounds::KeptAlways).out, reference.out);
}

INSTANTIATE_TEST_SUITE_P(RealData, MJRoundPathsShared,
                         ::testing::Values(SharedPathCase{"woodmouse_cytb.phy", false, 0},
                                           SharedPathCase{"woodmouse_cytb.phy", false, 10},
                                           SharedPathCase{"h1n1_na_usa.phy", false, 10},
                                           SharedPathCase{"dolphin_dloop.phy", false, 0},
                                           SharedPathCase{"toy_dna_6x12.phy", false, 10},
                                           SharedPathCase{"ringe_ie_binary.phy", false, 0}));

// Distances, triple costs and plain differences agree between the kernels and with the data set's
// own weighted distance, over mixed weights and several words per plane.
TEST(BitPlanes, PortableAndHardwarePopcountAgreeWithTheDataSet) {
  for (const bool amino : {false, true}) {
    Trdf_DataSet d = WithWeights(MakeSet(Genealogy(21, 40, 200, 200, amino ? "ARNDX" : "ACGT"), 10, amino),
                                 {10, 20, 0, 10, 30});
    TMJBitSequences portable, hardware;
    portable.Prepare(d, {});
    portable.UseHardwarePopcount(false);
    hardware.Prepare(d, {});
    hardware.UseHardwarePopcount(true);
    EXPECT_FALSE(portable.UsesHardwarePopcount());
    EXPECT_EQ(hardware.UsesHardwarePopcount(), TMJBitSequences::HardwarePopcountAvailable());
    const int n = d.TaxaCount();
    for (int a = 1; a <= n; ++a)
      for (int b = 1; b <= n; ++b) {
        const int expected = a == b ? 0 : d.WeightedDistance(std::min(a, b), std::max(a, b), false);
        ASSERT_EQ(portable.Distance(a, b), expected) << a << " " << b;
        ASSERT_EQ(hardware.Distance(a, b), expected) << a << " " << b;
        const int c = (a * 7 + b) % n + 1;
        ASSERT_EQ(portable.TripleCost(portable.Row(a), portable.Row(b), portable.Row(c)),
                  hardware.TripleCost(hardware.Row(a), hardware.Row(b), hardware.Row(c)));
        ASSERT_EQ(portable.PlainDifference(portable.Row(a), portable.Row(b)),
                  hardware.PlainDifference(hardware.Row(a), hardware.Row(b)));
        // The cost comes with the two sides to z (the 'X' mask matching everything there) and
        // the triple's shape in one pass; the shape tells exactly which candidates equal a, b
        // or c, as their rows do.
        for (const TMJBitSequences* codes : {&portable, &hardware}) {
          int xz = -1, yz = -1;
          unsigned shape = 0;
          ASSERT_EQ(codes->TripleCostAndSides(codes->Row(a), codes->Row(b), codes->Row(c), xz, yz, shape),
                    codes->TripleCost(codes->Row(a), codes->Row(b), codes->Row(c)));
          ASSERT_EQ(xz, codes->Distance(a, c));
          ASSERT_EQ(yz, codes->Distance(b, c));
          std::vector<uint64_t> buffer;
          const int candidates = shape & TMJBitSequences::AllDiffer ? 3 : 1;
          for (int k = 0; k < candidates; ++k) {
            const uint64_t* row = TMJPlaneCandidates::BuildRow(*codes, a, b, c, k, buffer);
            const unsigned corners = TMJPlaneCandidates::CandidateCorners(shape, k);
            const int ends[3] = {a, b, c};
            for (int e = 0; e < 3; ++e)
              ASSERT_EQ(TMJPlaneCandidates::SameKey(*codes, row, codes->Row(ends[e])),
                        ((corners >> e) & 1) != 0)
                  << a << " " << b << " " << c << " candidate " << k << " end " << e;
          }
        }
      }
  }
}

// The distances of one sequence to a run of rows and of a list of pairs are the single
// distances, with either popcount: for plain rows, with the 'X' mask, with sequences whose
// ambiguity codes go through the data set, and after positions were erased and appended.
TEST(BitPlanes, RowAndPairDistancesAreTheSingleDistances) {
  struct Case {
    const char* name;
    Trdf_DataSet set;
  };
  std::vector<std::string> ambiguous = Genealogy(31, 30, 90, 90, "ACGT");
  ambiguous[3][5] = 'R';
  ambiguous[17][40] = 'N';
  std::vector<Case> cases;
  cases.push_back({"plain", WithWeights(MakeSet(Genealogy(32, 40, 150, 150, "ACGT")), {10, 0, 30})});
  cases.push_back({"mask X", MakeSet(Genealogy(33, 40, 120, 120, "ARNDX"), 10, true)});
  cases.push_back({"slow rows", MakeSet(ambiguous)});
  for (Case& c : cases) {
    for (const bool hardware : {false, true}) {
      TMJBitSequences codes;
      codes.Prepare(c.set, {});
      codes.UseHardwarePopcount(hardware);
      const auto check = [&](const char* stage) {
        const int n = codes.Count();
        std::vector<int> row(static_cast<std::size_t>(n));
        std::vector<std::pair<int, int>> pairs;
        for (int a = 1; a <= n; ++a) {
          codes.Distances(a, 1, n, row.data());
          for (int b = 1; b <= n; ++b) {
            ASSERT_EQ(row[static_cast<std::size_t>(b - 1)], codes.Distance(a, b)) << c.name << " " << stage << " " << a << " " << b;
            if ((a * 5 + b) % 3 == 0) pairs.emplace_back(a, b);
          }
          // A run that starts past the sequence itself.
          if (a + 2 <= n) {
            codes.Distances(a, a + 2, n, row.data());
            ASSERT_EQ(row[0], codes.Distance(a, a + 2)) << c.name << " " << stage;
          }
        }
        std::vector<int> out(pairs.size(), -1);
        codes.PairDistances(&pairs[0].first, 2, pairs.size(), out.data());
        for (std::size_t k = 0; k < pairs.size(); ++k)
          ASSERT_EQ(out[k], codes.Distance(pairs[k].first, pairs[k].second)) << c.name << " " << stage;
      };
      check("prepared");
      codes.Erase({2, 7, 8, 20});
      check("erased");
      codes.Append(c.set.Taxon(2).States);
      codes.Append(c.set.Taxon(8).States);
      check("appended");
    }
  }
}

// Equal planes and hashes exactly when the states agree on the active characters (weight 0
// included, inactive ones not).
TEST(BitPlanes, RowsAreEqualExactlyWhenTheActiveStatesAre) {
  Trdf_DataSet d = MakeSet({"AAAA", "AAAC", "CAAA", "AACA", "AAAA"});
  d.Characters[0].Active = false;
  d.Characters[2].Weight = 0;
  TMJBitSequences codes;
  codes.Prepare(d, {});
  const auto same = [&](int a, int b) {
    return std::equal(codes.Row(a), codes.Row(a) + codes.KeyWords(), codes.Row(b));
  };
  EXPECT_TRUE(same(1, 3));  // differ on the inactive character only
  EXPECT_EQ(codes.Hash(1), codes.Hash(3));
  EXPECT_FALSE(same(1, 4));  // differ on the active character of weight 0
  EXPECT_EQ(codes.Distance(1, 4), 0);
  EXPECT_FALSE(same(1, 2));
  EXPECT_TRUE(same(1, 5));
}

TEST(RowSet, RowsSharingAHashStayApart) {
  TMJRowSet set;
  const std::vector<int> rows = {10, 20, 30};
  set.Insert(42, 0);
  set.Insert(42, 1);
  const auto find = [&](uint64_t hash, int row) {
    return set.Find(hash, [&](int32_t id) { return rows[static_cast<std::size_t>(id)] == row; });
  };
  EXPECT_EQ(find(42, 10), 0);
  EXPECT_EQ(find(42, 20), 1);
  EXPECT_EQ(find(42, 30), -1);
  EXPECT_EQ(find(7, 10), -1);
  set.Clear();
  EXPECT_EQ(find(42, 10), -1);
  // Growing keeps every entry.
  for (int k = 0; k < 5000; ++k) set.Insert(static_cast<uint64_t>(k) * 0x9E3779B97F4A7C15ull, k);
  for (int k = 0; k < 5000; ++k)
    ASSERT_EQ(set.Find(static_cast<uint64_t>(k) * 0x9E3779B97F4A7C15ull, [&](int32_t id) { return id == k; }), k);
}

TEST(KeySet, InsertsOnceGrowsAndClears) {
  TMJKeySet set;
  EXPECT_FALSE(set.Contains(5));
  for (uint64_t k = 0; k < 3000; ++k) ASSERT_TRUE(set.Insert(k << 20));
  for (uint64_t k = 0; k < 3000; ++k) {
    ASSERT_TRUE(set.Contains(k << 20));
    ASSERT_FALSE(set.Insert(k << 20));
  }
  EXPECT_FALSE(set.Contains(1));
  set.Clear();
  EXPECT_FALSE(set.Contains(0));
  EXPECT_TRUE(set.Insert(0));
}

// After removals and appends the kept keys are those a fresh scan of the sequences left gives.
TEST(PairKeys, RemoveAndAppendMatchAFreshBuild) {
  std::mt19937 rng(3);
  // Points on a line: distance |x_i - x_j|; positions numbered as in the calculation.
  std::vector<int> x = {0};  // unused position 0
  std::vector<uint8_t> flags = {0};
  for (int p = 1; p <= 60; ++p) {
    x.push_back(static_cast<int>(rng() % 200));
    flags.push_back(static_cast<uint8_t>(1 + rng() % 3));
  }
  const auto distance = [&](int i, int j) { return std::abs(x[static_cast<std::size_t>(i)] - x[static_cast<std::size_t>(j)]); };
  TMJPairKeys kept;
  kept.Build(60, flags, 50, distance, [] {});
  const std::vector<int> removed = {1, 7, 30, 60};
  kept.Remove(removed);
  for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
    x.erase(x.begin() + *it);
    flags.erase(flags.begin() + *it);
  }
  std::vector<uint8_t> added;
  for (int k = 0; k < 15; ++k) {
    x.push_back(static_cast<int>(rng() % 200));
    added.push_back(static_cast<uint8_t>(1 + rng() % 3));
  }
  flags.insert(flags.end(), added.begin(), added.end());
  kept.Append(added, distance);
  TMJPairKeys fresh;
  const int n = static_cast<int>(x.size()) - 1;
  fresh.Build(n, flags, 50, distance, [] {});
  EXPECT_EQ(kept.Count(), n);
  EXPECT_EQ(kept.Flags(), fresh.Flags());
  EXPECT_EQ(kept.Keys(), fresh.Keys());
  EXPECT_TRUE(std::is_sorted(kept.Keys().begin(), kept.Keys().end()));
}

namespace {
// Largest link of the best path between every two points (the minimax distance), from the
// complete graph: what every minimum spanning tree's paths must give.
std::vector<std::vector<int>> Minimax(const std::vector<std::vector<int>>& d,
                                      const std::vector<uint8_t>& on) {
  const std::size_t n = d.size();
  std::vector<std::vector<int>> m(n, std::vector<int>(n, INT_MAX));
  for (std::size_t i = 1; i < n; ++i)
    for (std::size_t j = 1; j < n; ++j)
      if (on[i] && on[j]) m[i][j] = i == j ? 0 : d[i][j];
  for (std::size_t k = 1; k < n; ++k)
    if (on[k])
      for (std::size_t i = 1; i < n; ++i)
        for (std::size_t j = 1; j < n; ++j)
          if (on[i] && on[j]) m[i][j] = std::min(m[i][j], std::max(m[i][k], m[k][j]));
  return m;
}

void ExpectPathsAreMinimax(TMJSpanningTree& tree, const std::vector<std::vector<int>>& d,
                           const std::vector<uint8_t>& on, const char* stage) {
  const auto m = Minimax(d, on);
  tree.PrepareQueries();
  std::vector<int> widest;
  int links = 0;
  for (const auto& e : tree.Edges()) {
    ASSERT_EQ(e.w, d[static_cast<std::size_t>(e.a)][static_cast<std::size_t>(e.b)]) << stage;
    ++links;
  }
  EXPECT_EQ(links, std::count(on.begin() + 1, on.end(), uint8_t{1}) - 1) << stage;
  // The pieces per link length answer "is the path's largest link below t" the same way.
  const bool levels = tree.PrepareLevels(64);
  EXPECT_TRUE(levels) << stage;
  for (int i = 1; i <= tree.Count(); ++i) {
    if (!on[static_cast<std::size_t>(i)]) continue;
    tree.Widest(i, widest);
    for (int j = 1; levels && j <= tree.Count(); ++j) {
      if (!on[static_cast<std::size_t>(j)] || j == i) continue;
      const int want = m[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      for (const int t : {want - 1, want, want + 1, 0, 1000})
        ASSERT_EQ(tree.Below(i, j, t), want < t) << stage << " " << i << " " << j << " t " << t;
    }
    for (int j = 1; j <= tree.Count(); ++j) {
      if (!on[static_cast<std::size_t>(j)] || j == i) continue;
      const int want = m[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      ASSERT_EQ(widest[static_cast<std::size_t>(j)], want) << stage << " " << i << " " << j;
      ASSERT_EQ(tree.Largest(i, j), want) << stage << " " << i << " " << j;
    }
  }
}
}  // namespace

// Sequences appended one by one keep the tree minimal: its paths' largest links are the minimax
// distances of the complete graph (many equal lengths, so ties are everywhere). Removing leaves
// keeps one piece with the same paths; removing inner vertices leaves pieces.
TEST(SpanningTree, AppendedVerticesKeepPathsMinimaxAndRemovalsCutPieces) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    std::mt19937 rng(seed);
    const int n = 40;
    // Points of a small grid with city-block distances: lengths repeat often.
    std::vector<std::pair<int, int>> at(static_cast<std::size_t>(n) + 1);
    for (int p = 1; p <= n; ++p) at[static_cast<std::size_t>(p)] = {static_cast<int>(rng() % 6), static_cast<int>(rng() % 6)};
    const auto distanceOf = [&](const std::vector<std::pair<int, int>>& pts) {
      std::vector<std::vector<int>> d(pts.size(), std::vector<int>(pts.size(), 0));
      for (std::size_t i = 1; i < pts.size(); ++i)
        for (std::size_t j = 1; j < pts.size(); ++j)
          d[i][j] = 10 * (std::abs(pts[i].first - pts[j].first) + std::abs(pts[i].second - pts[j].second)) + 1;
      return d;
    };
    const auto d = distanceOf(at);
    TMJSpanningTree tree;
    tree.Set(1, {0, 1}, {});
    for (int u = 2; u <= n; ++u)
      tree.Append([&](int a, int b) { return d[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)]; });
    ASSERT_EQ(tree.Count(), n);
    std::vector<uint8_t> on(static_cast<std::size_t>(n) + 1, 1);
    on[0] = 0;
    ExpectPathsAreMinimax(tree, d, on, "appended");
    // More different link lengths than asked for: refused (the caller walks the tree instead).
    EXPECT_FALSE(tree.PrepareLevels(2));

    // Leaves go: one piece, and its paths stay minimax over the rest.
    std::vector<int> degree(static_cast<std::size_t>(n) + 1, 0);
    for (const auto& e : tree.Edges()) {
      ++degree[static_cast<std::size_t>(e.a)];
      ++degree[static_cast<std::size_t>(e.b)];
    }
    std::vector<int> leaves, inner;
    for (int p = 1; p <= n; ++p) (degree[static_cast<std::size_t>(p)] == 1 ? leaves : inner).push_back(p);
    ASSERT_GE(leaves.size(), 2u);
    const std::vector<int> removed = {leaves[0], leaves[1]};
    tree.Remove(removed);
    std::vector<std::pair<int, int>> rest;
    rest.push_back({0, 0});
    for (int p = 1; p <= n; ++p)
      if (p != removed[0] && p != removed[1]) rest.push_back(at[static_cast<std::size_t>(p)]);
    std::vector<int> piece;
    EXPECT_EQ(tree.Pieces(piece), 1);
    std::vector<uint8_t> onRest(rest.size(), 1);
    onRest[0] = 0;
    ExpectPathsAreMinimax(tree, distanceOf(rest), onRest, "leaves removed");

    // An inner vertex of degree k leaves k pieces.
    std::vector<int> deg(static_cast<std::size_t>(tree.Count()) + 1, 0);
    for (const auto& e : tree.Edges()) {
      ++deg[static_cast<std::size_t>(e.a)];
      ++deg[static_cast<std::size_t>(e.b)];
    }
    const auto v = static_cast<int>(std::max_element(deg.begin(), deg.end()) - deg.begin());
    ASSERT_GE(deg[static_cast<std::size_t>(v)], 2);
    tree.Remove({v});
    EXPECT_EQ(tree.Pieces(piece), deg[static_cast<std::size_t>(v)]);
    EXPECT_EQ(tree.Edges().size(), static_cast<std::size_t>(tree.Count() - deg[static_cast<std::size_t>(v)]));
  }
}

// A sequence is taken in on the tree of the pieces of the shortest links unless it lies nearer
// to some sequence than the shortest link (then the whole tree is walked). Both ways, and any mix,
// keep every path minimax after each append: points on a line first spread out (long links),
// then filled in between (nearer than the shortest link so far), then clustered (many equal
// shortest links joining pieces), with removals between appends.
TEST(SpanningTree, AppendsByPiecesAndByWalkKeepPathsMinimax) {
  struct Layout {
    const char* name;
    std::vector<int> points;  // positions on a line; distance 10 per unit
  };
  const std::vector<Layout> layouts = {
      {"spread then filled", {0, 8, 16, 24, 4, 12, 20, 2, 6, 10, 14, 18, 22, 1, 3, 5, 7, 9}},
      {"clusters joined", {0, 1, 2, 10, 11, 12, 20, 21, 5, 15, 6, 16, 3, 13, 4, 14}},
      {"equal points", {0, 0, 3, 3, 6, 1, 2, 4, 5, 6, 0}},
  };
  for (const Layout& l : layouts) {
    std::vector<int> at{0};  // the points of positions 1..Count()
    const auto distances = [&] {
      std::vector<std::vector<int>> d(at.size(), std::vector<int>(at.size(), 0));
      for (std::size_t i = 1; i < at.size(); ++i)
        for (std::size_t j = 1; j < at.size(); ++j) d[i][j] = 10 * std::abs(at[i] - at[j]);
      return d;
    };
    TMJSpanningTree tree;
    at.push_back(l.points[0]);
    tree.Set(1, {0, 1}, {});
    for (std::size_t k = 1; k < l.points.size(); ++k) {
      at.push_back(l.points[k]);
      const auto d = distances();
      tree.Append([&](int a, int b) { return d[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)]; });
      std::vector<uint8_t> on(at.size(), 1);
      on[0] = 0;
      ExpectPathsAreMinimax(tree, d, on, l.name);
      ASSERT_EQ(tree.Edges().size(), at.size() - 2) << l.name;
      // Halfway a leaf goes: the appends after it start from the tree as it is left.
      if (k == l.points.size() / 2) {
        std::vector<int> degree(at.size(), 0);
        for (const auto& e : tree.Edges()) {
          ++degree[static_cast<std::size_t>(e.a)];
          ++degree[static_cast<std::size_t>(e.b)];
        }
        const auto leaf = static_cast<int>(std::find(degree.begin() + 1, degree.end(), 1) - degree.begin());
        ASSERT_LT(static_cast<std::size_t>(leaf), at.size());
        tree.Remove({leaf});
        at.erase(at.begin() + leaf);
        std::vector<int> piece;
        ASSERT_EQ(tree.Pieces(piece), 1) << l.name;
      }
    }
  }
}

namespace {
std::vector<std::tuple<int, int, int, int, int>> CandidateList(const TMJPlaneCandidates& p) {
  std::vector<std::tuple<int, int, int, int, int>> out;
  for (const TMJPlaneCandidate& c : p.Candidates()) out.emplace_back(c.X, c.Y, c.Z, c.k, c.cost);
  return out;
}
}  // namespace

// The candidate search that remembers idle sequences from run to run gives what a fresh search
// gives: over rounds with the same links in which median vectors are appended (more and more
// triples find their candidates existing, so more sequences are passed over), and after
// sequences were removed (ForgetIdle), when candidates that existed are missing again.
// The search asks the kept triples only for triples with a new candidate; that rests on a
// triple's candidates not depending on the order of Y and Z (which share one key), and on the
// one candidate of a triple whose sides add up being the sequence in the middle.
TEST(PlaneCandidates, CandidatesOfATripleDoNotDependOnTheOrderOfYAndZ) {
  for (const char* alphabet : {"01", "ACGT", "ACGT-"}) {
    const Trdf_DataSet d = MakeSet(Genealogy(41, 30, 90, 70, alphabet));
    TMJBitSequences codes;
    codes.Prepare(d, {});
    ASSERT_FALSE(codes.AnySlow()) << alphabet;  // the sides are plain distances
    const int n = d.TaxaCount();
    const std::size_t words = codes.KeyWords();
    std::vector<uint64_t> buffer;
    const auto candidates = [&](int x, int y, int z) {
      std::vector<std::vector<uint64_t>> rows;
      for (int k = 0; k < 3; ++k) {
        const uint64_t* row = TMJPlaneCandidates::BuildRow(codes, x, y, z, k, buffer);
        rows.emplace_back(row, row + words);
      }
      std::sort(rows.begin() + 1, rows.end());
      return rows;
    };
    int middles = 0;
    for (int x = 1; x <= n; ++x)
      for (int y = 1; y <= n; y += 3)
        for (int z = y + 1; z <= n; z += 2) {
          const auto yz = candidates(x, y, z);
          ASSERT_EQ(yz, candidates(x, z, y)) << alphabet << " " << x << " " << y << " " << z;
          const int dxy = codes.Distance(x, y), dxz = codes.Distance(x, z), dyz = codes.Distance(y, z);
          for (const auto& [sum, side, middle] :
               {std::tuple{dxy + dxz, dyz, x}, {dxy + dyz, dxz, y}, {dxz + dyz, dxy, z}}) {
            if (sum != side) continue;
            ++middles;
            ASSERT_TRUE(std::equal(yz[0].begin(), yz[0].end(), codes.Row(middle)))
                << alphabet << " " << x << " " << y << " " << z;
          }
        }
    EXPECT_GT(middles, 0);
  }
}

TEST(PlaneCandidates, RememberedIdleSequencesGiveWhatAFreshSearchGives) {
  for (const bool binary : {false, true}) {
    Trdf_DataSet d = MakeSet(Genealogy(binary ? 31 : 32, 30, 30, 10, binary ? "01" : "ACGT"));
    const int n0 = d.TaxaCount();
    TMJBitSequences codes;
    codes.Prepare(d, {});
    TMJLinkList links;
    for (int j = 2; j <= n0; ++j)
      for (int i = 1; i < j; ++i)
        if (codes.Distance(i, j) <= 20) links.push_back({i, j, 1});
    const TMJCandidateSettings settings{10, 10, binary, TMJCriterion::ConnectionCost};
    std::vector<uint8_t> characterActive(d.Characters.size(), 1);
    TMJPlaneCandidates kept;
    const auto compare = [&](int upTo, const char* stage) {
      TMJRowSet existing;
      for (int p = 1; p <= upTo; ++p) existing.Insert(codes.Hash(p), p);
      TMJRunningBest runKept = TMJRunningBest::Start(settings.criterion);
      TMJRunningBest runFresh = runKept;
      kept.Run(codes, nullptr, links, upTo, settings, existing, runKept);
      TMJPlaneCandidates fresh;
      fresh.Run(codes, nullptr, links, upTo, settings, existing, runFresh);
      EXPECT_EQ(CandidateList(kept), CandidateList(fresh)) << stage << " binary " << binary;
      EXPECT_EQ(runKept.best, runFresh.best) << stage;
      return runKept;
    };
    int count = n0;
    for (int round = 0; round < 6; ++round) {
      const TMJRunningBest running = compare(count, "appended");
      // Append the selected candidates that are new, as a round does.
      TMJRowSet rows;
      for (int p = 1; p <= count; ++p) rows.Insert(codes.Hash(p), p);
      std::vector<uint64_t> buffer;
      std::array<std::string, 3> states;
      const auto candidates = kept.Candidates();
      int added = 0;
      for (const TMJPlaneCandidate& c : candidates) {
        if (!TMJCandidateGenerator::Selected(settings, c.cost, c.saving, c.longest, running)) continue;
        const uint64_t* row = TMJPlaneCandidates::BuildRow(codes, c.X, c.Y, c.Z, c.k, buffer);
        if (rows.Find(TMJBitSequences::HashKey(row, codes.KeyWords()),
                      [&](int32_t p) { return TMJPlaneCandidates::SameKey(codes, codes.Row(p), row); }) >= 0)
          continue;
        MedianStates(d.Taxon(c.X).States, d.Taxon(c.Y).States, d.Taxon(c.Z).States, characterActive,
                     c.k > 0, states);
        d.Taxa.push_back(d.Taxa.front());
        d.Taxa.back().States = states[static_cast<std::size_t>(c.k)];
        codes.Append(d.Taxa.back().States);
        ++count;
        ++added;
        rows.Insert(codes.Hash(count), count);
      }
    }
    ASSERT_GT(count, n0) << "the rounds should append median vectors";
    // The appended sequences go again: their triples' candidates are missing once more.
    kept.ForgetIdle();
    compare(n0, "removed");
  }
}
