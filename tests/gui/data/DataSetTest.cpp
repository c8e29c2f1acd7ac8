#include "RDF_DataSet_Definition.h"

#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A data set of the given states lines (one per taxon), taxa named T1.., characters c1.. with
// weight `weight`, and the nucleotide state sets.
Trdf_DataSet MakeSet(const std::vector<std::string>& states, int weight = 10,
                     std::string_view allowed = rdf_states::NucleotideAllowed,
                     std::string_view ambiguous = rdf_states::NucleotideAmbiguous) {
  Trdf_DataSet set;
  set.SetStateSets(allowed, ambiguous);
  const std::size_t n = states.empty() ? 0 : states[0].size();
  for (std::size_t c = 0; c < n; ++c) {
    Trdf_Character character;
    character.Name = "c" + std::to_string(c + 1);
    character.Weight = weight;
    set.Characters.push_back(character);
  }
  for (std::size_t t = 0; t < states.size(); ++t) {
    Trdf_Sequence taxon;
    taxon.Name = "T" + std::to_string(t + 1);
    taxon.States = states[t];
    set.Taxa.push_back(taxon);
  }
  return set;
}

std::vector<int> ActiveFlags(const Trdf_DataSet& set) {
  std::vector<int> flags;
  for (const Trdf_Sequence& t : set.Taxa) flags.push_back(t.Active);
  return flags;
}

std::vector<int> Representatives(const Trdf_DataSet& set) {
  std::vector<int> reps;
  for (const Trdf_Sequence& t : set.Taxa) reps.push_back(t.Representative);
  return reps;
}

std::string Column(const Trdf_DataSet& set, int character) {
  std::string column;
  for (const Trdf_Sequence& t : set.Taxa)
    column.push_back(t.States[static_cast<std::size_t>(character - 1)]);
  return column;
}

}  // namespace

// --- Distances -------------------------------------------------------------------------------

struct DistanceCase {
  char x, y;  // state of the first taxon, state of the second
  int weighted;
  const char* sets;  // "nuc", "amino" or "binary"
};

class DistanceTest : public testing::TestWithParam<DistanceCase> {};

TEST_P(DistanceTest, CostsTheWeightUnlessCompatible) {
  const DistanceCase& c = GetParam();
  const std::string_view sets = c.sets;
  const auto allowed = sets == "amino"    ? rdf_states::AminoAcidAllowed
                       : sets == "binary" ? rdf_states::BinaryAllowed
                                          : rdf_states::NucleotideAllowed;
  const auto ambiguous = sets == "amino"    ? rdf_states::AminoAcidAmbiguous
                         : sets == "binary" ? rdf_states::BinaryAmbiguous
                                            : rdf_states::NucleotideAmbiguous;
  Trdf_DataSet set = MakeSet({std::string{c.x, 'A'}, std::string{c.y, 'A'}}, 7, allowed, ambiguous);
  EXPECT_EQ(set.WeightedDistance(1, 2, false), c.weighted);
  EXPECT_EQ(set.UnweightedDistance(1, 2, false), c.weighted / 7);
}

