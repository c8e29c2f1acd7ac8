#pragma once
// Reading networks into a diagram: .out network files of the median-joining and reduced-median
// calculations, .sto result files of the solver (which embed the .out network) and the older
// fixed-column .dia diagram files. Files are read as they are: CR LF, LF and CR all end a line, and
// the file on disk is never rewritten.

#include "Network_Diagramm.h"

#include <string>
#include <vector>

// Reads a .out file into `diagram` (cleared first). Positions are not read: the diagram is laid out
// afterwards. Shows the long-links warning when mutation lists were cut. False with `error` set
// when the file cannot be read, was cut off (characters or taxa left unnamed after its weights,
// or its last line incomplete with no names to vouch for the rest, so a cut file is never drawn
// half-named), or holds a negative frequency or a frequency total past an int.
bool LoadOutFile(TNetwork_Diagramm& diagram, const std::string& fileName,
                 std::string* error = nullptr);

// Reads a .sto file into `diagram` (cleared first): its network section and the Steiner trees and
// network. Link numbers outside the network are dropped. False with `error` set when the file
// cannot be read, a count or link number is not an integer, a section has no "End" line or no
// network section exists (a cut-off file), a tree's link count disagrees with its link lines, or
// the embedded network was cut off as a .out file can be.
bool LoadStoFile(TNetwork_Diagramm& diagram, const std::string& fileName,
                 std::string* error = nullptr);

// Reads .out network lines from lines[pos] up to and including the first line beginning "End" (or
// to the end) into `diagram`, and finishes the nodes (labels, totals, equivalent frequencies, one
// pie each). Leaves `pos` after the consumed lines.
// Throws std::runtime_error on a negative frequency, or when the frequencies add up past an int.
void ReadOutNetworkSection(TNetwork_Diagramm& diagram, const std::vector<std::string>& lines,
                           std::size_t& pos);

// Reads a .dia file into `diagram` (cleared first). Shows the reader's messages itself; false after
// an error.
bool LoadDiaFile(TNetwork_Diagramm& diagram, const std::string& fileName);
