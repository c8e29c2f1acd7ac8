#include "OptimalTreeEnumeration.h"

#include "AscentEngine.h"
#include "Check.h"
#include "Exact.h"
#include "ReducedCostSet.h"
#include "LogStream.h"
#include "Shell.h"
#include "SolutionHash.h"
#include "TriangleTests.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <string>
#include <vector>

namespace tesmo {

namespace {

bool isLiveEdge(const ReduceGraph& R, int s) { return !R.delE[s] && s < R.partner[s]; }

}  // namespace

// Costs are multiplied by this factor so that a tree through the cheapened edges is told apart
// from every other tree by its value modulo the factor. Only live edges and the contracted cost
// count: scaled, the live edges and the contracted cost add up to at most maxint / 2, so no tree
// value can reach maxint.
int OptimalTreeEnumeration::chooseScale(const ReduceGraph& R) {
  std::int64_t maxCost = 0;
  std::int64_t links = 0;  // no tree costs more than all live links together
  for (int s = 1; s <= 2 * R.E; ++s)
    if (isLiveEdge(R, s)) {
      maxCost = std::max<std::int64_t>(maxCost, R.arcs[s].cost);
      links += R.arcs[s].cost;
    }
  const std::int64_t spread = 2LL * (links + std::max<std::int64_t>(R.contractCost, 0));
  if (spread <= 0) return maxScale;  // all links cost 0: any factor works
  const std::int64_t quotient = maxint / spread;
  // Scale 2 is the least that works; refuse when scaled tree values could pass maxint.
  if (quotient < 2 && 2 * (links + R.contractCost) >= maxint)
    exitWithError("link weights too large for the enumeration of optimal trees");
  const int scale = static_cast<int>(std::clamp<std::int64_t>(quotient, 2, maxScale));
  log(3) << "scale for the tests of links: " << scale << " (largest link " << maxCost << ")\n";
  return scale;
}

void OptimalTreeEnumeration::scaleCosts(ReduceGraph& R, int scale, bool up) {
  for (int s = 1; s <= 2 * R.E; ++s) R.arcs[s].cost = up ? R.arcs[s].cost * scale : R.arcs[s].cost / scale;
  // maxCost may name a link deleted before: it is only a ceiling, kept below maxint.
  R.maxCost = up ? static_cast<int>(std::min<std::int64_t>(std::int64_t{R.maxCost} * scale, maxint)) : R.maxCost / scale;
  R.contractCost = up ? R.contractCost * scale : R.contractCost / scale;
}

void OptimalTreeEnumeration::deleteMarkedEdges(ReduceGraph& R, IntArray& mark) {
  for (int i = 1; i <= 2 * R.E; ++i) {
    if (!isLiveEdge(R, i) || mark[i] >= 0) continue;
    if (R.upperOk && R.inTree[R.ID[i]]) R.destroyUpper();
    R.delE[i] = R.delE[R.partner[i]] = 1;
    --R.Eanz;
    R.vertexWork[R.arcs[i].tail] = 1;
    R.vertexWork[R.arcs[i].head] = 1;
  }
  R.compactEdges(&mark);
}

std::int64_t OptimalTreeEnumeration::solveForced(ReduceGraph& R, int slot) {
  // Requiring both ends forces the edge in: a tree through both ends can take the edge in place
  // of a link of the path between them without costing more.
  int added[2];
  int addedCount = 0;
  for (int v : {R.arcs[slot].tail, R.arcs[slot].head}) {
    if (R.isReq[v] != 0) continue;
    if (R.terminals.size() < static_cast<std::size_t>(R.R) + 2) R.terminals.resize(R.R + 2, 0);
    R.terminals[++R.R] = v;
    R.isReq[v] = R.R;
    added[addedCount++] = v;
  }
  const int value = search_.run(R, maxint);
  for (int k = addedCount - 1; k >= 0; --k) {
    R.isReq[added[k]] = 0;
    R.terminals[R.R--] = 0;
  }
  return value;
}

void OptimalTreeEnumeration::putEdgeIntoTree(const ReduceGraph& R, int slot) {
  const int count = solutionList[0];
  const int other = R.partner[slot];
  for (int k = 1; k <= count; ++k)
    if (solutionList[k] == slot || solutionList[k] == other) return;
  // The tree holds a path between the edge's ends whose links all cost 0 (else the forced tree
  // would not be optimal); the edge replaces the first link of that path.
  const int from = R.arcs[slot].tail;
  const int to = R.arcs[slot].head;
  std::vector<int> via(static_cast<std::size_t>(R.V) + 1, 0);  // tree entry reaching a vertex
  std::vector<char> seen(static_cast<std::size_t>(R.V) + 1, 0);
  std::vector<int> stack = {from};
  seen[from] = 1;
  while (!stack.empty() && !seen[to]) {
    const int v = stack.back();
    stack.pop_back();
    for (int k = 1; k <= count; ++k) {
      const Arc& a = R.arcs[solutionList[k]];
      const int w = a.tail == v ? a.head : a.head == v ? a.tail : 0;
      if (w == 0 || seen[w]) continue;
      seen[w] = 1;
      via[w] = k;
      stack.push_back(w);
    }
  }
  if (!seen[to]) {
    if (solutionList.size() < static_cast<std::size_t>(count) + 2) solutionList.resize(count + 2, 0);
    solutionList[++solutionList[0]] = slot;
    return;
  }
  solutionList[via[to]] = slot;
}

// Every step decides an edge by the value of its search: a value the search did not prove
// optimal (heuristic node scripts, a time-out) would put a wrong edge into the network or leave
// one out.
void OptimalTreeEnumeration::requireProven(const ReduceGraph& R, std::int64_t value) {
  if (R.lowerValue >= value) return;
  exitWithError("the exact search proved no optimum (lower bound " + std::to_string(R.lowerValue) +
                ", tree " + std::to_string(value) +
                "): the network of all optimal trees cannot be given; use node scripts without "
                "heuristic deletions and no time limit");
}

int OptimalTreeEnumeration::ruleOutByReducedCosts(ReduceGraph& R, std::int64_t optimum, IntArray& mark) {
  slackOfIdentity_.clear();
  const int rootCount = shell.Iget("enumerationRoots", 8);
  if (rootCount <= 0 || R.R < 2) return 0;
  slackOfIdentity_.assign(static_cast<std::size_t>(R.IDmax) + 1, std::numeric_limits<std::int64_t>::min());
  AscentEngine engine(R);
  engine.applyToInstance = 0;  // the bounds are read here; the instance keeps its own
  const IntArray roots = spreadRoots(R.R, rootCount);
  int ruledOut = 0;
  for (int r = 1; r <= roots[0]; ++r) {
    engine.run(roots[r]);
    if (engine.disconnected()) continue;
    // The distances overwrite the reduced costs of arcs beyond the stored tree's gap; the test
    // below needs them as the ascent left them.
    reducedCosts_.assign(engine.reducedCosts().begin(), engine.reducedCosts().end());
    engine.reducedCostDistances();
    const std::int64_t gap = optimum - engine.lowerBound();
    TESMO_CHECK(gap < 0, "OptimalTreeEnumeration");
    const IntArray& fromRoot = engine.distancesFromRoot();
    const IntArray& toTerminal = engine.distancesToTerminal();
    // Orient a tree away from the root: it costs at least the bound plus the reduced costs of a
    // path from the root to the arc's tail, the arc, and a path from its head to a terminal. A
    // subtree without a terminal consists of zero-cost links only (else the tree is not optimal),
    // so the terminal path counts only beyond an arc of positive cost.
    auto excess = [&](int s) {
      const Arc& a = R.arcs[s];
      std::int64_t bound = std::int64_t{fromRoot[a.tail]} + reducedCosts_[s];
      if (a.cost > 0) bound += toTerminal[a.head];
      return bound;
    };
    const int before = ruledOut;
    for (int s = 1; s <= 2 * R.E; ++s) {
      if (!isLiveEdge(R, s) || mark[s] != 0) continue;
      // A tree may take the link either way.
      const std::int64_t least = std::min(excess(s), excess(R.partner[s]));
      if (least > gap) {
        setMark(R, mark, s, -1);
        ++ruledOut;
      } else {
        slackOfIdentity_[R.ID[s]] = std::max(slackOfIdentity_[R.ID[s]], least - gap);
      }
    }
    log(3) << "ascent from terminal " << roots[r] << ": bound " << engine.lowerBound() << " of " << optimum
           << ", links ruled out " << ruledOut - before << "\n";
  }
  return ruledOut;
}

void OptimalTreeEnumeration::setMark(const ReduceGraph& R, IntArray& mark, int s, int value) {
  mark[s] = mark[R.partner[s]] = value;
}

void OptimalTreeEnumeration::indexSlots(const ReduceGraph& R) {
  slotOfIdentity_.assign(static_cast<std::size_t>(R.IDmax) + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s)
    if (isLiveEdge(R, s)) slotOfIdentity_[R.ID[s]] = s;
}

void OptimalTreeEnumeration::sideDistances(const ReduceGraph& R, int from, std::int64_t limit) {
  const int other = 3 - from;
  IntArray& dist = distance_[from];
  IntArray& pred = predecessor_[from];
  IntArray& stamp = reachedStamp_[from];
  IntArray& reached = reached_[from];
  IndexedHeap& heap = *heaps_[from];
  const int current = ++stamp_;
  sideStamp_[from] = current;
  heap.clearHeap();
  int count = 0;
  for (int k = 1; k <= tree_[0]; ++k)
    for (int v : {R.arcs[tree_[k]].tail, R.arcs[tree_[k]].head}) {
      if (side_[v] != from || stamp[v] == current) continue;
      stamp[v] = current;
      pred[v] = 0;
      reached[++count] = v;
      heap.heapInsert(v, 0);
    }
  sourceCount_[from] = count;
  for (int w = heap.heapExtractMin(); w >= 0; w = heap.heapExtractMin()) {
    if (side_[w] == other) continue;  // reached, not passed
    for (int i = sortedStart_[w]; i < sortedStart_[w + 1]; ++i) {
      const int s = sortedSlots_[i];
      const std::int64_t d = std::int64_t{dist[w]} + R.arcs[s].cost;
      if (d > limit) break;  // the slots come cheapest first
      const int y = R.arcs[s].head;
      if (side_[y] == from) continue;
      if (stamp[y] != current) {
        stamp[y] = current;
        pred[y] = s;
        reached[++count] = y;
        heap.heapInsert(y, static_cast<int>(d));
      } else if (heap.position(y) != 0 && d < dist[y]) {
        pred[y] = s;
        heap.heapDecreaseKey(y, static_cast<int>(d));
      }
    }
  }
  reached[0] = count;
}

// Why a path found here closes an optimal tree: the tree is optimal, so no path between the two
// parts, its inner vertices outside both, costs less than the key path. Were the path to the
// tail of a positive-cost link x-y and the path from its head to share a vertex z, the detour
// through z would cost less; so the two paths and the link form a simple path, and the parts
// joined by it are a tree of the same cost.
template <class OnTree>
int OptimalTreeEnumeration::exchangeKeyPaths(const ReduceGraph& R, const IntArray& mark, OnTree&& onTree) {
  const std::size_t vertexSlots = static_cast<std::size_t>(R.V) + 1;
  if (side_.size() != vertexSlots) {
    side_.assign(vertexSlots, 0);
    treeDegree_.assign(vertexSlots, 0);
    treeFirst_.assign(vertexSlots, 0);
    onPath_.assign(vertexSlots, 0);
    for (int k = 1; k <= 2; ++k) {
      distance_[k].assign(vertexSlots, 0);
      predecessor_[k].assign(vertexSlots, 0);
      reachedStamp_[k].assign(vertexSlots, 0);
      reached_[k].assign(vertexSlots + 1, 0);
      heaps_[k].emplace(R.V, distance_[k]);
    }
    stamp_ = 0;
  }
  // Every vertex's live slots, cheapest first, so that the searches below, bounded by a key
  // path's cost, stop at the first dearer link: vertices of high degree have mostly dear ones.
  sortedStart_.assign(vertexSlots + 1, 0);
  sortedSlots_.clear();
  for (int v = 1; v <= R.V; ++v) {
    sortedStart_[v] = static_cast<int>(sortedSlots_.size());
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) sortedSlots_.push_back(s);
    std::sort(sortedSlots_.begin() + sortedStart_[v], sortedSlots_.end(),
              [&](int a, int b) { return R.arcs[a].cost < R.arcs[b].cost; });
  }
  sortedStart_[R.V + 1] = static_cast<int>(sortedSlots_.size());
  pendingTrees_.assign(solutionList.begin(), solutionList.begin() + solutionList[0] + 1);
  int found = 0;
  for (std::size_t head = 0; head < pendingTrees_.size();) {
    const int n = pendingTrees_[head];
    tree_.assign(pendingTrees_.begin() + static_cast<std::ptrdiff_t>(head),
                 pendingTrees_.begin() + static_cast<std::ptrdiff_t>(head + n + 1));
    head += static_cast<std::size_t>(n) + 1;
    // The tree's incidences as linked lists: treeLinks_[2i] the link, [2i + 1] the next incidence.
    treeLinks_.assign(4 * static_cast<std::size_t>(n) + 2, 0);
    std::int64_t treeCost = 0;
    int incidences = 0;
    for (int k = 1; k <= n; ++k) {
      treeCost += R.arcs[tree_[k]].cost;
      for (int v : {R.arcs[tree_[k]].tail, R.arcs[tree_[k]].head}) {
        ++treeDegree_[v];
        treeLinks_[2 * incidences] = k;
        treeLinks_[2 * incidences + 1] = treeFirst_[v];
        treeFirst_[v] = ++incidences;
      }
    }
    auto otherEnd = [&](int k, int v) {
      const Arc& a = R.arcs[tree_[k]];
      return a.tail == v ? a.head : a.tail;
    };
    auto isKey = [&](int v) { return R.isReq[v] != 0 || treeDegree_[v] != 2; };
    walked_.assign(static_cast<std::size_t>(n) + 1, 0);
    for (int start = 0; start < 2 * n; ++start) {
      const Arc& startArc = R.arcs[tree_[start / 2 + 1]];
      const int a = start % 2 == 0 ? startArc.tail : startArc.head;
      if (!isKey(a)) continue;
      for (int i = treeFirst_[a]; i != 0; i = treeLinks_[2 * (i - 1) + 1]) {
        const int first = treeLinks_[2 * (i - 1)];
        if (walked_[first]) continue;
        // Walk from a through inner vertices to the next key vertex b.
        pathLinks_.assign(1, 0);
        std::int64_t pathCost = 0;
        int k = first, v = a;
        while (true) {
          walked_[k] = 1;
          pathLinks_.push_back(k);
          pathCost += R.arcs[tree_[k]].cost;
          v = otherEnd(k, v);
          if (isKey(v)) break;
          int next = 0;
          for (int j = treeFirst_[v]; j != 0; j = treeLinks_[2 * (j - 1) + 1])
            if (treeLinks_[2 * (j - 1)] != k) next = treeLinks_[2 * (j - 1)];
          k = next;
        }
        pathLinks_[0] = static_cast<int>(pathLinks_.size()) - 1;
        if (pathCost == 0) continue;
        // Sides: 2 for every tree vertex, 0 for the path's inner ones, 1 for a's part.
        for (int t = 1; t <= n; ++t) {
          side_[R.arcs[tree_[t]].tail] = 2;
          side_[R.arcs[tree_[t]].head] = 2;
          onPath_[t] = 0;
        }
        for (int p = 1; p <= pathLinks_[0]; ++p) onPath_[pathLinks_[p]] = 1;
        {
          int u = a;
          for (int p = 1; p < pathLinks_[0]; ++p) {
            u = otherEnd(pathLinks_[p], u);
            side_[u] = 0;
          }
        }
        walk_.assign(1, a);
        side_[a] = 1;
        while (!walk_.empty()) {
          const int u = walk_.back();
          walk_.pop_back();
          for (int j = treeFirst_[u]; j != 0; j = treeLinks_[2 * (j - 1) + 1]) {
            const int t = treeLinks_[2 * (j - 1)];
            const int w = otherEnd(t, u);
            if (onPath_[t] || side_[w] == 1) continue;
            side_[w] = 1;
            walk_.push_back(w);
          }
        }
        sideDistances(R, 1, pathCost);
        sideDistances(R, 2, pathCost);
        // A link x-y of the new path has an end reached from a side it is not on: x outside
        // side 1, or y outside side 2 (then x may lie on side 1 and y on side 2).
        auto tryLink = [&](int s, int x, int y) {
          const std::int64_t c = R.arcs[s].cost;
          if (c <= 0 || mark[s] != 0 || side_[x] == 2 || side_[y] == 1) return;
          if (reachedStamp_[1][x] != sideStamp_[1] || reachedStamp_[2][y] != sideStamp_[2]) return;
          if (std::int64_t{distance_[1][x]} + c + distance_[2][y] != pathCost) return;
          // The new tree: the two parts, the path to x, the link, the path from y.
          walk_.assign(1, 0);
          for (int t = 1; t <= n; ++t)
            if (!onPath_[t]) walk_.push_back(tree_[t]);
          for (int u = x; predecessor_[1][u] != 0; u = R.arcs[predecessor_[1][u]].tail)
            walk_.push_back(predecessor_[1][u]);
          walk_.push_back(s);
          for (int u = y; predecessor_[2][u] != 0; u = R.arcs[predecessor_[2][u]].tail)
            walk_.push_back(predecessor_[2][u]);
          walk_[0] = static_cast<int>(walk_.size()) - 1;
          std::int64_t cost = 0;
          for (int t = 1; t <= walk_[0]; ++t) cost += R.arcs[walk_[t]].cost;
          TESMO_CHECK(cost != treeCost, "OptimalTreeEnumeration");
          solutionList.assign(walk_.begin(), walk_.end());
          onTree();
          ++found;
          pendingTrees_.insert(pendingTrees_.end(), walk_.begin(), walk_.end());
        };
        // x reached from side 1 off it (side 2 included: then the link may come straight from
        // side 1), or y reached from side 2 off it.
        for (int from = 1; from <= 2; ++from) {
          const IntArray& reached = reached_[from];
          for (int r = sourceCount_[from] + 1; r <= reached[0]; ++r) {
            const int u = reached[r];
            const std::int64_t room = pathCost - distance_[from][u];
            for (int i = sortedStart_[u]; i < sortedStart_[u + 1]; ++i) {
              const int s = sortedSlots_[i];
              if (R.arcs[s].cost > pathCost) break;
              const int w = R.arcs[s].head;
              if (from == 1) {
                if (R.arcs[s].cost <= room) tryLink(s, u, w);
                if (side_[u] == 2) tryLink(s, w, u);
              } else if (R.arcs[s].cost <= room) {
                tryLink(s, w, u);
              }
            }
          }
        }
      }
    }
    for (int k = 1; k <= n; ++k)
      for (int v : {R.arcs[tree_[k]].tail, R.arcs[tree_[k]].head}) {
        treeDegree_[v] = 0;
        treeFirst_[v] = 0;
        side_[v] = 0;
      }
  }
  return found;
}

