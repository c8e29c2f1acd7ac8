#include "Graph.h"

#include "Check.h"
#include "LogStream.h"
#include "Shell.h"
#include "UnionFind.h"

#include <algorithm>

namespace tesmo {

Graph* currentGraph = nullptr;
IntArray solutionList;

void Graph::allocate(int vertices, int edges, int terminalCount) {
  V = vertices;
  E = edges;
  firstArc.assign(static_cast<std::size_t>(V) + 2, 0);
  degree.assign(static_cast<std::size_t>(V) + 1, 0);
  arcs.assign(2 * static_cast<std::size_t>(E) + 1, Arc{});
  terminals.assign(static_cast<std::size_t>(terminalCount) + 1, 0);
}

void Graph::setEdge(int k, int u, int v, int cost) {
  arcs[2 * k - 1] = Arc{u, v, cost};
  arcs[2 * k] = Arc{v, u, cost};
}

void Graph::buildAdjacency() {
  if (E == 0 || R == 0 || V == 0) exitWithError("incorrect input or file not found.");
  const int arcCount = 2 * E;
  const bool withIDs = !ID.empty();
  CheckedVector<Arc> newArcs(static_cast<std::size_t>(arcCount) + 1);
  IntArray newID;
  if (withIDs) newID.assign(static_cast<std::size_t>(std::max(IDcount, arcCount)) + 1, 0);
  maxCost = 0;
  if (firstArc.size() < static_cast<std::size_t>(V) + 2) firstArc.resize(V + 2, 0);
  if (degree.size() < static_cast<std::size_t>(V) + 1) degree.resize(V + 1, 0);

  // One list per tail, each new arc in front; arcs whose ends are not vertices are loops here.
  IntArray listHead(static_cast<std::size_t>(V) + 1, 0);
  IntArray listNext(static_cast<std::size_t>(arcCount) + 1, 0);
  int loops = 0;
  auto inRange = [this](int x) { return x >= 1 && x <= V; };
  for (int a = 1; a <= arcCount; ++a) {
    const Arc& arc = arcs[a];
    if (!inRange(arc.tail) || !inRange(arc.head)) {
      log(1) << "error! edge: " << arc << std::endl;
      ++loops;
      continue;
    }
    listNext[a] = listHead[arc.tail];
    listHead[arc.tail] = a;
  }

  IntArray newest(static_cast<std::size_t>(V) + 1, 0);  // newest kept position per head
  int position = 1;
  int balance = 0;
  int duplicates = 0;
  for (int v = 1; v <= V; ++v) {
    firstArc[v] = position;
    for (int a = listHead[v]; a != 0; a = listNext[a]) {
      const Arc arc = arcs[a];
      maxCost = std::max(maxCost, arc.cost);
      if (arc.cost > maxint) exitWithError("edge to large:" + std::to_string(arc.cost));
      if (arc.tail == arc.head) {
        ++loops;
        continue;
      }
      const int kept = newest[arc.head];
      if (kept >= firstArc[v] && kept != 0 && newArcs[kept].tail == arc.tail) {
        if (arc.cost < newArcs[kept].cost) {
          newArcs[kept].cost = arc.cost;
          if (withIDs) newID[kept] = ID[a];
        }
        if (arc.tail <= arc.head) {
          --E;
          log(5) << "Multiple edge " << arc << " removed.\n";
          ++balance;
        } else {
          --balance;
        }
        ++duplicates;
        continue;
      }
      newArcs[position] = arc;
      if (withIDs) newID[position] = ID[a];
      newest[arc.head] = position;
      ++position;
    }
    degree[v] = position - firstArc[v];
  }
  firstArc[V + 1] = position;
  E -= loops / 2;
  if (position / 2 != E || balance != 0) {
    log(1) << "rearrange diff: " << balance << ", Dou:" << duplicates << ", Sin:" << loops
           << std::endl;
    log(1) << "2*E: " << 2 * E << ", pi: " << position << std::endl;
    E = position / 2;
  }
  newArcs.resize(static_cast<std::size_t>(position));
  arcs = std::move(newArcs);
  if (withIDs) ID = std::move(newID);
}

int Graph::findArc(int tail, int head) const {
  if (tail < 1 || tail > V) return 0;
  const int end = firstArc[tail] + degree[tail];
  for (int a = firstArc[tail]; a < end; ++a)
    if (arcs[a].head == head) return a;
  return 0;
}

void Graph::subgraphFromEdges(const Graph& G, const IntArray& list, IntArray* map) {
  const int count = list.empty() ? 0 : list[0];
  V = G.V;
  R = G.R;
  E = count;
  allocate(V, E, R);
  for (int k = 1; k <= R; ++k) terminals[k] = G.terminals[k];
  for (int k = 1; k <= E; ++k) {
    const Arc& arc = G.arcs[list[k]];
    setEdge(k, arc.tail, arc.head, arc.cost);
  }
  buildAdjacency();

  IntArray localMap;
  IntArray& newNumber = map ? *map : localMap;
  newNumber.assign(static_cast<std::size_t>(V) + 1, 0);
  int n = 0;
  for (int v = 1; v <= V; ++v) {
    if (degree[v] > 0) {
      newNumber[v] = ++n;
      firstArc[n] = firstArc[v];
      degree[n] = degree[v];
    } else {
      newNumber[v] = -123;
    }
  }
  for (int k = 1; k <= R; ++k) terminals[k] = newNumber[terminals[k]];
  for (int a = 1; a <= 2 * E; ++a) {
    arcs[a].tail = newNumber[arcs[a].tail];
    arcs[a].head = newNumber[arcs[a].head];
  }
  firstArc[n + 1] = firstArc[n] + degree[n];
  V = n;
  log(5) << "ReducedGraph: V: " << V << ", E: " << E << ", R: " << R << ", delE: " << count - E
         << ", delV: " << G.V - V << std::endl;
}

std::int64_t printSolution(const Graph& g, const IntArray& solution) {
  const int printOption = shell.Iget("printSolution", 0);
  UnionFind components(g.V);
  std::int64_t sum = 0;
  const int count = solution.empty() ? 0 : solution[0];
  const int arcCount = static_cast<int>(g.arcs.size()) - 1;
  for (int i = 1; i <= count; ++i) {
    const int a = solution[i];
    if (a == 0) {
      log(1) << "\nEdge " << i << " is a zero-edge.\n";
      continue;
    }
    if (a < 0 || a > arcCount || g.arcs[a].tail < 1 || g.arcs[a].head < 1) {
      log(1) << "\nEdge " << i << " (" << a << ") is not an edge of the graph.\n";
      continue;
    }
    const Arc& arc = g.arcs[a];
    sum += arc.cost;
    if (verbose > 4 || printOption != 0) log(2) << arc << arc.cost << ", ";
    if (!components.join(arc.tail, arc.head))
      log(1) << "\nSolution contains a cycle! one edge on the cycle: " << arc << std::endl;
  }
  log(4) << std::endl;
  if (g.R >= 1) {
    for (int k = 2; k <= g.R; ++k)
      if (!components.same(g.terminals[k], g.terminals[1]))
        log(1) << "false solution! Required vertice " << g.terminals[k] << "is missing."
               << std::endl;
  }
  log(1) << "cost of the solution: " << sum << std::endl;
  if (g.contractCost != 0) {
    sum += g.contractCost;
    log(1) << "(with contracted costs: " << sum << ")\n";
  }
  return sum;
}

std::int64_t expandSolution(Graph& source, IntArray& solution, const Graph& target) {
  if (source.ID.empty()) return printSolution(source, solution);
  const int idLimit = source.IDcount;
  CheckedVector<unsigned char> marked(static_cast<std::size_t>(idLimit) + 1, 0);
  auto mark = [&](int id) {
    if (id >= 1 && id <= idLimit) marked[id] = 1;
  };
  const int count = solution.empty() ? 0 : solution[0];
  for (int i = 1; i <= count; ++i) {
    const int entry = solution[i];
    if (source.solutionAsIDs) {
      mark(entry);
    } else if (entry >= 1 && entry < static_cast<int>(source.arcs.size())) {
      log(5) << entry << "=" << source.arcs[entry] << "(" << source.ID[entry] << ")   ";
      mark(source.ID[entry]);
    }
  }
  const int contracted = source.contractID.empty() ? 0 : source.contractID[0];
  log(5) << "edges: " << count << ", contracted edges: " << contracted << std::endl;
  int total = count + contracted;
  log(3) << "Reconstructing old solutions...\n";
  for (int k = 1; k <= contracted; ++k) mark(source.contractID[k]);
  const int historyInts = source.mergeHistory.empty() ? 0 : source.mergeHistory[0];
  for (int t = historyInts - 2; t >= 1; t -= 3) {
    const int newID = source.mergeHistory[t + 2];
    if (newID < 1 || newID > idLimit || !marked[newID]) continue;
    for (int id : {source.mergeHistory[t], source.mergeHistory[t + 1]}) {
      if (id >= 1 && id <= idLimit && !marked[id]) {
        ++total;
        marked[id] = 1;
      }
    }
  }
  const int targetArcs = std::min(2 * target.E, idLimit);
  if (solution.size() < static_cast<std::size_t>(2 * target.E) + 2)
    solution.resize(static_cast<std::size_t>(2 * target.E) + 2, 0);
  int newCount = 0;
  for (int a = 1; a <= targetArcs; ++a)
    if (marked[a]) solution[++newCount] = a;
  solution[0] = newCount;
  source.solutionAsIDs = false;
  log(5) << "edges: " << newCount << ", sol: " << total << std::endl;
  return printSolution(target, solution);
}

}  // namespace tesmo
