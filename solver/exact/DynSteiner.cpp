#include "DynSteiner.h"

#include "Check.h"
#include "Heap.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace tesmo {

namespace {

constexpr std::int64_t kUnset = std::numeric_limits<std::int64_t>::max();

void ensureSize(IntArray& a, std::size_t n) {
  if (a.size() < n) a.resize(n, 0);
}

// Joins two alternative trees of equal cost under a new node (both references move into it).
SolutionTree* joinTrees(SolutionTree* a, SolutionTree* b) {
  auto* node = new SolutionTree;
  ++SolutionTree::liveNodes;
  node->children = {a, b};
  node->childCount = 2;
  return node;
}

SolutionTree* joinTrees(const std::vector<SolutionTree*>& alternatives) {
  auto* node = new SolutionTree;
  ++SolutionTree::liveNodes;
  node->children = alternatives;
  node->childCount = static_cast<int>(alternatives.size());
  return node;
}

SolutionTree* newLeaf() {
  ++SolutionTree::liveNodes;
  return new SolutionTree;
}

}  // namespace

DynSteiner::~DynSteiner() { releaseTrees(); }

int DynSteiner::nextStamp() {
  if (++stampNow_ == INT_MAX) {
    std::fill(stamp_.begin(), stamp_.end(), 0);
    stampNow_ = 1;
  }
  return stampNow_;
}

void DynSteiner::setUp(ReduceGraph& R) {
  R_ = &R;
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  maxPartitions_ = std::max(16, shell.Iget("maxPartitions", 10000));
  maxData_ = std::max(maxPartitions_, shell.Iget("maxData", 10 * maxPartitions_));
  storeTrees_ = shell.Iget("storeTrees", 1);
  dynReduction_ = shell.Iget("dynReduction", 0);
  shell.echoLevel = echo == 3 ? 0 : echo;
  engine_.reset();
  if (dynReduction_ != 0) engine_ = std::make_unique<AscentEngine>(R, 0);
  reductionSuccess_ = 0;
  reductionSwitchedOff_ = false;
  lastRequired_ = 0;
  solutionStore_.assign(1, 0);
  solutionStarts_.assign(1, 0);

  const std::size_t n = static_cast<std::size_t>(R.V) + 2;
  for (IntArray* a : {&visited_, &unvisitedNeighbours_, &leftAt_, &stamp_, &score_, &cheapest_,
                      &dist_, &liveDegree_, &adjStamp_, &adjHead_, &walkSeen_, &walkParentSlot_,
                      &tieStart_, &tieCount_})
    ensureSize(*a, n);
  for (IntArray* a : {&adjNext_, &adjSlot_, &walkOrder_}) ensureSize(*a, 2 * n + 2);
  if (walkSum_.size() < n) walkSum_.resize(n, 0);
  for (IntArray* a : {&blockTieFirst_, &blockTieCount_}) ensureSize(*a, n + 1);
  for (IntArray* a : {&tieSlots_, &tieScratch_}) ensureSize(*a, static_cast<std::size_t>(2 * R.E) + 2);
  for (IntArray* a : {&border_, &leaving_, &candidates_, &blockStart_, &blockVerts_, &blockEdge_,
                      &optional_, &normalBlocks_, &edgesScratch_})
    ensureSize(*a, n + 1);
  for (IntArray* a : {&encoding_, &normalScratch_}) ensureSize(*a, 2 * n + 2);
  farHeap_ = std::make_unique<IndexedHeap>(R.V, dist_);
  ensureSize(forestScratch_, n + 1);
  ensureSize(bestForest_, n + 1);
  for (int v = 1; v <= R.V; ++v) {
    int d = 0;
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) ++d;
    liveDegree_[v] = d;
  }
  for (Table& t : tables_) {
    const std::size_t cap = static_cast<std::size_t>(maxPartitions_) + 2;
    if (t.start.size() < cap) {
      t.start.resize(cap, 0);
      t.forest.resize(cap, 0);
      t.cost.resize(cap, 0);
      t.tree.resize(cap, nullptr);
      t.count.resize(cap, 0);
    }
    ensureSize(t.pool, static_cast<std::size_t>(maxData_) + 1);
    t.hash.setUp(static_cast<int>(t.start.size()) - 1, 0, t.pool.data(), t.start.data());
    t.start[0] = 0;
    t.pool[0] = 0;
  }
}

void DynSteiner::beginOrder(int start) {
  const ReduceGraph& R = *R_;
  for (int v = 1; v <= R.V; ++v) {
    visited_[v] = 0;
    unvisitedNeighbours_[v] = liveDegree_[v];
    leftAt_[v] = 0;
  }
  border_[0] = 0;
  visitedCount_ = 0;
  step_ = 0;
  addToBorder(start);
}

void DynSteiner::addToBorder(int w) {
  const ReduceGraph& R = *R_;
  visited_[w] = 1;
  ++visitedCount_;
  for (int s = R.nextLiveSlot(w, 0); s != 0; s = R.nextLiveSlot(w, s))
    --unvisitedNeighbours_[R.arcs[s].head];
  border_[++border_[0]] = w;
  leaving_[0] = 0;
  for (int i = 1; i <= border_[0]; ++i) {
    const int v = border_[i];
    if (unvisitedNeighbours_[v] != 0) continue;
    leftAt_[v] = step_;
    leaving_[++leaving_[0]] = v;
    border_[i--] = border_[border_[0]--];
  }
}

