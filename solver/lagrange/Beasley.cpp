#include "Beasley.h"

#include "EdgeDeletion.h"
#include "LagrangianTree.h"
#include "LogStream.h"
#include "Random.h"
#include "Scaled.h"
#include "Shell.h"
#include "Prune1.h"
#include "Sort.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

using Weight = LagrangianTree::Weight;

struct BeasleyOptions {
  int print, root, prune, half, start;
  Weight faktor;
  double upper;
  int relax, show, iterations, setF, setU, choose;
  double uFaktor;
  int adjust, reduction, reduction2, adjust2, adjustFinal, groet, construct;
  int correct, upgrade, reduce;
  double reduce2, reduceE;
  int protectUpper, protectRoot;

  explicit BeasleyOptions(const ReduceGraph& R) {
    print = shell.Iget("print", 0);
    root = shell.Iget("beasleyRoot", 0);
    prune = shell.Iget("beasleyPrune", 0);
    half = shell.Iget("beasleyHalf", 10);
    start = shell.Iget("beasleyStart", 2);
    faktor = std::max(1, shell.Iget("beasleyFaktor", std::max(1, 160000000 / std::max(1, R.upperValue))));
    upper = shell.Fget("beasleyUpper", 0.0);
    relax = shell.Iget("beasleyRelax", 1);
    show = shell.Iget("beasleyShow", 0);
    iterations = shell.Iget("beasleyIter", maxint);
    setF = shell.Iget("beasleySetF", 0);
    setU = shell.Iget("beasleySetU", 0);
    choose = shell.Iget("beasleyChoose", 1);
    uFaktor = shell.Fget("beasleyUFaktor", 1.1);
    adjust = shell.Iget("beasleyAdjust", 1);
    reduction = shell.Iget("beasleyReduction", 0);
    reduction2 = shell.Iget("beasleyReduction2", 0);
    adjust2 = shell.Iget("beasleyAdjust2", 1);
    adjustFinal = shell.Iget("beasleyAdjustFinal", 1);
    groet = shell.Iget("beasleyGroet", 0);
    construct = shell.Iget("beasleyConstruct", 0);
    correct = shell.Iget("correct", 0);
    upgrade = shell.Iget("upgrade", maxint);
    reduce = shell.Iget("reduce", 0);
    reduce2 = shell.Fget("reduce2", 0.0);
    reduceE = shell.Fget("reduceE", 0.0);
    protectUpper = shell.Iget("protectUpper", 0);
    protectRoot = shell.Iget("protectRoot", 0);
  }
};

class BeasleyRun {
public:
  BeasleyRun(ReduceGraph& R, const BeasleyOptions& o)
      : R_(R), o_(o), T_(R, o.faktor), keepMark_(R.V + 1, 0), replaceMark_(R.V + 1, 0),
        rootNeighbour_(R.V + 1, 0), prevSubgrad_(2 * R.E + 1, 0) {
    const std::size_t n = static_cast<std::size_t>(R.V) + 1;
    for (auto* a : {&termDist1_, &termDist2_, &termDist3_, &farDist1_, &farDist2_, &farBase_, &dist_})
      a->assign(n, 0);
    termBase1_.assign(n, 0);
    termBase2_.assign(n, 0);
    searchHeap_.reserve(2 * static_cast<std::size_t>(R.E) + n);
  }

