// Writing and reading formatted diagram files.
#include "Dia_File.h"
#include "DiagramTestUtil.h"
#include "FdiFile.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "UHelp.h"

#include <gtest/gtest.h>

namespace {

using namespace diagramtest;

TEST(FdiFile, StyledFixtureReadsExactlyAndWritesBackByteIdentical) {
  ScriptedDialogsScope scope;
  const std::string path = testpaths::testData("diagram/styled.fdi").string();
  TNetwork_Diagramm d;
  TDrawOptions o;
  o.ShowCharacters = true;
  ASSERT_TRUE(ReadFdiFile(d, path, o));
  EXPECT_TRUE(scope.dialogs.messages().empty());

  TDrawOptions expected{true, false, false, true, true, false, 5, 25, 2};
  EXPECT_EQ(o, expected);
  EXPECT_EQ(d.DiagramCenter, (TIntPoint{400, 300}));
  EXPECT_EQ(d.ImageCenter, (TIntPoint{410, 320}));
  ASSERT_EQ(d.NodeCount(), 3);
  const TaxonType& a = d.Taxa[0];
  EXPECT_EQ(a.Name, "Alpha");
  EXPECT_EQ(a.Label, "Alpha");
  EXPECT_EQ(a.NameStyle, fsBold | fsItalic);
  EXPECT_EQ(a.NameColor, 255);
  EXPECT_EQ(a.Frequency, 5);
  EXPECT_EQ(a.OrigFrequency, 3);
  EXPECT_EQ(a.Info[1], (InfoPair{"Region", "North"}));
  EXPECT_EQ(a.Info[0], (InfoPair{"Ethnic group", "Hunters"}));
  EXPECT_EQ(a.Info[2], (InfoPair{"Haplogroup", "H1"}));
  EXPECT_EQ(a.Info[3], (InfoPair{"Group1", "g1"}));
  EXPECT_EQ(a.Info[5], (InfoPair{"Group3", "x"}));
  EXPECT_DOUBLE_EQ(a.X, 100);
  EXPECT_DOUBLE_EQ(a.Y, -20);
  EXPECT_EQ(a.Pies, (PieType{{"", 65535, 3, bsSolid}, {"", 255, 2, bsDiagCross}}));
  EXPECT_EQ(a.LineWidth, 2);
  EXPECT_TRUE(a.Active);
  EXPECT_EQ(d.Taxa[1].LineStyle, psClear);
  EXPECT_EQ(d.Taxa[1].Info[1], (InfoPair{"Geography", ""}));
  EXPECT_EQ(d.Taxa[2].NameStyle, fsUnderline | fsStrikeOut);
  EXPECT_EQ(d.Taxa[2].Pies[0].PiePattern, bsFDiagonal);
  EXPECT_FALSE(d.Taxa[2].Active);

  ASSERT_EQ(d.LinkCount(), 2);
  const LinkType& l = d.Links[0];
  EXPECT_EQ(l.Taxon1, "Alpha");
  EXPECT_EQ(l.Taxon2, "mv1");
  EXPECT_TRUE(l.InTorso);
  ASSERT_EQ(l.MutationCount(), 2);
  EXPECT_EQ(l.Mutations[0].Character, "pos3");
  EXPECT_EQ(l.Mutations[0].Name, "pos3");
  EXPECT_EQ(l.Mutations[0].NameStyle, fsBold | fsUnderline);
  EXPECT_EQ(l.Mutations[0].NameColor, 255);
  EXPECT_EQ(l.Mutations[1].NameHeight, 7);
  EXPECT_EQ(l.LineColor, 8421504);
  EXPECT_EQ(d.Links[1].MutationCount(), 0);
  EXPECT_EQ(d.Links[1].LineStyle, psClear);
  EXPECT_EQ(d.Links[1].LineWidth, 3);
  EXPECT_FALSE(d.Links[1].Active);

  EXPECT_EQ(d.HelpPointLinks[0].Points, (std::vector<HelpPoint>{{120, 190}, {130, 195}}));
  EXPECT_EQ(d.TotalTaxa, 6);
  EXPECT_EQ(d.TotalHaplotypes, 2);
  EXPECT_EQ(d.EquivalentTaxa, (std::vector<EquiTaxonType>{{"Alpha", "Beta"}}));
  EXPECT_EQ(d.SteinerLength, 3);
  EXPECT_EQ(d.SteinerTrees, (std::vector<SubTree>{{1, 2}, {1}}));
  EXPECT_EQ(d.SteinerNetwork, (SubTree{1, 2}));
  ASSERT_EQ(d.ColorSchemes.size(), 1u);
  EXPECT_EQ(d.ColorSchemes[0], (SchemeType{"Region", true, {255, 65280}, {"North", "South"}}));

  EXPECT_EQ(FdiText(d, o), testpaths::readFile(path));
}

// A diagram as the drawing window has it after reading a .out file and laying it out.
TNetwork_Diagramm LaidOutDemo() {
  TNetwork_Diagramm d;
  EXPECT_TRUE(LoadOutFile(d, testpaths::testData("diagram/demo.out").string()));
  for (int i = 0; i < d.NodeCount(); ++i) {
    d.Taxa[i].X = 100 + 40.5 * i;  // halves round to even when written
    d.Taxa[i].Y = 80 - 10.25 * i;
    d.Taxa[i].Active = true;
  }
  d.Links[3].Mutations.clear();  // a link with no mutations is legal
  d.HelpPointLinks.push_back({"     1", "mv   1", {{1.5, 2.5}, {3, 4}}});
  d.SteinerNetwork = {1, 2};
  d.BuildColorSchemes();
  d.ColorSchemes[1].SchemeActive = true;
  d.SetTaxonPieFrequencies(1, {1, 1}, false, false);
  d.SetTaxonPiePattern(1, 2, bsBDiagonal, false, false);
  d.Taxa[0].NameStyle = fsBold | fsItalic | fsUnderline | fsStrikeOut;
  d.Links[0].Mutations[0].NameStyle = fsBold | fsItalic | fsUnderline | fsStrikeOut;
  return d;
}

TEST(FdiFile, WriteReadWriteIsByteIdentical) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  TNetwork_Diagramm d = LaidOutDemo();
  const TDrawOptions o{true, true, true, false, false, true, 4, 16, 3};
  std::string error;
  ASSERT_TRUE(WriteFdiFile(d, dir.file("a.fdi"), o, &error)) << error;
  const std::string first = testpaths::readFile(dir.file("a.fdi"));
  EXPECT_TRUE(first.starts_with("SHOW_NODENAMES;TRUE\r\nNODES_PROPORTIONAL;TRUE\r\n"));
  EXPECT_NE(first.find(";NUMBER_OF_MUTATIONS;0;LINK_LINE_WIDTH;"), std::string::npos);
  EXPECT_NE(first.find("STEINER_LENGTH;0\r\nNUMBER_OF_STEINER_TREES;0\r\nSTEINER_NETWORK;1;2;\r\n"),
            std::string::npos);

