#include "VoronoiAscent.h"

#include "Check.h"
#include "EdgeDeletion.h"
#include "Heap.h"
#include "LogStream.h"
#include "ReducedCostDeletion.h"
#include "Shell.h"
#include "Sort.h"
#include "Upper.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tesmo {

namespace {

int clampInt(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, maxint)); }

struct BallOptions {
  int factor = 10;
  int wcMode = 1;
  int renewUpper = 0;
  int allRootsLimit = 1;
  int maxDegree = 10;
  bool construct = false;
  bool replace = true;
  bool tunnel = false;

  void read() {
    const int echo = shell.echoLevel;
    shell.echoLevel = 3;
    factor = shell.Iget("factor", 10);
    wcMode = shell.Iget("wcMode", 1);
    renewUpper = shell.Iget("renewUpper", 0);
    allRootsLimit = shell.Iget("allRootsLimit", 1);
    maxDegree = shell.Iget("ascentMaxDegree", 10);
    construct = shell.Iget("construct", 0) != 0;
    replace = shell.Iget("replace", 1) != 0;
    tunnel = shell.Iget("tunnel", 0) != 0;
    shell.echoLevel = echo == 3 ? 0 : echo;
  }
};

// One root iteration of the ball ascent and the tests on its reduced costs. The caller presets
// the reduced costs (the arc costs, or those left by the regions' balls) and the bound they
// already carry.
class BallAscent {
public:
  explicit BallAscent(ReduceGraph& R)
      : R_(R), rc(static_cast<std::size_t>(2 * R.E) + 1, 0), dist(size(R), maxint), d1(size(R), maxint),
        d2(size(R), maxint), base(size(R), 0), base2(size(R), 0), ballDist_(size(R), maxint), ballPred_(size(R), 0), settled_(size(R), 0), inTree_(size(R), 0),
        settleCount_(size(R), 0), keys_(size(R), maxint), inserted_(size(R), 0), heap_(R.V, keys_) {}

  void resetCosts() {
    for (int s = 1; s <= 2 * R_.E; ++s) rc[s] = R_.delE[s] ? 0 : R_.arcs[s].cost;
  }

  // Raises a ball around every terminal but the nearest to the root, in the order of their
  // distance from the root; false when a ball runs out of vertices before it meets the tree.
  bool raiseBalls(int rootIndex, const BallOptions& options) {
    ReduceGraph& R = R_;
    const int rv = R.terminals[rootIndex];
    for (int v = 1; v <= R.V; ++v) inTree_[v] = settleCount_[v] = 0;
    inTree_[rv] = 1;
    breaks_ = 0;
    orderTerminals(rv);
    for (int i = 2; i <= R.R; ++i) {
      const int tv = R.terminals[order_[i]];
      log(4) << i << ". : " << order_[i];
      int v = ball(tv, options);
      if (v < 0) {
        exitWithWarning("i==-1", 172, "ascentVR", R.warningDump());
        clearBall();
        return false;
      }
      const std::int64_t d = ballDist_[v];
      total += d;
      log(4) << " + " << d << " = " << total << "\n";
      if (!inTree_[v]) {
        ++breaks_;
      } else {
        while (v != tv) {
          const int a = ballPred_[v];  // the arc v -> next toward tv
          v = R.arcs[a].head;
          inTree_[v] = 1;
        }
      }
      // The nested cuts of radius up to d around tv lower the arcs entering them.
      for (int j = 1; j <= inserted_[0]; ++j) {
        const int x = inserted_[j];
        if (!settled_[x]) continue;
        for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
          if (R.delE[s]) continue;
          const std::int64_t reach = std::min<std::int64_t>(ballDist_[R.arcs[s].head], d);
          if (ballDist_[x] < reach) rc[R.partner[s]] -= static_cast<int>(reach - ballDist_[x]);
        }
      }
      clearBall();
      if (verbose >= 4) listTree();
    }
    log(3) << "Breaks: " << breaks_ << "\n";
    return true;
  }

  // Reduced-cost distances from the root vertex (dist), to the nearest other terminal (d1, that
  // terminal in base) and to the nearest terminal other than the base (d2).
  void distances(int rv) {
    ReduceGraph& R = R_;
    search(dist, {rv}, 0, true);
    IntArray sources(1, 0);
    for (int v = 1; v <= R.V; ++v) base[v] = 0;
    for (int k = 1; k <= R.R; ++k) {
      const int t = R.terminals[k];
      if (t == rv) continue;
      sources.push_back(t);
      base[t] = t;
    }
    sources[0] = static_cast<int>(sources.size()) - 1;
    search(d1, sources, rv, false, false, &base);
    secondDistances(rv);
    if (verbose < 4) return;
    log(4) << "\n\ndistances from root:  ";
    for (int v = 1; v <= R.V; ++v) log(4) << v << ": " << dist[v] << "   ";
    log(4) << "\n\ndistances to the first base: ";
    for (int v = 1; v <= R.V; ++v) log(4) << v << " : " << d1[v] << " ";
    log(4) << "\n\ndistances to the second base: ";
    for (int v = 1; v <= R.V; ++v) log(4) << v << " : " << d2[v] << " ";
    log(4) << "\n";
  }

