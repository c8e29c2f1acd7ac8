// The reduced-median calculation: loading binary data, split rounds, the median closure, the
// feasible links, and the .rmf/.out files of small fixtures; invariants on real binary data.

#include "Median_joining.h"
#include "OutFile.h"
#include "Reduced_median.h"
#include "RmStarTestSupport.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "UHelp.h"
#include "umwandl.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <set>
#include <sstream>

namespace {

using namespace rmstar_test;
using testpaths::TempDir;

// A copy of a fixture in a scratch folder, so results written beside it stay there.

Trdf_DataSet Load(const std::string& file) {
  Trdf_DataSet data;
  EXPECT_TRUE(LoadRMDataSet(data, file, true));
  return data;
}

std::vector<std::string> StatesOf(const Trdf_DataSet& data) {
  std::vector<std::string> s;
  for (const Trdf_Sequence& t : data.Taxa) s.push_back(t.States);
  return s;
}

}  // namespace

TEST(ReducedMedianLoad, RecodesTwoStateNucleotidesAndRefusesMultistate) {
  ScriptedDialogsScope s;
  Trdf_DataSet data = Load(testpaths::testData("rmstar/dna2state.rdf").string());
  // Each column recoded by its first state: A/G -> 0/1, G -> 0, A/C -> 0/1.
  EXPECT_EQ(StatesOf(data), (std::vector<std::string>{"000", "101", "011"}));
  EXPECT_TRUE(data.AllowedStates == TCharSet(rdf_states::BinaryAllowed));

  EXPECT_FALSE(LoadRMDataSet(data, testpaths::testData("rmstar/multistate.rdf").string(), true));
  EXPECT_EQ(data.TaxaCount(), 0);
  ASSERT_FALSE(s.dialogs.messages().empty());
  EXPECT_EQ(s.dialogs.messages().back(), rm_messages::Multistate);
}

TEST(ReducedMedianText, ThresholdCaptions) {
  const struct {
    double value;
    const char* general;
    const char* fixed;
  } rows[] = {
      {2.0, "2", "2.00"}, {2.5, "2.5", "2.50"}, {12.345, "12.35", "12.35"}, {0, "0", "0.00"}};
  for (const auto& r : rows) {
    EXPECT_EQ(GeneralThreshold(r.value), r.general);
    EXPECT_EQ(FixedThreshold(r.value), r.fixed);
  }
}

// The median closure: every binary string each of whose character pairs occurs in the data.
TEST(ReducedMedianClosure, Table) {
  const struct {
    std::vector<std::string> taxa;
    std::vector<std::string> medians;
  } rows[] = {
      {{"00", "01", "10"}, {}},                      // the pair 11 never occurs
      {{"000", "011", "101"}, {"001"}},              // 001 is in every pair's range
      {{"0000", "1100", "0011"}, {}},                // compatible: a tree needs no medians
      {{"0011", "0101", "0110", "1111"}, {"0111"}},  // a triangle of three closes in its median
  };
  for (const auto& r : rows) {
    ScriptedDialogsScope s;
    Trdf_DataSet data;
    for (std::size_t c = 0; c < r.taxa[0].size(); ++c)
      data.Characters.push_back({"c" + std::to_string(c + 1)});
    for (std::size_t t = 0; t < r.taxa.size(); ++t) {
      Trdf_Sequence seq;
      seq.Name = "t" + std::to_string(t + 1);
      seq.States = r.taxa[t];
      data.Taxa.push_back(seq);
    }
    TRMCalculation calc(data, TRMOptions{});
    ASSERT_TRUE(calc.Prepare());
    ASSERT_TRUE(calc.GenerateMedians());
    std::vector<std::string> medians;
    for (std::size_t t = r.taxa.size(); t < data.Taxa.size(); ++t) {
      medians.push_back(data.Taxa[t].States);
      EXPECT_EQ(data.Taxa[t].Name, MedianVectorName(static_cast<int>(t - r.taxa.size() + 1)));
      EXPECT_EQ(data.Taxa[t].Frequency, 0);
    }
    EXPECT_EQ(medians, r.medians) << r.taxa[0];
  }
  EXPECT_EQ(MedianVectorName(1), "mv   1");
}

