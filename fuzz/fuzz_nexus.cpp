// Sequential NEXUS files, imported as they are (median joining) and recoded to binary (reduced
// median), then read back from the rdf file the import wrote.
#include "FuzzDialogs.h"
#include "Median_joining.h"
#include "Reduced_median.h"
#include "umwandl.h"

#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.nex");
  Trdf_DataSet set;
  if (ImportNexusFile(input.path(), false)) LoadMJDataSet(set, input.sibling("rdf"), false, true, true);
  input.check({"input.rdf"});
  std::filesystem::remove(input.sibling("rdf"));
  if (ImportNexusFile(input.path(), true)) LoadRMDataSet(set, input.sibling("rdf"), true);
  input.check({"input.rdf"});
  return 0;
}
