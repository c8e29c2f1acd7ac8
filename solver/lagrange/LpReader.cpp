#include "LpFiles.h"

#include "LogStream.h"
#include "Prune1.h"
#include "Shell.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace tesmo {

namespace {

struct ReadOptions {
  int schummel;
  const char* saveX;
  double deleteAt, makeReq, makeReqThreshold;
  int faktor;
  double threshold;
  int original, upgrade, reprice;
  std::string prune;
};

ReadOptions readOptions() {
  shell.echoLevel = 3;
  ReadOptions o{};
  o.schummel = shell.Iget("schummel", 0);
  o.saveX = shell.Sget("saveX", nullptr);
  o.deleteAt = shell.Fget("delete", -1.0);
  o.makeReq = shell.Fget("makeReq", 0.0);
  o.makeReqThreshold = shell.Fget("makeReqThreshold", 0.0);
  o.faktor = shell.Iget("Faktor", 100000);
  o.threshold = shell.Fget("threshold", 0.5);
  o.original = shell.Iget("original", 0);
  o.upgrade = shell.Iget("upgrade", 0);
  o.reprice = shell.Iget("1-x", 0);
  o.prune = shell.Sget("LP-prune", "((mvsn)r)");
  shell.echoLevel = 0;
  return o;
}

// The slot number of an arc variable "x<a>", 0 for any other name or a slot outside 1..slots.
int arcVariable(const std::string& name, int slots) {
  if (name.size() < 2 || name[0] != 'x') return 0;
  long long a = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    a = a * 10 + (name[i] - '0');
    if (a > slots) return 0;
  }
  return a >= 1 ? static_cast<int>(a) : 0;
}

bool protectedEdge(int id) { return id == 46694 || id == 56557 || id == 100365 || id == 114193; }

// The per-ID value file: an edge's value, 2.0 for contracted IDs, and merged IDs passing their
// value to their sources (1.5 when a source had one of its own).
void writeIdValues(const ReduceGraph& R, const std::vector<double>& value, const char* fileName) {
  std::ofstream out(fileName, std::ios::trunc);
  if (!out) {
    log(1) << "readLP: cannot open " << fileName << " for writing\n";
    return;
  }
  std::vector<double> idValue(static_cast<std::size_t>(std::max(R.IDcount, 0)) + 1, 0.0);
  auto at = [&idValue](int id) -> double* {
    return id >= 1 && static_cast<std::size_t>(id) < idValue.size() ? &idValue[id] : nullptr;
  };
  for (int a = 1; a <= 2 * R.E; ++a)
    if (!R.delE[a] && a < R.partner[a])
      if (double* v = at(R.ID[a])) *v = value[a];
  const int contracted = R.contractID.empty() ? 0 : R.contractID[0];
  for (int i = 1; i <= contracted; ++i)
    if (double* v = at(R.contractID[i])) *v = 2.0;
  const int history = R.mergeHistory.empty() ? 0 : R.mergeHistory[0];
  log(3) << "Writing " << fileName << ", exp: " << history << std::endl;
  for (int i = history - 2; i >= 1; i -= 3) {
    const double* merged = at(R.mergeHistory[i + 2]);
    if (!merged || *merged == 0) continue;
    for (int j = 0; j < 2; ++j)
      if (double* v = at(R.mergeHistory[i + j])) *v = *v == 0 ? *merged : 1.5;
  }
  for (std::size_t id = 1; id < idValue.size(); ++id)
    if (idValue[id] != 0) out << id << '\t' << idValue[id] << '\n';
}

}  // namespace

int lpRepricedCost(int cost, double value, int faktor, double threshold) {
  double c = static_cast<double>(faktor) * cost;
  if (value > threshold) c = std::round((1.0 - value) * c);
  if (c < 1) c = 1;
  if (c > maxint) c = maxint;
  return static_cast<int>(c);
}

