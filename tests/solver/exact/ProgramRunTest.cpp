// Programs 2, 3 and 4 of the real program on small .out files, checked against brute force.

#include "BruteForceOracle.h"
#include "LogCapture.h"
#include "ProgramRunner.h"
#include "Graph.h"
#include "NameSpace.h"
#include "OutReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

using namespace tesmotest;

namespace {

struct Network {
  tesmo::Graph graph;
  std::map<int, int> arcOfLabel;  // label -> arc (tail > head)
  BruteForceResult best;
  std::set<int> optimalLabels;
};

Network readNetwork(const std::string& path) {
  tesmotest::LogCapture capture(0);
  Network n;
  tesmo::NameSpace names(9, 100, false);
  tesmo::readOutFile(path, n.graph, names);
  for (int a = 1; a <= 2 * n.graph.E; ++a)
    if (n.graph.arcs[a].tail > n.graph.arcs[a].head) n.arcOfLabel[n.graph.ID[a]] = a;
  n.best = bruteForce(n.graph);
  for (const auto& [label, arc] : n.arcOfLabel)
    if (n.best.unionOfOptimal.count(keyOf(n.graph.arcs[arc]))) n.optimalLabels.insert(label);
  return n;
}

// The labels of the link lines of each section whose header begins with prefix.
std::vector<std::vector<int>> sections(const std::string& sto, const std::string& prefix) {
  std::vector<std::vector<int>> result;
  std::istringstream in(sto);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.rfind(prefix, 0) == 0) {
      inside = true;
      result.emplace_back();
    } else if (line == "End") {
      inside = false;
    } else if (inside && line.rfind("Link\t", 0) == 0) {
      result.back().push_back(std::stoi(line.substr(5)));
    }
  }
  return result;
}

struct ProgramRun {
  tesmotest::RunResult result;
  std::string sto;
  std::string log;
};

ProgramRun runProgram(const std::string& out, const std::string& program, std::vector<std::string> extra = {}) {
  testpaths::TempDir dir;
  std::vector<std::string> args = {out, program, dir.file("r.sto"), dir.file("r.log")};
  args.insert(args.end(), extra.begin(), extra.end());
  ProgramRun r;
  r.result = tesmotest::runTesmoProgram(args, dir.path());
  r.sto = testpaths::readFile(dir.file("r.sto"));
  r.log = testpaths::readFile(dir.file("r.log"));
  return r;
}

class Programs : public testing::TestWithParam<const char*> {
protected:
  std::string fixture() const { return testpaths::testData(GetParam()).string(); }
};

TEST_P(Programs, ProgramTwoWritesAnOptimalTree) {
  const Network n = readNetwork(fixture());
  const ProgramRun r = runProgram(fixture(), "2");
  ASSERT_EQ(r.result.status, 0) << r.log;
  EXPECT_NE(r.sto.find("Cost " + std::to_string(n.best.optimum) + "\nComment 'Optimal tree'\nEnd\n"),
            std::string::npos) << r.sto;
  const auto trees = sections(r.sto, "Section Sub 1");
  ASSERT_EQ(trees.size(), 1u);
  std::vector<int> arcs;
  std::int64_t cost = 0;
  for (int label : trees[0]) {
    arcs.push_back(n.arcOfLabel.at(label));
    cost += n.graph.arcs[arcs.back()].cost;
  }
  EXPECT_TRUE(isSteinerTree(n.graph, arcs));
  EXPECT_EQ(cost, n.best.optimum);
  EXPECT_NE(r.log.find("average degree for R: "), std::string::npos);
}

void checkProgramThree(const std::string& out, const std::vector<std::string>& extra = {}) {
  const Network n = readNetwork(out);
  const ProgramRun r = runProgram(out, "3", extra);
  ASSERT_EQ(r.result.status, 0) << r.log;
  const auto network = sections(r.sto, "Section MP-Network");
  ASSERT_EQ(network.size(), 1u);
  EXPECT_EQ(std::set<int>(network[0].begin(), network[0].end()), n.optimalLabels);
  EXPECT_NE(r.sto.find("MP-Edges " + std::to_string(n.optimalLabels.size()) + "\n"), std::string::npos);
  EXPECT_EQ(r.sto.find("Section Subnetworks"), std::string::npos);
  for (const char* line : {"few required vertices\n", "\nlinks in no optimal tree by reduced costs: ",
                           "\nsteiner computation finished.\n"})
    EXPECT_NE(r.log.find(line), std::string::npos) << line;
}

