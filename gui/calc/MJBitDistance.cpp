#include "MJBitDistance.h"

#include <algorithm>
#include <bit>

namespace {

#if defined(__x86_64__) || defined(__i386__)
#define MJ_POPCNT_TARGET __attribute__((target("popcnt")))
constexpr bool PopcntTarget = true;
#else
#define MJ_POPCNT_TARGET
constexpr bool PopcntTarget = false;
#endif

using Group = TMJBitSequences::Group;

// The kernels are written once and inlined into two entry points: one built for the baseline
// (std::popcount may be a library routine there), one built for processors with the popcount
// instruction.
struct PlaneSpan {
  const Group* begin;
  const Group* end;
  std::size_t w;       // words per plane
  std::size_t planes;
};

// Planes > 0 fixes the number of planes (the loop over them unrolls); OneGroup stops after the
// first weight group (the caller knows there is only one).
template <bool Masked, int Planes = 0, bool OneGroup = false>
[[gnu::always_inline]] inline int DistanceOn(const uint64_t* x, const uint64_t* y, const PlaneSpan& s) {
  const std::size_t planes = Planes > 0 ? static_cast<std::size_t>(Planes) : s.planes;
  int total = 0;
  for (const Group* g = s.begin; g != s.end; ++g) {
    int count = 0;
    for (int k = g->firstWord; k < g->firstWord + g->words; ++k) {
      const auto i = static_cast<std::size_t>(k);
      uint64_t diff = 0;
      for (std::size_t p = 0; p < planes; ++p) diff |= x[p * s.w + i] ^ y[p * s.w + i];
      if (Masked) diff &= ~(x[planes * s.w + i] | y[planes * s.w + i]);
      count += std::popcount(diff);
    }
    total += count * g->weight;
    if (OneGroup) break;
  }
  return total;
}

[[gnu::always_inline]] inline int TripleCostOn(const uint64_t* x, const uint64_t* y,
                                               const uint64_t* z, const PlaneSpan& s) {
  int total = 0;
  for (const Group* g = s.begin; g != s.end; ++g) {
    int count = 0;
    for (int k = g->firstWord; k < g->firstWord + g->words; ++k) {
      const auto i = static_cast<std::size_t>(k);
      uint64_t xy = 0, xz = 0, yz = 0;
      for (std::size_t p = 0; p < s.planes; ++p) {
        const std::size_t o = p * s.w + i;
        xy |= x[o] ^ y[o];
        xz |= x[o] ^ z[o];
        yz |= y[o] ^ z[o];
      }
      // distinct states - 1: y differs from x, plus z differs from both.
      count += std::popcount(xy) + std::popcount(xz & yz);
    }
    total += count * g->weight;
  }
  return total;
}

int DistancePortable(const uint64_t* x, const uint64_t* y, const PlaneSpan& s, bool masked) {
  return masked ? DistanceOn<true>(x, y, s) : DistanceOn<false>(x, y, s);
}
MJ_POPCNT_TARGET int DistanceHardware(const uint64_t* x, const uint64_t* y, const PlaneSpan& s,
                                      bool masked) {
  return masked ? DistanceOn<true>(x, y, s) : DistanceOn<false>(x, y, s);
}
// One sequence against consecutive rows, with the planes fixed for the usual counts and one
// weight group (the usual case) without the group loop.
template <int Planes, bool Masked, bool OneGroup>
[[gnu::always_inline]] inline void RowDistancesOn(const uint64_t* x, const uint64_t* rows,
                                                  std::size_t stride, std::size_t count,
                                                  const PlaneSpan& s, int* out) {
  for (std::size_t r = 0; r < count; ++r, rows += stride)
    out[r] = DistanceOn<Masked, Planes, OneGroup>(x, rows, s);
}

template <bool Masked, bool OneGroup>
[[gnu::always_inline]] inline void RowDistancesBy(const uint64_t* x, const uint64_t* rows,
                                                  std::size_t stride, std::size_t count,
                                                  const PlaneSpan& s, int* out) {
  switch (s.planes) {
    case 1: return RowDistancesOn<1, Masked, OneGroup>(x, rows, stride, count, s, out);
    case 2: return RowDistancesOn<2, Masked, OneGroup>(x, rows, stride, count, s, out);
    case 3: return RowDistancesOn<3, Masked, OneGroup>(x, rows, stride, count, s, out);
    case 4: return RowDistancesOn<4, Masked, OneGroup>(x, rows, stride, count, s, out);
    case 5: return RowDistancesOn<5, Masked, OneGroup>(x, rows, stride, count, s, out);
    default: return RowDistancesOn<0, Masked, OneGroup>(x, rows, stride, count, s, out);
  }
}

[[gnu::always_inline]] inline void RowDistances(const uint64_t* x, const uint64_t* rows,
                                                std::size_t stride, std::size_t count,
                                                const PlaneSpan& s, bool masked, int* out) {
  const bool one = s.end - s.begin == 1;
  if (masked)
    one ? RowDistancesBy<true, true>(x, rows, stride, count, s, out)
        : RowDistancesBy<true, false>(x, rows, stride, count, s, out);
  else
    one ? RowDistancesBy<false, true>(x, rows, stride, count, s, out)
        : RowDistancesBy<false, false>(x, rows, stride, count, s, out);
}

void RowDistancesPortable(const uint64_t* x, const uint64_t* rows, std::size_t stride,
                          std::size_t count, const PlaneSpan& s, bool masked, int* out) {
  RowDistances(x, rows, stride, count, s, masked, out);
}
MJ_POPCNT_TARGET void RowDistancesHardware(const uint64_t* x, const uint64_t* rows,
                                           std::size_t stride, std::size_t count,
                                           const PlaneSpan& s, bool masked, int* out) {
  RowDistances(x, rows, stride, count, s, masked, out);
}

// Pairs of rows given by their positions (two ints at the start of each element of `stride` ints).
template <bool Masked>
[[gnu::always_inline]] inline void PairDistancesOn(const uint64_t* base, std::size_t rowStride,
                                                   const int32_t* ends, std::size_t stride,
                                                   std::size_t count, const PlaneSpan& s, int* out) {
  for (std::size_t r = 0; r < count; ++r, ends += stride) {
    const uint64_t* x = base + static_cast<std::size_t>(ends[0] - 1) * rowStride;
    const uint64_t* y = base + static_cast<std::size_t>(ends[1] - 1) * rowStride;
    out[r] = ends[0] == ends[1] ? 0 : DistanceOn<Masked>(x, y, s);
  }
}

void PairDistancesPortable(const uint64_t* base, std::size_t rowStride, const int32_t* ends,
                           std::size_t stride, std::size_t count, const PlaneSpan& s, bool masked,
                           int* out) {
  masked ? PairDistancesOn<true>(base, rowStride, ends, stride, count, s, out)
         : PairDistancesOn<false>(base, rowStride, ends, stride, count, s, out);
}
MJ_POPCNT_TARGET void PairDistancesHardware(const uint64_t* base, std::size_t rowStride,
                                            const int32_t* ends, std::size_t stride,
                                            std::size_t count, const PlaneSpan& s, bool masked,
                                            int* out) {
  masked ? PairDistancesOn<true>(base, rowStride, ends, stride, count, s, out)
         : PairDistancesOn<false>(base, rowStride, ends, stride, count, s, out);
}

int TripleCostPortable(const uint64_t* x, const uint64_t* y, const uint64_t* z, const PlaneSpan& s) {
  return TripleCostOn(x, y, z, s);
}
MJ_POPCNT_TARGET int TripleCostHardware(const uint64_t* x, const uint64_t* y, const uint64_t* z,
                                        const PlaneSpan& s) {
  return TripleCostOn(x, y, z, s);
}

}  // namespace

