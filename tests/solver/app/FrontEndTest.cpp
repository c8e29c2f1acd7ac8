// The Tesmo program as the desktop program starts it: parameters, exit codes, screen texts, the
// log it watches and the .sto result.

#include "Graph.h"
#include "ProgramDefaults.h"
#include "Tesmo.h"

#include "LogCapture.h"
#include "ProgramRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>

using tesmotest::linesOf;
using tesmotest::RunResult;

namespace {

const std::string banner = "Tesmo-steiner, by the Tarvane authors\nversion: 0.16\n";
const std::string invalidSwitch =
    "Invalid program switch. Valid:\n"
    "1) One good, but not necessarily optimal tree\n"
    "2) One optimal tree\n"
    "3) A network containing all optimal trees\n"
    "4) Optimal trees that can be combined to all optimal trees\n"
    "5) All optimal trees\n\n";

class FrontEndTest : public ::testing::Test {
protected:
  // Runs Tesmo on a copy of the fixture (or on text) in a scratch folder.
  RunResult run(const std::string& program, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {outPath, program, stoPath, logPath};
    args.insert(args.end(), extra.begin(), extra.end());
    return tesmotest::runTesmoProgram(args, tmp.path());
  }
  void useFixture(const std::string& name) {
    std::filesystem::copy_file(testpaths::testData("solver/" + name), outPath,
                               std::filesystem::copy_options::overwrite_existing);
  }
  std::string log() const { return testpaths::readFile(logPath); }
  bool logExists() const { return std::filesystem::exists(logPath); }
  std::string lastLogLine() const {
    const auto lines = linesOf(log());
    return lines.empty() ? std::string() : lines.back();
  }

  testpaths::TempDir tmp;
  std::string outPath = tmp.file("net.out");
  std::string stoPath = tmp.file("net.sto");
  std::string logPath = tmp.file("net.log");
};

TEST_F(FrontEndTest, FewerThanFourParametersShowTheUsage) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"a.out", "1", "a.sto"}}) {
    const RunResult r = tesmotest::runTesmoProgram(args, tmp.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, banner +
                         "Wrong number of parameters. Need 4 parameters.\n"
                         "1) path to out file\n"
                         "2) which program to start [1-5]\n"
                         "3) path to output .sto file\n"
                         "4) path to log file\n");
    EXPECT_EQ(r.out, "");
  }
}

struct SwitchCase {
  const char* program;
  const char* err;
};
void PrintTo(const SwitchCase& c, std::ostream* os) { *os << "switch '" << c.program << "'"; }

class RefusedSwitch : public FrontEndTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(RefusedSwitch, EndsWithOneBeforeTheLogExists) {
  useFixture("star.out");
  const RunResult r = run(GetParam().program);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, GetParam().err);
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(logExists());
  EXPECT_FALSE(std::filesystem::exists(stoPath));
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedSwitch,
                         ::testing::Values(SwitchCase{"5", "All optimal trees not yet ported to windows version.\n"},
                                           SwitchCase{"55", "All optimal trees not yet ported to windows version.\n"},
                                           SwitchCase{"0", invalidSwitch.c_str()},
                                           SwitchCase{"6", invalidSwitch.c_str()},
                                           SwitchCase{"x", invalidSwitch.c_str()},
                                           SwitchCase{"", invalidSwitch.c_str()}));

