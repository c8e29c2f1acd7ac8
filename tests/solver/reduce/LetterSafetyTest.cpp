// Every script letter of this library, and scripts that chain them, through the safety test.

#include "ReduceByString.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "../support/SafetyTest.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

class LetterSafety : public testing::TestWithParam<const char*> {};

TEST_P(LetterSafety, KeepsTheOptimumAndTheTree) {
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  const std::string script = GetParam();
  const auto failures = steinertest::checkSafety([&script](tesmo::ReduceGraph& R) {
    tesmo::reduceByString(script.c_str(), R, 0);
    tesmo::shell.phase = 0;
  });
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

INSTANTIATE_TEST_SUITE_P(Scripts, LetterSafety, testing::Values("v", "L", "T", "u", "p", "(vL)", "((vLp)uT)"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name;
                           for (const char* c = info.param; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? std::string(1, *c) : "_";
                           return name + "_" + std::to_string(info.index);
                         });

}  // namespace