  TNetwork_Diagramm back;
  TDrawOptions read;
  ASSERT_TRUE(ReadFdiFile(back, dir.file("a.fdi"), read));
  EXPECT_EQ(read, o);
  // Names become labels, positions whole numbers.
  EXPECT_EQ(back.Taxa[0].Name, "Alpha");
  EXPECT_EQ(back.Links[0].Taxon2, "mv   1");
  EXPECT_DOUBLE_EQ(back.Taxa[1].X, 140);   // 140.5 -> even
  EXPECT_DOUBLE_EQ(back.Taxa[1].Y, 70);    // 69.75
  EXPECT_EQ(back.Taxa[0].Pies.size(), 2u);
  EXPECT_EQ(back.Taxa[0].NameStyle, d.Taxa[0].NameStyle);
  EXPECT_EQ(back.Links[0].Mutations[0].NameStyle, d.Links[0].Mutations[0].NameStyle);
  EXPECT_EQ(back.ColorSchemes, d.ColorSchemes);
  ASSERT_TRUE(WriteFdiFile(back, dir.file("b.fdi"), read));
  EXPECT_EQ(testpaths::readFile(dir.file("b.fdi")), first);
  EXPECT_TRUE(scope.dialogs.messages().empty());
}

TEST(FdiFile, SemicolonsInTextsAreWrittenAsCommas) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0), Node("b", 10, 0)};
  d.Taxa[0].Label = "A;1";
  d.Taxa[0].Info[1] = {"Region", "N;S"};
  d.Links = {Link("a", "b", {"c;1"})};
  d.ColorSchemes = {{"Re;gion", false, {1}, {"x;y"}}};
  ASSERT_TRUE(WriteFdiFile(d, dir.file("s.fdi"), TDrawOptions{}));
  TNetwork_Diagramm back;
  TDrawOptions o;
  ASSERT_TRUE(ReadFdiFile(back, dir.file("s.fdi"), o));
  EXPECT_EQ(back.Taxa[0].Name, "A,1");
  EXPECT_EQ(back.Taxa[0].Info[1].InfoValue, "N,S");
  EXPECT_EQ(back.Links[0].Taxon1, "A,1");
  EXPECT_EQ(back.Links[0].Mutations[0].Name, "c,1");
  EXPECT_EQ(back.ColorSchemes[0], (SchemeType{"Re,gion", false, {1}, {"x,y"}}));
}

