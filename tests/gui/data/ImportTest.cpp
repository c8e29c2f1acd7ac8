#include "umwandl.h"

#include "RDF_DataSet_Definition.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

std::string Multistate(int column);

namespace {

const std::string OverwriteAny =
    "Warning: Translation of phy/nex/tor/ych format into rdf format will overwrite existing rdf "
    "file and any taxon information in this file. Enter YES to continue network calculation and "
    "overwrite the rdf file, or NO to abort the translation and preserve the existing rdf file "
    "(change this file name to avoid overwriting and data loss)";
const std::string OverwriteYch =
    "Warning: Translation of ych format into rdf format will overwrite existing rdf file and any "
    "taxon information in this file. Enter YES to continue network calculation and overwrite the "
    "rdf file, or NO to abort the translation and preserve the existing rdf file (change this file "
    "name to avoid overwriting and data loss)";

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Reads an rdf file as the median-joining window does.
Trdf_DataSet ReadRdf(const std::string& file, std::string_view allowed = rdf_states::NucleotideAllowed,
                     std::string_view ambiguous = rdf_states::NucleotideAmbiguous) {
  Trdf_DataSet set;
  set.SetStateSets(allowed, ambiguous);
  bool error = false;
  EXPECT_TRUE(set.ReadRdfFile(file, error, false, "MJ", true)) << file;
  EXPECT_FALSE(error);
  return set;
}

std::string Column(const Trdf_DataSet& set, int character) {
  std::string column;
  for (const Trdf_Sequence& t : set.Taxa) column += t.States[static_cast<std::size_t>(character - 1)];
  return column;
}

using Import = std::function<bool(const std::string&)>;
bool Phylip(const std::string& f) { return ImportPhylipFile(f, false); }
bool PhylipBinary(const std::string& f) { return ImportPhylipFile(f, true); }
bool Nexus(const std::string& f) { return ImportNexusFile(f, false); }

}  // namespace

// --- PHYLIP -----------------------------------------------------------------------------------

TEST(ImportPhylip, ContinuedSequenceGivesTheOldLayout) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string phy = dir.file("continued.phy");
  fs::copy_file(testpaths::testData("import/continued.phy"), phy);
  ASSERT_TRUE(ImportPhylipFile(phy, false));
  EXPECT_EQ(testpaths::readFile(dir.file("continued.rdf")),
            testpaths::readFile(testpaths::testData("import/continued.rdf")));
  EXPECT_TRUE(s.dialogs.texts().empty());

  // The rdf reader takes the file: the varying columns 2 and 5 with their numbers as names.
  const Trdf_DataSet set = ReadRdf(dir.file("continued.rdf"));
  ASSERT_EQ(set.TaxaCount(), 3);
  ASSERT_EQ(set.CharacterCount(), 2);
  EXPECT_EQ(Column(set, 1), "CCG");
  EXPECT_EQ(Column(set, 2), "ATC");
  EXPECT_EQ(set.Character(2).Name.substr(0, 1), "5");
}

TEST(ImportPhylip, BinaryModeRecodesAndDropsMultistateColumns) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string phy = dir.file("continued.phy");
  fs::copy_file(testpaths::testData("import/continued.phy"), phy);
  ASSERT_TRUE(ImportPhylipFile(phy, true));
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"The specified file contains a multistate character at "
                                     "position 5. The character will be ignored in further "
                                     "analyses."});
  EXPECT_EQ(testpaths::readFile(dir.file("continued.rdf")),
            "       2\r\n        \r\n        \r\n        \r\n        \r\n        \r\n"
            "  Homo 0  1\r\n   Pan 0  1\r\n   Gor 1  1\r\n\r\n10\r\n");
}

TEST(ImportPhylip, BinaryModeShowsAtMostFiveMultistateMessages) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string phy = dir.file("many.phy");
  // Seven columns with three states each, then one binary column.
  testpaths::writeFile(phy, "3 8\r\nA   AAAAAAAA\r\nB   CCCCCCCA\r\nC   GGGGGGGC\r\n");
  ASSERT_TRUE(ImportPhylipFile(phy, true));
  std::vector<std::string> expected;
  for (int column = 1; column <= 5; ++column) expected.push_back(Multistate(column));
  expected.push_back("Further errors in the file will not be displayed");
  EXPECT_EQ(s.dialogs.messages(), expected);
}

