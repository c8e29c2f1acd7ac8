#pragma once
// Writes the .sto result file: the tree or trees found, with their cost, then a byte-for-byte
// copy of the .out network that was solved. Links are named by their label (ordinal of the
// "Link" line in the .out file) and the names of their two end nodes.

#include "Graph.h"
#include "NameSpace.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace tesmo {

class StoWriter {
public:
  // input: the graph read from the .out file; labels: its per-arc link labels.
  StoWriter(const Graph& input, const IntArray& labels, const NameSpace& names);

  // Programs '1' and '2': one tree, a count-prefixed list of input arcs.
  bool writeTree(const std::string& stoPath, const std::string& outPath, char program,
                 std::int64_t cost, const IntArray& tree) const;
  // Programs '3' and '4': the network of all optimal trees (count-prefixed input arcs) and, for
  // '4', the trees: tree s is the 0-terminated arc list from store[starts[s]].
  bool writeNetwork(const std::string& stoPath, const std::string& outPath, char program,
                    const IntArray& network, std::int64_t optimalValue, const IntArray& store,
                    const IntArray& starts, int treeCount) const;

  static constexpr const char* header = "STO File, Tarvane package, Format Version 1.0";

private:
  void writeLink(std::ostream& out, int arc) const;
  // The network section and the end; closes the file. False when anything failed.
  bool finish(std::ofstream& out, const std::string& outPath) const;

  const Graph& input_;
  const IntArray& labels_;
  const NameSpace& names_;
};

}  // namespace tesmo