TEST(FdiFile, WriterDetails) {
  TNetwork_Diagramm d;
  d.Taxa = {Node("a", 0, 0)};
  d.Taxa[0].Info[1] = {"Geo", "v"};  // any label but "Region" counts as geography
  d.Taxa[0].Info[0] = {"Ethnic group", "e"};
  d.Taxa[0].LineStyle = psDash;     // neither solid nor clear: not written
  d.Taxa[0].Pies[0].PiePattern = 9;  // no such pattern: not written
  const std::string text = FdiText(d, TDrawOptions{});
  EXPECT_NE(text.find("TAXON_GEOGRAPHY;v;TAXON_ETHNIC_GROUP;e;TAXON_LINEAGE;;"), std::string::npos);
  EXPECT_EQ(text.find("TAXON_LINE_STYLE"), std::string::npos);
  EXPECT_EQ(text.find("TAXON_STYLE_PIE"), std::string::npos);
  EXPECT_EQ(text.find("STEINER"), std::string::npos);
  const std::vector<std::string> lines = SplitTextLines(text);
  ASSERT_GE(lines.size(), 22u);
  EXPECT_EQ(lines[9], "");
  EXPECT_EQ(lines[13], "NUMBER_OF_TAXA;1");
  EXPECT_EQ(lines[15], "");  // after the taxa
  EXPECT_EQ(lines[16], "NUMBER_OF_LINKS;0");
  EXPECT_EQ(lines[17], "");
  EXPECT_EQ(lines[18], "NUMBER_OF_HELP_POINT_LINKS;0");
  EXPECT_EQ(lines[19], "");
}

TEST(FdiFile, ReaderDetails) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("r.fdi"),
                       "MIN_CIRC_RADIUS;7\n\nUNKNOWN_KEY;1\nNUMBER_OF_TAXA;2\n"
                       "TAXON_NAME;a;TAXON_COLOR_PIE3;255;TAXON_GROUP2;Lbl;val;TAXON_COLOR;77;TAXON_STYLE;CROSS\n"
                       "\n"
                       "NUMBER_OF_LINKS;1\n"
                       "LINK_TAXON1;a;NUMBER_OF_MUTATIONS;3;MUTATION1_NAME;m1;MUTATION3_NAME;m3;LINK_ACTIVE;TRUE\n"
                       "NUMBER_OF_STEINER_TREES;2\nSTEINER_TREE;1;2;\nSTEINER_TREE;\n"
                       "STEINER_NETWORK;1;5;\n"
                       "COLOR_SCHEME;SCHEME_TYPE;T;SCHEME_ITEM;a;ITEM_COLOR;5;SCHEME_ITEM;b;7;SCHEME_ITEM;c;ITEM_COLOR;9;\n");
  TNetwork_Diagramm d;
  TDrawOptions o;
  o.MaxRadius = 99;
  ASSERT_TRUE(ReadFdiFile(d, dir.file("r.fdi"), o));
  EXPECT_EQ(o.MinRadius, 7);
  EXPECT_EQ(o.MaxRadius, 99);  // absent: the caller's value
  ASSERT_EQ(d.NodeCount(), 2);
  EXPECT_EQ(d.Taxa[0].Pies, (PieType{{"", 77, 0, bsCross}, {}, {"", 255, 0, 0}}));
  EXPECT_EQ(d.Taxa[0].Info[4], (InfoPair{"Lbl", "val"}));
  EXPECT_EQ(d.Taxa[1], TaxonType{});  // an empty line leaves its element empty
  ASSERT_EQ(d.Links[0].MutationCount(), 3);
  EXPECT_EQ(d.Links[0].Mutations[0].Name, "m1");
  EXPECT_EQ(d.Links[0].Mutations[1].Name, "");  // out of order: skipped
  EXPECT_TRUE(d.Links[0].Active);
  EXPECT_EQ(d.SteinerTrees, (std::vector<SubTree>{{1}, {}}));  // link 2 does not exist
  EXPECT_EQ(d.SteinerNetwork, (SubTree{1}));
  // "b" has no announced colour: yellow, and the field in its place is dropped.
  EXPECT_EQ(d.ColorSchemes[0], (SchemeType{"T", false, {5, 65535, 9}, {"a", "b", "c"}}));
}