  void run();

private:
  int liveDegree(int v) const {
    int d = 0;
    for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s)) ++d;
    return d;
  }
  bool inStoredTree(int s) const { return R_.inTree[R_.ID[s]] != 0; }
  // The vertex hanging on the artificial root above v.
  int topOf(int v) const {
    while (!T_.hangsOnRoot(v)) v = T_.lagrPred[v];
    return v;
  }
  void setInitialMultipliers();
  int chooseRoot();
  bool subgradientStep(int it, Weight lagrLower);
  void reductionTests(Weight lagrLower, Weight gap);
  void endReductions(Weight lagrLower);
  // Reduced weight of a slot under the current tree: 0 on a tree edge, else its weight less the
  // largest key on its tree cycle (never negative for a minimum tree).
  Weight reducedWeight(int s) const {
    return T_.isTreeEdge(s) ? 0 : std::max<Weight>(0, T_.lagrWeight[s] - T_.pathMax[s]);
  }
  void terminalDistances();
  // Lower bounds on the reduced weight that a tree of the relaxation pays on top of lagrLower
  // when it holds the non-terminal v with two branches (vertexBound), with three branches
  // (branchBound3) or the edge a-b (edgeBound; without the edge's own reduced weight).
  Weight vertexBound(int v, int* which = nullptr) const;
  Weight branchBound3(int v) const { return termDist1_[v] + termDist2_[v] + termDist3_[v]; }
  Weight edgeBound(int a, int b, int* which = nullptr) const;
  Weight limitFor(bool storedTreeSafe) const {
    return relax_ && R_.upperOk && storedTreeSafe ? upperScaled_ - T_.Faktor : upperScaled_;
  }
  bool distanceEndReductions() const {
    return o_.setU == 0 && (o_.reduceE != 0 || o_.reduce2 != 0 || o_.reduce != 0 || o_.upgrade < maxint);
  }
  void printListing();
  void reportLower() {
    R_.setLower(clampToInt(ceilDiv(bestLower_, T_.Faktor) + R_.contractCost), 0);
  }
  double toReal(Weight scaled) const {
    return static_cast<double>(R_.contractCost) + static_cast<double>(scaled) / static_cast<double>(T_.Faktor);
  }

  ReduceGraph& R_;
  const BeasleyOptions& o_;
  LagrangianTree T_;
  IntArray keepMark_;
  IntArray replaceMark_;
  IntArray rootNeighbour_;
  IntArray prevSubgrad_;
  // Reduced-weight distances from the terminals: the three smallest, each from another terminal
  // (bases of the first two kept), and the far values (correct 0: the two largest and the
  // terminal of the largest; else the distances from the first and from the last terminal).
  std::vector<Weight> termDist1_, termDist2_, termDist3_, farDist1_, farDist2_, farBase_, dist_;
  IntArray termBase1_, termBase2_;
  LazyHeap searchHeap_;
  bool distancesCurrent_ = false;
  int rootVertex_ = 0;
  Weight upperScaled_ = 0;
  Weight bestLower_ = 0;
  Weight nextReduction_ = maxint;
  double f_ = 2;
  int noImprove_ = 0;
  bool relax_ = true;
  bool finalPass_ = false;
  // pathMax and replaceMin belong to the current tree and weights (the contraction test needs
  // them; a step or a new tree makes them stale).
  bool sensitivityCurrent_ = false;
};

void BeasleyRun::setInitialMultipliers() {
  const Weight F = T_.Faktor;
  for (int v = 1; v <= R_.V; ++v) {
    if (R_.isReq[v] != 0 || !R_.hasLiveSlot(v)) continue;
    int count = 0;
    Weight m = maxint, M = 0, S = 0;
    for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s)) {
      const Weight c = R_.arcs[s].cost;
      if (!inStoredTree(s)) {
        ++count;
        m = std::min(m, c);
      } else {
        M = std::max(M, c);
        S += c;
      }
    }
    if (count > 0) {
      Weight mu = 0;
      if (o_.setF < 3)
        mu = F * std::max(M - m, S / count);
      else
        mu = S == 0 ? F * m / count : 100 * F;
      for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s))
        if (!inStoredTree(s)) T_.addToMultiplier(s, mu);
    } else if (o_.setF >= 2) {
      for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s)) T_.addToMultiplier(s, 10 * F);
    }
  }
}

int BeasleyRun::chooseRoot() {
  int root = 1;
  if (o_.choose == 0) {
    root = randomNumber(R_.R);
  } else {
    std::int64_t best = std::int64_t{o_.choose} * liveDegree(R_.terminals[1]);
    for (int k = 2; k <= R_.R; ++k) {
      const std::int64_t score = std::int64_t{o_.choose} * liveDegree(R_.terminals[k]);
      if (score > best) best = score, root = k;
    }
  }
  if (o_.root != 0 && o_.root >= 1 && o_.root <= R_.R) root = o_.root;
  return root;
}