int DynSteiner::nextBorderVertex() {
  const ReduceGraph& R = *R_;
  const int st = nextStamp();
  candidates_[0] = 0;
  for (int i = 1; i <= border_[0]; ++i) {
    const int b = border_[i];
    int last = 0;
    for (int s = R.nextLiveSlot(b, 0); s != 0; s = R.nextLiveSlot(b, s)) {
      const int w = R.arcs[s].head;
      if (visited_[w]) continue;
      last = w;
      if (stamp_[w] != st) {
        stamp_[w] = st;
        candidates_[++candidates_[0]] = w;
        score_[w] = 0;
      }
      ++score_[w];
    }
    if (unvisitedNeighbours_[b] == 1 && last != 0) score_[last] += 101;
  }
  int best = 0;
  int bestScore = INT_MAX;
  for (int k = 1; k <= candidates_[0]; ++k) {
    const int w = candidates_[k];
    const int degree = liveDegree_[w];
    int counter = score_[w];
    if (counter % 100 == degree) counter += 10;
    const int score = degree - 2 * counter - (R.isReq[w] ? 50 : 0);
    if (score < bestScore || (score == bestScore && w < best)) {
      best = w;
      bestScore = score;
    }
  }
  return best;
}

std::int64_t DynSteiner::approxPartitionSum(int start, int limit) {
  const ReduceGraph& R = *R_;
  beginOrder(start);
  lastRequired_ = R.isReq[start] ? start : 0;
  std::int64_t sum = 0;
  int largest = border_[0];
  while (visitedCount_ < R.Vanz) {
    const int w = nextBorderVertex();
    if (w == 0) break;
    ++step_;
    addToBorder(w);
    if (R.isReq[w]) lastRequired_ = w;
    log(5) << "ww" << ":" << w << ", " << "G->isReq[ww]" << ":" << R.isReq[w] << ", " << "visited"
           << ":" << visitedCount_ << ", " << "Border[0]" << ":" << border_[0] << ", \n";
    const std::int64_t b = border_[0];
    if (b > limit) return 0;
    int required = 0;
    for (int i = 1; i <= border_[0]; ++i) required += R.isReq[border_[i]] ? 1 : 0;
    largest = std::max(largest, border_[0]);
    sum += b * b * (b - required) + 1;
  }
  largestBorder_ = largest;
  log(3) << "apxSumPartitions" << ":" << sum << ", " << "maxBorder" << ":" << largest << ", \n";
  return sum;
}

int DynSteiner::farthestVertex(int v) {
  const ReduceGraph& R = *R_;
  for (int u = 1; u <= R.V; ++u) dist_[u] = maxint;
  IndexedHeap& heap = *farHeap_;
  heap.clearHeap();
  heap.heapInsert(v, 0);
  int extracted = 0;
  int last = v;
  while (!heap.empty()) {
    const int u = heap.heapExtractMin();
    last = u;
    if (++extracted == R.Vanz) break;
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      const int h = R.arcs[s].head;
      // Clamped: the order only needs far vertices, not exact long distances.
      const int d = static_cast<int>(
          std::min<std::int64_t>(std::int64_t{dist_[u]} + R.arcs[s].cost, maxint - 1));
      if (d >= dist_[h]) continue;
      if (dist_[h] == maxint)
        heap.heapInsert(h, d);
      else
        heap.heapDecreaseKey(h, d);
    }
  }
  return last;
}

void DynSteiner::collectGarbage(Table& t) {
  // Forests rewritten at the pool's end leave their old copies behind: copy what is in use.
  log(3) << "- garbageCollection\n";
  ensureSize(gcPool_, t.pool.size());
  int used = 0;
  auto copyList = [&](int from) {
    const int at = used + 1;
    for (int k = from;; ++k) {
      gcPool_[++used] = t.pool[k];
      if (t.pool[k] == 0) break;
    }
    return at;
  };
  for (int i = 1; i <= t.start[0]; ++i) {
    t.start[i] = copyList(t.start[i]);
    if (storeTrees_ == 1 && t.forest[i] > 0) t.forest[i] = copyList(t.forest[i]);
  }
  gcPool_[0] = used;
  const int old = t.pool[0];
  std::swap(t.pool, gcPool_);
  t.hash.setStore(t.pool.data());
  log(3) << "  done: " << "pData[0]" << ":" << used << ", " << "dataNew[0]" << ":" << old << ", \n";
}

void DynSteiner::ensurePool(Table& t, std::size_t extra) {
  if (static_cast<std::size_t>(t.pool[0]) + extra + 1 <= t.pool.size()) return;
  if (garbageCollection_ != 0) {
    collectGarbage(t);
    if (static_cast<std::size_t>(t.pool[0]) + extra + 1 <= t.pool.size()) return;
  }
  const std::size_t need = static_cast<std::size_t>(t.pool[0]) + extra;
  if (need >= static_cast<std::size_t>(INT_MAX))
    exitWithWarning("dataNew[0]>maxData-n", 681, "dynsteiner", R_->warningDump());
  std::size_t size = t.pool.size();
  while (size < need + 1) size *= 2;
  maxData_ = static_cast<int>(std::min<std::size_t>(size - 1, INT_MAX));
  log(3) << "- still not enough space, doubling: " << "maxData" << ":" << maxData_ << ", \n";
  t.pool.resize(size, 0);
  t.hash.setStore(t.pool.data());
}

