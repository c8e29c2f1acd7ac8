#include "SearchPath.h"

#include "Check.h"
#include "LogStream.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

namespace tesmo {

SearchPath* readPath = nullptr;
SearchPath* writePath = nullptr;
std::string programPath;

namespace {

[[noreturn]] void searchPathFailure(const std::string& message, int status) {
  std::cerr << message;
  if (logStream.isOpen()) exitWithError(message.substr(0, message.find_last_not_of('\n') + 1), status);
  std::exit(status);
}

}  // namespace

SearchPath::SearchPath(const char* textOrVariable, bool writing, const char* const* environment)
    : forWriting(writing) {
  std::string list = textOrVariable ? textOrVariable : "";
  if (environment) {
    variable = list;
    const std::string prefix = variable + "=";
    const char* value = nullptr;
    for (const char* const* e = environment; *e; ++e)
      if (std::strncmp(*e, prefix.c_str(), prefix.size()) == 0) {
        value = *e + prefix.size();
        break;
      }
    if (!value)
      searchPathFailure(programPath + " error: Variable " + variable + " undefined!\n", 66);
    list = value;
  }
  if (forWriting && list.find(':') != std::string::npos)
    searchPathFailure(programPath + "error: non single path specified for writing:\n" + variable + "\n", 65);
  std::size_t start = 0;
  for (;;) {
    const std::size_t colon = list.find(':', start);
    dirs.push_back(list.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  count = static_cast<int>(dirs.size());
  for (const auto& d : dirs) longest = std::max(longest, static_cast<int>(d.size()));
  if (verbose) {
    std::cout << "Variable: " << (variable.empty() ? std::string("unset.") : variable) << "\n";
    std::cout << "Paths:\n";
    for (const auto& d : dirs) std::cout << d << "\n";
  }
}

bool SearchPath::hasSlash(const std::string& name) { return name.find('/') != std::string::npos; }

std::string SearchPath::makePath(const std::string& dir, const std::string& name) {
  if (hasSlash(name) || dir == ".") return name;
  if (!dir.empty() && dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

bool SearchPath::findInPath(const std::string& name, std::string* found) const {
  auto opens = [](const std::string& path) { return std::ifstream(path).is_open(); };
  if (hasSlash(name)) {
    const bool ok = opens(name);
    if (found) *found = ok ? name : std::string();
    return ok;
  }
  for (const auto& d : dirs) {
    const std::string path = makePath(d, name);
    if (opens(path)) {
      if (found) *found = path;
      return true;
    }
  }
  if (found) found->clear();
  return false;
}

}  // namespace tesmo