// One subgradient step; false when the subgradient is zero (nothing left to improve).
bool BeasleyRun::subgradientStep(int it, Weight lagrLower) {
  const ReduceGraph& R = R_;
  auto subgradient = [&](int s) {
    const bool tree = T_.isTreeEdge(s);
    if (T_.hangsOnRoot(R.arcs[s].tail)) return tree ? 1 : 0;
    return tree ? 0 : -1;
  };
  auto move = [&](int s, Weight to) {
    const Weight next = std::max<Weight>(0, to);
    if (next != T_.lagrMult[s]) T_.addToMultiplier(s, next - T_.lagrMult[s]);
  };
  auto liveNonTerminalSlot = [&](int s) { return !R.delE[s] && R.isReq[R.arcs[s].tail] == 0; };
  if (o_.groet == 0) {
    Weight GG = 0;
    for (int v = 1; v <= R.V; ++v) {
      if (R.isReq[v] != 0 || !R.hasLiveSlot(v)) continue;
      GG += T_.hangsOnRoot(v) ? T_.lagrTreeDegree[v] : liveDegree(v) - T_.lagrTreeDegree[v];
    }
    if (GG == 0) {
      log(3) << "Keine Verbesserung mehr moeglich!\n";
      return false;
    }
    const double target = static_cast<double>(upperScaled_) * o_.uFaktor - static_cast<double>(lagrLower);
    Weight step = std::llround(std::clamp(target * f_ / static_cast<double>(GG), -1e15, 1e15));
    if (step == 0) step = 1;
    log(4) << "f: " << f_ << " / GG: " << GG << " = T: " << step << std::endl;
    for (int s = 1; s <= 2 * R.E; ++s)
      if (liveNonTerminalSlot(s)) move(s, T_.lagrMult[s] + subgradient(s) * step);
    if (noImprove_ > o_.half) {
      log(3) << "-";
      f_ /= 2;
      noImprove_ = 0;
      if (f_ * 2000 <= 1) {
        finalPass_ = true;
        log(3) << it << ": f too small. break. \n";
      }
    }
    return true;
  }
  Weight step = std::llround(static_cast<double>(T_.Faktor) * f_);
  if (step < 1) step = 1;
  Weight GG = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (!liveNonTerminalSlot(s)) continue;
    const int g = subgradient(s);
    move(s, T_.lagrMult[s] + ((7 * g + 3 * prevSubgrad_[s]) * step) / 10);
    prevSubgrad_[s] = g;
    GG += g;
  }
  log(4) << "f: " << f_ << "  GG: " << GG << std::endl;
  f_ = o_.groet * f_ * 0.001;
  if (noImprove_ > o_.half) noImprove_ = 0;
  if (f_ * 2000 <= 1) {
    f_ = 0;
    finalPass_ = true;
    log(3) << it << ": f too small. break. \n";
  }
  return true;
}

// One search per terminal over the reduced weights of the current tree. Any tree of the
// relaxation pays at least lagrLower plus the reduced weights of its edges (they are the
// reduced costs of a dual solution of the spanning tree problem), so the reduced length of its
// paths from a vertex to different terminals bounds what holding that vertex costs.
// Bit 0x20 adds nothing here: the price of taking a hanging vertex off the artificial root is
// an exchange with the cheapest covering edge, which may be an edge of the same path, so adding
// it to the path's reduced weights can pass what the tree pays.
void BeasleyRun::terminalDistances() {
  const ReduceGraph& R = R_;
  const Weight far = LagrangianTree::farAway;
  std::fill(termDist1_.begin(), termDist1_.end(), far);
  std::fill(termDist2_.begin(), termDist2_.end(), far);
  std::fill(termDist3_.begin(), termDist3_.end(), far);
  std::fill(farDist1_.begin(), farDist1_.end(), 0);
  std::fill(farDist2_.begin(), farDist2_.end(), 0);
  std::fill(farBase_.begin(), farBase_.end(), 0);
  std::fill(termBase1_.begin(), termBase1_.end(), 0);
  std::fill(termBase2_.begin(), termBase2_.end(), 0);
  for (int k = 1; k <= R.R; ++k) {
    std::fill(dist_.begin(), dist_.end(), far);
    searchHeap_.clear();
    const int t = R.terminals[k];
    if (!R.hasLiveSlot(t)) continue;
    dist_[t] = 0;
    searchHeap_.push(0, t);
    while (!searchHeap_.empty()) {
      const auto [d, v] = searchHeap_.pop();
      if (d != dist_[v]) continue;
      for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
        const int u = R.arcs[s].head;
        const Weight nd = d + reducedWeight(s);
        if (nd < dist_[u]) {
          dist_[u] = nd;
          searchHeap_.push(nd, u);
        }
      }
    }
    for (int v = 1; v <= R.V; ++v) {
      const Weight d = dist_[v];
      if (d >= far) {
        if (o_.correct != 0 && k == 1) farDist1_[v] = far;
        if (o_.correct != 0 && k == R.R) farDist2_[v] = far;
        continue;
      }
      if (d < termDist1_[v]) {
        termDist3_[v] = termDist2_[v];
        termDist2_[v] = termDist1_[v], termBase2_[v] = termBase1_[v];
        termDist1_[v] = d, termBase1_[v] = k;
      } else if (d < termDist2_[v]) {
        termDist3_[v] = termDist2_[v];
        termDist2_[v] = d, termBase2_[v] = k;
      } else if (d < termDist3_[v]) {
        termDist3_[v] = d;
      }
      if (o_.correct == 0) {
        if (d > farDist1_[v]) {
          farDist2_[v] = farDist1_[v];
          farDist1_[v] = d, farBase_[v] = k;
        } else if (d > farDist2_[v]) {
          farDist2_[v] = d;
        }
      } else {
        if (k == 1) farDist1_[v] = d;
        if (k == R.R) farDist2_[v] = d;
      }
    }
  }
  distancesCurrent_ = true;
}