bool TMJBitSequences::HardwarePopcountAvailable() {
  if constexpr (PopcntTarget) {
    static const bool available = __builtin_cpu_supports("popcnt");
    return available;
  }
  return false;
}

bool TMJBitSequences::AnySlow() const {
  return std::find(slow_.begin(), slow_.end(), uint8_t{1}) != slow_.end();
}

uint64_t TMJBitSequences::HashKey(const uint64_t* row, std::size_t keyWords) {
  // Each word is mixed on its own and the mixes are summed, so the words' multiplications overlap
  // instead of waiting on one another (most candidates of a round are hashed only to find that
  // they exist); the final steps spread the sum over the bits the table slots use.
  uint64_t h = 0x243F6A8885A308D3ull ^ keyWords;
  for (std::size_t k = 0; k < keyWords; ++k) {
    uint64_t m = (row[k] ^ (0x9E3779B97F4A7C15ull * (k + 1))) * 0xBF58476D1CE4E5B9ull;
    m ^= m >> 31;
    h += m * 0x94D049BB133111EBull;
  }
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return h ^ (h >> 32);
}

void TMJBitSequences::Prepare(const Trdf_DataSet& data, const std::vector<Trdf_Sequence>& extra) {
  data_ = &data;
  columns_.clear();
  groups_.clear();
  maskX_ = data.AmbiguousStates == TCharSet("X");
  int maxStates = 1;
  std::vector<Column> used;
  for (int c = 0; c < data.CharacterCount(); ++c) {
    const Trdf_Character& ch = data.Characters[static_cast<std::size_t>(c)];
    if (!ch.Active) continue;
    Column col{c, {}};
    col.code.fill(-1);
    int16_t next = 0;
    const auto see = [&](const Trdf_Sequence& t) {
      if (static_cast<std::size_t>(c) >= t.States.size()) return;
      auto& code = col.code[static_cast<unsigned char>(t.States[static_cast<std::size_t>(c)])];
      if (code < 0) code = next++;
    };
    for (const Trdf_Sequence& t : data.Taxa) see(t);
    for (const Trdf_Sequence& t : extra) see(t);
    // A character with one state everywhere never adds to a distance; median vectors only take
    // states that their three sequences have, so it stays that way.
    if (next <= 1) continue;
    maxStates = std::max<int>(maxStates, next);
    used.push_back(col);
  }
  std::stable_sort(used.begin(), used.end(), [&](const Column& x, const Column& y) {
    return data.Characters[static_cast<std::size_t>(x.character)].Weight <
           data.Characters[static_cast<std::size_t>(y.character)].Weight;
  });
  planes_ = std::max(1, static_cast<int>(std::bit_width(static_cast<unsigned>(maxStates - 1))));
  // Each weight group starts at a word boundary so one weight multiplies one popcount.
  words_ = 0;
  for (std::size_t k = 0; k < used.size();) {
    const int w = data.Characters[static_cast<std::size_t>(used[k].character)].Weight;
    std::size_t end = k;
    while (end < used.size() &&
           data.Characters[static_cast<std::size_t>(used[end].character)].Weight == w)
      ++end;
    const int n = static_cast<int>(end - k);
    groups_.push_back({w, words_, (n + 63) / 64});
    words_ += (n + 63) / 64;
    k = end;
  }
  firstWeighted_ = 0;
  while (firstWeighted_ < groups_.size() && groups_[firstWeighted_].weight <= 0) ++firstWeighted_;
  columns_ = std::move(used);
  stride_ = static_cast<std::size_t>(words_) * static_cast<std::size_t>(planes_ + 1);
  count_ = 0;
  complete_ = true;
  bits_.clear();
  keys_.clear();
  slow_.clear();
  slowCount_ = 0;
  hashes_.clear();
  bits_.reserve(stride_ * data.Taxa.size());
  for (const Trdf_Sequence& t : data.Taxa) Append(t.States);
}

