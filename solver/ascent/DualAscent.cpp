#include "DualAscent.h"

#include "Check.h"
#include "EdgeDeletion.h"
#include "FindSaveMatrix.h"
#include "FindSaveTreeCached.h"
#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"
#include "UnionFind.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace tesmo {

namespace {

// Keys of the heaps are ints: later times than any ascent reaches are kept just below maxint.
constexpr int never = maxint - 1;

int clampKey(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, never)); }

// Reads options with the shell's echo at level 3 and restores it afterwards.
class EchoedOptions {
public:
  EchoedOptions() : saved_(shell.echoLevel) { shell.echoLevel = 3; }
  ~EchoedOptions() { shell.echoLevel = saved_ == 3 ? 0 : saved_; }
  EchoedOptions(const EchoedOptions&) = delete;
  EchoedOptions& operator=(const EchoedOptions&) = delete;
  int get(const char* name, int def) { return shell.Iget(name, def); }

private:
  int saved_;
};

int slotCount(const ReduceGraph& R) { return 2 * R.E; }


}  // namespace

DualAscentState::DualAscentState(ReduceGraph& instance)
    : R(instance), r(instance.R), arcCount(slotCount(instance)), V(instance.V) {
  int rootOption = 1;
  {
    EchoedOptions options;
    upperBi = options.get("upperBi", 0);
    rootOption = options.get("root", 1);
  }
  root = rootOption;
  if (rootOption < 0) {
    // f = 1 picks the first terminal of largest degree, f < 0 the first of smallest.
    const std::int64_t f = 2 * std::int64_t{rootOption} + 3;
    root = 1;
    for (int i = 2; i <= r; ++i)
      if (f * R.degree[R.terminals[root]] < f * R.degree[R.terminals[i]]) root = i;
  }
  if (root < 1) root = 1;
  if (root > r) root = r;
  rootVertex = r >= 1 ? R.terminals[root] : 0;
  slack.assign(static_cast<std::size_t>(arcCount) + 1, 0);
  upperStamp.assign(static_cast<std::size_t>(arcCount) + 1, 0);
}

namespace {

// Vertices the root reaches over live slots whose flag is set, counting the terminals met.
class SlotSearch {
public:
  explicit SlotSearch(const ReduceGraph& R)
      : stack_(static_cast<std::size_t>(R.V) + 1, 0), seen_(static_cast<std::size_t>(R.V) + 1, 0) {}

  template <class Follow>
  int terminalsReached(const ReduceGraph& R, int start, Follow follow) {
    ++stamp_;
    int top = 0, terminals = 0;
    stack_[++top] = start;
    seen_[start] = stamp_;
    while (top > 0) {
      const int v = stack_[top--];
      if (R.isReq[v] != 0) ++terminals;
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || seen_[w] == stamp_ || !follow(s)) continue;
        seen_[w] = stamp_;
        stack_[++top] = w;
      }
    }
    return terminals;
  }
  bool reached(int v) const { return seen_[v] == stamp_; }

private:
  IntArray stack_, seen_;
  int stamp_ = 0;
};

// pred[v] is the slot from v's parent to v (0 for the root and for vertices off the tree): the
// non-terminal leaves leave, chains of them too, and the slots left form the tree.
IntArray prunedTree(const ReduceGraph& R, IntArray& pred) {
  IntArray degree(static_cast<std::size_t>(R.V) + 1, 0);
  for (int v = 1; v <= R.V; ++v) {
    if (pred[v] <= 0) continue;
    ++degree[v];
    ++degree[R.arcs[pred[v]].tail];
  }
  for (int v = 1; v <= R.V; ++v) {
    int x = v;
    while (pred[x] > 0 && R.isReq[x] == 0 && degree[x] == 1) {
      const int s = pred[x];
      log(5) << "remove: " << std::min(s, R.partner[s]) << "\n";
      pred[x] = 0;
      --degree[x];
      x = R.arcs[s].tail;
      --degree[x];
    }
  }
  IntArray tree(1, 0);
  for (int v = 1; v <= R.V; ++v)
    if (pred[v] > 0) tree.push_back(pred[v]);
  tree[0] = static_cast<int>(tree.size()) - 1;
  return tree;
}

