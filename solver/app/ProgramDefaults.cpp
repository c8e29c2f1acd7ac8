#include "ProgramDefaults.h"

#include "Shell.h"

#include <cstdlib>
#include <iostream>

namespace tesmo {

// Class letter W: few required vertices, V: many; a digit after it restricts a setting to one
// reduction-script phase.
const char* const exactProgramDefaults[] = {
    "algorithm=exact",
    "combineSolutions=1",
    "tm_brasil=1",
    "tmIterations=200",
    "WReduction=;1D(!vGMne)mvse(!v3)I__;2D(!(!ZGv3mset)AzD)I_;9DnbAZ(!Gv3mset)z;3D(!nb(!Gv3mset)AZvzD)I__;4D((!((ne)CP(!Gv3mset)EneAdvZvz!)D)IYV)",
    "WLP-prune=((!(!Gv3mset)Z)r)",
    "WascentPrune=((!Gv3mset)r)",
    "WexactCombine=1",
    "W2zDepth=2",
    "W2probeRoots=1",
    "W9zDepth=3",
    "W3zDepth=3",
    "W4zDepth=4",
    "Wextend=1",
    "W2extend=0",
    "Wroot=-1",
    "WgUseAscent=5",
    "W9original=1",
    "W9upperChoose=40",
    "W9ascentLock=1",
    "W4upperChoose=40",
    "W4ascentLock=1",
    "Wdiff=-1",
    "W4maxNeighbors=300",
    "WFRcuts=10",
    "WinteriorPoint=1",
    "WnormalReduction=5",
    "WcutReduction=;C(G(v3)(mvsne)AZz) ",
    "WrecalcUpper=5",
    "VR-alpha=5",
    "VCombinePrune=(((mvsn3t)a)r)",
    "VPR-prune=((mvsn3t);Pa;x)",
    "VPreduce=1",
    "VReduction=;0G(!mvsn)3t(A(mvsn)zbC)B",
    "VReduction1=;1G((mvsn)a);3B;Pp;1_G3tI_;2(a(mvsn)zbC)I",
    "V0Reduction1=;0G(!mvsn)3t(a(mvsn)zbC)B",
    "V3beasleyHalf=25",
    nullptr,
};

// Program 1: the ascent and its pruned tree, between two steps without which it stays above the
// optimum on real networks: the safe reductions first (the ascent's tree on the unreduced network
// is often worse), and afterwards tm3 from many roots, whose trees setUpper combines with the
// stored one (the ascent grows from one root only).
const char* const heuristicProgramDefaults[] = {
    "R-order=A",
    "R-first=(!vGMne)mvse(!v3)",
    "R-last=u",
    "tm_brasil=1",
    "tmIterations=200",
    nullptr,
};

void setProgramDefaults(char program) {
  switch (program) {
    case '1':
      shell.setAssignments(heuristicProgramDefaults);
      return;
    case '2':
    case '3':
    case '4':
      shell.setAssignments(exactProgramDefaults);
      return;
    case '5':
      std::cerr << "All optimal trees not yet ported to windows version.\n";
      std::exit(1);
    default:
      std::cerr << "Invalid program switch. Valid:\n"
                << "1) One good, but not necessarily optimal tree\n"
                << "2) One optimal tree\n"
                << "3) A network containing all optimal trees\n"
                << "4) Optimal trees that can be combined to all optimal trees\n"
                << "5) All optimal trees\n\n";
      std::exit(1);
  }
}

}  // namespace tesmo
