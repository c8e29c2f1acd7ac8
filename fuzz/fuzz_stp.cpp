// The solver's STP reader, in both its forms: the sectioned text, and the plain numeric one that a
// file name containing "txt" selects.
#include "FuzzInput.h"
#include "StpReader.h"

namespace {

void Read(const uint8_t* data, size_t size, const char* name) {
  const fuzz::Input input(data, size, name);
  tesmo::Graph g;
  tesmo::StpReader reader;
  if (!reader.read(g, input.path()) && reader.error().empty())
    fuzz::Finding("the STP reader failed without saying why");
  input.check();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Read(data, size, "input.stp");
  Read(data, size, "input.txt");
  return 0;
}
