#pragma once
// Words typed at the console for the interactive ascents (the terminal choice of the driver, its
// pause after an ascent, the picking of the LP experiment). A run whose standard input is no
// terminal reads only what is already waiting there (a file, a closed or filled pipe), so a
// solver started without anyone at its console never waits for input; there the reads fail and
// the callers keep their automatic choice.

#include <istream>
#include <string>

namespace tesmo {

// The next whitespace-separated word; false when there is none.
bool readConsoleWord(std::string& word);
// The next word as an integer; false when there is none or it is no integer.
bool readConsoleInt(int& value);

// Reads from this stream instead of standard input (nullptr: standard input again).
void setConsoleInput(std::istream* in);

}  // namespace tesmo