void DynSteiner::growPartitionTable(Table& t) {
  const std::size_t cap = 2 * (t.start.size() - 2) + 2;
  maxPartitions_ = static_cast<int>(cap - 2);
  log(3) << "- doubling partitionTable: " << "maxPartitions" << ":" << maxPartitions_ << ", \n";
  t.start.resize(cap, 0);
  t.forest.resize(cap, 0);
  t.cost.resize(cap, 0);
  t.tree.resize(cap, nullptr);
  t.count.resize(cap, 0);
  t.hash.setUp(static_cast<int>(cap) - 1, 0, t.pool.data(), t.start.data());
  for (int i = 1; i <= t.start[0]; ++i)
    if (t.hash.checkAndInsert2(i) != i) exitWithWarning("i!=hashNew->checkAndInsert2(i)", 612, "dynsteiner", R_->warningDump());
}

void DynSteiner::clearTable(Table& t) {
  if (storeTrees_ == 2)
    for (int i = 1; i <= t.start[0]; ++i) {
      releaseTree(t.tree[i], true);
      t.tree[i] = nullptr;
    }
  t.start[0] = 0;
  t.pool[0] = 0;
  t.hash.clearSolutionHash();
}

void DynSteiner::releaseTrees() {
  for (Table& t : tables_)
    if (!t.start.empty())
      for (int i = 1; i <= t.start[0]; ++i) {
        releaseTree(t.tree[i], true);
        t.tree[i] = nullptr;
      }
  releaseTree(bestTree_, true);
  bestTree_ = nullptr;
}

void DynSteiner::normalizePartition(IntArray& encoding) {
  // Blocks: sort each one, then order them by their smallest vertex.
  int blocks = 0;
  int pos = 0;
  IntArray& bs = normalBlocks_;
  while (encoding[pos] != 0) {
    bs[++blocks] = pos;
    int end = pos;
    while (encoding[end] != 0 && encoding[end] != -1) ++end;
    std::sort(encoding.begin() + pos, encoding.begin() + end);
    pos = encoding[end] == -1 ? end + 1 : end;
  }
  for (int i = 2; i <= blocks; ++i)
    for (int j = i; j > 1 && encoding[bs[j]] < encoding[bs[j - 1]]; --j) std::swap(bs[j], bs[j - 1]);
  int out = 0;
  for (int b = 1; b <= blocks; ++b) {
    if (b > 1) normalScratch_[out++] = -1;
    for (int k = bs[b]; encoding[k] != 0 && encoding[k] != -1; ++k) normalScratch_[out++] = encoding[k];
  }
  normalScratch_[out] = 0;
  std::copy(normalScratch_.begin(), normalScratch_.begin() + out + 1, encoding.begin());
}

void DynSteiner::offerSolution(const IntArray& forestSlots, SolutionTree* tree, std::int64_t cost) {
  const std::int64_t total = R_->contractCost + cost;
  if (total > best_) return;
  if (storeTrees_ == 2 && tree != nullptr) {
    ++tree->extraReferences;
    if (total == best_ && bestTree_ != nullptr) {
      bestTree_ = joinTrees(bestTree_, tree);
    } else {
      releaseTree(bestTree_, true);
      bestTree_ = tree;
    }
  } else if (storeTrees_ == 1 && total < best_) {
    log(3) << "new solution: " << total << "\n";
    std::copy(forestSlots.begin(), forestSlots.begin() + forestSlots[0] + 1, bestForest_.begin());
  }
  best_ = total;
}