TEST(ImportPhylip, LongNamesAndLineEndsAndWeightLines) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  // LF line ends, names cut to 6, 130 varying columns: the weights take two lines (125 + 5).
  const std::string a(130, 'A'), c(130, 'C');
  testpaths::writeFile(dir.path() / "w.phy", "3 130\nLongName1 " + a + "\nB         " + c + "\nC         " + c + "\n");
  ASSERT_TRUE(ImportPhylipFile(dir.file("w.phy"), false));
  const std::string rdf = testpaths::readFile(dir.path() / "w.rdf");
  EXPECT_NE(rdf.find("\r\nLongNa " + a + "  1\r\n"), std::string::npos);
  std::string weights;
  for (int i = 0; i < 125; ++i) weights += "10";
  EXPECT_NE(rdf.find("  1\r\n\r\n" + weights + "\r\n1010101010\r\n"), std::string::npos);
  const Trdf_DataSet set = ReadRdf(dir.file("w.rdf"));
  EXPECT_EQ(set.CharacterCount(), 130);
  EXPECT_EQ(set.TaxaCount(), 3);
}

struct ErrorCase {
  const char* name;
  std::string text;
  Import import;
  std::vector<std::string> messages;
};

class ImportErrors : public testing::TestWithParam<ErrorCase> {};

// Every refused file shows its messages and writes nothing: no .rdf and no temporary file.
TEST_P(ImportErrors, ShowsTheMessagesAndWritesNothing) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string file = dir.file("in.dat");
  testpaths::writeFile(file, GetParam().text);
  EXPECT_FALSE(GetParam().import(file));
  EXPECT_EQ(s.dialogs.messages(), GetParam().messages);
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"in.dat"});
}

const std::string ShortSequence2 =
    "Sequence number 2 does not have the specified number of nucleotides.";
const std::string ShortSequence3 =
    "Sequence number 3 does not have the specified number of nucleotides.";
const std::string FirstLine =
    "Error detected in first line concerning the number of taxa or the number of nucleotides.";
const std::string SameName =
    "Error concerning the sequence names: Sequence number 1 and 3 have the same name within the "
    "first six characters. The first six signs must be unique.";

std::string Multistate(int column) {
  return "The specified file contains a multistate character at position " +
         std::to_string(column) + ". The character will be ignored in further analyses.";
}

