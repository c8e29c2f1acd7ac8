// Reading .out network files and .sto solver results into a diagram.
#include "Dia_File.h"
#include "DiagramText.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string Key(const std::string& k) { return std::string(6 - k.size(), ' ') + k; }

const std::string kLinkHead = "Link    1 1 Seq.      1 with Seq.      2, mutations at ";  // 55 chars

TEST(OutReader, DemoFileReadsIntoExactNodesLinksAndInformation) {
  ScriptedDialogsScope scope;
  TNetwork_Diagramm d;
  std::string error;
  ASSERT_TRUE(LoadOutFile(d, testpaths::testData("diagram/demo.out").string(), &error)) << error;
  EXPECT_TRUE(scope.dialogs.messages().empty());

  ASSERT_EQ(d.NodeCount(), 6);
  const std::vector<std::string> names = {Key("1"), Key("2"), Key("3"), Key("4"), Key("5"), "mv   1"};
  const std::vector<std::string> labels = {"Alpha", "Beta", "Gamma", "Delta", "Eps", "mv   1"};
  const std::vector<int> frequencies = {5, 1, 2, 1, 2, 0};  // taxon 5 is equivalent to taxon 1
  const std::vector<int> original = {3, 1, 2, 1, 2, 0};
  for (int i = 0; i < 6; ++i) {
    const TaxonType& t = d.Taxa[i];
    EXPECT_EQ(t.Name, names[i]);
    EXPECT_EQ(t.Label, labels[i]);
    EXPECT_EQ(t.Frequency, frequencies[i]) << i;
    EXPECT_EQ(t.OrigFrequency, original[i]) << i;
    ASSERT_EQ(t.Pies.size(), 1u);
    EXPECT_EQ(t.Pies[0].PieFrequency, frequencies[i]);
    EXPECT_EQ(t.Pies[0].PieColor, 65535);
    EXPECT_EQ(t.Pies[0].PiePattern, 0);
    EXPECT_FALSE(t.Active);
  }
  const TaxonType& alpha = d.Taxa[0];
  EXPECT_EQ(alpha.Info[0], (InfoPair{"Phenotype", "Hunters"}));
  EXPECT_EQ(alpha.Info[1], (InfoPair{"Geography", "North"}));
  EXPECT_EQ(alpha.Info[2], (InfoPair{"Lineage", "H1"}));
  EXPECT_EQ(alpha.Info[3], (InfoPair{"Group1", "g1"}));
  EXPECT_EQ(alpha.Info[4], (InfoPair{"Group2", ""}));
  EXPECT_EQ(alpha.Info[5], (InfoPair{"Group3", "x"}));

  ASSERT_EQ(d.LinkCount(), 4);
  const LinkType& l1 = d.Links[0];
  EXPECT_EQ(l1.Taxon1, Key("1"));
  EXPECT_EQ(l1.Taxon2, "mv   1");
  EXPECT_TRUE(l1.InTorso);
  EXPECT_EQ(l1.TorsoPart, 1);
  EXPECT_FALSE(l1.Active);
  ASSERT_EQ(l1.MutationCount(), 2);
  EXPECT_EQ(l1.Mutations[0].Character, "3      a");
  EXPECT_EQ(l1.Mutations[0].Name, "pos3");
  EXPECT_EQ(l1.Mutations[1].Character, "7      b");
  EXPECT_EQ(l1.Mutations[1].Name, "pos7");
  EXPECT_FALSE(d.Links[2].InTorso);
  ASSERT_EQ(d.Links[2].MutationCount(), 3);
  EXPECT_EQ(d.Links[2].Mutations[1].Name, "cytb 9");
  EXPECT_EQ(d.Links[3].Taxon2, Key("3"));
  EXPECT_EQ(d.Links[3].Mutations[0].Character, "20     b");

  ASSERT_EQ(d.EquivalentTaxonCount(), 1);
  EXPECT_EQ(d.EquivalentTaxa[0], (EquiTaxonType{Key("1"), Key("5")}));
  EXPECT_EQ(d.TotalTaxa, 9);        // the median vector of frequency 0 does not count
  EXPECT_EQ(d.TotalHaplotypes, 4);  // five taxa less one equivalent
  EXPECT_FALSE(d.SpecialFileType);
  EXPECT_EQ(d.LongEdges, 0);
  EXPECT_TRUE(d.SteinerTrees.empty());
}

