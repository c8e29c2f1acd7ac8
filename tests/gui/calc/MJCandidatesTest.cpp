#include "MJCandidates.h"
#include "MJTestSets.h"

#include <gtest/gtest.h>

namespace {

struct Generated {
  std::vector<combinationtype> candidates;
  TMJRunningBest running;
};

Generated Generate(const Trdf_DataSet& d, const TMJLinkList& links, bool binary,
                   TMJCriterion criterion = TMJCriterion::ConnectionCost, int epsilon = 0) {
  int mw = 999;
  for (const auto& c : d.Characters)
    if (c.Active && c.Weight > 0) mw = std::min(mw, c.Weight);
  const TMJSequenceIndex existing(d);
  TMJCandidateGenerator g(d, {epsilon, mw, binary, criterion},
                          [&](int a, int b) { return d.WeightedDistance(a, b, false); }, existing);
  Generated out;
  out.running = TMJRunningBest::Start(criterion);
  g.GenerateMedianCandidates(links, out.running, out.candidates);
  return out;
}

std::vector<std::string> StatesOf(const std::vector<combinationtype>& c) {
  std::vector<std::string> s;
  for (const auto& x : c) s.push_back(x.sequence.States);
  return s;
}

}  // namespace

TEST(Candidates, BinaryTripleGivesItsMedianWithConnectionCost30) {
  const Trdf_DataSet d = MakeSet({"000", "011", "101"});
  const Generated g = Generate(d, {{1, 2, 1}, {1, 3, 1}, {2, 3, 1}}, true);
  ASSERT_EQ(g.candidates.size(), 1u);
  EXPECT_EQ(g.candidates[0].sequence.States, "001");
  EXPECT_EQ(g.candidates[0].cost, 30);
  EXPECT_EQ(g.running.best, 30);
  EXPECT_EQ((std::vector<int>{g.candidates[0].X, g.candidates[0].Y, g.candidates[0].Z}),
            (std::vector<int>{1, 2, 3}));
}

TEST(Candidates, BinaryTripleWithAMinimumWeightStepGivesNone) {
  const Trdf_DataSet d = MakeSet({"000", "001", "110"});
  EXPECT_TRUE(Generate(d, {{1, 2, 1}, {1, 3, 1}}, true).candidates.empty());
}

TEST(Candidates, ThreeStatesGiveThreeCandidatesDifferingOnlyThere) {
  // Column 1 holds A, C, G; column 2 has the majority T; column 3 has the majority A.
  const Trdf_DataSet d = MakeSet({"ATA", "CTG", "GCA"});
  const Generated g = Generate(d, {{1, 2, 1}, {1, 3, 1}}, false);
  // Candidate 1 keeps X's A in column 1 and so equals X: only candidates 2 and 3 remain.
  EXPECT_EQ(StatesOf(g.candidates), (std::vector<std::string>{"CTA", "GTA"}));
  EXPECT_EQ(g.candidates[0].cost, 40);
}

TEST(Candidates, WithoutAThreeStateColumnOneCandidateRemains) {
  const Trdf_DataSet d = MakeSet({"AAAA", "ACCA", "GACC"});
  const Generated g = Generate(d, {{1, 2, 1}, {1, 3, 1}}, false);
  EXPECT_EQ(StatesOf(g.candidates), (std::vector<std::string>{"AACA"}));
  EXPECT_EQ(g.candidates[0].cost, 40);
}

TEST(Candidates, InactiveCharactersTakeACommonStateOnlyWhenXAndYAgree) {
  Trdf_DataSet d = MakeSet({"AAAAT", "CCAAG", "CACCG"});
  d.Characters[4].Active = 0;
  d.Characters[4].Weight = 0;
  const Generated g = Generate(d, {{1, 2, 1}, {1, 3, 1}}, false);
  ASSERT_EQ(g.candidates.size(), 1u);
  // Y and Z agree on the inactive fifth column, but only X = Y counts there: candidate 1 keeps X.
  EXPECT_EQ(g.candidates[0].sequence.States, "CAAAT");
}

