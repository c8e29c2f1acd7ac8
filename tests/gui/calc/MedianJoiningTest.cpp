#include "Median_joining.h"
#include "MJTestSets.h"
#include "OutFile.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

struct Outcome {
  bool calculated = false;
  std::vector<std::string> messages;
};

Outcome Calculate(Trdf_DataSet& d, const TMJOptions& o, std::unique_ptr<TMJCalculation>& calc) {
  ScriptedDialogsScope s;
  calc = std::make_unique<TMJCalculation>(d, o);
  Outcome r;
  r.calculated = calc->Calculate();
  r.messages = s.dialogs.messages();
  return r;
}

std::vector<std::pair<int, int>> Ends(const TMJLinkList& links) {
  std::vector<std::pair<int, int>> e;
  for (const TMJLink& l : links) e.emplace_back(l.a, l.b);
  return e;
}

}  // namespace

TEST(MedianVectorNames, AreRightJustifiedInFourAndCutToSix) {
  EXPECT_EQ(MedianVectorName(1), "mv   1");
  EXPECT_EQ(MedianVectorName(42), "mv  42");
  EXPECT_EQ(MedianVectorName(1234), "mv1234");
  EXPECT_EQ(MedianVectorName(12345), "mv1234");
}

TEST(MedianJoining, TripleGetsItsMedianAndDuplicatesStayOutOfTheLinks) {
  Trdf_DataSet d = MakeSet({"000", "011", "101", "000"});
  std::unique_ptr<TMJCalculation> calc;
  const Outcome r = Calculate(d, {}, calc);
  ASSERT_TRUE(r.calculated);
  EXPECT_TRUE(r.messages.empty());
  ASSERT_EQ(d.TaxaCount(), 5);
  EXPECT_EQ(d.Taxon(5).Name, "mv   1");
  EXPECT_EQ(d.Taxon(5).States, "001");
  EXPECT_EQ(d.Taxon(5).Frequency, 0);
  EXPECT_EQ(d.Taxon(4).Representative, 1);
  EXPECT_EQ(Ends(calc->Links()), (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}}));
  EXPECT_EQ(calc->MedianVectorCount(), 1);
  EXPECT_EQ(calc->TotalLinkLength(), 30);
  EXPECT_EQ(calc->Rounds(), 2);
}

// A sequence of the data already named like a median vector keeps its name: that median vector is
// left without one (with the data set's message), the next ones are named as usual.
TEST(MedianJoining, MedianVectorNameHeldByASequenceIsNotGivenTwice) {
  Trdf_DataSet d = MakeSet({"0000", "0111", "1011", "1101"});
  d.Taxon(2).Name = "mv   1";
  std::unique_ptr<TMJCalculation> calc;
  const Outcome r = Calculate(d, {}, calc);
  ASSERT_TRUE(r.calculated);
  ASSERT_GE(calc->MedianVectorCount(), 2);
  EXPECT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(d.Taxon(2).Name, "mv   1");
  EXPECT_EQ(d.Taxon(5).Name, "");
  EXPECT_EQ(d.Taxon(6).Name, "mv   2");
}

TEST(MedianJoining, OutFileOfAHandCheckedSetIsByteIdentical) {
  Trdf_DataSet d = MakeSet({"000", "011", "101", "000"});
  const char* names[] = {"A", "B", "C", "D"};
  for (int i = 0; i < 4; ++i) d.Taxa[static_cast<std::size_t>(i)].Name = names[i];
  d.Taxa[0].Info[0] = "human";
  d.Taxa[0].Info[1] = "Europe";
  std::unique_ptr<TMJCalculation> calc;
  ASSERT_TRUE(Calculate(d, {}, calc).calculated);
  EXPECT_EQ(MJOutText(*calc, "abc.rdf"),
            testpaths::readFile(testpaths::testData("calc/triple_with_duplicate.out")));
}

