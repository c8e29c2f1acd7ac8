// Fixed-column .dia diagram files, read by the drawing and time-estimation windows.
#include "Dia_File.h"
#include "FuzzDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.dia");
  TNetwork_Diagramm diagram;
  LoadDiaFile(diagram, input.path());
  input.check();
  return 0;
}
