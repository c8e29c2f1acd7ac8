#include "RDF_DataSet_Definition.h"

#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testpaths::readFile;
using testpaths::testData;
using testpaths::writeFile;

namespace {

std::string Fixture(const std::string& name) { return testData("rdf/" + name).string(); }

Trdf_DataSet NucleotideSet() {
  Trdf_DataSet set;
  set.SetStateSets(rdf_states::NucleotideAllowed, rdf_states::NucleotideAmbiguous);
  return set;
}

// Reads a file with messages on; the messages shown are returned through `messages`.
Trdf_DataSet Read(const std::string& file, bool& error, std::vector<std::string>& messages,
                  std::string_view tag = "MJ", bool checkNames = true) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = NucleotideSet();
  set.ReadRdfFile(file, error, true, tag, checkNames);
  messages = s.dialogs.messages();
  return set;
}

// Reads text in memory with the given state sets and messages on.
struct TextRead {
  Trdf_DataSet set;
  bool error = false;
  std::vector<std::string> messages;
};
TextRead ReadText(const std::string& text, std::string_view tag = "MJ",
                  std::string_view allowed = rdf_states::NucleotideAllowed,
                  std::string_view ambiguous = rdf_states::NucleotideAmbiguous,
                  bool checkNames = true) {
  ScriptedDialogsScope s;
  TextRead r;
  r.set.SetStateSets(allowed, ambiguous);
  r.set.ReadRdfText(text, r.error, true, tag, checkNames);
  r.messages = s.dialogs.messages();
  return r;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A current-layout file of three taxa over characters a, b, c with the given states lines.
std::string ThreeTaxa(const std::string& s1, const std::string& s2, const std::string& s3,
                      const std::string& first = "  ;1.0") {
  return Lines({first, "a;b;c;", "10;10;10;", ">T1;1;;;;;;;", s1, ">T2;1;;;;;;;", s2,
                ">T3;1;;;;;;;", s3});
}

std::vector<std::string> Names(const Trdf_DataSet& set) {
  std::vector<std::string> names;
  for (const Trdf_Sequence& t : set.Taxa) names.push_back(t.Name);
  return names;
}

const std::string LessThanThree =
    "This file contains less than 3 different sequences. Return to Data Entry and add further "
    "sequences.";
const std::string ContainsN =
    "This file contains at least one N. The more Ns a file contains the less reliable the "
    "phylogenetic analysis will be.";

}  // namespace

// --- Current layout --------------------------------------------------------------------------

TEST(ReadRdf, ReadsCharactersWeightsAndTaxa) {
  bool error = true;
  std::vector<std::string> messages;
  const Trdf_DataSet set = Read(Fixture("basic.rdf"), error, messages);
  ASSERT_FALSE(error);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(set.DataType, ' ');
  ASSERT_EQ(set.CharacterCount(), 3);
  const char* names[] = {"a", "b", "c"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(set.Characters[i].Name, names[i]);
    EXPECT_EQ(set.Characters[i].EqualTo, 0);
  }
  EXPECT_EQ(set.Characters[1].Weight, 0);
  EXPECT_EQ(set.Characters[1].Active, 0);
  EXPECT_EQ(set.Characters[2].Weight, 10);
  EXPECT_EQ(set.Characters[2].Active, 1);
  ASSERT_EQ(set.TaxaCount(), 3);
  EXPECT_EQ(Names(set), (std::vector<std::string>{"T1", "T2", "T3"}));
  EXPECT_EQ(set.Taxa[1].States, "ACT");
  EXPECT_EQ(set.Taxa[1].Frequency, 2);
  EXPECT_EQ(set.Taxa[1].Info[0], "Cave");
  EXPECT_EQ(set.Taxa[1].Info[1], "1998");
  EXPECT_EQ(set.Taxa[1].Info[2], "");
  // Majority states have been computed.
  EXPECT_EQ(set.Characters[0].MajorityState, 'A');
  EXPECT_EQ(set.Characters[2].MajorityState, 'T');
}