TEST(MedianJoining, TreeLikeSetAtEpsilonZeroGivesItsSpanningTreeAfterOneRound) {
  // A path 1-2-3-4 with a side branch 2-5, one mutation per link: no triple yields a new sequence.
  Trdf_DataSet d = MakeSet({"AAAA", "CAAA", "CCAA", "CCCA", "CAAT"});
  std::unique_ptr<TMJCalculation> calc;
  ASSERT_TRUE(Calculate(d, {}, calc).calculated);
  EXPECT_EQ(calc->Rounds(), 1);
  EXPECT_EQ(calc->MedianVectorCount(), 0);
  EXPECT_EQ(Ends(calc->Links()), (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}, {2, 5}, {3, 4}}));
  for (const TMJLink& l : calc->Links()) EXPECT_EQ(l.state, 0);
}

TEST(MedianJoining, EqualDistancesKeepEveryLinkOfTheMinimumSpanningNetwork) {
  // Four sequences on a square: all four sides are equally short, the diagonals are not links.
  Trdf_DataSet d = MakeSet({"AAAAAA", "CCAAAA", "CCCCAA", "AACCAA"});
  std::unique_ptr<TMJCalculation> calc;
  ASSERT_TRUE(Calculate(d, {}, calc).calculated);
  EXPECT_EQ(Ends(calc->Links()), (std::vector<std::pair<int, int>>{{1, 2}, {1, 4}, {2, 3}, {3, 4}}));
  // A cycle: every link stays in the torso.
  for (const TMJLink& l : calc->Links()) EXPECT_EQ(l.state, 1);
}

TEST(MedianJoining, FewerThanThreeDistinctSequencesStopWithTheMessage) {
  Trdf_DataSet d = MakeSet({"AAAA", "CAAA", "AAAA", "CAAA"});
  std::unique_ptr<TMJCalculation> calc;
  const Outcome r = Calculate(d, {}, calc);
  EXPECT_FALSE(r.calculated);
  EXPECT_EQ(r.messages, std::vector<std::string>{mj_messages::FewerThanThree});
  EXPECT_EQ(d.TaxaCount(), 1);
}

TEST(MedianJoining, EpsilonBelowTheMinimumWeightAsksWhetherToChangeIt) {
  Trdf_DataSet d = MakeSet({"AAAA", "CAAA", "CCAA"});
  TMJOptions o;
  o.Epsilon = 5;
  for (DialogAnswer a : {DialogAnswer::Yes, DialogAnswer::No}) {
    ScriptedDialogsScope s;
    s.dialogs.answer(a);
    TMJCalculation calc(d, o);
    EXPECT_EQ(calc.AskToChangeEpsilon(), a == DialogAnswer::Yes);
    EXPECT_EQ(s.dialogs.questions(),
              std::vector<std::string>{
                  "Warning: You have set the value of epsilon to epsilon= 5. The minimum weight of "
                  "a character is 10. So this setting of epsilon has the same effect as epsilon = "
                  "0. Do you want to modify this setting?"});
  }
  o.Epsilon = 10;  // not below the minimum weight: no question
  ScriptedDialogsScope s;
  TMJCalculation calc(d, o);
  EXPECT_FALSE(calc.AskToChangeEpsilon());
  EXPECT_TRUE(s.dialogs.texts().empty());
}