struct LinkLineCase {
  const char* name;
  std::string line;
  std::vector<std::string> characters;  // expected, all of them or the first few
  int count;
  bool torso;
};

class OutLinkLine : public testing::TestWithParam<LinkLineCase> {};

TEST_P(OutLinkLine, ReadsColumns) {
  const LinkLineCase& c = GetParam();
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("l.out"), "Final links : \r\n\r\n" + c.line + "\r\n");
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadOutFile(d, dir.file("l.out")));
  ASSERT_EQ(d.LinkCount(), 1);
  const LinkType& l = d.Links[0];
  EXPECT_EQ(l.Taxon1, Key("1"));
  EXPECT_EQ(l.Taxon2, Key("2"));
  EXPECT_EQ(l.InTorso, c.torso);
  EXPECT_EQ(l.TorsoPart, c.torso ? 1 : 0);
  ASSERT_EQ(l.MutationCount(), c.count);
  for (std::size_t k = 0; k < c.characters.size(); ++k) EXPECT_EQ(l.Mutations[k].Character, c.characters[k]);
}

std::string Fields(int n) {
  std::string s;
  for (int k = 1; k <= n; ++k) {
    std::string f = std::to_string(k);
    s += f + std::string(6 - std::min<std::size_t>(6, f.size()), ' ') + " a ";
  }
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OutLinkLine,
    testing::Values(
        LinkLineCase{"NoMutationsAtColumn55", kLinkHead, {}, 0, true},
        LinkLineCase{"OneCharacterAtColumn56", kLinkHead + "x", {"x       "}, 1, true},
        LinkLineCase{"FullField", kLinkHead + "12     a ", {"12     a"}, 1, true},
        LinkLineCase{"ShortLastField", kLinkHead + "12     a 3", {"12     a", "3       "}, 2, true},
        LinkLineCase{"ForeignCharactersBlankedAndLeftJustified", kLinkHead + "  12a#  ", {"12a     "}, 1, true},
        LinkLineCase{"KeptPunctuation", kLinkHead + "-./_Zz9 ", {"-./_Zz9 "}, 1, true},
        LinkLineCase{"StateStar", "Link    1 * Seq.      1 with Seq.      2, mutations at 5", {"5       "}, 1, true},
        LinkLineCase{"StateBridge", "Link    1 a Seq.      1 with Seq.      2, mutations at ", {}, 0, true},
        LinkLineCase{"StateNine", "Link    1 9 Seq.      1 with Seq.      2, mutations at ", {}, 0, true},
        LinkLineCase{"StateZero", "Link    1 0 Seq.      1 with Seq.      2, mutations at ", {}, 0, false},
        LinkLineCase{"StateOther", "Link    1 b Seq.      1 with Seq.      2, mutations at ", {}, 0, false},
        LinkLineCase{"ThousandFields", kLinkHead + Fields(1000), {"1      a"}, 1000, true},
        // From link 100000 on the number's extra digits push the rest of the line to the right.
        LinkLineCase{"SixDigitNumber", "Link100000 1 Seq.      1 with Seq.      2, mutations at 12     a 3",
                     {"12     a", "3       "}, 2, true},
        LinkLineCase{"SevenDigitNumberOutsideTheTorso",
                     "Link1234567 0 Seq.      1 with Seq.      2, mutations at 7      b ", {"7      b"}, 1, false},
        LinkLineCase{"FiveDigitNumber", "Link99999 a Seq.      1 with Seq.      2, mutations at 4", {"4       "}, 1,
                     true}),
    [](const testing::TestParamInfo<LinkLineCase>& info) { return std::string(info.param.name); });

