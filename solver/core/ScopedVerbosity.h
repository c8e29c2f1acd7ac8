#pragma once
// Saves the log verbosity and the shell's phase characters on entry to a nested solve and puts
// back what was there when it goes, however the scope is left.

#include "LogStream.h"
#include "Shell.h"

namespace tesmo {

class ScopedVerbosity {
public:
  // Keeps the current verbosity.
  ScopedVerbosity() = default;
  // Replaces the verbosity for the scope.
  explicit ScopedVerbosity(int verbosity) { verbose = verbosity; }
  ~ScopedVerbosity() {
    verbose = savedVerbose_;
    shell.phase = savedPhase_;
    shell.Phase = savedClass_;
  }
  ScopedVerbosity(const ScopedVerbosity&) = delete;
  ScopedVerbosity& operator=(const ScopedVerbosity&) = delete;

private:
  int savedVerbose_ = verbose;
  char savedPhase_ = shell.phase;
  char savedClass_ = shell.Phase;
};

}  // namespace tesmo
