#include "ArmEngine.h"

#include "Check.h"
#include "FindSave.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

namespace {

constexpr std::int64_t kFar = maxint;
// Partial trees examined per tested vertex or edge before the test gives up.
constexpr int kStepBudget = 20000;

std::int64_t cappedDistance(int d) { return d >= maxint ? kFar : d; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// NeighbourDistances

NeighbourDistances::NeighbourDistances(ReduceGraph& R, int maxNeighbour, bool trackDeletions)
    : R_(R), maxNeighbour_(std::max(1, maxNeighbour)), track_(trackDeletions) {
  const std::size_t n = static_cast<std::size_t>(R.V) + 1;
  lists_.resize(n);
  validUpTo_.assign(n, 0);
  if (track_) {
    reachedBy_.resize(n);
    generation_.assign(n, 0);
  }
  dist_.assign(n, maxint);
  touched_.assign(n + 1, 0);
  heap_.emplace(R.V, dist_);
}

NeighbourDistances::~NeighbourDistances() {
  if (computations_ > 0)
    log(3) << "lazy distance calulations: " << computations_ << " (average neighbours: " << listSum_ / computations_
           << ")\n";
}

void NeighbourDistances::compute(int i) {
  ReduceGraph& R = R_;
  log(5) << "calculating distances for : " << i << "\n";
  std::vector<std::pair<int, int>>& list = lists_[i];
  list.clear();
  IndexedHeap& heap = *heap_;
  heap.clearHeap();
  touched_[0] = 0;
  touched_[++touched_[0]] = i;
  heap.heapInsert(i, 0);
  // Vertices below i are settled but not kept; the cap keeps a search near the top numbers as
  // short as the others.
  int settled = 0;
  const int settleCap = maxNeighbour_ + 16;
  int last = 0;
  while (!heap.empty() && static_cast<int>(list.size()) < maxNeighbour_ && settled < settleCap) {
    const int j = heap.heapExtractMin();
    const int dj = dist_[j];
    ++settled;
    // A vertex already closer by the bottleneck estimate adds nothing through itself.
    if (estimates_ && j != i && R.bottleneckDistance(i, j) < last) continue;
    last = dj;
    if (j > i) list.emplace_back(j, dj);
    if (track_) {
      std::vector<Reach>& reach = reachedBy_[j];
      // Entries of searches done again are dropped once they would double the list.
      if (reach.size() >= reach.capacity() && reach.size() >= 16)
        std::erase_if(reach, [this](const Reach& r) { return r.generation != generation_[r.from]; });
      reach.push_back({i, dj, generation_[i] + 1});
    }
    for (int s = R.nextLiveSlot(j, 0); s != 0; s = R.nextLiveSlot(j, s)) {
      const int w = R.arcs[s].head;
      const std::int64_t nd = std::int64_t{dj} + R.arcs[s].cost;
      if (nd >= dist_[w] || nd >= maxint) continue;
      if (dist_[w] == maxint) {
        touched_[++touched_[0]] = w;
        heap.heapInsert(w, static_cast<int>(nd));
      } else {
        heap.heapDecreaseKey(w, static_cast<int>(nd));
      }
    }
  }
  if (heap.empty()) log(4) << "empty PQ \n";
  heap.clearHeap();
  for (int k = 1; k <= touched_[0]; ++k) dist_[touched_[k]] = maxint;
  touched_[0] = 0;
  std::sort(list.begin(), list.end());
  validUpTo_[i] = maxint;
  if (track_) ++generation_[i];
  ++computations_;
  listSum_ += static_cast<std::int64_t>(list.size());
}

int NeighbourDistances::distance(int a, int b) {
  if (a == b) return 0;
  if (a > b) std::swap(a, b);
  const int estimate = estimates_ ? R_.bottleneckDistance(a, b) : maxint;
  for (int round = 0; round < 2; ++round) {
    if (validUpTo_[a] == 0) compute(a);
    const auto& list = lists_[a];
    const auto it = std::lower_bound(list.begin(), list.end(), std::make_pair(b, -1));
    if (it == list.end() || it->first != b) return estimate;
    if (it->second <= validUpTo_[a]) return std::min(estimate, it->second);
    validUpTo_[a] = 0;  // the stored value may have run over a removed edge
  }
  return estimate;
}

void NeighbourDistances::updateAfterRemoval(int v) {
  if (!track_) return;
  log(5) << "updating distances for " << v << ": ";
  for (const Reach& r : reachedBy_[v]) {
    const int x = r.from, d = r.distance;
    if (validUpTo_[x] == 0 || r.generation != generation_[x]) continue;
    // Paths through v are no shorter than d; shorter stored distances stay exact.
    validUpTo_[x] = std::min(validUpTo_[x], d - 1);
    log(5) << x << ":" << validUpTo_[x] << ", ";
  }
  log(5) << "\n";
  reachedBy_[v].clear();
}

// ---------------------------------------------------------------------------------------------
// TreeHash

void TreeHash::setUp(int entries, int words) {
  std::size_t size = 1;
  while (size < 2 * static_cast<std::size_t>(entries)) size *= 2;
  table_.assign(size, -1);
  start_.assign(static_cast<std::size_t>(entries), 0);
  length_.assign(static_cast<std::size_t>(entries), 0);
  result_.assign(static_cast<std::size_t>(entries), 0);
  store_.assign(static_cast<std::size_t>(words), 0);
  entries_ = words_ = 0;
}

void TreeHash::clear() {
  if (entries_ == 0) return;
  std::fill(table_.begin(), table_.end(), -1);
  entries_ = words_ = 0;
}

int TreeHash::lookUp(const int* list, int n, bool& found) {
  found = false;
  if (table_.empty()) return -1;
  std::uint32_t h = 2166136261u;
  for (int i = 0; i < n; ++i) h = (h ^ static_cast<std::uint32_t>(list[i])) * 16777619u;
  const std::size_t mask = table_.size() - 1;
  for (std::size_t pos = h & mask;; pos = (pos + 1) & mask) {
    const int e = table_[pos];
    if (e < 0) {
      // Absent: taken in while there is room.
      if (entries_ >= static_cast<int>(start_.size()) || words_ + n > static_cast<int>(store_.size())) return -1;
      const int entry = entries_++;
      start_[entry] = words_;
      length_[entry] = n;
      result_[entry] = 0;
      std::copy(list, list + n, store_.begin() + words_);
      words_ += n;
      table_[pos] = entry;
      return entry;
    }
    if (length_[e] == n && std::equal(list, list + n, store_.begin() + start_[e])) {
      found = true;
      return e;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// ArmEngine: set-up and options

ArmEngine::ArmEngine(ReduceGraph& R, bool deleteEdges) : R_(R), edgeMode_(deleteEdges), nV_(R.V), search_(R.V) {
  mark_.assign(static_cast<std::size_t>(R.V) + 1, 0);
  emptyReducedCostSet(rc_);
}

ArmEngine::~ArmEngine() {
  if (collisions_)
    log(3) << "Collision: " << "calls" << ":" << collisionCalls_ << ", " << "success" << ":" << collisionSuccess_
           << ", " << "\n";
  freeReducedCostSet(rc_);
}

void ArmEngine::readOptions() {
  ReduceGraph& R = R_;
  log(3) << "gDelEdges" << ":" << (edgeMode_ ? 1 : 0) << ", ";
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  allowDestroyUpper_ = shell.Iget("gAllowDestroyUpper", 0);
  if (!R.upperOk) allowDestroyUpper_ = 1;
  restrictToOne_ = shell.Iget("restrictToOne", 1);
  if (!precomputed_) useAscent_ = std::clamp(shell.Iget("gUseAscent", 4), 0, R.R);
  useColli_ = shell.Iget("gUseColli", 1);
  useAvoid_ = shell.Iget("gUseAvoid", 1);
  useDist_ = shell.Iget("gUseDist", 2);
  maxDeg_ = std::max(1, shell.Iget("gMaxDeg", 8));
  maxBacktrack_ = std::max(0, shell.Iget("gMaxBacktrack", 5));
  maxLeaves_ = shell.Iget("gMaxLeaves", 10);
  if (maxLeaves_ < maxDeg_) {
    maxLeaves_ = maxDeg_;
    log(3) << "maxLeaves adjusted to " << maxLeaves_ << "\n";
  }
  maxLen_ = std::max(1, shell.Iget("gMaxLen", 4 * maxBacktrack_));
  slackSizeFactor_ = std::max(1, shell.Iget("gSlackSizeFactor", 4));
  useTreeHashing_ = shell.Iget("gUseTreeHashing", 1);
  usePairBottle_ = shell.Iget("gUsePairBottle", 1);
  useExtBottle_ = shell.Iget("gUseExtBottle", 1);
  useSmt_ = shell.Iget("gUseSmt", 0);
  // In edge mode every deletion invalidates the lists whose searches passed the edge: long lists
  // would be recomputed over and over, so they stay a factor gMaxDeg shorter there.
  const std::int64_t wanted = std::int64_t{maxDeg_} * (edgeMode_ ? 1 : maxDeg_) * maxLen_;
  maxNeighbour_ = static_cast<int>(std::min<std::int64_t>(wanted, R.V / 3));
  maxNeighbour_ = std::clamp(shell.Iget("gMaxNeighbour", maxNeighbour_), 1, std::max(1, R.V));
  const int cacheDefault = std::max(maxBacktrack_ * maxDeg_ * R.V / 1000, 500000 / std::max(1, R.V));
  (void)std::min(shell.Iget("gMaxDistCache", cacheDefault), R.V);
  shell.echoLevel = 0;
  examineReduced_ = shell.Iget("gExamineReducedPercent", 80);
  examineDistance_ = shell.Iget("gExamineDistancePercent", 100);
  shell.echoLevel = echo;
}

void ArmEngine::refreshNearestTerminals() { tesmo::refreshNearestTerminals(R_); }

void ArmEngine::refreshLinks() { refreshBottleneckStore(R_); }

ReduceGraph::SlotArrays ArmEngine::slotArrays() {
  return ReduceGraph::SlotArrays(rcArrays_.data(), static_cast<std::size_t>(rcCount_));
}

void ArmEngine::usePrecomputed(int root, const IntArray& reducedCost, const IntArray& distFromRoot,
                               const IntArray& distToTerminal, int factor, int gap) {
  reducedCostSetFromArrays(rc_, R_, root, reducedCost, distFromRoot, distToTerminal, factor, gap);
  precomputed_ = true;
}

void ArmEngine::runArmTests(bool precomputed) {
  ReduceGraph& R = R_;
  R.isReq[0] = 0;
  precomputed_ = precomputed && !rc_.empty();
  readOptions();
  if (precomputed_) {
    useAscent_ = 1;
    log(3) << "gUseAscent: values precomputed.\n";
  }
  if (R.overflowMode) R.rebuildAdjacency();
  refreshNearestTerminals();
  refreshLinks();

  // The partial tree never outgrows its limits: reserve once for the whole run.
  const std::size_t treeRoom = static_cast<std::size_t>(maxLeaves_ + 1) * (maxLen_ + 1) + 2;
  nodes_.reserve(treeRoom);
  leaves_.reserve(treeRoom);
  leafDist_.assign(treeRoom * treeRoom, 0);
  primKey_.assign(treeRoom, 0);
  points_.reserve(treeRoom);
  pointVertex_.reserve(treeRoom);
  onPath_.assign(treeRoom, 0);
  pathStamp_ = 0;
  treeRoom_ = treeRoom;
  maxBranch_ = std::min(maxDeg_, 16);
  candidates_.reserve((treeRoom + 1) * static_cast<std::size_t>(maxLeaves_ + 1) * (maxBranch_ + 1));
  leafStack_.reserve((treeRoom + 1) * static_cast<std::size_t>(maxLeaves_ + 2));
  starSlots_.reserve(static_cast<std::size_t>(maxDeg_) + 1);
  starPairs_.reserve(static_cast<std::size_t>(maxDeg_) * maxDeg_);
  pairScratch_.reserve((treeRoom + 1) * static_cast<std::size_t>(maxBranch_) * maxBranch_);
  edgeSpace_ = 2 * std::int64_t{slackSizeFactor_} * R.Eanz;

  // The reduced costs follow the slots through every edit of R.
  if (precomputed_) attachReducedCostSet(rc_, R, rcArrays_);
  else {
    // The edge room doubles as the size limit of the ascents (never below the slots in use).
    const std::int64_t slots = 2 * std::int64_t{R.E} + 1;
    const int sizeCode = static_cast<int>(std::clamp<std::int64_t>(edgeSpace_, slots + 1, maxint));
    attachReducedCosts(rc_, R, useAscent_, rcArrays_, sizeCode);
  }
  rcCount_ = static_cast<int>(rcArrays_.size());
  if (rcCount_ > 0) {
    rcOut_.assign(static_cast<std::size_t>(rcCount_), std::vector<std::int64_t>(treeRoom, 0));
    rcIn_.assign(static_cast<std::size_t>(rcCount_), std::vector<std::int64_t>(treeRoom, 0));
    rcTotal_.assign(static_cast<std::size_t>(rcCount_), 0);
  }
  if (useColli_) buildCollisionStats();
  distances_.emplace(R, maxNeighbour_, edgeMode_);
  hashKey_.reserve(treeRoom);
  if (useTreeHashing_) treeHash_.setUp(1000, maxDeg_ * 1000);
  if (!edgeMode_) buildRankTables();

  replaced_ = deletedEdges_ = 0;
  if (edgeMode_) runEdgeMode();
  else runVertexMode();

  R.compactEdges(nullptr);
  log(3) << "sum replaced: " << (edgeMode_ ? deletedEdges_ : replaced_) << "\n";
  log(3) << "hashCount" << ":" << hashCount_ << ", " << "hashSuccess" << ":" << hashSuccess_ << ", " << "\n";
  distances_.reset();
  rankNear_.reset();
  rankReduced_.reset();
  rankThree_.reset();
}

void ArmEngine::buildRankTables() {
  ReduceGraph& R = R_;
  // Over the examinable vertices: the nearest-terminal distance, the reduced-cost distance from
  // the first root, the sum of the distances to the three nearest terminals.
  const std::size_t n = static_cast<std::size_t>(R.V) + 1;
  IntArray valid(n, 0), near(n, maxint), reduced(n, maxint), three(n, maxint);
  for (int v = 1; v <= R.V; ++v) {
    valid[v] = R.isReq[v] == 0 && (allowDestroyUpper_ || !R.upperOk || R.treeDegree[v] == 0) && R.hasLiveSlot(v);
    near[v] = R.nearDist[1][v];
    if (rcCount_ > 0) reduced[v] = rc_.distFromRoots[1][v];
    const std::int64_t sum = std::int64_t{R.nearDist[1][v]} + R.nearDist[2][v] + R.nearDist[3][v];
    three[v] = static_cast<int>(std::min<std::int64_t>(sum, maxint));
  }
  rankNear_.emplace(R.V, near.data(), valid.data());
  rankReduced_.emplace(R.V, reduced.data(), valid.data());
  rankThree_.emplace(R.V, three.data(), valid.data());
}

bool ArmEngine::skippedByRank(int v) const {
  const int count = rankNear_->valid();
  if (count == 0 || v > R_.V) return false;
  const auto percent = [count](int rank) { return static_cast<int>(std::int64_t{rank} * 100 / count); };
  const int low = percent(rankNear_->low(v));
  // Without reduced costs every vertex counts as ranked last there, so none is left out for them.
  const int high = rcCount_ > 0 ? percent(rankReduced_->high(v)) : 100;
  return low > examineDistance_ && high < examineReduced_;
}

// ---------------------------------------------------------------------------------------------
// Collision statistics of the merge history

void ArmEngine::buildCollisionStats() {
  ReduceGraph& R = R_;
  const int capacity = std::max(R.IDcount, R.IDmax) + 1;
  visited_.assign(static_cast<std::size_t>(capacity) + 1, 0);
  otherVisited_.assign(static_cast<std::size_t>(capacity) + 1, 0);
  repeatMark_.assign(static_cast<std::size_t>(capacity) + 1, 0);
  idCost_.assign(static_cast<std::size_t>(capacity) + 1, -1);
  triple_.assign(static_cast<std::size_t>(capacity) + 1, 0);
  stack_.assign(static_cast<std::size_t>(capacity) / 3 + 2 + 64, 0);
  repeats_.assign(64, 0);
  triple_[0] = capacity;
  const int used = R.mergeHistory.empty() ? 0 : R.mergeHistory[0];
  for (int k = 1; k + 2 <= used; k += 3) {
    const int id = R.mergeHistory[k + 2];
    if (id > 0 && id <= capacity) triple_[id] = k;
  }
  // The instance as it is now is the one whose edges the histories are read in: the costs of
  // its edges are known, those of edges merged away before are not.
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && R.ID[s] > 0 && R.ID[s] <= capacity) idCost_[R.ID[s]] = R.arcs[s].cost;
  collisionCalls_ = collisionSuccess_ = 0;
  collisions_ = true;
}

void ArmEngine::growCollisionTables(int id) {
  if (id < triple_[0]) return;
  // The identities outgrew the tables: make room rather than overrun.
  const int capacity = 2 * id + 1;
  const std::size_t size = static_cast<std::size_t>(capacity) + 1;
  visited_.resize(size, 0);
  otherVisited_.resize(size, 0);
  repeatMark_.resize(size, 0);
  idCost_.resize(size, -1);
  triple_.resize(size, 0);
  triple_[0] = capacity;
  if (stack_.size() < size / 3 + 66) stack_.resize(size / 3 + 66, 0);
}

bool ArmEngine::merged(int s) const {
  const int id = R_.ID[s];
  return collisions_ && id > 0 && id < triple_[0] && triple_[id] != 0;
}

// The identities in repeats_[0..n-1] occur twice in the expansion, and so does everything they
// were merged from: a positive known cost among them makes the expansion dearer than an edge set
// that uses that edge once.
int ArmEngine::positiveRepeat(int n) {
  const ReduceGraph& R = R_;
  const int stamp = collisionCalls_;
  int top = 0;
  for (int k = 0; k < n; ++k) {
    const int id = repeats_[static_cast<std::size_t>(k)];
    if (repeatMark_[id] == stamp) continue;
    repeatMark_[id] = stamp;
    if (top >= static_cast<int>(stack_.size())) stack_.resize(stack_.size() * 2);
    stack_[top++] = id;
  }
  while (top > 0) {
    const int id = stack_[--top];
    if (idCost_[id] > 0) {
      ++collisionSuccess_;
      return 1;
    }
    if (triple_[id] == 0) continue;
    for (int k = 0; k < 2; ++k) {
      const int source = R.mergeHistory[triple_[id] + k];
      if (source <= 0 || source >= triple_[0] || repeatMark_[source] == stamp) continue;
      repeatMark_[source] = stamp;
      if (top >= static_cast<int>(stack_.size())) stack_.resize(stack_.size() * 2);
      stack_[top++] = source;
    }
  }
  return 0;
}

int ArmEngine::checkCollision(int s) {
  if (!collisions_) return 0;
  ReduceGraph& R = R_;
  const int stamp = ++collisionCalls_;
  if (!merged(s)) return 0;
  int top = 0, repeats = 0;
  stack_[top++] = R.ID[s];
  while (top > 0) {
    const int t = triple_[stack_[--top]];
    for (int k = 0; k < 2; ++k) {
      const int source = R.mergeHistory[t + k];
      if (source <= 0 || source >= triple_[0]) continue;
      if (visited_[source] == stamp) {
        if (repeats >= static_cast<int>(repeats_.size())) repeats_.resize(repeats_.size() * 2);
        repeats_[static_cast<std::size_t>(repeats++)] = source;
        continue;
      }
      visited_[source] = stamp;
      if (triple_[source] != 0) {
        if (top >= static_cast<int>(stack_.size())) stack_.resize(stack_.size() * 2);
        stack_[top++] = source;
      }
    }
  }
  return repeats > 0 ? positiveRepeat(repeats) : 0;
}

int ArmEngine::checkPairCollision(int a, int b) {
  if (!collisions_) return 0;
  ReduceGraph& R = R_;
  const int stamp = ++collisionCalls_;
  if (!merged(a) || !merged(b)) return 0;
  // Everything a was made of, then what of b's history is among it.
  int top = 0;
  stack_[top++] = R.ID[a];
  while (top > 0) {
    const int t = triple_[stack_[--top]];
    for (int k = 0; k < 2; ++k) {
      const int source = R.mergeHistory[t + k];
      if (source <= 0 || source >= triple_[0] || visited_[source] == stamp) continue;
      visited_[source] = stamp;
      if (triple_[source] != 0) {
        if (top >= static_cast<int>(stack_.size())) stack_.resize(stack_.size() * 2);
        stack_[top++] = source;
      }
    }
  }
  int repeats = 0;
  stack_[top++] = R.ID[b];
  while (top > 0) {
    const int t = triple_[stack_[--top]];
    for (int k = 0; k < 2; ++k) {
      const int source = R.mergeHistory[t + k];
      if (source <= 0 || source >= triple_[0] || otherVisited_[source] == stamp) continue;
      otherVisited_[source] = stamp;
      if (visited_[source] == stamp) {
        // Shared, and so is all it was merged from.
        if (repeats >= static_cast<int>(repeats_.size())) repeats_.resize(repeats_.size() * 2);
        repeats_[static_cast<std::size_t>(repeats++)] = source;
        continue;
      }
      if (triple_[source] != 0) {
        if (top >= static_cast<int>(stack_.size())) stack_.resize(stack_.size() * 2);
        stack_[top++] = source;
      }
    }
  }
  return repeats > 0 ? positiveRepeat(repeats) : 0;
}

bool ArmEngine::collidesWithTree(int s, std::size_t first) {
  if (!collisions_ || !merged(s)) return false;
  for (std::size_t k = std::max<std::size_t>(first, 1); k < nodes_.size(); ++k) {
    const int t = nodes_[k].slot;
    if (t != 0 && merged(t) && checkPairCollision(s, t)) return true;
  }
  return false;
}

void ArmEngine::registerMergedId(int f) {
  const ReduceGraph& R = R_;
  const int used = R.mergeHistory.empty() ? 0 : R.mergeHistory[0];
  const int id = R.ID[f];
  if (used < 3 || R.mergeHistory[used] != id) return;
  growCollisionTables(id);
  triple_[id] = used - 2;
  idCost_[static_cast<std::size_t>(id)] = R.arcs[f].cost;
}

// ---------------------------------------------------------------------------------------------
// The partial tree

bool ArmEngine::slotUsable(int s) const { return s != 0 && R_.delE[s] == 0; }

int ArmEngine::pushNode(int parent, int slot) {
  const ReduceGraph& R = R_;
  Node node{};
  node.parent = parent;
  node.slot = slot;
  if (parent < 0) {
    node.vertex = R.arcs[slot].tail;
    node.depthCost = 0;
    node.length = 0;
    node.slot = 0;
  } else {
    Node& p = nodes_[static_cast<std::size_t>(parent)];
    node.vertex = R.arcs[slot].head;
    node.depthCost = p.depthCost + R.arcs[slot].cost;
    node.length = p.length + 1;
    node.degree = 1;
    ++p.degree;
    total_ += R.arcs[slot].cost;
  }
  const int k = static_cast<int>(nodes_.size());
  nodes_.push_back(node);
  mark_[node.vertex] = test_;
  if (parent >= 0 && R.isReq[node.vertex] != 0) currentTerminal_ = node.vertex;
  for (int r = 0; r < rcCount_; ++r) {
    if (parent < 0) {
      rcOut_[r][k] = rcIn_[r][k] = 0;
      continue;
    }
    const IntArray& costs = rc_.reducedCosts[r + 1];
    const std::int64_t out = costs[slot], in = costs[R.partner[slot]];
    rcOut_[r][k] = rcOut_[r][parent] + out;
    rcIn_[r][k] = rcIn_[r][parent] + in;
    rcTotal_[r] += out;
  }
  return k;
}

void ArmEngine::popNode() {
  const Node node = nodes_.back();
  nodes_.pop_back();
  mark_[node.vertex] = 0;
  if (node.parent < 0) return;
  --nodes_[static_cast<std::size_t>(node.parent)].degree;
  total_ -= R_.arcs[node.slot].cost;
  for (int r = 0; r < rcCount_; ++r) rcTotal_[r] -= rc_.reducedCosts[r + 1][node.slot];
}

// Reduced-cost bound of every tree that contains the partial tree (plus, when extraSlot is set,
// the edge extraSlot at node extraParent, whose tail then may have further edges): the root enters
// the partial tree at one of its leaves (or at the tail of the tentative edge), every arc then
// points away from there, and each other leaf still has to reach a terminal.
bool ArmEngine::testReducedCosts(int extraParent, int extraSlot) {
  const ReduceGraph& R = R_;
  for (int r = 0; r < rcCount_; ++r) {
    const IntArray& costs = rc_.reducedCosts[r + 1];
    const IntArray& from = rc_.distFromRoots[r + 1];
    const IntArray& to = rc_.distToTerminals[r + 1];
    const std::int64_t gap = rc_.gaps[r + 1];
    std::int64_t out = rcTotal_[r];
    std::int64_t leafSum = 0;
    int extraHead = 0;
    std::int64_t extraOut = 0, extraIn = 0;
    if (extraSlot != 0) {
      extraHead = R.arcs[extraSlot].head;
      extraOut = rcOut_[r][extraParent] + costs[extraSlot];
      extraIn = rcIn_[r][extraParent] + costs[R.partner[extraSlot]];
      out += costs[extraSlot];
      leafSum += cappedDistance(to[extraHead]);
    }
    for (const int k : leaves_) leafSum += cappedDistance(to[nodes_[k].vertex]);
    std::int64_t best = kFar * 4;
    auto consider = [&](int vertex, std::int64_t outCum, std::int64_t inCum, bool isLeaf) {
      std::int64_t b = cappedDistance(from[vertex]) + out - outCum + inCum + leafSum;
      if (isLeaf) b -= cappedDistance(to[vertex]);
      best = std::min(best, b);
    };
    for (const int k : leaves_) consider(nodes_[k].vertex, rcOut_[r][k], rcIn_[r][k], true);
    if (extraSlot != 0) {
      consider(extraHead, extraOut, extraIn, true);
      // The tail of the tentative edge may have further edges: the root may enter there too.
      consider(nodes_[extraParent].vertex, rcOut_[r][extraParent], rcIn_[r][extraParent], false);
      // A leaf that the tentative edge continues is no leaf any more.
    }
    if (best > gap) {
      log(5) << "Success: Slack\n";
      return true;
    }
  }
  return false;
}

// The longest key path (pieces between vertices of tree degree other than 2) on the tree path
// between nodes a and b; the interior vertices of the partial tree are non-terminals whose every
// tree edge is known.
std::int64_t ArmEngine::treeBottleneck(int a, int b) const {
  // A tie never refutes, so the bottleneck starts at 0 also with gUseDist 3 and more: an
  // allowance of 1 there lets a zero-cost way refute the zero-cost key path it runs along,
  // which cuts terminals off in edge mode.
  std::int64_t best = 0;
  auto climb = [&](int& k, std::int64_t& piece) {
    const Node& n = nodes_[static_cast<std::size_t>(k)];
    piece += R_.arcs[n.slot].cost;
    k = n.parent;
    if (nodes_[static_cast<std::size_t>(k)].degree != 2) {
      best = std::max(best, piece);
      piece = 0;
    }
  };
  std::int64_t pa = 0, pb = 0;
  int x = a, y = b;
  while (x != y) {
    if (nodes_[static_cast<std::size_t>(x)].length >= nodes_[static_cast<std::size_t>(y)].length) climb(x, pa);
    else climb(y, pb);
  }
  // Pieces that meet at a vertex of degree 2 join into one.
  return std::max(best, pa + pb);
}

// The distances between the leaves (points 0..n-1) and the further points n.. of pointVertex_.
void ArmEngine::fillPointDistances(int from, int to) {
  const std::size_t room = primKey_.size();
  for (int i = from; i < to; ++i)
    for (int j = 0; j < i; ++j) {
      const std::int64_t d = cappedDistance(distances_->distance(pointVertex_[i], pointVertex_[j]));
      leafDist_[i * room + j] = leafDist_[j * room + i] = d;
    }
}

// Prim over the listed points: true when they are joined for less than the partial tree costs.
bool ArmEngine::joinedBelowTotal(const int* points, int count) {
  const std::size_t room = primKey_.size();
  for (int i = 0; i < count; ++i) primKey_[i] = kFar * 4;
  primKey_[0] = 0;
  std::int64_t weight = 0;
  for (int round = 0; round < count; ++round) {
    int pick = -1;
    for (int i = 0; i < count; ++i)
      if (primKey_[i] >= 0 && (pick < 0 || primKey_[i] < primKey_[pick])) pick = i;
    weight += primKey_[pick];
    if (weight >= total_) return false;
    primKey_[pick] = -1;
    const std::size_t row = static_cast<std::size_t>(points[pick]) * room;
    for (int i = 0; i < count; ++i)
      if (primKey_[i] >= 0) primKey_[i] = std::min(primKey_[i], leafDist_[row + points[i]]);
  }
  return true;
}

bool ArmEngine::testDistances() {
  if (useDist_ == 0) return false;
  const int n = static_cast<int>(leaves_.size());
  pointVertex_.clear();
  for (int i = 0; i < n; ++i) pointVertex_.push_back(nodes_[leaves_[i]].vertex);
  fillPointDistances(0, n);
  const std::size_t room = primKey_.size();
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (leafDist_[i * room + j] < treeBottleneck(leaves_[i], leaves_[j])) {
        log(5) << "Success: Dist\n";
        return true;
      }
  points_.clear();
  for (int i = 0; i < n; ++i) points_.push_back(i);
  if (joinedBelowTotal(points_.data(), n)) {
    log(5) << "Success: Dist\n";
    return true;
  }
  // gUseDist -1: the terminal an arm reached last, when it is no longer in the tree, may join
  // the leaves as a point of its own (a terminal never makes a bottleneck distance longer).
  const int t = currentTerminal_;
  if (useDist_ != -1 || t == 0 || mark_[t] == test_ || n + 1 > static_cast<int>(primKey_.size())) return false;
  pointVertex_.push_back(t);
  fillPointDistances(n, n + 1);
  points_.push_back(n);
  if (joinedBelowTotal(points_.data(), n + 1)) {
    log(5) << "Success: Dist\n";
    return true;
  }
  return false;
}

// gUseSmt: the leaves may be joined through terminals outside the tree, the nearest terminals
// of the non-terminal leaves (at most 8); every selection of them is tried.
bool ArmEngine::testSmt() {
  const ReduceGraph& R = R_;
  const int n = static_cast<int>(leaves_.size());
  pointVertex_.clear();
  for (int i = 0; i < n; ++i) pointVertex_.push_back(nodes_[leaves_[i]].vertex);
  const int room = static_cast<int>(primKey_.size());
  for (int i = 0; i < n && static_cast<int>(pointVertex_.size()) < std::min(n + 8, room); ++i) {
    const int v = pointVertex_[i];
    if (R.isReq[v] != 0) continue;
    const int t = R.nearBase[1][v];
    if (t < 1 || t > R.V || R.isReq[t] == 0 || mark_[t] == test_) continue;
    if (std::find(pointVertex_.begin() + n, pointVertex_.end(), t) == pointVertex_.end()) pointVertex_.push_back(t);
  }
  const int m = static_cast<int>(pointVertex_.size()) - n;
  if (m == 0 || n < 2) return false;
  fillPointDistances(0, n + m);
  for (unsigned mask = (1u << m) - 1; mask >= 1; --mask) {
    points_.clear();
    for (int i = 0; i < n; ++i) points_.push_back(i);
    for (int i = 0; i < m; ++i)
      if (mask & (1u << i)) points_.push_back(n + i);
    if (joinedBelowTotal(points_.data(), static_cast<int>(points_.size()))) {
      log(5) << "Success: Smt\n";
      return true;
    }
  }
  return false;
}

bool ArmEngine::testTree() {
  leaves_.clear();
  for (int k = 0; k < static_cast<int>(nodes_.size()); ++k)
    if (nodes_[k].degree == 1) leaves_.push_back(k);
  if (rcCount_ > 0 && testReducedCosts(0, 0)) return true;
  if (testDistances()) return true;
  if (useSmt_ && testSmt()) return true;
  return leaves_.size() == 2 && testAvoid();
}

bool ArmEngine::pairBottleneck(int a, int b) {
  const ReduceGraph& R = R_;
  // The common tail has three tree edges or more: each edge is a key path of its own between it
  // and the far ends, so a way between these that is shorter than the longer edge beats it.
  const int limit = std::max(R.arcs[a].cost, R.arcs[b].cost);
  return distances_->distance(R.arcs[a].head, R.arcs[b].head) < limit;
}

bool ArmEngine::testBottleNoExt(int k, int s, const int* leaves, int n, bool allLeaves) {
  const ReduceGraph& R = R_;
  const int x = R.arcs[s].head;
  for (int i = 0; i < n; ++i) {
    const int y = leaves[i];
    if (y == k) continue;
    const int vy = nodes_[static_cast<std::size_t>(y)].vertex;
    const bool terminal = R.isReq[vy] != 0;
    if (!(terminal && useExtBottle_) && !allLeaves) continue;
    // On the tree path from x to y the new edge, or the pieces from k on, is a key path at least
    // this long, whatever else k and x go on to.
    const std::int64_t piece = std::max<std::int64_t>(R.arcs[s].cost, treeBottleneck(k, y));
    if (cappedDistance(distances_->distance(x, vy)) < piece) {
      log(5) << (terminal && useExtBottle_ ? "Success: Bottle-NoExt\n" : "Success: Dist-NoExt\n");
      return true;
    }
  }
  return false;
}

// The pair test of testBottleNoExt against the vertices of the other arms just behind the
// branchings on the way from k to the root, and one position further: the partial tree cut back
// there is a partial tree of its own, and a way from x shorter than a key path between x and
// such a vertex makes every tree through both dearer.
bool ArmEngine::testShortenedArms(int k, int s) {
  const ReduceGraph& R = R_;
  const int x = R.arcs[s].head;
  ++pathStamp_;
  for (int w = k; w >= 0; w = nodes_[static_cast<std::size_t>(w)].parent)
    onPath_[static_cast<std::size_t>(w)] = pathStamp_;
  auto onPath = [&](int j) { return onPath_[static_cast<std::size_t>(j)] == pathStamp_; };
  auto refutes = [&](int y) {
    const std::int64_t piece = std::max<std::int64_t>(R.arcs[s].cost, treeBottleneck(k, y));
    return cappedDistance(distances_->distance(x, nodes_[static_cast<std::size_t>(y)].vertex)) < piece;
  };
  const int count = static_cast<int>(nodes_.size());
  for (int j = 1; j < count; ++j) {
    const int parent = nodes_[static_cast<std::size_t>(j)].parent;
    if (onPath(j) || !onPath(parent)) continue;
    bool refuted = refutes(j);
    for (int c = j + 1; c < count && !refuted; ++c)
      if (nodes_[static_cast<std::size_t>(c)].parent == j) refuted = refutes(c);
    if (refuted) {
      log(5) << "Success: Dist-NoExt\n";
      return true;
    }
  }
  return false;
}

bool ArmEngine::excludedIn(const std::vector<unsigned char>& pairs, std::size_t offset, unsigned mask, int d) {
  for (int i = 0; i < d; ++i)
    if (mask & (1u << i))
      for (int j = i + 1; j < d; ++j)
        if ((mask & (1u << j)) && pairs[offset + static_cast<std::size_t>(i) * d + j]) return true;
  return false;
}

bool ArmEngine::excludedPair(unsigned mask, int d) const { return excludedIn(starPairs_, 0, mask, d); }

// A path tree between two leaves (edge mode) may be swapped for any path between them that is no
// dearer and avoids the tested edge: a tie suffices, as the swap leaves a tree without that edge.
bool ArmEngine::testAvoid() {
  const ReduceGraph& R = R_;
  if (!useAvoid_ || testedSlot_ == 0 || total_ >= maxint) return false;
  const int limit = static_cast<int>(total_);
  const int ends[2] = {nodes_[static_cast<std::size_t>(leaves_[0])].vertex, nodes_[static_cast<std::size_t>(leaves_[1])].vertex};
  for (int e = 0; e < 2; ++e) {
    const int x = ends[e], y = ends[1 - e];
    // A search pays only when some edge at x starts a way that may be short enough.
    bool detour = false;
    for (int s = R.nextLiveSlot(x, 0); s != 0 && !detour; s = R.nextLiveSlot(x, s)) {
      const int z = R.arcs[s].head;
      if (mark_[z] == test_ || R.arcs[s].cost >= limit) continue;
      detour = std::int64_t{distances_->distance(z, y)} + R.arcs[s].cost <= limit;
    }
    if (!detour) continue;
    const int found = search_.run(R, x, y, testedSlot_, 0, 0, limit, "gridder2.C");
    if (found <= limit) {
      log(5) << "Success: Avoid" << " i" << ":" << x << ", " << "j" << ":" << y << ", " << "len" << ":" << limit << ", "
             << "\n";
      return true;
    }
  }
  return false;
}

bool ArmEngine::refuteTree(int depth, int firstNew) {
  ReduceGraph& R = R_;
  if (++steps_ > kStepBudget) return false;
  int entry = -1;
  if (useTreeHashing_) {
    // The tree is its edge set: the same tree grown from another start has the same answer.
    hashKey_.clear();
    for (std::size_t k = 1; k < nodes_.size(); ++k) hashKey_.push_back(std::min(nodes_[k].slot, R.partner[nodes_[k].slot]));
    std::sort(hashKey_.begin(), hashKey_.end());
    ++hashCount_;
    bool found = false;
    entry = treeHash_.lookUp(hashKey_.data(), static_cast<int>(hashKey_.size()), found);
    if (found) {
      ++hashSuccess_;
      // A search only adds edges, so a tree still being searched higher up is never met again.
      if (treeHash_.result(entry) == 0) exitWithWarning("treeIndex!=-9 && treeIndex!=-11", __LINE__, "gridder2.C");
      return treeHash_.result(entry) == 1;
    }
  }
  const bool refuted = searchTree(depth, firstNew);
  if (entry >= 0) treeHash_.result(entry) = refuted ? 1 : -1;
  return refuted;
}

bool ArmEngine::searchTree(int depth, int firstNew) {
  ReduceGraph& R = R_;
  if (testTree()) return true;
  const int leafCount = static_cast<int>(leaves_.size());
  if (leafCount > maxLeaves_) return false;
  // Deep in the search only the arms just grown go on.
  const bool restricted = restrictToOne_ != 0 && depth > restrictToOne_;
  // The leaves of this level, kept while deeper levels reuse leaves_.
  const std::size_t leafBase = leafStack_.size();
  leafStack_.insert(leafStack_.end(), leaves_.begin(), leaves_.end());
  // Extend the non-terminal leaf with the fewest admissible continuations.
  const std::size_t base = candidates_.size();
  int bestLeaf = -1;
  std::size_t bestStart = 0, bestCount = 0;
  for (std::size_t li = leafBase; li < leafBase + static_cast<std::size_t>(leafCount); ++li) {
    const int k = leafStack_[li];
    const Node& node = nodes_[static_cast<std::size_t>(k)];
    if (R.isReq[node.vertex] != 0 || node.length + 1 >= maxLen_) continue;
    if (restricted && k < firstNew) continue;
    const std::size_t start = candidates_.size();
    bool eligible = true;
    for (int s = R.nextLiveSlot(node.vertex, 0); s != 0; s = R.nextLiveSlot(node.vertex, s)) {
      const int x = R.arcs[s].head;
      if (mark_[x] == test_) continue;
      // The edge itself is longer than a path between its ends.
      if (useDist_ != 0 && distances_->distance(node.vertex, x) < R.arcs[s].cost) continue;
      // Its history repeats an edge, or shares one with the partial tree.
      if (collisions_ && (checkCollision(s) || collidesWithTree(s, 1))) continue;
      if ((useExtBottle_ || useDist_ >= 1) &&
          testBottleNoExt(k, s, leafStack_.data() + leafBase, leafCount, useDist_ >= 1))
        continue;
      if (useDist_ >= 2 && testShortenedArms(k, s)) continue;
      if (rcCount_ > 0) {
        leaves_.clear();
        for (std::size_t lj = leafBase; lj < leafBase + static_cast<std::size_t>(leafCount); ++lj)
          if (leafStack_[lj] != k) leaves_.push_back(leafStack_[lj]);
        if (testReducedCosts(k, s)) continue;
      }
      // Every continuation must be tried: a leaf with too many is not extended at all.
      if (candidates_.size() - start >= static_cast<std::size_t>(maxBranch_)) {
        eligible = false;
        break;
      }
      candidates_.push_back(s);
    }
    const std::size_t c = candidates_.size() - start;
    if (!eligible) {
      candidates_.resize(start);
      continue;
    }
    if (bestLeaf < 0 || c < bestCount) {
      bestLeaf = k;
      bestStart = start;
      bestCount = c;
    }
    if (c == 0) break;
  }
  bool refuted = false;
  if (bestLeaf < 0) {
    refuted = false;  // nothing left to extend within the limits
  } else if (bestCount == 0) {
    refuted = true;  // a non-terminal leaf with no way on
  } else if (bestCount > 1 && depth >= maxBacktrack_) {
    refuted = false;
  } else {
    refuted = true;
    const int k = static_cast<int>(bestCount);
    const int nextDepth = depth + (k > 1 ? 1 : 0);
    // Pairs of continuations that no optimal tree takes together.
    const std::size_t pairBase = pairScratch_.size();
    bool anyPair = false;
    if (k > 1 && (usePairBottle_ || collisions_)) {
      pairScratch_.resize(pairBase + static_cast<std::size_t>(k) * k, 0);
      for (int i = 0; i < k; ++i)
        for (int j = i + 1; j < k; ++j) {
          const int si = candidates_[bestStart + static_cast<std::size_t>(i)];
          const int sj = candidates_[bestStart + static_cast<std::size_t>(j)];
          const bool apart = (usePairBottle_ && pairBottleneck(si, sj)) || (collisions_ && checkPairCollision(si, sj));
          pairScratch_[pairBase + static_cast<std::size_t>(i) * k + j] = apart ? 1 : 0;
          anyPair = anyPair || apart;
        }
    }
    if (k > 1) log(4) << "backtrack on arm " << bestLeaf << " with " << k << " Edges.  \n";
    // Subsets by size, smallest first: they are the least constrained, so a failure shows early.
    for (int size = 1; size <= k && refuted; ++size) {
      if (leafCount - 1 + size > maxLeaves_ || nodes_.size() + static_cast<std::size_t>(size) > treeRoom_) {
        refuted = false;
        break;
      }
      for (unsigned mask = 1; mask < (1u << k) && refuted; ++mask) {
        if (__builtin_popcount(mask) != size) continue;
        if (anyPair && excludedIn(pairScratch_, pairBase, mask, k)) continue;
        const std::size_t before = nodes_.size();
        for (int i = 0; i < k; ++i)
          if (mask & (1u << i)) {
            const int slot = candidates_[bestStart + static_cast<std::size_t>(i)];
            log(5) << "step" << ":" << steps_ << ", " << " Extending arm " << bestLeaf << " by " << R.arcs[slot] << "\n";
            pushNode(bestLeaf, slot);
          }
        if (!refuteTree(nextDepth, static_cast<int>(before))) refuted = false;
        log(6) << "--Extending arm " << bestLeaf << " by " << mask << "success" << ":" << (refuted ? 1 : 0) << ", \n";
        while (nodes_.size() > before) popNode();
      }
    }
    pairScratch_.resize(pairBase);
    if (k > 1) log(4) << "backtrack on arm " << bestLeaf << " with  " << "success" << ":" << (refuted ? 1 : 0) << ", \n";
  }
  candidates_.resize(base);
  leafStack_.resize(leafBase);
  return refuted;
}

// ---------------------------------------------------------------------------------------------
// Vertex mode

bool ArmEngine::refuteVertex(int v) {
  ReduceGraph& R = R_;
  starSlots_.clear();
  for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) starSlots_.push_back(s);
  const int d = static_cast<int>(starSlots_.size());
  ++test_;
  steps_ = 0;  // one budget for all stars of v
  currentTerminal_ = 0;
  // Edges that no optimal tree uses, and pairs of them that no optimal tree uses together.
  unsigned impossible = 0;
  starPairs_.assign(static_cast<std::size_t>(d) * d, 0);
  for (int i = 0; i < d; ++i) {
    const int si = starSlots_[static_cast<std::size_t>(i)];
    if (collisions_ && checkCollision(si)) impossible |= 1u << i;
    for (int j = i + 1; j < d; ++j) {
      const int sj = starSlots_[static_cast<std::size_t>(j)];
      const bool apart = (usePairBottle_ && pairBottleneck(si, sj)) || (collisions_ && checkPairCollision(si, sj));
      starPairs_[static_cast<std::size_t>(i) * d + j] = apart ? 1 : 0;
    }
  }
  // Every star of at least three edges must be refuted; the small stars fail most often.
  for (int size = 3; size <= d; ++size)
    for (unsigned mask = 1; mask < (1u << d); ++mask) {
      if (__builtin_popcount(mask) != size) continue;
      if ((mask & impossible) != 0 || excludedPair(mask, d)) continue;
      nodes_.clear();
      total_ = 0;
      for (int r = 0; r < rcCount_; ++r) rcTotal_[r] = 0;
      pushNode(-1, starSlots_[0]);
      for (int i = 0; i < d; ++i)
        if (mask & (1u << i)) pushNode(0, starSlots_[static_cast<std::size_t>(i)]);
      const bool refuted = refuteTree(0, 1);
      while (!nodes_.empty()) popNode();
      if (!refuted) return false;
    }
  return true;
}

void ArmEngine::replaceVertex(int v) {
  ReduceGraph& R = R_;
  treeHash_.clear();
  log(3) << "replacing " << v << " with ";
  if (R.upperOk && R.treeDegree[v] > 0) R.destroyUpper();
  starSlots_.clear();
  for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) starSlots_.push_back(s);
  const int d = static_cast<int>(starSlots_.size());
  int added = 0;
  for (int i = 0; i < d; ++i)
    for (int j = i + 1; j < d; ++j) {
      const int sa = starSlots_[static_cast<std::size_t>(i)], sb = starSlots_[static_cast<std::size_t>(j)];
      const int a = R.arcs[sa].head, b = R.arcs[sb].head;
      const std::int64_t path = std::int64_t{R.arcs[sa].cost} + R.arcs[sb].cost;
      if (path >= maxint) continue;  // cannot be stored; such a pair is never cheapest anyway
      // A path between a and b that avoids v and is no dearer makes the pair's edge redundant.
      if (search_.run(R, a, b, 0, 0, v, static_cast<int>(path), "gridder2.C") <= path) continue;
      const Arc edge{a, b, static_cast<int>(path)};
      const int f = R.addEdge(edge, sa, sb, slotArrays());
      log(5) << "added " << edge << "\n";
      if (f != 0) ++added;
      if (collisions_ && f != 0) registerMergedId(f);
    }
  R.deleteVertex(v, slotArrays());
  log(3) << "(" << added << " edges)   ";
  rankNear_->printRankPercent(v);  // at the level just written
  rankReduced_->printRankPercent(v);
  rankThree_->printRankPercent(v);
  log(3) << "\n";
  ++replaced_;
}

void ArmEngine::runVertexMode() {
  ReduceGraph& R = R_;
  for (int v = 1; v <= nV_; ++v) {
    if (R.isReq[v] != 0) continue;
    if (!allowDestroyUpper_ && R.upperOk && R.treeDegree[v] != 0) continue;
    int d = 0;
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) ++d;
    if (d < 3 || d > maxDeg_) continue;
    if (R.lacksEdgeSpace(v)) {
      R.rebuildAdjacency();
      if (R.lacksEdgeSpace(v)) {
        log(3) << "not enough edgespace... vertice skipped\n";
        continue;
      }
    }
    // The edges of a replacement must fit in the room kept for them.
    if (std::int64_t{d - 1} * d / 2 + 2 * std::int64_t{R.Eanz} + 10 > edgeSpace_) {
      log(3) << "not enough edgespace... vertice skipped\n";
      continue;
    }
    if (skippedByRank(v)) continue;
    if (!refuteVertex(v)) continue;
    replaceVertex(v);
  }
  R.rebuildAdjacency();
}

// ---------------------------------------------------------------------------------------------
// Edge mode

bool ArmEngine::refuteEdge(int s) {
  ++test_;
  currentTerminal_ = 0;
  nodes_.clear();
  total_ = 0;
  for (int r = 0; r < rcCount_; ++r) rcTotal_[r] = 0;
  pushNode(-1, s);
  pushNode(0, s);
  steps_ = 0;
  testedSlot_ = s;
  const bool refuted = refuteTree(0, 1);
  testedSlot_ = 0;
  while (!nodes_.empty()) popNode();
  return refuted;
}

bool ArmEngine::onLinkPath(int s) const {
  const ReduceGraph& R = R_;
  return R.mstLink.empty() || static_cast<std::size_t>(R.ID[s]) >= R.mstLink.size() || R.mstLink[R.ID[s]] != 0;
}

void ArmEngine::removeLeafChain(int x) {
  ReduceGraph& R = R_;
  // A non-terminal left with one edge is in no minimal tree: it goes, and so may its neighbour.
  while (x != 0 && R.isReq[x] == 0) {
    const int s = R.nextLiveSlot(x, 0);
    if (s == 0 || R.nextLiveSlot(x, s) != 0) return;
    const int next = R.arcs[s].head;
    if (R.upperOk && R.inTree[R.ID[s]]) R.destroyUpper();
    treeHash_.clear();
    linkRemoved_ = linkRemoved_ || onLinkPath(s);
    distances_->updateAfterRemoval(next);
    distances_->updateAfterRemoval(x);
    R.deleteVertex(x, slotArrays());
    ++deletedEdges_;
    x = next;
  }
}

void ArmEngine::deleteEdgeByTests(int s) {
  ReduceGraph& R = R_;
  const int a = R.arcs[s].tail, b = R.arcs[s].head;
  int da = 0, db = 0;
  for (int t = R.nextLiveSlot(a, 0); t != 0; t = R.nextLiveSlot(a, t)) ++da;
  for (int t = R.nextLiveSlot(b, 0); t != 0; t = R.nextLiveSlot(b, t)) ++db;
  const bool impossible =
      (da == 1 && R.isReq[a] == 0) || (db == 1 && R.isReq[b] == 0) || (collisions_ && checkCollision(s));
  if (impossible) {
    log(4) << "\n\n\nimpossible edge deleted\n";
  } else {
    int degree = da + db - 2;
    // Edges that share history with this one never join it in an optimal tree.
    if (degree > maxDeg_ && collisions_ && merged(s))
      for (const int end : {a, b})
        for (int t = R.nextLiveSlot(end, 0); t != 0 && degree > maxDeg_; t = R.nextLiveSlot(end, t))
          if (t != s && t != R.partner[s] && checkPairCollision(s, t)) --degree;
    if (degree > maxDeg_) return;
    if (!refuteEdge(s)) return;
  }
  treeHash_.clear();
  log(3) << "deleted edge: " << s << " " << R.arcs[s] << "\n";
  if (R.upperOk && R.inTree[R.ID[s]]) R.destroyUpper();
  linkRemoved_ = linkRemoved_ || onLinkPath(s);
  distances_->updateAfterRemoval(a);
  distances_->updateAfterRemoval(b);
  if (da == 1 && R.isReq[a] == 0) R.deleteVertex(a, slotArrays());
  else if (db == 1 && R.isReq[b] == 0) R.deleteVertex(b, slotArrays());
  else R.deleteEdge(s, slotArrays());
  ++deletedEdges_;
  removeLeafChain(a);
  removeLeafChain(b);
  // The bottleneck estimates may run over the deleted edge: until they are refreshed (once per
  // batch of deletions, as a refresh costs a search over the whole instance) only path lengths
  // count.
  distances_->useEstimates(false);
  if (++staleDeletions_ >= std::max(50, R.Eanz / 200)) refreshEstimates();
}

void ArmEngine::refreshEstimates() {
  refreshNearestTerminals();
  // The store between terminals is made of the edges of the expanded link forest: it stays valid
  // when none of them went.
  if (linkRemoved_) refreshLinks();
  linkRemoved_ = false;
  staleDeletions_ = 0;
  distances_->useEstimates(true);
}

void ArmEngine::runEdgeMode() {
  ReduceGraph& R = R_;
  linkRemoved_ = false;
  staleDeletions_ = 0;
  for (int a = 1; a <= nV_; ++a) {
    bool again = true;
    while (again) {
      again = false;
      for (int s = R.nextLiveSlot(a, 0); s != 0; s = R.nextLiveSlot(a, s)) {
        const int b = R.arcs[s].head;
        if (b < a) continue;
        if (!allowDestroyUpper_ && R.upperOk && R.inTree[R.ID[s]]) continue;
        const int before = deletedEdges_;
        deleteEdgeByTests(s);
        // A deletion moves slots: look at a's edges afresh.
        if (deletedEdges_ != before) {
          again = true;
          break;
        }
      }
    }
  }
  if (staleDeletions_ > 0) refreshEstimates();
  log(3) << "deleted edges: " << deletedEdges_ << "\n";
}

// ---------------------------------------------------------------------------------------------

int findOrInsertionPoint(int x, const IntArray& list) {
  if (list.empty()) return -1;
  // A count beyond the array is cut to what is there rather than read past the end.
  const int n = std::clamp(list[0], 0, static_cast<int>(list.size()) - 1);
  int low = 1, high = n;
  while (low <= high) {
    const int mid = low + (high - low) / 2;
    if (list[mid] == x) return mid;
    if (list[mid] < x) low = mid + 1;
    else high = mid - 1;
  }
  return -low;
}

int findInSortedList(int x, const IntArray& list) { return std::max(0, findOrInsertionPoint(x, list)); }

void gridderBrasil2(ReduceGraph& R) {
  ArmEngine engine(R, false);
  engine.runArmTests();
}

void gridderBrasil2Edges(ReduceGraph& R) {
  ArmEngine engine(R, true);
  engine.runArmTests();
}

void gridderBrasil2Precomputed(ReduceGraph& R, int root, const IntArray& reducedCost, const IntArray& distFromRoot,
                               const IntArray& distToTerminal, int factor, int gap, bool deleteEdges) {
  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  if (reducedCost.size() < 2 * static_cast<std::size_t>(R.E) + 1 || distFromRoot.size() < vertices ||
      distToTerminal.size() < vertices || root < 1 || root > R.R) {
    log(0) << "gridder_brasil2: precomputed reduced costs do not fit the instance, nothing done\n";
    return;
  }
  ArmEngine engine(R, deleteEdges);
  engine.usePrecomputed(root, reducedCost, distFromRoot, distToTerminal, factor, gap);
  engine.runArmTests(true);
}

}  // namespace tesmo
