// Saving the reduction instance, with its best tree, as an STP file.

#include "ReduceGraph.h"

#include "LogStream.h"
#include "Shell.h"
#include "StpFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace tesmo {

std::string ReduceGraph::defaultSaveFileName(const char* stem) {
  if (const char* logFile = shell.lookup("output"); logFile && *logFile) {
    std::filesystem::path path(logFile);
    path.replace_extension();
    return path.string() + "." + stem + ".stp";
  }
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
  if (ec) dir = ".";
  std::string pattern = (dir / ("tesmo-" + std::string(stem) + "-XXXXXX.stp")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemps(name.data(), 4);
  if (fd < 0) return std::string("tesmo-") + stem + ".stp";
  close(fd);
  return std::string(name.data());
}

namespace {

struct Point {
  long long x = 0;
  long long y = 0;
};

// The coordinate lines of the problem file, by position: the k-th line gives original vertex k.
std::vector<Point> readProblemCoordinates(const char* problem) {
  std::vector<Point> points(1);
  std::ifstream in(problem);
  if (!in) return points;
  std::string line;
  std::getline(in, line);
  bool inSection = false;
  while (std::getline(in, line)) {
    if (!inSection) {
      inSection = isSectionLine(line, "coordinates");
      continue;
    }
    std::istringstream words(line);
    std::string word;
    double number = 0;
    double x = 0;
    double y = 0;
    if (!(words >> word) || equalsIgnoringCase(word, "end")) break;
    if (!(words >> number >> x >> y)) break;
    double z = 0;
    if (word == "DDD" && (words >> z)) {
      x += z;
      y += 2 * z;
    }
    points.push_back(Point{static_cast<long long>(x), static_cast<long long>(y)});
  }
  return points;
}

// Copies every Comment section of the problem file, each followed by an empty line.
void copyProblemComments(const char* problem, std::ostream& out) {
  std::ifstream in(problem);
  if (!in) return;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    if (!isSectionLine(line, "comment")) continue;
    out << trimmedRight(line) << "\n";
    while (std::getline(in, line)) {
      out << trimmedRight(line) << "\n";
      if (equalsIgnoringCase(trimmedRight(line), "end")) break;
    }
    out << "\n";
  }
}

}  // namespace

void ReduceGraph::saveGraph(const char* fileName, const char* comment) const {
  std::string name;
  if (fileName) {
    name = fileName;
  } else if (const char* option = shell.lookup("saveGraph")) {
    name = option;
  } else {
    name = defaultSaveFileName("save");
  }
  log(0) << "saving Graph to: " << name << std::endl;

  IntArray newNumber;
  const int n = liveNumbering(newNumber);
  const int x = (contractCost > 0 && R >= 1) ? 1 : 0;
  const int lastTerminal = R >= 1 ? terminals[R] : 0;

  std::ofstream out(name, std::ios::out | std::ios::trunc);
  if (!out) {
    log(1) << "cannot write " << name << std::endl;
    return;
  }
  const char* problem = shell.lookup("problem");
  const bool plain = problem == nullptr || isPlainNumericName(problem);

  out << "33D32945 STP File, STP Format Version 1.0\n\n";
  if (comment) {
    out << "Section Comment\n" << comment << "\nEnd\n\n";
  } else if (!plain) {
    copyProblemComments(problem, out);
  }

  // Each edge once, from its side with the smaller tail, when either slot is live.
  auto edgeWritten = [this](int s) {
    return arcs[s].tail < arcs[s].head && (!delE[s] || !delE[partner[s]]);
  };
  int edges = 0;
  for (int v = 1; v <= V; ++v) {
    if (newNumber[v] == 0) continue;
    const int end = firstArc[v] + degree[v];
    for (int s = firstArc[v]; s < end; ++s)
      if (edgeWritten(s)) ++edges;
  }
  out << "Section Graph\nNodes " << n + x << "\nEdges " << edges + x << "\n";
  for (int v = 1; v <= V; ++v) {
    if (newNumber[v] == 0) continue;
    const int end = firstArc[v] + degree[v];
    for (int s = firstArc[v]; s < end; ++s)
      if (edgeWritten(s))
        out << "E " << newNumber[arcs[s].tail] << " " << newNumber[arcs[s].head] << " "
            << arcs[s].cost << "\n";
  }
  if (x) out << "E " << newNumber[lastTerminal] << " " << n + 1 << " " << contractCost << "\n";

  out << "End\n\nSection Terminals\nTerminals " << R + x << "\n";
  for (int k = 1; k <= R; ++k) out << "T " << newNumber[terminals[k]] << "\n";
  if (x) out << "T " << n + 1 << "\n";
  out << "End\n\n";

  if (!plain) {
    const std::vector<Point> points = readProblemCoordinates(problem);
    if (points.size() > 1) {
      auto pointOf = [&points](int original) {
        const std::size_t k = static_cast<std::size_t>(std::abs(original));
        return k < points.size() ? points[k] : Point{};
      };
      out << "Section Coordinates\n";
      for (int v = 1; v <= V; ++v) {
        if (newNumber[v] == 0) continue;
        const Point p = pointOf(origVertex[v]);
        out << "DD " << newNumber[v] << " " << p.x << " " << p.y << "\n";
      }
      if (x) {
        const Point p = pointOf(origVertex[lastTerminal]);
        out << "DD " << n + 1 << " " << p.x - 2 << " " << p.y + 2 << "\n";
      }
      out << "End\n\n";
    }
  }

  if (upperValue != maxint) {
    out << "Section Tree\nValue " << upperValue << "\n";
    if (!upperOk) {
      out << "Tree-Edges 0\n";
    } else {
      auto treeSlot = [this](int s) {
        const int p = partner[s];
        return s < p && partner[p] == s && inTree[ID[s]] && (!delE[s] || !delE[p]);
      };
      int count = 0;
      for (int s = 1; s <= 2 * E; ++s)
        if (treeSlot(s)) ++count;
      out << "Tree-Edges " << count + x << "\n";
      for (int s = 1; s <= 2 * E; ++s)
        if (treeSlot(s))
          out << "TE " << newNumber[arcs[s].tail] << " " << newNumber[arcs[s].head] << "\n";
      if (x) out << "TE " << newNumber[lastTerminal] << " " << n + 1 << "\n";
    }
    out << "End\n";
  }
  out << "\nEOF\n";
  out.close();
  if (!out) log(1) << "cannot write " << name << std::endl;

  if (shell.Iget("waitAfterSave", 0) != 0) {
    log(1) << "Enter return to continue\n";
    std::cin.get();
  }
}

}  // namespace tesmo
