#pragma once
// The packed distance cache of the median-joining calculation, its link list, and the torso pass
// that marks which links survive pendant pruning and which torso links are bridges. Plain C++.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// 1-based index of the unordered pair {i, j} (i != j) in the packed lower triangle: pairs are
// ordered by their larger number, then by the smaller: (1,2) 1, (1,3) 2, (2,3) 3, (1,4) 4, ...
inline int64_t PackedPairIndex(int i, int j) {
  if (i > j) std::swap(i, j);
  return (static_cast<int64_t>(j) - 2) * (j - 1) / 2 + i;
}

// Distances of sequences i < j, stored at PackedPairIndex(i, j) in blocks of BlockSize values that
// are allocated when their first index is written. A failed allocation leaves the cache unused and
// the caller computes distances directly.
class TMJDistanceCache {
public:
  static constexpr int64_t BlockSize = 500000;
  static constexpr int MaxBlocks = 1000;
  // The cache serves only while fewer sequences than this exist.
  static constexpr int MaxSequences = 30000;

  bool InUse() const { return inUse_; }
  // The cached distance of i != j (both within the cached range).
  int32_t Get(int i, int j) const {
    const int64_t x = PackedPairIndex(i, j) - 1;
    return blocks_[static_cast<std::size_t>(x / BlockSize)][x % BlockSize];
  }
  // Number of blocks currently allocated.
  int AllocatedBlocks() const;
  bool BlockAllocated(int block) const {
    return block < static_cast<int>(blocks_.size()) && blocks_[static_cast<std::size_t>(block)];
  }

  // Fills the cache for sequences 1..n from `distance(i, j)` (i < j) and marks it in use. False
  // (cache released and unused) when a block cannot be allocated.
  template <class Distance>
  bool Build(int n, Distance&& distance) {
    Release();
    if (!FillRows(2, n, distance)) return false;
    inUse_ = true;
    return true;
  }
  // Adds sequences n+1..n+added (n the count before). False (cache released) on a failed block.
  template <class Distance>
  bool Extend(int n, int added, Distance&& distance) {
    return FillRows(std::max(n + 1, 2), n + added, distance);
  }
  // Removes the given sequences (any order, no repeats) from a cache of n sequences: the result is
  // the packed triangle of the remaining sequences renumbered in order; blocks no longer needed are
  // freed.
  void Remove(std::vector<int> removed, int n);
  // Frees every block and marks the cache unused.
  void Release();

  // Writes one value, allocating its block on first use. False when the block cannot be allocated
  // or the index lies beyond MaxBlocks blocks.
  bool Store(int64_t index, int32_t value);

private:
  // Rows first..last (the pairs (c, b) with c < b), in index order, a block at a time.
  template <class Distance>
  bool FillRows(int first, int last, Distance& distance) {
    if (first > last) return true;
    int64_t x = PackedPairIndex(1, first) - 1;
    int32_t* block = nullptr;
    int64_t offset = BlockSize;
    for (int b = first; b <= last; ++b)
      for (int c = 1; c < b; ++c, ++x, ++offset) {
        if (offset == BlockSize) {
          block = BlockFor(x / BlockSize);
          if (!block) return Fail();
          offset = x % BlockSize;
        }
        block[offset] = distance(c, b);
      }
    return true;
  }
  // The block, allocated on first use; null beyond MaxBlocks or when allocation fails.
  int32_t* BlockFor(int64_t block);
  bool Fail() {
    Release();
    return false;
  }
  std::vector<std::unique_ptr<int32_t[]>> blocks_;
  bool inUse_ = false;
};

// One link of the network: ends a < b (sequence numbers) and its link state: 1 when found; after
// PrunePendantLinks 0 outside the torso, 1..9 torso links (2..9 the far side of one of the first
// eight torso bridges), 100 a torso bridge.
struct TMJLink {
  int32_t a = 0;
  int32_t b = 0;
  int32_t state = 1;
  bool operator==(const TMJLink&) const = default;
};
using TMJLinkList = std::vector<TMJLink>;

inline constexpr int32_t TorsoBridgeState = 100;

// Marks links outside the torso (repeatedly pruned pendant links) with state 0, then labels the
// torso bridges (LabelTorsoBridges). `keepAlive` is called once per link of each pass.
void PrunePendantLinks(TMJLinkList& links, const std::function<void()>& keepAlive = {});
// In list order, every torso link whose removal separates its ends is a bridge: the first eight get
// state 100 and the links on their b side the next label 2..9; later bridges keep their state.
void LabelTorsoBridges(TMJLinkList& links, const std::function<void()>& keepAlive = {});
