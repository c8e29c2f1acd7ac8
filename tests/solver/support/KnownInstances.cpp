#include "KnownInstances.h"

#include "TestPaths.h"

#include <fstream>
#include <sstream>

namespace tesmotest {

std::vector<KnownInstance> readKnownInstances(const std::filesystem::path& table) {
  std::vector<KnownInstance> list;
  std::ifstream in(table);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream row(line);
    KnownInstance k;
    if (row >> k.file >> k.nodes >> k.edges >> k.terminals >> k.optimum) {
      k.path = table.parent_path() / k.file;
      list.push_back(k);
    }
  }
  return list;
}

std::filesystem::path sharedSteinerTable() { return testpaths::sharedData("steiner/optima.tsv"); }
std::filesystem::path smallInstanceTable() { return testpaths::testData("solver/stp/optima.tsv"); }

}  // namespace tesmotest
