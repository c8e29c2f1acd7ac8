#include "ReducedCostProbing.h"

#include "AscentEngine.h"
#include "BottleneckTests.h"
#include "Heap.h"
#include "LogStream.h"
#include "LowerBoundDeletion.h"
#include "RunTimer.h"
#include "ScriptLetters.h"
#include "Shell.h"
#include "TriangleTests.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

constexpr int unusable = maxint;
// Bounds are summed in 64 bits; an unusable arc or an unreached vertex counts as this, so that
// every bound holding one exceeds any gap.
constexpr std::int64_t infinite = std::int64_t{1} << 50;

std::int64_t term(int x) { return x >= maxint ? infinite : x; }
std::int64_t plus(std::int64_t a, std::int64_t b) { return std::min(a + b, infinite); }

// Moves positions[base, base + size) to the next size-subset of 0..n-1 in lexicographic order;
// false after the last one.
bool nextSubset(std::vector<int>& positions, std::size_t base, int size, int n) {
  int i = size - 1;
  while (i >= 0 && positions[base + i] == n - size + i) --i;
  if (i < 0) return false;
  ++positions[base + i];
  for (int j = i + 1; j < size; ++j) positions[base + j] = positions[base + j - 1] + 1;
  return true;
}

struct TreeLeaf {
  int vertex;
  int slot;    // from its parent
  int cost;
  int parent;  // position of the parent on the inner path
};

struct TreeLevel {
  std::vector<TreeLeaf> leaves;
  std::int64_t cost = 0;
  int newLeaves = 0;  // the last newLeaves entries hang at the newest path vertex
};

// One call of the probing: options, reduced-cost rows, neighbour lists and the work buffers,
// all sized once for the instance.
class ReducedCostProbing {
public:
  ReducedCostProbing(ReduceGraph& R, bool separator) : R_(R), separator_(separator), E0_(R.E) {
    readOptions();
  }

  // Letter z: ascents from several roots, then the probing of every vertex.
  void dualnew();
  // The variant with one row handed in.
  int probePiece(IntArray& reducedCost, const IntArray& distFromRoot, const IntArray& distToTerminal,
                 int tieAmount, int bound, int useTie, const int* pieceFlags);

private:
  struct Root {
    IntArray rc, fromRoot, toTerminal;
    std::int64_t gap = 0;
  };

  void readOptions();
  void allocateRows(int n);
  void runAscents(bool& boundsMet);
  void buildNeighbourLists(int acceptLimit, int emptyLevel);
  void probeVertices(const int* pieceFlags);
  void finish();

  int liveDegree(int v) const {
    int d = 0;
    for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s)) ++d;
    return d;
  }
  bool expandable(int v) const { return R_.isReq[v] == 0 && liveDegree(v) <= maxDeg_; }

  void collectNeighbourhood(int v);
  int place(int a, int b);
  int listDistance(int a, int b) const;
  std::int64_t spanningTreeCost(const std::vector<int>& points, std::int64_t bound);

  bool reducedCostExcluded(const TreeLevel& tree, int depth);
  bool starExcluded();
  bool allExpansionsExcluded(int depth, int leafIndex);
  bool treeExcluded(int depth);
  bool innerSetsExclude(int depth, const TreeLevel& tree);
  int replaceAfterProbing(int v);

  ReduceGraph& R_;
  const bool separator_;
  const int E0_;
  int maxNeighbors_ = 50, maxDeg_ = 8, allowDestroyUpper_ = 0, revBacktrack_ = 1;
  int noMst_ = 0, noSmt_ = 0, probeRoots_ = 5, zDepth_ = 5, maxPlace_ = 1000;
  std::int64_t slackSize_ = 0;
  int placeCapacity_ = 0;

  std::vector<Root> roots_;
  std::vector<IntArray*> rowPointers_;

  // Neighbour lists: entries of u in [listStart_[u], listStart_[u + 1]), sorted by vertex.
  IntArray listStart_, listVertex_, listDistance_;

  // The neighbourhood of the tested vertex: member index per vertex (valid while memberStamp_
  // holds the current stamp) and a lazily filled distance table over the members.
  IntArray memberIndex_, memberStamp_, layer_;
  int stamp_ = 0;
  int members_ = 0;  // of the current neighbourhood; the side of its distance table
  std::vector<int> placeValue_, placeStamp_;

  // The tree being probed: inner path q_0 = v, .., and per depth its leaves.
  IntArray path_, pathSlot_, pathCost_, treeMark_;
  std::vector<TreeLevel> levels_;
  std::vector<std::vector<int>> candidates_;
  std::vector<int> points_, subset_;
  std::vector<std::int64_t> primKey_;
  std::vector<char> primTaken_;
  std::vector<std::int64_t> forward_, backward_;
  std::int64_t tieAmount_ = 1;  // added to the bounds of a vertex the stored tree passes at most twice
  std::int64_t tie_ = 0;
  int tableSide_ = 0;
  bool passedAtSize_ = false;

  int replaced_ = 0;
  std::int64_t newEdges_ = 0;
  std::array<std::int64_t, 5> evaluations_{};
};

