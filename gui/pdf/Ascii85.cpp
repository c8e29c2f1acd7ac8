#include "Ascii85.h"

std::string Ascii85Encode(const std::uint8_t* data, std::size_t size) {
  std::string out;
  out.reserve(size / 4 * 5 + 7);
  std::size_t pos = 0;
  while (pos < size) {
    const std::size_t n = size - pos < 4 ? size - pos : 4;
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < 4; ++i)
      group = (group << 8) | (i < n ? data[pos + i] : 0u);
    pos += n;
    if (n == 4 && group == 0) {
      out.push_back('z');
      continue;
    }
    char digits[5];
    for (int i = 4; i >= 0; --i) {
      digits[i] = static_cast<char>('!' + group % 85);
      group /= 85;
    }
    out.append(digits, n + 1);
  }
  out += "~>";
  return out;
}
