#pragma once
// A set of marked items 0..n whose clear() is O(1): an item is marked when its stamp equals the
// current one, and clearing moves the current stamp on (the array is wiped only when the stamp
// wraps around).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tesmo {

// Stamp is an unsigned type; the small ones serve only to test the wrap-around.
template <class Stamp>
class BasicMarkerSet {
public:
  BasicMarkerSet() = default;
  explicit BasicMarkerSet(int n) { resize(n); }

  // Room for items 0..n; new items are unmarked. Never shrinks.
  void resize(int n) {
    const std::size_t size = static_cast<std::size_t>(std::max(n, 0)) + 1;
    if (stamps_.size() < size) stamps_.resize(size, 0);
  }
  int capacity() const { return static_cast<int>(stamps_.size()) - 1; }

  void clear() {
    if (++current_ == 0) {
      std::fill(stamps_.begin(), stamps_.end(), Stamp{0});
      current_ = 1;
    }
  }
  bool marked(int i) const { return stamps_[static_cast<std::size_t>(i)] == current_; }
  void mark(int i) { stamps_[static_cast<std::size_t>(i)] = current_; }
  void unmark(int i) { stamps_[static_cast<std::size_t>(i)] = 0; }
  // Marks i and says whether it was unmarked before.
  bool insert(int i) {
    if (marked(i)) return false;
    mark(i);
    return true;
  }

private:
  std::vector<Stamp> stamps_;
  Stamp current_ = 1;
};

using MarkerSet = BasicMarkerSet<std::uint32_t>;

}  // namespace tesmo
