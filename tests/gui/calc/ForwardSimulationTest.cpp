// The forward simulation without its window: the size rules, resampling, mutation, start
// populations, the .fsi file and repeatable runs.
#include "ForwardSimulation.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using namespace fsim_messages;

namespace {

std::string Fixture(const std::string& name) { return testpaths::testData("strsim/" + name).string(); }

TPopulation Uniform(int size, const std::string& sequence = "0") {
  TPopulation p;
  p.Individuals.assign(static_cast<std::size_t>(size), TSimSequence{sequence, 1});
  return p;
}

TSimParameters Small(int generations, int variation = 0) {
  TSimParameters p;
  p.SequenceLength = 1;
  p.YearsPerMutation = 999999;
  p.Variation = variation;
  p.Generations = generations;
  p.Refresh = 20;
  return p;
}

}  // namespace

TEST(SimParameters, RangesOfTheSpins) {
  struct Case {
    void (*change)(TSimParameters&);
    std::optional<std::string> message;
  };
  const Case cases[] = {
      {[](TSimParameters&) {}, std::nullopt},
      {[](TSimParameters& p) { p.SequenceLength = 0; }, SequenceLength},
      {[](TSimParameters& p) { p.SequenceLength = 1000; }, SequenceLength},
      {[](TSimParameters& p) { p.YearsPerMutation = 99; }, Years},
      {[](TSimParameters& p) { p.Variation = -1; }, Variation},
      {[](TSimParameters& p) { p.Sigma = 9; }, Variation},
      {[](TSimParameters& p) { p.GenerationDuration = 41; }, GenerationDuration},
      {[](TSimParameters& p) { p.Generations = 0; }, Generations},
      {[](TSimParameters& p) { p.Refresh = 21; }, Refresh},
  };
  for (const Case& c : cases) {
    TSimParameters p;
    c.change(p);
    EXPECT_EQ(CheckSimParameters(p), c.message);
  }
  EXPECT_EQ(CheckSimEvents({{500, 20, 5}}), std::nullopt);
  EXPECT_EQ(CheckSimEvents({{500, 20, 0}}), Events);  // no ramp over no generations
  EXPECT_EQ(CheckSimEvents({{0, 20, 5}}), Events);
}