TEST(ReadRdf, EveryLineEndReadsTheSameAndNoFileIsRewritten) {
  bool error = true;
  std::vector<std::string> messages;
  const Trdf_DataSet crlf = Read(Fixture("basic.rdf"), error, messages);
  ASSERT_FALSE(error);
  for (const char* twin : {"basic_lf.rdf", "basic_cr.rdf"}) {
    const std::string before = readFile(Fixture(twin));
    const Trdf_DataSet set = Read(Fixture(twin), error, messages);
    EXPECT_FALSE(error) << twin;
    EXPECT_TRUE(messages.empty()) << twin;
    EXPECT_EQ(set.Taxa, crlf.Taxa) << twin;
    EXPECT_EQ(set.Characters, crlf.Characters) << twin;
    EXPECT_EQ(readFile(Fixture(twin)), before) << twin;
  }
}

TEST(ReadRdf, StarContractionFileWithInformationAndNs) {
  bool error = true;
  std::vector<std::string> messages;
  const Trdf_DataSet set = Read(Fixture("star.sco"), error, messages, "SC");
  ASSERT_FALSE(error);
  EXPECT_EQ(messages, std::vector<std::string>{ContainsN});  // once, for '?' and 'N' together
  EXPECT_EQ(set.DataType, 'S');
  ASSERT_EQ(set.TaxaCount(), 4);
  EXPECT_EQ(set.Taxa[1].States, "ANGT");  // '?' is stored as 'N'
  EXPECT_EQ(set.Taxa[2].States, "ANGA");
  EXPECT_EQ(set.Taxa[3].Frequency, 12);
  EXPECT_EQ(set.Taxa[2].Info, (std::array<std::string, 6>{"south", "x", "y", "z", "u", "v"}));
  EXPECT_EQ(set.Characters[2].Active, 0);
  EXPECT_EQ(set.Characters[3].Weight, 99);
}

TEST(ReadRdf, NMessageOnlyWhenMessagesAreOn) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = NucleotideSet();
  bool error = true;
  EXPECT_TRUE(set.ReadRdfFile(Fixture("star.sco"), error, false, "SC", true));
  EXPECT_FALSE(error);
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(ReadRdf, StatesMayBeSplitOverLinesAndCarrySemicolons) {
  bool error = true;
  std::vector<std::string> messages;
  const Trdf_DataSet set = Read(Fixture("split_states.rdf"), error, messages);
  ASSERT_FALSE(error);
  EXPECT_EQ(set.Taxa[0].States, "ACGT");
  EXPECT_EQ(set.Taxa[1].States, "ACGA");
}

TEST(ReadRdf, FieldsWithoutClosingSemicolonLoseTheirLastCharacter) {
  // A last field without its ';' is cut as if its last character were the closing ';'.
  const TextRead r = ReadText(Lines({"  ;1.0", "a;b;cd", "10;10;77", ">T1;12", "ACG",
                                     ">T2;1;;;;;;;", "ACT", ">T3;1;info", "GCT"}));
  ASSERT_FALSE(r.error);
  ASSERT_EQ(r.set.CharacterCount(), 3);
  EXPECT_EQ(r.set.Characters[2].Name, "c");
  EXPECT_EQ(r.set.Characters[2].Weight, 7);
  EXPECT_EQ(r.set.Taxa[0].Frequency, 1);
  EXPECT_EQ(r.set.Taxa[2].Info[0], "inf");
  for (const Trdf_Sequence& t : r.set.Taxa)
    for (int k = 1; k < 6; ++k) EXPECT_EQ(t.Info[k], "");
}

TEST(ReadRdf, LongNamesAreRenamedWithARunningCounter) {
  const TextRead two = ReadText(Lines({"  ;1.0", "a;b;", "10;10;", ">ABCDEFGHIJKLM;1;;;;;;;", "AA",
                                       ">ABCDEFGHIJKLMN;1;;;;;;;", "CA",
                                       ">ABCDEFGHIJKLMNOPQ;1;;;;;;;", "GA"}));
  ASSERT_FALSE(two.error);
  EXPECT_EQ(Names(two.set),
            (std::vector<std::string>{"ABCDEFGHIJKLM", "ABCDEFGHIJKLMN1", "ABCDEFGHIJKLMN2"}));
  const std::string prefix = "Warning: Sequence ";
  const std::string middle =
      "  has been shortened/renamed to fit into the Tarvane sequence name limit of 15 "
      "characters. New name: ";
  EXPECT_EQ(two.messages,
            (std::vector<std::string>{prefix + "ABCDEFGHIJKLMN" + middle + "ABCDEFGHIJKLMN1",
                                      prefix + "ABCDEFGHIJKLMNOPQ" + middle + "ABCDEFGHIJKLMN2"}));
}