void offerDualTree(ReduceGraph& R, IntArray& tree) {
  tree[0] = static_cast<int>(tree.size()) - 1;
  R.setUpper(tree, "dual", 1);
}

void reverseDeletionTree(DualAscentState& state) {
  ReduceGraph& R = state.R;
  const int n = state.arcCount;
  IntArray inTree(static_cast<std::size_t>(n) + 1, 0);
  std::vector<int> order;
  for (int a = 1; a <= n; ++a) {
    if (R.delE[a] || state.upperStamp[a] == 0) continue;
    inTree[a] = 1;
    order.push_back(a);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return state.upperStamp[a] > state.upperStamp[b]; });
  SlotSearch search(R);
  auto follow = [&](int s) { return inTree[s] != 0; };
  if (search.terminalsReached(R, state.rootVertex, follow) < state.r) {
    exitWithWarning("!k", 961, "dual", R.warningDump());
    return;
  }
  for (int a : order) {
    inTree[a] = 0;
    if (search.terminalsReached(R, state.rootVertex, follow) < state.r) inTree[a] = 1;
  }
  IntArray tree(1, 0);
  for (int a = 1; a <= n; ++a)
    if (inTree[a]) tree.push_back(a);
  offerDualTree(R, tree);
}

void primTree(DualAscentState& state) {
  ReduceGraph& R = state.R;
  int preferTerminal = 1, preferDirected = 1, preferPrune1 = 1, preferPrune2 = 1;
  {
    EchoedOptions options;
    preferTerminal = options.get("preferTerminal", 1);
    preferDirected = options.get("preferDirected", 1);
    preferPrune1 = options.get("preferPrune1", 1);
    preferPrune2 = options.get("preferPrune2", 1);
  }
  IntArray& stamp = state.upperStamp;
  if (verbose > 4) {
    for (int a = 1; a <= state.arcCount; ++a)
      log(4) << "(" << R.arcs[a].tail << "-" << R.arcs[a].head << ")" << R.arcs[a].cost << "slack[a]" << ":"
             << state.slack[a] << ", " << "upperStamp[a]" << ":" << stamp[a] << ", " << "\n";
  }
  for (int a = 1; a <= state.arcCount; ++a)
    if (stamp[a] == 0) stamp[a] = maxint;

  // With every stamp non-zero the preference searches reach every vertex they can reach at all.
  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  IntArray notFromRoot(vertices, 1), notToTerminal(vertices, 1);
  if (preferPrune1 != 0 || preferPrune2 != 0) {
    SlotSearch search(R);
    search.terminalsReached(R, state.rootVertex, [](int) { return true; });
    for (int v = 1; v <= R.V; ++v)
      if (search.reached(v)) notFromRoot[v] = 0;
    for (int k = 1; k <= R.R; ++k) {
      const int t = R.terminals[k];
      if (t == state.rootVertex || notToTerminal[t] == 0) continue;
      search.terminalsReached(R, t, [](int) { return true; });
      for (int v = 1; v <= R.V; ++v)
        if (search.reached(v)) notToTerminal[v] = 0;
    }
  }

  IntArray dist(vertices, maxint), pred(vertices, 0), final(vertices, 0);
  IndexedHeap heap(R.V, dist);
  dist[state.rootVertex] = 0;
  heap.heapInsert(state.rootVertex, 0);
  int taken = 0;
  const int countTerminals = shell.Iget("sadf", 1);
  while (taken < state.r) {
    const int v = heap.heapExtractMin();
    if (v < 0) {
      log(1) << "empty PQ \n";
      break;
    }
    final[v] = 1;
    if (pred[v] != 0) {
      pred[v] = -pred[v];
      log(5) << "add: " << pred[v] << dist[v] << "\n";
    }
    if (R.isReq[v] != 0 && countTerminals != 0) ++taken;
    for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
      const int w = R.arcs[s].head;
      if (R.delE[s] || final[w]) continue;
      std::int64_t key = std::int64_t{std::min(stamp[s], stamp[R.partner[s]])} + 10;
      if (key >= maxint) continue;
      if (preferDirected != 0 && key == stamp[s]) key -= preferDirected;
      if (preferPrune1 != 0 && notFromRoot[v]) key += preferPrune1;
      if (preferPrune2 != 0 && notToTerminal[w]) key += preferPrune2;
      if (preferTerminal == 1) key -= (R.isReq[v] != 0 ? 1 : 0) + (R.isReq[w] != 0 ? 1 : 0);
      if (preferTerminal == 2 && R.isReq[v] != 0 && R.isReq[w] != 0) key -= 1;
      if (key >= dist[w]) continue;
      if (pred[w] == 0)
        heap.heapInsert(w, clampKey(key));
      else
        heap.heapDecreaseKey(w, clampKey(key));
      pred[w] = -s;
    }
  }

  for (int v = 1; v <= R.V; ++v)
    if (!final[v] || pred[v] < 0) pred[v] = 0;
  IntArray tree = prunedTree(R, pred);
  const int printPrune = shell.Iget("printPrune", 0);
  for (int i = 1; i <= tree[0]; ++i) {
    const int s = tree[i];
    log(5) << "sol: " << s;
    if (printPrune != 0)
      log(3) << notFromRoot[R.arcs[s].tail] << (stamp[s] == maxint ? 1 : 0) << notToTerminal[R.arcs[s].head] << "\t";
    else
      log(5) << "\n";
  }
  offerDualTree(R, tree);
}

}  // namespace

