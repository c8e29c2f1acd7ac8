#include "OutReader.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

#include <sstream>

using tesmo::Graph;
using tesmo::NameSpace;

namespace {

// One link line in the writer's fixed columns; muts are the position fields' numbers.
std::string linkLine(int k, const std::string& a, const std::string& b, const std::vector<std::string>& muts) {
  std::ostringstream s;
  s << "Link" << std::setw(5) << k << " 0 Seq. " << std::setw(6) << a << " with Seq. " << std::setw(6) << b
    << ", mutations at ";
  for (const auto& m : muts) s << std::left << std::setw(6) << m << std::right << " a ";
  return s.str();
}

std::string weightLine(const std::string& position, int weight) {
  std::ostringstream s;
  s << "Weight of character " << std::left << std::setw(6) << position << std::right << " : " << std::setw(3)
    << weight;
  return s.str();
}

std::string join(const std::vector<std::string>& lines, const char* eol = "\r\n") {
  std::string text;
  for (const auto& l : lines) text += l + eol;
  return text;
}

class OutReaderTest : public ::testing::Test {
protected:
  // Parses text as an .out file; the graph is not yet adjacency-ordered.
  bool parse(const std::string& text) {
    testpaths::writeFile(path_, text);
    return tesmo::parseOutFile(path_, graph, names, error);
  }
  std::vector<std::string> nodeNames() const {
    std::vector<std::string> v;
    for (int i = 1; i <= names.count(); ++i) v.push_back(names.name(i));
    return v;
  }
  std::vector<int> costs() const {
    std::vector<int> v;
    for (int k = 1; k <= graph.E; ++k) v.push_back(graph.arcs[2 * k - 1].cost);
    return v;
  }

