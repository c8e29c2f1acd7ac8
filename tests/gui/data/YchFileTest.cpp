#include "YchFile.h"

#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Two loci, one taxon with empty information fields: the six lines of the layout.
const std::string SmallFile = "DYS19,DYS390\r\n10,5\r\n\r\nT1;;;;;;;\r\n13,22\r\n4\r\n";

TDataSet SmallSet() {
  TDataSet data;
  data.Loci = {{"DYS19", 0, 10}, {"DYS390", 0, 5}};
  TGridSequence taxon;
  taxon.Name = "T1";
  taxon.Repeats = {13, 22};
  taxon.Frequency = 4;
  data.Sequences.push_back(taxon);
  return data;
}

}  // namespace

TEST(YchFile, WritesTheLayoutAndReadsItBack) {
  ScriptedDialogsScope s;
  EXPECT_EQ(YchText(SmallSet()), SmallFile);
  TDataSet read;
  ASSERT_TRUE(ReadYchText(SmallFile, read));
  EXPECT_EQ(read, SmallSet());
  EXPECT_TRUE(s.dialogs.texts().empty());
}

TEST(YchFile, RoundTripThroughAFileKeepsEverything) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  TDataSet data;
  // Names of 8 characters come back whole; the unusual bytes 255 (from "-1") and 0 survive.
  data.Loci = {{"DYS389II", 0, 10}, {"YGATAH4", 0, 0}, {"L_3 x", 0, 255}};
  TGridSequence a;
  a.Name = "Name15Character";
  a.Info = {"Pheno", "Geo", "Lineage", "G1", "G2", "G3"};
  a.Repeats = {29, 255, 0};
  a.Frequency = 12;
  TGridSequence b;
  b.Name = "B";
  b.Info[1] = std::string(50, 'x');
  b.Repeats = {99, 11, 98};
  data.Sequences = {a, b};

  const std::string file = dir.file("set.ych");
  ASSERT_TRUE(WriteYchFile(file, data));
  TDataSet read;
  ASSERT_TRUE(ReadYchFile(file, read));
  EXPECT_EQ(read, data);
  TDataSet again;
  ASSERT_TRUE(WriteYchFile(file, read));
  ASSERT_TRUE(ReadYchFile(file, again));
  EXPECT_EQ(again, data);
  EXPECT_TRUE(s.dialogs.texts().empty());
}

TEST(YchFile, ReadsRepeatValues) {
  ScriptedDialogsScope s;
  TDataSet data;
  // Loci: a b c d e f g; the taxon lines exercise the value rules one locus at a time.
  const std::string text =
      "a,b,c,d,e,f,g\r\n10,10,10,10,10,10,10\r\n\r\n"
      "T1;;;;;;;\r\n12,-1,12.2,300,,99, 7 \r\n1\r\n"
      "T2;;;;;;;\r\n255,256,1.25,1234,?,0,13,\r\n1\r\n";
  ASSERT_TRUE(ReadYchText(text, data));
  ASSERT_EQ(data.Sequences.size(), 2u);
  // -1 is 255; a microvariant, a value above 255 and "?" are undetermined (99), never cut or
  // wrapped; an empty value is 0; a comma after the last value changes nothing.
  EXPECT_EQ(data.Sequences[0].Repeats, (std::vector<uint8_t>{12, 255, 99, 99, 0, 99, 7}));
  EXPECT_EQ(data.Sequences[1].Repeats, (std::vector<uint8_t>{255, 99, 99, 99, 99, 0, 13}));
  EXPECT_TRUE(s.dialogs.texts().empty());
}

TEST(YchFile, ReadsLocusNamesAndWeights) {
  ScriptedDialogsScope s;
  TDataSet data;
  // Characters outside letters, digits, '_' and blank are skipped; names keep 8 characters; ",,"
  // makes a locus with an empty name; a comma at the end adds none.
  const std::string text = "DY-S19,ABCDEFGHIJ,,x_1 ,\r\n7,x,-1,300\r\n\r\n";
  ASSERT_TRUE(ReadYchText(text, data));
  ASSERT_EQ(data.Loci.size(), 4u);
  EXPECT_EQ(data.Loci[0].Name, "DYS19");
  EXPECT_EQ(data.Loci[1].Name, "ABCDEFGH");
  EXPECT_EQ(data.Loci[2].Name, "");
  EXPECT_EQ(data.Loci[3].Name, "x_1 ");
  EXPECT_EQ(data.Loci[0].Weight, 7);
  EXPECT_EQ(data.Loci[1].Weight, 10);
  EXPECT_EQ(data.Loci[2].Weight, 255);
  EXPECT_EQ(data.Loci[3].Weight, 10);  // 300 is no byte; the last piece is refused silently
  EXPECT_TRUE(data.Sequences.empty());  // only the header: loci and no taxa
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"The data file contains an error concerning the weight of "
                                     "character number ABCDEFGH The weight has been set to 10."});
}

