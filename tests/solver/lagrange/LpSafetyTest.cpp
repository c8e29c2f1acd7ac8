// The safety test of the kit for the letters of this folder: the interior point (its ascent
// start raises the lower bound) and the rounding of an LP solution (it offers a tree).

#include "InteriorPoint.h"
#include "LpFiles.h"

#include "ScriptLetterSetup.h"
#include "Shell.h"

#include "LogCapture.h"
#include "SafetyTest.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace tesmo;
using namespace tesmotest;

namespace {

TEST(LpSafety, InteriorPointWithTheAscentStart) {
  LogCapture log{0};
  shell.Sset("ipStartZero", "0");
  shell.Sset("ipMaxIter", "3");
  shell.Sset("exitWarning", "0");  // a bound above the tree is reported, not the end of the run
  const auto failures = steinertest::checkSafety(ip);
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

// Any values, however far from an LP solution, round to a tree of the instance or to nothing.
TEST(LpSafety, RoundingOfArbitraryValues) {
  LogCapture log{0};
  registerScriptLetters();
  const std::string file = log.dir().file("values.txt");
  std::mt19937 random(8);
  shell.Sset("delete", "0.3");
  shell.Sset("makeReq", "1.2");
  shell.Sset("1-x", "1");
  shell.Sset("upgrade", "2");
  const auto failures = steinertest::checkSafety([&](ReduceGraph& R) {
    std::string pairs;
    std::uniform_real_distribution<double> value(0.0, 1.0);
    for (int a = 1; a <= 2 * R.E; ++a) pairs += "x" + std::to_string(a) + " " + std::to_string(value(random)) + "\n";
    testpaths::writeFile(file, pairs);
    readLP(R, file.c_str());
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

}  // namespace
