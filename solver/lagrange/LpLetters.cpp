#include "InteriorPoint.h"
#include "LpFiles.h"
#include "ScriptLetters.h"
#include "Shell.h"

namespace tesmo {

void registerLpLetters() {
  ScriptLetters::registerLetter('W', "LP(&R)", [](ReduceGraph& R) { LP(R, shell.Sget("writeLP")); });
  ScriptLetters::registerLetter('w', "readLP(&R)", [](ReduceGraph& R) { readLP(R, shell.Sget("readLP")); });
  ScriptLetters::registerLetter('.', "ip(&R)", ip);
}

}  // namespace tesmo