void ReducedCostProbing::readOptions() {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  maxNeighbors_ = std::max(0, shell.Iget("maxNeighbors", 50));
  maxDeg_ = shell.Iget("maxDeg", 8);
  if (separator_) {
    allowDestroyUpper_ = shell.Iget("allowDestroyUpper", R_.upperOk ? 0 : 1);
  } else {
    allowDestroyUpper_ = shell.Iget("allowDestroyUpper", 0);
    if (!R_.upperOk) allowDestroyUpper_ = 1;
    revBacktrack_ = shell.Iget("revBacktrack", 1);
  }
  noMst_ = shell.Iget("noMst", 0);
  noSmt_ = shell.Iget("noSmt", 0);
  if (noMst_) noSmt_ = 1;
  if (!separator_) probeRoots_ = shell.Iget("probeRoots", 5);
  zDepth_ = shell.Iget("zDepth", separator_ ? 6 : 5);
  maxPlace_ = shell.Iget("maxPlace", 1000);
  const std::int64_t slackDefault = std::min<std::int64_t>((separator_ ? 8 : 10) * std::int64_t{E0_} + 1, maxint);
  slackSize_ = shell.Iget("slackSize", static_cast<int>(slackDefault));
  shell.echoLevel = echo == 3 ? 0 : echo;

  if (zDepth_ < 1 || zDepth_ > 6) {
    log(3) << "zDepth must be from {1,...,6}! Set to 6\n";
    zDepth_ = 6;
  }
  const std::int64_t base = std::max(1, maxDeg_ + 1);
  std::int64_t power = 1;
  for (int i = 0; i < zDepth_; ++i) power = std::min<std::int64_t>(power * base, maxint);
  if (maxPlace_ > power) {
    placeCapacity_ = static_cast<int>(power);
  } else {
    placeCapacity_ = static_cast<int>(std::max<std::int64_t>(maxPlace_, base * base * base));
    log(3) << "Caution! Place (currently set to " << placeCapacity_ << ") may be too small.\n";
    log(3) << "In this case, zDepth will be reduced.\n";
  }
  log(3) << "\n";
}

void ReducedCostProbing::allocateRows(int n) {
  // Rows reach every slot the instance can hand out, so that new edges always find their entry.
  const std::size_t slots = static_cast<std::size_t>(2 * std::max(R_.Emax, R_.E)) + 2;
  const std::size_t vertices = static_cast<std::size_t>(R_.V) + 1;
  roots_.resize(n);
  rowPointers_.clear();
  for (Root& root : roots_) {
    root.rc.assign(slots, unusable);
    root.fromRoot.assign(vertices, maxint);
    root.toTerminal.assign(vertices, maxint);
    rowPointers_.push_back(&root.rc);
  }
}

