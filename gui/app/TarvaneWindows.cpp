#include "TarvaneWindows.h"

#include "Create_modifyForm.h"
#include "ForwardSimulationForm.h"
#include "Graphik_ProgrammForm.h"
#include "Median_joiningForm.h"
#include "MismatchForm.h"
#include "OberflaecheForm.h"
#include "RDF_Editor_GridForm.h"
#include "Reduced_medianForm.h"
#include "Star_contractionForm.h"
#include "Y_Editor_GridForm.h"
#include "ZeitschaetzungForm.h"

void ConnectTarvaneWindows(TUser_Menue& main) {
  using W = TUser_Menue::ToolWindow;
  main.setDataEntry(RunDataTypeDialog, CreateRdfEditor, CreateStrEditor);
  main.setToolWindowFactory(W::StarContraction, [] { return new TStar_Menue; });
  main.setToolWindowFactory(W::ReducedMedian, [] { return new TRM_Menue; });
  main.setToolWindowFactory(W::MedianJoining, [] { return new TMJ_Menue; });
  main.setToolWindowFactory(W::DrawNetwork, [] { return new TGraphik_Menue; });
  main.setToolWindowFactory(W::ForwardSimulation, CreateForwardSimulation);
  main.setToolWindowFactory(W::TimeEstimates, [] { return new TTime_estimate; });
  main.setToolWindowFactory(W::MismatchDistribution, [] { return new TMismatch_Menue; });
}
