#pragma once
// Weighted distances of the median-joining calculation, computed on bit planes: every character
// that can make a difference (active, and not the same in every sequence seen) gets a small code per
// state, the codes are stored as bit planes, and a distance is a few XOR, OR and popcount steps per
// 64 characters. The result equals Trdf_DataSet::WeightedDistance over active characters; sequences
// holding ambiguity codes that need the compatibility table fall back to it.
// Active characters of weight 0 are encoded too (in groups that distances skip), so that two
// sequences have equal planes exactly when they agree on every active character; each sequence
// keeps a 64-bit hash of its planes for look-ups.

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
  // The distances of position a to positions first..last into out[0 .. last - first], as
  // Distance() gives them, in one pass over the rows (the loops that compare one sequence with
  // many others spend their time here).
  void Distances(int a, int first, int last, int* out) const;
  // The distances of `count` pairs of positions into out: pair r's positions are ends[r * stride]
  // and ends[r * stride + 1] (a list of links or of position pairs read in place).
  void PairDistances(const int32_t* ends, std::size_t stride, std::size_t count, int* out) const;

  // --- Rows, for building and looking up median vectors on the planes ---
  struct Group {
    int weight;
    int firstWord;
    int words;
  };
  // True when every encoded state had a code (no sequence shorter than the characters): then equal
  // planes mean equal states on the active characters.
  bool Complete() const { return complete_; }
  // True when some sequence's distances go through the data set.
  bool AnySlow() const;
  int Words() const { return words_; }
  int Planes() const { return planes_; }
  // Words of one row: planes_ planes of words_ words, then the 'X' mask plane.
  std::size_t Stride() const { return stride_; }
  // The words that identify a row (its planes, without the mask derived from them).
  std::size_t KeyWords() const { return static_cast<std::size_t>(planes_) * words_; }
  bool MaskX() const { return maskX_; }
  const std::vector<Group>& Groups() const { return groups_; }
  const uint64_t* Row(int pos) const {
    return bits_.data() + static_cast<std::size_t>(pos - 1) * stride_;
  }
  uint64_t Hash(int pos) const { return hashes_[static_cast<std::size_t>(pos - 1)]; }
  static uint64_t HashKey(const uint64_t* row, std::size_t keyWords);

  // Popcount kernel: the processor's instruction where it has one (chosen at run time), else the
  // portable routine. Tests switch to the portable one to check both give the same.
  static bool HardwarePopcountAvailable();
  void UseHardwarePopcount(bool on) { hardware_ = on && HardwarePopcountAvailable(); }
  bool UsesHardwarePopcount() const { return hardware_; }

  // Weighted count of the characters at which the rows differ, comparing codes exactly ('X' is a
  // state like any other here).
  int PlainDifference(const uint64_t* x, const uint64_t* y) const;
  // For every weighted character, its weight times (distinct states among x, y, z - 1).
  int TripleCost(const uint64_t* x, const uint64_t* y, const uint64_t* z) const;
  // Kinds of encoded characters (weight 0 included) among three rows x, y, z.
  enum TripleShape : unsigned {
    OnlyYZAgree = 1,  // y and z agree, x differs
    OnlyXZAgree = 2,
    OnlyXYAgree = 4,
    AllDiffer = 8,    // three different states
  };

private:
  const Trdf_DataSet* data_ = nullptr;
  struct Column {
    int character;                   // 0-based character index
    std::array<int16_t, 256> code;   // state -> code, -1 for a state never seen
  };
  std::vector<Column> columns_;      // grouped by weight, each group starting at a word boundary
  std::vector<Group> groups_;        // ascending weight; weight-0 groups first
  std::size_t firstWeighted_ = 0;    // first group with a weight above 0
  int words_ = 0;      // words per bit plane
  int planes_ = 0;     // bits per code
  bool maskX_ = false; // 'X' is the only ambiguity code and matches everything
  bool complete_ = true;
  bool hardware_ = HardwarePopcountAvailable();
  std::size_t stride_ = 0;
  int count_ = 0;
  std::vector<uint64_t> bits_;     // per sequence: planes_ planes, then the 'X' mask plane
  std::vector<uint8_t> slow_;      // per sequence: distances go through the data set
  int slowCount_ = 0;
  std::vector<uint64_t> hashes_;   // per sequence: HashKey of its row
  std::vector<uint64_t> keys_;     // per sequence: the planes of its row (KeyWords()), packed

public:
  // TripleCost(x, y, z), the distances of x to z and of y to z into xz and yz, and the
  // TripleShape bits of the rows into shape, in one pass over the three rows. The distances equal
  // Distance() for sequences that go through the planes (all of them when !AnySlow()).
  int TripleCostAndSides(const uint64_t* x, const uint64_t* y, const uint64_t* z, int& xz,
                         int& yz, unsigned& shape) const;
};
