// Formatted diagram files (.fdi), read by the drawing and time-estimation windows.
#include "FdiFile.h"
#include "FuzzDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.fdi");
  TNetwork_Diagramm diagram;
  TDrawOptions options;
  options.ShowOnlyTorso = false;
  ReadFdiFile(diagram, input.path(), options);
  input.check();
  return 0;
}
