#pragma once
// The Y-STR data set of the STR editor and its file (.ych): named loci with weights, and per taxon
// a name, six information fields, one repeat count per locus and a frequency.
//
// File layout (text, CR LF line ends): line 1 the locus names joined by ",", line 2 the weights
// joined by ",", line 3 empty; then three lines per taxon: "name;" followed by the six information
// fields each followed by ";", the repeat counts joined by ",", and the frequency.
// Plain C++: no Qt.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ych_limits {
inline constexpr int MaxTaxa = 30000;
inline constexpr int MaxLoci = 1000;
inline constexpr std::size_t TaxonNameLength = 15;
inline constexpr std::size_t LocusNameLength = 8;
inline constexpr std::size_t InfoLength = 50;
inline constexpr int InfoCount = 6;
inline constexpr uint8_t Undetermined = 99;  // repeat value of an unknown repeat count
inline constexpr uint8_t DefaultWeight = 10;
}  // namespace ych_limits

// The texts the reader shows (a weight that is not a number shows the rdf reader's text); the
// import of .ych files shares some of them.
namespace ych_messages {
inline const std::string LociFormat = "The loci names are not given in the required format.";
inline const std::string DataFormat = "The data file is not in the required format.";
inline std::string LocusCount(int taxon) {
  return "The number of loci entered at taxon " + std::to_string(taxon) +
         " does not agree with the number of loci specified in the" +
         " first line of the file. Please correct" + " the data file and then retry.";
}
inline std::string Frequency(int taxon) {
  return "There is an error concerning the frequency of taxon number " + std::to_string(taxon) +
         ". The frequency has now been set to one.";
}
inline const std::string MaxTaxa =
    "The maximum number of taxa (30000) is attained. Please contact Movrel for help.";
inline const std::string MaxLoci =
    "The maximum number of loci (1000) is reached. Please contact Movrel for help.";
// `line` is the 1-based line of the repeat values in the file.
inline std::string BadRepeat(std::string_view value, std::string_view taxon, std::size_t line,
                             std::string_view locus) {
  return "The repeat value \"" + std::string(value) + "\" of taxon " + std::string(taxon) +
         " (line " + std::to_string(line) + ") at locus " + std::string(locus) +
         " is not a number. Please correct the data file and then try again.";
}
}  // namespace ych_messages

// One taxon (haplotype).
struct TGridSequence {
  std::vector<uint8_t> Repeats;  // one per locus; 0..99 in use, 99 undetermined
  int32_t Frequency = 1;
  // Phenotype, Geography, Lineage, Group 1, Group 2, Group 3.
  std::array<std::string, ych_limits::InfoCount> Info;
  std::string Name;  // at most 15 characters

  bool operator==(const TGridSequence&) const = default;
};

// One locus.
struct TGridLocus {
  std::string Name;             // at most 8 characters
  uint8_t DefaultRepeat = 0;    // value given to new cells of this locus
  uint8_t Weight = ych_limits::DefaultWeight;

  bool operator==(const TGridLocus&) const = default;
};

struct TDataSet {
  std::vector<TGridSequence> Sequences;  // file order
  std::vector<TGridLocus> Loci;          // file order

  bool operator==(const TDataSet&) const = default;
};

// Reads a .ych file into `Data`. Non-fatal faults (a weight or a frequency that is not a number)
// are shown and reading goes on; the first fatal fault is shown and the result is false, `Data` then
// keeps what it held before. A file that cannot be opened is fatal as well.
bool ReadYchFile(const std::string& FileName, TDataSet& Data);
// The same from the file's contents in memory.
bool ReadYchText(std::string_view Text, TDataSet& Data);

// Writes `Data` as a .ych file (names cut to their limits). False, after a message, when the file
// cannot be written; an existing file is then left as it was.
bool WriteYchFile(const std::string& FileName, const TDataSet& Data);
// The text WriteYchFile writes.
std::string YchText(const TDataSet& Data);

// One repeat value of a .ych repeat line (blanks around it ignored): a whole number 0..255 is
// itself, an empty value 0, "-1" 255; anything else (a microvariant such as "12.2", a value above
// 255, another negative number, other text) is Undetermined rather than a wrapped or cut number.
uint8_t YchRepeatValue(std::string_view Text);
// Whether a repeat line may hold `Text` (blanks around it ignored): a whole number, a microvariant
// such as "12.2", "-1" or nothing for an empty cell, or "?" for an unknown count. Any other text
// ("2l", "1a", "-21") is a typing error, which both readers refuse instead of taking it as
// undetermined.
bool IsYchRepeatValue(std::string_view Text);