void TMJBitSequences::Append(const std::string& states) {
  bits_.resize(bits_.size() + stride_, 0);
  uint64_t* row = bits_.data() + static_cast<std::size_t>(count_) * stride_;
  bool slow = false;
  std::size_t k = 0;
  for (const Group& g : groups_) {
    for (int bit = 0; k < columns_.size(); ++k, ++bit) {
      const Column& col = columns_[k];
      if (data_->Characters[static_cast<std::size_t>(col.character)].Weight != g.weight) break;
      const bool weighted = g.weight > 0;
      const std::size_t word = static_cast<std::size_t>(g.firstWord + bit / 64);
      const uint64_t mask = uint64_t{1} << (bit % 64);
      if (static_cast<std::size_t>(col.character) >= states.size()) {
        slow = slow || weighted;
        complete_ = false;
        continue;
      }
      const char s = states[static_cast<std::size_t>(col.character)];
      const int code = col.code[static_cast<unsigned char>(s)];
      if (code < 0) {
        slow = slow || weighted;
        complete_ = false;
      }
      if (maskX_) {
        if (s == 'X') row[static_cast<std::size_t>(planes_) * words_ + word] |= mask;
      } else if (weighted && data_->AmbiguousStates.Contains(s)) {
        slow = true;
      }
      for (int p = 0; p < planes_; ++p)
        if (code >= 0 && ((code >> p) & 1))
          row[static_cast<std::size_t>(p) * words_ + word] |= mask;
    }
  }
  slow_.push_back(slow ? 1 : 0);
  slowCount_ += slow ? 1 : 0;
  hashes_.push_back(HashKey(row, KeyWords()));
  keys_.insert(keys_.end(), row, row + KeyWords());
  ++count_;
}