TEST(OutReader, LinksBeyondThousandMutationsAreCutWithOneWarning) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  const std::string longLine = kLinkHead + Fields(1200);
  testpaths::writeFile(dir.file("l.out"), longLine + "\r\n" + longLine + "\r\n" + kLinkHead + "1\r\n");
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadOutFile(d, dir.file("l.out")));
  ASSERT_EQ(d.LinkCount(), 3);
  EXPECT_EQ(d.Links[0].MutationCount(), 1000);
  EXPECT_EQ(d.Links[0].Mutations[999].Character, "1000   a");
  EXPECT_EQ(d.Links[2].MutationCount(), 1);
  EXPECT_EQ(d.LongEdges, 2);
  EXPECT_EQ(scope.dialogs.messages(),
            std::vector<std::string>{
                "Warning: There are links within the output filecontaining more than 1000 mutations. "
                "The links withinthis program are restricted to 1000 mutations at most.Please check "
                "these links by hand."});
}

TEST(OutReader, FrequencyMappingAndInformationEdgeCases) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("e.out"),
                       "Frequ. of taxon        1 :  abc\n"
                       "Frequ. of taxon   mv   2 :    0\n"
                       "Frequ. of taxon        3 :    2\n"
                       "F2Criterion: Frequency>=2\n"
                       "Mapping of taxon;     1;A;b\n"
                       "Mapping of taxon;     9;nobody\n"
                       "Other information of taxon;     1;EthnicGroup;e;Bogus;Region;r;Group2;two;Group7;x;Haplogroup;hg;\n"
                       "Other information of taxon;     9;Region;r;\n"
                       "Tax.      1 with tax.      9\n"
                       "End\n"
                       "Frequ. of taxon        4 :    1\n");
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadOutFile(d, dir.file("e.out")));
  ASSERT_EQ(d.NodeCount(), 3);  // reading stops at "End"
  EXPECT_EQ(d.Taxa[0].Frequency, 1);  // not a number
  EXPECT_EQ(d.Taxa[0].Label, "A;b");  // everything after the second ';'
  EXPECT_EQ(d.Taxa[1].Label, "mv   2");
  EXPECT_EQ(d.Taxa[2].Frequency, 2);
  EXPECT_TRUE(d.SpecialFileType);
  const TaxonType& t = d.Taxa[0];
  EXPECT_EQ(t.Info[0], (InfoPair{"Ethnic group", "e"}));
  // "Bogus" is passed over by itself, so "Region" is read as the next kind.
  EXPECT_EQ(t.Info[1], (InfoPair{"Region", "r"}));
  EXPECT_EQ(t.Info[4], (InfoPair{"Group2", "two"}));
  // "Group7" is no group: passed over by itself, and so is its value "x".
  EXPECT_EQ(t.Info[2], (InfoPair{"Haplogroup", "hg"}));
  // The pair with a missing node adds nothing, yet counts as an equivalent taxon.
  EXPECT_EQ(d.Taxa[0].Frequency, 1);
  EXPECT_EQ(d.TotalTaxa, 1 + 2);          // the median vector of frequency 0 does not count
  EXPECT_EQ(d.TotalHaplotypes, 2 - 1);
}

// Files that once broke the readers (found by fuzzing): refused with the reader's message, the
// file left as it was.
struct RefusedCase {
  const char* name;
  const char* fixture;
  std::string error;
};

class OutRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(OutRefused, WithTheReadersMessage) {
  const RefusedCase& c = GetParam();
  ScriptedDialogsScope scope;
  const std::string path = testpaths::testData(c.fixture).string();
  const std::string before = testpaths::readFile(path);
  TNetwork_Diagramm d;
  std::string error;
  EXPECT_FALSE(LoadOutFile(d, path, &error));
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(testpaths::readFile(path), before);
}

