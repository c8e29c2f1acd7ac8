#include "BottleneckTests.h"

#include "DistanceRankedPruning.h"
#include "EdgeDeletion.h"
#include "LazyHeap.h"
#include "LogStream.h"
#include "Shell.h"
#include "UnionFind.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <numeric>
#include <optional>
#include <vector>

namespace tesmo {

namespace {

constexpr std::int64_t unreachable = maxint;

// Prim's algorithm over the live slots, reusable from many starts: a vertex belongs to the
// tree of the last run when reached(x) holds.
class PrimTree {
  const ReduceGraph& R_;

public:
  explicit PrimTree(const ReduceGraph& R)
      : R_(R), parent(static_cast<std::size_t>(R.V) + 1, 0), depth(parent.size(), 0),
        parentSlot(parent.size(), 0), key_(parent.size(), 0), stamp_(parent.size(), 0),
        settled_(parent.size(), 0) {
    heap_.reserve(static_cast<std::size_t>(2 * R.E) + 2);
  }

  bool reached(int x) const { return settled_[x] == run_; }

  // weight(slot) orders the edges (ties broken inside it); avoid is never entered; stop() is
  // asked after every settled vertex.
  template <class Weight, class Stop>
  void run(int start, int avoid, Weight weight, Stop stop) {
    ++run_;
    heap_.clear();
    stamp_[start] = run_;
    key_[start] = 0;
    parent[start] = start;
    depth[start] = 1;
    parentSlot[start] = 0;
    heap_.push(0, start);
    while (!heap_.empty()) {
      const auto [k, x] = heap_.pop();
      if (settled_[x] == run_ || k != key_[x]) continue;
      settled_[x] = run_;
      if (x != start) depth[x] = depth[parent[x]] + 1;
      if (stop(x)) return;
      for (int s = R_.nextLiveSlot(x, 0); s != 0; s = R_.nextLiveSlot(x, s)) {
        const int y = R_.arcs[s].head;
        if (y == avoid || settled_[y] == run_) continue;
        const std::int64_t w = weight(s);
        if (stamp_[y] == run_ && key_[y] <= w) continue;
        stamp_[y] = run_;
        key_[y] = w;
        parent[y] = x;
        parentSlot[y] = s;
        heap_.push(w, y);
      }
    }
    log(4) << "empty PQ \n";
  }

  // The largest edge cost on the tree path between a and b (both reached).
  std::int64_t bottleneck(int a, int b) const {
    std::int64_t worst = 0;
    while (a != b) {
      if (depth[a] < depth[b]) std::swap(a, b);
      worst = std::max<std::int64_t>(worst, R_.arcs[parentSlot[a]].cost);
      a = parent[a];
    }
    return worst;
  }

  IntArray parent, depth, parentSlot;

private:
  std::vector<std::int64_t> key_;
  IntArray stamp_, settled_;
  LazyHeap heap_;
  int run_ = 0;
};

int liveDegree(const ReduceGraph& R, int v) {
  int d = 0;
  for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) ++d;
  return d;
}

bool allReached(const ReduceGraph& R, const PrimTree& tree) {
  for (int v = 1; v <= R.V; ++v)
    if (R.hasLiveSlot(v) && !tree.reached(v)) {
      const int w = R.arcs[R.nextLiveSlot(v, 0)].head;
      log(2) << "Nicht erreicht!!! " << v << " " << w << "\n";
      return false;
    }
  return true;
}

// Per tree vertex x: the cheapest non-tree edge across the tree cut of x's parent edge. The
// non-tree edges are taken in ascending cost, and each tree edge is settled by the first one
// whose tree cycle holds it; jump[] skips the settled edges.
std::vector<std::int64_t> cheapestReplacements(const ReduceGraph& R, const PrimTree& tree) {
  std::vector<int> nonTree;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || R.arcs[s].tail > R.arcs[s].head) continue;
    const int u = R.arcs[s].tail, w = R.arcs[s].head;
    const bool treeEdge = (tree.parent[w] == u && tree.parentSlot[w] == s) ||
                          (tree.parent[u] == w && tree.parentSlot[u] == R.partner[s]);
    if (!treeEdge) nonTree.push_back(s);
  }
  std::stable_sort(nonTree.begin(), nonTree.end(),
                   [&R](int a, int b) { return R.arcs[a].cost < R.arcs[b].cost; });
  std::vector<std::int64_t> cover(static_cast<std::size_t>(R.V) + 1, unreachable);
  IntArray jump(static_cast<std::size_t>(R.V) + 1, 0);
  std::iota(jump.begin(), jump.end(), 0);
  auto top = [&jump](int x) {
    int r = x;
    while (jump[r] != r) r = jump[r];
    while (jump[x] != r) x = std::exchange(jump[x], r);
    return r;
  };
  for (int s : nonTree) {
    int a = top(R.arcs[s].tail), b = top(R.arcs[s].head);
    while (a != b) {
      if (tree.depth[a] < tree.depth[b]) std::swap(a, b);
      cover[a] = R.arcs[s].cost;
      jump[a] = tree.parent[a];
      a = top(a);
    }
  }
  return cover;
}