TEST(ReadRdf, TheTenthRenamedNameKeepsFewerCharacters) {
  std::vector<std::string> lines = {"  ;1.0", "a;b;", "10;10;"};
  for (int i = 0; i < 10; ++i) {
    lines.push_back(">" + std::string(14, static_cast<char>('a' + i)) + ";1;;;;;;;");
    lines.push_back("AC");
  }
  const TextRead r = ReadText(Lines(lines));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.set.Taxa[8].Name, std::string(14, 'i') + "9");
  EXPECT_EQ(r.set.Taxa[9].Name, std::string(13, 'j') + "10");
}

TEST(ReadRdf, WeightsObeyTheirRules) {
  struct Case {
    const char* weights;
    std::vector<int> expected;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"10;0;99;", {10, 0, 99}, {}},
      {"10;x;5;", {10, 10, 5},
       {"The data file contains an error concerning the weight of character number b The weight "
        "has been set to 10."}},
      {"10;100;5;", {10, 10, 5},
       {"Weight 100 is not permissable. Weights must range between 0 and 99."}},
      {"-3;1;5;", {10, 1, 5}, {"Weight -3 is not permissable. Weights must range between 0 and 99."}},
      {"7;", {7, 10, 10},
       {"Warning: The number of given weights does not fit to the number of characters."}},
      {"1;2;3;4;5;", {1, 2, 3}, {}},  // surplus weights are ignored
  };
  for (const Case& c : cases) {
    const TextRead r = ReadText(Lines({"  ;1.0", "a;b;c;", c.weights, ">T1;1;;;;;;;", "ACG",
                                       ">T2;1;;;;;;;", "ACT", ">T3;1;;;;;;;", "GCT"}));
    ASSERT_FALSE(r.error) << c.weights;
    std::vector<int> weights;
    for (const Trdf_Character& ch : r.set.Characters) {
      weights.push_back(ch.Weight);
      EXPECT_EQ(ch.Active, ch.Weight != 0);
    }
    EXPECT_EQ(weights, c.expected) << c.weights;
    EXPECT_EQ(r.messages, c.messages) << c.weights;
  }
}

TEST(ReadRdf, FrequencyThatIsNoNumberStaysOneSilently) {
  const TextRead r = ReadText(Lines({"  ;1.0", "a;b;", "10;10;", ">T1;many;;;;;;;", "AC",
                                     ">T2;7;;;;;;;", "AG", ">T3;;;;;;;;", "AT", ">T4;0;;;;;;;",
                                     "CT"}));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.set.Taxa[0].Frequency, 1);
  EXPECT_EQ(r.set.Taxa[1].Frequency, 7);
  EXPECT_EQ(r.set.Taxa[2].Frequency, 1);
  EXPECT_EQ(r.set.Taxa[3].Frequency, 0);  // zero is a frequency; only a negative one is refused
  EXPECT_TRUE(r.messages.empty());
}

TEST(ReadRdf, InformationIsCutTo50) {
  const TextRead r = ReadText(Lines({"  ;1.0", "longname1;b;", "10;10;",
                                     ">T1;1;" + std::string(60, 'i') + ";;;;;;", "AC",
                                     ">T2;1;;;;;;;", "AG", ">T3;1;;;;;;;", "AT"}));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.set.Taxa[0].Info[0], std::string(50, 'i'));
  EXPECT_EQ(r.set.Characters[0].Name, "longname");
}

TEST(ReadRdf, ShortOrLongStatesLinesAreRefusedNamingTheTaxon) {
  bool error = false;
  std::vector<std::string> messages;
  const Trdf_DataSet set = Read(Fixture("short_states.rdf"), error, messages);
  EXPECT_TRUE(error);
  EXPECT_EQ(set.TaxaCount(), 0);
  EXPECT_EQ(set.CharacterCount(), 0);
  EXPECT_EQ(messages, std::vector<std::string>{
                          "Sequence Short has 2 character states, but the data set has 3 "
                          "characters. Please correct the data file and then try again."});

  // The last taxon is checked too, and so is a taxon with too many states.
  for (const std::string& text : {ThreeTaxa("ACG", "ACT", "GC"), ThreeTaxa("ACG", "ACTT", "GCT"),
                                  ThreeTaxa("ACG", "", "GCT")}) {
    const TextRead r = ReadText(text);
    EXPECT_TRUE(r.error);
    EXPECT_EQ(r.set.TaxaCount(), 0);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].rfind("Sequence T", 0), 0u) << r.messages[0];
  }
}

