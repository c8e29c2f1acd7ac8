#pragma once
// Small pieces every calculation window uses: opening foreign data files through the imports,
// the keep-alive step and screen scaling.

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace calcform {
// The file to read for a chosen data file: a .tor, .ych, .phy or .nex file (any letter case) is
// imported first and its .rdf name returned (PHYLIP and NEXUS recoded to binary with `binary`);
// nothing when the import failed or was declined.
std::optional<std::string> ImportedRdfName(const std::string& chosen, bool binary);
// The same with whether the imported alignment holds amino acids.
std::optional<std::string> ImportedRdfName(const std::string& chosen, bool binary,
                                           bool& aminoAcids);
// The upper-cased last three characters of a file name.
std::string FileType(const std::string& fileName);
void KeepAlive();
// Sizes a window from its design size for this screen.
void ScaleWindow(QWidget& window, int designWidth, int designHeight);
}  // namespace calcform