struct Link {
  int slot;   // the edge between the two regions, from a's side
  int A, B;   // region terminals, A < B
  std::int64_t key;
};

}  // namespace

void bottle(ReduceGraph& R) {
  if (R.overflowMode) R.rebuildAdjacency();
  if (R.R < 2) {
    log(3) << "contracted:  " << 0 << "\n";
    return;
  }
  const bool allow = !R.upperOk || shell.Iget("allowDestroyUpper", 0) != 0;
  PrimTree mst(R);
  auto weight = [&R](int s) {
    const Arc& a = R.arcs[s];
    return 2 * std::int64_t{a.cost} + (R.isReq[a.tail] && R.isReq[a.head] ? 0 : 1);
  };
  auto never = [](int) { return false; };
  mst.run(R.terminals[1], 0, weight, never);
  if (!allReached(R, mst)) {
    // A part the first terminal cannot reach is no part of any tree: it goes, the test goes on.
    R.deleteUnreachable();
    if (R.upperOpt != 0 || R.R < 2) return;
    mst.run(R.terminals[1], 0, weight, never);
  }
  log(4) << "computing bottlenecks... \n";
  const std::vector<std::int64_t> cover = cheapestReplacements(R, mst);

  log(4) << "Determining the Voronoi regions und the links between them\n";
  const std::size_t n = static_cast<std::size_t>(R.V) + 1;
  std::vector<std::int64_t> dist(n, unreachable);
  IntArray region(n, 0), predSlot(n, 0), done(n, 0);
  LazyHeap heap;
  heap.reserve(static_cast<std::size_t>(2 * R.E) + R.R + 1);
  for (int k = 1; k <= R.R; ++k) {
    const int t = R.terminals[k];
    dist[t] = 0;
    region[t] = t;
    heap.push(0, t);
  }
  IntArray settled(n, 0);
  while (!heap.empty()) {
    const auto [d, x] = heap.pop();
    if (settled[x] || d != dist[x]) continue;
    settled[x] = 1;
    for (int s = R.nextLiveSlot(x, 0); s != 0; s = R.nextLiveSlot(x, s)) {
      const int y = R.arcs[s].head;
      const std::int64_t dy = d + R.arcs[s].cost;
      if (settled[y] || dy >= dist[y]) continue;
      dist[y] = dy;
      region[y] = region[x];
      predSlot[y] = s;
      heap.push(dy, y);
    }
  }
  std::vector<Link> links;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    const int a = R.arcs[s].tail, b = R.arcs[s].head;
    if (a > b || !settled[a] || !settled[b] || region[a] == region[b]) continue;
    const bool direct = R.isReq[a] && R.isReq[b];
    const std::int64_t key = 2 * (dist[a] + R.arcs[s].cost + dist[b]) + (direct ? 1 : 0);
    const bool aFirst = region[a] < region[b];
    links.push_back({aFirst ? s : R.partner[s], std::min(region[a], region[b]),
                     std::max(region[a], region[b]), key});
  }
  log(4) << "Finding the shortest link between each two regions\n";
  std::stable_sort(links.begin(), links.end(), [](const Link& x, const Link& y) {
    return x.A != y.A ? x.A < y.A : x.B != y.B ? x.B < y.B : x.key < y.key;
  });
  links.erase(std::unique(links.begin(), links.end(),
                          [](const Link& x, const Link& y) { return x.A == y.A && x.B == y.B; }),
              links.end());
  log(4) << "Computing the generalized MST\n";
  std::stable_sort(links.begin(), links.end(), [](const Link& x, const Link& y) { return x.key < y.key; });
  std::vector<std::int64_t> linkLen(static_cast<std::size_t>(2 * R.E) + 1, unreachable);
  for (int k = 1; k <= R.R; ++k) done[R.terminals[k]] = 1;
  UnionFind regions(R.V);
  int joins = 0;
  for (const Link& link : links) {
    if (joins == R.R - 1) break;
    if (!regions.join(link.A, link.B)) continue;
    ++joins;
    const std::int64_t L = link.key / 2;
    linkLen[link.slot] = linkLen[R.partner[link.slot]] = L;
    for (int x : {R.arcs[link.slot].tail, R.arcs[link.slot].head}) {
      while (!done[x]) {
        done[x] = 1;
        const int p = predSlot[x];
        linkLen[p] = linkLen[R.partner[p]] = L;
        x = R.arcs[p].tail;
      }
    }
  }

  std::vector<unsigned char> candidate(static_cast<std::size_t>(2 * R.E) + 1, 0);
  const int root = R.terminals[1];
  for (int x = 1; x <= R.V; ++x) {
    if (x == root || R.degree[x] == 0 || !mst.reached(x)) continue;
    const int s = mst.parentSlot[x];
    const bool terminalPair = R.isReq[x] && R.isReq[mst.parent[x]];
    if (terminalPair || (linkLen[s] < unreachable && linkLen[s] <= cover[x]))
      candidate[s] = candidate[R.partner[s]] = 1;
  }
  log(4) << "\n";

  UnionFind joined(R.V);
  int count = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || !candidate[s]) continue;
    if (!allow && !R.inTree[R.ID[s]]) continue;
    if (!joined.join(R.arcs[s].tail, R.arcs[s].head)) continue;
    if (R.upperOk && !R.inTree[R.ID[s]]) R.destroyUpper();
    R.addPendingContraction(s);
    ++count;
  }
  log(3) << "contracted:  " << count << "\n";
  R.updateContract(nullptr, true);
}