TEST_F(FrontEndTest, ProgramOneSolvesTheStar) {
  useFixture("star.out");
  const RunResult r = run("1");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string text = log();
  EXPECT_EQ(r.out, text);  // the screen gets the same lines
  EXPECT_EQ(text.rfind(banner + "args: \"" + outPath + "\" \"1\" \"" + stoPath + "\" \"" + logPath + "\" \n", 0), 0u)
      << text;
  std::size_t at = 0;
  for (const char* mark : {"args: ", "size: |V|=4, |E|=4, |R|=3\n", "random seed set to ", "cost of the solution: 3\n",
                           "process time: ", "\nsteiner computation finished.\n"}) {
    const std::size_t found = text.find(mark, at);
    ASSERT_NE(found, std::string::npos) << mark << " missing or out of order in\n" << text;
    at = found + 1;
  }
  EXPECT_EQ(text.substr(text.size() - 31), "\nsteiner computation finished.\n");
  EXPECT_EQ(text.find("Warning:"), std::string::npos);
  EXPECT_EQ(text.find("Error:"), std::string::npos);

  const std::string sto = testpaths::readFile(stoPath);
  const std::string head =
      "STO File, Tarvane package, Format Version 1.0\n\n"
      "Section Subnetworks\nNumber 1\nCost 3\n"
      "Comment 'A not necessarily optimal tree from ASCEND-AND-PRUNE'\nEnd\n\n"
      "Section Sub 1\nTree-Edges 3\n";
  ASSERT_EQ(sto.substr(0, head.size()), head);
  // The three links to the median vector, in either direction.
  std::vector<std::string> links = linesOf(sto.substr(head.size(), sto.find("End\n\nSection Network") - head.size()));
  std::sort(links.begin(), links.end());
  const std::regex linkPattern("Link\t([123])\t(mv1\t[123]|[123]\tmv1)");
  ASSERT_EQ(links.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(links[i], m, linkPattern)) << links[i];
    EXPECT_EQ(m[1], std::to_string(i + 1));
    EXPECT_NE(m[2].str().find(std::to_string(i + 1)), std::string::npos);
  }
  EXPECT_EQ(sto.substr(sto.find("End\n\nSection Network")),
            "End\n\nSection Network\n" + testpaths::readFile(outPath) + "End\n\nEOF\n");
}

TEST_F(FrontEndTest, OnlyTheFirstCharacterOfTheSwitchCounts) {
  useFixture("star.out");
  const RunResult r = run("12");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(testpaths::readFile(stoPath).find("ASCEND-AND-PRUNE"), std::string::npos);
}

// Each .out link's cost, as the file states it: the summed weights of its positions.
std::map<int, long long> linkCosts(const std::string& out) {
  std::map<int, long> weights;
  for (const auto& line : linesOf(out))
    if (line.rfind("Weight of character", 0) == 0) weights[std::stoi(line.substr(20, 6))] = std::stol(line.substr(28));
  std::map<int, long long> costs;
  for (auto line : linesOf(out)) {
    if (line.rfind("Link", 0) != 0) continue;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line.substr(55));
    long long sum = 0;
    for (std::string position; fields >> position;)
      if (position != "a" && position != "b") sum += weights.at(std::stoi(position));
    costs[std::stoi(line.substr(4, 5))] = sum;
  }
  return costs;
}

// The tree of a .sto result: its stated cost, the summed costs of its links in the .out, and
// whether those links form one tree that reaches every taxon.
struct StoTree {
  long long statedCost = -1;
  long long linkSum = 0;
  int edges = 0;
  std::set<std::string> nodes;
  bool connected = false;
};

StoTree readStoTree(const std::string& sto, const std::map<int, long long>& costs) {
  StoTree tree;
  std::smatch m;
  if (std::regex_search(sto, m, std::regex("\nCost (\\d+)\n"))) tree.statedCost = std::stoll(m[1]);
  const std::size_t from = sto.find("Tree-Edges");
  std::map<std::string, std::string> parent;  // union-find over node names
  auto find = [&](std::string x) {
    while (parent.count(x) && parent[x] != x) x = parent[x];
    return x;
  };
  int joins = 0;
  for (const auto& line : linesOf(sto.substr(from, sto.find("Section Network") - from))) {
    if (line.rfind("Link\t", 0) != 0) continue;
    // Label and node names are tab-separated; median names hold blanks ("mv  15").
    std::istringstream f(line.substr(5));
    std::string label, a, b;
    std::getline(f, label, '\t');
    std::getline(f, a, '\t');
    std::getline(f, b, '\t');
    tree.linkSum += costs.at(std::stoi(label));
    for (const auto& n : {a, b})
      if (tree.nodes.insert(n).second) parent[n] = n;
    const std::string ra = find(a), rb = find(b);
    if (ra != rb) {
      parent[ra] = rb;
      ++joins;
    }
    ++tree.edges;
  }
  tree.connected = joins + 1 == static_cast<int>(tree.nodes.size()) && joins == tree.edges;
  return tree;
}

