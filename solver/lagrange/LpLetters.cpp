#include "InteriorPoint.h"
#include "LpFiles.h"
#include "ScriptLetters.h"
#include "Shell.h"

namespace tesmo {

void registerLpLetters() {
  ScriptLetters::registerLetter('W', "LP(&R,shell.Sget(\"writeLP\",0))",
                                [](ReduceGraph& R) { LP(R, shell.Sget("writeLP")); });
  ScriptLetters::registerLetter('w', "readLP(&R,shell.Sget(\"readLP\",0))",
                                [](ReduceGraph& R) { readLP(R, shell.Sget("readLP")); });
  ScriptLetters::registerLetter('.', "ip(&R)", ip);
}

}  // namespace tesmo
