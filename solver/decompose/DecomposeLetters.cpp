#include "DecomposeLetters.h"

#include "BlockAnalyser.h"
#include "Partition.h"
#include "ScriptLetters.h"
#include "SeparatorDecompositions.h"
#include "TriCon.h"

namespace tesmo {

void registerDecomposeLetters() {
  ScriptLetters::registerLetter('b', "biConNew(&R)", biConNew);
  ScriptLetters::registerLetter('C', "triCon(&R)", triCon);
  ScriptLetters::registerLetter('Q', "quadroCon(&R)", quadroCon);
  ScriptLetters::registerLetter('P', "pentaCon(&R)", pentaCon);
  ScriptLetters::registerLetter('N', "partition(&R)", partition);
}

}  // namespace tesmo