TEST(ReadRdf, OtherVersionsReadNoTaxa) {
  const TextRead r = ReadText(ThreeTaxa("ACG", "ACT", "GCT", "  ;2.0"));
  EXPECT_TRUE(r.error);
  EXPECT_EQ(r.messages, std::vector<std::string>{LessThanThree});
  EXPECT_EQ(r.set.CharacterCount(), 0);
}

TEST(ReadRdf, FewerThanThreeTaxaIsAnError) {
  const TextRead r = ReadText(Lines({"  ;1.0", "a;b;", "10;10;", ">T1;1;;;;;;;", "AC",
                                     ">T2;1;;;;;;;", "AG"}));
  EXPECT_TRUE(r.error);
  EXPECT_EQ(r.messages, std::vector<std::string>{LessThanThree});
}

TEST(ReadRdf, DuplicateNamesFailOnlyWhenChecked) {
  const std::string text = Lines({"  ;1.0", "a;a;", "10;10;", ">T1;1;;;;;;;", "AC",
                                  ">T2;1;;;;;;;", "AG", ">T1;1;;;;;;;", "AT"});
  const TextRead checked = ReadText(text);
  EXPECT_TRUE(checked.error);
  ASSERT_EQ(checked.messages.size(), 1u);
  EXPECT_EQ(checked.messages[0].rfind("The dataset contains at least two taxa", 0), 0u);
  const TextRead unchecked = ReadText(text, "MJ", rdf_states::NucleotideAllowed,
                                      rdf_states::NucleotideAmbiguous, false);
  EXPECT_FALSE(unchecked.error);
  EXPECT_TRUE(unchecked.messages.empty());
}