private:
  ReduceGraph& R_;

public:
  std::int64_t total = 0;
  IntArray rc, dist, d1, d2, base, base2;

private:
  static std::size_t size(const ReduceGraph& R) { return static_cast<std::size_t>(R.V) + 1; }

  // The tree so far and the arcs whose reduced cost the balls have lowered.
  void listTree() {
    ReduceGraph& R = R_;
    log(4) << "Roots: ";
    for (int v = 1; v <= R.V; ++v)
      if (inTree_[v]) log(4) << v << " ";
    for (int s = 1; s <= 2 * R.E; ++s)
      if (!R.delE[s] && rc[s] != R.arcs[s].cost) log(4) << "(" << R.arcs[s].tail << "-" << R.arcs[s].head << ") " << rc[s] << " ";
    log(4) << "\n";
  }

  // The terminals by their distance from the root: along the stored tree while there is one,
  // else over the costs.
  void orderTerminals(int rv) {
    ReduceGraph& R = R_;
    if (R.upperOk)
      treeDistances(rv);
    else
      search(dist, {rv}, 0, true, true);
    IntArray key(static_cast<std::size_t>(R.R) + 1, 0);
    order_.assign(static_cast<std::size_t>(R.R) + 1, 0);
    for (int k = 1; k <= R.R; ++k) {
      key[k] = dist[R.terminals[k]];
      log(4) << k << ")" << key[k] << " ";
    }
    sortByKey(R.R, key, order_);
    log(4) << "\n";
    for (int i = 1; i <= R.R; ++i) log(4) << order_[i] << " ";
    log(4) << "\n";
  }

  // Path lengths from rv in the stored tree, by a walk over the tree's live edges.
  void treeDistances(int rv) {
    ReduceGraph& R = R_;
    for (int v = 1; v <= R.V; ++v) dist[v] = maxint;
    dist[rv] = 0;
    int top = 0;
    inserted_[++top] = rv;
    while (top > 0) {
      const int x = inserted_[top--];
      for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || !R.inTree[R.ID[s]] || dist[w] != maxint) continue;
        dist[w] = clampInt(std::int64_t{dist[x]} + R.arcs[s].cost);
        inserted_[++top] = w;
      }
    }
    inserted_[0] = 0;
  }

  // The ball around tv over the reverse arcs; the vertex it stops at, -1 when it runs dry.
  int ball(int tv, const BallOptions& options) {
    ReduceGraph& R = R_;
    heap_.clearHeap();
    inserted_[0] = 0;
    insert(tv, 0, 0);
    for (;;) {
      const int x = heap_.heapExtractMin();
      if (x < 0) return -1;
      settled_[x] = 1;
      ++settleCount_[x];
      if (inTree_[x] || (options.wcMode == 1 && settleCount_[x] >= options.factor)) return x;
      for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || settled_[w]) continue;
        const int in = R.partner[s];
        const std::int64_t d = std::int64_t{ballDist_[x]} + rc[in];
        if (d >= ballDist_[w]) continue;
        insert(w, clampInt(d), in);
      }
    }
  }

  void insert(int w, int d, int arc) {
    if (ballDist_[w] == maxint) {
      inserted_[++inserted_[0]] = w;
      heap_.heapInsert(w, d);
    } else {
      heap_.heapDecreaseKey(w, d);
    }
    ballDist_[w] = d;
    ballPred_[w] = arc;
  }

  void clearBall() {
    for (int j = 1; j <= inserted_[0]; ++j) {
      const int x = inserted_[j];
      ballDist_[x] = maxint;
      ballPred_[x] = 0;
      settled_[x] = 0;
    }
    inserted_[0] = 0;
  }

  // Dijkstra over live arcs (forward: from the sources along rc, or along the costs with
  // costs; otherwise toward the sources along the reverse arcs); blocked is never expanded.
  // With bases, each vertex reached takes the base of the vertex it is reached from.
  void search(IntArray& out, std::initializer_list<int> sources, int blocked, bool forward, bool costs = false) {
    IntArray list(1, 0);
    for (int v : sources) list.push_back(v);
    list[0] = static_cast<int>(list.size()) - 1;
    search(out, list, blocked, forward, costs);
  }
  void search(IntArray& out, const IntArray& sources, int blocked, bool forward, bool costs = false,
              IntArray* bases = nullptr) {
    ReduceGraph& R = R_;
    heap_.clearHeap();
    for (int v = 1; v <= R.V; ++v) {
      out[v] = maxint;
      settled_[v] = 0;
    }
    for (int i = 1; i <= sources[0]; ++i) {
      out[sources[i]] = 0;
      heap_.heapInsert(sources[i], 0);
    }
    for (int taken = 0; taken < R.Vanz; ++taken) {
      const int x = heap_.heapExtractMin();
      if (x < 0) break;
      settled_[x] = 1;
      if (x == blocked) continue;
      for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || settled_[w]) continue;
        const int length = costs ? R.arcs[s].cost : forward ? rc[s] : rc[R.partner[s]];
        const std::int64_t d = std::int64_t{out[x]} + length;
        if (d >= out[w]) continue;
        if (out[w] == maxint)
          heap_.heapInsert(w, clampInt(d));
        else
          heap_.heapDecreaseKey(w, clampInt(d));
        out[w] = clampInt(d);
        if (bases) (*bases)[w] = (*bases)[x];
      }
    }
    for (int v = 1; v <= R.V; ++v) settled_[v] = 0;
  }

  // d2[v] bounds from below the reduced cost of a path from the non-terminal v to a terminal
  // other than base[v] whose inner vertices are no terminals: such a path leaves v's region
  // first over an arc x -> y (x still in it), and costs at least its way to x, rc(x -> y) and
  // d1[y]. A label base2 that is never the base of its own vertex lets every such way through.
  // The search runs until its heap is empty, so no vertex is left with a tentative value.
  void secondDistances(int rv) {
    ReduceGraph& R = R_;
    heap_.clearHeap();
    for (int v = 1; v <= R.V; ++v) {
      d2[v] = maxint;
      base2[v] = 0;
    }
    const auto reach = [&](int w, std::int64_t d, int label) {
      if (d >= d2[w]) return;
      if (d2[w] == maxint)
        heap_.heapInsert(w, clampInt(d));
      else
        heap_.heapDecreaseKey(w, clampInt(d));
      d2[w] = clampInt(d);
      base2[w] = label;
    };
    for (int v = 1; v <= R.V; ++v) {
      if (v == rv || d1[v] >= maxint) continue;
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || R.isReq[w] != 0 || base[w] == base[v]) continue;
        reach(w, std::int64_t{d1[v]} + rc[R.partner[s]], base[v]);
      }
    }
    for (;;) {
      const int x = heap_.heapExtractMin();
      if (x < 0) break;
      settled_[x] = 1;
      for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
        const int y = R.arcs[s].head;
        if (R.delE[s] || settled_[y] || R.isReq[y] != 0 || base[y] == base2[x]) continue;
        reach(y, std::int64_t{d2[x]} + rc[R.partner[s]], base2[x]);
      }
    }
    for (int v = 1; v <= R.V; ++v) settled_[v] = 0;
    for (int k = 1; k <= R.R; ++k) d2[R.terminals[k]] = 0;
  }

  IntArray ballDist_, ballPred_, settled_, inTree_, settleCount_, keys_, inserted_, order_;
  IndexedHeap heap_;
  int breaks_ = 0;
};

