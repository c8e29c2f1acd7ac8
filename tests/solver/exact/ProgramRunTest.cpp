// Programs 2, 3 and 4 of the real program on small .out files, checked against brute force.

#include "BruteForceOracle.h"
#include "LogCapture.h"
#include "ProgramRunner.h"
#include "Graph.h"
#include "NameSpace.h"
#include "OutReader.h"

#include <gtest/gtest.h>

#include <map>
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

TEST_P(Programs, ProgramThreeWritesTheUnionOfAllOptimalTrees) {
  const Network n = readNetwork(fixture());
  const ProgramRun r = runProgram(fixture(), "3");
  ASSERT_EQ(r.result.status, 0) << r.log;
  const auto network = sections(r.sto, "Section MP-Network");
  ASSERT_EQ(network.size(), 1u);
  EXPECT_EQ(std::set<int>(network[0].begin(), network[0].end()), n.optimalLabels);
  EXPECT_NE(r.sto.find("MP-Edges " + std::to_string(n.optimalLabels.size()) + "\n"), std::string::npos);
  EXPECT_EQ(r.sto.find("Section Subnetworks"), std::string::npos);
  for (const char* line : {"few required vertices\n", "\nStep: 1 of ", ", inSolCount:",
                           "\nsteiner computation finished.\n"})
    EXPECT_NE(r.log.find(line), std::string::npos) << line;
}

TEST_P(Programs, ProgramFourAddsOptimalTreesCoveringTheNetwork) {
  const Network n = readNetwork(fixture());
  const ProgramRun r = runProgram(fixture(), "4");
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

INSTANTIATE_TEST_SUITE_P(OneAndSeveralOptimalTrees, Programs,
                         testing::Values("solver/network.out", "solver/exact/ties.out"));

TEST(ProgramOne, SecondAlgorithmRunsAfterTheReduction) {
  const std::string out = testpaths::testData("solver/exact/ties.out").string();
  const Network n = readNetwork(out);
  // The fast ascent proves this network optimal, and a proven tree is handed back without a
  // second algorithm: the reduction here runs the heuristic alone.
  const ProgramRun second = runProgram(out, "1", {"R-order=T", "algo2=exact", "Reduction=v"});
  ASSERT_EQ(second.result.status, 0) << second.log;
  EXPECT_NE(second.log.find("average degree for R: "), std::string::npos);
  EXPECT_NE(second.sto.find("Cost " + std::to_string(n.best.optimum) + "\n"), std::string::npos);
  const ProgramRun none = runProgram(out, "1", {"R-order=T", "algo2=0exact"});
  ASSERT_EQ(none.result.status, 0);
  EXPECT_EQ(none.log.find("average degree for R: "), std::string::npos);
  const ProgramRun unknown = runProgram(out, "1", {"R-order=T", "algo2=Exact"});
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
