#include "ProgramRunner.h"

#include "TestPaths.h"

#include <sys/wait.h>

#include <cstdlib>

namespace tesmotest {

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::filesystem::path& cwd) {
  const std::string outFile = (cwd / "stdout.txt").string();
  const std::string errFile = (cwd / "stderr.txt").string();
  std::string command = "cd " + quoted(cwd.string()) + " && ASAN_OPTIONS=detect_leaks=0 " + quoted(program);
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

}  // namespace tesmotest