const std::string kFrequencyTotal = "The frequencies add up to more than 2147483647.";

INSTANTIATE_TEST_SUITE_P(
    Frequencies, OutRefused,
    testing::Values(
        RefusedCase{"Negative", "diagram/negative_frequency.out",
                    "Line 2: the frequency -1 is negative."},
        RefusedCase{"TotalPastAnInt", "diagram/frequency_total_overflow.out", kFrequencyTotal},
        // A taxon named equivalent to itself twice doubles its frequency twice.
        RefusedCase{"EquivalentMergePastAnInt", "diagram/equivalent_frequency_overflow.out",
                    kFrequencyTotal}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(OutStoReaders, GroupNumberPastAnIntIsPassedOverLikeAnyUnknownGroup) {
  ScriptedDialogsScope scope;
  TNetwork_Diagramm out;
  std::string error;
  ASSERT_TRUE(LoadOutFile(out, testpaths::testData("diagram/group_overflow.out").string(), &error))
      << error;
  ASSERT_EQ(out.NodeCount(), 2);
  // "Group99999999999" and its value "x" are passed over, the group after them is read.
  EXPECT_EQ(out.Taxa[0].Info[3], (InfoPair{"Group1", "g1"}));
  EXPECT_EQ(out.Taxa[0].Info[5], InfoPair{});

  TNetwork_Diagramm sto;
  ASSERT_TRUE(LoadStoFile(sto, testpaths::testData("diagram/group_overflow.sto").string(), &error))
      << error;
  ASSERT_EQ(sto.NodeCount(), 2);
  EXPECT_EQ(sto.LinkCount(), 1);
  EXPECT_EQ(sto.SteinerNetwork, (SubTree{1}));
  for (const InfoPair& info : sto.Taxa[1].Info) EXPECT_EQ(info, InfoPair{});
}

TEST(OutReader, MissingFileFails) {
  TNetwork_Diagramm d;
  std::string error;
  EXPECT_FALSE(LoadOutFile(d, "/nonexistent/x.out", &error));
  EXPECT_NE(error.find("/nonexistent/x.out"), std::string::npos);
}

// ---- .sto ----

std::string ToLf(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}
std::string ToCrLf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\r') continue;
    if (c == '\n') out += "\r\n";
    else out += c;
  }
  return out;
}
std::string ToCr(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\r') continue;
    out += c == '\n' ? '\r' : c;
  }
  return out;
}

TEST(StoReader, DemoFileReadsNetworkTreesAndSteinerNetwork) {
  ScriptedDialogsScope scope;
  TNetwork_Diagramm d;
  std::string error;
  const std::string path = testpaths::testData("diagram/demo.sto").string();
  const std::string before = testpaths::readFile(path);
  ASSERT_TRUE(LoadStoFile(d, path, &error)) << error;
  EXPECT_EQ(testpaths::readFile(path), before);  // opening never rewrites the file
  EXPECT_FALSE(std::filesystem::exists("Interim_Sto.txt"));

  EXPECT_EQ(d.NodeCount(), 6);
  EXPECT_EQ(d.LinkCount(), 4);
  EXPECT_EQ(d.Taxa[0].Frequency, 5);
  EXPECT_EQ(d.SteinerLength, 6);
  EXPECT_EQ(d.SteinerNetwork, (SubTree{1, 2, 3}));
  ASSERT_EQ(d.SteinerTreeCount(), 2);
  EXPECT_EQ(d.SteinerTrees[0], (SubTree{1, 3}));
  EXPECT_EQ(d.SteinerTrees[1], (SubTree{2, 3}));  // link 9 lies outside the network: dropped

  TNetwork_Diagramm out;
  ASSERT_TRUE(LoadOutFile(out, testpaths::testData("diagram/demo.out").string()));
  EXPECT_EQ(d.Taxa, out.Taxa);
  EXPECT_EQ(d.Links, out.Links);

  // Every reader starts from an empty diagram.
  TNetwork_Diagramm reused;
  ASSERT_TRUE(LoadDiaFile(reused, testpaths::testData("diagram/demo.dia").string()));
  ASSERT_TRUE(LoadStoFile(reused, path));
  EXPECT_TRUE(reused == d);
  ASSERT_TRUE(LoadOutFile(reused, testpaths::testData("diagram/demo.out").string()));
  EXPECT_TRUE(reused == out);
}