TEST_F(FrontEndTest, ATreeOfARealNetworkCostsTheSumOfItsLinks) {
  useFixture("network.out");
  const RunResult r = run("1");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::map<int, long long> costs = linkCosts(testpaths::readFile(outPath));
  ASSERT_EQ(costs.size(), 12u);
  const StoTree tree = readStoTree(testpaths::readFile(stoPath), costs);
  EXPECT_EQ(tree.statedCost, tree.linkSum);
  EXPECT_EQ(tree.statedCost, 30);  // the network's shortest tree
  EXPECT_TRUE(tree.connected);
  for (const char* taxon : {"1", "2", "3", "4", "5", "6", "7"}) EXPECT_TRUE(tree.nodes.count(taxon)) << taxon;
  EXPECT_NE(log().find("cost of the solution: 30\n"), std::string::npos);
}

// Program 1 promises no optimum, yet on networks that program 2 solves at once its tree should be
// optimal, and it must always be one tree of the network's links over every taxon. The reticulate
// network (a median-joining network at epsilon 10 of a genealogy with repeated changes at few
// sites) is one where the ascent's tree alone stayed one mutation above.
struct OptimumCase {
  const char* fixture;
  long long optimum;
};
void PrintTo(const OptimumCase& c, std::ostream* os) { *os << c.fixture; }

class ProgramOneOptimum : public FrontEndTest, public ::testing::WithParamInterface<OptimumCase> {};

TEST_P(ProgramOneOptimum, ReachesTheOptimumWithOneTree) {
  useFixture(GetParam().fixture);
  const RunResult r = run("1");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = testpaths::readFile(outPath);
  const StoTree tree = readStoTree(testpaths::readFile(stoPath), linkCosts(out));
  EXPECT_EQ(tree.statedCost, GetParam().optimum);
  EXPECT_EQ(tree.linkSum, tree.statedCost);
  EXPECT_TRUE(tree.connected);
  for (const auto& line : linesOf(out))
    if (line.rfind("Frequ. of taxon", 0) == 0 && line.find("mv") == std::string::npos) {
      std::istringstream f(line.substr(15));
      std::string taxon;
      f >> taxon;
      EXPECT_TRUE(tree.nodes.count(taxon)) << "taxon " << taxon << " not in the tree";
    }
  // The watching program takes this line for the end of the run: the reductions must not write it.
  const std::string text = log();
  EXPECT_EQ(text.find("process time:"), text.rfind("process time:"));
}

INSTANTIATE_TEST_SUITE_P(Table, ProgramOneOptimum,
                         ::testing::Values(OptimumCase{"network.out", 30}, OptimumCase{"heuristic/reticulate.out", 240}));