void TMJBitSequences::Erase(const std::vector<int>& positions) {
  if (positions.empty()) return;
  std::size_t write = 0, next = 0;
  for (int pos = 1; pos <= count_; ++pos) {
    if (next < positions.size() && positions[next] == pos) {
      ++next;
      continue;
    }
    if (write != static_cast<std::size_t>(pos - 1)) {
      std::copy_n(bits_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(pos - 1) * stride_),
                  stride_, bits_.begin() + static_cast<std::ptrdiff_t>(write * stride_));
      slow_[write] = slow_[static_cast<std::size_t>(pos - 1)];
      hashes_[write] = hashes_[static_cast<std::size_t>(pos - 1)];
    }
    ++write;
  }
  count_ = static_cast<int>(write);
  bits_.resize(write * stride_);
  // The key rows follow the rows.
  const std::size_t keyWords = KeyWords();
  keys_.resize(write * keyWords);
  for (std::size_t r = 0; r < write; ++r)
    std::copy_n(bits_.begin() + static_cast<std::ptrdiff_t>(r * stride_), keyWords,
                keys_.begin() + static_cast<std::ptrdiff_t>(r * keyWords));
  slow_.resize(write);
  slowCount_ = static_cast<int>(std::count(slow_.begin(), slow_.end(), uint8_t{1}));
  hashes_.resize(write);
}

int TMJBitSequences::Distance(int a, int b) const {
  if (a == b) return 0;
  if (slow_[static_cast<std::size_t>(a - 1)] || slow_[static_cast<std::size_t>(b - 1)])
    return data_->WeightedDistance(std::min(a, b), std::max(a, b), false);
  const PlaneSpan s{groups_.data() + firstWeighted_, groups_.data() + groups_.size(),
                static_cast<std::size_t>(words_), static_cast<std::size_t>(planes_)};
  return hardware_ ? DistanceHardware(Row(a), Row(b), s, maskX_)
                   : DistancePortable(Row(a), Row(b), s, maskX_);
}