void ReducedCostProbing::runAscents(bool& boundsMet) {
  const int n = std::max(0, std::min(probeRoots_, R_.R));
  allocateRows(n);
  if (n == 0) return;
  log(3) << "computing lower bounds and reduced costs\n";
  std::vector<int> chosen(static_cast<std::size_t>(R_.R) + 1, 0);
  AscentEngine engine(R_);
  engine.revBack = revBacktrack_;
  engine.sizeCrit = 1;
  // The bound is logged here in two steps, the raises and then the contracted cost added.
  engine.applyToInstance = 0;
  std::vector<char> bothExcluded(static_cast<std::size_t>(2 * R_.E) + 1, 0);
  int root = 0;
  for (int i = 0; i < n; ++i) {
    root = i == 0 ? E0_ % R_.R + 1 : (root + R_.R / n) % R_.R + 1;
    while (chosen[root]) root = root % R_.R + 1;
    chosen[root] = 1;
    engine.ascentPass(root);
    if (engine.disconnected()) {
      R_.markDisconnected();
      boundsMet = true;  // the instance is closed; nothing is left to probe
      return;
    }
    log(3) << "lower: " << engine.lowerBound() << "\n";
    const int lower =
        static_cast<int>(std::min<std::int64_t>(std::int64_t{engine.lowerBound()} + R_.contractCost, maxint));
    log(3) << "+contractCost= " << lower << "\n";
    R_.setLower(lower, root);
    if (lower >= R_.upperValue) {
      log(3) << "lower reaches known upper\n\n";
      boundsMet = true;
    }
    engine.reducedCostDistances();
    Root& row = roots_[i];
    row.gap = std::int64_t{R_.upperValue} - lower;
    const IntArray& rc = engine.reducedCosts();
    const IntArray& from = engine.distancesFromRoot();
    const IntArray& to = engine.distancesToTerminal();
    std::copy(from.begin(), from.begin() + R_.V + 1, row.fromRoot.begin());
    std::copy(to.begin(), to.begin() + R_.V + 1, row.toTerminal.begin());
    for (int s = 1; s <= 2 * R_.E; ++s) {
      const Arc& a = R_.arcs[s];
      const bool excluded =
          R_.delE[s] != 0 || row.gap < plus(plus(term(from[a.tail]), term(rc[s])), term(to[a.head]));
      row.rc[s] = excluded ? unusable : rc[s];
    }
    for (int s = 1; s <= 2 * R_.E; ++s)
      if (!R_.delE[s] && row.rc[s] >= unusable && row.rc[R_.partner[s]] >= unusable) bothExcluded[s] = 1;
  }
  // An edge one root excludes in both directions lies in no tree better than the upper bound.
  for (int s = 1; s <= 2 * R_.E; ++s)
    if (bothExcluded[s])
      for (Root& row : roots_) row.rc[s] = unusable;
  runTimer.printProgress(3);
}

void ReducedCostProbing::buildNeighbourLists(int acceptLimit, int emptyLevel) {
  const int V = R_.V;
  listStart_.assign(static_cast<std::size_t>(V) + 2, 0);
  listVertex_.clear();
  listDistance_.clear();
  if (noMst_) {
    runTimer.printProgress(3);
    return;
  }
  log(3) << "Computing distances...\n";
  // The live links laid out once in slot order, so the V searches below read them contiguously.
  IntArray adjStart(static_cast<std::size_t>(V) + 2, 0);
  std::vector<std::pair<int, int>> adjacent;  // (head, cost)
  adjacent.reserve(static_cast<std::size_t>(2 * R_.E));
  for (int u = 1; u <= V; ++u) {
    adjStart[u] = static_cast<int>(adjacent.size());
    for (int s = R_.nextLiveSlot(u, 0); s != 0; s = R_.nextLiveSlot(u, s))
      adjacent.emplace_back(R_.arcs[s].head, R_.arcs[s].cost);
  }
  adjStart[V + 1] = static_cast<int>(adjacent.size());

  IntArray keys(static_cast<std::size_t>(V) + 1, maxint), seen(keys.size(), 0);
  CopiedKeyHeap heap(V, keys);
  std::vector<std::uint64_t> accepted;  // vertex << 32 | distance, sorted by vertex
  int run = 0;
  for (int u = 1; u <= V; ++u) {
    listStart_[u] = static_cast<int>(listVertex_.size());
    if (adjStart[u] == adjStart[u + 1]) continue;
    ++run;
    heap.clearHeap();
    accepted.clear();
    seen[u] = run;
    heap.heapInsert(u, 0);
    int count = 0;
    while (true) {
      const int w = heap.heapExtractMin();
      if (w < 0) {
        log(emptyLevel) << "empty PQ \n";
        break;
      }
      const int dw = keys[w];
      seen[w] = -run;  // settled
      if (dw >= R_.bottleneckDistance(u, w)) continue;
      ++count;
      if (w != u) accepted.push_back(std::uint64_t{static_cast<std::uint32_t>(w)} << 32 | static_cast<std::uint32_t>(dw));
      if (count > maxNeighbors_ || count >= acceptLimit) break;
      for (int a = adjStart[w]; a < adjStart[w + 1]; ++a) {
        const auto [y, cost] = adjacent[static_cast<std::size_t>(a)];
        if (seen[y] == -run) continue;
        const int d = static_cast<int>(std::min<std::int64_t>(std::int64_t{dw} + cost, maxint));
        if (seen[y] != run) {
          seen[y] = run;
          heap.heapInsert(y, d);
        } else if (d < keys[y]) {
          heap.heapDecreaseKey(y, d);
        }
      }
    }
    std::sort(accepted.begin(), accepted.end());
    for (const std::uint64_t entry : accepted) {
      listVertex_.push_back(static_cast<int>(entry >> 32));
      listDistance_.push_back(static_cast<int>(entry & 0xffffffffu));
    }
  }
  listStart_[V + 1] = static_cast<int>(listVertex_.size());
  runTimer.printProgress(3);
}

