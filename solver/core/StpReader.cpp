#include "StpReader.h"

#include "Check.h"
#include "LogStream.h"
#include "Shell.h"
#include "StpFormat.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace tesmo {

namespace {

// Vertex arrays are allocated from the announced node count before any vertex is seen, so the
// count is a claim to be checked, not a size: besides this fixed limit it may not exceed the
// file's length in bytes (every vertex of an instance is named in it, in two bytes at least).
constexpr long long maxNodes = 100000000;

bool nodesHeld(long long nodes, std::size_t fileSize) {
  return nodes >= 1 && nodes <= maxNodes && nodes <= static_cast<long long>(fileSize);
}

bool parseInt(std::string_view token, long long& value) {
  const char* begin = token.data();
  const char* end = begin + token.size();
  if (begin != end && *begin == '+') ++begin;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end;
}

bool parseDouble(std::string_view token, double& value) {
  const std::string text(token);
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size() && std::isfinite(value);
}

}  // namespace

StpReader::StpReader() {
  display_ = shell.Iget("display", 0);
  displaySwap_ = shell.Iget("displaySwap", 1);
  roundFloatType_ = shell.Iget("roundFloatType", 0);
  roundFloatFactor_ = shell.Iget("roundFloatFactor", 1);
  shrinkGraph_ = shell.Iget("shrinkGraph", 0);
}

bool StpReader::fail(std::string message) {
  error_ = std::move(message);
  return false;
}

bool StpReader::nextLine(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const std::size_t end = text_.find('\n', pos_);
  const std::size_t stop = end == std::string::npos ? text_.size() : end;
  line = trimmedRight(std::string_view(text_).substr(pos_, stop - pos_));
  pos_ = end == std::string::npos ? text_.size() : end + 1;
  return true;
}

bool StpReader::nextToken(std::string_view& token) {
  while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  if (pos_ >= text_.size()) return false;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  token = std::string_view(text_).substr(start, pos_ - start);
  return true;
}

bool StpReader::nextInt(long long& value) {
  std::string_view token;
  return nextToken(token) && parseInt(token, value);
}

bool StpReader::read(Graph& g, const std::string& path) {
  error_.clear();
  graphSeen_ = treeSeen_ = false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("file not found.");
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text_ = buffer.str();
  pos_ = 0;

  const bool ok = isPlainNumericName(path) ? readPlainNumeric(g) : readSections(g);
  text_.clear();
  if (!ok) return false;
  if (g.V == 0 || g.E == 0 || g.R == 0) return fail("incorrect input or file not found.");
  if (!treeSeen_) std::sort(g.terminals.begin() + 1, g.terminals.begin() + g.R + 1);
  g.buildAdjacency();
  log(2) << "size: |V|=" << g.V << ", |E|=" << g.E << ", |R|=" << g.R << std::endl;
  return true;
}

bool StpReader::readPlainNumeric(Graph& g) {
  long long nodes = 0;
  long long edges = 0;
  if (!nextInt(nodes) || !nextInt(edges) || !nodesHeld(nodes, text_.size()) || edges < 1 ||
      edges > static_cast<long long>(text_.size()))
    return fail("incorrect input or file not found.");
  g.allocate(static_cast<int>(nodes), static_cast<int>(edges), static_cast<int>(nodes));
  for (int k = 1; k <= g.E; ++k) {
    long long u = 0;
    long long v = 0;
    std::string_view costToken;
    if (!nextInt(u) || !nextInt(v) || !nextToken(costToken))
      return fail("incorrect fileformat. Number of edges not correct.");
    if (u < 1 || u > nodes || v < 1 || v > nodes)
      return fail("incorrect fileformat. vertex out of range 1.." + std::to_string(nodes) + ".");
    int cost = 0;
    if (!toCost(costToken, cost)) return false;
    g.setEdge(k, static_cast<int>(u), static_cast<int>(v), cost);
  }
  long long terminals = 0;
  if (!nextInt(terminals) || terminals < 0 || terminals > nodes)
    return fail("incorrect input or file not found.");
  g.R = static_cast<int>(terminals);
  for (int k = 1; k <= g.R; ++k) {
    long long t = 0;
    if (!nextInt(t) || t < 1 || t > nodes) return fail("incorrect input or file not found.");
    g.terminals[k] = static_cast<int>(t);
  }
  return true;
}

