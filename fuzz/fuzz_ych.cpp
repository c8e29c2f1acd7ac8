// Y-STR data files (.ych): opened by the STR editor, and imported into an rdf file by the
// calculation windows, which then read that rdf file.
#include "FuzzDialogs.h"
#include "Median_joining.h"
#include "YchFile.h"
#include "umwandl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.ych");
  TDataSet table;
  ReadYchFile(input.path(), table);
  input.check();
  if (ImportYchFile(input.path())) {
    Trdf_DataSet set;
    LoadMJDataSet(set, input.sibling("rdf"), false, true, true);
  }
  input.check({"input.rdf"});
  return 0;
}