bool OptimalTreeEnumeration::pass(Graph& graph, ReduceGraph& R) {
  chooseProblemClass(R);
  const bool pruneEquivalent = shell.Iget("pruneEquivalent", 0) != 0;
  if (pruneEquivalent) R.removeVertices();

  const int E = R.E;
  count = 0;
  int nextFree = 1;
  // The tables grow with the trees: at most one tree per step, each at most one arc per input link.
  starts.assign(static_cast<std::size_t>(E) + 4, 0);
  store.assign(static_cast<std::size_t>(graph.V) * 4 + 16, 0);
  // Per slot, the same in both slots of an edge (so that it moves with them when the slots are
  // compacted): 0 not known, 1 in an optimal tree, -1 in none.
  IntArray mark(2 * static_cast<std::size_t>(E) + 1, 0);
  SolutionHash hash(E + 3, std::max(1, R.V), store.data(), starts.data());

  std::int64_t val = 0;
  std::int64_t optimum = R.contractCost;  // in R's costs, contractCost included
  // As edge identities, which stay while deletions move the slots.
  knownTree_.assign(1, 0);
  auto keepKnownTree = [&]() {
    knownTree_.assign(1, 0);
    for (int k = 1; k <= solutionList[0]; ++k) {
      knownTree_.push_back(R.ID[solutionList[k]]);
      ++knownTree_[0];
    }
  };
  auto recordTree = [&]() {
    ++count;
    starts[count] = nextFree;
    val = expandSolution(R, solutionList, graph);
    const std::size_t need = static_cast<std::size_t>(nextFree) + solutionList[0] + 1;
    if (store.size() <= need) {
      store.resize(std::max(need + 1, 2 * store.size()), 0);
      hash.setStore(store.data());
    }
    for (int k = 1; k <= solutionList[0]; ++k) store[nextFree++] = solutionList[k];
    store[nextFree++] = 0;
    starts[0] = count;
    if (hash.checkAndInsert(count) == 0) {
      nextFree = starts[count];
      starts[count] = 0;
      starts[0] = --count;
    }
  };
  int inSolCount = 0;
  auto markTree = [&]() {
    for (int k = 1; k <= solutionList[0]; ++k) {
      const int u = solutionList[k];
      TESMO_CHECK(mark[u] < 0, "OptimalTreeEnumeration");
      if (mark[u] == 0) {
        setMark(R, mark, u, 1);
        ++inSolCount;
      }
    }
  };

  // A tree that differs from a found one in a single key path needs no search of its own.
  int exchanged = 0;
  const bool exchange = shell.Iget("enumerationExchange", 1) != 0;
  auto varyKnownTree = [&]() {
    if (!exchange || knownTree_[0] == 0) return;
    solutionList.assign(knownTree_.begin(), knownTree_.end());
    for (int k = 1; k <= solutionList[0]; ++k) solutionList[k] = slotOfIdentity_[solutionList[k]];
    exchanged += exchangeKeyPaths(R, mark, [&]() {
      markTree();
      recordTree();
    });
  };

  if (R.Eanz == 0) {
    solutionList.assign(std::max<std::size_t>(solutionList.size(), 2), 0);
    R.setUpper(solutionList, nullptr, 1);
    recordTree();
  } else {
    // The optimum and one optimal tree first: every later search is judged against them.
    verbose = shell.Iget("rVerbose", 1);
    R.clearUpper();
    R.lowerValue = 0;
    optimum = search_.run(R, maxint);
    verbose = shell.Iget("verbose", 2);
    R.upperOk = 0;
    if (optimum >= maxint) exitWithError("no tree joins all taxa");
    requireProven(R, optimum);
    markTree();
    keepKnownTree();
    recordTree();
    // Most links lie in no optimal tree, and the reduced costs of a few dual ascents show it
    // without a search. Deleting them leaves every optimal tree, and so every later search
    // (whose perturbed optimum lies within scale - 1 of scale times the optimum, while any tree
    // through a deleted link costs at least scale more) its answer.
    const int linksBefore = R.Eanz;
    const int ruledOut = ruleOutByReducedCosts(R, optimum, mark);
    log(2) << "\nlinks in no optimal tree by reduced costs: " << ruledOut << " of " << linksBefore << "\n";
    deleteMarkedEdges(R, mark);
  }

  // Chosen for the edges left: fewer edges allow a larger factor, and so larger groups below.
  const int scale = chooseScale(R);
  scaleCosts(R, scale, true);
  optimum *= scale;
  indexSlots(R);
  varyKnownTree();

  // Steps are numbered by the live edges in slot order.
  stepOfIdentity_.assign(static_cast<std::size_t>(R.IDmax) + 1, 0);
  int step = 0;
  for (int i = 1; i <= 2 * R.E; ++i)
    if (isLiveEdge(R, i)) stepOfIdentity_[R.ID[i]] = ++step;
  auto logStep = [&](int i, std::int64_t value) {
    log(2) << "\nStep: " << stepOfIdentity_[R.ID[i]] << " of " << R.Eanz << ". " << "sols" << ":" << count << ", "
           << "inSolCount" << ":" << inSolCount << ", " << "val" << ":" << value << ", " << std::endl;
  };

  // A zero-cost edge cannot be made cheaper: it is forced in, one at a time.
  for (int i = 1; i <= 2 * R.E; ++i) {
    if (!isLiveEdge(R, i) || mark[i] != 0 || R.arcs[i].cost != 0) continue;
    verbose = shell.Iget("rVerbose", 1);
    R.clearUpper();
    R.lowerValue = 0;
    const std::int64_t value = solveForced(R, i);
    verbose = shell.Iget("verbose", 2);
    logStep(i, value);
    R.upperOk = 0;
    requireProven(R, value);
    // No tree through both ends (a part of the network that no taxon reaches), or only dearer
    // ones: the link is in no optimal tree, and that tree is not recorded.
    if (value != optimum) {
      setMark(R, mark, i, -1);
      continue;
    }
    putEdgeIntoTree(R, i);
    markTree();
    keepKnownTree();
    recordTree();
    varyKnownTree();
  }

  // The other edges are tested in groups of up to scale - 1, each made one unit cheaper: a tree
  // holding m of them costs scale * c - m, so the perturbed optimum is a multiple of the scale
  // exactly when no optimal tree holds any of them, and otherwise it is an optimal tree through
  // some of them. A group rules its edges out with one search; the edges of a group that the
  // tree found leaves out are tested again. A group that holds an edge of an optimal tree costs
  // a search per tree it yields, and more edges make its search longer; a group of edges in no
  // optimal tree is ruled out by one search. So groups start at option enumerationGroup, double
  // while searches rule them out and fall back once a tree is found.
  const std::size_t largestGroup = static_cast<std::size_t>(std::max(1, scale - 1));
  const std::size_t firstGroup =
      std::min(largestGroup, static_cast<std::size_t>(std::max(1, shell.Iget("enumerationGroup", 100))));
  std::size_t groupLimit = firstGroup;
  // Edges ruled out are deleted after each search that rules them out, so that the next searches
  // work on fewer; the queue and the known tree hold edge identities, which deletions keep.
  std::vector<int> queue;
  for (int i = 1; i <= 2 * R.E; ++i)
    if (isLiveEdge(R, i) && mark[i] == 0 && R.arcs[i].cost > 0) queue.push_back(R.ID[i]);
  // Links whose reduced-cost bound came closest to ruling them out go first, in the large groups
  // that searches rule out quickly; the links nearest to an optimal tree come last.
  if (slackOfIdentity_.size() == static_cast<std::size_t>(R.IDmax) + 1)
    std::stable_sort(queue.begin(), queue.end(),
                     [&](int a, int b) { return slackOfIdentity_[a] > slackOfIdentity_[b]; });
  indexSlots(R);
  std::vector<int> group;
  group.reserve(largestGroup);
  for (std::size_t head = 0; head < queue.size();) {
    group.clear();
    while (head < queue.size() && group.size() < groupLimit) {
      const int i = slotOfIdentity_[queue[head++]];
      if (mark[i] == 0) group.push_back(i);
    }
    if (group.empty()) break;
    for (int i : group) {
      --R.arcs[i].cost;
      --R.arcs[R.partner[i]].cost;
    }
    verbose = shell.Iget("rVerbose", 1);
    R.clearUpper();
    R.lowerValue = 0;
    // A tree found before is optimal and holds none of these edges (they are unmarked): as the
    // search's starting upper bound it leaves only the question whether a tree through them is
    // as short.
    if (knownTree_[0] > 0) {
      offered_ = knownTree_;
      for (int k = 1; k <= offered_[0]; ++k) offered_[k] = slotOfIdentity_[offered_[k]];
      R.setUpper(offered_, nullptr, 0);
    }
    const auto searchStart = std::chrono::steady_clock::now();
    const std::int64_t value = search_.run(R, maxint);
    verbose = shell.Iget("verbose", 2);
    logStep(group.front(), value);
    log(3) << "group of " << group.size() << " links, search " << std::chrono::duration<double>(std::chrono::steady_clock::now() - searchStart).count() << " s\n";
    for (int i : group) {
      ++R.arcs[i].cost;
      ++R.arcs[R.partner[i]].cost;
    }
    R.upperOk = 0;
    if (value >= maxint) exitWithError("no tree joins all taxa");
    requireProven(R, value);
    const bool through = value % scale != 0;
    if (!through)
      for (int i : group) setMark(R, mark, i, -1);
    groupLimit = through ? firstGroup : std::min(largestGroup, 2 * groupLimit);
    markTree();
    keepKnownTree();
    recordTree();
    if (!through) {
      deleteMarkedEdges(R, mark);
      indexSlots(R);
      continue;
    }
    bool progress = false;
    for (int i : group) {
      if (mark[i] != 0)
        progress = true;
      else
        queue.push_back(R.ID[i]);
    }
    if (!progress) exitWithError("the exact search gave a tree through none of the tested links");
    varyKnownTree();
  }
  log(2) << "\ntrees found by exchanging a key path: " << exchanged << "\n";

  deleteMarkedEdges(R, mark);
  const int liveVertices = R.Vanz;
  if (pruneEquivalent) R.removeVertices();
  // Only strictly cheaper detours delete an edge here, so every optimal tree survives.
  triangle2(R, true);

  scaleCosts(R, scale, false);
  R.lowerValue = R.upperValue = static_cast<int>(val);
  optimalValue = val;
  solutionList[0] = 0;
  return liveVertices != R.Vanz;
}

void OptimalTreeEnumeration::enumerate(Graph& graph, ReduceGraph& R) {
  while (pass(graph, R)) {
    log(1) << "\n\nfound biologically equivalent solutions.\n";
    log(1) << "restarting computation in a pruned network.\n\n\n";
  }
}

void enumerateOptimalTrees(int& count, IntArray& store, IntArray& starts, Graph& graph,
                           ReduceGraph& R) {
  OptimalTreeEnumeration enumeration;
  enumeration.enumerate(graph, R);
  count = enumeration.count;
  store = std::move(enumeration.store);
  starts = std::move(enumeration.starts);
}

}  // namespace tesmo