int ReducedCostProbing::listDistance(int a, int b) const {
  if (listStart_.empty()) return maxint;
  const auto first = listVertex_.begin() + listStart_[a];
  const auto last = listVertex_.begin() + listStart_[a + 1];
  const auto it = std::lower_bound(first, last, b);
  return it != last && *it == b ? listDistance_[static_cast<std::size_t>(it - listVertex_.begin())] : maxint;
}

// The bottleneck-type distance between two vertices: a path found by the neighbour search, else
// the bottleneck distance of the nearest-terminal structure; memoised over the neighbourhood.
int ReducedCostProbing::place(int a, int b) {
  if (a == b) return 0;
  auto compute = [&] {
    return std::min({listDistance(a, b), listDistance(b, a), R_.bottleneckDistance(a, b)});
  };
  if (memberStamp_[a] != stamp_ || memberStamp_[b] != stamp_) return compute();
  const std::size_t i = static_cast<std::size_t>(memberIndex_[a]) * members_ + memberIndex_[b];
  if (placeStamp_[i] != stamp_) {
    const int d = compute();
    const std::size_t j = static_cast<std::size_t>(memberIndex_[b]) * members_ + memberIndex_[a];
    placeValue_[i] = placeValue_[j] = d;
    placeStamp_[i] = placeStamp_[j] = stamp_;
  }
  return placeValue_[i];
}

// The vertices that probing v can reach (layer 1: v's neighbours; layer j + 1: neighbours of the
// expandable vertices of layer j), bounded by the place capacity, which lowers zDepth.
void ReducedCostProbing::collectNeighbourhood(int v) {
  ++stamp_;
  members_ = 0;
  auto join = [&](int x) {
    if (members_ >= tableSide_) return;  // outside the table: its distances are computed each time
    memberStamp_[x] = stamp_;
    memberIndex_[x] = members_++;
  };
  layer_[0] = 0;
  join(v);  // v is listed last by rule; its place in the table does not matter
  int begin = 0, end = 0;
  for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s)) {
    const int w = R_.arcs[s].head;
    if (memberStamp_[w] == stamp_ || end >= tableSide_) continue;
    join(w);
    layer_[end++] = w;
  }
  for (int j = 1; j < zDepth_; ++j) {
    const int layerEnd = end;
    bool full = false;
    for (int i = begin; i < layerEnd && !full; ++i) {
      const int x = layer_[i];
      if (!expandable(x)) continue;
      for (int s = R_.nextLiveSlot(x, 0); s != 0 && !full; s = R_.nextLiveSlot(x, s)) {
        const int y = R_.arcs[s].head;
        if (memberStamp_[y] == stamp_) continue;
        if (members_ >= tableSide_) {
          full = true;
          break;
        }
        join(y);
        layer_[end++] = y;
      }
    }
    if (full && j + 1 >= 4) {
      // The partial layer leaves the neighbourhood; later vertices are probed less deep.
      for (int i = layerEnd; i < end; ++i) memberStamp_[layer_[i]] = 0;
      zDepth_ = j;
      log(3) << "Place too small! zDepth reduced to " << zDepth_ << "\n\n";
      return;
    }
    begin = layerEnd;
  }
}

// Prim over the points with place distances from the first point; stops once the sum exceeds
// bound. A point that no key reaches adds maxint.
std::int64_t ReducedCostProbing::spanningTreeCost(const std::vector<int>& points, std::int64_t bound) {
  const int k = static_cast<int>(points.size());
  if (k <= 1) return 0;
  if (k == 3) {
    const std::int64_t a = place(points[0], points[1]), b = place(points[0], points[2]),
                       c = place(points[1], points[2]);
    return a + b + c - std::max({a, b, c});
  }
  primKey_.assign(static_cast<std::size_t>(k), infinite);
  primTaken_.assign(static_cast<std::size_t>(k), 0);
  primKey_[0] = 0;
  std::int64_t sum = 0;
  for (int step = 0; step < k; ++step) {
    int best = -1;
    for (int i = 0; i < k; ++i)
      if (!primTaken_[i] && (best < 0 || primKey_[i] < primKey_[best])) best = i;
    primTaken_[best] = 1;
    sum += primKey_[best] >= infinite ? maxint : primKey_[best];
    if (sum > bound) return sum;
    for (int i = 0; i < k; ++i)
      if (!primTaken_[i]) primKey_[i] = std::min<std::int64_t>(primKey_[i], place(points[best], points[i]));
  }
  return sum;
}

