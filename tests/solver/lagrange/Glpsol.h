#pragma once
// The outside LP solver of the tests (glpsol, package glpk-utils): solves an LP text or fixed
// MPS file, and gives its optimum and its column values as the name/value pairs the LP reader
// takes. The program is a build dependency (scripts/setup-deps.sh installs it): a test that
// needs it fails when it is absent rather than passing unseen.

#include <map>
#include <optional>
#include <string>

namespace lptest {

bool glpsolPresent();

struct LpSolution {
  double objective = 0;
  std::map<std::string, double> columns;
};

// Solves the file (mps: fixed MPS, else LP text); nothing when glpsol fails or finds no optimum.
std::optional<LpSolution> solveWithGlpsol(const std::string& file, bool mps, const std::string& scratchDir);

// Writes "name value" lines of the columns.
void writePairs(const LpSolution& solution, const std::string& file);

}  // namespace lptest

#define REQUIRE_GLPSOL()                                                                        \
  do {                                                                                         \
    if (!lptest::glpsolPresent())                                                              \
      FAIL() << "glpsol not found: install glpk-utils (scripts/setup-deps.sh does)";          \
  } while (0)