// A non-terminal of a minimal tree that it belongs to has two branches, each ending in another
// terminal. In correct mode one of them may be taken as a given terminal (the first or the
// last); farBase is 0 there and adds nothing.
Weight BeasleyRun::vertexBound(int v, int* which) const {
  if (o_.correct == 0) return termDist1_[v] + termDist2_[v];
  const Weight f[3] = {farDist1_[v], farDist2_[v], farBase_[v]};
  int best = 0;
  for (int i = 1; i < 3; ++i)
    if (f[i] > f[best]) best = i;
  if (which) *which = best;
  return termDist1_[v] + f[best];
}

// Without the edge a-b a tree falls into two parts, each holding a terminal, and the two
// terminals differ; in correct mode a given terminal lies in one of the two parts.
Weight BeasleyRun::edgeBound(int a, int b, int* which) const {
  if (o_.correct == 0) {
    if (termBase1_[a] != termBase1_[b]) return termDist1_[a] + termDist1_[b];
    return std::min(termDist1_[a] + termDist2_[b], termDist2_[a] + termDist1_[b]);
  }
  const std::vector<Weight>* f[3] = {&farDist1_, &farDist2_, &farBase_};
  Weight best = -1;
  for (int i = 0; i < 3; ++i) {
    const Weight m = std::min(termDist1_[a] + (*f[i])[b], termDist1_[b] + (*f[i])[a]);
    if (m > best) {
      best = m;
      if (which) *which = i;
    }
  }
  return best;
}