TEST(SimSize, EventRampsFromTheBaseToItsSize) {
  ScriptedDialogsScope s;
  TForwardSimulation sim(Small(30), {{500, 20, 5}}, Uniform(1000), 7);
  sim.Run();
  const std::vector<int>& sizes = sim.Sizes();
  ASSERT_EQ(sizes.size(), 31u);
  for (int g = 0; g <= 20; ++g) EXPECT_EQ(sizes[static_cast<std::size_t>(g)], 1000) << g;
  const int ramp[] = {952, 827, 673, 548, 500, 500};
  for (int g = 21; g <= 26; ++g) EXPECT_EQ(sizes[static_cast<std::size_t>(g)], ramp[g - 21]) << g;
  EXPECT_EQ(sim.Population().Size(), 500);
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(SimSize, EventBaseIsTheSizeReachedAtItsStart) {
  TForwardSimulation sim(Small(12), {{100, 1, 2}, {300, 10, 2}}, Uniform(200), 7);
  sim.Run();
  // 200 -> 100 over generations 1..3, then flat, then 100 -> 300 over 10..12.
  EXPECT_EQ(sim.Sizes(), (std::vector<int>{200, 200, 150, 100, 100, 100, 100, 100, 100, 100, 100,
                                           200, 300}));
}

TEST(SimSize, NoVariationNoEventsKeepsTheSize) {
  TForwardSimulation sim(Small(40), {}, Uniform(37), 3);
  sim.Run();
  for (int size : sim.Sizes()) EXPECT_EQ(size, 37);
}

TEST(SimSize, RandomWalkStepsStayWithinTheVariation) {
  TSimParameters p = Small(200, 50);
  p.Sigma = 2;
  TForwardSimulation sim(p, {}, Uniform(5000), 11);
  sim.Run();
  int changed = 0;
  for (std::size_t g = 1; g < sim.Sizes().size(); ++g) {
    const int step = sim.Sizes()[g] - sim.Sizes()[g - 1];
    EXPECT_LE(std::abs(step), 50);
    changed += step != 0 ? 1 : 0;
  }
  EXPECT_GT(changed, 100);
}

TEST(SimSize, NeverBelowTwoAndSaysSo) {
  ScriptedDialogsScope s;
  TSimParameters p = Small(30, 1000);
  p.Sigma = 1;
  TForwardSimulation sim(p, {}, Uniform(3), 5);
  sim.Run();
  for (int size : sim.Sizes()) EXPECT_GE(size, 2);
  const auto messages = s.dialogs.messages();
  EXPECT_FALSE(messages.empty());
  for (const std::string& m : messages) EXPECT_EQ(m, MinimumSize);
  EXPECT_EQ(sim.Population().Size(), sim.Sizes().back());
}

TEST(SimResample, DrawsTheNewSizeFromTheOldIndividuals) {
  TPopulation start;
  for (const char* s : {"100", "010", "001", "110", "011"}) start.Individuals.push_back({s, 1});
  TForwardSimulation sim(Small(1), {}, start, 9);
  for (int size : {12, 3, 40}) {
    const auto before = sim.Population().Sequences();
    sim.Resample(size);
    EXPECT_EQ(sim.Population().Size(), size);
    for (const TSimSequence& i : sim.Population().Individuals) {
      EXPECT_EQ(i.Alive, 1);
      EXPECT_NE(std::find(before.begin(), before.end(), i.Sequence), before.end());
    }
  }
}

TEST(SimMutation, EachHitAddsAPositionOwnedByOneIndividual) {
  TSimParameters p = Small(1);
  p.SequenceLength = 10;
  p.YearsPerMutation = 100;
  p.GenerationDuration = 40;  // p = 40 / 10 / 100 = 0.04 per trial
  TForwardSimulation sim(p, {}, Uniform(100, "1"), 21);
  sim.Mutate();
  const std::size_t added = sim.Population().Length() - 1;
  // 1000 trials of 0.04: 40 expected, standard deviation about 6.
  EXPECT_GT(added, 15u);
  EXPECT_LT(added, 70u);
  for (std::size_t column = 1; column <= added; ++column) {
    int ones = 0;
    for (const TSimSequence& i : sim.Population().Individuals) ones += i.Sequence[column] == '1';
    EXPECT_EQ(ones, 1) << column;
  }
}

TEST(SimMutation, RefreshDropsPositionsWithoutOne) {
  TPopulation start;
  for (const char* s : {"0100", "0110", "0000"}) start.Individuals.push_back({s, 1});
  TForwardSimulation sim(Small(1), {}, start, 1);
  sim.DropUnusedPositions();
  EXPECT_EQ(sim.Population().Sequences(), (std::vector<std::string>{"10", "11", "00"}));
}

TEST(SimRun, SameSeedSameFsiAndStatisticsFollowTheRules) {
  TSimParameters p;
  p.SequenceLength = 20;
  p.YearsPerMutation = 500;
  p.Variation = 20;
  p.Generations = 60;
  p.Refresh = 5;
  TPopulation start;
  ASSERT_TRUE(GeneratePopulation(EqualCounts(200, 4), start));
  std::string first;
  for (int run = 0; run < 2; ++run) {
    TForwardSimulation sim(p, {{150, 30, 10}}, start, 2024);
    int refreshes = 0;
    sim.Run([&](int g) {
      EXPECT_EQ(g % 5, 0);
      ++refreshes;
      return true;
    });
    EXPECT_EQ(refreshes, 12);
    EXPECT_EQ(sim.Population().Size(), sim.Sizes().back());
    EXPECT_EQ(sim.Sizes()[40], 150);  // the event's end
    const std::string fsi = FsiText(sim.Population());
    if (run == 0) first = fsi;
    else EXPECT_EQ(fsi, first);
  }
  TForwardSimulation other(p, {{150, 30, 10}}, start, 2025);
  other.Run();
  EXPECT_NE(FsiText(other.Population()), first);
}

TEST(SimRun, StopsWhenTheRefreshSaysSo) {
  TSimParameters p = Small(100);
  p.Refresh = 3;
  TForwardSimulation stopped(p, {}, Uniform(10), 1);
  stopped.Run([](int g) { return g < 6; });
  EXPECT_EQ(stopped.Generation(), 6);
}

// --- start populations ---

TEST(SimStart, EquallyDistributedHaplotypes) {
  EXPECT_EQ(EqualCounts(1000, 3), (std::vector<int>{333, 333, 333}));
  EXPECT_EQ(EqualCounts(5, 2), (std::vector<int>{2, 2}));  // 2.5 rounds to even
  TPopulation p;
  ASSERT_TRUE(GeneratePopulation({2, 1, 3}, p));
  EXPECT_EQ(p.Sequences(),
            (std::vector<std::string>{"100", "100", "010", "001", "001", "001"}));
}

TEST(SimStart, GenerationRefusals) {
  ScriptedDialogsScope s;
  TPopulation p;
  EXPECT_FALSE(GeneratePopulation(EqualCounts(1, 5), p));  // every count rounds to 0
  EXPECT_FALSE(GeneratePopulation(std::vector<int>(11, 1), p));
  EXPECT_FALSE(GeneratePopulation({1, MaxSimulationIndividuals}, p));
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{PopulationSize, Haplotypes, Frequencies}));
  EXPECT_EQ(p.Size(), 0);
}

