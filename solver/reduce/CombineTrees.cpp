#include "CombineTrees.h"

#include "EdgeDeletion.h"
#include "LogStream.h"
#include "Prune1.h"
#include "ReduceGraph.h"
#include "SearchPath.h"
#include "Shell.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace tesmo {

namespace {

// Longest accepted base name of the tree files.
constexpr std::size_t maxBaseName = 4000;

// One tree file, read whole before anything is counted, so that a refused file changes nothing.
struct TreeFile {
  std::vector<int> arcs;
  long long value = 0;
  std::string problem;
};

// Reads and checks one tree file against g; an empty text when it is sound, else the reason.
std::string readTreeFile(const std::string& path, const Graph& g, TreeFile& tree) {
  std::ifstream in(path);
  long long n = -1;
  if (!(in >> n) || n < 0 || n > g.E) return "edge count missing or not in 0.." + std::to_string(g.E);
  log(3) << ".\tE: " << n;
  tree.arcs.resize(static_cast<std::size_t>(n));
  for (long long i = 0; i < n; ++i) {
    long long arc = 0;
    if (!(in >> arc) || arc < 1 || arc > 2LL * g.E)
      return "arc " + std::to_string(i + 1) + " missing or not in 1.." + std::to_string(2LL * g.E);
    tree.arcs[static_cast<std::size_t>(i)] = static_cast<int>(arc);
  }
  if (!(in >> tree.value)) return "value missing";
  log(3) << "\tVal: " << tree.value << std::endl;
  if (!(in >> tree.problem)) return "problem name missing";
  return "";
}

// The arc of the same edge with the larger end as tail: counts do not depend on the direction a
// file lists.
int normalArc(const Graph& g, int arc) {
  const Arc& a = g.arcs[arc];
  if (a.tail >= a.head) return arc;
  const int end = g.firstArc[a.head] + g.degree[a.head];
  for (int s = g.firstArc[a.head]; s < end; ++s)
    if (g.arcs[s].head == a.tail) return s;
  return 0;
}

}  // namespace

void combineTrees() {
  if (!currentGraph) return;
  const Graph& g = *currentGraph;
  shell.echoLevel = 3;
  const char* baseText = shell.Sget("readtree", nullptr);
  const int induce = shell.Iget("induce", 0);
  shell.echoLevel = 0;
  if (!baseText) return;
  const std::string base = baseText;
  if (base.size() > maxBaseName) {
    log(0) << "Error: readtree names a file longer than " << maxBaseName << " characters\n";
    return;
  }
  log(1) << "Filenamen: " << base << ".?.tree \n";

  // Without a search path of the run the names are taken as they stand.
  auto find = [](const std::string& name, std::string& found) {
    if (readPath) return readPath->findInPath(name, &found);
    found = name;
    return std::ifstream(name).is_open();
  };
  const char* problemText = shell.Sget("problem");
  const std::string problem = problemText ? problemText : "";
  std::vector<int> vertexUse(g.V + 1, 0), arcUse(2 * static_cast<std::size_t>(g.E) + 1, 0);
  for (int k = 1; k <= 9; ++k) {
    std::string found;
    if (!find(base + "." + std::to_string(k) + ".tree", found)) continue;
    log(3) << "Reading " << found;
    TreeFile tree;
    const std::string fault = readTreeFile(found, g, tree);
    if (!fault.empty()) {
      log(0) << "\nError: tree file " << found << " refused: " << fault << "\n";
      continue;
    }
    if (tree.problem != problem) {
      log(1) << "Falsches Problemfile!\nFile:" << tree.problem << std::endl;
      std::exit(1);
    }
    for (int arc : tree.arcs) {
      ++vertexUse[g.arcs[arc].tail];
      ++vertexUse[g.arcs[arc].head];
      ++arcUse[normalArc(g, arc)];
    }
  }

  ReduceGraph combined(g);
  if (induce == 0) {
    for (int s = 1; s <= 2 * combined.E; ++s) {
      const Arc& a = combined.arcs[s];
      if (combined.delE[s] || a.tail >= a.head) continue;
      if (arcUse[g.findArc(a.head, a.tail)] == 0 && arcUse[g.findArc(a.tail, a.head)] == 0)
        deleteEdgeLazily(combined, s);
    }
  } else {
    for (int v = 1; v <= combined.V; ++v)
      if (vertexUse[v] == 0 && combined.hasLiveSlot(v)) combined.markVertexDeleted(v);
  }
  combined.compactEdges(nullptr);
  log(3) << "Graph: V:" << combined.Vanz << ", E:" << combined.Eanz << ", R:" << combined.R << std::endl;
  prune1(combined);

  if (solutionList.empty()) solutionList.resize(1, 0);
  solutionList[0] = 0;
  long long value = g.contractCost;
  int count = 0;
  for (int s = 1; s <= 2 * combined.E; ++s) {
    const Arc& a = combined.arcs[s];
    if (combined.delE[s] || a.tail >= a.head || !combined.inTree[combined.ID[s]]) continue;
    if (solutionList.size() < static_cast<std::size_t>(count) + 2) solutionList.resize(count + 2, 0);
    solutionList[++count] = g.findArc(a.tail, a.head);
    value += a.cost;
  }
  solutionList[0] = count;
  log(3) << "Val: " << value << std::endl;
}

}  // namespace tesmo