TEST(StoReader, LineEndsDoNotMatter) {
  ScriptedDialogsScope scope;
  // The solver's own file: LF lines around the CR LF lines of the embedded network.
  const std::string lf = testpaths::readFile(testpaths::testData("diagram/demo.sto"));
  TNetwork_Diagramm reference;
  ASSERT_TRUE(LoadStoFile(reference, testpaths::testData("diagram/demo.sto").string()));
  testpaths::TempDir dir;
  for (const auto& [name, text] : {std::pair{"lf", ToLf(lf)}, {"crlf", ToCrLf(lf)}, {"cr", ToCr(lf)}}) {
    SCOPED_TRACE(name);
    testpaths::writeFile(dir.file(std::string(name) + ".sto"), text);
    TNetwork_Diagramm d;
    ASSERT_TRUE(LoadStoFile(d, dir.file(std::string(name) + ".sto")));
    EXPECT_TRUE(d == reference);
  }
}

TEST(StoReader, SectionsAfterTheNetworkAreReadAndSubnetworksIsNoSub) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("s.sto"),
                       "Section Network\n" + kLinkHead + "1 \r\n" + kLinkHead + "2 \r\nEnd\n\n"
                       "Section Subnetworks\nNumber 1\nCost 4\nEnd\n\n"
                       "Section MP-Network\nLink;2;a;b\nLink 1 only one field\nLink\t0\ta\tb\nEnd\n");
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadStoFile(d, dir.file("s.sto")));
  EXPECT_EQ(d.LinkCount(), 2);
  EXPECT_EQ(d.SteinerLength, 4);
  EXPECT_EQ(d.SteinerTreeCount(), 0);
  EXPECT_EQ(d.SteinerNetwork, (SubTree{2}));  // 0 is no link
}

TEST(StoReader, NonIntegerCountsAndLinkNumbersFail) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  for (const std::string text : {"Section Subnetworks\nNumber x\nEnd\n", "Section Subnetworks\nCost\nEnd\n",
                                   "Section Sub x\nEnd\n", "Section MP-Network\nLink\tone\ta\tb\nEnd\n"}) {
    SCOPED_TRACE(text);
    testpaths::writeFile(dir.file("bad.sto"), text);
    TNetwork_Diagramm d;
    std::string error;
    EXPECT_FALSE(LoadStoFile(d, dir.file("bad.sto"), &error));
    EXPECT_NE(error.find("is not an integer"), std::string::npos) << error;
  }
}

// A file cut off, or whose parts disagree, is refused with a reason and never read half-named.
struct BrokenFile {
  const char* name;
  const char* fixture;   // under tests/data/diagram
  const char* cutBefore; // the file ends just before this text (empty: cut in mid-line at half)
  const char* replace;   // or: this text ...
  const char* with;      // ... becomes this one
  const char* reason;    // part of the error
};