bool StpReader::toCost(std::string_view token, int& cost) {
  double c = 0;
  if (!parseDouble(token, c))
    return fail("incorrect fileformat. Expecting an edge cost got '" + std::string(token) + "'");
  if (c < 0) return fail("incorrect fileformat. negative edge cost " + std::string(token) + ".");
  double x = c;
  if (roundFloatType_ == 0) {
    if (c > maxint) return fail("edge to large:" + std::string(token));
    cost = static_cast<int>(c);
    if (c - cost > 0.001)
      return fail("floating point edge cost. use roundFloatType/roundFloatFactor.");
    return true;
  }
  x = roundFloatFactor_ * c;
  if (roundFloatType_ == 3) x = std::ceil(x);
  if (roundFloatType_ == 2) x += 0.5;
  if (x > maxint || x < 0) return fail("edge to large:" + std::string(token));
  cost = static_cast<int>(x);
  return true;
}

bool StpReader::readSections(Graph& g) {
  std::string_view line;
  nextLine(line);  // the header line, in any of its variants
  while (nextLine(line)) {
    if (line.size() < 7 || !equalsIgnoringCase(line.substr(0, 7), "section")) continue;
    const std::string_view name = line.size() > 8 ? trimmedRight(line.substr(8)) : "";
    if (equalsIgnoringCase(name, "comment")) {
      while (nextLine(line) && !equalsIgnoringCase(line, "END")) log(4) << line << std::endl;
    } else if (!name.empty() && name[0] == 'G') {
      if (!readGraphSection(g)) return false;
    } else if (equalsIgnoringCase(name, "terminals")) {
      if (!readTerminalsSection(g)) return false;
    } else if (equalsIgnoringCase(name, "tree")) {
      treeSeen_ = true;
    } else if (display_ != 0 && equalsIgnoringCase(name, "coordinates")) {
      if (!readCoordinatesSection(g)) return false;
    }
  }
  return true;
}

