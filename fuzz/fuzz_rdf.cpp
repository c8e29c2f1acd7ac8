// rdf data files and their relatives (.ami, .rmf, .sco), read by every window that opens one.
#include "ForwardSimulation.h"
#include "FuzzDialogs.h"
#include "Median_joining.h"
#include "Reduced_median.h"
#include "Star_contraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InstallDialogs();
  const fuzz::Input input(data, size, "input.rdf");
  Trdf_DataSet set;
  LoadMJDataSet(set, input.path(), false, true, true);   // median joining, nucleotides
  LoadMJDataSet(set, input.path(), true, true, false);   // median joining, amino acids (.ami)
  LoadRMDataSet(set, input.path(), true);                // reduced median
  LoadStarDataSet(set, input.path(), false, true, true); // star contraction
  LoadStarDataSet(set, input.path(), true, false, true); // star contraction of an .ami/.rmf
  TPopulation population;                                // forward simulation start
  if (ReadRdfPopulation(input.path(), population)) CompatiblePopulation(population);
  input.check();
  return 0;
}