bool DynSteiner::reducedByCosts(const IntArray& encoding, const IntArray& forestSlots) {
  const ReduceGraph& R = *R_;
  if (R.upperValue >= maxint || engine_->disconnected()) return false;
  const std::int64_t rest = std::int64_t{R.upperValue} - engine_->lowerBound() -
                            (dynReduction_ >= 2 ? R.upperOk : 0);
  const IntArray& rc = engine_->reducedCosts();
  const IntArray& fromRoot = engine_->distancesFromRoot();
  if (++adjStampNow_ == INT_MAX) {
    std::fill(adjStamp_.begin(), adjStamp_.end(), 0);
    std::fill(walkSeen_.begin(), walkSeen_.end(), 0);
    adjStampNow_ = 1;
  }
  const int st = adjStampNow_;
  // The forest linked per vertex; an entry's slot has the vertex as its tail.
  int entries = 0;
  auto link = [&](int v, int slot) {
    if (adjStamp_[v] != st) {
      adjStamp_[v] = st;
      adjHead_[v] = 0;
    }
    adjSlot_[++entries] = slot;
    adjNext_[entries] = adjHead_[v];
    adjHead_[v] = entries;
  };
  for (int k = 1; k <= forestSlots[0]; ++k) {
    const int slot = forestSlots[k];
    link(R.arcs[slot].tail, slot);
    link(R.arcs[slot].head, R.partner[slot]);
  }
  // Per block: the reduced cost of its component directed away from each of its vertices (one
  // walk, then moved from parent to child), the cheapest of them (plain), and the cheapest with
  // the distance from the root added (rooted). The root is the order's last required vertex,
  // unvisited while the test runs, so a tree directed from it enters each component at a border
  // vertex, and its path from the root to the first component it meets crosses no other: the
  // plain terms of all blocks plus the smallest rooted excess bound the tree's reduced cost.
  constexpr std::int64_t kFar = std::int64_t{1} << 50;
  std::int64_t sumPlain = 0;
  std::int64_t minExtra = kFar;
  int pos = 0;
  while (encoding[pos] != 0) {
    const int first = encoding[pos];
    int order = 0;
    walkOrder_[++order] = first;
    walkSeen_[first] = st;
    walkParentSlot_[first] = 0;
    std::int64_t down = 0;
    for (int i = 1; i <= order; ++i) {
      const int v = walkOrder_[i];
      if (adjStamp_[v] != st) continue;
      for (int e = adjHead_[v]; e != 0; e = adjNext_[e]) {
        const int slot = adjSlot_[e];
        const int h = R.arcs[slot].head;
        if (walkSeen_[h] == st) continue;
        walkSeen_[h] = st;
        walkParentSlot_[h] = slot;
        walkOrder_[++order] = h;
        down += rc[slot];
      }
    }
    walkSum_[first] = down;
    for (int i = 2; i <= order; ++i) {
      const int v = walkOrder_[i];
      const int slot = walkParentSlot_[v];
      walkSum_[v] = walkSum_[R.arcs[slot].tail] - rc[slot] + rc[R.partner[slot]];
    }
    std::int64_t plain = kFar;
    std::int64_t rooted = kFar;
    for (; encoding[pos] != 0 && encoding[pos] != -1; ++pos) {
      const int v = encoding[pos];
      plain = std::min(plain, walkSum_[v]);
      if (fromRoot[v] < maxint) rooted = std::min(rooted, walkSum_[v] + fromRoot[v]);
    }
    if (encoding[pos] == -1) ++pos;
    sumPlain += plain;
    minExtra = std::min(minExtra, rooted - plain);
  }
  if (minExtra == kFar) minExtra = 0;  // no block
  const bool reduced = sumPlain + minExtra > rest;
  if (reduced && verbose > 5) {
    log(5) << "success." << "sumNoroot" << ":" << sumPlain << ", " << "maxRootconnect" << ":"
           << minExtra << ", " << "rest" << ":" << rest << ", ";
    for (int k = 0; encoding[k] != 0; ++k) log(5) << encoding[k] << " ";
    log(5) << "\n";
  }
  return reduced;
}

void DynSteiner::insertPartition(const IntArray& encoding, const IntArray& forestSlots,
                                 SolutionTree* tree, std::int64_t cost, std::int64_t count) {
  Table& t = tables_[1 - cur_];
  if (t.start[0] + 2 > static_cast<int>(t.start.size()) - 2) growPartitionTable(t);
  int len = 0;
  while (encoding[len] != 0) ++len;
  const std::size_t forestLen = storeTrees_ == 1 ? static_cast<std::size_t>(forestSlots[0]) + 1 : 0;
  ensurePool(t, static_cast<std::size_t>(len) + 1 + forestLen + 1);
  const int i = t.start[0] + 1;
  const int pos = t.pool[0] + 1;
  std::copy(encoding.begin(), encoding.begin() + len + 1, t.pool.begin() + pos);
  t.pool[0] += len + 1;
  t.start[i] = pos;
  t.start[0] = i;
  const int j = t.hash.checkAndInsert2(i);
  if (j != i) {
    t.start[0] = i - 1;
    t.pool[0] = pos - 1;
  } else {
    t.cost[i] = kUnset;
    t.tree[i] = nullptr;
    t.count[i] = 0;
    t.forest[i] = 0;
  }
  if (t.cost[j] < cost) {
    releaseTree(tree, true);
    return;
  }
  const bool lower = cost < t.cost[j];
  bool reduced = false;
  if (dynReduction_ > 0 && storeTrees_ == 1 && engine_ != nullptr) {
    reduced = reducedByCosts(encoding, forestSlots);
    if (reduced) log(4) << "reduced!\n";
  }
  if (storeTrees_ == 1 && reduced) {
    // Every completion of this partition costs more than the bound allows (at an equal cost
    // too, since a completion of one forest completes the other): nothing is built on it.
    t.forest[j] = -1;
  } else if (storeTrees_ == 1 && lower) {
    int at = t.forest[j];
    int oldLen = 0;
    if (at > 0)
      while (t.pool[at + oldLen] != 0) ++oldLen;
    if (at <= 0 || oldLen < forestSlots[0]) {
      at = t.pool[0] + 1;
      t.pool[0] += forestSlots[0] + 1;
    }
    std::int64_t sum = 0;
    for (int k = 1; k <= forestSlots[0]; ++k) {
      t.pool[at + k - 1] = forestSlots[k];
      sum += R_->arcs[forestSlots[k]].cost;
    }
    t.pool[at + forestSlots[0]] = 0;
    t.forest[j] = at;
    if (sum != cost) {
      log(3) << "error sum!=cost:" << "sum" << ":" << sum << ", " << "cost" << ":" << cost << ", ";
      exitWithWarning("sum!=cost", 823, "dynsteiner", R_->warningDump());
    }
  } else if (storeTrees_ == 2) {
    if (lower) {
      releaseTree(t.tree[j], true);
      t.tree[j] = tree;
    } else {
      t.tree[j] = joinTrees(t.tree[j], tree);
    }
  } else if (storeTrees_ < 0) {
    t.count[j] = lower ? count : t.count[j] + count;
  }
  t.cost[j] = cost;
}