bool StpReader::readGraphSection(Graph& g) {
  if (graphSeen_) return fail("incorrect input or file not found.");
  std::string_view word;
  long long nodes = 0;
  long long edges = 0;
  if (!nextToken(word) || !nextInt(nodes) || !nextToken(word) || !nextInt(edges) ||
      !nodesHeld(nodes, text_.size()) || edges < 0)
    return fail("incorrect input or file not found.");
  // Every edge line takes at least seven characters, so a larger count cannot be met.
  edges = std::min<long long>(edges, static_cast<long long>(text_.size() / 7 + 1));
  g.allocate(static_cast<int>(nodes), static_cast<int>(edges), static_cast<int>(nodes));
  g.R = 0;
  graphSeen_ = true;
  long long unit = 100000;
  bool endSeen = false;
  const int announced = g.E;
  for (int k = 1; k <= announced; ++k) {
    if (!nextToken(word) || equalsIgnoringCase(word, "End")) {
      g.E = k - 1;
      log(1) << "incorrect fileformat. " << "Number of edges not correct. (Ignored)\n";
      endSeen = true;
      break;
    }
    const std::string kind(word);
    long long u = 0;
    long long v = 0;
    std::string_view uToken, vToken, costToken;
    if (!nextToken(uToken) || !parseInt(uToken, u))
      return fail("incorrect fileformat. Expecting a vertex number got '" + std::string(uToken) +
                  "'");
    if (!nextToken(vToken) || !parseInt(vToken, v))
      return fail("incorrect fileformat. Expecting a vertex number got '" + std::string(vToken) +
                  "'");
    if (!nextToken(costToken))
      return fail("incorrect fileformat. Expecting an edge cost got ''");
    int cost = 0;
    if (!toCost(costToken, cost)) return false;
    if (kind == "A") {
      long long reverse = 0;
      if (!nextInt(reverse) || reverse != cost)
        return fail("incorrect fileformat. Expected undirected instance.");
    } else if (kind != "E") {
      return fail("incorrect fileformat. Expecting 'E' got '" + kind + "'");
    }
    if (u < 1 || u > nodes || v < 1 || v > nodes)
      return fail("incorrect fileformat. vertex out of range 1.." + std::to_string(nodes) + ".");
    g.setEdge(k, static_cast<int>(u), static_cast<int>(v), cost);
    while (unit > 1 && cost % unit != 0) unit /= 10;
  }
  if (!endSeen) {
    if (!nextToken(word)) word = "";
    if (!equalsIgnoringCase(word, "END"))
      log(1) << "incorrect fileformat. Expecting 'End' got '" << word << "'. (Ignored)\n";
  }
  if (shrinkGraph_ > 1) unit = shrinkGraph_;
  if (shrinkGraph_ != 0 && unit > 1) {
    log(0) << "dividing edge costs by " << unit << std::endl;
    for (int a = 1; a <= 2 * g.E; ++a) g.arcs[a].cost = static_cast<int>(g.arcs[a].cost / unit);
  }
  return true;
}

bool StpReader::readTerminalsSection(Graph& g) {
  std::string_view word;
  long long count = 0;
  if (!graphSeen_ || !nextToken(word) || !nextInt(count) || count < 0 || count > g.V)
    return fail("incorrect input or file not found.");
  if (g.terminals.size() < static_cast<std::size_t>(count) + 1) g.terminals.resize(count + 1, 0);
  for (int k = 1; k <= count; ++k) {
    long long t = 0;
    if (!nextToken(word) || !nextInt(t)) return fail("incorrect input or file not found.");
    if (t < 1 || t > g.V)
      return fail("incorrect fileformat. vertex out of range 1.." + std::to_string(g.V) + ".");
    g.terminals[k] = static_cast<int>(t);
  }
  g.R = static_cast<int>(count);
  return true;
}

bool StpReader::readCoordinatesSection(const Graph& g) {
  if (!graphSeen_) return fail("incorrect input or file not found.");
  // No display is attached: the coordinates are checked, then dropped.
  std::string_view word;
  for (int i = 1; i <= g.V;) {
    if (!nextToken(word) || (word != "DD" && word != "DDD"))
      return fail("incorrect fileformat. Expecting 'DD' got '" + std::string(word) + "'");
    const bool threeD = word == "DDD";
    long long n = 0;
    std::string_view xToken, yToken;
    double x = 0;
    double y = 0;
    if (!nextInt(n) || !nextToken(xToken) || !nextToken(yToken) || !parseDouble(xToken, x) ||
        !parseDouble(yToken, y))
      return fail("incorrect fileformat. Expecting 'DD' got '" + std::string(word) + "'");
    long long z = 0;
    if (threeD && !nextInt(z))
      return fail("incorrect fileformat. Expecting 'DD' got '" + std::string(word) + "'");
    if (n == i) {
      ++i;
      continue;
    }
    log(1) << "incorrect fileformat. " << "expected coordinate " << i << " received " << n
           << ".\n";
    if (n != i - 1)
      return fail("incorrect fileformat. expected coordinate " + std::to_string(i) +
                  " received " + std::to_string(n) + ".");
  }
  return true;
}

int readStp(Graph& g) {
  const char* problem = shell.lookup("problem");
  StpReader reader;
  if (!reader.read(g, problem ? problem : "")) exitWithError(reader.error());
  return 1;
}

}  // namespace tesmo
