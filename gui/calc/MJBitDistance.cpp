#include "MJBitDistance.h"

#include <algorithm>
#include <bit>

void TMJBitSequences::Prepare(const Trdf_DataSet& data, const std::vector<Trdf_Sequence>& extra) {
  data_ = &data;
  columns_.clear();
  groups_.clear();
  maskX_ = data.AmbiguousStates == TCharSet("X");
  int maxStates = 1;
  std::vector<Column> used;
  for (int c = 0; c < data.CharacterCount(); ++c) {
    const Trdf_Character& ch = data.Characters[static_cast<std::size_t>(c)];
    if (!ch.Active || ch.Weight == 0) continue;
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
  columns_ = std::move(used);
  stride_ = static_cast<std::size_t>(words_) * static_cast<std::size_t>(planes_ + 1);
  count_ = 0;
  bits_.clear();
  slow_.clear();
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
      const std::size_t word = static_cast<std::size_t>(g.firstWord + bit / 64);
      const uint64_t mask = uint64_t{1} << (bit % 64);
      if (static_cast<std::size_t>(col.character) >= states.size()) {
        slow = true;
        continue;
      }
      const char s = states[static_cast<std::size_t>(col.character)];
      const int code = col.code[static_cast<unsigned char>(s)];
      if (code < 0) slow = true;
      if (maskX_) {
        if (s == 'X') row[static_cast<std::size_t>(planes_) * words_ + word] |= mask;
      } else if (data_->AmbiguousStates.Contains(s)) {
        slow = true;
      }
      for (int p = 0; p < planes_; ++p)
        if (code >= 0 && ((code >> p) & 1))
          row[static_cast<std::size_t>(p) * words_ + word] |= mask;
    }
  }
  slow_.push_back(slow ? 1 : 0);
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
    }
    ++write;
  }
  count_ = static_cast<int>(write);
  bits_.resize(write * stride_);
  slow_.resize(write);
}

int TMJBitSequences::Distance(int a, int b) const {
  if (a == b) return 0;
  if (slow_[static_cast<std::size_t>(a - 1)] || slow_[static_cast<std::size_t>(b - 1)])
    return data_->WeightedDistance(std::min(a, b), std::max(a, b), false);
  const uint64_t* x = Row(a);
  const uint64_t* y = Row(b);
  const std::size_t w = static_cast<std::size_t>(words_);
  int total = 0;
  for (const Group& g : groups_) {
    int count = 0;
    for (int k = g.firstWord; k < g.firstWord + g.words; ++k) {
      const auto i = static_cast<std::size_t>(k);
      uint64_t diff = 0;
      for (std::size_t p = 0; p < static_cast<std::size_t>(planes_); ++p)
        diff |= x[p * w + i] ^ y[p * w + i];
      if (maskX_) diff &= ~(x[planes_ * w + i] | y[planes_ * w + i]);
      count += std::popcount(diff);
    }
    total += count * g.weight;
  }
  return total;
}