void BeasleyRun::reductionTests(Weight lagrLower, Weight gap) {
  ReduceGraph& R = R_;
  const Weight F = T_.Faktor;
  log(3) << "Trying reduction\n";
  nextReduction_ = 0;
  if (o_.construct)
    while (upperScaled_ <= lagrLower) {
      const Weight k = (lagrLower - upperScaled_) / F + 1;
      log(3) << "+" << k;
      upperScaled_ += k * F;
    }
  log(3) << std::endl;
  T_.TreePathMaximum();
  distancesCurrent_ = false;
  if (o_.reduction2 & 0x40) terminalDistances();
  if (o_.print) return;

  auto limit = [&](bool storedTreeSafe) { return limitFor(storedTreeSafe); };
  auto hangingFree = [&](int v) { return R.isReq[v] == 0 && T_.hangsOnRoot(v); };

  if (o_.reduction2 & 0x40) {
    // A vertex outside the stored tree whose two branches cost too much is in no better tree.
    int direct = 0;
    for (int v = 1; v <= R.V; ++v) {
      if (R.isReq[v] != 0 || !R.hasLiveSlot(v) || R.treeDegree[v] != 0) continue;
      if (lagrLower + vertexBound(v) <= limit(true)) continue;
      T_.dropVertexMultipliers(v);
      R.markVertexDeleted(v);
      ++direct;
    }
    if (direct > 0) {
      log(3) << "Direkt DelV: " << direct << std::endl;
      f_ *= shell.Fget("increaseF", 1.0);
    }
    if (verbose > 5) {
      for (int v = 1; v <= R.V; ++v)
        log(3) << v << ", n: " << static_cast<double>(termDist1_[v]) / static_cast<double>(F)
               << ", f: " << static_cast<double>(farDist1_[v]) / static_cast<double>(F) << "\t";
      log(3) << std::endl;
    }
  }

  int deletedEdges = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    const Arc& e = R.arcs[s];
    if (R.delE[s] || e.tail >= e.head || T_.isTreeEdge(s)) continue;
    Weight r = T_.lagrWeight[s] - T_.pathMax[s];
    const bool bothHang = hangingFree(e.tail) && hangingFree(e.head);
    if (o_.reduction2 != 0 && bothHang) {
      if (o_.reduction2 & 1)
        r = std::min(T_.replaceMin[e.tail], T_.replaceMin[e.head]) + T_.lagrWeight[s] - T_.lagrKey[e.tail] -
            T_.lagrKey[e.head];
    } else if (o_.reduction2 & 2) {
      // Taking e in and x's artificial edge out: exchanging the cycle's largest key for e and
      // the artificial edge for its cheapest replacement is exact only when e's cycle lies below
      // x; when it runs through the artificial root the two exchanges overlap and the sum can
      // pass the true value, so the plain reduced weight stays.
      const int x = hangingFree(e.tail) ? e.tail : hangingFree(e.head) ? e.head : 0;
      if (x != 0 && topOf(x == e.tail ? e.head : e.tail) == x)
        r = T_.lagrWeight[s] - T_.lagrKey[x] - T_.pathMax[s] + T_.replaceMin[x];
    }
    if (o_.reduction2 & 0x40) r = (T_.lagrWeight[s] - T_.pathMax[s]) + edgeBound(e.tail, e.head);
    if (lagrLower + r > limit(!inStoredTree(s))) {
      T_.dropEdgeMultipliers(s);
      deleteEdgeLazily(R, s);
      ++deletedEdges;
      if (o_.show) log(3) << "-" << e;
    } else {
      nextReduction_ = std::max(nextReduction_, r);
    }
  }

  int deletedVertices = 0, kept = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0 || !R.hasLiveSlot(v)) continue;
    const bool inTree = R.treeDegree[v] > 0;
    if (T_.hangsOnRoot(v)) {
      // Taking v into the tree replaces its artificial edge by the cheapest covering edge.
      if (lagrLower - T_.lagrKey[v] + T_.replaceMin[v] > limit(!inTree)) {
        if (o_.show) log(3) << "--" << v;
        T_.dropVertexMultipliers(v);
        R.markVertexDeleted(v);
        ++deletedVertices;
      }
    } else if (keepMark_[v] == 0) {
      // Leaving v out makes its artificial edge a tree edge.
      const int a = T_.artificial(v);
      if (T_.lagrWeight[a] + lagrLower - T_.pathMax[a] > limit(inTree)) {
        if (o_.show) log(3) << "++" << v;
        keepMark_[v] = 1;
        ++kept;
      }
    }
  }
  if (deletedEdges > 0) log(3) << "\nDeleted: " << deletedEdges << ", Contracted: " << 0 << std::endl;
  if (deletedVertices > 0 || kept > 0)
    log(3) << "DeletedV: " << deletedVertices << ", ContractedV: " << kept << std::endl;
  log(3) << "Rest: " << static_cast<double>(gap) / static_cast<double>(F)
         << ", nextReduction: " << static_cast<double>(nextReduction_) / static_cast<double>(F) << std::endl;

  if ((o_.reduction2 & 0x80) && distancesCurrent_) {
    // A non-terminal whose three branches would cost too much has at most two tree edges in
    // some optimal tree, so it can be replaced by edges between its neighbours.
    const int maxDegree = shell.Iget("maxDegree", 10);
    int marked = 0;
    for (int v = 1; v <= R.V && !R.lacksEdgeSpace(0); ++v) {
      if (R.isReq[v] != 0 || replaceMark_[v] != 0 || R.treeDegree[v] >= 3) continue;
      const int d = liveDegree(v);
      if (d == 0 || d >= maxDegree) continue;
      if (lagrLower + branchBound3(v) <= limit(true)) continue;
      replaceMark_[v] = 1;
      ++marked;
    }
    if (marked > 0) log(3) << "Replace: " << marked << std::endl;
  }
}

// The diagnostic listing of option print: per vertex its artificial weight and tree state, per
// edge its multiplier part, cost, stored-tree mark and distance values.
void BeasleyRun::printListing() {
  const ReduceGraph& R = R_;
  const double F = static_cast<double>(T_.Faktor);
  const bool distances = distancesCurrent_ && (o_.reduction2 & 0x40);
  auto farMost = [&](int v) { return termDist1_[v] + std::max({farDist1_[v], farDist2_[v], farBase_[v]}); };
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0 || !R.hasLiveSlot(v)) continue;
    log(3) << "V(" << v << ") " << static_cast<double>(T_.lagrWeight[T_.artificial(v)]) / F
           << (T_.hangsOnRoot(v) ? " 0" : " p") << " / " << R.treeDegree[v];
    if (distances)
      log(3) << " D " << static_cast<double>(termDist1_[v] + farDist1_[v]) / F << " Cor" << o_.correct << ": "
             << static_cast<double>(farMost(v)) / F;
    log(3) << std::endl;
  }
  for (int s = 1; s <= 2 * R.E; ++s) {
    const Arc& e = R.arcs[s];
    if (R.delE[s] || e.tail >= e.head) continue;
    const bool tree = T_.isTreeEdge(s);
    const Weight rc = distancesCurrent_ ? reducedWeight(s) : 0;
    const Weight plain = distancesCurrent_
                             ? std::min(termDist1_[e.tail] + farDist1_[e.head], termDist1_[e.head] + farDist1_[e.tail])
                             : 0;
    Weight cor = 0;
    if (distancesCurrent_)
      for (const auto* f : {&farDist1_, &farBase_, &farDist2_})
        cor = std::max(cor, std::min(termDist1_[e.tail] + (*f)[e.head], termDist1_[e.head] + (*f)[e.tail]));
    log(3) << "E" << e << static_cast<double>(T_.lagrWeight[s]) / F - e.cost << " / " << e.cost
           << (inStoredTree(s) ? " U " : " - ") << static_cast<double>(plain + rc) / F << " T" << (tree ? 0 : 1)
           << " R " << R.isReq[e.tail] << " " << R.isReq[e.head] << " deg " << liveDegree(e.tail) << " "
           << liveDegree(e.head) << " Cor: " << static_cast<double>(cor + rc) / F << std::endl;
  }
}

