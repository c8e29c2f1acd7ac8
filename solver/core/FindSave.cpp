#include "FindSave.h"

#include "Check.h"

namespace tesmo {

bool FindSave::validLink(const RegionLink& link) const {
  const bool bad = !isTerminal(link.a) || !isTerminal(link.b);
  TESMO_CHECK(!isTerminal(link.a) || !isTerminal(link.b), "reduceGraph");
  return !bad;
}

}  // namespace tesmo
