#include "DlgChangeMultipleWeights.h"

#include "Dialogs.h"

#include <charconv>
#include <utility>

bool TMultipleWeights::Accept(int startIndex, int endIndex, const std::string& weightText) {
  const auto selected = [this](int index) {
    return index >= 0 && static_cast<std::size_t>(index) < names_.size();
  };
  if (!selected(startIndex) || weightText.empty() || !selected(endIndex)) {
    dialogs().showMessage(multiple_weights_messages::Incomplete, DialogKind::Error);
    return false;
  }
  // A whole number in decimal, with an optional sign, and nothing else.
  const char* first = weightText.data();
  const char* last = first + weightText.size();
  if (*first == '+' && last - first > 1) ++first;
  int weight = 0;
  const auto [end, ec] = std::from_chars(first, last, weight);
  if (ec != std::errc() || end != last) {
    dialogs().showMessage(multiple_weights_messages::InvalidWeight, DialogKind::Error);
    return false;
  }
  weight_ = weight;
  start_ = startIndex + 1;
  end_ = endIndex + 1;
  if (end_ < start_) std::swap(start_, end_);
  return true;
}