void checkProgramFour(const std::string& out, const std::vector<std::string>& extra = {}) {
  const Network n = readNetwork(out);
  const ProgramRun r = runProgram(out, "4", extra);
  ASSERT_EQ(r.result.status, 0) << r.log;
  const auto network = sections(r.sto, "Section MP-Network");
  ASSERT_EQ(network.size(), 1u);
  const auto trees = sections(r.sto, "Section Sub ");
  ASSERT_FALSE(trees.empty());
  EXPECT_NE(r.sto.find("Section Subnetworks\nNumber " + std::to_string(trees.size()) + "\nCost " +
                       std::to_string(n.best.optimum) + "\nCommand 'Optimal tree'\nEnd\n"),
            std::string::npos) << r.sto;
  std::set<int> covered;
  for (const auto& tree : trees) {
    std::vector<int> arcs;
    std::int64_t cost = 0;
    for (int label : tree) {
      covered.insert(label);
      arcs.push_back(n.arcOfLabel.at(label));
      cost += n.graph.arcs[arcs.back()].cost;
    }
    EXPECT_TRUE(isSteinerTree(n.graph, arcs));
    EXPECT_EQ(cost, n.best.optimum);
  }
  EXPECT_EQ(covered, std::set<int>(network[0].begin(), network[0].end()));
  EXPECT_EQ(covered, n.optimalLabels);
}

TEST_P(Programs, ProgramThreeWritesTheUnionOfAllOptimalTrees) { checkProgramThree(fixture()); }

TEST_P(Programs, ProgramFourAddsOptimalTreesCoveringTheNetwork) { checkProgramFour(fixture()); }

INSTANTIATE_TEST_SUITE_P(OneAndSeveralOptimalTrees, Programs,
                         testing::Values("solver/network.out", "solver/exact/ties.out",
                                         "solver/exact/two_optima.out", "solver/exact/three_optima.out"));

// The fixtures hold as many optimal trees as their names say.
TEST(ProgramFixtures, HoldTheirNumberOfOptimalTrees) {
  const std::pair<const char*, int> cases[] = {{"solver/exact/two_optima.out", 2},
                                               {"solver/exact/three_optima.out", 3}};
  for (const auto& [file, trees] : cases)
    EXPECT_EQ(readNetwork(testpaths::testData(file).string()).best.optimalTreeCount, trees) << file;
}

struct OutLink {
  std::string a, b;
  int weight;  // the link's one character has this weight
};

// A network file as median joining writes it: taxa by number, median vectors as mv<k>, one
// character per link.
void writeOutFile(const std::string& path, const std::vector<OutLink>& links,
                  const std::vector<std::string>& taxa) {
  std::ofstream f(path);
  f << "Results of file gen.rdf with Epsilon=0\nCriterion for generated median vectors : Connection cost.\n"
       "with weighting transversions/transitions: 1/1\n\nEquivalent taxa : \n\n\nFinal links : \n\n";
  char line[160];
  for (std::size_t i = 0; i < links.size(); ++i) {
    std::snprintf(line, sizeof line, "Link %4zu 0 Seq. %6s with Seq. %6s, mutations at %zu      a \n", i + 1,
                  links[i].a.c_str(), links[i].b.c_str(), i + 1);
    f << line;
  }
  f << "**************************************************\n";
  for (const std::string& t : taxa) {
    std::snprintf(line, sizeof line, "Frequ. of taxon %8s :    %d\n", t.c_str(), t.rfind("mv", 0) == 0 ? 0 : 1);
    f << line;
  }
  f << "**************************************************\n";
  for (std::size_t i = 0; i < links.size(); ++i) {
    std::snprintf(line, sizeof line, "Weight of character %-6zu :   %d\n", i + 1, links[i].weight);
    f << line;
  }
  f << "**************************************************\n";
}