TEST(MedianJoining, FrequencyCriterionListsSingletonsAfterAllSequences) {
  // T1 and T4 are frequent, T2 has a duplicate (T5), T3 and T6 occur once.
  Trdf_DataSet d = MakeSet({"AAAAAA", "CCAAAA", "AACCAA", "CCCCAA", "CCAAAA", "AAAACC"});
  d.Taxa[0].Frequency = 3;
  d.Taxa[3].Frequency = 2;
  TMJOptions o;
  o.FrequencyCriterion = true;
  std::unique_ptr<TMJCalculation> calc;
  ASSERT_TRUE(Calculate(d, o, calc).calculated);
  // T6 and T3 were taken out (reverse order); the rest are 1, 2, 4, 5 renumbered 1..4.
  ASSERT_EQ(calc->RemovedList().size(), 2u);
  EXPECT_EQ(calc->RemovedList()[0].Name, "T6");
  EXPECT_EQ(calc->RemovedList()[1].Name, "T3");
  for (const TMJLink& l : calc->Links())
    for (int end : {l.a, l.b}) EXPECT_EQ(d.Taxon(end).Representative, 0) << end;
  const std::string out = MJOutText(*calc, "f.rdf");
  EXPECT_NE(out.find("F2Criterion: Frequency>=2\r\n"), std::string::npos);
  const int n = d.TaxaCount();
  EXPECT_NE(out.find("Frequ. of taxon   " + outfile::RightJustify(n + 1, 6) + " :    1\r\n"),
            std::string::npos);
  EXPECT_NE(out.find("Mapping of taxon;" + outfile::RightJustify(n + 1, 6) + ";T6\r\n"),
            std::string::npos);
  EXPECT_NE(out.find("Mapping of taxon;" + outfile::RightJustify(n + 2, 6) + ";T3\r\n"),
            std::string::npos);
}

TEST(MedianJoining, RootTakesNoPartInTheRoundsAndIsLinkedAtTheEnd) {
  // Without rooting the ROOT sequence would be a fourth tip of the star around median 0000.
  Trdf_DataSet d = MakeSet({"1100", "1010", "1001", "0000"});
  d.Taxa[3].Name = "Root";
  TMJOptions o;
  o.ExternalRooting = true;
  {
    ScriptedDialogsScope s;
    TMJCalculation calc(d, o);
    EXPECT_FALSE(calc.AskToChangeEpsilon());
    EXPECT_TRUE(s.dialogs.messages().empty());
  }
  std::unique_ptr<TMJCalculation> calc;
  ASSERT_TRUE(Calculate(d, o, calc).calculated);
  ASSERT_EQ(calc->RemovedList().size(), 1u);
  // The three sequences get their median 1000; ROOT comes after the median vector.
  ASSERT_EQ(d.TaxaCount(), 5);
  EXPECT_EQ(d.Taxon(4).Name, "mv   1");
  EXPECT_EQ(d.Taxon(4).States, "1000");
  EXPECT_EQ(d.Taxon(5).Name, "Root");
  EXPECT_EQ(Ends(calc->Links()),
            (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 5}}));
}

TEST(MedianJoining, MissingRootIsReportedAndTheRunGoesOnUnrooted) {
  Trdf_DataSet d = MakeSet({"AAAA", "CAAA", "CCAA"});
  TMJOptions o;
  o.ExternalRooting = true;
  ScriptedDialogsScope s;
  TMJCalculation calc(d, o);
  EXPECT_FALSE(calc.AskToChangeEpsilon());
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{mj_messages::NoRoot});
}

TEST(MedianJoining, TransversionWeightsChangeOnlyTheHeaderLine) {
  const std::vector<std::string> seqs{"AAAAAA", "GCAAAA", "ACCAAA", "AATAGA", "CAACAA"};
  std::string outs[2];
  for (int k = 0; k < 2; ++k) {
    Trdf_DataSet d = MakeSet(seqs);
    TMJOptions o;
    o.TransversionWeight = k == 0 ? 1 : 7;
    o.TransitionWeight = k == 0 ? 1 : 3;
    std::unique_ptr<TMJCalculation> calc;
    ASSERT_TRUE(Calculate(d, o, calc).calculated);
    outs[k] = MJOutText(*calc, "x.rdf");
  }
  EXPECT_NE(outs[1].find("with weighting transversions/transitions: 7/3\r\n"), std::string::npos);
  const auto header = outs[0].find("with weighting transversions/transitions: 1/1\r\n");
  ASSERT_NE(header, std::string::npos);
  std::string same = outs[0];
  same.replace(header, 47, "with weighting transversions/transitions: 7/3\r\n");
  EXPECT_EQ(same, outs[1]);
}