// Character c1 cuts c2's split (c2 weighs three times as much, its two copies following it): the
// light side of c1 is split by c2 in round 1 and round 2 finds no incompatible pair.
TEST(ReducedMedianSplit, SplitsTheLightSideOfTheLighterCharacter) {
  ScriptedDialogsScope s;
  TempDir dir;
  Trdf_DataSet data = Load(CopyFixture(dir, "split.rdf"));
  TRMCalculation calc(data, TRMOptions{});
  ASSERT_TRUE(calc.Prepare());
  EXPECT_EQ(calc.MinimumWeight(), 10);
  calc.RunSplitRounds();
  EXPECT_EQ(calc.Rounds(), 2);
  ASSERT_EQ(data.CharacterCount(), 5);
  EXPECT_EQ(data.Character(5).Name, "c1");
  EXPECT_EQ(data.Character(5).Weight, 10);
  // c1 keeps '0' on t1 only, the new character has '0' on t2 only.
  EXPECT_EQ(StatesOf(data), (std::vector<std::string>{"00001", "11110", "10001", "11111"}));
}

TEST(ReducedMedianSplit, ThresholdAboveTheWeightRatioSplitsNothing) {
  ScriptedDialogsScope s;
  TempDir dir;
  Trdf_DataSet data = Load(CopyFixture(dir, "split.rdf"));
  TRMOptions options;
  options.Threshold = 3.5;  // c2 and its copies weigh 3 times c1
  TRMCalculation calc(data, options);
  ASSERT_TRUE(calc.Prepare());
  calc.RunSplitRounds();
  EXPECT_EQ(calc.Rounds(), 1);
  EXPECT_EQ(data.CharacterCount(), 4);
}

TEST(ReducedMedianSplit, EqualFrequenciesGiveNoScore) {
  ScriptedDialogsScope s;
  TempDir dir;
  Trdf_DataSet data = Load(CopyFixture(dir, "split.rdf"));
  for (Trdf_Sequence& t : data.Taxa) t.Frequency = 1;
  TRMCalculation calc(data, TRMOptions{});
  ASSERT_TRUE(calc.Prepare());
  calc.RunSplitRounds();
  EXPECT_EQ(calc.Rounds(), 1);
}

TEST(ReducedMedianPrepare, FewerThanThreeDistinctSequences) {
  ScriptedDialogsScope s;
  Trdf_DataSet data;
  data.Characters.push_back({"c1"});
  for (const char* st : {"0", "1", "1"}) {
    Trdf_Sequence t;
    t.States = st;
    data.Taxa.push_back(t);
  }
  TRMCalculation calc(data, TRMOptions{});
  EXPECT_FALSE(calc.Prepare());
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{
                "This file contains less than 3 different sequences. Return to Data Entry and add "
                "further sequences."}));
}

TEST(ReducedMedianLinks, EqualEndsAreRefused) {
  ScriptedDialogsScope s;
  TempDir dir;
  Trdf_DataSet data = Load(CopyFixture(dir, "closure.rdf"));
  TRMCalculation calc(data, TRMOptions{});
  ASSERT_TRUE(calc.Prepare());
  EXPECT_FALSE(calc.Check_feasible_link(2, 2));
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{rm_messages::FeasibleLinkError}));
}

// Without incompatible pairs: one round, the .rmf holds the input (the duplicate t4 written with
// its representative's states), the closure adds 001 and the network is a star around it.
TEST(ReducedMedianFiles, ClosureFixtureWritesExpectedRmfAndOut) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "closure.rdf");
  s.dialogs.saveFile(dir.file("closure.rmf"));
  s.dialogs.saveFile(dir.file("closure"));  // the extension is forced
  Trdf_DataSet data = Load(input);
  RunReducedMedian(data, TRMOptions{}, input);
  EXPECT_EQ(testpaths::readFile(dir.file("closure.rmf")), Expected("closure.rmf", input));
  EXPECT_EQ(testpaths::readFile(dir.file("closure.out")), Expected("closure.out", input));
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{outfile::SavedMessage}));
  std::vector<std::string> proposed;
  for (const auto& e : s.dialogs.events())
    if (e.type == ScriptedDialogs::Event::SaveFile) proposed.push_back(e.request.fileName);
  EXPECT_EQ(proposed, (std::vector<std::string>{dir.file("closure.rmf"), dir.file("closure.out")}));
}

