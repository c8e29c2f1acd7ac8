#pragma once
// Small stateless helpers shared by the windows and file formats: deriving file names from other
// file names, counting and reading text files, string scans, and the style names stored in diagram
// files. Positions are 1-based, as everywhere in the program.

#include <istream>
#include <string>
#include <string_view>
#include <vector>

// The number of lines of an open text stream up to its end (a last line without a line end counts;
// CR LF, LF and a lone CR each end a line). The stream is then reset to its start.
int CountTextFileLines(std::istream& file);

// Splits text into lines; CR LF, LF and a lone CR each end a line. A line end at the very end of the
// text does not start another (empty) line.
std::vector<std::string> SplitTextLines(std::string_view text);

// Reads a whole file into `text`, bytes as they are. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& fileName, std::string& text);
// Writes `bytes` as the whole file: to a temporary file beside it first, which then replaces it, so
// a failed write leaves an existing file as it was. False on any failure (no temporary file stays).
bool WriteWholeFile(const std::string& fileName, std::string_view bytes);
// Reads a file and splits it with SplitTextLines. False when it cannot be opened or read.
bool ReadTextFileLines(const std::string& fileName, std::vector<std::string>& lines);

// Position (0-based) where the extension's '.' stands in the last path component of `fileName`,
// or std::string::npos when that component has none. A component's leading '.' (a hidden name such
// as ".data") is not an extension.
std::size_t ExtensionDotIndex(std::string_view fileName);

// `result` := the name without its extension + "." + extension. The extension must have 3 or 4
// characters; otherwise "Wrong file extension. Please correct" is shown, `result` is left as it
// was and the result is false.
bool ChangeFileExtension(const std::string& extension, const std::string& fileName,
                         std::string& result);

// Makes `fileName` end in "." + extension (exact, case-sensitive): a name already ending so stays,
// otherwise its extension (if any) is replaced. Applied to every name a save dialog returns.
void ForceFileExtension(const std::string& extension, std::string& fileName);

// The integer formed by the decimal digits at the end of the text ("Spin_3" gives 3). Throws
// std::invalid_argument when the text does not end in a digit, std::out_of_range when too large.
int TrailingNumber(std::string_view text);

// The integer formed by the decimal digits at the start of the text; -1 when the text is empty or
// does not start with a digit.
int LeadingNumber(std::string_view text);

// Position of the last occurrence of `c`, 0 when none.
int LastCharPos(std::string_view text, char c);

// Position of the first occurrence of `c` among positions 1 .. length-1; otherwise the length of the
// text (a `c` found only at the last position, or not at all, both give the length); 1 for an empty
// text. The ';'-separated readers cut their fields with it.
int FirstCharPos(std::string_view text, char c);

// Rewrites a text file whose lines are ended by a bare LF with CR LF line ends. A file without any
// bare LF is left untouched. Uses a temporary file beside the given one. False when the file cannot
// be read or the new one cannot be written (the given file then stays as it was).
bool NormaliseLineEnds(const std::string& fileName);

// "solid" 0, "clear" 1, "horizontal" 2, "vertical" 3, "forward diagonal" 4, "backward diagonal" 5,
// "cross" 6, "diagonal cross" 7; any other name gives `defaultStyle`.
int BrushStyleFromName(std::string_view name, int defaultStyle);
// "solid" 0, "----" 1, "...." 2, "_._." 3, "_.._.." 4, "clear" 5; any other name gives `defaultStyle`.
int PenStyleFromName(std::string_view name, int defaultStyle);

// A copy of `text` with every `c` replaced by `replacement`.
std::string ReplaceCharByString(std::string_view text, char c, std::string_view replacement);

// Rounds to the nearest integer, halves to the even neighbour (the rounding of every painted
// coordinate and size); values beyond the int range are clamped.
int RoundEven(double value);