// The tree (inner path path_[0..depth-1], the given leaves) is excluded by some root when every
// way to enter it from the root costs more than the gap.
bool ReducedCostProbing::reducedCostExcluded(const TreeLevel& tree, int depth) {
  forward_.assign(static_cast<std::size_t>(depth), 0);
  backward_.assign(static_cast<std::size_t>(depth), 0);
  for (const Root& root : roots_) {
    const IntArray& rc = root.rc;
    // forward_[i]: reverse arcs of the path up to q_i; backward_[i]: forward arcs beyond q_i.
    forward_[0] = 0;
    for (int j = 1; j < depth; ++j) forward_[j] = plus(forward_[j - 1], term(rc[R_.partner[pathSlot_[j]]]));
    backward_[depth - 1] = 0;
    for (int j = depth - 2; j >= 0; --j) backward_[j] = plus(backward_[j + 1], term(rc[pathSlot_[j + 1]]));
    std::int64_t finite = 0;
    int infinites = 0;
    for (const TreeLeaf& y : tree.leaves) {
      const std::int64_t t = plus(term(rc[y.slot]), term(root.toTerminal[y.vertex]));
      if (t >= infinite) ++infinites;
      else finite += t;
    }
    std::int64_t best = infinite;
    for (const TreeLeaf& y : tree.leaves) {
      const std::int64_t t = plus(term(rc[y.slot]), term(root.toTerminal[y.vertex]));
      const int othersInfinite = infinites - (t >= infinite ? 1 : 0);
      std::int64_t bound = othersInfinite > 0 ? infinite : finite - (t >= infinite ? 0 : t);
      bound = plus(bound, plus(forward_[y.parent], backward_[y.parent]));
      bound = plus(bound, plus(term(rc[R_.partner[y.slot]]), term(root.fromRoot[y.vertex])));
      best = std::min(best, bound);
    }
    if (best + tie_ > root.gap) return true;
  }
  return false;
}

bool ReducedCostProbing::starExcluded() {
  const TreeLevel& star = levels_[1];
  if (reducedCostExcluded(star, 1)) return true;
  passedAtSize_ = true;
  if (!noMst_) {
    ++evaluations_[0];
    points_.clear();
    for (const TreeLeaf& y : star.leaves) points_.push_back(y.vertex);
    if (spanningTreeCost(points_, star.cost) <= star.cost) return true;
    if (!noSmt_) {
      points_.push_back(path_[0]);
      if (spanningTreeCost(points_, star.cost) < star.cost) return true;
    }
  }
  if (zDepth_ == 1) return false;
  for (int i = 0; i < static_cast<int>(star.leaves.size()); ++i)
    if (expandable(star.leaves[i].vertex) && allExpansionsExcluded(1, i)) return true;
  return false;
}

// Leaf leafIndex of the tree at this depth becomes inner vertex path_[depth]; true when every
// non-empty set of its candidate edges gives an excluded tree.
bool ReducedCostProbing::allExpansionsExcluded(int depth, int leafIndex) {
  const TreeLevel& tree = levels_[depth];
  const TreeLeaf w = tree.leaves[leafIndex];
  path_[depth] = w.vertex;
  pathSlot_[depth] = w.slot;
  pathCost_[depth] = w.cost;

  // The largest path edge between q_i and w.
  std::vector<int>& cands = candidates_[depth];
  cands.clear();
  for (int s = R_.nextLiveSlot(w.vertex, 0); s != 0; s = R_.nextLiveSlot(w.vertex, s)) {
    const int z = R_.arcs[s].head;
    const int c = R_.arcs[s].cost;
    if (treeMark_[z] != 0 || c > place(z, w.vertex)) continue;
    bool ok = true;
    int longest = 0;  // tree edges between q_i and w, i from depth-1 down
    for (int i = depth - 1; i >= 0 && ok; --i) {
      longest = std::max(longest, pathCost_[i + 1]);
      const int d = place(z, path_[i]);
      ok = d >= c && d >= longest;
    }
    for (int li = 0; li < static_cast<int>(tree.leaves.size()) && ok; ++li) {
      if (li == leafIndex) continue;
      const TreeLeaf& y = tree.leaves[li];
      int onPath = y.cost;
      for (int j = y.parent + 1; j <= depth; ++j) onPath = std::max(onPath, pathCost_[j]);
      const int d = place(z, y.vertex);
      ok = d >= c && d >= onPath;
    }
    if (ok) cands.push_back(s);
  }

  TreeLevel& next = levels_[depth + 1];
  const int C = static_cast<int>(cands.size());
  std::vector<int>& chosen = subset_;
  for (int size = 1; size <= C; ++size) {
    // Lexicographic size-subsets of the candidates, held as positions in chosen[base..].
    const std::size_t base = chosen.size();
    for (int i = 0; i < size; ++i) chosen.push_back(i);
    bool more = true;
    while (more) {
      next.leaves.clear();
      for (int li = 0; li < static_cast<int>(tree.leaves.size()); ++li)
        if (li != leafIndex) next.leaves.push_back(tree.leaves[li]);
      next.cost = tree.cost;
      for (int i = 0; i < size; ++i) {
        const int s = cands[chosen[base + i]];
        next.leaves.push_back(TreeLeaf{R_.arcs[s].head, s, R_.arcs[s].cost, depth});
        next.cost += R_.arcs[s].cost;
        ++treeMark_[R_.arcs[s].head];
      }
      next.newLeaves = size;
      const bool excluded = treeExcluded(depth + 1);
      for (int i = 0; i < size; ++i) --treeMark_[R_.arcs[cands[chosen[base + i]]].head];
      if (!excluded) {
        chosen.resize(base);
        return false;
      }
      more = nextSubset(chosen, base, size, C);
    }
    chosen.resize(base);
  }
  return true;
}