void renewUpperBound(ReduceGraph& R, const BallOptions& options, bool honourNever) {
  if ((R.upperValue == maxint || options.renewUpper != 0) && (!honourNever || options.renewUpper >= 0)) {
    log(3) << "No upper bound calculated ... just doing it for you... \n";
    upper(R);
  }
}

// Tunnel pairs (x, y): no tree better than the upper bound uses edge x-y with the non-terminal x
// at degree 3 or more. With x->y in a tree rooted at the root, x's other child leads to a
// terminal at reduced cost d1[x] or more; with y->x, x's two children lead to two terminals, at
// d1[x] and d2[x] or more. So where the gaps left by the edge in the two directions are at most
// these (while the stored tree keeps x at degree 2 or less, so that it survives), the edge is
// only a tunnel through x, and applyTunnels replaces it by edges from y to x's other neighbours.
// Each vertex joins one pair at most.
class TunnelPairs {
public:
  TunnelPairs(const ReduceGraph& R, const BallAscent& ascent, std::int64_t gap)
      : list(1, 0), R_(R), a_(ascent), gap_(gap), marks_(static_cast<std::size_t>(R.V) + 1, 0) {}

  // An edge the deletions keep, with its bounds root -> tail -> head -> terminal and back.
  void consider(int s, std::int64_t forward, std::int64_t backward) {
    const int x = R_.arcs[s].tail, y = R_.arcs[s].head;
    if (marks_[x] || marks_[y]) return;
    const std::int64_t gxy = gap_ - forward, gyx = gap_ - backward;
    if (tunnelsThrough(x, gxy, gyx)) {
      add(x, y);
    } else if (tunnelsThrough(y, gyx, gxy)) {
      add(y, x);
    }
  }
  int pairs() const { return list[0] / 2; }

