#include "Shell.h"

#include "LogStream.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace tesmo {

Shell shell;

int parseLeadingInt(const char* text) {
  if (!text) return 0;
  errno = 0;
  const long v = std::strtol(text, nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

void Shell::Sset(std::string_view name, std::string_view value) {
  entries_.push_back(Entry{std::string(name), std::string(value)});
}

void Shell::setAssignment(std::string_view text) {
  const auto eq = text.find('=');
  if (eq == std::string_view::npos || eq == 0 || eq + 1 == text.size()) return;
  Sset(text.substr(0, eq), text.substr(eq + 1));
}

void Shell::setAssignments(const char* const* texts) {
  if (!texts) return;
  for (; *texts; ++texts) setAssignment(*texts);
}

void Shell::setAssignments(const std::vector<std::string>& texts) {
  for (const auto& t : texts) setAssignment(t);
}

// A name matches the key itself, or the key behind the phase, the class letter, or both (class
// letter first). A prefix of 0 never matches.
bool Shell::matches(const std::string& name, std::string_view key) const {
  if (name == key) return true;
  if (name.size() == key.size() + 1 && name[0] != 0 &&
      (name[0] == phase || name[0] == Phase) && std::string_view(name).substr(1) == key)
    return true;
  return name.size() == key.size() + 2 && Phase != 0 && phase != 0 && name[0] == Phase &&
         name[1] == phase && std::string_view(name).substr(2) == key;
}

const Shell::Entry* Shell::find(std::string_view key) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (matches(it->name, key)) return &*it;
  return nullptr;
}

const char* Shell::lookup(std::string_view key) const {
  const Entry* e = find(key);
  return e ? e->value.c_str() : nullptr;
}

const char* Shell::Sget(std::string_view key, const char* def) {
  const Entry* e = find(key);
  if (echoLevel && def) {
    if (e)
      log(echoLevel) << key << "=" << e->value << "\n";
    else
      log(echoLevel) << key << "=" << def << " (default)\n";
  }
  return e ? e->value.c_str() : def;
}

int Shell::Iget(std::string_view key, int def) {
  const Entry* e = find(key);
  const int value = e ? parseLeadingInt(e->value.c_str()) : def;
  if (echoLevel) log(echoLevel) << key << "=" << value << (e ? "\n" : " (default)\n");
  return value;
}

double Shell::Fget(std::string_view key, double def) {
  const Entry* e = find(key);
  const double value = e ? std::strtod(e->value.c_str(), nullptr) : def;
  if (echoLevel) log(echoLevel) << key << "=" << value << (e ? "\n" : " (default)\n");
  return value;
}

const char* Shell::basenameGet(std::string_view key, const char* def) {
  const char* v = Sget(key, def);
  if (!v) return v;
  const char* slash = std::strrchr(v, '/');
  return slash ? slash + 1 : v;
}

void Shell::clearVariables() { entries_.clear(); }

bool Shell::readCommands(std::istream& input) {
  std::string word;
  if (!(input >> word)) {
    log(3) << "Program terminated (no further 'starts').\n\n";
    return false;
  }
  do {
    if (word.size() > 399) word.resize(399);  // words are at most 399 characters
    if (word == "start") return true;
    if (word == "quit") {
      log(3) << "Program terminated with 'quit'." << std::endl;
      return false;
    }
    setAssignment(word);
  } while (input >> word);
  return true;
}

const char* Shell::loadProblem(std::istream& input) {
  clearVariables();
  if (!readCommands(input)) return nullptr;
  setAssignments(arguments);
  return lookup("problem");
}

}  // namespace tesmo