// The tree of levels_[depth] (inner path path_[0..depth-1], new leaves at path_[depth-1]).
bool ReducedCostProbing::treeExcluded(int depth) {
  TreeLevel& tree = levels_[depth];
  const int firstNew = static_cast<int>(tree.leaves.size()) - tree.newLeaves;
  if (tree.newLeaves == 1) {
    // w keeps two tree edges: a bottleneck shorter than the path through it replaces them.
    const TreeLeaf& z = tree.leaves[firstNew];
    const std::int64_t L = std::int64_t{z.cost} + pathCost_[depth - 1];
    for (int i = 0; i + 1 < depth; ++i)
      if (place(z.vertex, path_[i]) < L) return true;
    for (int li = 0; li < firstNew; ++li)
      if (place(z.vertex, tree.leaves[li].vertex) < L) return true;
  }
  if (reducedCostExcluded(tree, depth)) return true;
  if (!noMst_) {
    if (depth <= 5) ++evaluations_[depth - 1];
    points_.clear();
    for (const TreeLeaf& y : tree.leaves) points_.push_back(y.vertex);
    if (spanningTreeCost(points_, tree.cost) <= tree.cost) return true;
    if (!noSmt_ && innerSetsExclude(depth, tree)) return true;
  }
  if (depth < zDepth_)
    for (int li = firstNew; li < static_cast<int>(tree.leaves.size()); ++li)
      if (expandable(tree.leaves[li].vertex) && allExpansionsExcluded(depth, li)) return true;
  return false;
}

// Leaves together with sets of inner vertices: a spanning tree below the tree's cost (with v in
// the set), or not above it (without v), shows a tree at least as good without this one.
bool ReducedCostProbing::innerSetsExclude(int depth, const TreeLevel& tree) {
  const std::size_t leaves = points_.size();
  auto tryInner = [&](std::initializer_list<int> positions) {
    points_.resize(leaves);
    bool holdsV = false;
    for (int p : positions) {
      points_.push_back(path_[p]);
      holdsV = holdsV || p == 0;
    }
    const std::int64_t m = spanningTreeCost(points_, tree.cost);
    return holdsV ? m < tree.cost : m <= tree.cost;
  };
  if (depth == 2) return tryInner({0}) || tryInner({1}) || tryInner({1, 0});
  if (depth == 3)
    return tryInner({2}) || tryInner({2, 0}) || tryInner({1}) || tryInner({1, 0}) || tryInner({1, 2}) ||
           tryInner({1, 2, 0});
  const int a = depth - 1, b = depth - 2, c = depth - 3;
  return tryInner({a}) || tryInner({b}) || tryInner({c}) || tryInner({a, b}) || tryInner({a, c}) ||
         tryInner({b, c}) || tryInner({a, b, c});
}

