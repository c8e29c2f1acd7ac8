#pragma once
// The default settings of each program of the solver's command line.

namespace tesmo {

// Applies the defaults of program switch c ('1' to '4') to the shell. '5' and anything else are
// refused on standard error with status 1 (the log is not open yet).
void setProgramDefaults(char program);

// The settings of program 1, "name=value", null-terminated.
extern const char* const heuristicProgramDefaults[];

// The settings of programs 2 to 4, each "name=value" with the name made of class letter, phase
// and key; null-terminated.
extern const char* const exactProgramDefaults[];

}  // namespace tesmo
