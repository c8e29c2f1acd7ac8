// The cut memory of the l1 ascent and its LP exchange: the memory's step estimates keep the bound
// at or below the optimum; without the outside program, or with one that fails or writes a stale
// or absurd solution, the run goes on with one line and a bound that holds; the LP text is one
// that an LP solver accepts.

#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "Lgr1a.h"
#include "ReduceGraph.h"
#include "Shell.h"
#include "TestPaths.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace tesmotest;
using tesmo::ReduceGraph;

namespace {

// PATH set to one folder while the object lives.
class PathOverride {
public:
  explicit PathOverride(const std::string& folder) {
    const char* old = std::getenv("PATH");
    saved_ = old != nullptr ? old : "";
    setenv("PATH", folder.c_str(), 1);
  }
  ~PathOverride() { setenv("PATH", saved_.c_str(), 1); }

private:
  std::string saved_;
};

// A program "solve3" in folder that runs the given shell lines ($vec names the solution file).
void writeStub(const testpaths::TempDir& dir, const std::string& lines) {
  const std::string file = dir.file("solve3");
  testpaths::writeFile(file, "#!/bin/sh\nvec=\"$(dirname \"$1\")/lgr1.vec\"\n" + lines + "\n");
  std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

// Runs g on generated instances with a stored tree; every bound must stay at or below the optimum.
std::string boundsOverInstances(int count) {
  std::string failures;
  for (auto& generated : steinertest::instanceMix(count, 9)) {
    ReduceGraph R(generated.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    tesmo::IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "seed", 0);
    tesmo::lgr1a(R);
    const std::string why = steinertest::judgeInstance(generated.graph, R, optimum);
    if (!why.empty()) failures += generated.description + ": " + why + "\n";
  }
  return failures;
}

void exchangeSettings() {
  tesmo::shell.Sset("l1Iter", "40");
  tesmo::shell.Sset("l1Memory", "6");
  tesmo::shell.Sset("l1WriteLp", "1");
  tesmo::shell.Sset("repeated", "1");
}

struct MemoryVariant {
  const char* name;
  std::vector<const char*> assignments;
};

class CutMemoryBound : public testing::TestWithParam<MemoryVariant> {};

TEST_P(CutMemoryBound, StaysAtOrBelowTheOptimum) {
  LogCapture capture(0);
  tesmo::shell.Sset("l1Iter", "100");
  for (const char* a : GetParam().assignments) tesmo::shell.setAssignment(a);
  const std::string failures = boundsOverInstances(150);
  EXPECT_TRUE(failures.empty()) << failures;
}

INSTANTIATE_TEST_SUITE_P(Options, CutMemoryBound,
                         testing::Values(MemoryVariant{"estimatesCapTheStep", {"l1Memory=20", "l1AdjustT=-1"}},
                                         MemoryVariant{"oneCutHeld", {"l1Memory=2", "l1AdjustT=-1"}},
                                         MemoryVariant{"smallCutsOnly", {"l1Memory=8", "l1MaxGG=10"}}),
                         [](const testing::TestParamInfo<MemoryVariant>& info) { return std::string(info.param.name); });

TEST(CutMemory, WithoutTheOutsideProgramTheRunGoesOnWithOneLine) {
  LogCapture capture(3);
  testpaths::TempDir empty;
  PathOverride path(empty.path().string());
  exchangeSettings();
  ReduceGraph R(makeGraph(4, {{1, 4, 2}, {2, 4, 2}, {3, 4, 2}, {1, 2, 3}, {2, 3, 3}, {1, 3, 3}}, {1, 2, 3}));
  tesmo::lgr1a(R);
  const std::string log = capture.text();
  const std::string line = "LP exchange off: the LP program failed or is missing\n";
  const std::size_t at = log.find(line);
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_EQ(log.find(line, at + 1), std::string::npos) << log;
  EXPECT_GE(R.lowerValue, 4);
  EXPECT_LE(R.lowerValue, 6);
}

TEST(CutMemory, ABadSolutionNeverLiftsTheBoundAboveTheOptimum) {
  struct Case {
    const char* name;
    const char* stub;
    const char* line;  // the line that switches the exchange off, empty when the file is read
  };
  const std::string oversized =
      "{ echo 'z 1e300'; echo 'w2_1 1e30'; echo 'w99_99999 5'; echo 'w2_3 -7'; echo 'w2_x 4'; echo 'w0_1 3';"
      " i=0; while [ $i -lt 3000 ]; do echo \"w2_$((i % 40 + 1)) 1e9\"; i=$((i + 1)); done; } > \"$vec\"";
  for (const Case& c : {Case{"stale", "echo 'w2_1 100' > \"$vec\"; touch -d '2000-01-01' \"$vec\"",
                             "LP exchange off: the solution file is older than the LP\n"},
                        Case{"failing", "echo 'w2_1 1' > \"$vec\"; exit 3", "LP exchange off: the LP program failed or is missing\n"},
                        Case{"nothingWritten", "true", "LP exchange off: no solution file\n"},
                        Case{"oversized", oversized.c_str(), ""}}) {
    LogCapture capture(3);
    testpaths::TempDir bin;
    writeStub(bin, c.stub);
    PathOverride path(bin.path().string() + ":/usr/bin:/bin");
    exchangeSettings();
    const std::string failures = boundsOverInstances(40);
    EXPECT_TRUE(failures.empty()) << c.name << "\n" << failures;
    const std::string log = capture.text();
    if (*c.line != 0) {
      EXPECT_NE(log.find(c.line), std::string::npos) << c.name;
    } else {
      EXPECT_NE(log.find("Reading "), std::string::npos) << c.name;
      EXPECT_EQ(log.find("LP exchange off"), std::string::npos) << c.name;
    }
  }
}

TEST(CutMemory, TheWrittenLpIsAcceptedByAnLpSolver) {
  if (std::system("command -v glpsol > /dev/null 2>&1") != 0) GTEST_FAIL() << "glpsol not found: install glpk-utils (scripts/setup-deps.sh does)";
  for (const char* bits : {"1", "15"}) {
    LogCapture capture(0);
    testpaths::TempDir folder, empty;
    PathOverride path(empty.path().string());
    tesmo::shell.Sset("l1Iter", "10");
    tesmo::shell.Sset("l1Memory", "6");
    tesmo::shell.Sset("l1WriteLp", bits);
    tesmo::shell.Sset("l1LpDir", folder.path().c_str());
    ReduceGraph R(makeGraph(5, {{1, 5, 2}, {2, 5, 2}, {3, 5, 2}, {4, 5, 2}, {1, 2, 3}, {3, 4, 3}, {2, 3, 4}},
                            {1, 2, 3, 4}));
    tesmo::IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "seed", 0);
    tesmo::lgr1a(R);
    const std::string lp = folder.file("lgr1.slp");
    ASSERT_TRUE(std::filesystem::exists(lp)) << bits;
    const std::string text = testpaths::readFile(lp);
    EXPECT_EQ(text.find("base: ") != std::string::npos, std::string(bits) == "15") << text;
    const std::string command = "/usr/bin/env PATH=/usr/bin:/bin glpsol --lp '" + lp + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << text;
  }
}

}  // namespace
