#include "UHelp.h"

#include <cmath>

#include "Dialogs.h"

#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

int CountTextFileLines(std::istream& file) {
  file.clear();
  file.seekg(0);
  int lines = 0;
  bool open = false;  // characters seen since the last line end
  char c;
  while (file.get(c)) {
    if (c == '\n') {
      ++lines;
      open = false;
    } else if (c == '\r') {
      ++lines;
      open = false;
      if (file.peek() == '\n') file.get(c);
    } else {
      open = true;
    }
  }
  if (open) ++lines;
  file.clear();
  file.seekg(0);
  return lines;
}

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

bool ReadWholeFile(const std::string& fileName, std::string& text) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  text = std::move(buffer).str();
  return true;
}

bool WriteWholeFile(const std::string& fileName, std::string_view bytes) {
  const std::string interim = fileName + ".interim~";
  std::error_code ec;
  {
    std::ofstream file(interim, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::filesystem::remove(interim, ec);
      return false;
    }
  }
  std::filesystem::rename(interim, fileName, ec);
  if (ec) {
    std::filesystem::remove(interim, ec);
    return false;
  }
  return true;
}

bool ReadTextFileLines(const std::string& fileName, std::vector<std::string>& lines) {
  std::string text;
  if (!ReadWholeFile(fileName, text)) return false;
  lines = SplitTextLines(text);
  return true;
}

std::size_t ExtensionDotIndex(std::string_view fileName) {
  // Folders may carry dots ("/home/u/.data/set", "C:\data.old\set"): only the last component counts.
  const std::size_t slash = fileName.find_last_of("/\\");
  const std::size_t componentStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot <= componentStart) return std::string_view::npos;
  return dot;
}

namespace {
std::string WithoutExtension(const std::string& fileName) {
  const std::size_t dot = ExtensionDotIndex(fileName);
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}
}  // namespace

bool ChangeFileExtension(const std::string& extension, const std::string& fileName,
                         std::string& result) {
  if (extension.size() < 3 || extension.size() > 4) {
    dialogs().showMessage("Wrong file extension. Please correct", DialogKind::Error);
    return false;
  }
  result = WithoutExtension(fileName) + "." + extension;
  return true;
}

void ForceFileExtension(const std::string& extension, std::string& fileName) {
  const std::string suffix = "." + extension;
  if (fileName.size() >= suffix.size() &&
      fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) == 0)
    return;
  fileName = WithoutExtension(fileName) + suffix;
}

int TrailingNumber(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && std::isdigit(static_cast<unsigned char>(text[start - 1]))) --start;
  if (start == text.size()) throw std::invalid_argument("no trailing number in '" +
                                                        std::string(text) + "'");
  return std::stoi(std::string(text.substr(start)));
}

int LeadingNumber(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  if (end == 0) return -1;
  return std::stoi(std::string(text.substr(0, end)));
}

int LastCharPos(std::string_view text, char c) {
  const std::size_t pos = text.rfind(c);
  return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

int FirstCharPos(std::string_view text, char c) {
  if (text.empty()) return 1;
  const std::size_t pos = text.substr(0, text.size() - 1).find(c);
  return pos == std::string_view::npos ? static_cast<int>(text.size()) : static_cast<int>(pos) + 1;
}

bool NormaliseLineEnds(const std::string& fileName) {
  std::string text;
  if (!ReadWholeFile(fileName, text)) return false;

  // Lines are ended by CR LF; a bare LF inside a line ends a piece of its own.
  std::string out;
  bool bareLineFeed = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    const bool terminated = end != std::string::npos;
    if (!terminated) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    std::size_t pieceStart = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '\n') continue;
      out.append(line.substr(pieceStart, i - pieceStart)).append("\r\n");
      pieceStart = i + 1;
      bareLineFeed = true;
    }
    if (pieceStart < line.size()) out.append(line.substr(pieceStart)).append("\r\n");
    start = terminated ? end + 2 : end;
  }
  return !bareLineFeed || WriteWholeFile(fileName, out);
}

namespace {
template <std::size_t N>
int StyleFromName(std::string_view name, const std::array<std::string_view, N>& names,
                  int defaultStyle) {
  for (std::size_t i = 0; i < N; ++i)
    if (names[i] == name) return static_cast<int>(i);
  return defaultStyle;
}
}  // namespace

int BrushStyleFromName(std::string_view name, int defaultStyle) {
  static constexpr std::array<std::string_view, 8> names = {
      "solid", "clear", "horizontal", "vertical", "forward diagonal", "backward diagonal",
      "cross", "diagonal cross"};
  return StyleFromName(name, names, defaultStyle);
}

int PenStyleFromName(std::string_view name, int defaultStyle) {
  static constexpr std::array<std::string_view, 6> names = {"solid", "----",   "....",
                                                            "_._.",  "_.._..", "clear"};
  return StyleFromName(name, names, defaultStyle);
}

std::string ReplaceCharByString(std::string_view text, char c, std::string_view replacement) {
  std::string result;
  result.reserve(text.size());
  for (char ch : text) {
    if (ch == c)
      result.append(replacement);
    else
      result.push_back(ch);
  }
  return result;
}

int RoundEven(double value) {
  // nearbyint follows the default rounding mode, which is to nearest with halves to even.
  const double r = std::nearbyint(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return r > 0 ? 2147483647 : -2147483647 - 1;
  return static_cast<int>(r);
}
