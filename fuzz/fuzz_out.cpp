// The drawing window's .out reader (networks of median joining and reduced median).
#include "Dia_File.h"
#include "FuzzDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.out");
  TNetwork_Diagramm diagram;
  std::string error;
  if (!LoadOutFile(diagram, input.path(), &error) && error.empty())
    fuzz::Finding("the .out reader failed without saying why");
  input.check();
  return 0;
}
