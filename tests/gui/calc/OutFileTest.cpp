#include "OutFile.h"
#include "MJTestSets.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

using namespace outfile;

TEST(OutLayout, LinkLineColumns) {
  const std::string line = LinkLine(7, 1, "12", "mv   3", MutationField(5, 'A', 'C', MutationMarks::Substitution) +
                                                     MutationField(123, 'A', 'G', MutationMarks::Substitution));
  EXPECT_EQ(line, "Link    7 1 Seq.     12 with Seq. mv   3, mutations at 5      b 123    a ");
  EXPECT_EQ(line.substr(55, 9), "5      b ");  // the first field starts in column 56
  // A bridge writes the letter a in column 11; a link without mutations ends in column 55.
  const std::string bridge = LinkLine(1, 100, "1", "2", "");
  EXPECT_EQ(bridge[10], 'a');
  EXPECT_EQ(bridge.size(), 55u);
  // Link number 100000 pushes the rest of its line one column to the right.
  EXPECT_EQ(LinkLine(100000, 0, "1", "2", "").size(), 56u);
}

TEST(OutLayout, MutationMarksFollowTheDataKind) {
  struct Case {
    char a, b;
    MutationMarks marks;
    const char* field;
  };
  const Case cases[] = {
      {'A', 'G', MutationMarks::Substitution, "9      a "},
      {'C', 'T', MutationMarks::Substitution, "9      a "},
      {'G', 'T', MutationMarks::Substitution, "9      b "},
      {'A', '-', MutationMarks::Substitution, "9      a "},
      {'0', '1', MutationMarks::Blank, "9        "},
      {'K', 'R', MutationMarks::States, "9     KR "},
  };
  for (const Case& c : cases) EXPECT_EQ(MutationField(9, c.a, c.b, c.marks), c.field);
}

TEST(OutLayout, KeysAndFixedWidthLines) {
  EXPECT_EQ(SequenceKey("mv  12", 40), "mv  12");
  EXPECT_EQ(SequenceKey("MVP", 3), "MVP");  // any case of the letters m, v
  EXPECT_EQ(SequenceKey("Homo", 3), "3");
  EXPECT_EQ(FrequencyLine("12", 5, 4), "Frequ. of taxon       12 :    5");
  EXPECT_EQ(FrequencyLine("12", 5, 3), "Frequ. of taxon       12 :   5");
  EXPECT_EQ(StarLine(), std::string(50, '*'));
  EXPECT_EQ(ScientificThreshold(2), " 2.00000000000000E+0000");
  EXPECT_EQ(ScientificThreshold(-0.015), "-1.50000000000000E-0002");
  EXPECT_EQ(ScientificThreshold(12345), " 1.23450000000000E+0004");
}

TEST(OutLayout, EquivalentTaxaAreGroupedByRepresentative) {
  Trdf_DataSet d = MakeSet({"A", "C", "A", "C", "A"});
  d.FindEquivalentTaxa();
  std::string out;
  AppendEquivalentTaxa(out, d, true);
  EXPECT_EQ(out,
            "Equivalent taxa : \r\n\r\nTax.      1 with tax.      3\r\nTax.      1 with tax.      "
            "5\r\nTax.      2 with tax.      4\r\n\r\n");
  // Without pairs: the median-joining writer keeps the header, the reduced-median one does not.
  Trdf_DataSet e = MakeSet({"A", "C"});
  out.clear();
  AppendEquivalentTaxa(out, e, true);
  EXPECT_EQ(out, "Equivalent taxa : \r\n\r\n\r\n");
  out.clear();
  AppendEquivalentTaxa(out, e, false);
  EXPECT_EQ(out, "\r\n");
}

TEST(OutLayout, WeightLinesOfBothWriters) {
  Trdf_DataSet d = MakeSet({"AAA", "CCC"});
  d.Characters[1].Weight = 0;
  d.Characters[1].Active = 0;
  std::string mj, rm;
  AppendWeights(mj, d, false);
  AppendWeights(rm, d, true);
  EXPECT_EQ(mj,
            "Weight of character 1      :  10\r\nWeight of character 2      :   0\r\nWeight of "
            "character 3      :  10\r\n");
  EXPECT_EQ(rm, "Weight of character      1 :  10\r\nWeight of character      3 :  10\r\n");
}

TEST(OutFileDialog, ProposesTheDataNameWithOutAndForcesTheExtension) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  s.dialogs.saveFile(dir.file("net"));
  const auto name = AskOutFileName("/data/set.rdf", MJFilter);
  ASSERT_TRUE(name);
  EXPECT_EQ(*name, dir.file("net.out"));
  ASSERT_NE(s.dialogs.lastFileRequest(), nullptr);
  EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, "/data/set.out");
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Tarvane output files (*.out)|*.out");
  s.dialogs.saveFile(std::nullopt);
  EXPECT_FALSE(AskOutFileName("/data/set.rdf", MJFilter));
}
