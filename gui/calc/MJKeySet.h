#pragma once
// A set of 64-bit keys with open addressing that reuses its table: Clear() is O(1) in the table (a
// stamp), and inserting allocates only when the table grows.
// Most look-ups are for absent keys in a table far larger than the processor's caches, so a bit
// filter sixteen times smaller (two bits per key in one word) answers most of them; a key whose
// bits are set is looked up in the table, so the answers stay exact.

#include <algorithm>
#include <cstdint>
#include <vector>

class TMJKeySet {
public:
  void Clear() {
    if (++stamp_ == 0) {
      for (Entry& e : entries_) e.stamp = 0;
      stamp_ = 1;
    }
    std::fill(filter_.begin(), filter_.end(), uint64_t{0});
    size_ = 0;
  }
  bool Contains(uint64_t key) const {
    if (size_ == 0) return false;
    const uint64_t bits = FilterBits(key);
    if ((filter_[FilterWord(key)] & bits) != bits) return false;
    for (std::size_t s = Slot(key);; s = (s + 1) & mask_) {
      const Entry& e = entries_[s];
      if (e.stamp != stamp_) return false;
      if (e.key == key) return true;
    }
  }
  // True when the key was not there before.
  bool Insert(uint64_t key) {
    if ((size_ + 1) * 2 > entries_.size()) Grow();
    for (std::size_t s = Slot(key);; s = (s + 1) & mask_) {
      Entry& e = entries_[s];
      if (e.stamp != stamp_) {
        e = {key, stamp_};
        filter_[FilterWord(key)] |= FilterBits(key);
        ++size_;
        return true;
      }
      if (e.key == key) return false;
    }
  }

private:
  struct Entry {
    uint64_t key;
    uint32_t stamp;
  };
  std::size_t Slot(uint64_t key) const {
    key ^= key >> 31;
    key *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(key >> 20) & mask_;
  }
  // The filter's word and bits come from another mix than the slot, so that keys crowding one
  // part of the table spread over the filter.
  static uint64_t FilterMix(uint64_t key) {
    key ^= key >> 29;
    key *= 0xBF58476D1CE4E5B9ull;
    return key ^ (key >> 32);
  }
  std::size_t FilterWord(uint64_t key) const {
    return static_cast<std::size_t>(FilterMix(key) >> 12) & filterMask_;
  }
  static uint64_t FilterBits(uint64_t key) {
    const uint64_t h = FilterMix(key);
    return uint64_t{1} << (h & 63) | uint64_t{1} << ((h >> 6) & 63);
  }
  void Grow() {
    std::vector<Entry> entries;
    entries.swap(entries_);
    const uint32_t old = stamp_;
    const std::size_t capacity = entries.empty() ? 1024 : entries.size() * 2;
    entries_.assign(capacity, Entry{0, 0});
    mask_ = capacity - 1;
    // 8 bits per slot, at least 16 per key.
    filter_.assign(capacity / 8, 0);
    filterMask_ = filter_.size() - 1;
    stamp_ = 1;
    size_ = 0;
    for (const Entry& e : entries)
      if (e.stamp == old) Insert(e.key);
  }

  std::vector<Entry> entries_;
  std::vector<uint64_t> filter_;
  std::size_t mask_ = 0;
  std::size_t filterMask_ = 0;
  std::size_t size_ = 0;
  uint32_t stamp_ = 1;
};
