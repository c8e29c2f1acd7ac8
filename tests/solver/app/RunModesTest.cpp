// The algorithm table's file-driven entries: the single-instance mode on an STP file, and the
// file output of all optimal trees.

#include "AlgorithmTable.h"

#include "Graph.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

// Runs a test body inside the scratch folder, where the entries write their files.
class InFolder {
public:
  explicit InFolder(const std::filesystem::path& dir) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InFolder() { std::filesystem::current_path(saved_); }

private:
  std::filesystem::path saved_;
};

TEST(SolveInstance, SolvesAnStpFileAndSavesTheTree) {
  tesmotest::LogCapture capture(2);
  const std::string stp = testpaths::testData("solver/small.stp").string();
  tesmo::shell.Sset("problem", stp);
  tesmo::shell.Sset("algorithm", "exact");
  tesmo::shell.Sset("Reduction", "v");
  tesmo::shell.Sset("savetree", capture.dir().file("small.tree"));
  tesmo::solveInstance();
  const std::string tree = testpaths::readFile(capture.dir().file("small.tree"));
  std::istringstream in(tree);
  std::string count, arcs, cost, problem, algorithm;
  std::getline(in, count);
  std::getline(in, arcs);
  std::getline(in, cost);
  std::getline(in, problem);
  std::getline(in, algorithm);
  EXPECT_EQ(count, "3");
  EXPECT_EQ(cost, "9");
  EXPECT_EQ(problem, stp);
  EXPECT_EQ(algorithm, "exact");
  const std::string log = capture.text();
  EXPECT_NE(log.find("instance: " + stp), std::string::npos);
  EXPECT_EQ(tesmo::currentGraph, nullptr);
}

TEST(SolveInstanceDeath, WithoutAProblem) {
  EXPECT_EXIT(
      {
        tesmotest::LogCapture capture(0);
        tesmo::solveInstance();
      },
      testing::ExitedWithCode(1), "Instance  not found!");
  EXPECT_EXIT(
      {
        tesmotest::LogCapture capture(0);
        tesmo::runProblem();
      },
      testing::ExitedWithCode(1), "Problem  nicht gefunden!");
}

TEST(AllSolutions, WritesEveryOptimalTreeAndTheirUnion) {
  tesmotest::LogCapture capture(0);
  InFolder here(capture.dir().path());
  tesmo::shell.Sset("problem", "square");
  tesmo::shell.Sset("Reduction", "v");
  // A square of required vertices plus a costly diagonal: four optimal trees of cost 3.
  tesmo::Graph g = tesmotest::makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}, {1, 3, 5}}, {1, 2, 3, 4});
  tesmo::currentGraph = &g;
  tesmo::solutionList.assign(8, 0);
  tesmo::allSolutions();
  tesmo::currentGraph = nullptr;
  const std::string all = testpaths::readFile(capture.dir().file("all0.sol"));
  EXPECT_EQ(all.find("5"), std::string::npos) << all;  // the diagonal is in no optimal tree
  EXPECT_NE(all.find("\nvalue: 4\nproblem: square\n"), std::string::npos) << all;
  EXPECT_NE(testpaths::readFile(capture.dir().file("all1.sol")).find("\nvalue: 3\n"), std::string::npos);
  EXPECT_EQ(tesmo::solutionList[0], 0);
}

}  // namespace
