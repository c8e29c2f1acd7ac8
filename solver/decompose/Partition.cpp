#include "Partition.h"

#include "AscentEngine.h"
#include "Check.h"
#include "DecomposeSupport.h"
#include "EdgeDeletion.h"
#include "Heap.h"
#include "IntMatrix.h"
#include "LogStream.h"
#include "SeparatorSearch.h"
#include "Shell.h"
#include "SmallSide.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace tesmo {

namespace {

struct PartitionOptions {
  int root, useTerminalSeparator, maxSeparators, minReqs, maxSplit, equality;
  SideLimits limits;
};

PartitionOptions readOptions(const ReduceGraph& R) {
  shell.echoLevel = 3;
  PartitionOptions o{};
  o.root = std::clamp(shell.Iget("root", 1), 1, std::max(R.R, 1));
  shell.Iget("animate", 1);
  o.useTerminalSeparator = shell.Iget("useTerminalSeparator", 1);
  o.maxSeparators = shell.Iget("maxSeparators", R.R);
  o.limits.maxSize = shell.Iget("maxSize", std::min(std::max(R.V / 3, 200), R.V / 2));
  o.limits.minReqs = shell.Iget("minReqs", 6);
  o.maxSplit = std::max(shell.Iget("maxSplit", 6), 1);
  o.equality = shell.Iget("equality", 1);
  shell.echoLevel = 0;
  return o;
}

void prepareBottlenecks(ReduceGraph& G) {
  G.computeVoronoiRegions(maxint);
  G.secondNearestTerminals(maxint);
  G.thirdNearestTerminals(maxint);
  G.generalizedMstUpper(0);
  G.getFindSave();
}

// The work on one side: its two instances, the prices between the split terminals, and what
// follows for R.
class SideReduction {
public:
  SideReduction(ReduceGraph& R, const SmallSide& side, const std::vector<int>& split, int& equality, int root)
      : R_(R), side_(side), split_(split), equality_(equality), root_(root) {}

  struct Counts {
    int deletedVertices = 0, deletedEdges = 0, contracted = 0;
  };
  // Returns false when the side could not be solved to the end (R is then unchanged).
  bool run(Counts& counts, IntArray& newNumber, bool& contractedAny);

private:
  ReduceGraph sideInstance() const;
  void rootTree(const ReduceGraph& B, const IntArray& tree);
  int keyPath(int a, int b, std::vector<int>& vertices) const;
  int outsideMinimax(int a, int b, int& giving);

  ReduceGraph& R_;
  const SmallSide& side_;
  const std::vector<int>& split_;
  int& equality_;
  int root_;
  // The upper solution as a rooted tree.
  IntArray parent_, parentCost_, depth_, treeDegree_;
  std::vector<int> costCopy_;
  // The outside minimax searches, sized once per side; each resets what it touched.
  IntArray key_, giving_, done_;
  std::vector<int> touched_;
  std::unique_ptr<IndexedHeap> heap_;
};

ReduceGraph SideReduction::sideInstance() const {
  ReduceGraph B = ReduceGraph::graphFromSolution(R_, side_.head(), side_.next(), false, true);
  for (int i = 1; i <= R_.R; ++i)
    if (B.degree[R_.terminals[i]] > 0) B.addTerminal(R_.terminals[i]);
  return B;
}

void SideReduction::rootTree(const ReduceGraph& B, const IntArray& tree) {
  const std::size_t n = static_cast<std::size_t>(B.V) + 1;
  parent_.assign(n, -1);
  parentCost_.assign(n, 0);
  depth_.assign(n, 0);
  treeDegree_.assign(n, 0);
  std::vector<std::vector<std::pair<int, int>>> adjacent(n);
  for (int i = 1; i <= tree[0]; ++i) {
    const Arc& a = B.arcs[tree[i]];
    adjacent[a.tail].push_back({a.head, a.cost});
    adjacent[a.head].push_back({a.tail, a.cost});
    ++treeDegree_[a.tail];
    ++treeDegree_[a.head];
  }
  if (tree[0] == 0) return;
  const int first = B.arcs[tree[1]].tail;
  std::vector<int> queue{first};
  parent_[first] = 0;
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const int u = queue[q];
    for (const auto& [w, c] : adjacent[u]) {
      if (parent_[w] != -1) continue;
      parent_[w] = u;
      parentCost_[w] = c;
      depth_[w] = depth_[u] + 1;
      queue.push_back(w);
    }
  }
}

