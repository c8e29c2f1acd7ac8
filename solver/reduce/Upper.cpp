#include "Upper.h"

#include "Dnh.h"
#include "Shell.h"
#include "Tm.h"
#include "Tm3.h"
#include "Tm3Brasil.h"

namespace tesmo {

void upper(ReduceGraph& R) {
  if (shell.Iget("upperWC", 0) != 0) {
    if (shell.Iget("upperDNH", 0) != 0)
      dnh(R);
    else
      tm(R);
    return;
  }
  if (shell.Iget("tm_brasil", 0) != 0) {
    tm3_brasil(R);
    return;
  }
  // Only a tree built by this call is offered.
  if (tm3(R) >= maxint) return;
  R.setUpper(solutionList, "tm3", 1);
}

}  // namespace tesmo
