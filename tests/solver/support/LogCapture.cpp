#include "LogCapture.h"

#include "LogStream.h"
#include "Shell.h"

namespace tesmotest {

LogCapture::LogCapture(int verbosity) : path_(dir_.file("test.log")), savedVerbose_(tesmo::verbose) {
  tesmo::shell.clearVariables();
  tesmo::shell.Sset("output", path_);
  tesmo::shell.Sset("screen", "0");
  tesmo::shell.Sset("outputAppend", "0");
  tesmo::logStream.openLog();
  tesmo::verbose = verbosity;
}

LogCapture::~LogCapture() {
  tesmo::logStream.closeLog();
  tesmo::shell.clearVariables();
  tesmo::shell.echoLevel = 0;
  tesmo::shell.phase = tesmo::shell.Phase = 0;
  tesmo::verbose = savedVerbose_;
}

std::string LogCapture::text() {
  tesmo::logStream.file.flush();
  return testpaths::readFile(path_);
}

std::vector<std::string> linesOf(const std::string& text) {
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