void buildDualTree(DualAscentState& state) {
  if (state.r < 1 || state.rootVertex == 0) return;
  if (state.upperBi == 0)
    reverseDeletionTree(state);
  else
    primTree(state);
}

namespace {

// Stamps both slots of an edge with value unless one of them carries a smaller stamp already.
void stampEdge(DualAscentState& state, int s, int value) {
  const int p = state.R.partner[s];
  if (state.upperStamp[s] == 0 || state.upperStamp[s] > value) state.upperStamp[s] = value;
  if (state.upperStamp[p] == 0 || state.upperStamp[p] > value) state.upperStamp[p] = value;
}

struct RegionLink5 {
  int nearEnd, farEnd, lowerBase, higherBase;
  std::int64_t weight;
};

// regionBottleneck: the largest G-MST link between two regions (terminal indices), kept in the
// store the reduction tests use for the same question, a matrix while it is small.
std::unique_ptr<FindSave> regionBottlenecks(int r, const std::vector<RegionLink>& gmst) {
  std::unique_ptr<FindSave> store;
  if (r < 501)
    store = std::make_unique<FindSaveMatrix>(r);
  else
    store = std::make_unique<FindSaveTreeCached>(r, 10);
  store->build(static_cast<int>(gmst.size()) - 1, gmst.data(), r);
  return store;
}

// The arcs whose slack toward the regions' G-MST is 0 are stamped as well, so that the tree
// builder sees more of the arcs a short tree may use: inside a region the shortest-path arcs
// below half the G-MST's largest link, between regions every link no longer than the bottleneck
// of its two regions. The slack of every arc is kept for the builder's listing.
void stampWithinBottlenecks(DualAscentState& state, const IntArray& dist, const IntArray& base,
                            FindSave& regions, std::int64_t highEdge, bool directed) {
  ReduceGraph& R = state.R;
  const auto twice = [](std::int64_t value) { return 2 * value; };
  for (int a = 1; a <= state.arcCount; ++a) {
    const int t = R.arcs[a].tail, h = R.arcs[a].head;
    // Deleted slots, and vertices the region search never reached, belong to no region.
    if (R.delE[a] || base[t] == 0 || base[h] == 0) continue;
    const std::int64_t c = R.arcs[a].cost;
    std::int64_t slack;
    if (base[t] == base[h]) {
      if (dist[t] == c + dist[h] && twice(dist[t]) <= highEdge) stampEdge(state, a, clampKey(twice(dist[t])));
      // Measured away from the region's terminal, toward it in the root's region.
      const bool rootRegion = base[t] == state.rootVertex;
      const int qTail = rootRegion ? h : t, qHead = rootRegion ? t : h;
      const std::int64_t m = std::min(highEdge, twice(dist[qTail]));
      slack = twice(dist[qHead]) < m ? 2 * c - m + twice(dist[qHead]) : 2 * c;
    } else {
      const std::int64_t g = regions.d(R.isReq[base[t]], R.isReq[base[h]], maxint);
      if (!directed) {
        const std::int64_t w = std::int64_t{dist[h]} + dist[t] + c;
        if (w <= g) stampEdge(state, a, clampKey(w));
        slack = w <= g ? 0 : w - g;
      } else {
        const std::int64_t w = c + dist[h];
        if (g >= w) stampEdge(state, a, clampKey(twice(w)));
        slack = g < w ? 2 * (w - g) : 0;
      }
    }
    state.slack[a] = clampKey(slack);
  }
}

}  // namespace