// Generated networks with many equally short trees (weights 1 and 2, a few 0) through programs
// 3 and 4, each against brute force.
TEST(GeneratedNetworks, ProgramsThreeAndFourWithManyTies) {
  std::mt19937 rng(3);
  testpaths::TempDir dir;
  int severalOptima = 0;
  for (int round = 0; round < 6; ++round) {
    const int n = 8;
    const int required = 3 + round % 3;
    std::vector<std::string> names;
    for (int v = 0; v < n; ++v) names.push_back(v < required ? std::to_string(v + 1) : "mv" + std::to_string(v));
    std::vector<OutLink> links;
    std::set<std::pair<int, int>> used;
    auto weight = [&] { const unsigned r = rng() % 8; return r == 0 ? 0 : r < 6 ? 1 : 2; };
    for (int v = 1; v < n; ++v) {
      const int u = static_cast<int>(rng() % static_cast<unsigned>(v));
      used.insert({u, v});
      links.push_back({names[u], names[v], weight()});
    }
    while (links.size() < 13) {
      int u = static_cast<int>(rng() % n), v = static_cast<int>(rng() % n);
      if (u == v) continue;
      if (u > v) std::swap(u, v);
      if (!used.insert({u, v}).second) continue;
      links.push_back({names[u], names[v], weight()});
    }
    const std::string out = dir.file("gen" + std::to_string(round) + ".out");
    writeOutFile(out, links, names);
    SCOPED_TRACE("round " + std::to_string(round));
    const Network net = readNetwork(out);
    ASSERT_EQ(net.graph.E, 13);
    if (net.best.optimalTreeCount > 2) ++severalOptima;
    checkProgramThree(out);
    checkProgramFour(out);
  }
  EXPECT_GE(severalOptima, 3);
}

// A link without mutations between two median vectors that no taxon reaches lies in no tree: the
// network is the one link between the taxa, whether the reduced costs or a search decide it.
TEST(GeneratedNetworks, ZeroCostLinkOutsideTheTaxaPart) {
  testpaths::TempDir dir;
  const std::string out = dir.file("apart.out");
  writeOutFile(out, {{"1", "2", 1}, {"mv1", "mv2", 0}}, {"1", "2", "mv1", "mv2"});
  const Network net = readNetwork(out);
  ASSERT_EQ(net.optimalLabels, std::set<int>{1});
  for (const std::vector<std::string>& extra : {std::vector<std::string>{}, {"enumerationRoots=0"}}) {
    SCOPED_TRACE(extra.empty() ? "defaults" : extra[0]);
    checkProgramThree(out, extra);
    checkProgramFour(out, extra);
  }
}

TEST(ProgramOne, SecondAlgorithmRunsAfterTheReduction) {
  const std::string out = testpaths::testData("solver/exact/ties.out").string();
  const Network n = readNetwork(out);
  // The fast ascent proves this network optimal, and a proven tree is handed back without a
  // second algorithm: the reduction here runs the heuristic alone, without program 1's opening
  // reductions and closing heuristic (they would prove it first).
  const ProgramRun second = runProgram(out, "1", {"R-first=v", "R-order=T", "R-last=v", "algo2=exact", "Reduction=v"});
  ASSERT_EQ(second.result.status, 0) << second.log;
  EXPECT_NE(second.log.find("average degree for R: "), std::string::npos);
  EXPECT_NE(second.sto.find("Cost " + std::to_string(n.best.optimum) + "\n"), std::string::npos);
  const ProgramRun none = runProgram(out, "1", {"R-first=v", "R-order=T", "R-last=v", "algo2=0exact"});
  ASSERT_EQ(none.result.status, 0);
  EXPECT_EQ(none.log.find("average degree for R: "), std::string::npos);
  const ProgramRun unknown = runProgram(out, "1", {"R-first=v", "R-order=T", "R-last=v", "algo2=Exact"});
  EXPECT_EQ(unknown.result.status, 1);
  EXPECT_NE(unknown.result.err.find("algorithm Exact not implemented!"), std::string::npos);
  // The log the desktop program watches ends with an error line, so the wait ends at once.
  EXPECT_NE(unknown.log.find("Error: algorithm Exact not implemented!"), std::string::npos) << unknown.log;
}

TEST(ProgramTwo, BranchesWhereEnumerationAloneWouldBeRefused) {
  // With the enumeration of small nodes cut down to one vertex, every other vertex is branched on.
  const Network n = readNetwork(testpaths::testData("solver/network.out").string());
  const ProgramRun r = runProgram(testpaths::testData("solver/network.out").string(), "2",
                                  {"subsetLimit=1", "rVerbose=2"});
  ASSERT_EQ(r.result.status, 0) << r.log;
  EXPECT_NE(r.sto.find("Cost " + std::to_string(n.best.optimum) + "\n"), std::string::npos) << r.sto;
  EXPECT_NE(r.log.find("\nbranching finished: step: "), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("final Lower: " + std::to_string(n.best.optimum) + " / upper: " +
                       std::to_string(n.best.optimum)),
            std::string::npos) << r.log;
}

}  // namespace
