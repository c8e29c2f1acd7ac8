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

std::optional<std::string> ImportedRdfName(const std::string& chosen, bool binary) {
  const std::string type = FileType(chosen);
  bool imported = true;
  if (type == "TOR")
    imported = ImportTorFile(chosen);
  else if (type == "YCH")
    imported = ImportYchFile(chosen);
  else if (type == "PHY")
    imported = ImportPhylipFile(chosen, binary);
  else if (type == "NEX")
    imported = ImportNexusFile(chosen, binary);
  else
    return chosen;
  std::string rdfName = chosen;
  if (!imported || !ChangeFileExtension("rdf", chosen, rdfName)) return std::nullopt;
  return rdfName;
}

void KeepAlive() { KeepUIAlive(); }

void ScaleWindow(QWidget& window, int designWidth, int designHeight) {
  const QSize screen = ScreenSizeOr(QSize());
  ScaleForm(window, designWidth, designHeight,
            ComputeScreenScaling(screen.width(), screen.height()));
}

}  // namespace calcform
