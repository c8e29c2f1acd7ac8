#pragma once
// The outside LP solver of the tests (glpsol, package glpk-utils): solves an LP text or fixed
// MPS file, and gives its optimum and its column values as the name/value pairs the LP reader
// takes. Tests skip when the program is absent.

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

#define SKIP_WITHOUT_GLPSOL()                                                   \
  do {                                                                          \
    if (!lptest::glpsolPresent()) GTEST_SKIP() << "glpsol (glpk-utils) not installed"; \
  } while (0)