INSTANTIATE_TEST_SUITE_P(
    Phylip, ImportErrors,
    testing::Values(
        ErrorCase{"Empty", "", Phylip, {"The specified file contains no data."}},
        ErrorCase{"EmptyFirstLine", "\r\nA ACGT\r\n", Phylip,
                  {"The specified file has an incorrect format."}},
        ErrorCase{"OneNumber", "3\r\nA ACGT\r\n", Phylip, {FirstLine}},
        ErrorCase{"ZeroTaxa", "0 4\r\nA ACGT\r\n", Phylip, {FirstLine}},
        ErrorCase{"ShortMiddle", "3 4\r\nA ACGT\r\nB ACG\r\nC ACGT\r\n", Phylip, {ShortSequence2}},
        // The last taxon is checked like the others.
        ErrorCase{"ShortLast", "3 4\r\nA ACGT\r\nB ACGA\r\nC ACG\r\n", Phylip, {ShortSequence3}},
        ErrorCase{"FewerTaxa", "3 4\r\nA ACGT\r\nB ACGA\r\n", Phylip,
                  {"Error concerning the number of sequences. The specified number of sequences "
                   "does not agree with the number of sequences within the first row."}},
        ErrorCase{"SameSixCharacters",
                  "3 4\r\nSeqnce1 ACGT\r\nOther   ACGA\r\nSeqnce2 ACGG\r\n", Phylip, {SameName}},
        // The first taxon whose name comes again is reported, with its first repetition.
        ErrorCase{"SameNamesInOrder",
                  "4 4\r\nAaaaaa1 ACGT\r\nBbbbbb1 ACGA\r\nBbbbbb2 ACGG\r\nAaaaaa2 ACGC\r\n", Phylip,
                  {"Error concerning the sequence names: Sequence number 1 and 4 have the same "
                   "name within the first six characters. The first six signs must be unique."}},
        // A sign is no character to pass over: "-3" taxa are not 3.
        ErrorCase{"NegativeTaxa", "-3 4\r\nA ACGT\r\nB ACGA\r\nC ACGG\r\n", Phylip,
                  {"Error detected in first line concerning the number of taxa: -3 is not a valid "
                   "number of taxa."}},
        ErrorCase{"NegativeNucleotides", "3 -4\r\nA ACGT\r\nB ACGA\r\nC ACGG\r\n", Phylip,
                  {"Error detected in first line concerning the number of nucleotides: -4 is not "
                   "a valid number of nucleotides."}},
        ErrorCase{"TooManyTaxa", "30001 4\r\nA ACGT\r\n", Phylip,
                  {"The maximum number of sequences (30000) is attained. Please contact Movrel "
                   "for help."}}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

namespace {
// 10001 different sites in one list.
std::string ManySites() {
  std::string list;
  for (int i = 1; i <= 10001; ++i) list += "+" + std::to_string(i) + " ";
  return "A\r\n" + list + "-1\r\n1\r\nB\r\n-1\r\n1\r\nC\r\n-1\r\n1\r\n";
}

// 200 loci whose values 0 and 60 give 60 characters each: 12000 in all.
std::string WideLoci() {
  std::string names, weights, low, high;
  for (int i = 0; i < 200; ++i) {
    const std::string sep = i ? "," : "";
    names += sep + "L" + std::to_string(i);
    weights += sep + "10";
    low += sep + "0";
    high += sep + "60";
  }
  return names + "\r\n" + weights + "\r\n\r\nA;\r\n" + low + "\r\n1\r\nB;\r\n" + high + "\r\n1\r\n";
}
}  // namespace

const std::string MaxCharacters =
    "The maximum number of characters (10000) is attained. Please contact Movrel for help.";

INSTANTIATE_TEST_SUITE_P(
    TorAndYch, ImportErrors,
    testing::Values(ErrorCase{"TorTooManySites", ManySites(), ImportTorFile, {MaxCharacters}},
                    ErrorCase{"TorNegativeFrequency",
                              "A\r\n+1 -1\r\n1\r\nB\r\n+2 -1\r\n-3\r\nC\r\n-1\r\n1\r\n",
                              ImportTorFile,
                              {"Sequence B has the frequency -3, but a frequency cannot be "
                               "negative. Please correct the data file and then try again."}},
                    ErrorCase{"YchTooManyCharacters", WideLoci(), ImportYchFile, {MaxCharacters}},
                    ErrorCase{"YchOnlyHeader", "a,b\r\n10,10\r\n\r\n", ImportYchFile,
                              {"The specified file contains no data."}},
                    ErrorCase{"YchNoLoci", "\r\n\r\n\r\nA;\r\n1\r\n1\r\n", ImportYchFile,
                              {"The loci names are not given in the required format."}},
                    // Typing errors in repeat values, which once became undetermined values and,
                    // in a file of nothing else, a data set without characters.
                    ErrorCase{"YchRepeatNotANumber",
                              "DYS19,DYS390\r\n10,10\r\n\r\nT1;\r\n12,21\r\n1\r\n"
                              "T2;Geo;\r\n13, 2l\r\n1\r\nT3;\r\n14,23\r\n1\r\n",
                              ImportYchFile,
                              {"The repeat value \"2l\" of taxon T2 (line 8) at locus DYS390 is not "
                               "a number. Please correct the data file and then try again."}},
                    ErrorCase{"YchRepeatNegative",
                              "DYS19,DYS390\r\n10,10\r\n\r\nT1;\r\n12,-21\r\n1\r\n",
                              ImportYchFile,
                              {"The repeat value \"-21\" of taxon T1 (line 5) at locus DYS390 is "
                               "not a number. Please correct the data file and then try again."}},
                    ErrorCase{"YchEveryValueBad",
                              "A,B\r\n10,10\r\n\r\nT1;\r\n1a,1b\r\n1\r\nT2;\r\n2a,2b\r\n1\r\n"
                              "T3;\r\n3a,3b\r\n1\r\n",
                              ImportYchFile,
                              {"The repeat value \"1a\" of taxon T1 (line 5) at locus A is not a "
                               "number. Please correct the data file and then try again."}}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

// An rdf file read as the median-joining window reads it: refused files give the window nothing to
// calculate, so no .out file is written from them.
bool ReadAsMedianJoining(const std::string& file) {
  Trdf_DataSet set;
  TDataSetReading how;
  how.Allowed = rdf_states::NucleotideAllowed;
  how.Ambiguous = rdf_states::NucleotideAmbiguous;
  how.Tag = "MJ";
  return ReadDataSet(set, file, how);
}

INSTANTIATE_TEST_SUITE_P(
    Rdf, ImportErrors,
    testing::Values(
        ErrorCase{"NegativeFrequency",
                  "  ;1.0\r\na;b;\r\n10;10;\r\n>T1;1;;;;;;;\r\nAC\r\n>T2;-2;;;;;;;\r\nAG\r\n"
                  ">T3;1;;;;;;;\r\nTG\r\n",
                  ReadAsMedianJoining,
                  {"Sequence T2 has the frequency -2, but a frequency cannot be negative. Please "
                   "correct the data file and then try again."}},
        // The old fixed-column layout: the frequency in the three columns after the states.
        ErrorCase{"NegativeFrequencyOldLayout",
                  "       12\r\n\r\n\r\n\r\n\r\n\r\nA      AC  1\r\nB      AG-12\r\n"
                  "C      TG  1\r\n\r\n1010\r\n",
                  ReadAsMedianJoining,
                  {"Sequence B      has the frequency -12, but a frequency cannot be negative. "
                   "Please correct the data file and then try again."}}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

// --- NEXUS ------------------------------------------------------------------------------------

namespace {
std::string NexusText(const std::string& dimensions, const std::vector<std::string>& rows,
                      const std::string& format = "FORMAT DATATYPE=DNA MISSING=? GAP=-;") {
  std::string text = "#NEXUS\r\nBEGIN DATA;\r\n  " + dimensions + "\r\n  " + format +
                     "\r\n  MATRIX\r\n";
  for (const std::string& row : rows) text += row + "\r\n";
  return text + ";\r\nEND;\r\n";
}

// Seven taxa whose columns 1..6 each hold three states and column 7 two.
std::vector<std::string> MultistateRows() {
  return {"t1 AAAAAAA", "t2 CCCCCCA", "t3 GGGGGGA", "t4 AAAAAAG",
          "t5 AAAAAAA", "t6 AAAAAAA", "t7 AAAAAAA"};
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Nexus, ImportErrors,
    testing::Values(
        ErrorCase{"Empty", "", Nexus, {"The specified file contains no data."}},
        ErrorCase{"NoNexusLine", "BEGIN DATA;\r\n", Nexus,
                  {"The specified file is not in the required NEXUS format."}},
        ErrorCase{"Interleave",
                  NexusText("DIMENSIONS NTAX=3 NCHAR=4;", {"a ACGT", "b ACGA", "c ACGG"},
                            "FORMAT DATATYPE=DNA INTERLEAVE;"),
                  Nexus,
                  {"The given nexus-file is in interleaved format which is not supported within "
                   "Tarvane. Please choose a different file and try again."}},
        ErrorCase{"NoDimensions", NexusText("", {"a ACGT", "b ACGA", "c ACGG"}), Nexus,
                  {"The NEXUS file does not specify the number of taxa and the number of "
                   "characters (NTAX=... and NCHAR=... in its DIMENSIONS command). Please correct "
                   "the file and try again."}},
        ErrorCase{"BlanksAroundEquals",
                  NexusText("DIMENSIONS NTAX = 3 NCHAR = 4;", {"a ACGT", "b ACGA", "c ACGG"}),
                  Nexus,
                  {"The NEXUS file does not specify the number of taxa and the number of "
                   "characters (NTAX=... and NCHAR=... in its DIMENSIONS command). Please correct "
                   "the file and try again."}},
        ErrorCase{"FewerRows", NexusText("DIMENSIONS NTAX=4 NCHAR=4;", {"a ACGT", "b ACGA", "c ACGG"}),
                  Nexus,
                  {"Error concerning the number of sequences. The matrix contains 3 sequences, "
                   "but NTAX specifies 4."}},
        ErrorCase{"ShortRow",
                  NexusText("DIMENSIONS NTAX=3 NCHAR=4;", {"a ACGT", "bbbbbbbbbbbb ACG", "c ACGG"}),
                  Nexus, {ShortSequence2}},
        ErrorCase{"MissingName", NexusText("DIMENSIONS NTAX=3 NCHAR=4;", {"a ACGT", "ACGA", "c ACGG"}),
                  Nexus,
                  {"Error concerning the name of sequence number 2. The name is missing."}},
        ErrorCase{"SameSixCharacters",
                  NexusText("DIMENSIONS NTAX=3 NCHAR=4;",
                            {"Seqnce1 ACGT", "Other ACGA", "  Seqnce2 ACGG"}),
                  Nexus, {SameName}},
        ErrorCase{"TooManyTaxa", NexusText("DIMENSIONS NTAX=30001 NCHAR=4;", {"a ACGT"}), Nexus,
                  {"The maximum number of sequences (30000) is attained. Please contact Movrel "
                   "for help."}}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST(ImportNexus, BinaryModeShowsAtMostFiveMultistateMessages) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string nex = dir.file("m.nex");
  testpaths::writeFile(nex, NexusText("DIMENSIONS NTAX=7 NCHAR=7;", MultistateRows()));
  ASSERT_TRUE(ImportNexusFile(nex, true));
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{Multistate(1), Multistate(2), Multistate(3), Multistate(4),
                                      Multistate(5),
                                      "Further errors in the file will not be displayed"}));
  // Column 7 (A for all but t4) is the only one kept, recoded to binary.
  EXPECT_EQ(testpaths::readFile(dir.path() / "m.rdf"),
            "       7\r\n        \r\n        \r\n        \r\n        \r\n        \r\n"
            "    t1 0  1\r\n    t2 0  1\r\n    t3 0  1\r\n    t4 1  1\r\n    t5 0  1\r\n"
            "    t6 0  1\r\n    t7 0  1\r\n\r\n10\r\n");
}

TEST(ImportNexus, ReadsTheMatrixAfterCommentsAndGivesThePhylipLayout) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  // Lower-case "#nexus", a comment row, an empty row, names padded differently, trailing blanks.
  const std::string text =
      "#nexus\nbegin data;\n dimensions ntax=3 nchar=5;\n format datatype=dna;\n matrix\n"
      "[ a comment ]\n\nHomo  ACGTA  \nPan ACGTT\n   Gor AGGTC\n;\nend;\n";
  testpaths::writeFile(dir.path() / "continued.nex", text);
  ASSERT_TRUE(ImportNexusFile(dir.file("continued.nex"), false));
  EXPECT_TRUE(s.dialogs.texts().empty());
  EXPECT_EQ(testpaths::readFile(dir.path() / "continued.rdf"),
            "       25\r\n         \r\n         \r\n         \r\n         \r\n         \r\n"
            "  Homo CA  1\r\n   Pan CT  1\r\n   Gor GC  1\r\n\r\n1010\r\n");
}

// --- Overwrite question -------------------------------------------------------------------------

struct OverwriteCase {
  const char* name;
  const char* input;  // file name in tests/data/import
  Import import;
  bool resultOnNo;
  std::string question;
};

class ImportOverwrite : public testing::TestWithParam<OverwriteCase> {};

TEST_P(ImportOverwrite, NoKeepsTheExistingFileByteForByte) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string input = dir.file(GetParam().input);
  fs::copy_file(testpaths::testData(std::string("import/") + GetParam().input), input);
  const fs::path rdf = fs::path(input).replace_extension(".rdf");
  const std::string old = "  ;1.0\r\nkeep;\r\n10;\r\n>me;1;;;;;;;\r\nA\r\n";
  testpaths::writeFile(rdf, old);

  s.dialogs.answer(DialogAnswer::No);
  EXPECT_EQ(GetParam().import(input), GetParam().resultOnNo);
  EXPECT_EQ(s.dialogs.questions(), std::vector<std::string>{GetParam().question});
  EXPECT_EQ(testpaths::readFile(rdf), old);
  EXPECT_EQ(FilesIn(dir.path()).size(), 2u);

  s.dialogs.answer(DialogAnswer::Yes);
  EXPECT_TRUE(GetParam().import(input));
  EXPECT_NE(testpaths::readFile(rdf), old);
  EXPECT_EQ(FilesIn(dir.path()).size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Question, ImportOverwrite,
    testing::Values(OverwriteCase{"Phylip", "continued.phy", Phylip, false, OverwriteAny},
                    OverwriteCase{"Tor", "sites.tor", ImportTorFile, true, OverwriteAny},
                    OverwriteCase{"Ych", "thresholds.ych", ImportYchFile, true, OverwriteYch}),
    [](const testing::TestParamInfo<OverwriteCase>& info) { return info.param.name; });

TEST(ImportOverwrite, AFailedImportAfterYesKeepsTheExistingFile) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.path() / "bad.ych", "a,b\r\n10,10\r\n\r\nT1;\r\n1,2\r\n1\r\nT2;\r\n1\r\n1\r\n");
  const std::string old = "old contents";
  testpaths::writeFile(dir.path() / "bad.rdf", old);
  s.dialogs.answer(DialogAnswer::Yes);
  EXPECT_FALSE(ImportYchFile(dir.file("bad.ych")));
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{
                "The number of loci entered at taxon 2 does not agree with the number of loci "
                "specified in the first line of the file. Please correct the data file and then "
                "retry."});
  EXPECT_EQ(testpaths::readFile(dir.path() / "bad.rdf"), old);
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"bad.rdf", "bad.ych"}));
}