TEST(ReducedMedianFiles, SplitFixtureWritesExpectedRmfAndOut) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "split.rdf");
  s.dialogs.saveFile(dir.file("split.rmf"));
  s.dialogs.saveFile(dir.file("split.out"));
  Trdf_DataSet data = Load(input);
  TRMOptions options;
  options.FrequencyCriterion = false;
  RunReducedMedian(data, options, input);
  EXPECT_EQ(testpaths::readFile(dir.file("split.rmf")), Expected("split.rmf", input));
  EXPECT_EQ(testpaths::readFile(dir.file("split.out")), Expected("split.out", input));
}

TEST(ReducedMedianFiles, WithoutLinksOnlyTheRmfIsWritten) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "closure.rdf");
  s.dialogs.saveFile(dir.file("closure.rmf"));
  Trdf_DataSet data = Load(input);
  TRMOptions options;
  options.GenerateLinks = false;
  RunReducedMedian(data, options, input);
  EXPECT_TRUE(s.dialogs.messages().empty());
  EXPECT_FALSE(std::filesystem::exists(dir.file("closure.out")));
}

TEST(ReducedMedianFiles, FrequencyCriterionMarksTheRmfAndTheOut) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "split.rdf");
  s.dialogs.saveFile(dir.file("split.rmf"));
  s.dialogs.saveFile(dir.file("split.out"));
  Trdf_DataSet data = Load(input);
  // Four distinct sequences; with the criterion only t3 and t4 (frequency 3) would remain, too
  // few: give t1 a second copy instead.
  data.Taxon(1).Frequency = 2;
  data.Taxon(2).Frequency = 2;
  TRMOptions options;
  options.FrequencyCriterion = true;
  RunReducedMedian(data, options, input);
  const std::string rmf = testpaths::readFile(dir.file("split.rmf"));
  EXPECT_EQ(rmf.substr(0, 7), " 2;1.0\r");
  const std::string out = testpaths::readFile(dir.file("split.out"));
  EXPECT_NE(out.find("\r\nF2Criterion: Frequency>=2\r\nSpecialFileType: 2\r\n\r\n"),
            std::string::npos);
}

TEST(ReducedMedianFiles, CancelledDialogsWriteNothingAndTheInputIsNeverReplaced) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "closure.rdf");
  const std::string before = testpaths::readFile(input);
  s.dialogs.saveFile(std::nullopt);
  s.dialogs.saveFile(input);  // the .out dialog given the data file itself (forced to .out: other)
  Trdf_DataSet data = Load(input);
  RunReducedMedian(data, TRMOptions{}, input);
  EXPECT_EQ(testpaths::readFile(input), before);
  EXPECT_FALSE(std::filesystem::exists(dir.file("closure.rmf")));

  // An .rmf input offered as the .rmf result is refused.
  const std::string rmfInput = dir.file("copy.rmf");
  std::filesystem::copy_file(input, rmfInput);
  s.dialogs.clear();
  s.dialogs.saveFile(rmfInput);
  Trdf_DataSet again = Load(rmfInput);
  TRMOptions noLinks;
  noLinks.GenerateLinks = false;
  RunReducedMedian(again, noLinks, rmfInput);
  EXPECT_EQ(testpaths::readFile(rmfInput), before);
  ASSERT_EQ(s.dialogs.messages().size(), 1U);
  EXPECT_EQ(s.dialogs.messages()[0].rfind(rm_messages::SameAsInput, 0), 0U);
}

// --- Real binary data ---