struct FdiErrorCase {
  const char* name;
  std::string text;
  std::string message;
};

class FdiErrors : public testing::TestWithParam<FdiErrorCase> {};

TEST_P(FdiErrors, AreRefusedWithTheirMessage) {
  const FdiErrorCase& c = GetParam();
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  const std::string path = dir.file("e.fdi");
  testpaths::writeFile(path, c.text);
  TNetwork_Diagramm d;
  TDrawOptions o;
  EXPECT_FALSE(ReadFdiFile(d, path, o));
  // "{file}" in a message stands for the file's path.
  std::string message = c.message;
  if (const auto at = message.find("{file}"); at != std::string::npos)
    message.replace(at, 6, path);
  EXPECT_EQ(scope.dialogs.messages(), std::vector<std::string>{message});
}

// Files that are no diagram at all once opened as an empty one; they are refused, and the caller's
// drawing options stay as they were.
TEST(FdiFile, NoDiagramLeavesTheOptionsAlone) {
  ScriptedDialogsScope scope;
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("t.fdi"), "Notes\r\nMIN_CIRC_RADIUS is 3\r\n");
  TNetwork_Diagramm d;
  TDrawOptions o;
  o.MinRadius = 11;
  const TDrawOptions before = o;
  EXPECT_FALSE(ReadFdiFile(d, dir.file("t.fdi"), o));
  EXPECT_EQ(o, before);
  EXPECT_EQ(d.NodeCount(), 0);
  EXPECT_EQ(scope.dialogs.messages().size(), 1u);
}

const std::string kTaxa = "Error in data file: Specified number of taxa does not agree with available taxa.";
const std::string kLinks = "Error in data file: Specified number of links does not agree with available links.";
const std::string kHelp =
    "Error in data file: Specified number of links containing help points does not agree with "
    "available links with help points.";
const std::string kEquivalent =
    "Error in data file: Specified number of equivalent taxa does not agree with available equivalent "
    "taxa.";
const std::string kSteiner =
    "Error in data file: Specified number of steiner trees does not agree with available steiner trees.";

