#pragma once
// Imports of foreign data files: RFLP site lists (.tor), Y-STR repeat tables (.ych), sequential
// PHYLIP (.phy) and sequential NEXUS (.nex). Each is translated into an rdf file of the same name
// with the extension ".rdf" beside the input, which the calling window then reads with
// Trdf_DataSet::ReadRdfFile.
//
// An existing .rdf file is overwritten only after the user agreed (dialogs()). The new file is
// written beside the target under a temporary name and renamed only when complete, so a failed
// import never leaves a half-written .rdf behind and an existing one stays byte-identical.
// Every failure is reported through dialogs(). Plain C++: no Qt.

#include <optional>
#include <string>

// RFLP site list. True when the .rdf file is there for the caller to read: written now, or an
// existing one kept because the user declined to overwrite it. False after an error message
// (nothing written; do not read the .rdf then).
bool ImportTorFile(const std::string& FileName);

// Y-STR repeat table (.ych); each locus is recoded into binary threshold characters. Result as for
// ImportTorFile.
bool ImportYchFile(const std::string& FileName);

// Sequential PHYLIP. With `Binary` every kept character is recoded to '0'/'1' (the reduced-median
// calculation) and multistate characters are dropped. True only when the .rdf file was written;
// false after an error message or when the user declined to overwrite an existing .rdf.
// `AminoAcids`, when given, tells whether the alignment holds amino acids: a state that is a
// residue letter and no nucleotide code (E, F, I, L, P, Q, U, X, Z). The rdf layout the import
// writes has no place for it, so the caller must read the .rdf with the amino-acid states then.
bool ImportPhylipFile(const std::string& FileName, bool Binary, bool* AminoAcids = nullptr);

// Sequential NEXUS (interleaved files are refused). `Binary`, `AminoAcids` and the result as for
// ImportPhylipFile.
bool ImportNexusFile(const std::string& FileName, bool Binary, bool* AminoAcids = nullptr);

// The file a window reads for a chosen data file: a .tor, .ych, .phy or .nex file (the last three
// characters in any letter case) is imported first (PHYLIP and NEXUS recoded to binary with
// `Binary`) and its .rdf name given, with whether it holds amino acids; any other file is read as
// it is. Nothing when the import failed or was declined.
struct TImportedFile {
  std::string RdfName;
  bool AminoAcids = false;
};
std::optional<TImportedFile> ImportDataFile(const std::string& Chosen, bool Binary);
