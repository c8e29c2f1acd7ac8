#include "AscentConsole.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <poll.h>
#include <unistd.h>

namespace tesmo {

namespace {

std::istream* override = nullptr;

// Standard input read by its descriptor, so that what has arrived is known exactly: a terminal
// is waited for (someone asked for the interactive options at it); anything else is read only
// as far as bytes (or its end) are there already.
class ConsoleReader {
public:
  bool word(std::string& out) {
    const bool wait = isatty(STDIN_FILENO) == 1;
    for (;;) {
      while (at_ < buffer_.size() && std::isspace(static_cast<unsigned char>(buffer_[at_]))) ++at_;
      std::size_t end = at_;
      while (end < buffer_.size() && !std::isspace(static_cast<unsigned char>(buffer_[end]))) ++end;
      // A word is complete at a blank, or at the end of the input.
      if (end > at_ && (end < buffer_.size() || ended_)) {
        out.assign(buffer_, at_, end - at_);
        at_ = end;
        buffer_.erase(0, at_);
        at_ = 0;
        return true;
      }
      if (!fill(wait) && !ended_) return false;
      if (ended_ && at_ >= buffer_.size()) return false;
    }
  }

private:
  bool fill(bool wait) {
    if (ended_) return false;
    if (!wait) {
      pollfd fd{STDIN_FILENO, POLLIN, 0};
      if (poll(&fd, 1, 0) <= 0) return false;
    }
    char chunk[256];
    ssize_t n = 0;
    do n = read(STDIN_FILENO, chunk, sizeof chunk);
    while (n < 0 && errno == EINTR);
    if (n <= 0) {
      ended_ = true;
      return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }

  std::string buffer_;
  std::size_t at_ = 0;
  bool ended_ = false;
};

ConsoleReader& standardInput() {
  static ConsoleReader reader;
  return reader;
}

}  // namespace

void setConsoleInput(std::istream* in) { override = in; }

bool readConsoleWord(std::string& word) {
  word.clear();
  if (override != nullptr) return static_cast<bool>(*override >> word);
  return standardInput().word(word);
}

bool readConsoleInt(int& value) {
  std::string word;
  if (!readConsoleWord(word)) return false;
  const char* end = word.data() + word.size();
  const auto [at, error] = std::from_chars(word.data(), end, value);
  return error == std::errc() && at == end;
}

}  // namespace tesmo
