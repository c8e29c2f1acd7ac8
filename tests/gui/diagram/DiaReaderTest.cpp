// Reading the fixed-column .dia diagram files.
#include "Dia_File.h"
#include "DiagramTestUtil.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

namespace {

const std::string kLongEdgesWarning =
    "Warning: There are links within the output filecontaining more than 1000 mutations. The links "
    "withinthis program are restricted to 1000 mutations at most.Please check these links by hand.";

TEST(DiaReader, DemoFileReadsExactly) {
  ScriptedDialogsScope scope;
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadDiaFile(d, testpaths::testData("diagram/demo.dia").string()));
  EXPECT_TRUE(scope.dialogs.messages().empty());

  EXPECT_FALSE(d.SpecialFileType);
  EXPECT_EQ(d.DiagramCenter, (TIntPoint{400, 300}));
  EXPECT_EQ(d.ImageCenter, (TIntPoint{410, 320}));
  ASSERT_EQ(d.NodeCount(), 4);
  const std::vector<std::string> names = {"     1", "mv   1", "     2", "     3"};
  const std::vector<double> xs = {100.5, 150, 200, 150}, ys = {200, 200, 150, 260};
  const std::vector<int> frequencies = {3, 0, 1, 2};
  for (int i = 0; i < 4; ++i) {
    const TaxonType& t = d.Taxa[i];
    EXPECT_EQ(t.Name, names[i]);
    EXPECT_EQ(t.Label, names[i]);
    EXPECT_DOUBLE_EQ(t.X, xs[i]);
    EXPECT_DOUBLE_EQ(t.Y, ys[i]);
    EXPECT_EQ(t.Frequency, frequencies[i]);
    ASSERT_EQ(t.Pies.size(), 1u);
    EXPECT_EQ(t.Pies[0], (Pie{"", 0xFF0000, frequencies[i], 0}));
    EXPECT_EQ(t.NameHeight, 8);
    EXPECT_EQ(t.LineWidth, 1);
    EXPECT_EQ(t.Active, i != 3) << i;  // node 3 is the second member of an equivalent pair
  }

  ASSERT_EQ(d.LinkCount(), 3);
  const LinkType& l1 = d.Links[0];
  EXPECT_EQ(l1.Taxon1, "     1");
  EXPECT_EQ(l1.Taxon2, "mv   1");
  EXPECT_TRUE(l1.InTorso);
  EXPECT_EQ(l1.TorsoPart, 1);
  EXPECT_TRUE(l1.Active);
  ASSERT_EQ(l1.MutationCount(), 2);
  EXPECT_EQ(l1.Mutations[0].Character, "3 a     ");
  EXPECT_EQ(l1.Mutations[0].Name, "3 a     ");
  EXPECT_EQ(l1.Mutations[0].NameHeight, 6);
  EXPECT_EQ(l1.Mutations[0].NameColor, 0xFF0000);
  EXPECT_EQ(l1.Mutations[1].Character, "7 b     ");
  EXPECT_FALSE(d.Links[1].InTorso);
  EXPECT_EQ(d.Links[1].TorsoPart, 0);
  EXPECT_EQ(d.Links[2].MutationCount(), 0);

  ASSERT_EQ(d.HelpPointLinkCount(), 1);
  EXPECT_EQ(d.HelpPointLinks[0].Points, (std::vector<HelpPoint>{{120, 190}, {130, 195}}));

  EXPECT_EQ(d.TotalTaxa, 8);
  EXPECT_EQ(d.TotalHaplotypes, 3);
  EXPECT_EQ(d.EquivalentTaxa, (std::vector<EquiTaxonType>{{"     1", "     3"}}));
  EXPECT_EQ(d.SteinerLength, 5);
  ASSERT_EQ(d.SteinerTreeCount(), 2);
  EXPECT_EQ(d.SteinerTrees[0], (SubTree{1, 2}));
  EXPECT_EQ(d.SteinerTrees[1], (SubTree{3}));  // link 7 does not exist: dropped
  EXPECT_EQ(d.SteinerNetwork, (SubTree{1, 3}));
}