// --- RFLP site lists ----------------------------------------------------------------------------

TEST(ImportTor, SortsTheSitesAndMarksUndeterminedSites) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string tor = dir.file("sites.tor");
  fs::copy_file(testpaths::testData("import/sites.tor"), tor);
  ASSERT_TRUE(ImportTorFile(tor));
  EXPECT_TRUE(s.dialogs.texts().empty());
  // "?12" beside "+12" makes that site '?'; "+12a" is a site of its own.
  EXPECT_EQ(testpaths::readFile(dir.path() / "sites.rdf"),
            testpaths::readFile(testpaths::testData("import/sites.rdf")));
  const Trdf_DataSet set = ReadRdf(dir.file("sites.rdf"));
  EXPECT_EQ(set.TaxaCount(), 3);
  EXPECT_EQ(set.CharacterCount(), 4);
}

TEST(ImportTor, TheClosingMinusOneIsNoSite) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  // Site "-1" (site 1 absent) exists; the closing "-1" of every list must not set it.
  testpaths::writeFile(dir.path() / "one.tor",
                       "A\r\n-1 +2 -1\r\n1\r\nB\r\n+2 -1\r\n1\r\nC\r\n-1\r\n1\r\n-1\r\n");
  ASSERT_TRUE(ImportTorFile(dir.file("one.tor")));
  EXPECT_EQ(testpaths::readFile(dir.path() / "one.rdf"),
            "  ;1.0\r\n-1     ;+2     ;\r\n10;10;\r\n>A;1;;;;;;;\r\n01\r\n>B;1;;;;;;;\r\n11\r\n"
            ">C;1;;;;;;;\r\n10\r\n");
}