  tesmotest::LogCapture capture{2};
  std::string path_ = capture.dir().file("n.out");
  Graph graph;
  NameSpace names{9, 100, false};
  std::string error;
};

TEST_F(OutReaderTest, ReadsTheStarFixture) {
  ASSERT_TRUE(tesmo::parseOutFile(testpaths::testData("solver/star.out").string(), graph, names, error)) << error;
  EXPECT_EQ(nodeNames(), (std::vector<std::string>{"1", "mv1", "2", "3"}));
  EXPECT_EQ(graph.V, 4);
  EXPECT_EQ(graph.E, 4);
  ASSERT_EQ(graph.R, 3);
  EXPECT_EQ(std::vector<int>(graph.terminals.begin() + 1, graph.terminals.begin() + 4), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(costs(), (std::vector<int>{1, 1, 1, 3}));
  // Arc pairs 2k-1/2k with the link's ordinal as label.
  EXPECT_EQ(graph.arcs[7], (tesmo::Arc{1, 3, 3}));
  EXPECT_EQ(graph.arcs[8], (tesmo::Arc{3, 1, 3}));
  EXPECT_EQ(graph.ID[7], 4);
  EXPECT_EQ(graph.ID[8], 4);
  EXPECT_EQ(graph.IDcount, 8);
}

TEST_F(OutReaderTest, WeightsAnywhereAndTheLastOneWins) {
  ASSERT_TRUE(parse(join({weightLine("7", 5), "Final links : ", "", linkLine(1, "1", "2", {"7", "8"}),
                          linkLine(2, "2", "mv3", {}), "*****", weightLine("8", 2), weightLine("7", 4)})))
      << error;
  EXPECT_EQ(costs(), (std::vector<int>{6, 0}));
}

TEST_F(OutReaderTest, MutationFieldsNeedFourCharacters) {
  std::string exactlyFour = linkLine(1, "1", "2", {}) + "12  ";
  std::string three = linkLine(2, "1", "3", {}) + "12 ";
  ASSERT_TRUE(parse(join({"Final links : ", exactlyFour, three, "*", weightLine("12", 9)}))) << error;
  EXPECT_EQ(costs(), (std::vector<int>{9, 0}));
}

TEST_F(OutReaderTest, LineEndsAndLongLines) {
  std::vector<std::string> muts;
  for (int i = 1; i <= 2000; ++i) muts.push_back(std::to_string(i));  // 18000 characters
  std::vector<std::string> lines = {"Final links : ", linkLine(1, "1", "2", muts), linkLine(2, "2", "3", {"5"}), "*"};
  for (int i = 1; i <= 2000; ++i) lines.push_back(weightLine(std::to_string(i), 1));
  ASSERT_TRUE(parse(join(lines, "\n"))) << error;
  EXPECT_EQ(costs(), (std::vector<int>{2000, 1}));
  std::string noFinalEnd = join(lines, "\r\n");
  noFinalEnd.resize(noFinalEnd.size() - 2);
  graph = Graph();
  names = NameSpace(9, 100, false);
  ASSERT_TRUE(parse(noFinalEnd)) << error;
  EXPECT_EQ(costs(), (std::vector<int>{2000, 1}));
}

TEST_F(OutReaderTest, OnlyNamesBeginningWithLowerMvAreOptional) {
  ASSERT_TRUE(parse(join({"Final links : ", linkLine(1, "mv12", "m12", {}), linkLine(2, "Mv12", "MV3", {}),
                          linkLine(3, "mv3", "1", {}), "*"})))
      << error;
  EXPECT_EQ(nodeNames(), (std::vector<std::string>{"mv12", "m12", "Mv12", "MV3", "mv3", "1"}));
  EXPECT_EQ(std::vector<int>(graph.terminals.begin() + 1, graph.terminals.begin() + 1 + graph.R),
            (std::vector<int>{2, 3, 4, 6}));
}

TEST_F(OutReaderTest, ParallelLinksKeepTheCheaperOne) {
  ASSERT_TRUE(parse(join({"Final links : ", linkLine(1, "1", "2", {"1", "2"}), linkLine(2, "2", "1", {"3"}),
                          linkLine(3, "2", "3", {"1"}), "*", weightLine("1", 1), weightLine("2", 1),
                          weightLine("3", 1)})))
      << error;
  graph.buildAdjacency();
  EXPECT_EQ(graph.E, 2);
  const int arc = graph.findArc(1, 2);
  ASSERT_GT(arc, 0);
  EXPECT_EQ(graph.arcs[arc].cost, 1);
  EXPECT_EQ(graph.ID[arc], 2);  // the label of the link kept
}

TEST_F(OutReaderTest, LinesOutsideTheListAreNotLinks) {
  ASSERT_TRUE(parse(join({linkLine(9, "8", "9", {}), "Final links : ", linkLine(1, "1", "2", {}),
                          "Some other line", "*", linkLine(2, "3", "4", {})})))
      << error;
  EXPECT_EQ(nodeNames(), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(graph.E, 1);
}

struct BadCase {
  const char* label;
  std::vector<std::string> lines;
  const char* errorStart;
};
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.label; }

class OutReaderRefuses : public OutReaderTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(OutReaderRefuses, MalformedInput) {
  EXPECT_FALSE(parse(join(GetParam().lines)));
  EXPECT_EQ(error.rfind(GetParam().errorStart, 0), 0u) << error;
  EXPECT_NE(error.find(path_), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutReaderRefuses,
    ::testing::Values(
        BadCase{"shortLink", {"Final links : ", "Link    1 0 Seq.      1 with Seq."}, "malformed link line 2 of "},
        BadCase{"shiftedTooFar", {"Final links : ", "Link100000  0 Seq.      1 with Seq.      2, mutations at "},
                "malformed link line 2 of "},
        BadCase{"noNumber", {"Final links : ", "Link      0 Seq.      1 with Seq.      2, mutations at "},
                "malformed link line 2 of "},
        BadCase{"tabInFirstName", {"Final links : ", "Link    1 0 Seq.    1\t2 with Seq.      2, mutations at "},
                "tab in node name in line 2 of "},
        BadCase{"tabInSecondName",
                {"Final links : ", "Link100000 0 Seq.      1 with Seq. \tmv2  , mutations at "},
                "tab in node name in line 2 of "},
        BadCase{"noSecondName", {"Final links : ", "Link    1 0 Seq.      1 with Seq.       , mutations at "},
                "malformed link line 2 of "},
        BadCase{"weightWithoutColon", {"Weight of character 1         5"}, "malformed weight line 1 of "},
        BadCase{"weightNotANumber", {"Weight of character 1      : abc"}, "malformed weight line 1 of "},
        BadCase{"weightTrailingText", {"Weight of character 1      :  5x"}, "malformed weight line 1 of "},
        BadCase{"weightShort", {"Weight of character 1"}, "malformed weight line 1 of "},
        BadCase{"weightNegative", {"Weight of character 1      :  -5"}, "weight out of range 0..1600000000 in line 1 of "},
        BadCase{"weightTooLarge", {"Weight of character 1      : 1600000001"},
                "weight out of range 0..1600000000 in line 1 of "},
        BadCase{"weightHuge", {"Weight of character 1      : 99999999999999999999999"},
                "weight out of range 0..1600000000 in line 1 of "}),
    [](const auto& info) { return std::string(info.param.label); });

// The solver's infinity 1600000000 means "no edge": a link must cost less.
TEST_F(OutReaderTest, ALinkMustCostLessThanTheInfinity) {
  ASSERT_TRUE(parse(join({"Final links : ", linkLine(1, "1", "2", {"1"}), "*", weightLine("1", 1599999999),
                          weightLine("2", 1600000000)})))
      << error;
  EXPECT_EQ(costs(), (std::vector<int>{1599999999}));
  graph = Graph();
  names = NameSpace(9, 100, false);
  EXPECT_FALSE(parse(join({"Final links : ", linkLine(1, "1", "2", {"2"}), "*", weightLine("2", 1600000000)})));
  EXPECT_EQ(error, "edge to large:1600000000");
}

// From link 100000 on the number pushes the rest of its line to the right by its extra digits.
TEST_F(OutReaderTest, LinkNumbersOfSixDigitsAndMoreShiftTheirLines) {
  std::vector<std::string> lines = {"Final links : "};
  struct Link {
    int k;
    const char* a;
    const char* b;
    std::vector<std::string> muts;
  };
  for (const Link& l : {Link{99999, "3", "mv4", {"1"}}, Link{100000, "5", "mv0", {"2"}},
                        Link{1234567, "4", "mv2", {"1", "2"}}})
    lines.push_back(linkLine(l.k, l.a, l.b, l.muts));
  lines.push_back("*");
  lines.push_back(weightLine("1", 3));
  lines.push_back(weightLine("2", 5));
  ASSERT_TRUE(parse(join(lines))) << error;
  EXPECT_EQ(lines[2].substr(10, 8), " 0 Seq. ");  // one column further than in link 99999
  EXPECT_EQ(nodeNames(), (std::vector<std::string>{"3", "mv4", "5", "mv0", "4", "mv2"}));
  EXPECT_EQ(costs(), (std::vector<int>{3, 5, 8}));
}

TEST_F(OutReaderTest, ALinkAboveTheLimitIsTooLarge) {
  EXPECT_FALSE(parse(join({"Final links : ", linkLine(1, "1", "2", {"1", "2"}), "*", weightLine("1", 1600000000),
                           weightLine("2", 1600000000)})));
  EXPECT_EQ(error, "edge to large:3200000000");
}

TEST_F(OutReaderTest, PositionsWithoutWeightAreEachReported) {
  EXPECT_FALSE(parse(join({"Final links : ", linkLine(1, "1", "2", {"1", "7"}), linkLine(2, "2", "3", {"8"}), "*",
                           weightLine("1", 1)})));
  EXPECT_EQ(error, "mutation positions without weight in " + path_);
  EXPECT_EQ(capture.text(),
            "Error reading file, mutation position '7' not found.\n"
            "Error reading file, mutation position '8' not found.\n");
}

TEST_F(OutReaderTest, AMissingFileIsNotFound) {
  EXPECT_FALSE(tesmo::parseOutFile(path_ + ".none", graph, names, error));
  EXPECT_EQ(error, "out file not found: " + path_ + ".none");
}

TEST_F(OutReaderTest, ReadOutFileBuildsAndReportsTheSize) {
  tesmo::readOutFile(testpaths::testData("solver/network.out").string(), graph, names);
  EXPECT_EQ(capture.text(), "size: |V|=10, |E|=12, |R|=7\n");
  EXPECT_EQ(graph.maxCost, 12);
  EXPECT_EQ(graph.degree[graph.terminals[1]], 1);
}

// Names beyond the first hundred double the table, logged at level 4.
TEST(NameSpaceTest, GrowsFindsNewestAndChecksIndices) {
  tesmotest::LogCapture capture(4);
  NameSpace names(7, 2, true);
  names.add("a", 1);
  names.add("b", 2);
  names.add("a", 3);
  EXPECT_EQ(names.capacity(), 4);
  EXPECT_EQ(names.find("a"), 3);
  EXPECT_EQ(names.find("zz"), 0);
  EXPECT_EQ(names.value(1), 1);
  names.add("toolongname", 4);
  EXPECT_STREQ(names.name(4), "toolon");
  EXPECT_EQ(names.find("toolongname"), 4);
  EXPECT_EQ(capture.text(), "doubling namespace\n");
  EXPECT_EXIT(names.name(5), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(names.name(0), ::testing::ExitedWithCode(1), "");
  EXPECT_NE(capture.text().find("Warning: (i<1 || i>count) in file 'Tesmo' line "), std::string::npos);
}

}  // namespace