void TMJBitSequences::Distances(int a, int first, int last, int* out) const {
  if (last < first) return;
  const auto count = static_cast<std::size_t>(last - first + 1);
  if (slow_[static_cast<std::size_t>(a - 1)]) {
    for (std::size_t r = 0; r < count; ++r) out[r] = Distance(a, first + static_cast<int>(r));
    return;
  }
  const PlaneSpan s{groups_.data() + firstWeighted_, groups_.data() + groups_.size(),
                    static_cast<std::size_t>(words_), static_cast<std::size_t>(planes_)};
  if (s.begin == s.end) {
    std::fill_n(out, count, 0);
  } else if (!maskX_) {
    // Without the mask plane the key rows hold all a distance reads, in half the memory or less.
    const std::size_t keyWords = KeyWords();
    const uint64_t* x = keys_.data() + static_cast<std::size_t>(a - 1) * keyWords;
    const uint64_t* rows = keys_.data() + static_cast<std::size_t>(first - 1) * keyWords;
    if (hardware_)
      RowDistancesHardware(x, rows, keyWords, count, s, false, out);
    else
      RowDistancesPortable(x, rows, keyWords, count, s, false, out);
  } else if (hardware_) {
    RowDistancesHardware(Row(a), Row(first), stride_, count, s, maskX_, out);
  } else {
    RowDistancesPortable(Row(a), Row(first), stride_, count, s, maskX_, out);
  }
  // Rows whose distances go through the data set, and the sequence itself.
  if (slowCount_ > 0)
    for (std::size_t r = 0; r < count; ++r)
      if (slow_[static_cast<std::size_t>(first - 1) + r]) out[r] = Distance(a, first + static_cast<int>(r));
  if (a >= first && a <= last) out[a - first] = 0;
}

void TMJBitSequences::PairDistances(const int32_t* ends, std::size_t stride, std::size_t count,
                                    int* out) const {
  const PlaneSpan s{groups_.data() + firstWeighted_, groups_.data() + groups_.size(),
                    static_cast<std::size_t>(words_), static_cast<std::size_t>(planes_)};
  const uint64_t* base = maskX_ ? bits_.data() : keys_.data();
  const std::size_t rowStride = maskX_ ? stride_ : KeyWords();
  if (hardware_)
    PairDistancesHardware(base, rowStride, ends, stride, count, s, maskX_, out);
  else
    PairDistancesPortable(base, rowStride, ends, stride, count, s, maskX_, out);
  if (slowCount_ > 0)
    for (std::size_t r = 0; r < count; ++r) {
      const int a = ends[r * stride], b = ends[r * stride + 1];
      if (slow_[static_cast<std::size_t>(a - 1)] || slow_[static_cast<std::size_t>(b - 1)]) out[r] = Distance(a, b);
    }
}

int TMJBitSequences::PlainDifference(const uint64_t* x, const uint64_t* y) const {
  const PlaneSpan s{groups_.data() + firstWeighted_, groups_.data() + groups_.size(),
                static_cast<std::size_t>(words_), static_cast<std::size_t>(planes_)};
  return hardware_ ? DistanceHardware(x, y, s, false) : DistancePortable(x, y, s, false);
}

int TMJBitSequences::TripleCost(const uint64_t* x, const uint64_t* y, const uint64_t* z) const {
  const PlaneSpan s{groups_.data() + firstWeighted_, groups_.data() + groups_.size(),
                static_cast<std::size_t>(words_), static_cast<std::size_t>(planes_)};
  return hardware_ ? TripleCostHardware(x, y, z, s) : TripleCostPortable(x, y, z, s);
}