INSTANTIATE_TEST_SUITE_P(
    States, DistanceTest,
    testing::Values(
        DistanceCase{'A', 'A', 0, "nuc"}, DistanceCase{'A', 'R', 0, "nuc"},
        DistanceCase{'R', 'A', 0, "nuc"}, DistanceCase{'A', 'C', 7, "nuc"},
        DistanceCase{'-', 'A', 7, "nuc"}, DistanceCase{'A', '-', 7, "nuc"},
        DistanceCase{'-', 'N', 0, "nuc"}, DistanceCase{'N', '-', 0, "nuc"},
        DistanceCase{'A', 'Y', 7, "nuc"}, DistanceCase{'R', 'Y', 7, "nuc"},
        // Asymmetric: the first taxon's state picks the row.
        DistanceCase{'H', 'B', 0, "nuc"}, DistanceCase{'B', 'H', 7, "nuc"},
        DistanceCase{'H', 'D', 0, "nuc"}, DistanceCase{'D', 'H', 7, "nuc"},
        DistanceCase{'.', '?', 0, "nuc"}, DistanceCase{'?', '.', 7, "nuc"},
        DistanceCase{'N', '?', 0, "nuc"}, DistanceCase{'?', 'N', 7, "nuc"},
        DistanceCase{'?', 'A', 7, "nuc"},
        // Only codes in AmbiguousStates are looked up.
        DistanceCase{'A', 'R', 7, "binary"}, DistanceCase{'0', 'N', 0, "binary"},
        DistanceCase{'1', '0', 7, "binary"},
        // 'X' is compatible with everything once one state is ambiguous.
        DistanceCase{'X', 'L', 0, "amino"}, DistanceCase{'L', 'X', 0, "amino"},
        DistanceCase{'L', 'K', 7, "amino"}, DistanceCase{'A', 'R', 7, "amino"}));

TEST(Distance, InactiveCharactersCountOnlyWithTheFlag) {
  Trdf_DataSet set = MakeSet({"AAA", "ACG"});
  set.Characters[1].Weight = 3;
  set.Characters[2].Weight = 5;
  set.Characters[2].Active = 0;
  EXPECT_EQ(set.WeightedDistance(1, 2, false), 3);
  EXPECT_EQ(set.WeightedDistance(1, 2, true), 8);
  EXPECT_EQ(set.UnweightedDistance(1, 2, false), 1);
  EXPECT_EQ(set.UnweightedDistance(1, 2, true), 2);
}

// --- Equivalent taxa and the frequency criterion ---------------------------------------------

