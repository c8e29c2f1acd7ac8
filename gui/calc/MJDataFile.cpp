#include "MJDataFile.h"

#include "Median_joining.h"
#include "umwandl.h"

#include <cctype>

std::optional<TMJDataFile> PrepareMJDataFile(const std::string& chosen) {
  const std::optional<TImportedFile> imported = ImportDataFile(chosen, false);
  if (!imported) return std::nullopt;
  TMJDataFile file;
  file.RdfName = imported->RdfName;
  file.Type = chosen.size() >= 3 ? chosen.substr(chosen.size() - 3) : chosen;
  for (char& c : file.Type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  file.AminoAcids = imported->AminoAcids || file.Type == "AMI";
  if (file.Type == "SCO") {
    Trdf_DataSet probe;
    file.AminoAcids = !LoadMJDataSet(probe, file.RdfName, false, false, false);
  }
  return file;
}
