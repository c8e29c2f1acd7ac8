#pragma once
// The solver log opened on a scratch file (no screen copy) for one test; the shell variables,
// phases and verbosity are put back when it goes.

#include "LogStream.h"
#include "Shell.h"
#include "TestPaths.h"

#include <string>
#include <vector>

namespace tesmotest {

class LogCapture {
public:
  explicit LogCapture(int verbosity = 5);
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Everything logged so far.
  std::string text();
  const testpaths::TempDir& dir() const { return dir_; }

private:
  testpaths::TempDir dir_;
  std::string path_;
  int savedVerbose_;
};

// The lines of a text (without their line ends).
std::vector<std::string> linesOf(const std::string& text);

}  // namespace tesmotest