TEST(ImportTor, AnUndeterminedSiteCoversBothSigns) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  // Label 12 appears as "+12" and "-12" (two characters); "?12" leaves both undetermined.
  testpaths::writeFile(dir.path() / "both.tor",
                       "A\r\n+12 -1\r\n1\r\nB\r\n-12 -1\r\n1\r\nC\r\n?12 -1\r\n3\r\n-1\r\n");
  ASSERT_TRUE(ImportTorFile(dir.file("both.tor")));
  EXPECT_EQ(testpaths::readFile(dir.path() / "both.rdf"),
            "  ;1.0\r\n+12    ;-12    ;\r\n10;10;\r\n>A;1;;;;;;;\r\n11\r\n>B;1;;;;;;;\r\n00\r\n"
            ">C;3;;;;;;;\r\n??\r\n");
}

TEST(ImportTor, AnEmptyListIsRefused) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.path() / "e.tor", "-1\r\n");
  EXPECT_FALSE(ImportTorFile(dir.file("e.tor")));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{"The specified file contains no data."});
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"e.tor"});
}

// --- Y-STR tables -------------------------------------------------------------------------------

TEST(ImportYch, RecodesRepeatsIntoThresholdCharacters) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string ych = dir.file("thresholds.ych");
  fs::copy_file(testpaths::testData("import/thresholds.ych"), ych);
  ASSERT_TRUE(ImportYchFile(ych));
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{
                "Warning: The first six characters of locus names must differ. Renamed: "
                "DYS389II -> DYS38I",
                "The data file contains an error concerning the weight of character number DYS38I "
                "The weight has been set to 10.",
                "Wrong frequency format of sequence 3. Frequency has been set to 1."}));
  // Locus DYS19: values 12, 13, 15, 99 (and 12.2 undetermined, as -1 at DYS389I) with minimum 12 and maximum 15
  // give aa, ab, ac: 13 is 011, 12 is 111, 15 is 000, undetermined ???. DYS389I (29/30) and
  // DYS389II (31/32) give one character each, under distinct names. T7 ('?') and T8 (no digit
  // first) are left out.
  EXPECT_EQ(testpaths::readFile(dir.path() / "thresholds.rdf"),
            "  ;1.0\r\nDYS19aa;DYS19ab;DYS19ac;DYS389aa;DYS38Iaa;\r\n5;5;5;0;10;\r\n"
            ">T1;1;Pheno;Geo;;;;;\r\n01111\r\n"
            ">T2;1;;;;;;;\r\n11100\r\n"
            ">T3;2;;;;;;;\r\n00001\r\n"
            ">T4;1;;;;;;;\r\n???10\r\n"
            ">T5;1;;;;;;;\r\n???01\r\n"
            ">T6;1;;;;;;;\r\n011?1\r\n");
}

