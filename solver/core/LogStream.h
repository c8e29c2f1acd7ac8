#pragma once
// The solver's levelled output: every message part goes to standard output and to the log file,
// but only when its level does not exceed the verbosity `verbose`.

#include "Arc.h"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <type_traits>

namespace tesmo {

extern int verbose;

class LogStream {
public:
  // Opens the log as the shell says (`output`, `screen`, `outputAppend`); reopens when called
  // again. An unopenable file loses the file copy only.
  void openLog();
  // The file openLog writes to (shell variable `output` placed in the writing search path);
  // empty when the log goes to the screen only.
  static std::string filePath();
  // Closes the file and drops all further messages (tests, end of run).
  void closeLog();
  void flushLog();

  // Sets the level of the message parts that follow.
  LogStream& log(int messageLevel) {
    level = messageLevel;
    return *this;
  }

  bool isOpen() const { return toScreen || toFile; }

  LogStream& operator<<(const char* text);  // null is skipped
  LogStream& operator<<(const std::string& text) { return put(text); }
  LogStream& operator<<(std::string_view text) { return put(text); }
  LogStream& operator<<(char c) { return put(c); }
  LogStream& operator<<(bool b) { return put(b); }
  LogStream& operator<<(short v) { return put(v); }
  LogStream& operator<<(int v) { return put(v); }
  LogStream& operator<<(unsigned v) { return put(v); }
  LogStream& operator<<(long v) { return put(v); }
  LogStream& operator<<(unsigned long v) { return put(v); }
  LogStream& operator<<(long long v) { return put(v); }
  LogStream& operator<<(unsigned long long v) { return put(v); }
  LogStream& operator<<(float v) { return put(static_cast<double>(v)); }
  LogStream& operator<<(double v) { return put(v); }
  LogStream& operator<<(long double v) { return put(v); }
  LogStream& operator<<(const Arc& a);  // "(tail-head)"
  // Manipulators (std::endl, std::flush, ...): the targets are flushed, then it is applied.
  LogStream& operator<<(std::ostream& (*manipulator)(std::ostream&));

  std::ofstream file;
  bool toScreen = false;
  bool toFile = false;
  int level = 0;
  // The text written so far ends with a line end (failure lines must start a line of their own).
  bool atLineStart = true;

private:
  template <class T>
  LogStream& put(const T& value) {
    if (verbose < level || !(toScreen || toFile)) return *this;
    if (toScreen) std::cout << value;
    if (toFile) file << value;
    if constexpr (std::is_same_v<T, char>) {
      atLineStart = value == '\n';
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
      const std::string_view text(value);
      if (!text.empty()) atLineStart = text.back() == '\n';
    } else {
      atLineStart = false;
    }
    return *this;
  }
};

extern LogStream logStream;

// The usual way to write: log(2) << "size: " << n << std::endl;
inline LogStream& log(int level) { return logStream.log(level); }

}  // namespace tesmo
