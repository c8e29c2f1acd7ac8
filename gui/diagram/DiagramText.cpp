#include "DiagramText.h"

#include "Network_Diagramm.h"
#include "UHelp.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>

namespace diagramtext {

std::string Columns(std::string_view line, std::size_t from, std::size_t count) {
  if (from < 1 || from > line.size()) return {};
  return std::string(line.substr(from - 1, count));
}

std::string ColumnsFrom(std::string_view line, std::size_t from) {
  return Columns(line, from, std::string_view::npos);
}

namespace {
std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The whole text, blanks around it and a leading '+' allowed, as one number of type T.
template <class T> std::optional<T> ParseNumber(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  T value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}
}  // namespace

std::optional<int> ParseInteger(std::string_view text) { return ParseNumber<int>(text); }

std::optional<double> ParseReal(std::string_view text) { return ParseNumber<double>(text); }

int GroupNumber(std::string_view text) {
  try {
    return LeadingNumber(text);
  } catch (const std::out_of_range&) {
    return -1;
  }
}

std::string LongEdgesWarning() {
  const std::string limit = std::to_string(kMaxMutationsPerLink);
  return "Warning: There are links within the output filecontaining more than " + limit +
         " mutations. The links within" + "this program are restricted to " + limit +
         " mutations at most." + "Please check these links by hand.";
}

}  // namespace diagramtext