// v has degree at most 2 in every tree the probing kept: v goes, and each pair of its edges
// becomes an edge unless a bottleneck distance shows the detour to be no shorter.
int ReducedCostProbing::replaceAfterProbing(int v) {
  // Only a path through v (tree degree 2) can be carried over into a new edge.
  if (R_.upperOk && R_.treeDegree[v] != 0 && R_.treeDegree[v] != 2) R_.destroyUpper();
  const int maxLink = R_.blowUpMark;
  int added = 0;
  for (int s1 = R_.nextLiveSlot(v, 0); s1 != 0; s1 = R_.nextLiveSlot(v, s1)) {
    for (int s2 = R_.nextLiveSlot(v, s1); s2 != 0; s2 = R_.nextLiveSlot(v, s2)) {
      const int a = R_.arcs[s1].head, b = R_.arcs[s2].head;
      if (a == b) continue;
      const std::int64_t path = std::int64_t{R_.arcs[s1].cost} + R_.arcs[s2].cost;
      bool addIt = path <= maxint;
      if (addIt) {
        // Only a strictly shorter bottleneck proves the detour useless: an equal one may be the
        // path through v itself (zero-cost edges make that common).
        addIt = std::min(place(a, b), maxLink) >= path;
      }
      if (!addIt) {
        if (R_.upperOk && R_.inTree[R_.ID[s1]] && R_.inTree[R_.ID[s2]]) R_.destroyUpper();
        continue;
      }
      R_.addEdge(Arc{a, b, static_cast<int>(path)}, s1, s2, rowPointers_);
      ++added;
    }
  }
  R_.treeDegree[v] = 0;
  R_.deleteVertex(v, rowPointers_);
  return added;
}

void ReducedCostProbing::probeVertices(const int* pieceFlags) {
  const int V = R_.V;
  memberIndex_.assign(static_cast<std::size_t>(V) + 1, 0);
  memberStamp_.assign(static_cast<std::size_t>(V) + 1, 0);
  layer_.assign(static_cast<std::size_t>(placeCapacity_) + static_cast<std::size_t>(maxDeg_) + 2, 0);
  // Members never outnumber the vertices, so small instances keep a small table.
  tableSide_ = std::min(placeCapacity_, V + 1);
  placeValue_.clear();
  placeStamp_.clear();
  treeMark_.assign(static_cast<std::size_t>(V) + 1, 0);
  path_.assign(8, 0);
  pathSlot_.assign(8, 0);
  pathCost_.assign(8, 0);
  levels_.resize(8);
  candidates_.resize(8);

  std::vector<int> edges;
  for (int v = 1; v <= V; ++v) {
    if (pieceFlags != nullptr && pieceFlags[v] == 0) continue;
    const bool tieHere = R_.upperOk && R_.treeDegree[v] < 3;
    tie_ = tieHere ? tieAmount_ : 0;
    const int degree = liveDegree(v);
    if (R_.isReq[v] != 0 || degree < 3 || degree > maxDeg_) continue;
    if (!allowDestroyUpper_ && R_.upperOk && R_.treeDegree[v] >= 3) continue;

    bool plain = false;
    for (const Root& root : roots_)
      plain = plain || plus(term(root.toTerminal[v]), term(root.fromRoot[v])) + tie_ > root.gap;

    bool replaceable = plain;
    if (!plain) {
      collectNeighbourhood(v);
      // The table spans this neighbourhood's members only; it grows to the largest one seen, and
      // the stamps tell the entries of earlier neighbourhoods apart.
      const std::size_t table = static_cast<std::size_t>(members_) * members_;
      if (placeStamp_.size() < table) {
        placeStamp_.resize(table, 0);
        placeValue_.resize(table, 0);
      }
      edges.clear();
      for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s))
        if (R_.arcs[s].cost <= place(R_.arcs[s].head, v)) edges.push_back(s);
      const int C = static_cast<int>(edges.size());
      path_[0] = v;
      ++treeMark_[v];
      replaceable = true;
      bool previousPassed = true;
      for (int k = 3; k <= std::min(R_.R, C) && replaceable; ++k) {
        if (!roots_.empty() && !previousPassed) break;  // larger stars cannot pass either
        passedAtSize_ = false;
        subset_.clear();
        for (int i = 0; i < k; ++i) subset_.push_back(i);
        // subset_ serves the expansions as a stack; the star's positions stay at its front.
        bool more = true;
        while (more && replaceable) {
          TreeLevel& star = levels_[1];
          star.leaves.clear();
          star.cost = 0;
          for (int i = 0; i < k; ++i) {
            const int s = edges[subset_[i]];
            star.leaves.push_back(TreeLeaf{R_.arcs[s].head, s, R_.arcs[s].cost, 0});
            star.cost += R_.arcs[s].cost;
          }
          star.newLeaves = k;
          for (const TreeLeaf& y : star.leaves) ++treeMark_[y.vertex];
          if (!starExcluded()) replaceable = false;
          for (const TreeLeaf& y : star.leaves) --treeMark_[y.vertex];
          more = nextSubset(subset_, 0, k, C);
        }
        previousPassed = passedAtSize_;
      }
      --treeMark_[v];
    }
    if (!replaceable) continue;

    if (R_.lacksEdgeSpace(v)) {
      log(3) << "replacing stopped! (not enough memory)\n";
      break;
    }
    const int added = plain ? R_.replaceVertex(v, true, rowPointers_) : replaceAfterProbing(v);
    log(4) << "replacing: " << v << " new Edges: " << added << "\n";
    ++replaced_;
    newEdges_ += added;
    if ((newEdges_ + E0_) * 2 >= slackSize_) {
      // The reduced-cost rows would outgrow their stated size: stop replacing, keep what is done.
      log(3) << "WARNING! Too many new edges \n";
      break;
    }
  }
}

