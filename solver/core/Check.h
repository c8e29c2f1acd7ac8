#pragma once
// The solver's failure exits.
//
// A consistency check names its ERROR condition: TESMO_CHECK(i < 1 || i > count, "Tesmo") fires
// when the condition holds and reports "Warning: (i < 1 || i > count) in file 'Tesmo' line N" on
// the screen and in the log, then ends the run with status 1 (unless option exitWarning is 0).
// Every other failing exit goes through exitWithError, so that the log always ends with a
// "Warning:" or an "Error:" line for the program that watches it.

#include <functional>
#include <string>

namespace tesmo {

// Saves the failing instance for inspection: (file name or empty, comment).
using WarningDump = std::function<void(const std::string& fileName, const std::string& comment)>;

// Writes the "Warning: (" line (log and screen) and ends the process with status 1.
[[noreturn]] void assertFail(const char* text, int line, const char* file);

// The handler of failed consistency checks. With a dump given, the instance is then saved (to
// the file named by option exitSaveGraph; empty when unset, and the dump picks a file of its
// own). Returns only when option exitWarning is 0.
void exitWithWarning(const char* text, int line, const char* file, const WarningDump& dump = {});

// Logs "Error: " message at level 0, flushed (standard error when the log is not open yet), and
// ends the process with the given status.
[[noreturn]] void exitWithError(const std::string& message, int status = 1);

// The text of a warning line as both handlers write it.
std::string warningLine(const char* text, int line, const char* file);

}  // namespace tesmo

#define TESMO_CHECK(condition, module)                                          \
  do {                                                                          \
    if (condition) ::tesmo::exitWithWarning(#condition, __LINE__, module);      \
  } while (0)

#define TESMO_CHECK_DUMP(condition, module, dump)                               \
  do {                                                                          \
    if (condition) ::tesmo::exitWithWarning(#condition, __LINE__, module, dump); \
  } while (0)
