#pragma once
// Weighted distances of the median-joining calculation, computed on bit planes: every character
// that can make a difference (active, and not the same in every sequence seen) gets a small code per
// state, the codes are stored as bit planes, and a distance is a few XOR, OR and popcount steps per
// 64 characters. The result equals Trdf_DataSet::WeightedDistance over active characters; sequences
// holding ambiguity codes that need the compatibility table fall back to it.

#include "RDF_DataSet_Definition.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TMJBitSequences {
public:
  // Prepares the codes from the states of every taxon of `data` and of `extra` (sequences that may
  // join later, such as taxa kept aside for rooting), then encodes taxa 1..count of `data`.
  void Prepare(const Trdf_DataSet& data, const std::vector<Trdf_Sequence>& extra);
  // Appends the encoding of one more sequence (the data set's next position).
  void Append(const std::string& states);
  // Drops the encodings of the given 1-based positions (ascending, no repeats).
  void Erase(const std::vector<int>& positions);
  int Count() const { return count_; }

  // The weighted distance of positions a and b (1-based) over active characters.
  int Distance(int a, int b) const;

private:
  const uint64_t* Row(int pos) const {
    return bits_.data() + static_cast<std::size_t>(pos - 1) * stride_;
  }

  const Trdf_DataSet* data_ = nullptr;
  struct Column {
    int character;                   // 0-based character index
    std::array<int16_t, 256> code;   // state -> code, -1 for a state never seen
  };
  std::vector<Column> columns_;      // grouped by weight, each group starting at a word boundary
  struct Group {
    int weight;
    int firstWord;
    int words;
  };
  std::vector<Group> groups_;
  int words_ = 0;      // words per bit plane
  int planes_ = 0;     // bits per code
  bool maskX_ = false; // 'X' is the only ambiguity code and matches everything
  std::size_t stride_ = 0;
  int count_ = 0;
  std::vector<uint64_t> bits_;     // per sequence: planes_ planes, then the 'X' mask plane
  std::vector<uint8_t> slow_;      // per sequence: distances go through the data set
};