// The longest key path (a path between vertices of tree degree above 2 or terminals, through
// others only) on the tree path between a and b; its vertices (each standing for its parent
// edge) in vertices.
int SideReduction::keyPath(int a, int b, std::vector<int>& vertices) const {
  auto isKey = [&](int x) { return treeDegree_[x] > 2 || R_.isReq[x] != 0; };
  int x = a, y = b;
  while (depth_[x] > depth_[y]) x = parent_[x];
  while (depth_[y] > depth_[x]) y = parent_[y];
  while (x != y) x = parent_[x], y = parent_[y];
  const int meet = x;
  int best = -1;
  vertices.clear();
  std::vector<int> open[2];
  int openCost[2] = {0, 0};
  const int ends[2] = {a, b};
  for (int side = 0; side < 2; ++side) {
    std::vector<int> segment;
    int cost = 0;
    for (int v = ends[side]; v != meet; v = parent_[v]) {
      cost += parentCost_[v];
      segment.push_back(v);
      if (parent_[v] != meet && isKey(parent_[v])) {
        if (cost > best) best = cost, vertices = segment;
        segment.clear();
        cost = 0;
      }
    }
    open[side] = segment;
    openCost[side] = cost;
  }
  if (!isKey(meet) && treeDegree_[meet] < 3) {
    if (openCost[0] + openCost[1] > best) {
      best = openCost[0] + openCost[1];
      vertices = open[0];
      vertices.insert(vertices.end(), open[1].begin(), open[1].end());
    }
  } else {
    for (int side = 0; side < 2; ++side)
      if (openCost[side] > best) best = openCost[side], vertices = open[side];
  }
  return std::max(best, 0);
}

// Minimax distance from a to b in R avoiding the side's inner vertices, over the cost copy;
// giving receives the slot of the largest cost on the path found.
int SideReduction::outsideMinimax(int a, int b, int& giving) {
  IndexedHeap& heap = *heap_;
  heap.clearHeap();
  touched_.clear();
  key_[a] = 0;
  giving_[a] = 0;
  touched_.push_back(a);
  heap.heapInsert(a, 0);
  while (!heap.empty()) {
    const int u = heap.heapExtractMin();
    if (u == b) break;
    done_[u] = 1;
    for (int s = R_.nextLiveSlot(u, 0); s != 0; s = R_.nextLiveSlot(u, s)) {
      const int w = R_.arcs[s].head;
      if (done_[w] || side_.mark(w) == side_.start()) continue;
      const int c = costCopy_[s];
      const int k = std::max(key_[u], c);
      if (k >= key_[w]) continue;
      giving_[w] = c > key_[u] ? s : giving_[u];
      if (key_[w] == maxint) {
        heap.heapInsert(w, k);
        touched_.push_back(w);
      } else {
        heap.heapDecreaseKey(w, k);
      }
    }
  }
  giving = giving_[b];
  const int result = key_[b];
  for (int v : touched_) key_[v] = maxint, done_[v] = 0;
  return result;
}