TEST(ReadRdf, BadStatesGiveTheMessageOfTheTag) {
  const std::string sequence2 =
      "Sequence number 2 contains an incorrect character. Please correct the data file and then "
      "try again.";
  struct Case {
    const char* tag;
    const char* sets;  // "nuc", "amino" or "binary"
    char state;
    std::string message;  // empty: the error comes without a message
  };
  const Case cases[] = {
      {"RM", "nuc", 'Z',
       "This appears to be a multistate rdf file. The reduced median network can only accept "
       "binary rdf files. Please apply the median-joining network method instead, or recode your "
       "file as a binary rdf file using the rdf editor."},
      {"RM", "binary", 'A',
       "This appears to be a multistate rdf file. The reduced median network can only accept "
       "binary rdf files. Please apply the median-joining network method instead, or recode your "
       "file as a binary rdf file using the rdf editor."},
      {"Editor", "nuc", 'Z',
       "This appears to be a multistate rdf file. Please choose the correct data type and try "
       "again."},
      {"SIM", "binary", 'G',
       "This appears to be a multistate rdf file. The forward simulation can only accept binary "
       "rdf files. Please recode your file as a binary rdf file using the rdf editor."},
      {"MJ", "nuc", 'Z', sequence2},
      {"SC", "nuc", 'a', sequence2},  // lower case is refused in this layout
      {"Mismatch", "nuc", 'J', sequence2},
      {"MJ", "amino", 'J', sequence2},
      {"Editor", "amino", '1',
       "This appears to be a binary rdf file. Please choose the correct data type and try again."},
      {"MJ", "amino", '0', ""},
  };
  for (const Case& c : cases) {
    const std::string_view sets = c.sets;
    const std::string text = sets == "binary"
                                 ? ThreeTaxa("010", std::string{'0', c.state, '1'}, "110")
                                 : ThreeTaxa("ACG", std::string{'A', c.state, 'T'}, "GCT");
    const TextRead r = ReadText(text, c.tag,
                                sets == "amino"    ? rdf_states::AminoAcidAllowed
                                : sets == "binary" ? rdf_states::BinaryAllowed
                                                   : rdf_states::NucleotideAllowed,
                                sets == "amino"    ? rdf_states::AminoAcidAmbiguous
                                : sets == "binary" ? rdf_states::BinaryAmbiguous
                                                   : rdf_states::NucleotideAmbiguous);
    EXPECT_TRUE(r.error) << c.tag << ' ' << c.state;
    EXPECT_EQ(r.set.TaxaCount(), 0);
    EXPECT_EQ(r.messages,
              c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
        << c.tag << ' ' << c.state;
  }
}

TEST(ReadRdf, NoMessagesUnlessAsked) {
  ScriptedDialogsScope s;
  Trdf_DataSet set = NucleotideSet();
  bool error = false;
  EXPECT_FALSE(set.ReadRdfText(ThreeTaxa("ACG", "AZT", "GCT"), error, false, "RM", true));
  EXPECT_TRUE(error);
  EXPECT_FALSE(set.ReadRdfFile(Fixture("short_states.rdf"), error, false, "MJ", true));
  EXPECT_FALSE(set.ReadRdfFile("/nonexistent/file.rdf", error, false, "MJ", true));
  EXPECT_TRUE(error);
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(ReadRdf, AMissingFileIsReported) {
  bool error = false;
  std::vector<std::string> messages;
  const Trdf_DataSet set = Read("/nonexistent/file.rdf", error, messages);
  EXPECT_TRUE(error);
  EXPECT_EQ(set.TaxaCount(), 0);
  EXPECT_EQ(messages,
            std::vector<std::string>{"The file /nonexistent/file.rdf cannot be opened."});
}

TEST(ReadRdf, ADataSetIsReplacedByTheFileRead) {
  bool error = true;
  std::vector<std::string> messages;
  Trdf_DataSet set = Read(Fixture("star.sco"), error, messages);
  ScriptedDialogsScope s;
  ASSERT_TRUE(set.ReadRdfFile(Fixture("basic.rdf"), error, true, "MJ", true));
  EXPECT_EQ(set.DataType, ' ');
  EXPECT_EQ(set.TaxaCount(), 3);
  EXPECT_EQ(set.CharacterCount(), 3);
}

TEST(ReadRdf, TheTaxonLimitIsChecked) {
  std::string text = Lines({"  ;1.0", "a;b;", "10;10;"});
  for (int i = 0; i <= rdf_limits::MaxTaxa; ++i) text += ">T" + std::to_string(i) + ";1;\r\nAC\r\n";
  const TextRead r = ReadText(text, "MJ", rdf_states::NucleotideAllowed,
                              rdf_states::NucleotideAmbiguous, false);
  EXPECT_TRUE(r.error);
  EXPECT_EQ(r.set.TaxaCount(), 0);
  EXPECT_EQ(r.messages, std::vector<std::string>{"The maximum number of sequences (30000) is "
                                                 "attained. Please contact Movrel for help."});
}

TEST(ReadRdf, TheCharacterLimitIsCheckedInBothLayouts) {
  const std::string limit =
      "The maximum number of characters (10000) is attained. Please contact Movrel for help.";
  std::string names, weights;
  for (int i = 0; i <= rdf_limits::MaxCharacters; ++i) {
    names += "c" + std::to_string(i) + ";";
    weights += "10;";
  }
  const TextRead current = ReadText(Lines({"  ;1.0", names, weights}));
  EXPECT_TRUE(current.error);
  EXPECT_EQ(current.messages, std::vector<std::string>{limit});

  const TextRead old = ReadText(Lines({"       " + std::string(10001, 'A')}));
  EXPECT_TRUE(old.error);
  EXPECT_EQ(old.messages, std::vector<std::string>{limit});
  EXPECT_EQ(old.set.CharacterCount(), 0);
}

// --- Old fixed-column layout --------------------------------------------------------------------

TEST(ReadOldRdf, ReadsVerticalNamesTaxaFrequenciesAndWeights) {
  bool error = true;
  std::vector<std::string> messages;
  const Trdf_DataSet set = Read(Fixture("old.rdf"), error, messages);
  ASSERT_FALSE(error) << (messages.empty() ? "" : messages[0]);
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(set.CharacterCount(), 4);
  EXPECT_EQ(set.Characters[0].Name, "10    ");
  EXPECT_EQ(set.Characters[3].Name, "40    ");
  const int weights[] = {10, 5, 0, 10};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(set.Characters[i].Weight, weights[i]);
    EXPECT_EQ(set.Characters[i].Active, weights[i] != 0);
  }
  EXPECT_EQ(Names(set), (std::vector<std::string>{"  TAX1", "  TAX2", "  TAX3"}));
  EXPECT_EQ(set.Taxa[0].States, "ACGT");  // read in upper case
  EXPECT_EQ(set.Taxa[1].States, "ACGA");
  EXPECT_EQ(set.Taxa[1].Frequency, 2);
  EXPECT_EQ(set.Taxa[2].Frequency, 1);
}

TEST(ReadOldRdf, WithoutNameColumnsTaxaAreNumbered) {
  bool error = true;
  std::vector<std::string> messages;
  const Trdf_DataSet set = Read(Fixture("old_noname.rdf"), error, messages, "MJ", false);
  ASSERT_FALSE(error) << (messages.empty() ? "" : messages[0]);
  ASSERT_EQ(set.CharacterCount(), 3);
  EXPECT_EQ(set.Characters[0].Name, "A     ");
  EXPECT_EQ(Names(set), (std::vector<std::string>{"    -3", "    -2", "    -1"}));
  EXPECT_EQ(set.Taxa[1].States, "ACT");
  EXPECT_EQ(set.Taxa[1].Frequency, 4);
  EXPECT_EQ(set.Characters[1].Weight, 5);
}

TEST(ReadOldRdf, ALine2WithOneClosingSemicolonMeansTheOldLayout) {
  const TextRead r = ReadText(Lines({"       AB", "       x;", "", "", "", "", "t1     AC  1",
                                     "t2     AG  1", "t3     CG  1", "", "1010"}));
  ASSERT_FALSE(r.error) << (r.messages.empty() ? "" : r.messages[0]);
  EXPECT_EQ(r.set.Characters[0].Name, "Ax    ");
  EXPECT_EQ(r.set.Characters[1].Name, "B     ");
  EXPECT_EQ(r.set.Taxa[2].States, "CG");
  EXPECT_EQ(r.set.Taxa[2].Name, "T3    ");
}

TEST(ReadOldRdf, FrequencyAndWeightErrorsAreRepaired) {
  const TextRead r = ReadText(Lines({"       ABC", "", "", "", "", "", "t1     ACG  1",
                                     "t2     AGGabc", "t3     CGG", "", "10x107"}));
  ASSERT_FALSE(r.error) << (r.messages.empty() ? "" : r.messages[0]);
  EXPECT_EQ(r.set.Taxa[1].Frequency, 1);
  EXPECT_EQ(r.set.Taxa[2].Frequency, 1);  // ends early: silently 1
  // Pairs "10", "x1", "07": the middle one is refused; "x" does not shift the rest.
  EXPECT_EQ(r.set.Characters[0].Weight, 10);
  EXPECT_EQ(r.set.Characters[1].Weight, 10);
  EXPECT_EQ(r.set.Characters[2].Weight, 7);
  EXPECT_EQ(r.messages,
            (std::vector<std::string>{
                "Sequence number 2 contains an error concerning the frequency. The frequency has "
                "now been set to 1.",
                "The data file contains an error concerning the weight of character number 2 The "
                "weight has now been set to 10."}));
}

TEST(ReadOldRdf, WeightPairsRoundHalfToEven) {
  // Five characters; a weight line of 9 characters has 4.5 -> 4 pairs, so the ninth is dropped
  // and the fifth character keeps 10. With 7 characters (3.5 -> 4 pairs) the single last one counts.
  struct Case { const char* weights; std::vector<int> expected; };
  const Case cases[] = {
      {"010203049", {1, 2, 3, 4, 10}},
      {"0102039", {1, 2, 3, 9, 10}},
      {"01020", {1, 2, 10, 10, 10}},  // 2.5 -> 2 pairs
  };
  for (const Case& c : cases) {
    const TextRead r = ReadText(Lines({"       ABCDE", "", "", "", "", "", "t1     ACGTA  1",
                                       "t2     AGGTA  1", "t3     CGGTA  1", "", c.weights}));
    ASSERT_FALSE(r.error) << c.weights;
    std::vector<int> weights;
    for (const Trdf_Character& ch : r.set.Characters) weights.push_back(ch.Weight);
    EXPECT_EQ(weights, c.expected) << c.weights;
  }
}

TEST(ReadOldRdf, BadStatesAndShortLines) {
  const std::string multistate =
      "This appears to be a multistate rdf file. The reduced median network can only accept "
      "binary rdf files. Please apply the median-joining network method instead, or recode your "
      "file as a binary rdf file.";
  const std::string sign =
      "Sequence number 2 contains an incorrect sign. Please correct the data file and then try "
      "again.";
  const std::string file = Lines({"       ABC", "", "", "", "", "", "t1     ACG  1",
                                  "t2     AJG  1", "t3     CGG  1", "", "101010"});
  // Only the reduced-median reading speaks of the reduced median network; the windows that take
  // any states name no method, the others their own.
  struct Case {
    const char* tag;
    bool amino;
    std::string message;
  };
  const Case cases[] = {
      {"RM", false, multistate},
      {"MJ", false, sign},
      {"SC", false, sign},
      {"Mismatch", false, sign},
      {"MJ", true, sign},
      {"SIM", false,
       "This appears to be a multistate rdf file. The forward simulation can only accept binary "
       "rdf files. Please recode your file as a binary rdf file using the rdf editor."},
      {"Editor", false,
       "This appears to be a multistate rdf file. Please choose the correct data type and try "
       "again."},
  };
  for (const Case& c : cases) {
    const TextRead r =
        ReadText(file, c.tag, c.amino ? rdf_states::AminoAcidAllowed : rdf_states::NucleotideAllowed,
                 c.amino ? rdf_states::AminoAcidAmbiguous : rdf_states::NucleotideAmbiguous);
    EXPECT_TRUE(r.error) << c.tag;
    EXPECT_EQ(r.messages, std::vector<std::string>{c.message}) << c.tag << ' ' << c.amino;
  }

  const TextRead shortLine = ReadText(Lines({"       ABC", "", "", "", "", "", "t1     ACG  1",
                                             "t2     AC", "t3     CGG  1", "", "101010"}));
  EXPECT_TRUE(shortLine.error);
  ASSERT_EQ(shortLine.messages.size(), 1u);
  EXPECT_EQ(shortLine.messages[0].rfind("Sequence T2     has 2 character states", 0), 0u)
      << shortLine.messages[0];
}

TEST(ReadOldRdf, QuestionMarksBecomeN) {
  const TextRead r = ReadText(Lines({"       ABC", "", "", "", "", "", "t1     A?G  1",
                                     "t2     ANG  1", "t3     CGG  1", "", "101010"}));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.set.Taxa[0].States, "ANG");
  EXPECT_EQ(r.messages, std::vector<std::string>{ContainsN});
}