TEST(SimStart, FsiLines) {
  ScriptedDialogsScope s;
  TPopulation p;
  ASSERT_TRUE(ReadFsiFile(Fixture("start.fsi"), p));
  EXPECT_EQ(p.Size(), 7);  // 000 with count 0 still gives one
  ASSERT_TRUE(ReadFsiText("1 0x1;a2b\n\n", p));
  EXPECT_EQ(p.Sequences(), (std::vector<std::string>{"101", "101"}));
  EXPECT_FALSE(ReadFsiFile(Fixture("unequal.fsi"), p));
  EXPECT_FALSE(ReadFsiText("01;99999999999999\r\n", p));
  EXPECT_FALSE(ReadFsiText("", p));
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{UnequalLengths, PopulationSize, PopulationSize}));
}

TEST(SimStart, RdfTaxaByFrequency) {
  ScriptedDialogsScope s;
  TPopulation p;
  ASSERT_TRUE(ReadRdfPopulation(Fixture("start.rdf"), p));
  // T3's ambiguous "." is replaced from its nearest taxa.
  ASSERT_EQ(p.Size(), 6);
  EXPECT_EQ(p.Sequences()[0], "100");
  EXPECT_EQ(p.Sequences()[4], "011");
  EXPECT_EQ(p.Sequences()[5].size(), 3u);
  EXPECT_NE(p.Sequences()[5].find_first_of("01"), std::string::npos);
  EXPECT_TRUE(CompatiblePopulation(p));
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(SimStart, IncompatibleCharacters) {
  TPopulation p;
  ASSERT_TRUE(ReadFsiFile(Fixture("incompatible.fsi"), p));
  EXPECT_FALSE(CompatiblePopulation(p));
  ASSERT_TRUE(ReadFsiFile(Fixture("start.fsi"), p));
  EXPECT_TRUE(CompatiblePopulation(p));
}

// --- .fsi writer ---

TEST(SimFsi, RootFirstThenEachDistinctSequence) {
  TPopulation p;
  for (const char* s : {"01", "10", "01"}) p.Individuals.push_back({s, 1});
  EXPECT_EQ(FsiText(p), "00;0\r\n01;2\r\n10;1\r\n");
  testpaths::TempDir dir;
  ASSERT_TRUE(WriteFsiFile(dir.file("a.fsi"), p));
  TPopulation back;
  ASSERT_TRUE(ReadFsiFile(dir.file("a.fsi"), back));
  EXPECT_EQ(back.Sequences(), (std::vector<std::string>{"00", "01", "01", "10"}));
}

TEST(SimFsi, FailedWriteIsReported) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  EXPECT_FALSE(WriteFsiFile(dir.file("no/such/dir.fsi"), Uniform(2)));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{WriteFailed(dir.file("no/such/dir.fsi"))});
}