  IntArray list;  // count-prefixed: tunnel vertex, other end, ...

private:
  // gapOut: the gap left with the edge leaving the tunnel vertex, gapIn: entering it.
  bool tunnelsThrough(int x, std::int64_t gapOut, std::int64_t gapIn) const {
    if (R_.isReq[x] != 0 || !R_.upperOk || R_.treeDegree[x] >= 3 || a_.d1[x] >= maxint) return false;
    return gapOut <= a_.d1[x] && gapIn <= a_.d2[x];
  }
  void add(int x, int y) {
    marks_[x] = marks_[y] = 1;
    list.push_back(x);
    list.push_back(y);
    list[0] += 2;
  }

  const ReduceGraph& R_;
  const BallAscent& a_;
  std::int64_t gap_;
  IntArray marks_;
};

// The bound of the iteration, and the deletions and replacements its reduced costs prove.
// Vertices go only off a stored tree; keepTreeMarkedEdges keeps every edge R marks as a tree
// edge. Tunnels are looked for among the edges the deletions keep.
void applyBallBound(ReduceGraph& R, BallAscent& ascent, int rootIndex, const BallOptions& options,
                    bool keepTreeMarkedEdges) {
  const int rv = R.terminals[rootIndex];
  ascent.distances(rv);
  const std::int64_t lower = ascent.total + R.contractCost;
  const std::int64_t gap = std::int64_t{R.upperValue} - lower;
  log(3) << " Rest: " << gap << " Lower: " << lower << " Upper: " << R.upperValue << "\n";
  R.setLower(clampInt(lower), 0);
  if (gap < 0 || R.upperOpt == -1) return;
  if (gap == 0 && !options.construct) {
    log(2) << "Lower==Upper\n\n\n\n";
    return;
  }
  TunnelPairs tunnels(R, ascent, gap);
  ReducedCostRules rules;
  rules.verticesOffStoredTreeOnly = true;
  rules.keepTreeMarkedEdges = keepTreeMarkedEdges;
  rules.minReplaceDegree = 1;
  if (options.tunnel)
    rules.keptEdge = [&tunnels](int s, std::int64_t forward, std::int64_t backward) {
      tunnels.consider(s, forward, backward);
    };
  IntArray marks(static_cast<std::size_t>(R.V) + 1, 0);
  deleteByReducedCosts(R, ascent.rc, ascent.dist, ascent.d1, gap, options.maxDegree, marks,
                       {"\n deleted: ", "\n\n deleted edges:  ", "\n\n replaceable: "}, &ascent.d2, rules);
  R.deleteUnreachable();
  if (R.upperOpt != 0) return;
  const int pairs = tunnels.pairs();
  if (options.tunnel) {
    log(3) << "  (" << pairs << ") ";
    // A replacement at a tunnel vertex x or next to it would change the edges of x that its
    // proof is about.
    for (int k = 1; k <= pairs; ++k) {
      const int x = tunnels.list[2 * k - 1];
      marks[x] = marks[tunnels.list[2 * k]] = 0;
      for (int t = R.nextLiveSlot(x, 0); t != 0; t = R.nextLiveSlot(x, t)) marks[R.arcs[t].head] = 0;
    }
  }
  if (options.replace) {
    log(3) << "\n\n replaced: ";
    log(3) << replaceMarkedVertices(R, marks, false) << "\n";
    R.rebuildAdjacency();
  }
  if (pairs > 0) {
    for (int i = 0; i <= tunnels.list[0]; ++i) R.slotScratch[i] = tunnels.list[i];
    R.applyTunnels();
  }
}

