#include "StoWriter.h"

#include <fstream>
#include <string_view>

namespace tesmo {

namespace {

// Node names as the .sto shows them: trimmed, at most 6 characters.
std::string_view shortName(std::string_view name) {
  const auto first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  name = name.substr(first, name.find_last_not_of(' ') - first + 1);
  return name.substr(0, 6);
}

}  // namespace

StoWriter::StoWriter(const Graph& input, const IntArray& labels, const NameSpace& names)
    : input_(input), labels_(labels), names_(names) {}

void StoWriter::writeLink(std::ostream& out, int arc) const {
  const Arc& a = input_.arcs[arc];
  const std::string_view head = shortName(names_.name(a.head));
  const std::string_view tail = shortName(names_.name(a.tail));
  out << "Link\t" << labels_[arc] << '\t' << head << '\t' << tail << '\n';
}

bool StoWriter::writeTree(const std::string& stoPath, const std::string& outPath, char program,
                          std::int64_t cost, const IntArray& tree) const {
  std::ofstream out(stoPath, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << header << "\n\n";
  out << "Section Subnetworks\nNumber 1\nCost " << cost << '\n';
  out << (program == '1' ? "Comment 'A not necessarily optimal tree from ASCEND-AND-PRUNE'\n"
                         : "Comment 'Optimal tree'\n");
  out << "End\n\n";
  const int count = tree.empty() ? 0 : tree[0];
  out << "Section Sub 1\n" << "Tree-Edges " << count << '\n';
  for (int i = 1; i <= count; ++i) writeLink(out, tree[i]);
  out << "End\n\n";
  return finish(out, outPath);
}

bool StoWriter::writeNetwork(const std::string& stoPath, const std::string& outPath, char program,
                             const IntArray& network, std::int64_t optimalValue,
                             const IntArray& store, const IntArray& starts, int treeCount) const {
  std::ofstream out(stoPath, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << header << "\n\n";
  const int count = network.empty() ? 0 : network[0];
  out << "Section MP-Network\n" << "MP-Edges " << count << '\n';
  for (int i = 1; i <= count; ++i) writeLink(out, network[i]);
  out << "End\n\n";
  if (program == '4') {
    out << "Section Subnetworks\n" << "Number " << (treeCount < 1 ? 1 : treeCount) << '\n';
    out << "Cost " << optimalValue << "\n" << "Command 'Optimal tree'\n" << "End\n\n";
    for (int s = 1; s <= treeCount; ++s) {
      int links = 0;
      for (int i = starts[s]; store[i] != 0; ++i) ++links;
      out << "Section Sub " << s << "\n" << "Tree-Edges " << links << '\n';
      for (int i = starts[s]; store[i] != 0; ++i) writeLink(out, store[i]);
      out << "End\n\n";
    }
  }
  return finish(out, outPath);
}

bool StoWriter::finish(std::ofstream& out, const std::string& outPath) const {
  out << "Section Network\n";
  std::ifstream network(outPath, std::ios::binary);
  char buffer[1 << 16];
  while (network) {
    network.read(buffer, sizeof buffer);
    out.write(buffer, network.gcount());
  }
  out << "End\n\n" << "EOF\n";
  out.flush();
  const bool ok = out.good();
  out.close();
  return ok && !out.fail();
}

}  // namespace tesmo