TEST(FindEquivalentTaxa, KeepsTheFirstOfEachGroupActive) {
  struct Case {
    std::vector<std::string> states;
    std::vector<int> active, reps;
  };
  const Case cases[] = {
      {{"AC", "AC", "AC"}, {1, 0, 0}, {0, 1, 1}},
      {{"AC", "GT", "AC", "GT", "CC"}, {1, 1, 0, 0, 1}, {0, 0, 1, 2, 0}},
      {{"AC", "AG", "AT"}, {1, 1, 1}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    Trdf_DataSet set = MakeSet(c.states);
    set.Taxa[0].Active = 0;  // every taxon starts active again
    set.Taxa.back().Representative = 7;
    set.FindEquivalentTaxa();
    EXPECT_EQ(ActiveFlags(set), c.active);
    EXPECT_EQ(Representatives(set), c.reps);
  }
}

TEST(FindEquivalentTaxa, ComparesOnlyActiveCharacters) {
  Trdf_DataSet set = MakeSet({"AC", "AG", "TC"});
  set.Characters[1].Active = 0;
  set.FindEquivalentTaxa();
  EXPECT_EQ(ActiveFlags(set), (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(Representatives(set), (std::vector<int>{0, 1, 0}));
}

TEST(ApplyFrequencyCriterion, KeepsFrequentTaxaAndThoseWithAnIdenticalFollower) {
  struct Case {
    std::vector<std::string> states;
    std::vector<int> frequencies, active;
  };
  const Case cases[] = {
      {{"AA", "CC", "GG"}, {1, 1, 2}, {0, 0, 1}},
      {{"AA", "CC", "AA"}, {1, 1, 1}, {1, 0, 0}},  // the first of a pair survives
      {{"AA", "CC", "GG"}, {5, 0, 1}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    Trdf_DataSet set = MakeSet(c.states);
    for (std::size_t i = 0; i < set.Taxa.size(); ++i) set.Taxa[i].Frequency = c.frequencies[i];
    set.ApplyFrequencyCriterion();
    EXPECT_EQ(ActiveFlags(set), c.active);
  }
}

// --- Editing ---------------------------------------------------------------------------------

TEST(SetWeight, AcceptsZeroTo99AndNamesTheRefusedValue) {
  struct Case { int weight; bool accepted; int active; const char* message; };
  const Case cases[] = {
      {0, true, 0, nullptr},
      {1, true, 1, nullptr},
      {99, true, 1, nullptr},
      {100, false, 1, "Weight 100 is not permissable. Weights must range between 0 and 99."},
      {-1, false, 1, "Weight -1 is not permissable. Weights must range between 0 and 99."},
  };
  for (const Case& c : cases) {
    ScriptedDialogsScope s;
    Trdf_DataSet set = MakeSet({"AC"});
    EXPECT_EQ(set.SetWeight(2, c.weight), c.accepted) << c.weight;
    EXPECT_EQ(set.Characters[1].Weight, c.accepted ? c.weight : 10);
    EXPECT_EQ(set.Characters[1].Active, c.active);
    EXPECT_EQ(s.dialogs.messages(),
              c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
  }
}

TEST(Rename, RefusesNamesInUseAndCutsLongOnes) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = MakeSet({"AC", "GT"});
  const std::string inUse = "This name already exists. Please choose a different one.";

  EXPECT_FALSE(set.RenameTaxon(1, "T2"));
  EXPECT_EQ(set.Taxa[0].Name, "T1");
  EXPECT_TRUE(set.RenameTaxon(1, "T1"));  // its own name is no clash
  EXPECT_TRUE(set.RenameTaxon(1, "ABCDEFGHIJKLMNOPQ"));
  EXPECT_EQ(set.Taxa[0].Name, "ABCDEFGHIJKLMNO");
  // A name that only clashes once cut is refused too.
  EXPECT_FALSE(set.RenameTaxon(2, "ABCDEFGHIJKLMNOxyz"));

  EXPECT_FALSE(set.RenameCharacter(2, "c1"));
  EXPECT_TRUE(set.RenameCharacter(2, "position12"));
  EXPECT_EQ(set.Characters[1].Name, "position");
  EXPECT_FALSE(set.RenameCharacter(1, "positionXY"));
  EXPECT_EQ(set.Characters[0].Name, "c1");

  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>(4, inUse));
  EXPECT_TRUE(set.NameExists("Sequence", "T2", 1));
  EXPECT_FALSE(set.NameExists("Sequence", "T2", 2));
  EXPECT_TRUE(set.NameExists("Character", "c1", 2));
  EXPECT_FALSE(set.NameExists("Character", "T2", 0));
}

TEST(Editing, RefusalsShowTheirMessageAndChangeNothing) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = MakeSet({"AC", "GT"});
  const Trdf_DataSet before = set;

  EXPECT_FALSE(set.SetCharacterState(3, 1, 'A'));
  EXPECT_FALSE(set.SetCharacterState(1, 3, 'A'));
  EXPECT_FALSE(set.SetFrequency(1, 0));
  EXPECT_FALSE(set.SetFrequency(1, 10000));
  EXPECT_FALSE(set.InsertCharacter(1, 10, "A", 'A', "new"));
  EXPECT_FALSE(set.InsertCharacter(1, 100, "AA", 'A', "new"));
  EXPECT_FALSE(set.InsertTaxon(4, "AA", "new", 1));
  EXPECT_FALSE(set.InsertTaxon(1, "AAA", "new", 1));
  EXPECT_EQ(set.Taxa, before.Taxa);
  EXPECT_EQ(set.Characters, before.Characters);

  const std::string range =
      "Either the given sequence number or the character number is out of range. The desired "
      "change will be rejected.";
  const std::string frequency = "Frequency is not within the allowed range.";
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{
                range, range, frequency, frequency,
                "Cannot insert the new character because the given number of character states "
                "does not agree with the available sequences",
                "The given weight is not within the correct range.",
                "The specified position within the data set for the new taxon is incorrect.",
                "The taxon has a length different from the other taxa. It will be ignored."}));

  EXPECT_TRUE(set.SetCharacterState(2, 2, 'R'));
  EXPECT_EQ(set.Taxa[1].States, "GR");
  EXPECT_TRUE(set.SetFrequency(2, 9999));
  EXPECT_EQ(set.Taxa[1].Frequency, 9999);
}

