#pragma once
// The pairs of sequences that the feasibility test of a median-joining round looks at, sorted by
// distance and kept from round to round: when median vectors join or leave, only their pairs are
// added or dropped (and the others renumbered, which keeps their order), instead of scanning and
// sorting every pair again. Holds every pair i < j <= Count() that is a link candidate (both
// active) or a pair to test (both representatives) with distance <= Bound().

#include <cstdint>
#include <vector>

class TMJPairKeys {
public:
  // Bits of a sequence's flags and of a key's low bits.
  static constexpr uint8_t Tested = 1;
  static constexpr uint8_t Active = 2;

  static int DistanceOf(uint64_t key) { return static_cast<int>(key >> 34); }
  static int FirstOf(uint64_t key) { return static_cast<int>((key >> 18) & 0xFFFF); }
  static int SecondOf(uint64_t key) { return static_cast<int>((key >> 2) & 0xFFFF); }

  bool Valid() const { return valid_; }
  void Invalidate() { valid_ = false; }
  int Count() const { return count_; }
  int Bound() const { return bound_; }
  const std::vector<uint64_t>& Keys() const { return keys_; }
  // Flags of positions 0..Count() (0 unused).
  const std::vector<uint8_t>& Flags() const { return flags_; }

  // Every pair of sequences 1..n (flags[p] for position p) within `bound`.
  template <class Distance, class KeepAlive>
  void Build(int n, const std::vector<uint8_t>& flags, int bound, Distance&& distance,
             KeepAlive&& keepAlive) {
    keys_.clear();
    flags_ = flags;
    count_ = 0;
    bound_ = bound;
    valid_ = true;
    for (int j = 2; j <= n; ++j) {
      keepAlive();
      AddPairsOf(j, distance, keys_);
    }
    count_ = n;
    SortKeys(keys_);
  }
  // Sequences Count()+1 .. Count()+flags.size() were appended.
  template <class Distance>
  void Append(const std::vector<uint8_t>& newFlags, Distance&& distance) {
    if (!valid_ || newFlags.empty()) return;
    flags_.insert(flags_.end(), newFlags.begin(), newFlags.end());
    added_.clear();
    const int n = count_ + static_cast<int>(newFlags.size());
    for (int j = count_ + 1; j <= n; ++j) AddPairsOf(j, distance, added_);
    count_ = n;
    SortKeys(added_);
    Merge();
  }
  // The given positions (ascending, no repeats) were removed and the others renumbered in order.
  void Remove(const std::vector<int>& removed);

private:
  template <class Distance>
  void AddPairsOf(int j, Distance& distance, std::vector<uint64_t>& out) {
    const uint8_t fj = flags_[static_cast<std::size_t>(j)];
    if (fj == 0) return;
    for (int i = 1; i < j; ++i) {
      const uint8_t both = fj & flags_[static_cast<std::size_t>(i)];
      if (both == 0) continue;
      const int d = distance(i, j);
      if (d > bound_) continue;
      out.push_back(static_cast<uint64_t>(d) << 34 | static_cast<uint64_t>(i) << 18 |
                    static_cast<uint64_t>(j) << 2 | both);
    }
  }
  static void SortKeys(std::vector<uint64_t>& keys);
  void Merge();

  std::vector<uint64_t> keys_, added_;
  std::vector<uint8_t> flags_;
  std::vector<int> newNumber_;
  int count_ = 0;
  int bound_ = 0;
  bool valid_ = false;
};
