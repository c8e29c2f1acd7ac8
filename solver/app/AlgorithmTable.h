#pragma once
// Algorithms selected by name, and the two run modes that read their instances from files
// (a command file of problems, or one STP instance); the program entry uses neither mode.

namespace tesmo {

using AlgorithmEntry = void (*)();

// The entry of the algorithm with exactly this name; any other name writes
// "algorithm <name> not implemented!" to standard error and ends the run with status 1.
AlgorithmEntry algorithmTable(const char* name);
void runAlgorithm(const char* name);

// File output of all optimal trees ("all0.sol" the links in any of them, "all<s>.sol" tree s),
// then the network of all optimal trees saved as an STP file.
void allSolutions();

// Command-file mode: the problem of the current block (option problem) run with option
// algorithm.
void runProblem();
// Single-instance mode: the STP file of option problem solved with option algorithm (default
// reduction); option savetree names a file for the tree.
void solveInstance();
// Command-file set-up: the search paths from the environment, then every block of the command
// file named by argv[1] through runProblem. Returns the exit status.
int runCommandFile(int argc, char** argv);

}  // namespace tesmo