// The root iterations shared by both letters: root, root + |R|/k, ... while the instance is
// open.
template <class Iteration>
void forEachRoot(ReduceGraph& R, int root, int allRootsLimit, Iteration iteration) {
  if (root == 0) root = R.lowerTag;
  if (root > R.R || root < 1) {
    log(1) << "\n\nroot zu gross!\n";
    root = 1;
  }
  const int k = std::max(1, std::min(allRootsLimit, R.R));
  const int step = std::max(1, R.R / k);
  for (int done = 0; done < allRootsLimit && root <= R.R && R.upperOpt == 0; ++done, root += step) iteration(root);
}

bool skipped(const ReduceGraph& R, int vertices) {
  if (std::int64_t{vertices} >= std::int64_t{R.R} * R.R) return false;
  if (shell.Iget("skipAscent", 1) == 0) return false;
  log(3) << "Skipping ascent R^2>V \n";
  return true;
}

}  // namespace

void ascentVR(ReduceGraph& R) {
  if (R.R < 1 || skipped(R, currentGraph ? currentGraph->V : R.V)) return;
  BallOptions options;
  options.read();
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  const int root = shell.Iget("root", 1);
  shell.echoLevel = echo == 3 ? 0 : echo;
  leaveOverflowMode(R);
  renewUpperBound(R, options, true);
  forEachRoot(R, root, options.allRootsLimit, [&](int rootIndex) {
    log(3) << "root: " << rootIndex << "(" << R.terminals[rootIndex] << ")" << "\n";
    BallAscent ascent(R);
    ascent.resetCosts();
    ascent.total = 0;
    if (!ascent.raiseBalls(rootIndex, options)) return;
    applyBallBound(R, ascent, rootIndex, options, false);
    log(2) << "\n";
  });
}

