#pragma once
// The mismatch distribution of a data set: how many pairs of individuals differ in k characters,
// for every k, and the mean number of pairwise differences. Plain C++, no Qt.

#include "RDF_DataSet_Definition.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mismatch {
// The states a mismatch data set accepts.
inline constexpr std::string_view AllowedStates = "-.01?ABCDGHKMNRSTVWY";
inline constexpr const char* OpenFilter =
    "DNA data Files (*.rdf)|*.rdf|RFLP data files (*.tor)|*.tor|Y-chromosomal data files "
    "(*.ych)|*.ych";
}  // namespace mismatch

// Counts of pairs of individuals by their number of differences.
struct TMismatchHistogram {
  // Counts[k]: pairs differing in k active characters. Has MaxK + 1 classes (at least one).
  std::vector<std::int64_t> Counts = std::vector<std::int64_t>(1, 0);
  int MaxK = 0;
  std::int64_t MaxCount = 0;

  std::int64_t Total() const;
  // Mean number of differences over all pairs; 0 without pairs.
  double Mean() const;
};

// Over the active taxa: f x (f - 1) / 2 pairs within a taxon of frequency f (no differences) and
// f_i x f_j pairs between two taxa, counted in the class of the number of active characters
// whose states differ (plain comparison: no ambiguity codes, no weights).
TMismatchHistogram ComputeMismatch(const Trdf_DataSet& data);

// "Unweighted mean pairwise difference: " followed by the mean with 3 decimals in 8 characters.
std::string MeanCaption(double mean);

// Reads a data file for the mismatch window: .tor and .ych files (by their last three characters,
// any case) are translated into an .rdf file beside them first, which is then read. `data` gets
// the mismatch states, and the blanks of the names are removed. False (data set empty) when the
// import or the reading failed; the messages were shown. `rdfName` is the file read.
bool LoadMismatchData(const std::string& fileName, Trdf_DataSet& data, std::string& rdfName);