TEST(ReadOldRdf, AminoAcidsKeepNAndReadQuestionMarksAsX) {
  // Asparagine (N) is no missing state in protein data, so there is no word about Ns either.
  const std::string file = Lines({"       ABCD", "", "", "", "", "", "t1     N?EL  1",
                                  "t2     NKE?  1", "t3     QKFL  1", "", "10101010"});
  for (const char* tag : {"MJ", "SC"}) {
    const TextRead r =
        ReadText(file, tag, rdf_states::AminoAcidAllowed, rdf_states::AminoAcidAmbiguous);
    ASSERT_FALSE(r.error) << tag;
    EXPECT_TRUE(r.messages.empty()) << tag;
    EXPECT_EQ(r.set.Taxa[0].States, "NXEL") << tag;
    EXPECT_EQ(r.set.Taxa[1].States, "NKEX") << tag;
  }
  // The current layout reads them the same way.
  const TextRead current = ReadText(ThreeTaxa("N?E", "NKE", "QKF"), "MJ",
                                    rdf_states::AminoAcidAllowed, rdf_states::AminoAcidAmbiguous);
  ASSERT_FALSE(current.error);
  EXPECT_TRUE(current.messages.empty());
  EXPECT_EQ(current.set.Taxa[0].States, "NXE");
}

