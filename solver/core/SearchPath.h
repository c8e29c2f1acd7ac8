#pragma once
// An ordered list of directories in which the solver looks for input files and places output
// files. The list "." uses every name unchanged.

#include <string>
#include <vector>

namespace tesmo {

class SearchPath {
public:
  // Without an environment the first argument is the list itself ("a:b/"). With one, it names
  // the variable holding the list; a missing variable ends the run with status 66, a writing list
  // of more than one directory with status 65.
  SearchPath(const char* textOrVariable, bool forWriting, const char* const* environment = nullptr);

  // The name alone when it contains '/' or dir is "."; else dir, a '/' unless dir ends with one,
  // and the name.
  static std::string makePath(const std::string& dir, const std::string& name);
  static bool hasSlash(const std::string& name);

  // The first path that opens for reading ("" when none); a name with '/' is tried unchanged.
  bool findInPath(const std::string& name, std::string* found = nullptr) const;

  const char* firstDirectory() const { return dirs.front().c_str(); }

  std::string variable;  // empty when the list was given directly
  int count = 0;
  int longest = 1;
  std::vector<std::string> dirs;
  bool forWriting = false;
};

// The reading and the writing list of the run (set up by the program entry; null before).
extern SearchPath* readPath;
extern SearchPath* writePath;
// The program's own path (argument 0), used in start-up messages.
extern std::string programPath;

}  // namespace tesmo
