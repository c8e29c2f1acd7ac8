#pragma once
// Rows (bit-plane sequences) by their 64-bit hash: each entry holds a hash and the number of its
// row; a look-up compares the rows exactly on a hash hit, so two different rows with one hash stay
// apart. Clear() is O(1) (a stamp); the table is reused.

#include <algorithm>
#include <cstdint>
#include <vector>

class TMJRowSet {
public:
  void Clear() {
    if (++stamp_ == 0) {
      std::fill(stamps_.begin(), stamps_.end(), 0u);
      stamp_ = 1;
    }
    size_ = 0;
  }
  // The number of a stored row with this hash for which `equal(number)` holds, or -1.
  template <class Equal>
  int32_t Find(uint64_t hash, Equal&& equal) const {
    if (size_ == 0) return -1;
    for (std::size_t s = Slot(hash);; s = (s + 1) & mask_) {
      if (stamps_[s] != stamp_) return -1;
      if (hashes_[s] == hash && equal(ids_[s])) return ids_[s];
    }
  }
  void Insert(uint64_t hash, int32_t id) {
    if ((size_ + 1) * 2 > hashes_.size()) Grow();
    std::size_t s = Slot(hash);
    while (stamps_[s] == stamp_) s = (s + 1) & mask_;
    stamps_[s] = stamp_;
    hashes_[s] = hash;
    ids_[s] = id;
    ++size_;
  }

private:
  std::size_t Slot(uint64_t hash) const { return static_cast<std::size_t>(hash >> 17) & mask_; }
  void Grow() {
    std::vector<uint64_t> hashes;
    std::vector<int32_t> ids;
    std::vector<uint32_t> stamps;
    hashes.swap(hashes_);
    ids.swap(ids_);
    stamps.swap(stamps_);
    const uint32_t old = stamp_;
    const std::size_t capacity = hashes.empty() ? 1024 : hashes.size() * 2;
    hashes_.assign(capacity, 0);
    ids_.assign(capacity, 0);
    stamps_.assign(capacity, 0);
    mask_ = capacity - 1;
    stamp_ = 1;
    size_ = 0;
    for (std::size_t s = 0; s < hashes.size(); ++s)
      if (stamps[s] == old) Insert(hashes[s], ids[s]);
  }

  std::vector<uint64_t> hashes_;
  std::vector<int32_t> ids_;
  std::vector<uint32_t> stamps_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
  uint32_t stamp_ = 1;
};
