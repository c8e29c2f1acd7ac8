#include "Check.h"

#include "LogStream.h"
#include "RunTimer.h"
#include "Shell.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace tesmo {

std::string warningLine(const char* text, int line, const char* file) {
  if (line == 0) return std::string("Warning: ") + text;
  return std::string("Warning: (") + text + ") in file '" + file + "' line " + std::to_string(line);
}

namespace {

// Failure lines reach the log file (when one is open) and the screen at every verbosity, flushed,
// each on a line of its own so that the watching program sees its beginning.
void writeFailureLine(const std::string& line, std::ostream& screen) {
  const char* lineEnd = logStream.atLineStart ? "" : "\n";
  if (logStream.toFile) logStream.file << lineEnd << line << std::endl;
  screen << (&screen == &std::cout && logStream.toScreen ? lineEnd : "") << line << std::endl;
  logStream.atLineStart = true;
}

}  // namespace

void assertFail(const char* text, int line, const char* file) {
  writeFailureLine(warningLine(text, line, file), std::cout);
  std::exit(1);
}

void exitWithWarning(const char* text, int line, const char* file, const WarningDump& dump) {
  const int exitWarning = shell.Iget("exitWarning", 1);
  const std::string message = warningLine(text, line, file);
  writeFailureLine(message, std::cout);
  if (dump) {
    const char* problem = shell.lookup("problem");
    const std::string comment = "Time: " + std::to_string(runTimer.realSeconds()) + "\n" +
                                message + "\n" + "Problem: " + (problem ? problem : "");
    const char* dumpFile = shell.lookup("exitSaveGraph");
    dump(dumpFile ? dumpFile : "", comment);
  }
  if (exitWarning != 0) std::exit(1);
}

void exitWithError(const std::string& message, int status) {
  // Before the log is open the screen copy goes to standard error like the usage messages.
  writeFailureLine("Error: " + message, logStream.isOpen() ? std::cout : std::cerr);
  std::exit(status);
}

}  // namespace tesmo
