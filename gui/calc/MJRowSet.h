#pragma once
// Rows (bit-plane sequences) by their 64-bit hash: each entry holds a hash and the number of its
// row; a look-up compares the rows exactly on a hash hit, so two different rows with one hash stay
// apart. Clear() is O(1) (a stamp); the table is reused. An entry keeps its hash, number and stamp
// together, so that a look-up that misses reads one cache line.

#include <algorithm>
#include <cstdint>
#include <vector>

class TMJRowSet {
public:
  void Clear() {
    if (++stamp_ == 0) {
      for (Entry& e : entries_) e.stamp = 0;
      stamp_ = 1;
    }
    size_ = 0;
  }
  // The number of a stored row with this hash for which `equal(number)` holds, or -1.
  template <class Equal>
  int32_t Find(uint64_t hash, Equal&& equal) const {
    if (size_ == 0) return -1;
    for (std::size_t s = Slot(hash);; s = (s + 1) & mask_) {
      const Entry& e = entries_[s];
      if (e.stamp != stamp_) return -1;
      if (e.hash == hash && equal(e.id)) return e.id;
    }
  }
  void Insert(uint64_t hash, int32_t id) {
    if ((size_ + 1) * 2 > entries_.size()) Grow();
    std::size_t s = Slot(hash);
    while (entries_[s].stamp == stamp_) s = (s + 1) & mask_;
    entries_[s] = {hash, id, stamp_};
    ++size_;
  }

private:
  std::size_t Slot(uint64_t hash) const { return static_cast<std::size_t>(hash >> 17) & mask_; }
  struct Entry {
    uint64_t hash;
    int32_t id;
    uint32_t stamp;
  };
  void Grow() {
    std::vector<Entry> entries;
    entries.swap(entries_);
    const uint32_t old = stamp_;
    const std::size_t capacity = entries.empty() ? 1024 : entries.size() * 2;
    entries_.assign(capacity, Entry{0, 0, 0});
    mask_ = capacity - 1;
    stamp_ = 1;
    size_ = 0;
    for (const Entry& e : entries)
      if (e.stamp == old) Insert(e.hash, e.id);
  }

  std::vector<Entry> entries_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
  uint32_t stamp_ = 1;
};
