#pragma once
// Small pieces of the STP text format shared by its reader and writer.

#include <string_view>

namespace tesmo {

bool equalsIgnoringCase(std::string_view a, std::string_view b);
// The line without trailing blanks, tabs and carriage returns.
std::string_view trimmedRight(std::string_view line);
// Whether a line opens a section: "section" in its first seven characters and the name from
// the ninth on, both in any case.
bool isSectionLine(std::string_view line, std::string_view name);
// Problem files whose name contains "txt" are plain lists of numbers.
inline bool isPlainNumericName(std::string_view fileName) {
  return fileName.find("txt") != std::string_view::npos;
}

}  // namespace tesmo