TEST(Delete, TheLastTaxonOrCharacterStays) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = MakeSet({"ACG"});
  EXPECT_FALSE(set.DeleteTaxon(1));
  EXPECT_EQ(set.TaxaCount(), 1);
  EXPECT_FALSE(set.DeleteCharacter(0));  // outside: ignored without a message
  EXPECT_FALSE(set.DeleteCharacter(4));
  EXPECT_TRUE(set.DeleteCharacter(2));
  EXPECT_EQ(set.Taxa[0].States, "AG");
  EXPECT_EQ(set.Characters[1].Name, "c3");
  EXPECT_TRUE(set.DeleteCharacter(1));
  EXPECT_FALSE(set.DeleteCharacter(1));
  EXPECT_EQ(set.Taxa[0].States, "G");
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{
                "Cannot delete the specified taxon because at least one taxon has to remain in the "
                "data set.",
                "Cannot delete the specified character because at least one character has to "
                "remain in the data set."}));
}

TEST(InsertTaxon, AddsAtThePositionWithEmptyInformation) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = MakeSet({"AC", "GT"});
  set.Taxa[0].Info = {"a", "b", "c", "d", "e", "f"};
  set.Taxa[1].Active = 0;
  EXPECT_TRUE(set.InsertTaxon(3, "CC", "Last", 4));  // count + 1 appends
  EXPECT_TRUE(set.InsertTaxon(1, "TT", "A name longer than fifteen", 2));
  ASSERT_EQ(set.TaxaCount(), 4);
  const Trdf_Sequence& first = set.Taxon(1);
  EXPECT_EQ(first.Name, "A name longer t");
  EXPECT_EQ(first.States, "TT");
  EXPECT_EQ(first.Frequency, 2);
  EXPECT_EQ(first.Active, 1);
  EXPECT_EQ(first.Representative, 0);
  for (const std::string& info : first.Info) EXPECT_EQ(info, "");
  EXPECT_EQ(set.Taxon(2).Info[0], "a");
  EXPECT_EQ(set.Taxon(4).Name, "Last");
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(InsertTaxon, AboveTheTaxonLimitOnlyMedianVectorsAreAccepted) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = MakeSet({"A"});
  set.Taxa.resize(rdf_limits::MaxTaxa, set.Taxa[0]);
  EXPECT_FALSE(set.InsertTaxon(1, "C", "T30001", 1));
  EXPECT_TRUE(set.InsertTaxon(30001, "C", "mv1", 1));
  EXPECT_TRUE(set.InsertTaxon(30002, "C", "sco7", 1));
  set.Taxa.resize(rdf_limits::MaxTaxaWithMedians, set.Taxa[0]);
  EXPECT_FALSE(set.InsertTaxon(50001, "C", "mv2", 1));
  EXPECT_EQ(set.TaxaCount(), rdf_limits::MaxTaxaWithMedians);
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>(
                2, "The maximum number of taxa is attained. Please contact Movrel for help."));
}

TEST(InsertCharacter, InsertsAColumn) {
  Trdf_DataSet set = MakeSet({"AC", "GT", "CC"});
  EXPECT_TRUE(set.InsertCharacter(2, 0, "xyz", 'y', "new name!"));
  EXPECT_TRUE(set.InsertCharacter(4, 5, "123", '1', "end"));
  EXPECT_EQ(set.Taxa[0].States, "AxC1");
  EXPECT_EQ(set.Taxa[2].States, "CzC3");
  const Trdf_Character& c = set.Character(2);
  EXPECT_EQ(c.Name, "new name");
  EXPECT_EQ(c.Weight, 0);
  EXPECT_EQ(c.MajorityState, 'y');
  EXPECT_EQ(c.Active, 1);
  EXPECT_EQ(c.EqualTo, 0);
}