void voronoiGmstBound(DualAscentState& state) {
  ReduceGraph& R = state.R;
  int directed = 0;
  {
    EchoedOptions options;
    directed = options.get("directed", 0);
  }
  if (state.r < 1) return;
  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  log(4) << "Determining the Voronoi regions und the links between them\n";
  IntArray dist(vertices, maxint), pred(vertices, 0), base(vertices, 0), settled(vertices, 0);
  IndexedHeap heap(R.V, dist);
  for (int k = 1; k <= state.r; ++k) {
    const int t = R.terminals[k];
    base[t] = t;
    heap.heapInsert(t, 0);
  }
  std::vector<RegionLink5> links;
  int taken = 0;
  while (taken < R.Vanz) {
    const int v = heap.heapExtractMin();
    if (v < 0) {
      log(1) << "empty PQ \n";
      break;
    }
    ++taken;
    settled[v] = 1;
    if (R.isReq[v] == 0 && pred[v] != 0) {
      const int p = pred[v];
      base[v] = base[p];
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s] || R.arcs[s].head != p || std::int64_t{dist[v]} - dist[p] != R.arcs[s].cost) continue;
        stampEdge(state, s, clampKey(2 * std::int64_t{dist[v]}));
        break;
      }
      log(6) << "i" << ":" << v << ", " << "p[i]" << ":" << p << ", " << "2*d[i]" << ":" << 2 * std::int64_t{dist[v]}
             << ", " << "\t";
    }
    for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
      if (R.delE[s]) continue;
      const int w = R.arcs[s].head;
      const int c = R.arcs[s].cost;
      if (!settled[w]) {
        const std::int64_t d = std::int64_t{dist[v]} + c;
        if (d >= dist[w]) continue;
        if (dist[w] == maxint)
          heap.heapInsert(w, clampKey(d));
        else
          heap.heapDecreaseKey(w, clampKey(d));
        pred[w] = v;
        continue;
      }
      if (base[w] == base[v]) continue;
      // w is settled first, so it is the near end on ties.
      const bool wNear = dist[w] <= dist[v];
      const int nearEnd = wNear ? w : v, farEnd = wNear ? v : w;
      const int lo = std::min(base[v], base[w]), hi = std::max(base[v], base[w]);
      std::int64_t weight;
      if (directed == 0) {
        weight = std::int64_t{dist[v]} + dist[w] + c;
        stampEdge(state, s, clampKey(weight));
        log(6) << "rec.a" << ":" << v << ", " << "rec.b" << ":" << w << ", " << "link.w" << ":" << weight << ", "
               << "\t";
      } else {
        weight = std::int64_t{c} + dist[nearEnd];
      }
      links.push_back({nearEnd, farEnd, lo, hi, weight});
    }
  }

  log(4) << "Finding the shortest link between each two regions\n";
  std::stable_sort(links.begin(), links.end(), [&](const RegionLink5& a, const RegionLink5& b) {
    if (R.isReq[a.lowerBase] != R.isReq[b.lowerBase]) return R.isReq[a.lowerBase] < R.isReq[b.lowerBase];
    return R.isReq[a.higherBase] < R.isReq[b.higherBase];
  });
  std::vector<RegionLink5> pairs;
  for (std::size_t i = 0; i < links.size();) {
    std::size_t best = i, j = i;
    for (; j < links.size() && links[j].lowerBase == links[i].lowerBase && links[j].higherBase == links[i].higherBase;
         ++j)
      if (links[j].weight < links[best].weight) best = j;
    pairs.push_back(links[best]);
    i = j;
  }

  log(4) << "Computing the generalized MST\n";
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const RegionLink5& a, const RegionLink5& b) { return a.weight < b.weight; });
  UnionFind regions(state.r);
  std::vector<RegionLink> gmst(1);  // from entry 1, in the order taken
  IntArray rootCandidate(static_cast<std::size_t>(state.r) + 1, 1);
  std::vector<std::int64_t> best(static_cast<std::size_t>(state.r) + 1, maxint);
  std::int64_t sum = 0, highEdge = 0;
  int joined = 0;
  for (const RegionLink5& l : pairs) {
    if (joined >= state.r - 1) break;
    const int a = R.isReq[l.lowerBase], b = R.isReq[l.higherBase];
    if (!regions.join(a, b)) continue;
    gmst.push_back({std::min(a, b), std::max(a, b), clampKey(l.weight)});
    ++joined;
    sum += l.weight;
    highEdge = l.weight;
    log(3) << "link.a" << ":" << l.lowerBase << ", " << "link.b" << ":" << l.higherBase << ", " << "link.w" << ":"
           << l.weight << ", " << "\n";
    if (directed != 0) {
      rootCandidate[R.isReq[base[l.nearEnd]]] = 0;
      std::int64_t& b = best[R.isReq[base[l.farEnd]]];
      b = std::min<std::int64_t>(b, dist[l.farEnd]);
    }
  }
  if (joined < state.r - 1) {
    // Fewer links than regions - 1: the regions found do not hang together; the bound so far
    // would not be one.
    log(3) << "Weight of the G-MST: " << sum << " (regions not connected)\n";
    return;
  }

  if (directed == 0) {
    log(3) << "Weight of the G-MST: " << sum << "\n";
    log(3) << "Weight of the G-MST -highedge: " << highEdge << "\n";
    log(3) << "Lower: " << static_cast<double>(sum + highEdge) * 0.5 << "\n";
    const std::int64_t lower = (sum + highEdge + 1) / 2 + R.contractCost;
    R.setLower(static_cast<int>(std::min<std::int64_t>(lower, maxint)), 0);
  } else {
    int root = 0;
    log(3) << "mayBeRoot: ";
    for (int k = 1; k <= state.r; ++k) {
      if (!rootCandidate[k]) continue;
      log(3) << " " << k << ":" << best[k];
      if (root == 0 || best[root] < best[k]) root = k;
    }
    log(3) << "\n";
    if (root == 0) root = state.root;
    const std::int64_t lower = (best[root] >= maxint ? 0 : best[root]) + sum;
    log(3) << "Lower: " << lower << " = " << sum << " + " << best[root] << "\n";
    state.root = root;
    state.rootVertex = R.terminals[root];
    highEdge *= 2;
  }
  log(3) << "Root" << ":" << state.root << ", " << "rootV" << ":" << state.rootVertex << ", ";
  // The directed mode stamps no links: a tree from the stamps alone cannot join the regions
  // before the pass below, so only the growth over the stamps tries.
  if (directed == 0 || state.upperBi != 0) buildDualTree(state);
  if (shell.Iget("doReduction", 0) == 0) return;
  stampWithinBottlenecks(state, dist, base, *regionBottlenecks(state.r, gmst), highEdge, directed != 0);
  buildDualTree(state);
}

