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
  std::int64_t total = R.contractCost;
  for (int s = 1; s <= 2 * R.E; ++s)
    if (isLiveEdge(R, s)) {
      maxCost = std::max<std::int64_t>(maxCost, R.arcs[s].cost);
      total += R.arcs[s].cost;
    }
  const std::int64_t spread = 2LL * (std::int64_t{R.Eanz} * maxCost + std::max<std::int64_t>(R.contractCost, 0));
  if (spread <= 0) return maxScale;  // all links cost 0: any factor works
  const std::int64_t quotient = maxint / spread;
  // Scale 2 is the least that works; refuse when scaled tree values could pass maxint.
  if (quotient < 2 && 2 * total >= maxint)
    exitWithError("link weights too large for the enumeration of optimal trees");
  return static_cast<int>(std::clamp<std::int64_t>(quotient, 2, maxScale));
}

void OptimalTreeEnumeration::scaleCosts(ReduceGraph& R, int scale, bool up) {
  for (int s = 1; s <= 2 * R.E; ++s) R.arcs[s].cost = up ? R.arcs[s].cost * scale : R.arcs[s].cost / scale;
  R.maxCost = up ? R.maxCost * scale : R.maxCost / scale;
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
  const int rootCount = shell.Iget("enumerationRoots", 8);
  if (rootCount <= 0 || R.R < 2) return 0;
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
    auto beyondGap = [&](int s) {
      const Arc& a = R.arcs[s];
      std::int64_t bound = std::int64_t{fromRoot[a.tail]} + reducedCosts_[s];
      if (a.cost > 0) bound += toTerminal[a.head];
      return bound > gap;
    };
    const int before = ruledOut;
    for (int s = 1; s <= 2 * R.E; ++s) {
      if (!isLiveEdge(R, s) || mark[s] != 0) continue;
      if (beyondGap(s) && beyondGap(R.partner[s])) {
        setMark(R, mark, s, -1);
        ++ruledOut;
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
    const int ruledOut = ruleOutByReducedCosts(R, optimum, mark);
    log(2) << "\nlinks in no optimal tree by reduced costs: " << ruledOut << " of " << R.Eanz << "\n";
    deleteMarkedEdges(R, mark);
  }

  // Chosen for the edges left: fewer edges allow a larger factor, and so larger groups below.
  const int scale = chooseScale(R);
  scaleCosts(R, scale, true);
  optimum *= scale;

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
    const std::int64_t value = search_.run(R, maxint);
    verbose = shell.Iget("verbose", 2);
    logStep(group.front(), value);
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
  }

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