TEST(TaxonInfo, IsCutTo50Characters) {
  Trdf_DataSet set = MakeSet({"A"});
  EXPECT_TRUE(set.SetTaxonInfo(6, 1, std::string(60, 'x')));
  EXPECT_EQ(set.Taxa[0].Info[5], std::string(50, 'x'));
  EXPECT_FALSE(set.SetTaxonInfo(7, 1, "y"));
  EXPECT_FALSE(set.SetTaxonInfo(1, 2, "y"));
}

// --- Checks ----------------------------------------------------------------------------------

TEST(CheckBinaryCharacters, RecodesTwoStateCharactersOrNamesTheFirstOther) {
  {
    ScriptedDialogsScope s;
    Trdf_DataSet set = MakeSet({"AGC", "GAC", "NAC", "AAT"});
    bool notBinary = false;
    set.CheckBinaryCharacters(notBinary);
    EXPECT_FALSE(notBinary);
    EXPECT_EQ(Column(set, 1), "01N0");
    EXPECT_EQ(Column(set, 2), "0111");  // the first state seen becomes 0
    EXPECT_EQ(Column(set, 3), "0001");
    EXPECT_TRUE(s.dialogs.messages().empty());
  }
  {
    ScriptedDialogsScope s;
    Trdf_DataSet set = MakeSet({"CA", "CG", "CA", "CT"});
    bool notBinary = false;
    set.CheckBinaryCharacters(notBinary);
    EXPECT_TRUE(notBinary);
    EXPECT_EQ(Column(set, 2), "AGAT");  // nothing recoded
    ASSERT_EQ(s.dialogs.messages().size(), 1u);
    EXPECT_EQ(s.dialogs.messages()[0],
              "The specified data set cannot be processed by the Reduced Median algorithm because "
              "it contains at least one character which is not binary.\r\rOption 1. Please use the "
              "Median-Joining algorithm instead: Proceed to Calculation> Network Calculations> "
              "Median Joining etc.\r\rOption 2. Please binarise the offending character(s) "
              "(recommended only when very few amendments are required). Proceed to File> "
              "Modify>File Selection and either delete the entire column c2, or estimate the "
              "ancestral nucleotide (e.g. from an exploratory MJ network) and replace that entry "
              "in the table.");
  }
  {
    Trdf_DataSet set = MakeSet({"A", "G"});
    bool notBinary = true;  // already known: nothing is done
    set.CheckBinaryCharacters(notBinary);
    EXPECT_EQ(Column(set, 1), "AG");
  }
}

TEST(CheckDuplicateNames, ChecksTaxaFirst) {
  const std::string taxa =
      "The dataset contains at least two taxa with the same name. This might cause problems "
      "within the graphics algorithm. Please correct the problem before performing any "
      "calculations.";
  const std::string characters =
      "The dataset contains at least two characters with the same name. This will cause problems "
      "within the graphics algorithm. Please correct the problem before performing any "
      "calculations.";
  Trdf_DataSet set = MakeSet({"AC", "GT"});
  set.Taxa[1].Name = "T1";
  set.Characters[1].Name = "c1";
  {
    ScriptedDialogsScope s;
    EXPECT_FALSE(set.CheckDuplicateNames(true, true));
    EXPECT_FALSE(set.CheckDuplicateNames(false, true));
    EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{taxa, characters}));
  }
  {
    ScriptedDialogsScope s;
    EXPECT_TRUE(set.CheckDuplicateNames(false, false));
    EXPECT_FALSE(set.CheckDuplicateNames(true, false, false));
    EXPECT_TRUE(s.dialogs.messages().empty());
  }
}

TEST(SequenceExists, HonoursTheInactiveFlags) {
  Trdf_DataSet set = MakeSet({"ACG", "TTT"});
  set.Taxa[1].Active = 0;
  set.Characters[2].Active = 0;
  Trdf_Sequence probe;
  probe.States = "ACT";
  EXPECT_TRUE(set.SequenceExists(probe, false, false));
  EXPECT_FALSE(set.SequenceExists(probe, false, true));
  probe.States = "TTT";
  EXPECT_FALSE(set.SequenceExists(probe, false, true));
  EXPECT_TRUE(set.SequenceExists(probe, true, true));
  probe.States = "T";  // too short to match
  EXPECT_FALSE(set.SequenceExists(probe, true, true));
}