void localBottle(ReduceGraph& R) {
  if (R.overflowMode) R.rebuildAdjacency();
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  const int maxTerminals = std::max(0, shell.Iget("maxTerminals", std::min(R.R, 8)));
  const int maxDeg = shell.Iget("maxDeg", 8);
  const int useSmt = shell.Iget("useSmt", 0);
  shell.echoLevel = echo == 3 ? 0 : echo;
  log(3) << "\n";
  if (R.R < 3 || maxTerminals < 3) {
    log(3) << "upgraded: " << 0 << "\n";
    return;
  }
  const std::size_t n = static_cast<std::size_t>(R.V) + 1;
  IntArray localStamp(n, 0), termPos(n, 0), upgrade(n, 0);
  std::vector<int> members, localTerms;
  const std::size_t side = static_cast<std::size_t>(maxTerminals);
  std::vector<std::int64_t> bneck(side * side, 0);
  PrimTree tree(R);
  int stamp = 0, firstLevel = 0, secondLevel = 0, upgraded = 0;
  std::vector<int> nb, nbCost, chosen, behind, behindCost, T, T2;
  std::vector<unsigned> subsets;

  std::vector<std::int64_t> key;
  std::vector<char> in;
  // The spanning tree over the bottleneck matrix of the listed terminal positions.
  auto spanningCost = [&](const std::vector<int>& pos) {
    const std::size_t k = pos.size();
    auto b = [&](int i, int j) { return bneck[static_cast<std::size_t>(pos[i]) * side + pos[j]]; };
    if (k == 3) {
      const std::int64_t x = b(0, 1), y = b(0, 2), z = b(1, 2);
      return x + y + z - std::max({x, y, z});
    }
    key.assign(k, unreachable * 4);
    in.assign(k, 0);
    key[0] = 0;
    std::int64_t sum = 0;
    for (std::size_t step = 0; step < k; ++step) {
      std::size_t best = k;
      for (std::size_t i = 0; i < k; ++i)
        if (!in[i] && (best == k || key[i] < key[best])) best = i;
      in[best] = 1;
      sum += key[best];
      for (std::size_t i = 0; i < k; ++i)
        if (!in[i]) key[i] = std::min(key[i], b(static_cast<int>(best), static_cast<int>(i)));
    }
    return sum;
  };

  // The exact re-examination: any tree that joins the terminals of T and costs less than their
  // spanning tree over bottleneck distances avoiding v must run through v, and replacing the
  // parts of a tree without v that join T by it would make that tree cheaper, so v lies in every
  // optimal tree. The tree is solved exactly on a copy of R with T as its only terminals. The
  // sub-solve's own scripts may run this test again; there it stays without the exact step.
  // Without a node script (option Reduction) the exact search cannot run: the step is left out.
  static bool exactRunning = false;
  const PruneBranching solver =
      useSmt != 0 && !exactRunning && shell.lookup("Reduction") != nullptr ? installedBranching() : nullptr;
  std::optional<ReduceGraph> work;
  if (solver) work.emplace(ReduceGraph::copyGraph(R, 1));
  auto exactCheaper = [&](const std::vector<int>& pos, std::int64_t tree) {
    if (!solver) return false;
    work->copyFrom(R, 1);
    while (work->R > 0) work->leaveTerminalList(work->terminals[work->R]);
    for (const int p : pos) work->addTerminal(localTerms[static_cast<std::size_t>(p)]);
    work->clearUpper();
    work->resetLower();
    const std::int64_t contracted = work->contractCost;
    exactRunning = true;
    const std::int64_t value = solver(*work, maxint);
    exactRunning = false;
    return value < maxint && value - contracted < tree;
  };
  auto passes = [&](std::int64_t star, const std::vector<int>& pos) {
    const std::int64_t tree = spanningCost(pos);
    return star <= tree || exactCheaper(pos, tree);
  };


  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v]) continue;
    const int dv = liveDegree(R, v);
    if (dv <= 1 || dv > maxDeg) continue;
    ++stamp;
    members.clear();
    localTerms.clear();
    auto join = [&](int y) {
      if (localStamp[y] == stamp) return;
      localStamp[y] = stamp;
      members.push_back(y);
      if (R.isReq[y]) {
        termPos[y] = static_cast<int>(localTerms.size());
        localTerms.push_back(y);
      }
    };
    localStamp[v] = stamp;
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
      const int y = R.arcs[s].head;
      if (R.isReq[y] || liveDegree(R, y) <= maxDeg) join(y);
    }
    const std::size_t firstStep = members.size();
    for (std::size_t i = 0; i < firstStep; ++i) {
      const int u = members[i];
      const int du = liveDegree(R, u);
      if (R.isReq[u] || du <= 1 || du > maxDeg) continue;
      for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) join(R.arcs[s].head);
    }
    if (localTerms.empty() || localTerms.size() > side) continue;

    // Bottleneck distances between the local terminals in the graph without v.
    std::size_t toSettle = localTerms.size();
    tree.run(
        localTerms[0], v,
        [&](int s) {
          return 2 * std::int64_t{R.arcs[s].cost} + (localStamp[R.arcs[s].head] == stamp ? 0 : 1);
        },
        [&](int x) { return R.isReq[x] && localStamp[x] == stamp && --toSettle == 0; });
    for (std::size_t i = 0; i < localTerms.size(); ++i)
      for (std::size_t j = 0; j < localTerms.size(); ++j) {
        const int a = localTerms[i], b = localTerms[j];
        std::int64_t d = 0;
        if (!tree.reached(a) || !tree.reached(b)) {
          if (i < j) log(4) << "Nicht erreicht!!! " << a << " " << b << "\n";
          d = unreachable;
        } else if (i != j) {
          d = tree.bottleneck(a, b);
        }
        bneck[i * side + j] = d;
      }

    nb.clear();
    nbCost.clear();
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
      nb.push_back(R.arcs[s].head);
      nbCost.push_back(R.arcs[s].cost);
    }
    const int deg = static_cast<int>(nb.size());
    bool passed = false;
    // Any passing subset decides, so the order of the subsets does not matter.
    subsets.clear();
    for (unsigned m = 1; m < (1u << deg); ++m)
      if (std::popcount(m) >= 3) subsets.push_back(m);
    for (unsigned m : subsets) {
      if (passed) break;
      T.clear();
      std::int64_t star = 0;
      for (int i = 0; i < deg; ++i)
        if ((m >> i & 1) && R.isReq[nb[i]] && localStamp[nb[i]] == stamp) {
          T.push_back(termPos[nb[i]]);
          star += nbCost[i];
        }
      if (T.size() > 2) {
        ++firstLevel;
        if (passes(star, T)) {
          passed = true;
          break;
        }
      }
      // One level further: through a non-terminal neighbour u of the subset to terminals of u.
      for (int i = 0; i < deg && !passed; ++i) {
        const int u = nb[i];
        const int du = liveDegree(R, u);
        if (!(m >> i & 1) || R.isReq[u] || du <= 1 || du > maxDeg || localStamp[u] != stamp) continue;
        behind.clear();
        behindCost.clear();
        for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
          const int t = R.arcs[s].head;
          if (t == v || !R.isReq[t] || localStamp[t] != stamp) continue;
          bool inSubset = false;
          for (int j = 0; j < deg; ++j)
            if ((m >> j & 1) && nb[j] == t) inSubset = true;
          if (inSubset) continue;
          behind.push_back(termPos[t]);
          behindCost.push_back(R.arcs[s].cost);
        }
        const int r = static_cast<int>(behind.size());
        if (r == 0 || r > 16) continue;
        const std::int64_t base = star + nbCost[i];
        for (unsigned c = 1; c < (1u << r) && !passed; ++c) {
          T2 = T;
          std::int64_t star2 = base;
          for (int j = 0; j < r; ++j)
            if (c >> j & 1) {
              T2.push_back(behind[j]);
              star2 += behindCost[j];
            }
          if (T2.size() <= 2) continue;
          ++secondLevel;
          if (passes(star2, T2)) passed = true;
        }
      }
    }
    if (passed) {
      upgrade[v] = 1;
      log(4) << "success " << v << "\n";
      ++upgraded;
    }
  }
  for (int v = 1; v <= R.V; ++v)
    if (upgrade[v]) R.addTerminal(v);
  log(4) << firstLevel << " " << secondLevel << "\n\n";
  log(3) << "upgraded: " << upgraded << "\n";
}

}  // namespace tesmo