TEST(ImportYch, TooManyLociAreRefused) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  std::string names, weights;
  for (int i = 0; i < 1001; ++i) {
    names += (i ? ",L" : "L") + std::to_string(i);
    weights += i ? ",10" : "10";
  }
  testpaths::writeFile(dir.path() / "many.ych", names + "\r\n" + weights + "\r\n\r\nT;\r\n1\r\n1\r\n");
  EXPECT_FALSE(ImportYchFile(dir.file("many.ych")));
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"The specified file contains more loci than applicable with "
                                     "this version of Tarvane. Please contact Movrel for help."});
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"many.ych"});
}

// --- Real data sets ------------------------------------------------------------------------------

struct RealCase {
  const char* file;
  Import import;
  int taxa;
  int sites;         // columns of the source
  int minVariable;   // columns varying in A, C, G, T alone (reference figure)
  bool aminoAcids;
};

class ImportRealData : public testing::TestWithParam<RealCase> {};

TEST_P(ImportRealData, ImportsAndReadsBack) {
  const std::string rel = std::string("mj/") + GetParam().file;
  SKIP_WITHOUT_SHARED_DATA(rel);
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string input = dir.file(GetParam().file);
  fs::copy_file(testpaths::sharedData(rel), input);
  ASSERT_TRUE(GetParam().import(input));
  EXPECT_TRUE(s.dialogs.texts().empty());

  const std::string rdf = fs::path(input).replace_extension(".rdf").string();
  const Trdf_DataSet set =
      GetParam().aminoAcids
          ? ReadRdf(rdf, rdf_states::AminoAcidAllowed, rdf_states::AminoAcidAmbiguous)
          : ReadRdf(rdf);
  EXPECT_EQ(set.TaxaCount(), GetParam().taxa);
  EXPECT_GE(set.CharacterCount(), GetParam().minVariable);
  EXPECT_LE(set.CharacterCount(), GetParam().sites);
  // Every kept column varies.
  for (int c = 1; c <= set.CharacterCount(); ++c) {
    const std::string column = Column(set, c);
    EXPECT_NE(column.find_first_not_of(column[0]), std::string::npos) << "column " << c;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shared, ImportRealData,
    testing::Values(RealCase{"woodmouse_cytb.phy", Phylip, 15, 965, 56, false},
                    RealCase{"woodmouse_cytb.nex", Nexus, 15, 965, 56, false},
                    RealCase{"dolphin_dloop.phy", Phylip, 126, 402, 41, false},
                    RealCase{"dolphin_dloop.nex", Nexus, 126, 402, 41, false},
                    RealCase{"h1n1_na_usa.phy", Phylip, 36, 1434, 88, false},
                    RealCase{"ovomucoid_aa.phy", Phylip, 89, 88, 86, true},
                    RealCase{"ovomucoid_aa.nex", Nexus, 89, 88, 86, true},
                    RealCase{"ringe_ie_binary.phy", Phylip, 24, 3015, 3007, false},
                    RealCase{"toy_binary_4x9.phy", PhylipBinary, 4, 9, 1, false},
                    RealCase{"toy_dna_6x12.phy", Phylip, 6, 12, 12, false}),
    [](const testing::TestParamInfo<RealCase>& info) {
      std::string name = info.param.file;
      std::replace(name.begin(), name.end(), '.', '_');
      return name;
    });

// The windows read what the import tells them: amino-acid alignments with the amino-acid states.
TEST(ImportRealData, AminoAcidAlignmentsAreKnownAsSuch) {
  const std::pair<const char*, bool> cases[] = {
      {"ovomucoid_aa.phy", true},    {"ovomucoid_aa.nex", true},   {"woodmouse_cytb.phy", false},
      {"dolphin_dloop.nex", false},  {"h1n1_na_usa.phy", false},   {"ringe_ie_binary.phy", false},
      {"danes_ystr.ych", false}};
  for (const auto& [file, amino] : cases) {
    const std::string rel = std::string("mj/") + file;
    SKIP_WITHOUT_SHARED_DATA(rel);
    ScriptedDialogsScope s;
    testpaths::TempDir dir;
    fs::copy_file(testpaths::sharedData(rel), dir.path() / file);
    const std::optional<TImportedFile> imported = ImportDataFile(dir.file(file), false);
    ASSERT_TRUE(imported) << file;
    EXPECT_EQ(imported->AminoAcids, amino) << file;
    EXPECT_EQ(imported->RdfName, fs::path(dir.file(file)).replace_extension(".rdf").string());
  }
}

TEST(ImportDataFile, TellsAminoAcidsFromResidueLettersAndReadsOtherFilesAsTheyAre) {
  struct Case {
    const char* name;
    const char* text;
    bool amino;
  };
  const Case cases[] = {
      {"dna.phy", "3 4\nA  ACGT\nB  ACGA\nC  RCGN\n", false},
      {"gaps.phy", "3 4\nA  AC-T\nB  ?CGA\nC  ACGT\n", false},
      {"prot.phy", "3 4\nA  MKLV\nB  MKLI\nC  MRLV\n", true},
      {"lower.phy", "3 4\nA  acgt\nB  acgq\nC  acga\n", true},  // q: glutamine
      {"prot.nex",
       "#NEXUS\nbegin data;\ndimensions ntax=3 nchar=4;\nmatrix\nA MKLV\nB MKLI\nC EKLV\n;\nend;\n",
       true},
      {"dna.nex",
       "#NEXUS\nbegin data;\ndimensions ntax=3 nchar=4;\nmatrix\nA ACGT\nB ACGA\nC TCGA\n;\nend;\n",
       false},
  };
  for (const Case& c : cases) {
    ScriptedDialogsScope s;
    testpaths::TempDir dir;
    testpaths::writeFile(dir.file(c.name), c.text);
    const std::optional<TImportedFile> imported = ImportDataFile(dir.file(c.name), false);
    ASSERT_TRUE(imported) << c.name;
    EXPECT_EQ(imported->AminoAcids, c.amino) << c.name;
    EXPECT_TRUE(fs::exists(imported->RdfName)) << c.name;
  }
  // Files of the rdf layout are read as they are: nothing imported, nothing written.
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  for (const char* name : {"plain.rdf", "protein.ami", "reduced.RMF", "notes.txt"}) {
    testpaths::writeFile(dir.file(name), "x\n");
    const std::optional<TImportedFile> file = ImportDataFile(dir.file(name), false);
    ASSERT_TRUE(file) << name;
    EXPECT_EQ(file->RdfName, dir.file(name));
    EXPECT_FALSE(file->AminoAcids);
  }
  EXPECT_EQ(FilesIn(dir.path()),
            (std::vector<std::string>{"notes.txt", "plain.rdf", "protein.ami", "reduced.RMF"}));
  // A failed import gives nothing.
  testpaths::writeFile(dir.file("empty.phy"), "");
  EXPECT_FALSE(ImportDataFile(dir.file("empty.phy"), false));
}

TEST(ImportRealData, SameColumnsFromPhylipAndNexus) {
  for (const char* set : {"woodmouse_cytb", "dolphin_dloop", "ovomucoid_aa"}) {
    SCOPED_TRACE(set);
    if (!fs::exists(testpaths::sharedData(std::string("mj/") + set + ".nex"))) GTEST_SKIP();
    ScriptedDialogsScope s;
    testpaths::TempDir dir;
    for (const char* ext : {".phy", ".nex"})
      fs::copy_file(testpaths::sharedData(std::string("mj/") + set + ext),
                    dir.path() / (std::string(set) + ext));
    ASSERT_TRUE(ImportPhylipFile(dir.file(std::string(set) + ".phy"), false));
    const std::string fromPhylip = testpaths::readFile(dir.path() / (std::string(set) + ".rdf"));
    s.dialogs.answer(DialogAnswer::Yes);
    ASSERT_TRUE(ImportNexusFile(dir.file(std::string(set) + ".nex"), false));
    EXPECT_EQ(testpaths::readFile(dir.path() / (std::string(set) + ".rdf")), fromPhylip);
  }
}

namespace {
// The states of one taxon over the characters whose names begin with `prefix`.
std::string LocusStates(const Trdf_DataSet& set, const std::string& taxon, const std::string& prefix) {
  std::string states;
  for (const Trdf_Sequence& t : set.Taxa)
    if (t.Name == taxon)
      for (int c = 1; c <= set.CharacterCount(); ++c)
        if (set.Character(c).Name.rfind(prefix, 0) == 0 && set.Character(c).Name.size() == prefix.size() + 2)
          states += t.States[static_cast<std::size_t>(c - 1)];
  return states;
}
}  // namespace

TEST(ImportRealData, YStrTablesKeepTheirLociApart) {
  struct Case {
    const char* file;
    int taxa;
    std::vector<std::string> renames;
  };
  for (const Case& c :
       {Case{"danes_ystr.ych", 136, {"DYS389II -> DYS38I"}},
        Case{"peru_ystr.ych", 76, {"DYS385b -> DYS38b", "DYS389II -> DYS38I"}}}) {
    SCOPED_TRACE(c.file);
    const std::string rel = std::string("mj/") + c.file;
    if (!fs::exists(testpaths::sharedData(rel))) GTEST_SKIP() << "no shared data";
    ScriptedDialogsScope s;
    testpaths::TempDir dir;
    const std::string input = dir.file(c.file);
    fs::copy_file(testpaths::sharedData(rel), input);
    ASSERT_TRUE(ImportYchFile(input));
    std::string renamed = "Warning: The first six characters of locus names must differ. Renamed:";
    for (const std::string& r : c.renames) renamed += " " + r;
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{renamed});

    // Names are checked for duplicates by the reader: DYS389I and DYS389II stay distinct.
    const Trdf_DataSet set = ReadRdf(fs::path(input).replace_extension(".rdf").string());
    EXPECT_EQ(set.TaxaCount(), c.taxa);
    EXPECT_FALSE(LocusStates(set, set.Taxon(1).Name, "DYS389").empty());
    EXPECT_FALSE(LocusStates(set, set.Taxon(1).Name, "DYS38I").empty());
  }
}