void ascentVROLD(ReduceGraph& R) {
  if (R.R < 1 || skipped(R, R.V)) return;
  const int allRootsLimit = shell.Iget("allRootsLimit", 1);
  const int root = shell.Iget("root", 1);
  leaveOverflowMode(R);
  forEachRoot(R, root, allRootsLimit, [&](int rootIndex) {
    log(3) << "\n\n";
    log(4) << "Determining the Voronoi regions und the links between them\n";
    BallAscent ascent(R);
    ascent.resetCosts();
    // Regions of all terminals over the costs; the ball of each region grows to its radius,
    // the distance at which it first touches another region.
    IntArray& regionDist = ascent.dist;
    const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
    IntArray base(vertices, 0), settled(vertices, 0);
    std::vector<std::int64_t> radius(static_cast<std::size_t>(R.R) + 1, maxint);
    for (int v = 1; v <= R.V; ++v) regionDist[v] = maxint;
    IndexedHeap heap(R.V, regionDist);
    for (int k = 1; k <= R.R; ++k) {
      base[R.terminals[k]] = k;
      heap.heapInsert(R.terminals[k], 0);
    }
    for (int taken = 0; taken < R.Vanz; ++taken) {
      const int v = heap.heapExtractMin();
      if (v < 0) {
        log(1) << "empty PQ \n";
        break;
      }
      settled[v] = 1;
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s]) continue;
        const int w = R.arcs[s].head, c = R.arcs[s].cost;
        if (settled[w]) {
          if (base[w] == base[v]) continue;
          radius[base[v]] = std::min<std::int64_t>(radius[base[v]], std::int64_t{regionDist[v]} + c);
          radius[base[w]] = std::min<std::int64_t>(radius[base[w]], std::int64_t{regionDist[w]} + c);
          continue;
        }
        const std::int64_t d = std::int64_t{regionDist[v]} + c;
        if (d >= regionDist[w]) continue;
        if (regionDist[w] == maxint)
          heap.heapInsert(w, clampInt(d));
        else
          heap.heapDecreaseKey(w, clampInt(d));
        base[w] = base[v];
      }
    }
    std::int64_t sum = 0;
    for (int k = 1; k <= R.R; ++k) {
      if (k == rootIndex || R.R < 2) continue;
      if (radius[k] >= maxint) return;  // a region that touches no other: nothing joins it
      sum += radius[k];
    }
    const std::int64_t lower = sum + R.contractCost;
    log(3) << "\n" << "lower: " << lower << "\n";
    R.setLower(clampInt(lower), 0);
    if (verbose >= 4) {
      log(4) << "root: " << R.terminals[rootIndex] << "\n" << "radia: ";
      for (int k = 1; k <= R.R; ++k) log(4) << k << ": " << radius[k] << "  ";
      log(4) << "\n";
    }
    for (int x = 1; x <= R.V; ++x) {
      for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
        if (R.delE[s]) continue;
        const int y = R.arcs[s].head, b = base[y];
        if (b == 0 || b == rootIndex || !settled[x] || !settled[y]) continue;
        const std::int64_t a = base[x] == b ? std::min<std::int64_t>(regionDist[x], radius[b]) : radius[b];
        if (regionDist[y] < a) ascent.rc[s] = static_cast<int>(regionDist[y] + std::int64_t{R.arcs[s].cost} - a);
      }
    }
    if (verbose >= 4) {
      for (int s = 1; s <= 2 * R.E; ++s)
        if (!R.delE[s]) log(4) << "  (" << R.arcs[s].tail << "," << R.arcs[s].head << "): " << ascent.rc[s];
      log(4) << "\n";
    }
    BallOptions options;
    options.read();
    renewUpperBound(R, options, false);
    ascent.total = sum;
    if (!ascent.raiseBalls(rootIndex, options)) return;
    applyBallBound(R, ascent, rootIndex, options, true);
    log(2) << "\n";
  });
  log(2) << "\n";
}

}  // namespace tesmo
