#include "LogStream.h"

#include "SearchPath.h"
#include "Shell.h"

namespace tesmo {

int verbose = 0;  // the program entry sets it from option verbose
LogStream logStream;

std::string LogStream::filePath() {
  const char* output = shell.lookup("output");
  if (!output) return {};
  const char* dir = writePath ? writePath->firstDirectory() : ".";
  return SearchPath::makePath(dir, output);
}

void LogStream::openLog() {
  const char* output = shell.lookup("output");
  const char* screen = shell.lookup("screen");
  toScreen = screen && parseLeadingInt(screen) != 0;
  if (file.is_open()) file.close();
  file.clear();
  if (output) {
    toFile = true;
    const std::string path = filePath();
    const char* append = shell.lookup("outputAppend");
    const bool appending = append ? parseLeadingInt(append) != 0 : true;
    file.open(path, appending ? std::ios::out | std::ios::app : std::ios::out | std::ios::trunc);
  } else {
    toScreen = true;
    toFile = false;
  }
  level = 0;
  atLineStart = true;
}

void LogStream::closeLog() {
  if (file.is_open()) file.close();
  file.clear();
  toScreen = false;
  toFile = false;
  level = 0;
  atLineStart = true;
}

void LogStream::flushLog() {
  if (toScreen) std::cout.flush();
  if (toFile) file.flush();
}

LogStream& LogStream::operator<<(const char* text) {
  if (!text) return *this;
  return put(text);
}

LogStream& LogStream::operator<<(const Arc& a) {
  if (verbose < level) return *this;
  return put('(').put(a.tail).put('-').put(a.head).put(')');
}

LogStream& LogStream::operator<<(std::ostream& (*manipulator)(std::ostream&)) {
  if (verbose < level || !(toScreen || toFile)) return *this;
  using Manipulator = std::ostream& (*)(std::ostream&);
  if (manipulator == static_cast<Manipulator>(std::endl)) atLineStart = true;
  if (toScreen) {
    std::cout.flush();
    manipulator(std::cout);
  }
  if (toFile) {
    file.flush();
    manipulator(file);
  }
  return *this;
}

}  // namespace tesmo