TEST(Candidates, TriplesAreCombinedOnceWhateverTheOrderOfTheirLinks) {
  const Trdf_DataSet d = MakeSet({"000000", "011000", "101000", "000111"});
  // Links 1-2, 1-3, 2-3 share their sequences pairwise: (1,2,3) arises three times.
  const Generated g = Generate(d, {{1, 2, 1}, {1, 3, 1}, {2, 3, 1}, {1, 4, 1}}, true);
  EXPECT_EQ(StatesOf(g.candidates), (std::vector<std::string>{"001000"}));
}

TEST(Candidates, ExistingSequencesAreNeverKept) {
  // The median of the first three is the fourth sequence.
  const Trdf_DataSet d = MakeSet({"000", "011", "101", "001"});
  EXPECT_TRUE(Generate(d, {{1, 2, 1}, {1, 3, 1}}, true).candidates.empty());
}

TEST(Candidates, ConnectionCostKeepsOnlyCandidatesWithinEpsilonOfTheBest) {
  // Triples (1,4,5), (1,5,2) and (1,5,3) cost 50 and come first; (1,2,3) costs 30.
  const Trdf_DataSet d = MakeSet({"000000", "011000", "101000", "000111", "110110"});
  TMJCandidateGenerator::DistanceFn dist = [&](int a, int b) { return d.WeightedDistance(a, b, false); };
  const TMJSequenceIndex existing(d);
  for (int epsilon : {0, 30}) {
    TMJCandidateGenerator g(d, {epsilon, 10, true, TMJCriterion::ConnectionCost}, dist, existing);
    TMJRunningBest running = TMJRunningBest::Start(TMJCriterion::ConnectionCost);
    std::vector<combinationtype> c;
    g.GenerateMedianCandidates({{1, 4, 1}, {1, 5, 1}, {1, 2, 1}, {1, 3, 1}}, running, c);
    EXPECT_EQ(running.best, 30);
    int selected = 0;
    for (const auto& x : c) selected += g.Selected(x, running);
    EXPECT_EQ(selected, epsilon == 0 ? 1 : 4) << "epsilon " << epsilon;
  }
}

TEST(Candidates, GreedyFHPNeverKeepsACandidateWhoseLongerLinkIsAbove1000) {
  // The triple 000 / 011 / 101 with every column repeated 11 times at weight 99: its median is
  // new, but every link is longer than 1000.
  const std::string o(11, '0'), l(11, '1');
  Trdf_DataSet d = MakeSet({o + o + o, o + l + l, l + o + l}, 99);
  EXPECT_TRUE(Generate(d, {{1, 2, 1}, {1, 3, 1}}, true, TMJCriterion::GreedyFHP).candidates.empty());
  EXPECT_EQ(Generate(d, {{1, 2, 1}, {1, 3, 1}}, true).candidates.size(), 1u);
  d = MakeSet({"0000", "0011", "1100"});
  const Generated g = Generate(d, {{1, 2, 1}, {1, 3, 1}}, true, TMJCriterion::GreedyFHP);
  ASSERT_EQ(g.candidates.size(), 0u);  // the median is sequence 1 itself
  d = MakeSet({"0000", "0111", "1011"});
  const Generated h = Generate(d, {{1, 2, 1}, {1, 3, 1}}, true, TMJCriterion::GreedyFHP);
  ASSERT_EQ(h.candidates.size(), 1u);
  EXPECT_EQ(h.candidates[0].sequence.States, "0011");
  EXPECT_EQ(h.candidates[0].saving, 20);
  EXPECT_EQ(h.candidates[0].longest, 30);
  EXPECT_EQ(h.running.longest, 30);
}

TEST(SquareLinks, LinksTheFarEndsOfAdjacentLinks) {
  TMJLinkList links{{1, 2, 1}, {2, 3, 1}, {4, 5, 1}, {3, 4, 1}};
  SquareLinks(links);
  EXPECT_EQ(links, (TMJLinkList{{1, 2, 1}, {2, 3, 1}, {4, 5, 1}, {3, 4, 1},
                                {1, 3, 1}, {2, 4, 1}, {3, 5, 1}}));
}
