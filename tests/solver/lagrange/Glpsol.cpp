#include "Glpsol.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace lptest {

bool glpsolPresent() { return std::system("command -v glpsol >/dev/null 2>&1") == 0; }

std::optional<LpSolution> solveWithGlpsol(const std::string& file, bool mps, const std::string& scratchDir) {
  const std::string report = scratchDir + "/glpsol.out";
  const std::string command = std::string("glpsol ") + (mps ? "--mps '" : "--lp '") + file + "' -o '" + report +
                              "' >'" + scratchDir + "/glpsol.log' 2>&1";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  std::ifstream in(report);
  LpSolution solution;
  bool optimal = false, inColumns = false;
  std::string line;
  std::vector<std::string> pending;  // a long name sits on a line of its own
  while (std::getline(in, line)) {
    if (line.rfind("Status:", 0) == 0) optimal = line.find("OPTIMAL") != std::string::npos;
    if (line.rfind("Objective:", 0) == 0) {
      const auto eq = line.find('=');
      solution.objective = std::stod(line.substr(eq + 1));
    }
    if (line.find("Column name") != std::string::npos) {
      inColumns = true;
      std::getline(in, line);  // the dashes
      continue;
    }
    if (!inColumns) continue;
    if (line.empty() || line.rfind("Karush", 0) == 0) break;
    std::istringstream words(line);
    std::vector<std::string> t;
    for (std::string w; words >> w;) t.push_back(w);
    if (pending.size() == 2) {  // continuation: status, activity, ...
      if (t.size() >= 2) solution.columns[pending[1]] = std::stod(t[1]);
      pending.clear();
      continue;
    }
    if (t.size() == 2) {
      pending = t;
    } else if (t.size() >= 4) {
      solution.columns[t[1]] = std::stod(t[3]);
    }
  }
  if (!optimal) return std::nullopt;
  return solution;
}

void writePairs(const LpSolution& solution, const std::string& file) {
  std::ofstream out(file);
  for (const auto& [name, value] : solution.columns) out << name << ' ' << value << '\n';
}

}  // namespace lptest