TEST_F(FrontEndTest, SettingsOnTheCommandLine) {
  useFixture("star.out");
  RunResult r = run("1", {"verbose=5", "junk", "x=", "randomseed=77"});
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(log().find("timer started.\n"), std::string::npos);
  EXPECT_NE(log().find("random seed set to 77\n"), std::string::npos);
  EXPECT_NE(log().find("args: \"" + outPath + "\" \"1\" \"" + stoPath + "\" \"" + logPath +
                       "\" \"verbose=5\" \"junk\" \"x=\" \"randomseed=77\" \n"),
            std::string::npos);

  r = run("1", {"verbose=0"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(log(), banner + "args: \"" + outPath + "\" \"1\" \"" + stoPath + "\" \"" + logPath +
                       "\" \"verbose=0\" \n\nsteiner computation finished.\n");
}

TEST_F(FrontEndTest, SaveStpWritesTheInstanceFirst) {
  useFixture("star.out");
  const RunResult r = run("1", {"saveStp=1"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(std::filesystem::exists(tmp.file("network.stp")));
}

// Every failing run ends its log with an "Error: " line and without "process time:".
struct FailureCase {
  const char* label;
  const char* outText;  // null: no .out file at all
  const char* program;
  const char* lastLine;  // the log's last line; "%s" stands for the .out path
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.label; }

class FailingRun : public FrontEndTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailingRun, EndsWithItsErrorLine) {
  const FailureCase& c = GetParam();
  if (c.outText) testpaths::writeFile(outPath, c.outText);
  const RunResult r = run(c.program);
  EXPECT_EQ(r.status, 1);
  std::string expected = c.lastLine;
  if (const auto at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, outPath);
  EXPECT_EQ(lastLogLine(), expected) << log();
  EXPECT_NE(r.out.find(expected + "\n"), std::string::npos) << r.out;
  EXPECT_EQ(log().find("process time:"), std::string::npos);
  EXPECT_EQ(log().find("steiner computation finished."), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailingRun,
    ::testing::Values(
        FailureCase{"missingOut", nullptr, "1", "Error: out file not found: %s"},
        FailureCase{"malformedLink", "Final links : \r\nLink    1 0 Seq.      1 with\r\n*\r\n", "1",
                    "Error: malformed link line 2 of %s"},
        FailureCase{"weightOutOfRange", "Weight of character 1      : 1600000001\r\n", "1",
                    "Error: weight out of range 0..1600000000 in line 1 of %s"},
        FailureCase{"positionWithoutWeight",
                    "Final links : \r\nLink    1 0 Seq.      1 with Seq.      2, mutations at 9      a \r\n*\r\n", "1",
                    "Error: mutation positions without weight in %s"},
        FailureCase{"edgeTooLarge",
                    "Final links : \r\nLink    1 0 Seq.      1 with Seq.      2, mutations at 1      a 2      a \r\n*\r\n"
                    "Weight of character 1      : 1600000000\r\nWeight of character 2      :   1\r\n",
                    "1", "Error: edge to large:1600000001"},
        FailureCase{"noLinks", "Results of file x.rdf with Epsilon=0\r\n", "1",
                    "Error: incorrect input or file not found."},
        FailureCase{"onlyMedianVectors",
                    "Final links : \r\nLink    1 0 Seq.    mv1 with Seq.    mv2, mutations at \r\n*\r\n", "1",
                    "Error: incorrect input or file not found."},
        FailureCase{"disconnected",
                    "Final links : \r\nLink    1 0 Seq.      1 with Seq.    mv1, mutations at \r\n"
                    "Link    2 0 Seq.      2 with Seq.      3, mutations at \r\n*\r\n",
                    "1", "Error: network not connected: taxon 2 cannot be reached from taxon 1"}),
    [](const auto& info) { return std::string(info.param.label); });

// Input that cannot give a true result is refused with an "Error: " line before anything is
// written: no .sto, the network file unchanged byte for byte, no "process time:" line.
enum class Paths { separate, stoIsOut, stoIsOutByAnotherName, logIsOut, logIsSto, logIsOutByLink, outputIsOut };

struct RefusalCase {
  const char* label;
  const char* outText;
  Paths paths;
  std::vector<std::string> programs;
  const char* errorLine;  // "%o" stands for the .out path, "%s" for the .sto and "%l" for the log path
  std::vector<std::string> settings = {};
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.label; }

// Two taxa and a median vector, link costs a (1-mv1) and b (mv1-2) by one position each.
std::string pathOf(long long a, long long b) {
  return "Final links : \r\n\r\n"
         "Link    1 0 Seq.      1 with Seq.    mv1, mutations at 1      a \r\n"
         "Link    2 0 Seq.    mv1 with Seq.      2, mutations at 2      a \r\n"
         "**************************************************\r\n"
         "Weight of character 1      : " + std::to_string(a) + "\r\n"
         "Weight of character 2      : " + std::to_string(b) + "\r\n";
}
const std::string cheapPath = pathOf(1, 2);
const std::string pathAtInfinity = pathOf(900000000, 700000000);
const std::string linkAtInfinity = pathOf(1600000000, 0);
const std::string tabInName =
    "Final links : \r\n\r\nLink    1 0 Seq.      1 with Seq.  mv\t12, mutations at \r\n"
    "Link    2 0 Seq.  mv\t12 with Seq.      2, mutations at \r\n*\r\n";

class RefusedInput : public FrontEndTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedInput, LeavesTheNetworkAndWritesNoResult) {
  const RefusalCase& c = GetParam();
  for (const std::string& program : c.programs) {
    SCOPED_TRACE("program " + program);
    std::filesystem::remove_all(tmp.path());
    std::filesystem::create_directories(tmp.path() / "sub");
    testpaths::writeFile(outPath, c.outText);
    std::string sto = stoPath, logFile = logPath;
    std::vector<std::string> extra = c.settings;
    switch (c.paths) {
      case Paths::separate: break;
      case Paths::stoIsOut: sto = outPath; break;
      case Paths::stoIsOutByAnotherName: sto = tmp.file("sub/../net.out"); break;
      case Paths::logIsOut: logFile = outPath; break;
      case Paths::logIsSto: logFile = sto; break;
      case Paths::logIsOutByLink:
        std::filesystem::create_symlink(outPath, tmp.file("link.log"));
        logFile = tmp.file("link.log");
        break;
      case Paths::outputIsOut: extra.push_back("output=" + outPath); break;
    }
    std::vector<std::string> args = {outPath, program, sto, logFile};
    args.insert(args.end(), extra.begin(), extra.end());
    const RunResult r = tesmotest::runTesmoProgram(args, tmp.path());
    EXPECT_EQ(r.status, 1);
    std::string expected = c.errorLine;
    for (const auto& [mark, path] : {std::pair<std::string, std::string>{"%o", outPath}, {"%s", sto}, {"%l", logFile}})
      if (const auto at = expected.find(mark); at != std::string::npos) expected.replace(at, 2, path);
    EXPECT_NE((r.out + r.err).find(expected + "\n"), std::string::npos) << r.out << r.err;
    EXPECT_EQ(testpaths::readFile(outPath), c.outText);
    if (sto != outPath && c.paths != Paths::stoIsOutByAnotherName) {
      EXPECT_FALSE(std::filesystem::exists(sto));
    }
    EXPECT_EQ((r.out + r.err).find("process time:"), std::string::npos);
    if (c.paths == Paths::separate) {
      EXPECT_EQ(lastLogLine(), expected);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedInput,
    ::testing::Values(
        RefusalCase{"linkAtInfinity", linkAtInfinity.c_str(), Paths::separate, {"1", "2", "4"},
                    "Error: edge to large:1600000000"},
        RefusalCase{"treeAtInfinity", pathAtInfinity.c_str(), Paths::separate, {"1", "2", "3"},
                    "Error: network too long: a tree of it costs 1600000000, the shortest tree may cost "
                    "1600000000 or more"},
        // Every tree offered is ignored: the run ends without one instead of reporting "Cost 0"
        // (program 1 with the ascent alone: its opening reductions would contract the path to a tree).
        RefusalCase{"noTreeFound", cheapPath.c_str(), Paths::separate, {"1", "2"},
                    "Error: no tree joining all taxa found (cost 0); no sto file written",
                    {"skipSetUpper=1", "R-first=A", "R-last=A"}},
        RefusalCase{"stoIsOut", cheapPath.c_str(), Paths::stoIsOut, {"1", "4"},
                    "Error: sto file and out file are the same file: %s"},
        RefusalCase{"stoIsOutByAnotherName", cheapPath.c_str(), Paths::stoIsOutByAnotherName, {"2"},
                    "Error: sto file and out file are the same file: %s"},
        RefusalCase{"logIsOut", cheapPath.c_str(), Paths::logIsOut, {"1", "3"},
                    "Error: log file and out file are the same file: %l"},
        RefusalCase{"logIsOutByLink", cheapPath.c_str(), Paths::logIsOutByLink, {"1"},
                    "Error: log file and out file are the same file: %l"},
        RefusalCase{"outputSettingIsOut", cheapPath.c_str(), Paths::outputIsOut, {"1"},
                    "Error: log file and out file are the same file: %o"},
        RefusalCase{"logIsSto", cheapPath.c_str(), Paths::logIsSto, {"2"},
                    "Error: log file and sto file are the same file: %l"},
        RefusalCase{"tabInNodeName", tabInName.c_str(), Paths::separate, {"1", "2"},
                    "Error: tab in node name in line 3 of %o"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(FrontEndTest, LogAndStoInTheFolderOfTheNetworkAreNotTheNetwork) {
  testpaths::writeFile(outPath, cheapPath);
  const RunResult r = tesmotest::runTesmoProgram({"net.out", "1", "net.sto", "net.log"}, tmp.path());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(testpaths::readFile(stoPath).find("\nCost 3\n"), std::string::npos);
}

// The largest values below the limit are solved, in both programs that report one tree.
TEST_F(FrontEndTest, ATreeJustBelowTheLimitIsReported) {
  testpaths::writeFile(outPath, pathOf(900000000, 699999999));
  for (const char* program : {"1", "2"}) {
    const RunResult r = run(program);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string sto = testpaths::readFile(stoPath);
    EXPECT_NE(sto.find("\nCost 1599999999\n"), std::string::npos) << sto;
    EXPECT_NE(sto.find("Tree-Edges 2\n"), std::string::npos) << sto;
  }
}

TEST_F(FrontEndTest, AMissingPositionIsNamedBeforeTheErrorLine) {
  testpaths::writeFile(outPath, "Final links : \r\nLink    1 0 Seq.      1 with Seq.      2, mutations at 9      a \r\n*\r\n");
  run("1");
  const auto lines = linesOf(log());
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Error reading file, mutation position '9' not found.");
}

TEST_F(FrontEndTest, AnUnwritableStoIsAnError) {
  useFixture("star.out");
  stoPath = tmp.file("no/such/folder/net.sto");
  const RunResult r = run("1");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(lastLogLine(), "Error: cannot write sto file: " + stoPath);
  EXPECT_EQ(log().find("process time:"), std::string::npos);
}

TEST_F(FrontEndTest, ALogInAMissingFolderStillLetsTheRunFinish) {
  useFixture("star.out");
  logPath = tmp.file("no/such/folder/net.log");
  const RunResult r = run("1");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("process time: "), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(stoPath));
}

// --- configuration, in process ---

class Configuration : public ::testing::Test {
protected:
  void TearDown() override {
    tesmo::shell.clearVariables();
    tesmo::shell.phase = tesmo::shell.Phase = 0;
    tesmo::verbose = 0;
  }
  void configure(std::vector<std::string> args) {
    args.insert(args.begin(), {"Tesmo", "x.out", program, "x.sto", "x.log"});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    tesmo::shell.clearVariables();
    tesmo::configureRun(static_cast<int>(args.size()), argv.data());
  }
  std::string program = "1";
};

TEST_F(Configuration, CommandLineSettingsOverrideTheProgramDefaults) {
  configure({});
  EXPECT_STREQ(tesmo::shell.Sget("R-order"), "A");
  EXPECT_STREQ(tesmo::shell.Sget("problem"), "x.out");
  EXPECT_STREQ(tesmo::shell.Sget("output"), "x.log");
  EXPECT_EQ(tesmo::shell.Iget("outputAppend", 1), 0);
  EXPECT_EQ(tesmo::shell.Iget("screen", 0), 1);
  EXPECT_EQ(tesmo::verbose, 3);
  EXPECT_EQ(tesmo::shell.Sget("algorithm"), nullptr);  // program 1 sets nothing else
  configure({"R-order=B", "verbose=5", "output=other.log"});
  EXPECT_STREQ(tesmo::shell.Sget("R-order"), "B");
  EXPECT_STREQ(tesmo::shell.Sget("output"), "other.log");
  EXPECT_EQ(tesmo::verbose, 5);
}

TEST_F(Configuration, ExactProgramsSetTheirThirtySevenDefaults) {
  int count = 0;
  for (const char* const* d = tesmo::exactProgramDefaults; *d; ++d) ++count;
  EXPECT_EQ(count, 37);
  program = "3";
  configure({});
  auto& shell = tesmo::shell;
  EXPECT_STREQ(shell.Sget("algorithm"), "exact");
  EXPECT_EQ(shell.Iget("tmIterations", 0), 200);
  EXPECT_EQ(shell.Sget("zDepth"), nullptr);
  shell.Phase = 'W';
  shell.phase = '2';
  EXPECT_EQ(shell.Iget("zDepth", 0), 2);
  EXPECT_EQ(shell.Iget("extend", 9), 0);
  EXPECT_EQ(shell.Iget("probeRoots", 0), 1);
  shell.phase = '9';
  EXPECT_EQ(shell.Iget("zDepth", 0), 3);
  EXPECT_EQ(shell.Iget("upperChoose", 0), 40);
  EXPECT_EQ(shell.Iget("extend", 9), 1);
  EXPECT_STREQ(shell.Sget("cutReduction"), ";C(G(v3)(mvsne)AZz) ");
  shell.Phase = 'V';
  shell.phase = '0';
  EXPECT_STREQ(shell.Sget("Reduction1"), ";0G(!mvsn)3t(a(mvsn)zbC)B");
  shell.phase = '1';
  EXPECT_STREQ(shell.Sget("Reduction1"), ";1G((mvsn)a);3B;Pp;1_G3tI_;2(a(mvsn)zbC)I");
  EXPECT_STREQ(shell.Sget("Reduction"), ";0G(!mvsn)3t(A(mvsn)zbC)B");
  shell.phase = '3';
  EXPECT_EQ(shell.Iget("beasleyHalf", 0), 25);
  EXPECT_EQ(shell.Sget("R-order"), nullptr);
}

// --- the graph's own checks as a run meets them ---

TEST(GraphChecks, AMissingRequiredVertexIsAFalseSolution) {
  tesmotest::LogCapture capture(1);
  tesmo::Graph g;
  g.allocate(7, 2, 2);
  g.R = 2;
  g.terminals[1] = 1;
  g.terminals[2] = 7;
  g.setEdge(1, 1, 2, 4);
  g.setEdge(2, 6, 7, 5);
  g.buildAdjacency();
  tesmo::IntArray tree = {1, g.findArc(1, 2)};
  EXPECT_EQ(tesmo::printSolution(g, tree), 4);
  EXPECT_EQ(capture.text(), "false solution! Required vertice 7is missing.\ncost of the solution: 4\n");
}

TEST(GraphChecks, AnEdgeAboveTheLimitEndsTheRun) {
  tesmotest::LogCapture capture(1);
  tesmo::Graph g;
  g.allocate(2, 1, 1);
  g.R = 1;
  g.terminals[1] = 1;
  g.setEdge(1, 1, 2, tesmo::maxint + 1);
  EXPECT_EXIT(g.buildAdjacency(), ::testing::ExitedWithCode(1), "");
  EXPECT_EQ(linesOf(capture.text()).back(), "Error: edge to large:1600000001");
}

}  // namespace