TEST(ImportRealData, PeruMicrovariantAndMissingValueAreUndetermined) {
  SKIP_WITHOUT_SHARED_DATA("mj/peru_ystr.ych");
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string input = dir.file("peru_ystr.ych");
  fs::copy_file(testpaths::sharedData("mj/peru_ystr.ych"), input);
  ASSERT_TRUE(ImportYchFile(input));
  const Trdf_DataSet set = ReadRdf(dir.file("peru_ystr.rdf"));
  // PIU02 has "12.2" at DYS392; the reader stores '?' as 'N'. Its DYS391 value 10 is determined.
  const std::string dys392 = LocusStates(set, "PIU02", "DYS392");
  ASSERT_FALSE(dys392.empty());
  EXPECT_EQ(dys392, std::string(dys392.size(), 'N'));
  EXPECT_EQ(LocusStates(set, "PIU02", "DYS391").find('N'), std::string::npos);
  // One taxon has 99 at DYS391.
  int undetermined = 0;
  for (const Trdf_Sequence& t : set.Taxa) {
    const std::string dys391 = LocusStates(set, t.Name, "DYS391");
    if (!dys391.empty() && dys391 == std::string(dys391.size(), 'N')) ++undetermined;
  }
  EXPECT_EQ(undetermined, 1);
}