TEST(Names, RootAndBlanks) {
  Trdf_DataSet set = MakeSet({"A", "C", "G"});
  set.Taxa[0].Name = "Root";
  set.Taxa[1].Name = "a b c";
  set.Taxa[2].Name = "ROOTS";
  set.Characters[0].Name = " p 1 ";
  set.SetRootActive(false);
  EXPECT_EQ(ActiveFlags(set), (std::vector<int>{0, 1, 1}));
  set.SetRootActive(true);
  EXPECT_EQ(ActiveFlags(set), (std::vector<int>{1, 1, 1}));
  set.RemoveBlanksFromNames(false, true);
  EXPECT_EQ(set.Taxa[1].Name, "abc");
  EXPECT_EQ(set.Characters[0].Name, " p 1 ");
  set.RemoveBlanksFromNames(true, false);
  EXPECT_EQ(set.Characters[0].Name, "p1");
}

TEST(ComputeMajorityStates, TiesGoToTheFirstSeenAndOnlyTenStatesCount) {
  // Column 1: A and C twice each, A first. Column 2: ten single states, then an eleventh state
  // three times, which is never counted.
  Trdf_DataSet set = MakeSet({"CA", "AB", "AC", "CD", "-E", "-F", "-G", "-H", "-I", "-J", "-K",
                              "-K", "-K"});
  set.ComputeMajorityStates();
  EXPECT_EQ(set.Characters[0].MajorityState, '-');
  set.Taxa.resize(4);
  set.ComputeMajorityStates();
  EXPECT_EQ(set.Characters[0].MajorityState, 'C');
  EXPECT_EQ(set.Characters[1].MajorityState, 'A');

  Trdf_DataSet eleven = MakeSet({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "K", "K"});
  eleven.ComputeMajorityStates();
  EXPECT_EQ(eleven.Characters[0].MajorityState, 'A');
}

// --- Ambiguity resolution ----------------------------------------------------------------------

TEST(ResolveAmbiguousStatesOfTaxon, ChoosesByColumnCounts) {
  struct Case { const char* column; char resolved; const char* allowed; };
  // The first state of each column is the ambiguous cell, the others give the counts.
  const Case cases[] = {
      {"NGGC", 'G', "nuc"},  {"NACC", 'C', "nuc"},  {"NAGC", 'A', "nuc"},  // ties keep the earlier
      {"N", 'A', "nuc"},     {"N", '0', "bin"},     {"N11", '1', "bin"},
      {"BGC", 'G', "nuc"},   {"BGCC", 'C', "nuc"},  {"BGTT", 'T', "nuc"},
      {"DAG", 'A', "nuc"},   {"DGG", 'G', "nuc"},   {"DGTT", 'T', "nuc"},
      {"HCCA", 'C', "nuc"},  {"HTT", 'T', "nuc"},   {"H", 'A', "nuc"},
      {"VGGA", 'G', "nuc"},  {"VCC", 'C', "nuc"},
      {"KGT", 'G', "nuc"},   {"KTT", 'T', "nuc"},   {"SGC", 'G', "nuc"},  {"SCC", 'C', "nuc"},
      {"YCT", 'C', "nuc"},   {"YTT", 'T', "nuc"},
      {"MC", 'C', "nuc"},    {"MAC", 'A', "nuc"},   {"RG", 'G', "nuc"},   {"RAG", 'A', "nuc"},
      {"WT", 'T', "nuc"},    {"W", 'A', "nuc"},     {"R", '0', "noA"},    // default without 'A'
  };
  for (const Case& c : cases) {
    std::vector<std::string> states;
    for (const char* p = c.column; *p; ++p) states.emplace_back(1, *p);
    const std::string_view which = c.allowed;
    Trdf_DataSet set = MakeSet(states, 10,
                               which == "bin"   ? rdf_states::BinaryAllowed
                               : which == "noA" ? std::string_view("-01RN")
                                                : rdf_states::NucleotideAllowed,
                               which == "bin" ? rdf_states::BinaryAmbiguous
                                              : rdf_states::NucleotideAmbiguous);
    set.ResolveAmbiguousStatesOfTaxon(false, false);
    EXPECT_EQ(set.Taxa[0].States[0], c.resolved) << c.column;
  }
}

