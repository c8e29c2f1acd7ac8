// RFLP site lists (.tor), imported into an rdf file that the windows then read.
#include "FuzzDialogs.h"
#include "Median_joining.h"
#include "Reduced_median.h"
#include "umwandl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.tor");
  if (ImportTorFile(input.path())) {
    Trdf_DataSet set;
    LoadMJDataSet(set, input.sibling("rdf"), false, true, true);
    LoadRMDataSet(set, input.sibling("rdf"), true);
  }
  input.check({"input.rdf"});
  return 0;
}
