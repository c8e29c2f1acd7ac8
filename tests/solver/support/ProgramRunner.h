#pragma once
// Runs of the real Tesmo program (its path comes from TESMO_EXE, set per test target).

#include <filesystem>
#include <string>
#include <vector>

namespace tesmotest {

struct RunResult {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// A shell word that stands for s exactly.
std::string quoted(const std::string& s);

// Runs the program in folder cwd with the given parameters.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::filesystem::path& cwd);

#ifdef TESMO_EXE
inline RunResult runTesmoProgram(const std::vector<std::string>& args, const std::filesystem::path& cwd) {
  return runProgram(TESMO_EXE, args, cwd);
}
#endif

}  // namespace tesmotest
