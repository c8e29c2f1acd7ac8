#pragma once
// The .out network file: fixed columns, CR LF line ends. The layout helpers here serve both
// writers (median joining and reduced median); each writer strings its sections together.

#include "MJDistanceCache.h"
#include "RDF_DataSet_Definition.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TMJCalculation;

namespace outfile {

inline constexpr std::string_view LineEnd = "\r\n";
inline constexpr const char* SavedMessage =
    "File saved successfully. You may proceed to the Draw Network menu to draw your *.out file.";
inline constexpr const char* MJFilter = "Tarvane output files (*.out)|*.out";
// The fixed columns hold median-vector names up to mv9999. Link numbers have no limit: from
// 100000 on they push the rest of their line to the right, which the readers allow for.
inline constexpr int MaxMedianVectors = 9999;
inline constexpr const char* TooLargeMessage =
    "The network is too large for the .out file format (at most 9999 median vectors). The file "
    "has not been written.";

// Padded with leading blanks to `width`; a longer value is kept whole.
std::string RightJustify(std::string_view text, std::size_t width);
std::string RightJustify(long long value, std::size_t width);
// Padded with trailing blanks to `width`; a longer value is kept whole.
std::string LeftJustify(std::string_view text, std::size_t width);
std::string StarLine();
// True for a median-vector name: it begins "mv" in any letter case.
bool IsMedianVectorName(std::string_view name);
// How a sequence is referred to: a median vector by its name, any other by its number.
std::string SequenceKey(std::string_view name, int number);
// The header's reduction threshold: 23 characters of scientific notation (" 2.00000000000000E+0000").
std::string ScientificThreshold(double value);

// How the two characters after a mutation's character number are written.
enum class MutationMarks {
  Blank,         // two blanks (binary data, reduced median)
  Substitution,  // " b" for a transversion, " a" otherwise
  States,        // the two states (amino-acid data)
};
// One 9-character mutation field: the character number left-justified in 6, two marks, a blank.
std::string MutationField(int character, char stateA, char stateB, MutationMarks marks);
// One "Link" line. `keyA`/`keyB` are the sequence keys; `mutations` the fields already joined.
std::string LinkLine(int number, int state, std::string_view keyA, std::string_view keyB,
                     std::string_view mutations);
// The mutation fields of the link between taxa a and b (1-based): the active characters where
// their states differ, in character order.
std::string LinkMutations(const Trdf_DataSet& data, int a, int b, MutationMarks marks);

// Section writers; every line ends in CR LF.
void AppendLine(std::string& out, std::string_view line);
// "Equivalent taxa : " and an empty line (always, or only when a pair follows), the pairs, and
// the empty line after them.
void AppendEquivalentTaxa(std::string& out, const Trdf_DataSet& data, bool headerAlways);
// "Final links : ", an empty line and one line per link (nothing when there are none).
void AppendLinks(std::string& out, const Trdf_DataSet& data, const TMJLinkList& links,
                 MutationMarks marks);
// One frequency line.
std::string FrequencyLine(std::string_view key, int frequency, std::size_t width);
// Weight lines: every character with its number left-justified (median joining), or only active
// characters with the number right-justified (reduced median).
void AppendWeights(std::string& out, const Trdf_DataSet& data, bool onlyActiveRightJustified);
void AppendCharacterMappings(std::string& out, const Trdf_DataSet& data);
// The "Mapping of taxon" and "Other information of taxon" lines of one taxon.
void AppendTaxonMapping(std::string& out, std::string_view key, const Trdf_Sequence& taxon);

// The proposed name (the data file name with its last three characters replaced by "out") in a
// save dialog; the chosen name made to end in ".out". Nothing when cancelled.
std::optional<std::string> AskOutFileName(const std::string& dataFileName,
                                          const std::string& filter);
// Writes the bytes; false (after a message) when the file cannot be written.
bool WriteOutText(const std::string& fileName, const std::string& text);

}  // namespace outfile

// The median-joining .out text of a finished calculation. `dataFileName` is the name in the header.
std::string MJOutText(const TMJCalculation& calc, const std::string& dataFileName);
// True when the network fits the file's fixed columns; otherwise shows why and returns false.
bool MJNetworkFitsOutFile(const TMJCalculation& calc);
// The save dialog, the file and the closing message. False when cancelled, refused or not written.
bool WriteMJOutFile(const TMJCalculation& calc, const std::string& dataFileName);
// After a calculation: with links, WriteMJOutFile; without, the user is told that nothing was
// written.
bool SaveMJNetwork(const TMJCalculation& calc, const std::string& dataFileName);
namespace outfile {
inline constexpr const char* NoLinksMessage =
    "The calculation found no links between the sequences, so no network file was written.";
}