void ReducedCostProbing::dualnew() {
  if (R_.R == 0) return;
  bool boundsMet = false;
  runAscents(boundsMet);
  if (boundsMet || R_.upperOpt != 0) return;
  R_.computeVoronoiRegions(maxint);
  R_.secondNearestTerminals(maxint);
  R_.thirdNearestTerminals(maxint);
  R_.generalizedMstUpper(0);
  if (R_.R <= 500) R_.buildFindSaveMatrix();
  else R_.buildFindSaveTree(1);
  buildNeighbourLists(maxint, 4);
  probeVertices(nullptr);
  R_.rebuildAdjacency();
  log(3) << "\n";
  log(3) << "replaced: " << replaced_ << "  ";
  log(3) << "new  edges: " << newEdges_ << "\n";
  log(4) << evaluations_[0] << " " << evaluations_[1] << " " << evaluations_[2] << " " << evaluations_[3] << " "
         << evaluations_[4];
}

int ReducedCostProbing::probePiece(IntArray& reducedCost, const IntArray& distFromRoot,
                                   const IntArray& distToTerminal, int tieAmount, int bound, int useTie,
                                   const int* pieceFlags) {
  allocateRows(1);
  Root& row = roots_[0];
  row.gap = bound;
  std::copy(distFromRoot.begin(), distFromRoot.begin() + R_.V + 1, row.fromRoot.begin());
  std::copy(distToTerminal.begin(), distToTerminal.begin() + R_.V + 1, row.toTerminal.begin());
  for (int s = 1; s <= 2 * E0_; ++s) {
    const Arc& a = R_.arcs[s];
    if (!R_.delE[s] &&
        bound < plus(plus(term(distFromRoot[a.tail]), term(reducedCost[s])), term(distToTerminal[a.head])))
      reducedCost[s] = unusable;
    row.rc[s] = R_.delE[s] ? unusable : reducedCost[s];
  }
  tieAmount_ = useTie ? tieAmount : 0;
  buildNeighbourLists(R_.Vanz, 5);
  probeVertices(pieceFlags);
  R_.rebuildAdjacency();
  log(3) << "\nreplaced: " << replaced_ << ",  ";
  log(3) << "new  edges: " << newEdges_ << "\n";
  log(4) << evaluations_[0] << " " << evaluations_[1] << " " << evaluations_[2] << " " << evaluations_[3] << " "
         << evaluations_[4] << "\n";
  runTimer.printProgress(3);
  log(4) << "\n";
  return replaced_;
}

}  // namespace

void dualnew(ReduceGraph& R) { ReducedCostProbing(R, false).dualnew(); }

int probeReducedCosts(ReduceGraph& R, int /*root*/, IntArray& reducedCost, const IntArray& distFromRoot,
                      const IntArray& distToTerminal, int tieAmount, int bound, int useTie,
                      const int* pieceFlags) {
  return ReducedCostProbing(R, true)
      .probePiece(reducedCost, distFromRoot, distToTerminal, tieAmount, bound, useTie, pieceFlags);
}

void registerProbeLetters() {
  ScriptLetters::registerLetter('3', "triangle2(&R)", [](ReduceGraph& R) { triangle2(R); });
  ScriptLetters::registerLetter('E', "localBottle(&R)", localBottle);
  ScriptLetters::registerLetter('e', "bottle(&R)", bottle);
  ScriptLetters::registerLetter('l', "lower(&R)", lower);
  ScriptLetters::registerLetter('t', "triangle(&R)", triangle);
  ScriptLetters::registerLetter('z', "dualnew(&R)", dualnew);
}

}  // namespace tesmo
