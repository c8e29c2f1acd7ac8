#pragma once
// A link between the regions of two terminals: terminal indices a < b (not vertex numbers) and
// the length of the shortest connection found between the regions.

namespace tesmo {

struct RegionLink {
  int a = 0;
  int b = 0;
  int length = 0;
  friend bool operator==(const RegionLink&, const RegionLink&) = default;
};

}  // namespace tesmo
