#pragma once
// The small side of a separator of terminals: the first component of R without the separator
// (taken with the separator vertices it touches) that is small enough and holds enough
// terminals, every separator vertex a terminal adjacent to it. Its edges form a chain of lower
// slots (head(), next()), running from the highest slot down.

#include "ReduceGraph.h"

#include <span>

namespace tesmo {

struct SideLimits {
  int maxSize = 0;        // most vertices reached, separator included
  int minReqs = 0;        // fewest terminals reached, separator included
  int belowSize = 0;      // non-zero: fewer vertices than this as well
};

class SmallSide {
public:
  explicit SmallSide(const ReduceGraph& R);

  // Searches the side of the separator (vertex numbers); true when one was accepted.
  bool find(const ReduceGraph& R, std::span<const int> separator, const SideLimits& limits);

  int head() const { return head_; }
  const IntArray& next() const { return next_; }
  // The start vertex of the accepted side; vertices with |mark| equal to it belong to the side.
  int start() const { return start_; }
  int mark(int v) const { return mark_[v]; }

private:
  void chainSide(const ReduceGraph& R);

  IntArray mark_, stack_, next_;
  int head_ = 0;
  int start_ = 0;
};

}  // namespace tesmo
