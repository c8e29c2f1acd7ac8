#pragma once

namespace tesmo {

// The solver's infinity for costs, distances, bounds and unset options; a larger edge cost is
// refused.
inline constexpr int maxint = 1600000000;

// One direction of an edge.
struct Arc {
  int tail = 0;
  int head = 0;
  int cost = 0;
  friend bool operator==(const Arc&, const Arc&) = default;
};

}  // namespace tesmo
