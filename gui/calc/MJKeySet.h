#pragma once
// A set of 64-bit keys with open addressing that reuses its table: Clear() is O(1) (a stamp), and
// inserting allocates only when the table grows.

#include <algorithm>
#include <cstdint>
#include <vector>

class TMJKeySet {
public:
  void Clear() {
    if (++stamp_ == 0) {
      std::fill(stamps_.begin(), stamps_.end(), 0u);
      stamp_ = 1;
    }
    size_ = 0;
  }
  bool Contains(uint64_t key) const {
    if (size_ == 0) return false;
    for (std::size_t s = Slot(key);; s = (s + 1) & mask_) {
      if (stamps_[s] != stamp_) return false;
      if (keys_[s] == key) return true;
    }
  }
  // True when the key was not there before.
  bool Insert(uint64_t key) {
    if ((size_ + 1) * 2 > keys_.size()) Grow();
    for (std::size_t s = Slot(key);; s = (s + 1) & mask_) {
      if (stamps_[s] != stamp_) {
        stamps_[s] = stamp_;
        keys_[s] = key;
        ++size_;
        return true;
      }
      if (keys_[s] == key) return false;
    }
  }

private:
  std::size_t Slot(uint64_t key) const {
    key ^= key >> 31;
    key *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(key >> 20) & mask_;
  }
  void Grow() {
    std::vector<uint64_t> keys;
    std::vector<uint32_t> stamps;
    keys.swap(keys_);
    stamps.swap(stamps_);
    const uint32_t old = stamp_;
    const std::size_t capacity = keys.empty() ? 1024 : keys.size() * 2;
    keys_.assign(capacity, 0);
    stamps_.assign(capacity, 0);
    mask_ = capacity - 1;
    stamp_ = 1;
    size_ = 0;
    for (std::size_t s = 0; s < keys.size(); ++s)
      if (stamps[s] == old) Insert(keys[s]);
  }

  std::vector<uint64_t> keys_;
  std::vector<uint32_t> stamps_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
  uint32_t stamp_ = 1;
};
