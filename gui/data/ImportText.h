#pragma once
// Small text scans shared by the readers of foreign data files (.ych, .tor, .phy, .nex).

#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace import_text {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

inline bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// A decimal integer with an optional sign, blanks around it ignored; nothing when the text is not
// one or does not fit 32 bits.
inline std::optional<int32_t> Int32Number(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (!AllDigits(text)) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<int32_t>(value);
}

// The pieces between separators; n separators give n + 1 pieces.
inline std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// SplitAt without the empty piece after a closing separator ("a,b," gives a and b).
inline std::vector<std::string_view> SplitList(std::string_view text, char separator) {
  std::vector<std::string_view> pieces = SplitAt(text, separator);
  if (pieces.size() > 1 && TrimBlanks(pieces.back()).empty()) pieces.pop_back();
  return pieces;
}

}  // namespace import_text
