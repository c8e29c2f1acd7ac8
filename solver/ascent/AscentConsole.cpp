#include "AscentConsole.h"

#include <charconv>
#include <iostream>
#include <poll.h>
#include <unistd.h>

namespace tesmo {

namespace {

std::istream* override = nullptr;

// Standard input may be read without waiting for a person: it is a terminal (someone asked for
// the interactive options at it), or input (or its end) is there already.
bool standardInputReady() {
  if (isatty(STDIN_FILENO) == 1) return true;
  if (std::cin.rdbuf()->in_avail() > 0) return true;
  pollfd fd{STDIN_FILENO, POLLIN, 0};
  return poll(&fd, 1, 0) > 0 && (fd.revents & (POLLIN | POLLHUP)) != 0;
}

}  // namespace

void setConsoleInput(std::istream* in) { override = in; }

bool readConsoleWord(std::string& word) {
  word.clear();
  if (override != nullptr) return static_cast<bool>(*override >> word);
  if (!standardInputReady()) return false;
  return static_cast<bool>(std::cin >> word);
}

bool readConsoleInt(int& value) {
  std::string word;
  if (!readConsoleWord(word)) return false;
  const char* end = word.data() + word.size();
  const auto [at, error] = std::from_chars(word.data(), end, value);
  return error == std::errc() && at == end;
}

}  // namespace tesmo