void DynSteiner::expandPartition(int p, int w, bool wRequired, bool wStays) {
  const ReduceGraph& R = *R_;
  Table& c = tables_[cur_];
  const int cheapStamp = stampNow_;
  // A partition found unable to lead below the bound is not expanded (whether or not the
  // reduction is still on: its forest is gone).
  if (storeTrees_ == 1 && c.forest[p] < 0) {
    ++reductionSuccess_;
    return;
  }
  // The blocks of p: block b is blockVerts_[blockStart_[b-1] .. blockStart_[b]-1].
  int blocks = 0;
  int nv = 0;
  blockStart_[0] = 0;
  for (int k = c.start[p];; ++k) {
    const int v = c.pool[k];
    if (v == -1) {
      blockStart_[++blocks] = nv;
    } else if (v == 0) {
      if (nv > blockStart_[blocks]) blockStart_[++blocks] = nv;
      break;
    } else {
      blockVerts_[nv++] = v;
    }
  }

  // Forest of p as a count-prefixed list.
  forestScratch_[0] = 0;
  if (storeTrees_ == 1)
    for (int k = c.forest[p]; k != 0 && c.pool[k] != 0; ++k) forestScratch_[++forestScratch_[0]] = c.pool[k];
  const int pForest = forestScratch_[0];
  SolutionTree* pTree = c.tree[p];
  const std::int64_t pCount = c.count[p];

  // Per block: all its vertices leave (forced), the cheapest edge from w (0 = none).
  bool anyForced = false;
  std::int64_t forcedCost = 0;
  int optionalCount = 0;
  int tiesUsed = 0;
  auto leaves = [&](int v) { return leftAt_[v] == step_; };
  for (int b = 1; b <= blocks; ++b) {
    bool allLeave = true;
    int edge = 0;
    for (int k = blockStart_[b - 1]; k < blockStart_[b]; ++k) {
      const int v = blockVerts_[k];
      if (!leaves(v)) allLeave = false;
      if (stamp_[v] == cheapStamp && cheapest_[v] != 0 &&
          (edge == 0 || R.arcs[cheapest_[v]].cost < R.arcs[edge].cost))
        edge = cheapest_[v];
    }
    blockEdge_[b] = allLeave ? -edge : edge;  // negative: forced
    blockTieCount_[b] = 0;
    if (storeTrees_ == 2 && edge != 0) {
      // Every slot of the cheapest cost into the block stands for other optimal forests.
      blockTieFirst_[b] = tiesUsed;
      for (int k = blockStart_[b - 1]; k < blockStart_[b]; ++k) {
        const int v = blockVerts_[k];
        if (stamp_[v] != cheapStamp || cheapest_[v] == 0 || R.arcs[cheapest_[v]].cost != R.arcs[edge].cost)
          continue;
        for (int t = 0; t < tieCount_[v]; ++t) tieScratch_[tiesUsed++] = tieSlots_[tieStart_[v] + t];
      }
      blockTieCount_[b] = tiesUsed - blockTieFirst_[b];
    }
    if (allLeave) {
      anyForced = true;
      forcedCost += R.arcs[edge].cost;
    } else if (edge != 0) {
      optional_[optionalCount++] = b;
    }
  }

  auto appendBlock = [&](int b, int& out) {
    for (int k = blockStart_[b - 1]; k < blockStart_[b]; ++k)
      if (!leaves(blockVerts_[k])) encoding_[out++] = blockVerts_[k];
  };

  // w stays outside the forest.
  if (!wRequired && !anyForced) {
    int out = 0;
    for (int b = 1; b <= blocks; ++b) {
      if (out > 0) encoding_[out++] = -1;
      appendBlock(b, out);
    }
    encoding_[out] = 0;
    normalizePartition(encoding_);
    if (pTree != nullptr) ++pTree->extraReferences;
    insertPartition(encoding_, forestScratch_, pTree, c.cost[p], pCount);
  }

  // A finished tree (all its vertices left the border) takes no further vertex.
  const int requiredBefore = requiredSeen_ - (wRequired ? 1 : 0);
  if (blocks == 0 && requiredBefore > 0) return;

  // w joins the forest with the forced blocks and every choice of optional ones.
  const bool allRequired = requiredSeen_ == R.R;
  for (std::uint32_t mask = 0; mask < (1u << optionalCount); ++mask) {
    int out = 0;
    int remaining = 0;
    std::int64_t cost = c.cost[p] + forcedCost;
    forestScratch_[0] = pForest;
    for (int b = 1; b <= blocks; ++b)
      if (blockEdge_[b] < 0) forestScratch_[++forestScratch_[0]] = -blockEdge_[b];
    // The blocks that stay apart.
    for (int b = 1; b <= blocks; ++b) {
      if (blockEdge_[b] < 0) continue;
      bool chosen = false;
      for (int o = 0; o < optionalCount; ++o)
        if (optional_[o] == b && (mask >> o & 1u)) chosen = true;
      if (chosen) continue;
      if (out > 0) encoding_[out++] = -1;
      appendBlock(b, out);
      ++remaining;
    }
    // The new block: w and the chosen blocks.
    const int newStart = out;
    if (out > 0) encoding_[out++] = -1;
    const int newFirst = out;
    if (wStays) encoding_[out++] = w;
    for (int o = 0; o < optionalCount; ++o) {
      if (!(mask >> o & 1u)) continue;
      const int b = optional_[o];
      appendBlock(b, out);
      forestScratch_[++forestScratch_[0]] = blockEdge_[b];
      cost += R.arcs[blockEdge_[b]].cost;
    }
    if (out == newFirst) {
      // w's component is closed: only a finished tree may close.
      if (remaining > 0 || !allRequired) continue;
      out = newStart;
    }
    encoding_[out] = 0;
    normalizePartition(encoding_);
    SolutionTree* tree = storeTrees_ == 2 ? treeOfCombination(pTree, mask, optionalCount, blocks) : nullptr;
    if (allRequired && remaining == 0) offerSolution(forestScratch_, tree, cost);
    insertPartition(encoding_, forestScratch_, tree, cost, pCount);
  }
}