TEST(ReadOldRdf, AFileWithoutCharactersIsRefused) {
  for (const std::string& text : {std::string(), Lines({"       ", "", "", "", "", "", "t1", "t2",
                                                        "t3", "", ""})}) {
    const TextRead r = ReadText(text);
    EXPECT_TRUE(r.error);
    EXPECT_EQ(r.messages, std::vector<std::string>{"The data file contains no characters."});
  }
}

// --- Writing -----------------------------------------------------------------------------------

TEST(WriteRdf, WriteReadWriteIsByteIdenticalWithCrLf) {
  testpaths::TempDir dir;
  for (const char* fixture : {"basic.rdf", "star.sco", "binary.rmf", "old.rdf"}) {
    bool error = true;
    std::vector<std::string> messages;
    const Trdf_DataSet first = Read(Fixture(fixture), error, messages, "SC", false);
    ASSERT_FALSE(error) << fixture;
    ScriptedDialogsScope s;
    const std::string a = dir.file("a.rdf"), b = dir.file("b.rdf");
    ASSERT_TRUE(first.WriteRdfFile(a, true, true));
    Trdf_DataSet second = NucleotideSet();
    ASSERT_TRUE(second.ReadRdfFile(a, error, true, "SC", false)) << fixture;
    ASSERT_TRUE(second.WriteRdfFile(b, true, true));
    const std::string bytes = readFile(a);
    EXPECT_EQ(readFile(b), bytes) << fixture;
    EXPECT_EQ(second.Taxa, first.Taxa) << fixture;
    EXPECT_EQ(second.Characters, first.Characters) << fixture;
    // Every line ends in CR LF, and no bare LF or CR appears.
    std::size_t crlf = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\r') {
        ASSERT_LT(i + 1, bytes.size());
        EXPECT_EQ(bytes[i + 1], '\n');
        ++crlf;
      } else if (bytes[i] == '\n') {
        EXPECT_GT(i, 0u);
        EXPECT_EQ(bytes[i - 1], '\r');
      }
    }
    EXPECT_EQ(crlf, static_cast<std::size_t>(3 + 2 * first.TaxaCount())) << fixture;
  }
}

