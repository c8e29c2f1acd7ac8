// The Lagrangian letters as scripts run them, alone and chained with the degree tests, through
// the safety test: the optimum is kept, no terminal is cut off, the stored tree stays a tree and
// the lower bound stays at or below the optimum.

#include "ReduceByString.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

class LagrangeLetterSafety : public testing::TestWithParam<const char*> {};

TEST_P(LagrangeLetterSafety, KeepsTheOptimumAndTheTree) {
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  const std::string script = GetParam();
  const auto failures = steinertest::checkSafety([&script](tesmo::ReduceGraph& R) {
    tesmo::reduceByString(script.c_str(), R, 0);
    tesmo::shell.phase = 0;
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

// B needs a stored value: the kit seeds a tree on every other instance, so both ends are run.
INSTANTIATE_TEST_SUITE_P(Scripts, LagrangeLetterSafety, testing::Values("B", "2", "g", "B2", "(vLB)", "(B(vL))g2"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name;
                           for (const char* c = info.param; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? std::string(1, *c) : "_";
                           return name + "_" + std::to_string(info.index);
                         });

}  // namespace