INSTANTIATE_TEST_SUITE_P(
    Files, FdiErrors,
    testing::Values(
        FdiErrorCase{"TaxaBlockEndsEarly", "NUMBER_OF_TAXA;3\r\nTAXON_NAME;a\r\nTAXON_NAME;b\r\n", kTaxa},
        FdiErrorCase{"NegativeTaxa", "NUMBER_OF_TAXA;-1\r\n", kTaxa},
        FdiErrorCase{"HugeTaxa", "NUMBER_OF_TAXA;2000000000\r\n", kTaxa},
        FdiErrorCase{"PieSegmentZero", "NUMBER_OF_TAXA;1\r\nTAXON_NAME;a;TAXON_COLOR_PIE0;1;\r\n", kTaxa},
        FdiErrorCase{"PieSegmentHuge", "NUMBER_OF_TAXA;1\r\nTAXON_NAME;a;TAXON_PIE_FREQUENCY999999999;1;\r\n", kTaxa},
        FdiErrorCase{"PieSegmentMissing", "NUMBER_OF_TAXA;1\r\nTAXON_STYLE_PIE;SOLID;\r\n", kTaxa},
        FdiErrorCase{"LinksBlockEndsEarly", "NUMBER_OF_LINKS;2\r\nLINK_TAXON1;a\r\n", kLinks},
        FdiErrorCase{"NegativeMutations", "NUMBER_OF_LINKS;1\r\nNUMBER_OF_MUTATIONS;-3;LINK_ACTIVE;TRUE\r\n", kLinks},
        FdiErrorCase{"HugeMutations", "NUMBER_OF_LINKS;1\r\nNUMBER_OF_MUTATIONS;999999999;LINK_ACTIVE;TRUE\r\n", kLinks},
        FdiErrorCase{"HelpPointLinksEndEarly", "NUMBER_OF_HELP_POINT_LINKS;1\r\n", kHelp},
        FdiErrorCase{"HugeHelpPoints", "NUMBER_OF_HELP_POINT_LINKS;1\r\nNUMBER_OF_HELP_POINTS;500000000;\r\n", kHelp},
        FdiErrorCase{"EquivalentEndsEarly", "NUMBER_EQUIVALENT_TAXA;2\r\nEQUIVALENT_TAXA;a;b\r\n", kEquivalent},
        FdiErrorCase{"NegativeSteinerTrees", "NUMBER_OF_STEINER_TREES;-2\r\n", kSteiner},
        FdiErrorCase{"SteinerTreesEndEarly", "NUMBER_OF_STEINER_TREES;1\r\n", kSteiner},
        FdiErrorCase{"NotANumber", "NUMBER_OF_TAXA;1\r\nTAXON_NAME;a;TAXON_X;abc;\r\n",
                     "Unknown error: \"abc\" is not a valid integer value."},
        FdiErrorCase{"NotALinkNumber", "STEINER_NETWORK;1;x;\r\n",
                     "Unknown error: \"x\" is not a valid integer value."},
        FdiErrorCase{"PlainText", "\r\nShopping list;eggs\r\nmilk\r\n",
                     "The file {file} is not a formatted diagram file (.fdi): line 2 begins with "
                     "\"Shopping list;eggs\", and no line holds a diagram item such as "
                     "SHOW_NODENAMES or NUMBER_OF_TAXA."},
        FdiErrorCase{"LongFirstLineIsCut", std::string(60, 'x') + "\r\n",
                     "The file {file} is not a formatted diagram file (.fdi): line 1 begins with \"" +
                         std::string(40, 'x') +
                         "\", and no line holds a diagram item such as SHOW_NODENAMES or "
                         "NUMBER_OF_TAXA."},
        FdiErrorCase{"Binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                     "The file {file} is not a formatted diagram file (.fdi): line 2 holds binary "
                     "data, not text."},
        FdiErrorCase{"Empty", "", "The file {file} is not a formatted diagram file (.fdi): it is empty."},
        FdiErrorCase{"OnlyEmptyLines", "\r\n\r\n",
                     "The file {file} is not a formatted diagram file (.fdi): it is empty."}),
    [](const testing::TestParamInfo<FdiErrorCase>& info) { return std::string(info.param.name); });

TEST(FdiFile, GroupNumberPastAnIntIsPassedOver) {
  // Once ended in "Unknown error: stoi"; now the item is passed over like "TAXON_GROUP7".
  ScriptedDialogsScope scope;
  const std::string path = testpaths::testData("diagram/group_overflow.fdi").string();
  TNetwork_Diagramm d;
  TDrawOptions o;
  ASSERT_TRUE(ReadFdiFile(d, path, o));
  EXPECT_TRUE(scope.dialogs.messages().empty());
  ASSERT_GE(d.NodeCount(), 1);
  EXPECT_EQ(d.Taxa[0].Info[3], (InfoPair{"Group1", "g1"}));
  EXPECT_EQ(d.Taxa[0].Info[5], InfoPair{});
}

TEST(FdiFile, UnreadableFileAndLongEdges) {
  ScriptedDialogsScope scope;
  TNetwork_Diagramm d;
  TDrawOptions o;
  EXPECT_FALSE(ReadFdiFile(d, "/nonexistent/x.fdi", o));
  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("l.fdi"), "LONG_EDGES;2\r\n");
  EXPECT_TRUE(ReadFdiFile(d, dir.file("l.fdi"), o));
  EXPECT_EQ(d.LongEdges, 2);
  EXPECT_EQ(scope.dialogs.messages(),
            (std::vector<std::string>{
                "Unknown error: Cannot read the file /nonexistent/x.fdi.",
                "Warning: There are links within the output filecontaining more than 1000 mutations. "
                "The links withinthis program are restricted to 1000 mutations at most.Please check "
                "these links by hand."}));
}

TEST(FdiFile, WriteFailureIsReported) {
  TNetwork_Diagramm d;
  std::string error;
  EXPECT_FALSE(WriteFdiFile(d, "/nonexistent/dir/x.fdi", TDrawOptions{}, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