namespace {

// The cost, the two sides to z and the shape of a triple together, over every group of the span
// (weight-0 groups add nothing to the sums but tell rows apart); the planes are a template
// argument for the usual counts so that their loop unrolls.
template <bool Masked, int Planes>
[[gnu::always_inline]] inline int TripleSidesOn(const uint64_t* x, const uint64_t* y,
                                                const uint64_t* z, const PlaneSpan& s, int& xz,
                                                int& yz, unsigned& shape) {
  const std::size_t planes = Planes > 0 ? static_cast<std::size_t>(Planes) : s.planes;
  int cost = 0, sxz = 0, syz = 0;
  uint64_t onlyYZ = 0, onlyXZ = 0, onlyXY = 0, distinct = 0;
  for (const Group* g = s.begin; g != s.end; ++g) {
    int c = 0, cxz = 0, cyz = 0;
    for (int k = g->firstWord; k < g->firstWord + g->words; ++k) {
      const auto i = static_cast<std::size_t>(k);
      uint64_t dxy = 0, dxz = 0, dyz = 0;
      for (std::size_t p = 0; p < planes; ++p) {
        const std::size_t o = p * s.w + i;
        dxy |= x[o] ^ y[o];
        dxz |= x[o] ^ z[o];
        dyz |= y[o] ^ z[o];
      }
      c += std::popcount(dxy) + std::popcount(dxz & dyz);
      onlyYZ |= dxy & dxz & ~dyz;
      onlyXZ |= dxy & dyz & ~dxz;
      onlyXY |= dxz & dyz & ~dxy;
      distinct |= dxy & dxz & dyz;
      if (Masked) {
        // 'X' matches everything in a distance (not in the cost, where it is a state).
        const std::size_t m = planes * s.w + i;
        dxz &= ~(x[m] | z[m]);
        dyz &= ~(y[m] | z[m]);
      }
      cxz += std::popcount(dxz);
      cyz += std::popcount(dyz);
    }
    cost += c * g->weight;
    sxz += cxz * g->weight;
    syz += cyz * g->weight;
  }
  xz = sxz;
  yz = syz;
  shape = (onlyYZ ? TMJBitSequences::OnlyYZAgree : 0u) |
          (onlyXZ ? TMJBitSequences::OnlyXZAgree : 0u) |
          (onlyXY ? TMJBitSequences::OnlyXYAgree : 0u) |
          (distinct ? TMJBitSequences::AllDiffer : 0u);
  return cost;
}

template <bool Masked>
[[gnu::always_inline]] inline int TripleSidesBy(const uint64_t* x, const uint64_t* y,
                                                const uint64_t* z, const PlaneSpan& s, int& xz,
                                                int& yz, unsigned& shape) {
  switch (s.planes) {
    case 1: return TripleSidesOn<Masked, 1>(x, y, z, s, xz, yz, shape);
    case 2: return TripleSidesOn<Masked, 2>(x, y, z, s, xz, yz, shape);
    case 3: return TripleSidesOn<Masked, 3>(x, y, z, s, xz, yz, shape);
    case 4: return TripleSidesOn<Masked, 4>(x, y, z, s, xz, yz, shape);
    case 5: return TripleSidesOn<Masked, 5>(x, y, z, s, xz, yz, shape);
    default: return TripleSidesOn<Masked, 0>(x, y, z, s, xz, yz, shape);
  }
}

[[gnu::always_inline]] inline int TripleSides(const uint64_t* x, const uint64_t* y,
                                              const uint64_t* z, const PlaneSpan& s, bool masked,
                                              int& xz, int& yz, unsigned& shape) {
  return masked ? TripleSidesBy<true>(x, y, z, s, xz, yz, shape)
                : TripleSidesBy<false>(x, y, z, s, xz, yz, shape);
}

int TripleSidesPortable(const uint64_t* x, const uint64_t* y, const uint64_t* z,
                        const PlaneSpan& s, bool masked, int& xz, int& yz, unsigned& shape) {
  return TripleSides(x, y, z, s, masked, xz, yz, shape);
}
MJ_POPCNT_TARGET int TripleSidesHardware(const uint64_t* x, const uint64_t* y, const uint64_t* z,
                                         const PlaneSpan& s, bool masked, int& xz, int& yz,
                                         unsigned& shape) {
  return TripleSides(x, y, z, s, masked, xz, yz, shape);
}

}  // namespace

int TMJBitSequences::TripleCostAndSides(const uint64_t* x, const uint64_t* y, const uint64_t* z,
                                        int& xz, int& yz, unsigned& shape) const {
  const PlaneSpan s{groups_.data(), groups_.data() + groups_.size(),
                    static_cast<std::size_t>(words_), static_cast<std::size_t>(planes_)};
  return hardware_ ? TripleSidesHardware(x, y, z, s, maskX_, xz, yz, shape)
                   : TripleSidesPortable(x, y, z, s, maskX_, xz, yz, shape);
}