void dualAscentMstPrune(DualAscentState& state) {
  ReduceGraph& R = state.R;
  int mstPrune = 0, quicker = 0;
  {
    EchoedOptions options;
    mstPrune = options.get("mstPrune", 0);
    quicker = options.get("quicker", 0);
  }
  if (state.r < 1) return;
  log(3) << "\n\n";
  const int n = state.arcCount, r = state.r;
  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  constexpr int dead = maxint;
  IntArray rc(static_cast<std::size_t>(n) + 1, 0);
  for (int a = 1; a <= n; ++a) rc[a] = R.delE[a] ? 0 : R.arcs[a].cost;
  IntMatrix reach;
  reach.newMatrix(r, R.V);
  for (int k = 0; k <= r; ++k)
    for (int v = 0; v <= R.V; ++v) reach[k][v] = -1;
  IntArray size(static_cast<std::size_t>(r) + 1, 1);
  std::vector<std::vector<int>> boundary(static_cast<std::size_t>(r) + 1), members(static_cast<std::size_t>(r) + 1);
  for (int k = 1; k <= r; ++k) {
    reach[k][R.terminals[k]] = 0;
    boundary[k].push_back(R.terminals[k]);
    members[k].push_back(R.terminals[k]);
  }
  // Tails of the saturated arcs into each vertex.
  std::vector<std::vector<int>> inList(vertices);
  std::vector<int> cut, saturated, stack;
  for (int v = 1; v <= R.V; ++v) inList[v].reserve(static_cast<std::size_t>(R.degree[v]));
  std::int64_t lower = 0, count = 0, count2 = 0;
  bool stuck = false;

  // v joins k's component with everything that reaches it over saturated arcs; false when the
  // growth met the root vertex (k then dies).
  auto join = [&](int k, int v) {
    stack.clear();
    stack.push_back(v);
    while (!stack.empty()) {
      const int x = stack.back();
      stack.pop_back();
      if (x == state.rootVertex) return false;
      if (reach[k][x] >= 0) continue;
      reach[k][x] = 0;
      ++size[k];
      boundary[k].push_back(x);
      members[k].push_back(x);
      for (int t : inList[x])
        if (reach[k][t] < 0) stack.push_back(t);
    }
    return true;
  };

  while (true) {
    int k = 0;
    for (int j = 1; j <= r; ++j)
      if (j != state.root && size[j] < dead && (k == 0 || size[j] < size[k])) k = j;
    if (k == 0) break;
    // The cut: every arc into the component from outside. An arc of reduced cost 0 belongs to it
    // as well (a zero-cost arc at the start): it makes the raise 0 and is saturated by it, rather
    // than being raised over, which would overload it.
    cut.clear();
    std::int64_t delta = dead;
    std::vector<int>& scan = quicker != 0 ? boundary[k] : members[k];
    for (std::size_t i = 0; i < scan.size();) {
      const int v = scan[i];
      bool contributes = false;
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s]) continue;
        const int w = R.arcs[s].head, p = R.partner[s];
        if (rc[p] != 0) ++count;
        if (reach[k][w] >= 0) continue;
        cut.push_back(p);
        contributes = true;
        delta = std::min<std::int64_t>(delta, rc[p]);
      }
      if (quicker != 0 && !contributes) {
        scan[i] = scan.back();
        scan.pop_back();
      } else {
        ++i;
      }
    }
    if (cut.empty()) {
      // No arc enters the component: the root cannot reach it; the bound so far stands.
      stuck = true;
      break;
    }
    ++count2;
    lower += delta;
    log(4) << k << "(" << size[k] << "," << cut.size() << ") : " << delta << " -> lower: " << R.contractCost + lower
           << "\n";
    for (int v : members[k]) reach[k][v] = static_cast<int>(std::min<std::int64_t>(reach[k][v] + delta, maxint));
    saturated.clear();
    for (int a : cut) {
      rc[a] = static_cast<int>(rc[a] - delta);
      if (rc[a] != 0) continue;
      if (state.upperStamp[a] == 0) state.upperStamp[a] = static_cast<int>(std::clamp<std::int64_t>(lower, 1, maxint));
      inList[R.arcs[a].head].push_back(R.arcs[a].tail);
      saturated.push_back(a);
    }
    for (int j = 1; j <= r; ++j) {
      if (j == state.root || size[j] >= dead) continue;
      for (int a : saturated) {
        const int t = R.arcs[a].tail, h = R.arcs[a].head;
        if (size[j] >= dead || reach[j][h] < 0 || reach[j][t] >= 0) continue;
        if (!join(j, t)) size[j] = dead;
      }
    }
  }

  log(2) << "Lower: " << lower;
  lower += R.contractCost;
  log(2) << "+Contr= " << lower << "\n";
  R.setLower(static_cast<int>(std::min<std::int64_t>(lower, maxint)), state.root);
  if (stuck) {
    // A terminal the root cannot reach: no tree joins them all.
  } else if (mstPrune == 0) {
    buildDualTree(state);
  } else {
    // The zero arcs the root reaches, each vertex entered once, pruned to a tree.
    IntArray pred(vertices, 0);
    IntArray seen(vertices, 0);
    std::vector<int> open{state.rootVertex};
    seen[state.rootVertex] = 1;
    while (!open.empty()) {
      const int v = open.back();
      open.pop_back();
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || rc[s] != 0 || seen[w]) continue;
        seen[w] = 1;
        pred[w] = s;
        open.push_back(w);
      }
    }
    IntArray tree = prunedTree(R, pred);
    R.setUpper(tree, "DA+mstPrune", 1);
  }
  log(3) << "count" << ":" << count << ", " << "count2" << ":" << count2 << ", ";
}

}  // namespace tesmo
