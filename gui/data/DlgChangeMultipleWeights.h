#pragma once
// What the multiple-weights dialog collects: a run of consecutive characters (picked by name) and
// one weight for all of them. The dialog only checks that the choice is complete and the weight a
// whole number; the editor applies it, and the data set refuses weights out of range one character
// at a time. Plain C++: no Qt.

#include <string>
#include <vector>

namespace multiple_weights_messages {
inline const std::string Incomplete = "You have to set the required parameter first";
inline const std::string InvalidWeight = "The entered weight is invalid. Please correct";
}  // namespace multiple_weights_messages

class TMultipleWeights {
public:
  void SetNames(std::vector<std::string> names) { names_ = std::move(names); }
  const std::vector<std::string>& Names() const { return names_; }
  void SetWeight(int weight) { weight_ = weight; }
  int Weight() const { return weight_; }
  // 1-based positions of the first and last character, start <= end.
  int Start() const { return start_; }
  int End() const { return end_; }

  // The OK step: `startIndex` and `endIndex` are the 0-based list selections (-1 for none).
  // False, after the message, when something is missing or the weight is no whole number; the
  // kept values are then unchanged.
  bool Accept(int startIndex, int endIndex, const std::string& weightText);

private:
  std::vector<std::string> names_;
  int weight_ = 0;
  int start_ = 1;
  int end_ = 1;
};
