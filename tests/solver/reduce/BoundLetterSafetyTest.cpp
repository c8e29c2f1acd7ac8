// The path deletion, contraction, replacement and fast-ascent letters through the shared safety
// test (generated instances of up to 40 vertices, checked against the exact oracles), alone and
// chained as the prune scripts chain them.

#include "ReduceByString.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

class BoundLetterSafety : public testing::TestWithParam<const char*> {};

TEST_P(BoundLetterSafety, KeepsTheOptimumAndTheTree) {
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  const std::string script = GetParam();
  const auto failures = steinertest::checkSafety([&script](tesmo::ReduceGraph& R) {
    tesmo::reduceByString(script.c_str(), R, 0);
    tesmo::shell.phase = 0;
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

INSTANTIATE_TEST_SUITE_P(Scripts, BoundLetterSafety,
                         testing::Values("m", "M", "n", "s", "A", "(mvsn)", "(MnsA)"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name;
                           for (const char* c = info.param; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? std::string(1, *c) : "_";
                           return name + "_" + std::to_string(info.index);
                         });

}  // namespace
