#include "StpReader.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace tesmo;

namespace {

const char* const header = "33D32945 STP File, STP Format Version 1.0\n\n";

std::string stp(const std::string& graph, const std::string& terminals = "Terminals 2\nT 1\nT 3\n",
                const std::string& more = "") {
  return std::string(header) + "SECTION Graph\n" + graph + "END\n\nSECTION Terminals\n" +
         terminals + "END\n\n" + more + "EOF\n";
}

const std::string path3 = "Nodes 3\nEdges 2\nE 1 2 10\nE 2 3 20\n";

struct ReaderCase {
  ReaderCase(const char* name, std::string text,
             std::vector<std::pair<const char*, const char*>> options, std::string error,
             int E = 0, std::vector<int> costs = {}, std::vector<int> terminals = {},
             std::string logged = "", const char* fileName = "case.stp")
      : name(name), text(std::move(text)), options(std::move(options)), error(std::move(error)),
        E(E), costs(std::move(costs)), terminals(std::move(terminals)), logged(std::move(logged)),
        fileName(fileName) {}
  const char* name;
  std::string text;
  std::vector<std::pair<const char*, const char*>> options;
  std::string error;           // empty: the file is read
  int E;                       // expected edge count when read
  std::vector<int> costs;      // expected edge costs, ascending
  std::vector<int> terminals;  // expected terminal list
  std::string logged;          // a text the log must hold
  const char* fileName;
};

void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

class StpReaderCases : public testing::TestWithParam<ReaderCase> {};

TEST_P(StpReaderCases, ReadsOrRefusesWithTheFormatsText) {
  const ReaderCase& c = GetParam();
  tesmotest::LogCapture log(5);
  for (const auto& [name, value] : c.options) shell.Sset(name, value);
  const std::string path = log.dir().file(c.fileName);
  testpaths::writeFile(path, c.text);
  Graph g;
  StpReader reader;
  const bool ok = reader.read(g, path);
  if (!c.error.empty()) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(reader.error(), c.error);
    return;
  }
  ASSERT_TRUE(ok) << reader.error();
  EXPECT_EQ(g.E, c.E);
  std::vector<int> costs;
  for (int a = 1; a <= 2 * g.E; ++a)
    if (g.arcs[a].tail < g.arcs[a].head) costs.push_back(g.arcs[a].cost);
  std::sort(costs.begin(), costs.end());
  if (!c.costs.empty()) {
    EXPECT_EQ(costs, c.costs);
  }
  std::vector<int> terminals(g.terminals.begin() + 1, g.terminals.begin() + g.R + 1);
  if (!c.terminals.empty()) {
    EXPECT_EQ(terminals, c.terminals);
  }
  if (!c.logged.empty()) {
    EXPECT_NE(log.text().find(c.logged), std::string::npos) << log.text();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StpReaderCases,
    testing::Values(
        ReaderCase{"plain", stp(path3), {}, "", 2, {10, 20}, {1, 3}, "size: |V|=3, |E|=2, |R|=2\n"},
        ReaderCase{"graphInCapitals",
                   std::string(header) + "Section GRAPH\n" + path3 + "End\nSection Terminals\n" +
                       "Terminals 1\nT 2\nEnd\nEOF\n",
                   {}, "", 2, {10, 20}, {2}},
        ReaderCase{"graphInSmallLettersIsSkipped",
                   std::string(header) + "Section graph\n" + path3 + "End\nSection Terminals\n" +
                       "Terminals 1\nT 2\nEnd\nEOF\n",
                   {}, "incorrect input or file not found."},
        ReaderCase{"mixedCaseSectionsAndHeaderVariant",
                   "33d32945 STP File, STP Format Version  1.00\nsection comment\nName \"x\"\nend\n"
                   "SeCtIoN Graph\n" + path3 + "end\nSECTION TERMINALS\nTerminals 2\nT 3\nT 1\n"
                   "End\nEOF\n",
                   {}, "", 2, {10, 20}, {1, 3}, "Name \"x\"\n"},
        ReaderCase{"floatingPointCostRefused", stp("Nodes 3\nEdges 2\nE 1 2 2.5\nE 2 3 1\n"), {},
                   "floating point edge cost. use roundFloatType/roundFloatFactor."},
        ReaderCase{"roundFloatType2Factor10", stp("Nodes 3\nEdges 2\nE 1 2 2.5\nE 2 3 1\n"),
                   {{"roundFloatType", "2"}, {"roundFloatFactor", "10"}}, "", 2, {10, 25}},
        ReaderCase{"roundFloatType3Ceiling", stp("Nodes 3\nEdges 2\nE 1 2 2.01\nE 2 3 1\n"),
                   {{"roundFloatType", "3"}}, "", 2, {1, 3}},
        ReaderCase{"fewerEdgesThanAnnounced",
                   std::string(header) + "SECTION Graph\nNodes 4\nEdges 5\nE 1 2 1\nE 2 3 2\n"
                   "E 3 4 3\nEnd\nSECTION Terminals\nTerminals 2\nT 1\nT 4\nEnd\nEOF\n",
                   {}, "", 3, {1, 2, 3}, {1, 4},
                   "incorrect fileformat. Number of edges not correct. (Ignored)\n"},
        ReaderCase{"missingEndAfterEdges",
                   std::string(header) + "SECTION Graph\nNodes 3\nEdges 2\nE 1 2 1\nE 2 3 2\n"
                   "Stop\nSECTION Terminals\nTerminals 1\nT 1\nEnd\nEOF\n",
                   {}, "", 2, {1, 2}, {1}, "incorrect fileformat. Expecting 'End' got 'Stop'. (Ignored)\n"},
        ReaderCase{"dividingByTheCommonPowerOfTen",
                   stp("Nodes 3\nEdges 2\nE 1 2 300000\nE 2 3 1200000\n"), {{"shrinkGraph", "1"}},
                   "", 2, {3, 12}, {1, 3}, "dividing edge costs by 100000\n"},
        ReaderCase{"noCommonPowerOfTenNothingDivided", stp("Nodes 3\nEdges 2\nE 1 2 15\nE 2 3 20\n"),
                   {{"shrinkGraph", "1"}}, "", 2, {15, 20}},
        ReaderCase{"dividingByAGivenUnit", stp("Nodes 3\nEdges 2\nE 1 2 15\nE 2 3 20\n"),
                   {{"shrinkGraph", "4"}}, "", 2, {3, 5}, {}, "dividing edge costs by 4\n"},
        ReaderCase{"terminalsSortedWithoutTree", stp(path3, "Terminals 2\nT 3\nT 1\n"), {}, "", 2,
                   {}, {1, 3}},
        ReaderCase{"terminalsInFileOrderWithTree",
                   stp(path3, "Terminals 2\nT 3\nT 1\n",
                       "SECTION Tree\nValue 30\nTree-Edges 2\nTE 1 2\nTE 2 3\nEND\n\n"),
                   {}, "", 2, {}, {3, 1}},
        ReaderCase{"arcLinesWithEqualReverseCost", stp("Nodes 3\nEdges 2\nA 1 2 4 4\nA 2 3 5 5\n"),
                   {}, "", 2, {4, 5}},
        ReaderCase{"arcLineOfADirectedInstance", stp("Nodes 3\nEdges 2\nA 1 2 4 4\nA 2 3 5 6\n"),
                   {}, "incorrect fileformat. Expected undirected instance."},
        ReaderCase{"otherWordInTheEdgeList", stp("Nodes 3\nEdges 2\nE 1 2 4\nX 2 3 5\n"), {},
                   "incorrect fileformat. Expecting 'E' got 'X'"},
        ReaderCase{"vertexAboveNodes", stp("Nodes 3\nEdges 2\nE 1 2 4\nE 2 9 5\n"), {},
                   "incorrect fileformat. vertex out of range 1..3."},
        ReaderCase{"vertexZero", stp("Nodes 3\nEdges 2\nE 0 2 4\nE 2 3 5\n"), {},
                   "incorrect fileformat. vertex out of range 1..3."},
        ReaderCase{"terminalAboveNodes", stp(path3, "Terminals 2\nT 1\nT 4\n"), {},
                   "incorrect fileformat. vertex out of range 1..3."},
        ReaderCase{"moreTerminalsThanNodes", stp(path3, "Terminals 4\nT 1\nT 2\nT 3\nT 1\n"), {},
                   "incorrect input or file not found."},
        ReaderCase{"nonNumericCost", stp("Nodes 3\nEdges 2\nE 1 2 ten\nE 2 3 5\n"), {},
                   "incorrect fileformat. Expecting an edge cost got 'ten'"},
        ReaderCase{"negativeCost", stp("Nodes 3\nEdges 2\nE 1 2 -4\nE 2 3 5\n"), {},
                   "incorrect fileformat. negative edge cost -4."},
        ReaderCase{"costAboveMaxint", stp("Nodes 3\nEdges 2\nE 1 2 1600000001\nE 2 3 5\n"), {},
                   "edge to large:1600000001"},
        ReaderCase{"terminalsBeforeGraph",
                   std::string(header) + "SECTION Terminals\nTerminals 1\nT 1\nEND\n" +
                       "SECTION Graph\n" + path3 + "END\nEOF\n",
                   {}, "incorrect input or file not found."},
        ReaderCase{"noTerminalsSection",
                   std::string(header) + "SECTION Graph\n" + path3 + "END\nEOF\n", {},
                   "incorrect input or file not found."},
        ReaderCase{"veryLongCommentLine",
                   std::string(header) + "SECTION Comment\nRemark \"" + std::string(5000, 'x') +
                       "\"\nEND\n" + "SECTION Graph\n" + path3 + "END\nSECTION Terminals\n" +
                       "Terminals 2\nT 1\nT 3\nEND\nEOF\n",
                   {}, "", 2, {10, 20}, {1, 3}},
        ReaderCase{"crlfLineEnds",
                   "33D32945 STP File, STP Format Version 1.0\r\n\r\nSECTION Graph\r\nNodes 3\r\n"
                   "Edges 2\r\nE 1 2 10\r\nE 2 3 20\r\nEND\r\nSECTION Terminals\r\nTerminals 1\r\n"
                   "T 2\r\nEND\r\nEOF\r\n",
                   {}, "", 2, {10, 20}, {2}},
        ReaderCase{"coordinatesCheckedWithDisplay",
                   stp(path3, "Terminals 1\nT 1\n",
                       "Section Coordinates\nDD 1 0 0\nDD 1 5 5\nDD 2 1 1\nDDD 3 2 2 1\nEnd\n"),
                   {{"display", "1"}}, "", 2, {}, {1},
                   "incorrect fileformat. expected coordinate 2 received 1.\n"},
        ReaderCase{"coordinatesWrongWord",
                   stp(path3, "Terminals 1\nT 1\n", "Section Coordinates\nDD 1 0 0\nXY 2 1 1\nEnd\n"),
                   {{"display", "1"}}, "incorrect fileformat. Expecting 'DD' got 'XY'"},
        ReaderCase{"plainNumericForm", "3 2\n1 2 7\n2 3 8\n2\n3 1\n", {}, "", 2, {7, 8}, {1, 3},
                   "", "case.txt"},
        ReaderCase{"plainNumericVertexOutOfRange", "3 2\n1 2 7\n2 4 8\n1\n1\n", {},
                   "incorrect fileformat. vertex out of range 1..3.", 0, {}, {}, "", "case.txt"}),
    [](const testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

TEST(StpReader, MissingFileIsReported) {
  tesmotest::LogCapture log(5);
  Graph g;
  StpReader reader;
  EXPECT_FALSE(reader.read(g, log.dir().file("absent.stp")));
  EXPECT_EQ(reader.error(), "file not found.");
}

TEST(StpReaderDeathTest, ReadStpEndsTheRunWithAnErrorLine) {
  tesmotest::LogCapture log(5);
  shell.Sset("problem", log.dir().file("absent.stp"));
  Graph g;
  EXPECT_EXIT(readStp(g), testing::ExitedWithCode(1), "");
  EXPECT_NE(log.text().find("Error: file not found.\n"), std::string::npos);
}

TEST(StpReader, ReadsOurFixture) {
  tesmotest::LogCapture log(5);
  Graph g;
  StpReader reader;
  ASSERT_TRUE(reader.read(g, testpaths::testData("solver/small.stp").string())) << reader.error();
  EXPECT_EQ(g.V, 6);
  EXPECT_EQ(g.E, 7);
  EXPECT_EQ(g.R, 3);
}

}  // namespace
