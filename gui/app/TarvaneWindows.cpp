#include "TarvaneWindows.h"

#include "Create_modifyForm.h"
#include "Graphik_ProgrammForm.h"
#include "Median_joiningForm.h"
#include "OberflaecheForm.h"
#include "RDF_Editor_GridForm.h"

void ConnectTarvaneWindows(TUser_Menue& main) {
  using W = TUser_Menue::ToolWindow;
  main.setDataEntry(RunDataTypeDialog, CreateRdfEditor, {});
  main.setToolWindowFactory(W::MedianJoining, [] { return new TMJ_Menue; });
  main.setToolWindowFactory(W::DrawNetwork, [] { return new TGraphik_Menue; });
}