// A minimal .dia file around one link line and one help-point line.
std::string DiaText(const std::string& marker, const std::string& linkLine,
                    const std::string& helpLine, const std::string& tail, bool frequencies = true) {
  std::string s = marker + "\r\n\r\n   100    100\r\n   100    100\r\n     2\r\n"
                  "     1     10     10\r\n     2     50     10\r\n\r\n     1\r\n" + linkLine +
                  "\r\n\r\n     1\r\n" + helpLine + "\r\n\r\nFrequencies\r\n";
  if (frequencies) s += "     1   1\r\n     2   4\r\n";
  return s + tail;
}

const std::string kLink43 = "     1      2   TRUE      2 a1       b2       ";  // 43 + 3 blanks

struct DiaCase {
  const char* name;
  std::string text;
  bool ok;
  std::vector<std::string> messages;
};

class DiaColumns : public testing::TestWithParam<DiaCase> {};

TEST_P(DiaColumns, ReadOrRefuse) {
  const DiaCase& c = GetParam();
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("c.dia"), c.text);
  TNetwork_Diagramm d;
  EXPECT_EQ(LoadDiaFile(d, dir.file("c.dia")), c.ok);
  EXPECT_EQ(scope.dialogs.messages(), c.messages);
  if (!c.ok) {
    EXPECT_EQ(d.NodeCount(), 0);  // a refused file leaves nothing behind
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DiaColumns,
    testing::Values(
        DiaCase{"LinkOf43CharactersWithTwoMutations", DiaText("x", kLink43.substr(0, 43), "     1      2", ""), true, {}},
        DiaCase{"LinkOf42CharactersWithTwoMutations", DiaText("x", kLink43.substr(0, 42), "     1      2", ""), false,
                {"TNetwork_Diagramm.LoadFromFile: Detected a problem concerning the mutations  of link 1."}},
        DiaCase{"NegativeMutationCount", DiaText("x", "     1      2   TRUE     -1 ", "     1      2", ""), false,
                {"TNetwork_Diagramm.LoadFromFile: Detected a problem concerning the mutations  of link 1."}},
        DiaCase{"MissingFrequencies", DiaText("x", kLink43, "     1      2", "", false), false,
                {"The diagram file is corrupted. Frequencies are missing."}},
        DiaCase{"EndsInsideTheNodes", "x\r\n   100    100\r\n   100    100\r\n     5\r\n     1     10     10\r\n", false,
                {"The diagram file is corrupted. Frequencies are missing."}},
        DiaCase{"NegativeNodeCount", "x\r\n   100    100\r\n   100    100\r\n    -5\r\n", false,
                {"Unknown error: Negative count in line 4."}},
        DiaCase{"LongEdges", DiaText("x", kLink43, "     1      2", "Long edges: 2\r\n"), true, {kLongEdgesWarning}}),
    [](const testing::TestParamInfo<DiaCase>& info) { return std::string(info.param.name); });

TEST(DiaReader, MarkerHelpPointsAndMutationColumns) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  const std::string help42 = "     1      2     11     12     21     22 ";
  testpaths::writeFile(dir.file("m.dia"), DiaText("S!whatever", kLink43, help42, ""));
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadDiaFile(d, dir.file("m.dia")));
  EXPECT_TRUE(d.SpecialFileType);
  ASSERT_EQ(d.LinkCount(), 1);
  ASSERT_EQ(d.Links[0].MutationCount(), 2);
  EXPECT_EQ(d.Links[0].Mutations[0].Character, "a1      ");
  EXPECT_EQ(d.Links[0].Mutations[1].Character, "b2      ");
  EXPECT_EQ(d.HelpPointLinks[0].Points, (std::vector<HelpPoint>{{11, 12}, {21, 22}}));
  EXPECT_EQ(d.Taxa[1].Frequency, 4);
}

TEST(DiaReader, SecondTreeDirectlyAfterTheLastNumberIsLost) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("t.dia"),
                       DiaText("x", kLink43, "     1      2",
                               "Steiner tree:\r\n1\r\nSteiner tree:\r\n1\r\n\r\nSteiner tree:\r\n1\r\n"));
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadDiaFile(d, dir.file("t.dia")));
  EXPECT_EQ(d.SteinerTreeCount(), 2);
}

TEST(DiaReader, UnreadableFileGivesUnknownError) {
  ScriptedDialogsScope scope;
  TNetwork_Diagramm d;
  EXPECT_FALSE(LoadDiaFile(d, "/nonexistent/d.dia"));
  EXPECT_EQ(scope.dialogs.messages(),
            std::vector<std::string>{"Unknown error: Cannot read the file /nonexistent/d.dia."});
}

}  // namespace