namespace tesmo {

void quickDel(ReduceGraph& R) {
  leaveOverflowMode(R);
  if (R.R < 2) return;
  R.computeVoronoiRegions(static_cast<int>(std::min<std::int64_t>(3 * std::int64_t{R.maxCost}, maxint)));
  R.generalizedMst();
  const int lazy = shell.Iget("QuickDel", 1) == 0;
  // The links must join every region: otherwise some parts of a tree cannot be rejoined by them.
  if (R.blowUpMark >= maxint || R.linkCount < R.R - 1) {
    log(3) << "deleted vertices: " << 0 << " (" << 0 << ")" << "\n";
    return;
  }
  std::vector<std::int64_t> links;
  links.reserve(static_cast<std::size_t>(R.linkCount));
  for (int i = 1; i <= R.linkCount; ++i) links.push_back(R.regionLinks[i].length);
  std::sort(links.begin(), links.end(), std::greater<>());
  if (verbose > 3) {
    log(4) << "MaxLinks: ";
    for (int i = 0; i < R.R - 1; ++i) log(4) << links[static_cast<std::size_t>(i)] << " ";
    log(4) << "\n";
  }
  std::vector<std::int64_t> costs;
  int edges = 0, vertices = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0) continue;
    costs.clear();
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) costs.push_back(R.arcs[s].cost);
    const int d = static_cast<int>(costs.size());
    if (d <= 2) continue;
    std::sort(costs.begin(), costs.end());
    // With k tree edges at v, a tree through v pays at least the k cheapest; without v its k
    // parts are joined again by k - 1 region links at most as long as the k - 1 longest. Only a
    // strict saving proves that v is in no optimal tree: a link may run through v itself, and
    // then an equal cost proves nothing.
    bool qualifies = true;
    std::int64_t cheap = 0, joined = 0;
    for (int k = 1; k <= std::min(d, R.R) && qualifies; ++k) {
      cheap += costs[static_cast<std::size_t>(k - 1)];
      if (k > 1) joined += links[static_cast<std::size_t>(k - 2)];
      qualifies = cheap >= joined + 1;
    }
    if (!qualifies) continue;
    ++vertices;
    edges += d;
    if (lazy) {
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s)
        if (!R.delE[s]) deleteEdgeLazily(R, s);
    } else {
      R.markVertexDeleted(v);
    }
  }
  log(3) << "deleted vertices: " << edges << " (" << vertices << ")" << "\n";
  R.compactEdges(nullptr);
  R.deleteUnreachable();
}

}  // namespace tesmo