void BeasleyRun::endReductions(Weight lagrLower) {
  ReduceGraph& R = R_;
  const Weight F = T_.Faktor;
  for (int s = R.nextLiveSlot(rootVertex_, 0); s != 0; s = R.nextLiveSlot(rootVertex_, s))
    rootNeighbour_[R.arcs[s].head] = 1;
  const bool wantDistances = distanceEndReductions() || o_.setU < 0 || o_.print != 0;
  if (wantDistances && !distancesCurrent_) {
    // The distances must belong to the multipliers of the bound they are added to: after a
    // step (or without bit 0x40) the tree is computed anew for the present multipliers.
    bool reached = true;
    const Weight fresh = T_.computeTree(rootVertex_, reached);
    if (reached) {
      lagrLower = fresh;
      T_.TreePathMaximum();
      sensitivityCurrent_ = true;
      terminalDistances();
    } else {
      sensitivityCurrent_ = false;
    }
  }
  const bool canReduce = distancesCurrent_ && sensitivityCurrent_;
  auto strictlyAbove = [&](Weight value, double threshold) {
    return static_cast<double>(value) > std::round(threshold * static_cast<double>(F));
  };
  int max[3] = {0, 0, 0};

  if (o_.reduceE != 0 && o_.setU == 0 && canReduce) {
    int deleted = 0;
    for (int s = 1; s <= 2 * R.E; ++s) {
      const Arc& e = R.arcs[s];
      if (R.delE[s] || e.tail >= e.head) continue;
      int which = 0;
      Weight v = edgeBound(e.tail, e.head, o_.correct != 0 ? &which : nullptr);
      if (o_.correct != 0) ++max[which];
      v += reducedWeight(s);
      const bool atRoot = e.tail == rootVertex_ || e.head == rootVertex_;
      const bool atNeighbour = rootNeighbour_[e.tail] != 0 || rootNeighbour_[e.head] != 0;
      if ((o_.protectRoot > 0 && atRoot) || (o_.protectRoot > 1 && atNeighbour)) v = -1;
      const bool inTree = inStoredTree(s);
      if (!strictlyAbove(v, o_.reduceE) || (inTree && o_.protectUpper != 0)) continue;
      // The threshold alone proves nothing: the bound must pass the upper bound as well.
      if (v < 0 || lagrLower + v <= limitFor(!inTree)) continue;
      deleteEdgeLazily(R, s);
      ++deleted;
    }
    log(3) << "ReduceE: " << deleted << std::endl;
    log(2) << "Max1: " << max[0] << ", Max2: " << max[1] << ", Max3: " << max[2] << std::endl;
  }

  int reduced = 0;
  if (o_.reduce2 != 0 && o_.setU == 0 && canReduce) {
    max[0] = max[1] = max[2] = 0;
    for (int v = 1; v <= R.V; ++v) {
      if (R.isReq[v] != 0 || !R.hasLiveSlot(v) || (o_.protectRoot != 0 && rootNeighbour_[v] != 0)) continue;
      int which = 0;
      const Weight value = vertexBound(v, o_.correct != 0 ? &which : nullptr);
      if (o_.correct != 0) ++max[which];
      const bool outside = R.treeDegree[v] == 0;
      if (!strictlyAbove(value, o_.reduce2) || (!outside && o_.protectUpper != 0)) continue;
      if (lagrLower + value <= limitFor(outside)) continue;
      R.markVertexDeleted(v);
      ++reduced;
    }
    log(3) << "Reduce2: " << reduced;
    log(2) << "Max1: " << max[0] << ", Max2: " << max[1] << ", Max3: " << max[2] << std::endl;
  }

  if ((o_.reduce != 0 || o_.upgrade < maxint) && o_.setU == 0 && canReduce) {
    IntArray keys(static_cast<std::size_t>(R.V) + 1, maxint), order(static_cast<std::size_t>(R.V) + 1, 0);
    for (int v = 1; v <= R.V; ++v)
      if (R.hasLiveSlot(v) && R.isReq[v] == 0 && R.treeDegree[v] == 0 && T_.hangsOnRoot(v))
        keys[v] = static_cast<int>(-std::min<Weight>(vertexBound(v), maxint - 1));
    sortByKey(R.V, keys, order);
    const std::int64_t n = std::int64_t{o_.reduce} * R.Vanz / 100 + 1;
    log(3) << "Pruning : " << n << std::endl;
    std::int64_t count = reduced;
    for (int k = 1; k <= R.V && count < n; ++k) {
      const int v = order[k];
      if (keys[k] == maxint) break;
      if (R.isReq[v] != 0 || !R.hasLiveSlot(v) || R.treeDegree[v] != 0) continue;
      // Farthest first: once the bound no longer passes the upper bound, no later one does.
      if (lagrLower - keys[k] <= limitFor(true)) break;
      R.markVertexDeleted(v);
      ++count;
    }
    if (o_.upgrade < maxint && R.upperOk) {
      // A vertex of high tree degree becomes required only when leaving it out is proven to
      // cost more than the upper bound (as for the vertices kept by the loop's tests).
      int upgraded = 0;
      for (int v = 1; v <= R.V; ++v) {
        if (R.isReq[v] != 0 || !R.hasLiveSlot(v) || R.treeDegree[v] < o_.upgrade || T_.hangsOnRoot(v)) continue;
        const int a = T_.artificial(v);
        if (T_.lagrWeight[a] + lagrLower - T_.pathMax[a] <= limitFor(true)) continue;
        R.addTerminal(v);
        ++upgraded;
      }
      log(3) << "Upgraded: " << upgraded << std::endl;
    }
  }

  if (o_.print != 0) printListing();

  R.compactEdges(nullptr);
  R.deleteUnreachable();
  if (R.upperOpt != 0) return;
  if (o_.setU < 0 && distancesCurrent_) {
    // A heuristic tree without the vertices far from the terminals (prune1 works on a copy).
    IntArray marks(static_cast<std::size_t>(R.V) + 1, 0);
    for (int v = 1; v <= R.V; ++v) {
      if (R.isReq[v] != 0 || !R.hasLiveSlot(v) || (o_.protectRoot != 0 && rootNeighbour_[v] != 0)) continue;
      const Weight value = termDist1_[v] + std::max({farDist1_[v], farDist2_[v], farBase_[v]});
      if (strictlyAbove(value, o_.reduce2) && (R.treeDegree[v] == 0 || o_.protectUpper == 0)) marks[v] = -1;
    }
    prune1(R, nullptr, marks.data());
    if (R.upperOpt != 0) return;
  }
  if (!(bestLower_ < upperScaled_ - F + 1 || o_.construct)) {
    log(2) << "Lower >= Faktor -1 ***\n";
    R.upperOpt = 1;
    return;
  }
  int replaced = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (replaceMark_[v] == 0 || R.isReq[v] != 0 || !R.hasLiveSlot(v) || R.lacksEdgeSpace(v)) continue;
    R.replaceVertex(v, false);
    ++replaced;
  }
  if (replaced > 0) R.rebuildAdjacency();
  log(3) << "Contr" << upperScaled_ << "\t\t";
  int contracted = 0;
  for (int v = 1; v <= R.V && sensitivityCurrent_; ++v) {
    const int p = T_.lagrPred[v];
    if (p == 0 || !R.hasLiveSlot(v) || !R.hasLiveSlot(p)) continue;
    // The tree edge v-p is in every better tree when leaving it out costs too much.
    int slot = 0;
    for (int s = R.nextLiveSlot(v, 0); s != 0 && slot == 0; s = R.nextLiveSlot(v, s))
      if (R.arcs[s].head == p) slot = s;
    if (slot == 0) continue;
    const bool inTree = R.upperOk && inStoredTree(slot);
    const Weight limit = relax_ && inTree ? upperScaled_ - F : upperScaled_;
    if (lagrLower - T_.lagrKey[v] + T_.replaceMin[v] <= limit) continue;
    if (o_.show) log(3) << "+" << R.arcs[slot];
    if (R.upperOk && !inStoredTree(slot)) R.destroyUpper();
    R.addPendingContraction(slot);
    ++contracted;
  }
  log(3) << "ContractedE: " << contracted;
  for (int v = 1; v <= R.V; ++v)
    if (keepMark_[v] != 0 && R.isReq[v] == 0 && R.hasLiveSlot(v)) R.addTerminal(v);
  R.updateContract(nullptr, true);
}