TEST(YchFile, SplitsTheTaxonLine) {
  ScriptedDialogsScope s;
  TDataSet data;
  const std::string text =
      "a\r\n10\r\n\r\n"
      "OnlyAName\r\n1\r\n\r\n"
      "Name;Pheno\r\n1\r\n3\r\n"
      "A16CharacterName;;Geo;;;;G3;extra;\r\n1\r\nx\r\n"
      "short remainder\r\n1\r\n";
  ASSERT_TRUE(ReadYchText(text, data));
  ASSERT_EQ(data.Sequences.size(), 3u);  // the last two lines are no complete taxon
  const std::array<std::string, 6> none{};
  EXPECT_EQ(data.Sequences[0].Name, "OnlyAName");
  EXPECT_EQ(data.Sequences[0].Info, none);
  EXPECT_EQ(data.Sequences[0].Frequency, 1);  // empty frequency line
  EXPECT_EQ(data.Sequences[1].Info, (std::array<std::string, 6>{"Pheno", "", "", "", "", ""}));
  EXPECT_EQ(data.Sequences[1].Frequency, 3);
  EXPECT_EQ(data.Sequences[2].Name, "A16CharacterNam");
  EXPECT_EQ(data.Sequences[2].Info, (std::array<std::string, 6>{"", "Geo", "", "", "", "G3"}));
  EXPECT_EQ(data.Sequences[2].Frequency, 1);
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"There is an error concerning the frequency of taxon number "
                                     "3. The frequency has now been set to one."});
}

struct FatalCase {
  const char* name;
  std::string text;
  std::string message;
};

class YchFatal : public testing::TestWithParam<FatalCase> {};

TEST_P(YchFatal, ShowsTheFirstFatalMessageAndKeepsTheDataSet) {
  ScriptedDialogsScope s;
  TDataSet data = SmallSet();
  EXPECT_FALSE(ReadYchText(GetParam().text, data));
  EXPECT_EQ(data, SmallSet());
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{GetParam().message});
}

std::string ManyLoci(int n) {
  std::string names, weights;
  for (int i = 0; i < n; ++i) {
    names += (i ? ",L" : "L") + std::to_string(i);
    weights += i ? ",10" : "10";
  }
  return names + "\r\n" + weights + "\r\n\r\n";
}

std::string BadRepeat(const char* value, const char* taxon, int line, const char* locus) {
  return std::string("The repeat value \"") + value + "\" of taxon " + taxon + " (line " +
         std::to_string(line) + ") at locus " + locus +
         " is not a number. Please correct the data file and then try again.";
}

const std::string LocusCountMessage =
    "The number of loci entered at taxon 2 does not agree with the number of loci specified in "
    "the first line of the file. Please correct the data file and then retry.";