void readLP(ReduceGraph& R, const char* fileName) {
  if (!fileName || !*fileName) return;
  std::ifstream in(fileName);
  if (!in) {
    // Rounding an empty solution would delete or reprice every edge: nothing is done instead.
    log(1) << "readLP: cannot open " << fileName << ", nothing read\n";
    return;
  }
  if (R.overflowMode) R.rebuildAdjacency();
  ReduceGraph copy = ReduceGraph::copyGraph(R, 0);
  copy.clearUpper();
  shell.phase = 'P';
  log(3) << "---- shell-phase: " << 'P' << " ----\n";
  log(3) << "Reading file " << fileName << std::endl;
  const ReadOptions o = readOptions();

  // value[a] over R's slots; the lower slot of each edge sums both directions.
  const int slots = 2 * R.E;
  std::vector<double> value(static_cast<std::size_t>(slots) + 1, 0.0);
  std::string name;
  double x = 0;
  while (in >> name >> x) {
    log(4) << name << ":";
    const int a = arcVariable(name, slots);
    if (a != 0) value[std::min(a, R.partner[a])] += x;
  }
  // A copy slot stands for R's lower slot of its edge (its identity in the fresh numbering).
  auto valueOf = [&](int s) { return value[copy.ID[s]]; };

  for (int a = 1; a <= 2 * copy.E; ++a) {
    if (copy.delE[a] || copy.arcs[a].tail >= copy.arcs[a].head) continue;
    const int idInR = R.ID[copy.ID[a]];
    if (o.deleteAt >= 0) {
      if (valueOf(a) <= o.deleteAt && !(o.schummel != 0 && protectedEdge(idInR))) {
        if (copy.upperOk && copy.inTree[copy.ID[a]]) copy.destroyUpper();
        --copy.Eanz;
        copy.delE[a] = copy.delE[copy.partner[a]] = 1;
        copy.vertexWork[copy.arcs[a].tail] = copy.vertexWork[copy.arcs[a].head] = 1;
      }
      if (o.schummel != 0 && protectedEdge(idInR))
        log(3) << copy.arcs[a] << a << "," << copy.partner[a] << " --> " << idInR << std::endl;
    }
    if (o.reprice != 0) {
      const int c = lpRepricedCost(copy.arcs[a].cost, valueOf(a), o.faktor, o.threshold);
      copy.arcs[a].cost = copy.arcs[copy.partner[a]].cost = c;
      copy.maxCost = std::max(copy.maxCost, c);
    }
  }
  if (o.deleteAt >= 0) {
    copy.compactEdges(nullptr);
    copy.deleteUnreachable();
  }
  if (o.makeReq > 0) {
    int added = 0;
    for (int v = 1; v <= copy.V; ++v) {
      if (copy.isReq[v] != 0 || copy.degree[v] == 0) continue;
      double sum = 0;
      for (int s = copy.firstArc[v]; s < copy.firstArc[v] + copy.degree[v]; ++s)
        if (!copy.delE[s] && valueOf(s) > o.makeReqThreshold) sum += valueOf(s);
      if (sum > o.makeReq) {
        copy.addTerminal(v);
        ++added;
      }
    }
    log(3) << "Upgraded1: " << added << std::endl;
  }
  if (o.saveX && *o.saveX) writeIdValues(R, value, o.saveX);

  prune1(copy, o.prune.c_str());
  if (o.original == 2) prune1(copy, o.prune.c_str());
  if (o.upgrade != 0 && copy.upperOk) {
    int added = 0;
    for (int v = 1; v <= copy.V; ++v) {
      if (copy.isReq[v] != 0 || copy.degree[v] == 0) continue;
      if (copy.treeDegree[v] != maxint && copy.treeDegree[v] > o.upgrade) {
        copy.addTerminal(v);
        ++added;
      }
    }
    log(3) << "upgraded2: " << added << std::endl;
    prune1(copy, o.prune.c_str());
  }

  // The copy's tree lists R's slots (its identities), its zero-cost contractions included.
  solutionList.assign(1, 0);
  std::int64_t cost = R.contractCost;
  if (copy.upperOk) {
    auto take = [&](int slot) {
      if (slot < 1 || slot > slots || R.delE[slot]) return;
      solutionList.push_back(slot);
      cost += R.arcs[slot].cost;
    };
    const int count = copy.upperTree[0];
    for (int i = 1; i <= count; ++i) take(copy.upperTree[i]);
    const int contracted = std::min(copy.upperTree[count + 1], copy.contractID[0]);
    for (int i = 1; i <= contracted; ++i) take(copy.contractID[i]);
    solutionList[0] = static_cast<int>(solutionList.size()) - 1;
  }
  log(3) << "cost: " << cost;
  if (solutionList[0] == 0 && R.R > 1) {
    log(3) << "\nreadLP: the rounded copy gave no tree\n";
  } else {
    R.setUpper(solutionList, "LP-Heuristik+Prune", 1);
  }
  if (o.original != 0) prune1(R, o.prune.c_str());
}

}  // namespace tesmo