class BrokenFiles : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(BrokenFiles, AreRefusedWithTheirReason) {
  ScriptedDialogsScope scope;
  const BrokenFile& c = GetParam();
  std::string text = testpaths::readFile(testpaths::testData(std::string("diagram/") + c.fixture));
  if (c.replace != nullptr) {
    const std::size_t at = text.find(c.replace);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(c.replace).size(), c.with);
  } else if (std::string(c.cutBefore).empty()) {
    text.resize(text.size() / 2);
    ASSERT_NE(text.back(), '\n');
  } else {
    const std::size_t at = text.find(c.cutBefore);
    ASSERT_NE(at, std::string::npos);
    text.resize(at);
  }
  testpaths::TempDir dir;
  const std::string path = dir.file(c.fixture);
  testpaths::writeFile(path, text);
  TNetwork_Diagramm d;
  std::string error;
  const bool sto = std::string(c.fixture).ends_with(".sto");
  EXPECT_FALSE(sto ? LoadStoFile(d, path, &error) : LoadOutFile(d, path, &error));
  EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  EXPECT_TRUE(scope.dialogs.messages().empty());  // the caller tells the user
  EXPECT_EQ(testpaths::readFile(path), text);     // and the file stays as it was
}

INSTANTIATE_TEST_SUITE_P(
    CutOrInconsistent, BrokenFiles,
    ::testing::Values(
        BrokenFile{"StoInMidLine", "demo.sto", "", nullptr, nullptr, "\"Network\" has no End line"},
        BrokenFile{"StoInItsNetwork", "demo.sto", "Mapping of character;    14", nullptr, nullptr,
                   "\"Network\" has no End line"},
        BrokenFile{"StoAfterItsNetwork", "demo.sto", "End\n\nEOF", nullptr, nullptr,
                   "\"Network\" has no End line"},
        BrokenFile{"StoInATree", "demo.sto", "Link\t9\tmv   1\t9", nullptr, nullptr,
                   "\"Sub 2\" has no End line"},
        BrokenFile{"StoBeforeItsNetwork", "demo.sto", "Section Network", nullptr, nullptr,
                   "no network section"},
        BrokenFile{"StoTreeCountDisagrees", "demo.sto", nullptr, "Tree-Edges 2", "Tree-Edges 4",
                   "announces 4 links but lists 2"},
        BrokenFile{"StoNetworkCountDisagrees", "demo.sto", nullptr, "MP-Edges 3", "MP-Edges 2",
                   "announces 2 links but lists 3"},
        BrokenFile{"OutInMidLine", "demo.out", "of character 5 ", nullptr, nullptr,
                   "last line is incomplete"},
        BrokenFile{"OutInCharacterNames", "demo.out", "Mapping of character;    14", nullptr, nullptr,
                   "20 characters are weighted but only 13 are named"},
        BrokenFile{"OutBeforeTaxonNames", "demo.out", "Mapping of taxon;     1", nullptr, nullptr,
                   "Taxon 1 is not named"},
        BrokenFile{"OutInTaxonNames", "demo.out", "Mapping of taxon;     4", nullptr, nullptr,
                   "Taxon 4 is not named"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OutReader, AWholeFileWithoutItsLastLineEndStillReads) {
  // As a text editor may save it.
  ScriptedDialogsScope scope;
  std::string text = testpaths::readFile(testpaths::testData("diagram/demo.out"));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("edited.out"), text);
  TNetwork_Diagramm d, whole;
  std::string error;
  ASSERT_TRUE(LoadOutFile(d, dir.file("edited.out"), &error)) << error;
  ASSERT_TRUE(LoadOutFile(whole, testpaths::testData("diagram/demo.out").string()));
  EXPECT_EQ(d.Taxa, whole.Taxa);
  EXPECT_EQ(d.Links, whole.Links);
}

TEST(StoReader, AFileCutAfterItsEndLinesStillReads) {
  // The closing "EOF" line adds nothing to read.
  ScriptedDialogsScope scope;
  std::string text = testpaths::readFile(testpaths::testData("diagram/demo.sto"));
  text.resize(text.find("EOF"));
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("whole.sto"), text);
  TNetwork_Diagramm d;
  std::string error;
  EXPECT_TRUE(LoadStoFile(d, dir.file("whole.sto"), &error)) << error;
  EXPECT_EQ(d.LinkCount(), 4);
}

}  // namespace