SolutionTree* DynSteiner::treeOfCombination(SolutionTree* pTree, std::uint32_t mask, int optionalCount,
                                            int blocks) {
  auto taken = [&](int b) {
    if (blockEdge_[b] < 0) return true;
    for (int o = 0; o < optionalCount; ++o)
      if (optional_[o] == b) return (mask >> o & 1u) != 0;
    return false;
  };
  IntArray& edges = edgesScratch_;
  edges[0] = 0;
  for (int b = 1; b <= blocks; ++b)
    if (taken(b) && blockTieCount_[b] <= 1) edges[++edges[0]] = std::abs(blockEdge_[b]);
  SolutionTree* current = extendTree(pTree, edges);
  for (int b = 1; b <= blocks; ++b) {
    if (!taken(b) || blockTieCount_[b] <= 1) continue;
    alternatives_.clear();
    for (int k = 0; k < blockTieCount_[b]; ++k) {
      oneEdge_[1] = tieScratch_[blockTieFirst_[b] + k];
      alternatives_.push_back(extendTree(current, oneEdge_));
    }
    releaseTree(current, true);
    current = joinTrees(alternatives_);
  }
  return current;
}

void DynSteiner::runDynProg(int start) {
  ReduceGraph& R = *R_;
  best_ = maxint;
  bestForest_[0] = 0;
  releaseTree(bestTree_, true);
  bestTree_ = nullptr;
  sumPartitions_ = 0;
  completed_ = false;
  if (dynReduction_ != 0) {
    // Reduced costs from the order's last required vertex: it stays unvisited while the test runs.
    approxPartitionSum(start, maxint);
    if (lastRequired_ == 0) {
      dynReduction_ = 0;
    } else {
      engine_->ascentPass(R.isReq[lastRequired_]);
      engine_->reducedCostDistances();
      if (R.upperOpt != 0 && dynReduction_ < 2) {
        log(3) << "Graph solved.\n";
        return;
      }
    }
  }
  beginOrder(start);
  for (Table& t : tables_) clearTable(t);
  cur_ = 1;  // the first table is written as the "new" one
  IntArray empty(1, 0);
  encoding_[0] = 0;
  if (unvisitedNeighbours_[start] != 0) {
    encoding_[0] = start;
    encoding_[1] = 0;
  }
  insertPartition(encoding_, empty, storeTrees_ == 2 ? newLeaf() : nullptr, 0, 1);
  if (!R.isReq[start]) {
    encoding_[0] = 0;
    insertPartition(encoding_, empty, storeTrees_ == 2 ? newLeaf() : nullptr, 0, 1);
  }
  requiredSeen_ = R.isReq[start] ? 1 : 0;
  const int mode = dynReduction_;

  while (visitedCount_ < R.Vanz) {
    const int w = nextBorderVertex();
    if (w == 0) break;
    cur_ = 1 - cur_;
    clearTable(tables_[1 - cur_]);
    ++step_;
    if (dynReduction_ > 0 && w == lastRequired_) {
      dynReduction_ = -1;
      reductionSwitchedOff_ = true;
    }
    // The cheapest edge from w to each visited vertex, marked with the current stamp.
    const int st = nextStamp();
    for (int s = R.nextLiveSlot(w, 0); s != 0; s = R.nextLiveSlot(w, s)) {
      const int h = R.arcs[s].head;
      if (!visited_[h]) continue;
      if (stamp_[h] != st || R.arcs[s].cost < R.arcs[cheapest_[h]].cost) {
        stamp_[h] = st;
        cheapest_[h] = s;
      }
    }
    if (storeTrees_ == 2) {
      // Every slot from w that reaches its head's cheapest cost, grouped by head.
      auto isTie = [&](int s) {
        const int h = R.arcs[s].head;
        return visited_[h] && R.arcs[s].cost == R.arcs[cheapest_[h]].cost;
      };
      for (int s = R.nextLiveSlot(w, 0); s != 0; s = R.nextLiveSlot(w, s)) tieCount_[R.arcs[s].head] = 0;
      for (int s = R.nextLiveSlot(w, 0); s != 0; s = R.nextLiveSlot(w, s))
        if (isTie(s)) ++tieCount_[R.arcs[s].head];
      int offset = 0;
      for (int s = R.nextLiveSlot(w, 0); s != 0; s = R.nextLiveSlot(w, s)) {
        const int h = R.arcs[s].head;
        if (!isTie(s) || tieCount_[h] == 0) continue;
        tieStart_[h] = offset;
        offset += tieCount_[h];
        tieCount_[h] = 0;
      }
      for (int s = R.nextLiveSlot(w, 0); s != 0; s = R.nextLiveSlot(w, s)) {
        const int h = R.arcs[s].head;
        if (isTie(s)) tieSlots_[tieStart_[h] + tieCount_[h]++] = s;
      }
    }
    addToBorder(w);
    if (verbose > 4) checkStoredTrees();
    const bool wRequired = R.isReq[w] != 0;
    if (wRequired) ++requiredSeen_;
    const int n = tables_[cur_].start[0];
    sumPartitions_ += n;
    log(4) << "ww" << ":" << w << ", " << "G->isReq[ww]" << ":" << R.isReq[w] << ", " << "visited"
           << ":" << visitedCount_ << ", ";
    if (reductionSuccess_ != 0) log(4) << "reductionSuccess" << ":" << reductionSuccess_ << ", ";
    log(4) << "numPartitions" << ":" << n << ", " << "Border[0]" << ":" << border_[0] << ", \n";
    const bool wStays = leftAt_[w] != step_;
    if (!wStays && visitedCount_ < R.Vanz) log(5) << "new vertex immediatly left border.\n";
    for (int p = 1; p <= n; ++p) expandPartition(p, w, wRequired, wStays);
    if (requiredSeen_ > 1 && tables_[1 - cur_].start[0] == 0) {
      // Only the reduction removes partitions; with a tree of R at the bound (and trees at the
      // bound kept) one of them must have survived.
      if (mode < 2 && R.upperOk && R.upperValueValid)
        exitWithWarning("doReduction<2", 1235, "dynsteiner", R.warningDump());
      log(3) << "Reduction removed all possible trees.\n";
      if (dynReduction_ > 0) reductionSwitchedOff_ = true;
      dynReduction_ = -1;
      break;
    }
  }
  completed_ = true;
  if (reductionSuccess_ != 0) log(3) << "reductionSuccess" << ":" << reductionSuccess_ << ", ";
  log(3) << "solCost" << ":" << best_ << ", " << "sumPartitions" << ":" << sumPartitions_ << ", \n";
}

