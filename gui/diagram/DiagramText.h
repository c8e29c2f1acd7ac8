#pragma once
// Small text helpers shared by the diagram file readers and writers.

#include <optional>
#include <string>
#include <string_view>

namespace diagramtext {

// The `count` characters of `line` from 1-based column `from`; fewer when the line is shorter.
std::string Columns(std::string_view line, std::size_t from, std::size_t count);
// From 1-based column `from` to the end of the line.
std::string ColumnsFrom(std::string_view line, std::size_t from);

// A decimal integer with an optional sign, surrounded by blanks or not; nothing when the text is
// anything else or does not fit 32 bits.
std::optional<int> ParseInteger(std::string_view text);
// A decimal real number, surrounded by blanks or not.
std::optional<double> ParseReal(std::string_view text);

// The number of an information group from the text after "Group" or "TAXON_GROUP" ("2" gives 2,
// "007" gives 7): -1 when the text does not start with a digit or the number does not fit an int,
// so a file's oversized group number is passed over like any other unknown one.
int GroupNumber(std::string_view text);

// Shown after reading when links had more mutations than a link can keep.
std::string LongEdgesWarning();

}  // namespace diagramtext
