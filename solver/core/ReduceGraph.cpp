// Layout, capacities, construction, copies and destruction of the reduction instance.

#include "ReduceGraph.h"

#include "FindSave.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

ReduceGraph::~ReduceGraph() = default;
ReduceGraph::ReduceGraph(ReduceGraph&&) noexcept = default;
ReduceGraph& ReduceGraph::operator=(ReduceGraph&&) noexcept = default;

void ReduceGraph::initGraphArrays(int incomingIDmax, int incomingHistoryMax,
                                  int incomingContractMax) {
  Emax = E + 2 * shell.Iget("E++", 1000);
  costScale = 1;
  resetLower();
  historyMax = incomingHistoryMax + 5 * V;
  contractMax = incomingContractMax + V;
  IDmax = incomingIDmax + historyMax + 2 * Emax;

  const std::size_t vertices = static_cast<std::size_t>(V) + 1;
  const std::size_t slots = 2 * static_cast<std::size_t>(Emax) + 1;
  const std::size_t ids = static_cast<std::size_t>(IDmax) + 1;
  firstArc.assign(vertices + 1, 0);
  degree.assign(vertices + 1, 0);
  terminals.assign(vertices, 0);
  arcs.assign(slots, Arc{});
  ID.assign(ids, 0);
  mergeHistory.assign(static_cast<std::size_t>(historyMax) + 1, 0);
  contractID.assign(static_cast<std::size_t>(contractMax) + 1, 0);

  partner.assign(slots, 0);
  delE.assign(slots, 0);
  isReq.assign(vertices, 0);
  spareArcs.assign(slots, Arc{});
  slotScratch.assign(slots, 0);
  spareID.assign(ids, 0);
  nearDist.deleteMatrix();
  nearPred.deleteMatrix();
  nearBase.deleteMatrix();
  origVertex.assign(vertices, 0);
  inTree.assign(ids, 1);
  mstLink.clear();
  treeDegree.assign(vertices, maxint);
  vertexValue.clear();
  upperTree.assign(vertices + 1, 0);
  regionLinks.clear();
  linkSlot.clear();
  linkCount = 0;
  vertexWork.assign(vertices, 0);
  slotNext.assign(slots, 0);
  voronoiSlot.clear();
  findSave.reset();
  blowUpMark = maxint;
  lowerTag = 1;
  overflowMode = 0;

  vertexSets_.reset(vertices);
  groupScratch_.assign(vertices + 1, 0);
  numberScratch_.assign(vertices + 1, 0);
  headScratch_.assign(vertices + 1, 0);
  listScratch_.assign(vertices + 1, 0);
  groupStart_.assign(vertices + 1, 0);
}

void ReduceGraph::clearUpper() {
  upperValueValid = 0;
  upperValue = maxint;
  upperOk = 0;
  upperOpt = 0;
  upperTree[0] = 0;
  upperTree[1] = 0;
  std::fill(inTree.begin(), inTree.end(), static_cast<unsigned char>(1));
  std::fill(treeDegree.begin(), treeDegree.end(), maxint);
}

void ReduceGraph::resetLower() {
  lowerValue = 0;
  lowerValueValid = 1;
  upperOpt = 0;
}

ReduceGraph::ReduceGraph(const Graph& G) {
  V = G.V;
  E = G.E;
  R = G.R;
  maxCost = G.maxCost;
  Eanz = E;
  initGraphArrays(0, 0, 0);
  clearUpper();
  resetLower();

  Vanz = 0;
  for (int v = 1; v <= V; ++v) {
    firstArc[v] = G.firstArc[v];
    degree[v] = G.degree[v];
    origVertex[v] = v;
    if (degree[v] > 0) ++Vanz;
  }
  firstArc[V + 1] = V >= 1 ? firstArc[V] + degree[V] : 1;
  degree[V + 1] = 1;

  if (terminals.size() < static_cast<std::size_t>(R) + 1) terminals.resize(R + 1, 0);
  int count = 0;
  for (int k = 1; k <= G.R; ++k) {
    const int t = G.terminals[k];
    if (isReq[t] != 0) continue;  // a vertex named twice is one terminal
    terminals[++count] = t;
    isReq[t] = count;
  }
  R = count;

  // Each edge once (from its side with the larger tail), into the next free slot of both ranges.
  IntArray& fill = numberScratch_;
  for (int v = 1; v <= V; ++v) fill[v] = firstArc[v];
  for (int a = 1; a <= 2 * E; ++a) {
    const Arc& arc = G.arcs[a];
    if (arc.tail <= arc.head) continue;
    const int s = fill[arc.tail]++;
    const int t = fill[arc.head]++;
    arcs[s] = Arc{arc.tail, arc.head, arc.cost};
    arcs[t] = Arc{arc.head, arc.tail, arc.cost};
    partner[s] = t;
    partner[t] = s;
    ID[s] = ID[t] = a;
  }
  std::fill(fill.begin(), fill.end(), 0);
  for (int s = 1; s <= 2 * E; ++s) delE[s] = 0;
  IDcount = 2 * E;
  upperTree[0] = 0;
  ID[0] = 0;
  spareID[0] = 0;
}

