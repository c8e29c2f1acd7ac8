#pragma once
// The solver's front end: Tesmo <out file> <program> <sto file> <log file> [name=value ...].

namespace tesmo {

// Everything the program does in one run; returns the exit status (failures inside may end the
// process directly, after an "Error: " or "Warning: (" line in the log).
int runTesmo(int argc, char** argv);

// The steps before the log opens: program defaults, search paths, the shell variables of the
// command line and the verbosity. Refused program switches end the process with status 1.
void configureRun(int argc, char** argv);

}  // namespace tesmo
