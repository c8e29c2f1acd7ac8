#pragma once
// Helpers of the solver front-end tests: a log opened on a scratch file, and runs of the real
// Tesmo program.

#include "LogStream.h"
#include "Shell.h"
#include "TestPaths.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tesmotest {

// Opens the solver log on a scratch file (no screen copy) for one test.
class LogCapture {
public:
  explicit LogCapture(int verbosity = 5) : path_(dir_.file("test.log")), savedVerbose_(tesmo::verbose) {
    tesmo::shell.clearVariables();
    tesmo::shell.Sset("output", path_);
    tesmo::shell.Sset("screen", "0");
    tesmo::shell.Sset("outputAppend", "0");
    tesmo::logStream.openLog();
    tesmo::verbose = verbosity;
  }
  ~LogCapture() {
    tesmo::logStream.closeLog();
    tesmo::shell.clearVariables();
    tesmo::shell.echoLevel = 0;
    tesmo::shell.phase = tesmo::shell.Phase = 0;
    tesmo::verbose = savedVerbose_;
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::string text() {
    tesmo::logStream.file.flush();
    return testpaths::readFile(path_);
  }
  const testpaths::TempDir& dir() const { return dir_; }

private:
  testpaths::TempDir dir_;
  std::string path_;
  int savedVerbose_;
};

struct RunResult {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

inline std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

#ifdef TESMO_EXE
// Runs the Tesmo program in folder cwd with the given parameters.
inline RunResult runTesmoProgram(const std::vector<std::string>& args, const std::filesystem::path& cwd) {
  const std::string outFile = (cwd / "stdout.txt").string();
  const std::string errFile = (cwd / "stderr.txt").string();
  std::string command = "cd " + quoted(cwd.string()) + " && ASAN_OPTIONS=detect_leaks=0 " + quoted(TESMO_EXE);
  for (const auto& a : args) command += " " + quoted(a);
  command += " >" + quoted(outFile) + " 2>" + quoted(errFile);
  const int raw = std::system(command.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = testpaths::readFile(outFile);
  r.err = testpaths::readFile(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return r;
}
#endif

// The lines of a text (without their line ends).
inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace tesmotest