void DynSteiner::checkStoredTrees() {
  const ReduceGraph& R = *R_;
  const Table& c = tables_[cur_];
  for (int i = 1; i <= c.start[0]; ++i) {
    log(5) << step_ << " " << "P-cost:" << c.cost[i] << " --";
    for (int k = c.start[i]; c.pool[k] != 0; ++k) {
      if (c.pool[k] == -1)
        log(5) << " |";
      else
        log(5) << " " << c.pool[k];
    }
    log(6) << "  (" << i << ")";
    if (storeTrees_ == 1) {
      if (c.forest[i] < 0) {
        log(3) << "---reduced---";
      } else {
        std::int64_t sum = 0;
        for (int k = c.forest[i]; k > 0 && c.pool[k] != 0; ++k) {
          const int slot = c.pool[k];
          log(6) << " " << R.arcs[slot];
          if (slot < 1) exitWithWarning("data[j]<1", 867, "dynsteiner", R_->warningDump());
          if (slot > R.E * 2) exitWithWarning("data[j]>G->E*2", 868, "dynsteiner", R_->warningDump());
          if (slot >= 1 && slot <= R.E * 2) {
            if (R.delE[slot]) exitWithWarning("G->delE[data[j]]", 869, "dynsteiner", R_->warningDump());
            sum += R.arcs[slot].cost;
          }
        }
        if (sum != c.cost[i]) exitWithWarning("sum!=partitionCost[i]", 873, "dynsteiner", R_->warningDump());
      }
    } else if (storeTrees_ == 2 && c.tree[i] != nullptr) {
      if (checkTreeSolutions(c.tree[i], R) != c.cost[i])
        exitWithWarning("TreesStart[i]->check(G)!=partitionCost[i]", 876, "dynsteiner", R_->warningDump());
      std::int64_t count = 0;
      std::int64_t ints = 0;
      countTreeSolutions(c.tree[i], count, ints);
      log(5) << "trees" << ":" << count << ", ";
    }
    log(5) << "\n";
  }
}

