#include "Beasley.h"

#include "EdgeDeletion.h"
#include "LagrangianTree.h"
#include "LogStream.h"
#include "Random.h"
#include "Scaled.h"
#include "Shell.h"

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
  }
};

class BeasleyRun {
public:
  BeasleyRun(ReduceGraph& R, const BeasleyOptions& o)
      : R_(R), o_(o), T_(R, o.faktor), keepMark_(R.V + 1, 0), prevSubgrad_(2 * R.E + 1, 0) {}

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
  IntArray prevSubgrad_;
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
  if (o_.print) return;

  // A relaxed limit (one unit below the upper bound) is safe only where the stored tree shows
  // that nothing better is lost.
  auto limit = [&](bool storedTreeSafe) {
    return relax_ && R.upperOk && storedTreeSafe ? upperScaled_ - F : upperScaled_;
  };
  auto hangingFree = [&](int v) { return R.isReq[v] == 0 && T_.hangsOnRoot(v); };

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
}

void BeasleyRun::endReductions(Weight lagrLower) {
  ReduceGraph& R = R_;
  const Weight F = T_.Faktor;
  R.compactEdges(nullptr);
  R.deleteUnreachable();
  if (R.upperOpt != 0) return;
  if (!(bestLower_ < upperScaled_ - F + 1 || o_.construct)) {
    log(2) << "Lower >= Faktor -1 ***\n";
    R.upperOpt = 1;
    return;
  }
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
