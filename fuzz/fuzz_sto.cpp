// The drawing window's .sto reader (the solver's results with their network).
#include "Dia_File.h"
#include "FuzzDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.sto");
  TNetwork_Diagramm diagram;
  std::string error;
  if (!LoadStoFile(diagram, input.path(), &error) && error.empty())
    fuzz::Finding("the .sto reader failed without saying why");
  input.check();
  return 0;
}
