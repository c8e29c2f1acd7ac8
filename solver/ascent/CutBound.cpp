#include "CutBound.h"

#include "Check.h"
#include "DisplayHooks.h"
#include "LogStream.h"
#include "Shell.h"

namespace tesmo {

namespace {

constexpr const char* noRowGeneration = "No LP library available, row-generation not possible!";

}  // namespace

void cutBound(ReduceGraph& R) { exitWithWarning(noRowGeneration, 27, "cuts", R.warningDump()); }

void cutRelax(ReduceGraph& R) { cutBound(R); }

void ascent2(ReduceGraph& R) {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  shell.Iget("root", 1);
  shell.Iget("animate", 0);
  shell.Iget("equality", 0);
  shell.echoLevel = echo == 3 ? 0 : echo;
  log(3) << "\n";
  display(R);
  log(3) << "enter terminals\n";
  // Terminals are picked on a display until one is picked twice; without a display every pick
  // names the same vertex, so no chain of two terminals forms and nothing is cut off.
  getReq(R);
}

}  // namespace tesmo
