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
bool ImportPhylipFile(const std::string& FileName, bool Binary);

// Sequential NEXUS (interleaved files are refused). `Binary` and the result as for ImportPhylipFile.
bool ImportNexusFile(const std::string& FileName, bool Binary);
