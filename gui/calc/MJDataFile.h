#pragma once
// How the median-joining window comes from a chosen data file to the file it reads and the state
// sets it reads it with. Shared with the benchmark, so both read every file type alike.

#include <optional>
#include <string>

struct TMJDataFile {
  std::string RdfName;      // the file to read (the .rdf of an imported file)
  std::string Type;         // the chosen file's upper-cased last three characters
  bool AminoAcids = false;  // read with the amino-acid states
};

// Imports a .tor, .ych, .phy or .nex file first (its messages shown); nothing when that failed or
// was declined. Amino-acid mode: an .ami file, an imported amino-acid alignment, or an .sco file
// that a silent reading with the nucleotide states refuses.
std::optional<TMJDataFile> PrepareMJDataFile(const std::string& chosen);
