#pragma once
// The FindSave form with every answer stored: an (n+1) x (n+1) matrix filled by joining the
// links' member rings one link at a time. O(n^2) memory, O(1) queries.

#include "CheckedVector.h"
#include "FindSave.h"
#include "IntMatrix.h"

namespace tesmo {

class FindSaveMatrix : public FindSave {
public:
  // Terminals 1..n, no links yet.
  explicit FindSaveMatrix(int n);

  void build(int linkCount, const RegionLink* links, int n) override;
  int d(int i, int j, int limit) override;
  int kind() const override { return matrixKind; }

private:
  IntMatrix matrix_;  // rows and columns 0..allocated n
  IntArray ring_;              // circular member list of each joined set
  IntArray ringId_;            // set of each terminal, to spot a link closing a cycle
  int allocated_ = 0;
};

}  // namespace tesmo
