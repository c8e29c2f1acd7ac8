#include "CalcWindowParts.h"

#include "FormScaling.h"
#include "Oberflaeche.h"
#include "UHelp.h"
#include "umwandl.h"

#include <cctype>

namespace calcform {

std::string FileType(const std::string& fileName) {
  std::string type = fileName.size() >= 3 ? fileName.substr(fileName.size() - 3) : fileName;
  for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return type;
}

std::optional<std::string> ImportedRdfName(const std::string& chosen, bool binary,
                                           bool& aminoAcids) {
  const std::optional<TImportedFile> file = ImportDataFile(chosen, binary);
  aminoAcids = file && file->AminoAcids;
  if (!file) return std::nullopt;
  return file->RdfName;
}

std::optional<std::string> ImportedRdfName(const std::string& chosen, bool binary) {
  bool aminoAcids = false;
  return ImportedRdfName(chosen, binary, aminoAcids);
}

void KeepAlive() { KeepUIAlive(); }

void ScaleWindow(QWidget& window, int designWidth, int designHeight) {
  const QSize screen = ScreenSizeOr(QSize());
  ScaleForm(window, designWidth, designHeight,
            ComputeScreenScaling(screen.width(), screen.height()));
}

}  // namespace calcform
