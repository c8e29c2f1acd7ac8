#pragma once
// Tables of STP instances with known optima: a header line, then one instance a line
// (file, nodes, edges, terminals, optimum; separated by white space), the file named relative to
// the table's folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tesmotest {

struct KnownInstance {
  std::string file;            // as the table names it
  std::filesystem::path path;  // the file itself
  int nodes = 0;
  int edges = 0;
  int terminals = 0;
  std::int64_t optimum = 0;
};

// The rows of the table; empty when it cannot be read.
std::vector<KnownInstance> readKnownInstances(const std::filesystem::path& table);

// The shared Steiner data (skip the test when it is absent) and our own small instances.
std::filesystem::path sharedSteinerTable();
std::filesystem::path smallInstanceTable();

}  // namespace tesmotest
