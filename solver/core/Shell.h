#pragma once
// The solver's process-wide configuration: named text variables where the newest setting of a
// name wins, plus two one-character prefixes (phase and problem class) that let one key carry
// different values in different phases of a run.

#include <deque>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace tesmo {

class Shell {
public:
  Shell() = default;
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  int echoLevel = 0;  // non-zero: lookups with a default are echoed to the log at this level
  char phase = 0;     // current reduction-script phase character, 0 = none
  char Phase = 0;     // current problem-class letter ('W' or 'V'), 0 = none

  // Pushes a new entry in front of any older one of the same name.
  void Sset(std::string_view name, std::string_view value);
  // "name=value": splits at the first '='; ignored without '=' or with an empty side.
  void setAssignment(std::string_view text);
  // setAssignment for each text of a null-terminated array (may itself be null).
  void setAssignments(const char* const* texts);
  void setAssignments(const std::vector<std::string>& texts);

  // Text lookup; returns the default (which may be null) when no entry matches. The pointer
  // stays valid until clearVariables().
  const char* Sget(std::string_view key, const char* def = nullptr);
  // Integer lookup (leading decimal digits as atoi reads them, 0 when none).
  int Iget(std::string_view key, int def);
  double Fget(std::string_view key, double def);
  // Sget, then the part after the last '/'.
  const char* basenameGet(std::string_view key, const char* def = nullptr);
  // Lookup without echo; null when no entry matches.
  const char* lookup(std::string_view key) const;

  void clearVariables();

  // Command-file mode: reads whitespace-separated words, applying each as an assignment, until
  // "start" (true), "quit" (false) or the end of the input (true, or false when nothing was left).
  bool readCommands(std::istream& input);
  // Command-file mode: clears the table, reads the next block and re-applies `arguments`;
  // returns the value of `problem`, or null when no further block exists.
  const char* loadProblem(std::istream& input);
  std::vector<std::string> arguments;  // the program's own command-line assignments

private:
  struct Entry {
    std::string name;
    std::string value;
  };
  bool matches(const std::string& name, std::string_view key) const;
  const Entry* find(std::string_view key) const;

  std::deque<Entry> entries_;  // oldest first; a deque keeps value pointers stable on push
};

extern Shell shell;

// atoi semantics without undefined behaviour on overflow (clamped to the int range).
int parseLeadingInt(const char* text);

}  // namespace tesmo