ReduceGraph ReduceGraph::copyGraph(const ReduceGraph& source, int keepIDs) {
  ReduceGraph c;
  c.copyFrom(source, keepIDs);
  return c;
}

void ReduceGraph::copyFrom(const ReduceGraph& source, int keepIDs) {
  // What a fresh instance holds before the copy; the arrays keep their memory.
  ReduceGraph& c = *this;
  c.maxCost = 0;
  c.IDcount = 0;
  c.solutionAsIDs = false;
  c.Vanz = c.Eanz = 0;
  c.linkCount = 0;
  c.lowerValue = 0;
  c.lowerTag = 1;
  c.upperOpt = 0;
  c.lowerValueValid = 0;
  c.findSave.reset();
  c.V = source.V;
  c.E = source.E;
  c.Vanz = source.Vanz;
  c.Eanz = source.Eanz;
  c.R = source.R;
  c.maxCost = source.maxCost;
  c.upperValueValid = source.upperValueValid;
  c.heuristicallyReduced = source.heuristicallyReduced;
  c.upperValue = source.upperValue;
  c.upperOk = source.upperOk;
  c.contractCost = source.contractCost;
  c.initGraphArrays(source.IDcount, source.mergeHistory[0], source.contractID[0]);
  c.upperOpt = 0;

  const int V = c.V;
  for (int v = 0; v <= V; ++v) {
    c.origVertex[v] = source.origVertex[v];
    c.isReq[v] = source.isReq[v];
    c.treeDegree[v] = source.treeDegree[v];
  }
  for (int v = 0; v <= V + 1; ++v) {
    c.firstArc[v] = source.firstArc[v];
    c.degree[v] = source.degree[v];
  }
  for (int k = 0; k <= c.R; ++k) c.terminals[k] = source.terminals[k];
  const int treeCount = source.upperTree[0];
  if (static_cast<std::size_t>(treeCount) + 2 > c.upperTree.size())
    c.upperTree.resize(static_cast<std::size_t>(treeCount) + 2, 0);
  std::copy_n(source.upperTree.begin(), treeCount + 2, c.upperTree.begin());
  for (int s = 0; s <= 2 * c.E; ++s) {
    c.arcs[s] = source.arcs[s];
    c.partner[s] = source.partner[s];
    c.delE[s] = source.delE[s];
  }

  if (keepIDs != 0) {
    std::copy_n(source.ID.begin(), 2 * c.E + 1, c.ID.begin());
    std::fill(c.inTree.begin(), c.inTree.end(), static_cast<unsigned char>(0));
    std::copy_n(source.inTree.begin(), source.IDcount + 1, c.inTree.begin());
    std::copy_n(source.mergeHistory.begin(), source.mergeHistory[0] + 1, c.mergeHistory.begin());
    std::copy_n(source.contractID.begin(), source.contractID[0] + 1, c.contractID.begin());
    c.lowerValue = source.lowerValue;
    c.lowerValueValid = source.lowerValueValid;
    c.IDcount = source.IDcount;
    c.ID[0] = keepIDs;
    return;
  }

  // Fresh numbering: an edge's identity is its lower slot. The stored tree is translated to the
  // new identities, so list and marks agree.
  std::fill(c.inTree.begin(), c.inTree.end(), static_cast<unsigned char>(0));
  int count = 0;
  for (int s = 1; s <= 2 * c.E; ++s) {
    const int id = std::min(s, c.partner[s]);
    c.ID[s] = id;
    if (c.delE[s]) continue;
    if (source.inTree[source.ID[s]]) {
      c.inTree[id] = 1;
      if (source.upperOk && s == id) {
        if (static_cast<std::size_t>(count) + 2 >= c.upperTree.size())
          c.upperTree.resize(static_cast<std::size_t>(count) + 3, 0);
        c.upperTree[++count] = id;
      }
    }
  }
  c.upperTree[0] = source.upperOk ? count : 0;
  c.upperTree[c.upperTree[0] + 1] = 0;
  c.IDcount = 2 * c.E;
  c.mergeHistory[0] = 0;
  c.contractID[0] = 0;
  c.ID[0] = 2;
  c.contractZeroCostEdges();
}

void ReduceGraph::contractZeroCostEdges() {
  bool anyZero = false;
  for (int s = 1; s <= 2 * E && !anyZero; ++s) anyZero = !delE[s] && arcs[s].cost == 0;
  if (!anyZero) return;
  for (;;) {
    vertexSets_.reset(V);
    for (int s = 1; s <= 2 * E; ++s) {
      if (delE[s] || arcs[s].cost != 0) continue;
      if (vertexSets_.same(arcs[s].tail, arcs[s].head)) continue;
      if (vertexWork[0] >= V - 1) break;
      if (upperOk && !inTree[ID[s]]) destroyUpper();
      addPendingContraction(s);
      vertexSets_.join(arcs[s].tail, arcs[s].head);
    }
    if (vertexWork[0] == 0) break;
    updateContract(nullptr, true);
  }
}