TEST(WriteRdf, WritesTheCurrentLayoutExactly) {
  bool error = true;
  std::vector<std::string> messages;
  const Trdf_DataSet set = Read(Fixture("basic_lf.rdf"), error, messages);
  ASSERT_FALSE(error);
  EXPECT_EQ(set.RdfText(true, true), readFile(Fixture("basic.rdf")));
}

TEST(WriteRdf, InactiveCharactersAndTaxaOnlyWithTheFlags) {
  bool error = true;
  std::vector<std::string> messages;
  Trdf_DataSet set = Read(Fixture("basic.rdf"), error, messages);
  ASSERT_FALSE(error);
  set.Taxa[0].Active = 0;
  set.DataType = '2';
  EXPECT_EQ(set.RdfText(false, false),
            " 2;1.0\r\na;c;\r\n10;10;\r\n>T2;2;Cave;1998;;;;;\r\nAT\r\n>T3;1;;;;;;;\r\nGT\r\n");
  // With the taxa flag the inactive ones follow the active ones.
  EXPECT_EQ(set.RdfText(true, true),
            " 2;1.0\r\na;b;c;\r\n10;0;10;\r\n>T2;2;Cave;1998;;;;;\r\nACT\r\n>T3;1;;;;;;;\r\nGCT\r\n"
            ">T1;1;;;;;;;\r\nACG\r\n");

  set.Taxa[0].Active = 1;
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  ASSERT_TRUE(set.WriteRdfFile(dir.file("x.rmf"), false, false));
  Trdf_DataSet back = NucleotideSet();
  ASSERT_TRUE(back.ReadRdfFile(dir.file("x.rmf"), error, true, "RM", true));
  EXPECT_EQ(back.DataType, '2');
  EXPECT_EQ(back.CharacterCount(), 2);
  EXPECT_EQ(back.Taxa[0].States, "AG");
}

TEST(WriteRdf, AFailedWriteIsReportedAndReturnsFalse) {
  ScriptedDialogsScope s;
  bool error = true;
  Trdf_DataSet set = NucleotideSet();
  ASSERT_TRUE(set.ReadRdfFile(Fixture("basic.rdf"), error, true, "MJ", true));
  EXPECT_FALSE(set.WriteRdfFile("/nonexistent/dir/x.rdf", true, true));
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"The file /nonexistent/dir/x.rdf could not be written."});
}