namespace {

struct ParsedLink {
  int a, b;
  std::vector<int> mutations;
};

int KeyToNumber(const Trdf_DataSet& data, std::string key) {
  key.erase(0, key.find_first_not_of(' '));
  if (outfile::IsMedianVectorName(key)) {
    for (int t = 1; t <= data.TaxaCount(); ++t)
      if (data.Taxon(t).Name == key) return t;
    return 0;
  }
  return std::stoi(key);
}

std::vector<ParsedLink> LinksOfOutText(const Trdf_DataSet& data, const std::string& out) {
  std::vector<ParsedLink> links;
  for (const std::string& line : SplitTextLines(out)) {
    if (line.rfind("Link", 0) != 0) continue;
    ParsedLink l{KeyToNumber(data, line.substr(17, 6)), KeyToNumber(data, line.substr(34, 6)), {}};
    std::istringstream fields(line.substr(55));
    int c = 0;
    while (fields >> c) l.mutations.push_back(c);
    links.push_back(l);
  }
  return links;
}

// Runs the whole calculation on an imported binary PHYLIP file and checks the network.
void CheckNetworkInvariants(const std::string& shared, double threshold) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string phy = dir.file("data.phy");
  std::filesystem::copy_file(testpaths::sharedData(shared), phy);
  // The binary import tells about every column with a third state; those messages need no answer.
  ASSERT_TRUE(ImportPhylipFile(phy, true));
  s.dialogs.clear();
  Trdf_DataSet data = Load(dir.file("data.rdf"));
  TRMOptions options;
  options.Threshold = threshold;
  TRMCalculation calc(data, options);
  ASSERT_TRUE(calc.Prepare());
  calc.RunSplitRounds();
  ASSERT_TRUE(calc.GenerateMedians());
  calc.MarkConstantCharacters();
  calc.ComputeFinalLinks();
  const Trdf_DataSet& d = calc.Data();

  // Every active sequence is linked to every other through the links.
  std::vector<int> parent(static_cast<std::size_t>(d.TaxaCount()) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  const auto find = [&](int x) {
    while (parent[static_cast<std::size_t>(x)] != x) x = parent[static_cast<std::size_t>(x)];
    return x;
  };
  for (const TMJLink& l : calc.Links()) parent[static_cast<std::size_t>(find(l.a))] = find(l.b);
  std::set<int> components;
  for (int t = 1; t <= d.TaxaCount(); ++t)
    if (d.Taxon(t).Active) components.insert(find(t));
  EXPECT_EQ(components.size(), 1U);

  // Every link written carries exactly the active characters at which its ends differ.
  const std::string out = RMOutText(calc, dir.file("data.rdf"));
  const auto links = LinksOfOutText(d, out);
  ASSERT_EQ(links.size(), calc.Links().size());
  for (const ParsedLink& l : links) {
    ASSERT_GT(l.a, 0);
    ASSERT_GT(l.b, 0);
    std::vector<int> expected;
    for (int c = 1; c <= d.CharacterCount(); ++c)
      if (d.Character(c).Active && d.Taxon(l.a).States[c - 1] != d.Taxon(l.b).States[c - 1])
        expected.push_back(c);
    EXPECT_EQ(l.mutations, expected) << l.a << "-" << l.b;
    EXPECT_FALSE(expected.empty());
  }
  // The links are exactly the pairs the literal feasibility rule accepts (small sets only).
  if (d.TaxaCount() <= 60) {
    std::set<std::pair<int, int>> found, literal;
    for (const TMJLink& l : calc.Links()) found.insert({l.a, l.b});
    for (int i = 1; i <= d.TaxaCount(); ++i)
      for (int j = i + 1; j <= d.TaxaCount(); ++j)
        if (d.Taxon(i).Active && d.Taxon(j).Active && calc.Check_feasible_link(i, j))
          literal.insert({i, j});
    EXPECT_EQ(found, literal);
  }
}

}  // namespace

TEST(ReducedMedianSharedData, ToyBinaryNetwork) {
  SKIP_WITHOUT_SHARED_DATA("mj/toy_binary_4x9.phy");
  CheckNetworkInvariants("mj/toy_binary_4x9.phy", 2.0);
}

// The binary import keeps only the columns without a third state ('?' counts as one).
TEST(ReducedMedianSharedData, RingeBinaryNetwork) {
  SKIP_WITHOUT_SHARED_DATA("mj/ringe_ie_binary.phy");
  CheckNetworkInvariants("mj/ringe_ie_binary.phy", 2.0);
}