ReduceGraph ReduceGraph::graphFromSolution(const ReduceGraph& source, int first,
                                           const IntArray& next, bool keepTerminals,
                                           bool keepIDs) {
  ReduceGraph g;
  graphFromSolution(g, source, first, next, keepTerminals, keepIDs);
  return g;
}

void ReduceGraph::graphFromSolution(ReduceGraph& g, const ReduceGraph& source, int first,
                                    const IntArray& next, bool keepTerminals, bool keepIDs) {
  // An instance used before: what the array set-up below does not reset.
  g.heuristicallyReduced = 0;
  g.solutionAsIDs = false;
  int count = 0;
  // A chain longer than the source's slots would be a cycle in next[]; stop there.
  for (int s = first; s != 0 && count <= 2 * source.E; s = next[s]) ++count;
  g.E = g.Eanz = count;
  g.V = source.V;
  g.contractCost = 0;
  g.maxCost = source.maxCost;
  g.initGraphArrays(source.IDcount, source.mergeHistory[0], source.contractID[0]);
  g.clearUpper();

  const int V = g.V;
  for (int v = 0; v <= V; ++v) g.origVertex[v] = source.origVertex[v];
  int listed = 0;
  for (int s = first; s != 0 && listed < count; s = next[s], ++listed) {
    ++g.degree[source.arcs[s].tail];
    ++g.degree[source.arcs[s].head];
  }
  g.R = 0;
  if (keepTerminals) {
    for (int k = 1; k <= source.R; ++k) {
      const int t = source.terminals[k];
      if (g.degree[t] > 0) {
        g.terminals[++g.R] = t;
        g.isReq[t] = g.R;
      }
    }
  }
  g.Vanz = 0;
  int position = 1;
  for (int v = 1; v <= V; ++v) {
    g.firstArc[v] = position;
    position += g.degree[v];
    if (g.degree[v] > 0) ++g.Vanz;
  }
  g.firstArc[V + 1] = position;
  g.degree[V + 1] = 1;

  IntArray& fill = g.numberScratch_;
  for (int v = 1; v <= V; ++v) fill[v] = g.firstArc[v];
  IntArray treeSlots(1, 0);
  std::int64_t treeSum = 0;
  listed = 0;
  for (int s = first; s != 0 && listed < count; s = next[s], ++listed) {
    const Arc& arc = source.arcs[s];
    const int id = keepIDs ? source.ID[s] : std::min(s, source.partner[s]);
    const int a = fill[arc.tail]++;
    const int b = fill[arc.head]++;
    g.arcs[a] = arc;
    g.arcs[b] = Arc{arc.head, arc.tail, arc.cost};
    g.partner[a] = b;
    g.partner[b] = a;
    g.ID[a] = g.ID[b] = id;
    if (source.upperOk && source.inTree[source.ID[s]]) {
      treeSlots.push_back(a);
      treeSum += arc.cost;
    }
  }
  std::fill(fill.begin(), fill.end(), 0);
  treeSlots[0] = static_cast<int>(treeSlots.size()) - 1;

  if (keepIDs) {
    std::copy_n(source.mergeHistory.begin(), source.mergeHistory[0] + 1, g.mergeHistory.begin());
    std::copy_n(source.contractID.begin(), source.contractID[0] + 1, g.contractID.begin());
    g.IDcount = source.IDcount;
    g.ID[0] = source.ID[0] + 1;
  } else {
    g.mergeHistory[0] = 0;
    g.contractID[0] = 0;
    g.IDcount = 2 * source.E;
    g.ID[0] = source.ID[0] + 2;
  }

  if (source.upperOk && keepTerminals && treeSum == source.upperValue - source.contractCost) {
    g.ID[0] = 10;  // silences the bound messages of the hand-over
    g.setUpper(treeSlots, "upper in subgraph", 1);
    if (!g.upperOk) g.clearUpper();
    g.ID[0] = keepIDs ? 1 : 2;
  } else {
    g.clearUpper();
  }
  g.resetLower();
}

WarningDump ReduceGraph::warningDump() const {
  return [this](const std::string& /*handlerDefault*/, const std::string& comment) {
    // The handler's default would be a fixed name; the option, when set, still wins.
    const char* named = shell.lookup("exitSaveGraph");
    const std::string file = named ? std::string(named) : defaultSaveFileName("error");
    saveGraph(file.c_str(), comment.c_str());
  };
}

void ReduceGraph::failCheck(const char* text, int line) const {
  exitWithWarning(text, line, "reduceGraph", warningDump());
}

}  // namespace tesmo