// The fast search over a partition of close pairs must give exactly the links of the literal
// search over the reach list, at every epsilon, before and after median vectors exist.
TEST(FeasibleLinks, MatchTheReachListSearch) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 8; ++trial) {
    std::vector<std::string> seqs;
    const bool binary = trial % 2 == 0;
    const std::string alphabet = binary ? "01" : "ACGT";
    for (int t = 0; t < 12; ++t) {
      std::string s;
      for (int c = 0; c < 8; ++c) s += alphabet[rng() % alphabet.size()];
      seqs.push_back(s);
    }
    Trdf_DataSet d = MakeSet(seqs);
    for (auto& c : d.Characters) c.Weight = 1 + static_cast<int>(rng() % 3);
    for (int epsilon : {0, 1, 2, 4, 7}) {
      Trdf_DataSet work = d;
      work.FindEquivalentTaxa();
      TMJOptions o;
      TMJCalculation calc(work, o);
      calc.StartRounds();
      calc.SetEpsilon(epsilon);
      // A second round (with median vectors) only where the closure stays small.
      for (int round = 0; round < (binary && epsilon == 0 ? 2 : 1); ++round) {
        const int n = work.TaxaCount();
        std::vector<std::pair<int, int>> expected;
        for (int i = 1; i < n; ++i)
          for (int j = i + 1; j <= n; ++j)
            if (work.Taxon(i).Representative == 0 && work.Taxon(j).Representative == 0 &&
                calc.MJDistance(i, j) <= epsilon + calc.LinkLengthCap() && calc.IsLinkFeasible(i, j))
              expected.emplace_back(i, j);
        calc.MutableLinks().clear();
        calc.FindFeasibleLinks(2, n);
        ASSERT_EQ(Ends(calc.Links()), expected) << "trial " << trial << " epsilon " << epsilon
                                                << " round " << round;
        calc.RunMJRound(false);
      }
    }
  }
}

TEST(MedianJoining, NetworkInvariantsHoldOnRandomSets) {
  // Random four-state data grows huge median closures at epsilon > 0; binary sets stay small.
  std::mt19937 rng(5);
  for (int trial = 0; trial < 6; ++trial) {
    const bool binary = trial % 2 == 0;
    std::vector<std::string> seqs;
    for (int t = 0; t < 8; ++t) {
      std::string s;
      for (int c = 0; c < 7; ++c) s += "ACGT"[rng() % (binary ? 2 : 4)];
      seqs.push_back(s);
    }
    for (uint8_t epsilon : {0, 10}) {
      if (trial > 0 && epsilon > 0) continue;  // larger closures are slow in sanitizer builds
      Trdf_DataSet d = MakeSet(seqs);
      TMJOptions o;
      o.Epsilon = epsilon;
      o.MJSquare = trial == 4 && epsilon == 0;  // squaring random data explodes otherwise
      o.Criterion = trial == 2 || trial == 3 ? TMJCriterion::GreedyFHP : TMJCriterion::ConnectionCost;
      std::unique_ptr<TMJCalculation> calc;
      ASSERT_TRUE(Calculate(d, o, calc).calculated);
      std::vector<int> degree(static_cast<std::size_t>(d.TaxaCount()) + 1, 0);
      for (const TMJLink& l : calc->Links()) {
        ++degree[static_cast<std::size_t>(l.a)];
        ++degree[static_cast<std::size_t>(l.b)];
      }
      for (int p = 1; p <= d.TaxaCount(); ++p) {
        if (d.Taxon(p).Representative == 0) {
          EXPECT_GT(degree[static_cast<std::size_t>(p)], 0) << p;
        } else {
          EXPECT_EQ(degree[static_cast<std::size_t>(p)], 0) << p;
        }
        if (p > calc->InputSequenceCount()) {
          EXPECT_GE(degree[static_cast<std::size_t>(p)], 3) << p;
        }
      }
    }
  }
}
