// The solver's .out reader: the instance it builds must be one the solver can take.
#include "FuzzInput.h"
#include "LogStream.h"
#include "OutReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::Input input(data, size, "input.out");
  tesmo::Graph g;
  tesmo::NameSpace names(9, 100, false);  // as the front end makes it
  std::string error;
  if (tesmo::parseOutFile(input.path(), g, names, error)) {
    // readOutFile's next step; it ends the run on an instance without edges or terminals.
    if (g.E > 0 && g.R > 0 && g.V > 0) g.buildAdjacency();
  } else if (error.empty()) {
    fuzz::Finding("the .out reader failed without saying why");
  }
  input.check();
  return 0;
}