bool SideReduction::run(Counts& counts, IntArray& newNumber, bool& contractedAny) {
  const int k = static_cast<int>(split_.size());
  auto isSplit = [&](int v) { return std::find(split_.begin(), split_.end(), v) != split_.end(); };
  // --- the upper instance ---
  ReduceGraph upper = sideInstance();
  log(3) << "Added Steiner edges: ";
  for (int p = 0; p < k; ++p)
    for (int q = p + 1; q < k; ++q) {
      const int d = R_.bottleneckDistance(split_[p], split_[q]);
      log(3) << split_[p] << "," << split_[q] << ": " << d << "   ";
      if (d < maxint) upper.addEdge(Arc{split_[p], split_[q], d}, 0, 0);
    }
  log(3) << "\n";
  upper.rebuildAdjacency();
  upper.deleteUnreachable();
  log(3) << "BB: V" << upper.Vanz << ", E" << upper.Eanz << ", |R|=" << upper.R << "\n";
  upper.clearUpper();
  upper.lowerValue = 0;
  // Both side instances are solved at verbosity 2; an unfinished solve leaves R as it is.
  auto solve = [&](ReduceGraph& B, int line) {
    return solvePieceAt(B, R_, 2, {"!BB.upperOpt || !BB.upperOk", line}, "partition");
  };
  if (!solve(upper, __LINE__)) return false;
  const int cUpper = upper.upperValue;
  const IntArray upperTree(solutionList.begin(), solutionList.begin() + solutionList[0] + 1);
  bool artificialUsed = false;
  std::vector<char> inUpper(static_cast<std::size_t>(R_.IDcount) + 1, 0);
  std::vector<char> vertexInUpper(static_cast<std::size_t>(R_.V) + 1, 0);
  std::int64_t c = upper.contractCost;
  log(4) << "\nedges in cUpper (Steiner edges with (( )) ):   ";
  for (int i = 1; i <= upperTree[0]; ++i) {
    const Arc& a = upper.arcs[upperTree[i]];
    c += a.cost;
    vertexInUpper[a.tail] = vertexInUpper[a.head] = 1;
    if (isSplit(a.tail) && isSplit(a.head)) {
      artificialUsed = true;
      log(4) << "((" << a.tail << "," << a.head << ")):" << a.cost << "   ";
    } else {
      log(4) << "(" << a.tail << "," << a.head << "):" << a.cost << "   ";
    }
    const int id = upper.ID[upperTree[i]];
    if (id >= 1 && id <= R_.IDcount) inUpper[id] = 1;
  }
  log(4) << "\n";
  log(3) << "c" << ":" << c << ", " << "BB.upperValue" << ":" << upper.upperValue << ", " << "BB.contractCost"
         << ":" << upper.contractCost << ", " << std::endl;
  if (c != upper.upperValue) exitWithWarning("c != BB.upperValue", __LINE__, "partition", R_.warningDump());

  // --- lower prices ---
  rootTree(upper, upperTree);
  costCopy_.assign(2 * static_cast<std::size_t>(R_.E) + 1, 0);
  for (int s = 1; s <= 2 * R_.E; ++s) costCopy_[s] = R_.arcs[s].cost;
  key_.assign(static_cast<std::size_t>(R_.V) + 1, maxint);
  giving_.assign(static_cast<std::size_t>(R_.V) + 1, 0);
  done_.assign(static_cast<std::size_t>(R_.V) + 1, 0);
  heap_ = std::make_unique<IndexedHeap>(R_.V, key_);
  IntMatrix lower(k, k);
  bool lowerRaised = false;
  log(3) << "\nbottlenecks: ";
  for (int p = 0; p < k; ++p)
    for (int q = p + 1; q < k; ++q) {
      const int a = split_[p], b = split_[q];
      log(3) << " " << a << "," << b << ": ";
      int giving = 0;
      const int ob = outsideMinimax(a, b, giving);
      if (parent_[a] == -1 || parent_[b] == -1) {
        log(2) << "Nicht erreicht!!!   ";
        exitWithWarning("split vertex not in the cUpper tree", __LINE__, "partition", R_.warningDump());
        return false;
      }
      std::vector<int> path;
      const int tb = keyPath(a, b, path);
      log(3) << ob << " " << tb;
      if (ob < tb) {
        lower[p + 1][q + 1] = tb;
        log(3) << " (";
        for (int v : path) {
          log(3) << v << ",";
          parentCost_[v] = 0;  // a key path is used once
        }
        log(3) << ")   ";
        lowerRaised = true;
      } else {
        lower[p + 1][q + 1] = ob;
        if (ob < maxint && giving != 0) costCopy_[giving] = costCopy_[R_.partner[giving]] = 0;  // used once
      }
    }
  log(3) << "\n";

  // --- the lower instance ---
  ReduceGraph lowerInstance = sideInstance();
  prepareBottlenecks(lowerInstance);
  for (int p = 0; p < k; ++p)
    for (int q = p + 1; q < k; ++q) {
      const int a = split_[p], b = split_[q];
      const int d = lowerInstance.bottleneckDistance(a, b);
      log(3) << a << "," << b << ": " << lower[p + 1][q + 1] << " " << d << "\n";
      if (lower[p + 1][q + 1] < d) lowerInstance.addEdge(Arc{a, b, lower[p + 1][q + 1]}, 0, 0);
    }
  lowerInstance.rebuildAdjacency();
  lowerInstance.deleteUnreachable();
  log(3) << "size: |V|=" << lowerInstance.Vanz << ", |E|=" << lowerInstance.Eanz << ", |R|=" << lowerInstance.R << "\n";
  for (int i = 0; i < 5; ++i) log(3) << "************************************\n";
  lowerInstance.clearUpper();
  lowerInstance.lowerValue = 0;
  if (!solve(lowerInstance, __LINE__)) return false;
  const int cLower = lowerInstance.upperValue;
  // The solve left the instance's tree in the solution list, as its own slots.
  log(4) << "\nedges in cLower (bottleneck edges with (( )) ):   ";
  for (int i = 1; i <= solutionList[0]; ++i) {
    const Arc& a = lowerInstance.arcs[solutionList[i]];
    if (isSplit(a.tail) && isSplit(a.head))
      log(4) << "((" << a.tail << "," << a.head << ")) ";
    else
      log(4) << "(" << a.tail << "," << a.head << ") ";
  }
  log(4) << "\n";
  lowerInstance.clearUpper();
  lowerInstance.lowerValue = 0;
  if (artificialUsed) equality_ = 0;

  // Slots of R by edge identity.
  std::vector<int> slotOf(static_cast<std::size_t>(R_.IDcount) + 1, 0);
  for (int s = 1; s <= 2 * R_.E; ++s)
    if (!R_.delE[s] && R_.partner[s] > s && R_.ID[s] >= 1 && R_.ID[s] <= R_.IDcount) slotOf[R_.ID[s]] = s;

  if (cUpper == cLower && !artificialUsed && !lowerRaised) {
    for (int i = 1; i <= upperTree[0]; ++i) {
      const int id = upper.ID[upperTree[i]];
      const int s = id >= 1 && id <= R_.IDcount ? slotOf[id] : 0;
      if (s == 0 || R_.delE[s]) continue;
      ++counts.contracted;
      if (R_.upperOk && !R_.inTree[id]) R_.destroyUpper();
      R_.addPendingContraction(s);
    }
    log(3) << "cUpper = " << cUpper << " = cLower: contracted.\n";
    R_.updateContract(&newNumber, true);
    contractedAny = true;
    return true;
  }

  // --- reduced costs of the lower instance ---
  AscentEngine engine(lowerInstance, 0);
  engine.ascentPass(std::clamp(root_, 1, lowerInstance.R));
  engine.reducedCostDistances();
  const std::int64_t gap = static_cast<std::int64_t>(cUpper) - engine.lowerBound();
  const IntArray& fromRoot = engine.distancesFromRoot();
  const IntArray& toTerminal = engine.distancesToTerminal();
  const IntArray& reduced = engine.reducedCosts();
  auto beyond = [&](std::int64_t a, std::int64_t b, std::int64_t c2) {
    return a < maxint && b < maxint && c2 < maxint ? gap < a + b + c2 + equality_ : true;
  };
  const int start = side_.start();
  for (int w = 1; w <= lowerInstance.V; ++w) {
    if (side_.mark(w) != start || !R_.hasLiveSlot(w) || R_.isReq[w] != 0) continue;
    if (equality_ != 0 && vertexInUpper[w]) continue;
    if (!beyond(fromRoot[w], toTerminal[w], 0)) continue;
    R_.markVertexDeleted(w);
    ++counts.deletedVertices;
  }
  for (int s = 1; s <= 2 * lowerInstance.E; ++s) {
    if (lowerInstance.delE[s] || lowerInstance.partner[s] < s) continue;
    const int x = lowerInstance.arcs[s].tail, y = lowerInstance.arcs[s].head;
    if (side_.mark(x) != start && side_.mark(y) != start) continue;
    const int id = lowerInstance.ID[s];
    const int r = id >= 1 && id <= R_.IDcount ? slotOf[id] : 0;
    if (r == 0 || R_.delE[r]) continue;
    if (equality_ != 0 && inUpper[id]) continue;
    const int back = lowerInstance.partner[s];
    if (!beyond(fromRoot[x], reduced[s], toTerminal[y]) || !beyond(fromRoot[y], reduced[back], toTerminal[x])) continue;
    deleteEdgeLazily(R_, r);
    ++counts.deletedEdges;
  }
  R_.compactEdges(nullptr);
  // The cut relaxation that would sharpen these bounds is not part of this solver.
  log(3) << "no cut bound: the side's reduction ends with the dual ascent\n";
  return true;
}

}  // namespace