INSTANTIATE_TEST_SUITE_P(
    Messages, YchFatal,
    testing::Values(
        FatalCase{"EmptyNames", "\r\n10\r\n\r\n",
                  "The loci names are not given in the required format."},
        FatalCase{"BlankBeforeNames", " a,b\r\n10,10\r\n\r\n",
                  "The loci names are not given in the required format."},
        FatalCase{"EmptyFile", "", "The loci names are not given in the required format."},
        FatalCase{"BlankBeforeTaxon", "a\r\n10\r\n\r\nT1;\r\n1\r\n1\r\n T2;\r\n1\r\n1\r\n",
                  "The data file is not in the required format."},
        // Only the first fatal message is shown; the frequency of that block is not looked at.
        FatalCase{"TooFewValues", "a,b\r\n10,10\r\n\r\nT1;\r\n1,2\r\n1\r\nT2;\r\n1\r\nbad\r\n",
                  LocusCountMessage},
        FatalCase{"TooManyValues", "a,b\r\n10,10\r\n\r\nT1;\r\n1,2\r\n1\r\nT2;\r\n1,2,3\r\n1\r\n",
                  LocusCountMessage},
        // Typing errors in repeat values are refused, naming the value, taxon, line and locus,
        // rather than read as undetermined.
        FatalCase{"RepeatWithLetter",
                  "DYS19,DYS390\r\n10,10\r\n\r\nT1;\r\n12,21\r\n1\r\n"
                  "T2;Geo;\r\n13, 2l\r\n1\r\nT3;\r\n14,23\r\n1\r\n",
                  BadRepeat("2l", "T2", 8, "DYS390")},
        FatalCase{"RepeatNegative", "DYS19,DYS390\r\n10,10\r\n\r\nT1;\r\n12,-21\r\n1\r\n",
                  BadRepeat("-21", "T1", 5, "DYS390")},
        // The first bad value is named, before the count of values is looked at.
        FatalCase{"FirstBadValueOfTooMany",
                  "A,B\r\n10,10\r\n\r\nLongTaxonName_17;x;\r\n1a,1b,3\r\n1\r\n",
                  BadRepeat("1a", "LongTaxonName_17", 5, "A")},
        FatalCase{"MicrovariantWithTwoDots", "A\r\n10\r\n\r\nT1;\r\n12.2.1\r\n1\r\n",
                  BadRepeat("12.2.1", "T1", 5, "A")},
        FatalCase{"MicrovariantWithoutFraction", "A\r\n10\r\n\r\nT1;\r\n12.\r\n1\r\n",
                  BadRepeat("12.", "T1", 5, "A")},
        FatalCase{"TooManyLoci", ManyLoci(1001),
                  "The maximum number of loci (1000) is reached. Please contact Movrel for "
                  "help."}),
    [](const testing::TestParamInfo<FatalCase>& info) { return info.param.name; });

TEST(YchFile, ThousandLociAreAccepted) {
  ScriptedDialogsScope s;
  TDataSet data;
  EXPECT_TRUE(ReadYchText(ManyLoci(1000), data));
  EXPECT_EQ(data.Loci.size(), 1000u);
}

TEST(YchFile, MissingFileAndUnwritableFileGiveMessages) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  TDataSet data = SmallSet();
  EXPECT_FALSE(ReadYchFile(dir.file("none.ych"), data));
  EXPECT_EQ(data, SmallSet());
  EXPECT_FALSE(WriteYchFile(dir.file("no/such/folder/x.ych"), data));
  EXPECT_EQ(s.dialogs.messages().size(), 2u);
}

TEST(YchFile, RealFilesReadAndRoundTrip) {
  for (const char* name : {"mj/danes_ystr.ych", "mj/peru_ystr.ych"}) {
    SCOPED_TRACE(name);
    if (!std::filesystem::exists(testpaths::sharedData(name))) GTEST_SKIP() << "no shared data";
    ScriptedDialogsScope s;
    TDataSet data;
    ASSERT_TRUE(ReadYchFile(testpaths::sharedData(name).string(), data));
    EXPECT_TRUE(s.dialogs.texts().empty());
    TDataSet again;
    ASSERT_TRUE(ReadYchText(YchText(data), again));
    EXPECT_EQ(again, data);
    // Names of up to 8 characters keep DYS389I and DYS389II apart.
    std::vector<std::string> names;
    for (const TGridLocus& l : data.Loci) names.push_back(l.Name);
    EXPECT_NE(std::find(names.begin(), names.end(), "DYS389I"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "DYS389II"), names.end());
  }
}

TEST(YchFile, PeruMicrovariantIsUndetermined) {
  SKIP_WITHOUT_SHARED_DATA("mj/peru_ystr.ych");
  ScriptedDialogsScope s;
  TDataSet data;
  ASSERT_TRUE(ReadYchFile(testpaths::sharedData("mj/peru_ystr.ych").string(), data));
  EXPECT_EQ(data.Loci.size(), 23u);
  EXPECT_EQ(data.Sequences.size(), 76u);
  const auto piu02 = std::find_if(data.Sequences.begin(), data.Sequences.end(),
                                  [](const TGridSequence& t) { return t.Name == "PIU02"; });
  ASSERT_NE(piu02, data.Sequences.end());
  EXPECT_EQ(piu02->Repeats[7], ych_limits::Undetermined);  // "12.2" at DYS392
  EXPECT_EQ(piu02->Repeats[6], 10);
}
