#include "StpFormat.h"

#include <cctype>

namespace tesmo {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view trimmedRight(std::string_view line) {
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
    line.remove_suffix(1);
  return line;
}

bool isSectionLine(std::string_view line, std::string_view name) {
  line = trimmedRight(line);
  return line.size() >= 8 && equalsIgnoringCase(line.substr(0, 7), "section") &&
         equalsIgnoringCase(trimmedRight(line.substr(8)), name);
}

}  // namespace tesmo
