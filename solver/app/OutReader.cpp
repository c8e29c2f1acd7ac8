#include "OutReader.h"

#include "Check.h"
#include "LogStream.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

namespace tesmo {

namespace {

constexpr std::string_view linkListStart = "Final links : ";
constexpr std::string_view weightStart = "Weight of character";

// The text of columns [col, col+len) (1-based), cut at the line end, trimmed of blanks.
std::string_view column(std::string_view line, std::size_t col, std::size_t len) {
  if (line.size() < col) return {};
  std::string_view f = line.substr(col - 1, len);
  const auto first = f.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = f.find_last_not_of(" \t");
  return f.substr(first, last - first + 1);
}

bool startsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// A link line keeps its fixed layout: "Link", the number right-justified in 5, the state,
// " Seq. ", the first key in columns 18-23, " with Seq. " in 24-34, the second key in 35-40,
// ", mutations at " from 41 and the mutation fields from 56. A number of six digits or more
// (link 100000 on) pushes everything after it to the right by its extra digits; the returned
// shift says by how many columns. Nothing when the line is malformed.
std::optional<std::size_t> linkShift(std::string_view line) {
  std::size_t end = 4;
  while (end < line.size() && line[end] == ' ') ++end;
  const std::size_t digits = end;
  while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
  if (end == digits || end < 9) return std::nullopt;
  const std::size_t shift = end - 9;
  const std::string_view rest = line.substr(shift);
  if (rest.size() < 54 || rest.substr(11, 6) != " Seq. " || rest.substr(23, 11) != " with Seq. " ||
      rest.substr(40, 14) != ", mutations at" || column(rest, 18, 6).empty() || column(rest, 35, 6).empty())
    return std::nullopt;
  return shift;
}

// A node name of a link line (columns 18-23 or 35-40 after the shift). The .sto file separates
// its fields by TAB, so a name holding one could not be read back from it.
bool hasTab(std::string_view line, std::size_t col) {
  return line.substr(col - 1, 6).find('\t') != std::string_view::npos;
}

struct Line {
  std::string_view text;
  int number;  // 1-based, for messages
};

std::string where(const Line& l, const std::string& path) {
  return "line " + std::to_string(l.number) + " of " + path;
}

// Weight line: "Weight of character " + position in columns 21-26 + " : " + the weight.
bool readWeight(const Line& l, const std::string& path, std::string_view& position, int& weight,
                std::string& error) {
  const std::string_view line = l.text;
  position = column(line, 21, 6);
  if (line.size() < 29 || line[27] != ':' || position.empty()) {
    error = "malformed weight " + where(l, path);
    return false;
  }
  std::size_t i = 28;
  while (i < line.size() && line[i] == ' ') ++i;
  const bool negative = i < line.size() && line[i] == '-';
  if (negative) ++i;
  const std::size_t digitsStart = i;
  std::int64_t value = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
    if (value <= maxint) value = value * 10 + (line[i] - '0');  // stops growing once too large
    ++i;
  }
  if (i == digitsStart || line.find_first_not_of(" \t", i) != std::string_view::npos) {
    error = "malformed weight " + where(l, path);
    return false;
  }
  if (negative || value > maxint) {
    error = "weight out of range 0..1600000000 in " + where(l, path);
    return false;
  }
  weight = static_cast<int>(value);
  return true;
}

// Calls visit(line) for every "Link" line of every link list; returns the "*" line or the end.
template <class Visit>
std::size_t walkLinkList(const std::vector<Line>& lines, std::size_t i, Visit visit) {
  for (; i < lines.size() && !startsWith(lines[i].text, "*"); ++i)
    if (startsWith(lines[i].text, "Link")) {
      if (!visit(lines[i])) return lines.size() + 1;
    }
  return i;
}

}  // namespace

bool parseOutFile(const std::string& path, Graph& g, NameSpace& names, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "out file not found: " + path;
    return false;
  }
  // Whole lines of any length, CR LF or LF.
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Line> lines;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view text(content.data() + start, end - start);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    lines.push_back(Line{text, static_cast<int>(lines.size()) + 1});
    start = end + 1;
  }

  // Pass 1: node names in order of first appearance, link count, character weights.
  NameSpace weights(7, 100, true);
  int linkCount = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (startsWith(lines[i].text, linkListStart)) {
      i = walkLinkList(lines, i + 1, [&](const Line& l) {
        const std::optional<std::size_t> shift = linkShift(l.text);
        if (!shift) {
          error = "malformed link " + where(l, path);
          return false;
        }
        const std::string_view line = l.text.substr(*shift);
        if (hasTab(line, 18) || hasTab(line, 35)) {
          error = "tab in node name in " + where(l, path);
          return false;
        }
        ++linkCount;
        for (std::size_t col : {18u, 35u}) {
          const std::string_view name = column(line, col, 6);
          if (names.find(name) == 0) names.add(name);
        }
        return true;
      });
      if (i > lines.size()) return false;
      if (i == lines.size()) break;
    }
    if (startsWith(lines[i].text, weightStart)) {
      std::string_view position;
      int weight = 0;
      if (!readWeight(lines[i], path, position, weight, error)) return false;
      const int k = weights.find(position);
      if (k)
        weights.setValue(k, weight);
      else
        weights.add(position, weight);
    }
  }

  int terminalCount = 0;
  for (int v = 1; v <= names.count(); ++v)
    if (!startsWith(names.name(v), "mv")) ++terminalCount;
  g.allocate(names.count(), linkCount, terminalCount);
  g.R = 0;
  for (int v = 1; v <= names.count(); ++v)
    if (!startsWith(names.name(v), "mv")) g.terminals[++g.R] = v;
  g.ID.assign(2 * static_cast<std::size_t>(linkCount) + 1, 0);
  g.IDcount = 2 * linkCount;

  // Pass 2: link ends and costs.
  bool missingWeight = false;
  std::int64_t tooLarge = -1;
  int k = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!startsWith(lines[i].text, linkListStart)) continue;
    i = walkLinkList(lines, i + 1, [&](const Line& l) {
      const std::string_view line = l.text.substr(*linkShift(l.text));
      ++k;
      const int a = names.find(column(line, 18, 6));
      const int b = names.find(column(line, 35, 6));
      std::int64_t cost = 0;
      for (std::size_t col = 56; line.size() + 1 >= col + 4; col += 9) {
        const std::string_view position = column(line, col, 6);
        if (position.empty()) continue;  // trailing blanks name no position
        const int w = weights.find(position);
        if (w) {
          cost += weights.value(w);
        } else {
          cost += maxint;
          log(0) << "Error reading file, mutation position '" << position << "' not found." << std::endl;
          missingWeight = true;
        }
      }
      // The solver's infinity means "no edge": a link must cost less.
      if (cost >= maxint && tooLarge < 0) tooLarge = cost;
      const int stored = static_cast<int>(std::min<std::int64_t>(cost, maxint));
      g.setEdge(k, a, b, stored);
      g.ID[2 * k - 1] = g.ID[2 * k] = k;
      return true;
    });
    if (i >= lines.size()) break;
  }
  if (missingWeight) {
    error = "mutation positions without weight in " + path;
    return false;
  }
  if (tooLarge >= 0) {
    error = "edge to large:" + std::to_string(tooLarge);
    return false;
  }
  return true;
}

void readOutFile(const std::string& path, Graph& g, NameSpace& names) {
  std::string error;
  if (!parseOutFile(path, g, names, error)) exitWithError(error);
  g.buildAdjacency();
  log(2) << "size: |V|=" << g.V << ", |E|=" << g.E << ", |R|=" << g.R << std::endl;
}

}  // namespace tesmo
