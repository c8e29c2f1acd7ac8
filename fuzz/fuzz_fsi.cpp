// Start populations of the forward simulation (.fsi).
#include "ForwardSimulation.h"
#include "FuzzDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.fsi");
  TPopulation population;
  if (ReadFsiFile(input.path(), population)) CompatiblePopulation(population);
  input.check();
  return 0;
}
