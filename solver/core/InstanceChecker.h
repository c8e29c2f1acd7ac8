#pragma once
// Verifies the invariants of a reduction instance: slot ranges and partners, identities, live
// vertex and edge counts, terminals, the stored tree with its marks and degrees, and the bounds.
// Tests run it after every operation; debug tools may run it between reduction steps.

#include "ReduceGraph.h"

#include <string>

namespace tesmo {

class InstanceChecker {
public:
  // Between operations the per-vertex work array must be all 0; callers in the middle of
  // collecting pending contractions pass false (then Vanz and the stored tree are not checked).
  explicit InstanceChecker(bool expectIdle = true) : expectIdle_(expectIdle) {}

  // The first broken invariant as a readable line, or an empty text when all hold.
  std::string check(const ReduceGraph& R) const;

private:
  bool expectIdle_;
};

}  // namespace tesmo