void partition(ReduceGraph& R) {
  leaveOverflowMode(R);
  if (R.R < 2) return;
  PartitionOptions options = readOptions(R);
  log(3) << "\n";
  const int source = R.V % R.R + 1;
  prepareBottlenecks(R);
  IntMatrix list(std::max(options.maxSeparators, 0), options.maxSplit);
  if (options.useTerminalSeparator == 1) findSeparators(R, list, options.maxSplit, source);
  else list[0][0] = 0;  // no display to pick a split set on
  IntArray vertexMap(static_cast<std::size_t>(R.V) + 1, 0);
  vertexMap[0] = R.V;
  for (int v = 1; v <= R.V; ++v) vertexMap[v] = v;
  SideReduction::Counts counts;
  SmallSide side(R);
  std::vector<int> split;
  IntArray newNumber;
  for (int i = 1; i <= list[0][0] && R.upperOpt == 0; ++i) {
    split.clear();
    for (int j = 1; j <= list[i][0]; ++j) split.push_back(vertexMap[list[i][j]]);
    if (std::find(split.begin(), split.end(), 0) != split.end()) continue;
    if (!side.find(R, split, options.limits)) continue;
    bool contracted = false;
    SideReduction(R, side, split, options.equality, options.root).run(counts, newNumber, contracted);
    if (contracted) {
      for (int v = 1; v <= vertexMap[0]; ++v)
        if (vertexMap[v] != 0) vertexMap[v] = vertexMap[v] < static_cast<int>(newNumber.size()) ? newNumber[vertexMap[v]] : 0;
    }
    prepareBottlenecks(R);
  }
  log(3) << "deleted vertices: " << counts.deletedVertices << ", edges: " << counts.deletedEdges << "\n";
  log(3) << "replaced vertices: " << 0 << "\n";
  log(3) << "contracted edges: " << counts.contracted << "\n";
  R.removeVertices();
  log(3) << "\n";
}

}  // namespace tesmo
