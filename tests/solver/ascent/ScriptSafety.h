#pragma once
// Option sets for the ascent letters' tests and the kit's safety test of a script under each.

#include "ReduceByString.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"

#include "LogCapture.h"
#include "SafetyTest.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace ascenttest {

using Settings = std::vector<std::pair<const char*, const char*>>;

// A clean shell with every letter registered, failed checks reported rather than ending the test,
// then `base` and `settings` in that order.
inline void applySettings(const Settings& settings, const Settings& base = {}) {
  tesmo::shell.clearVariables();
  tesmo::registerScriptLetters();
  tesmo::shell.Sset("exitWarning", "0");
  for (const auto& [name, value] : base) tesmo::shell.Sset(name, value);
  for (const auto& [name, value] : settings) tesmo::shell.Sset(name, value);
}

inline std::string describe(const Settings& settings) {
  std::string text;
  for (const auto& [name, value] : settings) text += std::string(name) + "=" + value + " ";
  return text.empty() ? "defaults" : text;
}

struct SafetyCase {
  Settings settings;
  int instances;
};

// The kit's safety test of the script under each option set.
inline void expectSafe(const char* script, const std::vector<SafetyCase>& cases, const Settings& base = {}) {
  for (const SafetyCase& c : cases) {
    SCOPED_TRACE(std::string(script) + ": " + describe(c.settings));
    tesmotest::LogCapture log{0};
    applySettings(c.settings, base);
    steinertest::SafetyOptions options;
    options.instances = c.instances;
    const auto failures = steinertest::checkSafety(
        [script](tesmo::ReduceGraph& R) {
          tesmo::reduceByString(script, R, 0);
          tesmo::shell.phase = 0;
        },
        options);
    EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
  }
}

}  // namespace ascenttest
