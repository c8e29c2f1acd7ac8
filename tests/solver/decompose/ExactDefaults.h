#pragma once
// The options of program 2 (the scripts the nested exact solves run) with the class letter of
// few terminals, plus the given settings. Call inside a LogCapture, which puts the shell back.

#include "ProgramDefaults.h"
#include "Shell.h"

#include <string>
#include <vector>

namespace decomposetest {

inline void exactDefaults(const std::vector<std::string>& settings = {}) {
  tesmo::shell.clearVariables();
  tesmo::setProgramDefaults('2');
  tesmo::shell.Phase = 'W';
  tesmo::shell.setAssignments(settings);
}

}  // namespace decomposetest