void BeasleyRun::run() {
  ReduceGraph& R = R_;
  if (!R.upperOk || (o_.upper > 0 && o_.upper < R.upperValue)) {
    log(3) << "!upperOk -> Relax=0\n";
    relax_ = false;
  }
  if (o_.relax == 0) relax_ = false;
  const double U = o_.upper > 0 && o_.upper < R.upperValue ? o_.upper : R.upperValue;
  upperScaled_ = std::llround((U - static_cast<double>(R.contractCost)) * static_cast<double>(T_.Faktor));
  log(3) << "Upper: " << upperScaled_ << std::endl;

  for (int v = 1; v <= R.V; ++v)
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s))
      T_.lagrWeight[s] = T_.Faktor * R.arcs[s].cost;
  f_ = o_.start;
  if (o_.setF != 0) setInitialMultipliers();
  const int root = chooseRoot();
  log(3) << "Root: " << root << std::endl;
  const int rootVertex = R.terminals[root];
  rootVertex_ = rootVertex;

  Weight lagrLower = 0;
  for (std::int64_t it = 1; it <= o_.iterations; ++it) {
    log(4) << std::endl << it << ". MST: ";
    bool reached = true;
    lagrLower = T_.computeTree(rootVertex, reached);
    sensitivityCurrent_ = false;
    if (!reached) {
      // A terminal the relaxed tree cannot reach is cut off from the root.
      R.compactEdges(nullptr);
      R.markDisconnected();
      return;
    }
    if (it <= o_.adjust || it > std::int64_t{o_.iterations} - o_.adjustFinal + 1 ||
        (o_.adjust2 > 0 && noImprove_ > o_.half - o_.adjust2) || (o_.adjust2 < 0 && it % -o_.adjust2 == 0) ||
        (finalPass_ && o_.adjustFinal != 0)) {
      T_.MultiplierAdjust(lagrLower);
      sensitivityCurrent_ = true;
    }

    if (lagrLower > bestLower_) {
      bestLower_ = lagrLower;
      reportLower();
      log(3) << "\t(" << it << ") " << toReal(lagrLower) << std::endl;
      if (!o_.construct && lagrLower >= upperScaled_ - T_.Faktor + 1) {
        log(3) << "Big Success: Lower==Upper! Break.\n\n\n\n\n\n";
        break;
      }
      noImprove_ = 0;
      if (o_.setU > 0 && it % o_.setU == 0) T_.LagrangianUpperBound(R, o_.prune != 0, upperScaled_);
    } else {
      ++noImprove_;
    }

    Weight gap = upperScaled_ - lagrLower;
    if (relax_) gap -= T_.Faktor;
    gap -= std::llround(shell.Fget("schummel", 0.0) * static_cast<double>(T_.Faktor));
    if ((gap < nextReduction_ && o_.reduction != 0 && it % o_.reduction == 0) || finalPass_) {
      reductionTests(lagrLower, gap);
      sensitivityCurrent_ = true;
      if (finalPass_) break;
    }
    if (!subgradientStep(static_cast<int>(std::min<std::int64_t>(it, maxint)), lagrLower)) break;
    sensitivityCurrent_ = false;
  }

  reportLower();
  log(2) << "Lower: " << toReal(bestLower_) << "< Upper: " << toReal(upperScaled_) << std::endl;
  if (R.upperValue < bestLower_ / T_.Faktor || upperScaled_ < bestLower_) {
    // The bound passed the upper bound: the instance holds no better tree.
    R.compactEdges(nullptr);
    R.destroyUpper();
    R.markDisconnected();
    return;
  }
  endReductions(lagrLower);
}

}  // namespace

void beasley(ReduceGraph& R) {
  if (R.R < 2) return;
  shell.echoLevel = 3;
  const BeasleyOptions options(R);
  shell.echoLevel = 0;
  if (R.upperValue >= maxint) {
    log(3) << "no upper bound: Lagrangian relaxation skipped\n";
    return;
  }
  leaveOverflowMode(R);
  BeasleyRun(R, options).run();
}

}  // namespace tesmo
