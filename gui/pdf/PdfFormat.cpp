#include "PdfFormat.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>

long long PdfRound(double value) {
  // Out-of-range and undefined values are pinned rather than converted (which is undefined).
  constexpr double limit = 9.0e18;
  if (std::isnan(value)) return 0;
  return static_cast<long long>(std::nearbyint(std::clamp(value, -limit, limit)));
}

std::string PdfNumber(double value) {
  char buffer[64];
  if (!std::isfinite(value)) value = 0;
  std::snprintf(buffer, sizeof buffer, "%.3f", value);
  std::string text = buffer;
  // Drop trailing zeros of the decimals, then a lone decimal point.
  text.erase(text.find_last_not_of('0') + 1);
  if (!text.empty() && text.back() == '.') text.pop_back();
  if (text == "-0") text = "0";
  return text;
}

char16_t PdfWinAnsiToUnicode(int code) {
  // 0x80..0x9F hold typographic characters; 0 marks the unused codes.
  static const char16_t high[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  if (code < 0 || code > 0xFF) return 0;
  if (code >= 0x80 && code < 0xA0) return high[code - 0x80];
  return static_cast<char16_t>(code);
}

std::string PdfSingleByte(std::string_view utf8) {
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    char mapped = '?';
    for (int code = 0x80; code < 0xA0; ++code)
      if (u != 0 && PdfWinAnsiToUnicode(code) == u) mapped = static_cast<char>(code);
    out.push_back(mapped);
  }
  return out;
}

std::string PdfEscapeString(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    if (c == '\r' || c == '\n' || c == '(' || c == ')' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string PdfNameText(std::string_view name) {
  std::string out;
  // Blanks, and every other byte a name cannot hold as it is (delimiters, "#", bytes outside
  // the printable ASCII range), go in as "#" and two hex digits.
  static const std::string_view delimiters = "()<>[]{}/%#";
  for (const char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F || delimiters.find(c) != std::string_view::npos) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "#%02X", b);
      out += hex;
    } else {
      out.push_back(c);
    }
  }
  return out;
}