void DynSteiner::run(ReduceGraph& R, std::int64_t& solutionCount) {
  setUp(R);
  completed_ = false;
  best_ = maxint;
  if (R.R < 2 || R.Vanz < 2) return;
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  int start = shell.Iget("dynStartVertex", 0);
  const int garbageCollection = shell.Iget("dynGarbageCollection", 0);
  const int limit = shell.Iget("maxBorder", 9);
  const int minGap = shell.Iget("minLpGap", 3);
  shell.echoLevel = echo == 3 ? 0 : echo;
  if (start < 1 || start > R.V) {
    log(3) << "invalid dynStartVertex, set to zero.\n";
    start = 0;
  }
  const std::int64_t base = std::int64_t{R.lowerValue} - R.contractCost;
  const std::int64_t gap =
      base <= 0 ? maxint : (std::int64_t{R.upperValue} - R.lowerValue) * 100 / base;
  if (gap < minGap) {
    log(3) << "current LP Gap (" << gap << "%) to low, dynamic programming skipped.\n";
    return;
  }

  std::int64_t bestEstimate = maxint;
  if (start != 0) {
    log(3) << "checking dynStartVertex:" << start << "  --  ";
    bestEstimate = approxPartitionSum(start, limit);
    if (bestEstimate == 0) start = 0;
  } else {
    int live = 0;
    for (int v = 1; v <= R.V; ++v) live += liveDegree_[v] > 0 ? 1 : 0;
    int tries = std::max(R.V, std::min(R.R, 10));
    if (const char* given = shell.lookup("dynMaxTrys")) tries = std::max(1, std::atoi(given));
    IntArray chosen(static_cast<std::size_t>(tries) + 3, 0);
    chosen[0] = R.terminals[1];
    chosen[1] = R.terminals[R.R];
    chosen[2] = R.terminals[std::max(1, R.R / 2)];
    // Later candidates must differ from the first three, so there are only so many.
    int distinct = 0;
    for (int i = 0; i < 3; ++i)
      if (liveDegree_[chosen[i]] > 0 && std::find(chosen.begin(), chosen.begin() + i, chosen[i]) == chosen.begin() + i)
        ++distinct;
    tries = std::min(tries, 3 + live - distinct);
    tried_.assign(static_cast<std::size_t>(R.V) + 1, 0);
    for (int i = 0; i < tries; ++i) {
      if (i >= 3) {
        int c = farthestVertex(chosen[i - 1]);
        while (tried_[c] || liveDegree_[c] == 0) c = c % R.V + 1;
        chosen[i] = c;
      }
      tried_[chosen[i]] = 1;
      const int c = chosen[i];
      log(3) << "checking starting vertex " << c << ":  ";
      const std::int64_t e = approxPartitionSum(c, limit);
      if (e != 0 && e < bestEstimate) {
        bestEstimate = e;
        start = c;
      }
    }
  }
  if (start == 0) {
    log(3) << "brach-width too high, dynamic programming aborted.\n";
    solutionCount = -1;
    return;
  }
  log(3) << "starting dynamic programming with vertex " << "best" << ":" << start << ", "
         << "G->isReq[best]" << ":" << R.isReq[start] << ", \n";
  garbageCollection_ = garbageCollection;
  runDynProg(start);
  const bool found = completed_ && best_ < maxint;

  if (storeTrees_ == 2 && found && bestTree_ != nullptr) {
    std::int64_t count = 0;
    std::int64_t ints = 0;
    countTreeSolutions(bestTree_, count, ints);
    solutionCount = count;
    if (ints <= kListLimit) {
      IntArray path(1, 0);
      solutionStore_.reserve(static_cast<std::size_t>(ints) + 1);
      solutionStarts_.reserve(static_cast<std::size_t>(std::min(count, ints)) + 1);
      flattenTreeSolutions(bestTree_, path, solutionStore_, solutionStarts_);
    } else {
      log(3) << "too many optimal trees to list: " << count << "\n";
    }
    log(3) << "Scount" << ":" << SolutionTree::liveNodes << ", \n\n";
    log(3) << "found " << count << " solution(s).\n";
  }
  releaseTrees();
  engine_.reset();
  if (!completed_) return;
  if (reductionSwitchedOff_ && (!found || (R.upperOk && best_ > R.upperValue))) {
    // Every partition that could lead to a tree within the bound was kept: none beats it.
    if (R.upperOk) log(3) << "Calculated upper is larger than graph upper, but this is alright.\n";
    if (storeTrees_ == 1 && R.upperValue < maxint) R.setLower(R.upperValue, 0);
    return;
  }
  if (!found) return;
  if (storeTrees_ == 1) {
    // A copy of its own: setUpper may reorder it, and a nested solve may run this letter again.
    IntArray offered(bestForest_.begin(), bestForest_.begin() + bestForest_[0] + 1);
    R.setUpper(offered, "dynprog", 1);
    R.setLower(R.upperValue, 0);
  } else {
    log(3) << "As trees are not stored, upper is not set.\n";
  }
}

void dynsteiner(ReduceGraph& R) {
  DynSteiner dp;
  std::int64_t count = 0;
  dp.run(R, count);
}

}  // namespace tesmo