TEST(ResolveAmbiguousStatesOfTaxon, ResolvedCellsCountForLaterOnes) {
  // M becomes C (A 0 < C 1); that second C then beats G for the N, which a count taken before the
  // M was resolved would have tied, keeping G.
  Trdf_DataSet set = MakeSet({"M", "N", "C", "G"});
  set.ResolveAmbiguousStatesOfTaxon(false, false);
  EXPECT_EQ(Column(set, 1), "CCCG");
}

TEST(ResolveAmbiguousStatesOfTaxon, SkipsInactiveTaxaAndCharactersUnlessAsked) {
  Trdf_DataSet set = MakeSet({"NN", "NN", "CC"});
  set.Taxa[1].Active = 0;
  set.Characters[1].Active = 0;
  set.ResolveAmbiguousStatesOfTaxon(false, false);
  EXPECT_EQ(set.Taxa[0].States, "CN");
  EXPECT_EQ(set.Taxa[1].States, "NN");
  set.ResolveAmbiguousStatesOfTaxon(true, true);
  EXPECT_EQ(set.Taxa[1].States, "CC");
}

TEST(ReplaceAmbiguousStates, TakesTheStateOfTheNearestTaxa) {
  // Taxon 1 is nearest to taxon 2 (G at the ambiguous position), although the column holds more
  // A's; plain column counts would pick A.
  Trdf_DataSet set = MakeSet({"RCCC", "GCCC", "AAAA", "AAAA", "ATTT"});
  set.ReplaceAmbiguousStates(false, false);
  EXPECT_EQ(set.Taxa[0].States, "GCCC");
}

TEST(ReplaceAmbiguousStates, TiesGoToTheEarlierSymbolAndPassesRepeat) {
  // Taxon 1's nearest taxa are 2 and 3 (distance 0 through 'N'); R admits A and G, one each: A.
  Trdf_DataSet set = MakeSet({"RN", "AC", "GC", "TT"});
  set.Characters[1].Weight = 1;
  set.ReplaceAmbiguousStates(false, false);
  EXPECT_EQ(set.Taxa[0].States, "AC");
  // '?' admits no symbol here and is left to the column counts.
  Trdf_DataSet q = MakeSet({"?C", "GC", "GC", "AA"});
  q.ReplaceAmbiguousStates(false, false);
  EXPECT_EQ(q.Taxa[0].States, "GC");
}

TEST(ReplaceAmbiguousStates, DistancesAbove16BitsStillFindTheNearest) {
  // Taxon 2 is 600 x 99 away from taxon 1; taxa 3 and 4 are 663 x 99 = 65637 away, which would
  // wrap to 101 in 16 bits and look nearer. The column counts would choose A.
  const std::string tail(663, 'A');
  Trdf_DataSet set = MakeSet({"R" + tail, "G" + std::string(600, 'C') + std::string(63, 'A'),
                              "A" + std::string(663, 'C'), "A" + std::string(663, 'C')},
                             99);
  set.ReplaceAmbiguousStates(false, false);
  EXPECT_EQ(set.Taxa[0].States[0], 'G');
}

TEST(ReplaceAmbiguousStates, IsRefusedForAminoAcids) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = MakeSet({"XA", "LA"}, 10, rdf_states::AminoAcidAllowed,
                             rdf_states::AminoAcidAmbiguous);
  set.ReplaceAmbiguousStates(true, true);
  EXPECT_EQ(set.Taxa[0].States, "XA");
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"Sorry, the replacement of ambiguous states has not been "
                                     "implemented for amino acid data yet."});
}
