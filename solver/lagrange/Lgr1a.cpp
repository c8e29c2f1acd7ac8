#include "Lgr1a.h"

#include "CutMemory.h"
#include "L1Reduction.h"
#include "LogStream.h"
#include "RunTimer.h"
#include "PathRelaxation.h"
#include "Scaled.h"
#include "Shell.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tesmo {

namespace {

using Weight = std::int64_t;

// Entries of the earlier form's potential table above which it is refused.
constexpr std::int64_t maxPotentialEntries = std::int64_t{1} << 26;


struct Lgr1Options {
  int iterations, delay, breakAt, root, reduction, propagate = 0;
  Weight faktor;
  double start;
  int ascent, fixToTree, projection, lockReq = 0, reduction2 = 0;
  double reinelt;
  int adjustGG = 0, half;
  double uFaktor = 1.0;
  int sia = 10, predecessorFirst = 1, maxSec = maxint;
  CutMemory::Options memory;
  // The earlier form reads only some of the options: no cut memory, no passes, no target factor
  // (it aims at the best tree itself), no weighting of the previous direction, no time limit;
  // instead the number of propagation steps allowed after a gain.
  bool early;
  int propMax = 0;

  Lgr1Options(const ReduceGraph& R, bool earlyForm) : early(earlyForm) {
    iterations = shell.Iget("l1Iter", maxint);
    delay = shell.Iget("l1Delay", 0);
    breakAt = shell.Iget("l1Break", 0);
    root = shell.Iget("root", 1);
    reduction = shell.Iget("l1Reduction", 0);
    if (!early) propagate = shell.Iget("l1Propagate", 0);
    faktor = std::max(1, shell.Iget("l1Faktor", std::max(1, 160000000 / std::max(1, R.upperValue))));
    start = shell.Fget("l1Start", 2.0);
    ascent = shell.Iget("l1Ascent", 0);
    fixToTree = shell.Iget("l1X", 0);
    projection = shell.Iget("l1Projection", 1);
    if (!early) {
      lockReq = shell.Iget("l1LockReq", 0);
      reduction2 = shell.Iget("l1Reduction2", 0);
    }
    reinelt = shell.Fget("l1Reinelt", 0.0);
    if (early) {
      propMax = shell.Iget("l1PropMax", R.R);
      half = shell.Iget("l1Half", 20);
      return;
    }
    memory.rows = shell.Iget("l1Memory", 0);
    memory.maxGG = shell.Iget("l1MaxGG", 600);
    memory.adjustT = shell.Fget("l1AdjustT", 0.0);
    adjustGG = shell.Iget("l1AdjustGG", 0);
    memory.writeLp = shell.Iget("l1WriteLp", 0);
    memory.after = shell.Iget("after", 0);
    memory.repeated = shell.Iget("repeated", 0) != 0;
    const char* folder = shell.Sget("l1LpDir", "");
    memory.folder = folder != nullptr ? folder : "";
    half = shell.Iget("l1Half", 20);
    uFaktor = shell.Fget("l1UFaktor", 1.1);
    sia = shell.Iget("l1Sia", 7);
    predecessorFirst = shell.Iget("Vorgaenger", 1);
    maxSec = shell.Iget("R-maxSec", maxint);
  }
};

class L1Ascent {
public:
  L1Ascent(ReduceGraph& R, const Lgr1Options& o, int root)
      : R_(R), o_(o), P_(R, o.faktor, root, o.projection, o.lockReq), F_(P_.faktor()),
        previous_(o.reinelt != 0 ? static_cast<std::size_t>(P_.slots() + 1) * (R.R + 1) : 0, 0) {
    // The passes rest on weights that share each slot's cost, which only the projection keeps.
    if (!o.early && (o.reduction > 1 || o.propagate > 1) && o.projection != 0)
      reduction_ = std::make_unique<L1Reduction>(R, P_, o.reduction != 0 && o.reduction2 != 0);
    if (o.memory.rows > 0 && o.reinelt == 0) memory_ = std::make_unique<CutMemory>(R, P_, o.memory);
    // The change counters of terminal 2 serve only the report above verbosity 3.
    if (verbose > 3 && o.reinelt == 0 && P_.commodity(2)) changes_.assign(3 * static_cast<std::size_t>(P_.slots() + 1), 0);
    if (o.early) {
      lastStep_.assign(R.R + 1, 0);
      lastDistance_.assign(R.R + 1, 0);
      recompute_.assign(R.R + 1, 1);
      rotation_ = root;
    }
  }

  // False when the tables of the earlier form pass the memory budget (with a line).
  bool earlyTablesFit();
  void run();

private:
  // Step s's tree over the used slots; offered when it beats the best so far.
  void upperHeuristic(int s, bool markChoice);
  // The report, the single exclusions given back and the deleted edges squeezed out.
  void finishReductions(Weight bestLower);
  // Rule B: the deflected step of every component; false when the factor became too small.
  bool deflectedStep(int s, int reference);
  // Before a step of rule A: the non-zero components of terminal 2 counted by kind.
  void countChanges(int s, int reference);
  // The report of the change counters, made before the clean-up renumbers the slots.
  std::string changeReport();
  // The earlier form's relaxed value of step s: only the commodities marked are computed anew,
  // the others keep their last path (marked again with s) and distance; grown tells whether a
  // recomputed distance rose. False when a terminal cannot be reached.
  bool earlyBound(int s, Weight& L, bool& grown);
  // The earlier form's move in place of a subgradient step: the next terminal in rotation gets
  // every other commodity's weight above the rise of that commodity's potential.
  void earlyPropagate();
  Weight& potential(int k, int v) { return potential_[static_cast<std::size_t>(k) * (R_.V + 1) + v]; }
  signed char& previous(int slot, int k) { return previous_[static_cast<std::size_t>(slot) * (R_.R + 1) + k]; }
  bool factorTooSmall(int s, bool withFactor) {
    if (lambda_ * 2000 > 1) return false;
    if (withFactor) log(3) << lambda_;
    log(3) << "Faktor zu klein. " << s << "\n";
    return true;
  }

  ReduceGraph& R_;
  const Lgr1Options& o_;
  PathRelaxation P_;
  Weight F_;
  std::vector<signed char> previous_;
  IntArray tree_;
  double lambda_ = 0, lambda0_ = 0;
  int divisor_ = 1, noImprove_ = 0;
  Weight upperBest_ = maxint;  // with the contracted cost
  Weight upperCost_ = 0;       // the best tree's cost without it (U0)
  bool changed_ = false;       // a new lower or upper bound since the last pass
  std::unique_ptr<L1Reduction> reduction_;
  std::unique_ptr<CutMemory> memory_;
  std::vector<int> changes_;  // per slot: used by 2, not used with weight, not used without
  // The earlier form: per commodity the step and distance of its last path, whether it is to be
  // computed anew, and the potential of that path's search.
  std::vector<int> lastStep_;
  std::vector<Weight> lastDistance_, potential_;
  std::vector<unsigned char> recompute_;
  int propagationsLeft_ = 0, rotation_ = 0;
};

bool L1Ascent::earlyTablesFit() {
  const std::int64_t entries = std::int64_t{R_.R + 1} * (R_.V + 1);
  if (entries > maxPotentialEntries) {
    log(1) << "early l1 ascent refused: " << R_.R << " required vertices on " << R_.V
           << " vertices need more memory than allowed\n";
    return false;
  }
  potential_.assign(static_cast<std::size_t>(entries), 0);
  return true;
}

bool L1Ascent::earlyBound(int s, Weight& L, bool& grown) {
  L = o_.projection == 0 ? P_.selectBySlack(s) : 0;
  grown = false;
  for (int k = 1; k <= R_.R; ++k) {
    if (!P_.commodity(k)) continue;
    if (recompute_[k]) {
      log(4) << "neu: " << k << " ";
      Weight d = 0;
      if (!P_.shortestPath(k, s, d)) return false;
      if (lastStep_[k] != 0 && d > lastDistance_[k]) grown = true;
      lastDistance_[k] = d;
      P_.pathPotential(d, &potential(k, 0));
      recompute_[k] = 0;
    } else {
      // The weights moved off k since lie above its potential: its path and distance still hold.
      for (int a = 1; a <= P_.slots(); ++a)
        if (P_.mark(a, k) == lastStep_[k]) P_.mark(a, k) = s;
    }
    lastStep_[k] = s;
    L += lastDistance_[k];
  }
  return true;
}

void L1Ascent::earlyPropagate() {
  const ReduceGraph& R = R_;
  do rotation_ = rotation_ % R.R + 1;
  while (!P_.commodity(rotation_));
  const int j = rotation_;
  --propagationsLeft_;
  log(3) << propagationsLeft_ << ". " << j << "  ";
  P_.moveAbovePotentials(j, potential_.data(), static_cast<std::size_t>(R.V + 1));
  recompute_[j] = 1;
}

void L1Ascent::countChanges(int s, int reference) {
  if (changes_.empty()) return;
  for (int a = 1; a <= P_.slots(); ++a) {
    if (!P_.live(a)) continue;
    const bool used = P_.mark(a, 2) == s, chosen = P_.selected()[a] == reference;
    if (used == chosen) continue;
    const int kind = used ? 0 : P_.w(a, 2) != 0 ? 1 : 2;
    ++changes_[3 * static_cast<std::size_t>(a) + kind];
  }
}

std::string L1Ascent::changeReport() {
  const ReduceGraph& R = R_;
  std::ostringstream out;
  out << "Anzahl der Aenderungen:\n";
  // One column per terminal, at least the three of terminal 2.
  const int columns = std::max(R.R, 3);
  for (int a = 1; a <= P_.slots(); ++a) {
    if (!P_.live(a)) continue;
    out << "(" << R.arcs[a].tail << "-" << R.arcs[a].head << ")" << (R.upperOk && R.inTree[R.ID[a]] ? "*" : "");
    std::int64_t sum = 0;
    for (int c = 0; c < columns; ++c) {
      const int count = c < 3 && !changes_.empty() ? changes_[3 * static_cast<std::size_t>(a) + c] : 0;
      sum += count;
      out << count << " ";
    }
    out << "S:" << sum << "\n";
  }
  return out.str();
}

void L1Ascent::upperHeuristic(int s, bool markChoice) {
  ReduceGraph& R = R_;
  const Weight cost = P_.usedSlotTree(s, tree_);
  if (cost < 0) return;
  if (markChoice)
    for (int i = 1; i <= tree_[0]; ++i) P_.selected()[tree_[i]] = s;
  const Weight value = cost + R.contractCost;
  if (value >= upperBest_) {
    log(4) << " Upper: " << value;
    return;
  }
  upperBest_ = value;
  log(3) << " Upper(" << s << ") : " << upperBest_ << "\n";
  upperCost_ = std::min(upperCost_, cost);
  // Compared in 64 bits before anything narrows it. With the passes a tree of the stored value
  // does not replace the stored one: the passes may have cut off other trees of that value.
  if (upperBest_ > R.upperValue || (reduction_ && R.upperOk && upperBest_ == R.upperValue)) return;
  if (reduction_) reduction_->suspend();
  R.setUpper(tree_, "Lagrange Heuristik", 1);
  // The flags follow the tree that is stored now, which the combination may have changed.
  P_.clearTreeSlots();
  if (R.upperOk) P_.findTreeSlots();
  if (reduction_) reduction_->resume();
  if (R.upperOk) upperCost_ = std::min(upperCost_, Weight{R.upperValue} - R.contractCost);
  if (o_.fixToTree == 2)
    for (int a = 1; a <= P_.slots(); ++a) P_.selected()[a] = P_.treeSlot(a) ? 1 : 0;
  changed_ = true;
}

void L1Ascent::finishReductions(Weight bestLower) {
  ReduceGraph& R = R_;
  log(3) << "Rest: " << upperCost_ - ceilDiv(bestLower, F_) << ", upperOK: " << R.upperOk << "\n";
  if (reduction_) reduction_->liftSingleExclusions();
  log(3) << "DeletedE: " << (reduction_ ? reduction_->deletedEdges() : 0)
         << ", DeletedE2: " << (reduction_ ? reduction_->deletedBySum() : 0)
         << ", DeletedE2new: " << (reduction_ ? reduction_->deletedBySumAndTerm() : 0)
         << ", DeletedV: " << (reduction_ ? reduction_->deletedVertices() : 0) << "\n";
  R.compactEdges(nullptr);
  R.deleteUnreachable();
}

bool L1Ascent::deflectedStep(int s, int reference) {
  Weight T = std::llround(std::clamp(static_cast<double>(F_) * lambda_, -1e12, 1e12));
  if (T == 0) T = 1;
  const int nR = R_.R;
  for (int a = 1; a <= P_.slots(); ++a) {
    if (!P_.live(a)) continue;
    const int x = P_.selected()[a] == reference ? 1 : 0;
    for (int k = 1; k <= nR; ++k) {
      if (!P_.commodity(k)) continue;
      const int g = (P_.mark(a, k) == s ? 1 : 0) - x;
      const int before = previous(a, k);
      previous(a, k) = static_cast<signed char>(g);
      Weight next = Weight{P_.w(a, k)} + ((o_.sia * g + (10 - o_.sia) * before) * T) / 10;
      if (o_.projection == 0) next = std::max<Weight>(0, next);
      P_.w(a, k) = clampToInt(next);
    }
  }
  log(4) << "t: " << T << ", f: " << lambda_;
  if (o_.reinelt > 0) {
    lambda_ *= o_.reinelt;
  } else if (o_.reinelt == -1.0) {
    lambda_ = lambda0_ / s;
  } else {
    lambda_ = lambda0_ / divisor_;
    const int every = static_cast<int>(std::lround(-o_.reinelt));
    if (noImprove_ != 0 && every != 0 && noImprove_ % every == 0) {
      log(3) << "-- Step --\n";
      ++divisor_;
    }
  }
  return !factorTooSmall(s, true);
}

void L1Ascent::run() {
  ReduceGraph& R = R_;
  bool fixToTree = o_.fixToTree != 0;
  if (fixToTree && !R.upperOk) {
    log(3) << "l1X=0! (!upperOk)\n";
    fixToTree = false;
  }
  const int fixOption = fixToTree ? o_.fixToTree : 0;
  if (((fixToTree && o_.projection) || o_.reduction) && R.upperOk) P_.findTreeSlots();
  if (o_.ascent != 0 && !P_.ascentStart(true)) {
    R.markDisconnected();
    return;
  }
  if (o_.ascent == 0) P_.evenStart();

  int treeVertices = 0;
  for (int v = 1; v <= R.V; ++v)
    if (R.treeDegree[v] != 0) ++treeVertices;
  log(3) << "Upper: " << R.upperValue << "(" << treeVertices - 1 << ")\n";
  const bool fixed = fixToTree && o_.projection;
  if (fixed) {
    for (int a = 1; a <= P_.slots(); ++a) P_.selected()[a] = P_.treeSlot(a) ? 1 : 0;
    upperBest_ = R.upperValue;
  }
  upperCost_ = Weight{R.upperValue} - R.contractCost;
  lambda_ = lambda0_ = o_.start;

  Weight bestLower = 0;
  for (std::int64_t s64 = 1; s64 <= o_.iterations; ++s64) {
    const int s = static_cast<int>(std::min<std::int64_t>(s64, INT_MAX));
    const int reference = fixed ? 1 : s;
    P_.logWeights();
    Weight L = 0;
    bool grown = false;
    if (o_.early ? !earlyBound(s, L, grown) : !P_.stepBound(s, L)) {
      // A terminal the root cannot reach: the instance holds no tree (better than the bound).
      if (reduction_) reduction_->liftSingleExclusions();
      R.markDisconnected();
      return;
    }
    log(4) << "Weight : " << P_.real(L) << "\n";
    if (grown) propagationsLeft_ = o_.propMax;
    const bool heuristic = fixOption == 0 || (fixOption > 1 && s % fixOption == 1);
    if (heuristic) upperHeuristic(s, o_.projection != 0 && fixOption == 0);

    if (s64 > o_.delay) {
      if (L > bestLower) {
        log(3) << "Lower (" << s << ") : " << P_.real(L) << "\n";
        if (ceilDiv(L, F_) > ceilDiv(bestLower, F_)) {
          changed_ = true;
          R.setLower(clampToInt(ceilDiv(L, F_) + R.contractCost), 0);
        }
        bestLower = L;
        noImprove_ = 0;
        if (o_.early) propagationsLeft_ = o_.propMax;
        const bool reachedBreak = o_.breakAt > 0 && L > F_ * (o_.breakAt - Weight{1});
        const bool reachedUpper = o_.breakAt != 0 && L > F_ * (upperCost_ - 1);
        if (reachedBreak || reachedUpper) {
          log(2) << "\nLower==Upper !\n\n";
          // setLower has marked the bounds met when they are; a limit of the caller's claims nothing.
          break;
        }
      } else {
        log(3) << "Lower : " << P_.real(L) << "\n";
        ++noImprove_;
      }
    }

    bool propagated = false;
    if (reduction_ && ((o_.reduction > 1 && (changed_ || s % o_.reduction == 3)) || o_.propagate > 1)) {
      if (runTimer.elapsedTime() > o_.maxSec) break;
      changed_ = false;
      L1Reduction::Settings settings;
      settings.delay = o_.delay;
      settings.predecessorFirst = o_.predecessorFirst != 0;
      settings.tests = o_.reduction != 0;
      settings.propagate = o_.propagate;
      propagated = reduction_->pass(upperCost_, L, s, settings);
      if (R.upperOpt == -1) break;
    }

    if (o_.early && !propagated && propagationsLeft_ > 0) {
      earlyPropagate();
      propagated = true;
    } else if (o_.early) {
      // The step moves every commodity's weights.
      std::fill(recompute_.begin(), recompute_.end(), 1);
    }
    if (propagated) {
      // The propagation stands in for this step's move.
    } else if (o_.reinelt == 0) {
      Weight GG = 0, GGadjust = 0;
      P_.countSubgradient(reference, s, o_.adjustGG != 0, GG, GGadjust);
      if (GG == 0 || GG == GGadjust) {
        log(3) << "Keine Verbesserung moeglich...\n";
        break;
      }
      // Weights read back from the LP solution end the step.
      if (memory_ && memory_->step(s, reference, L, GG, upperCost_)) continue;
      Weight T = 0;
      if (memory_ && o_.memory.adjustT > 0 && memory_->estimate() != 0 && memory_->held() >= 101) {
        T = static_cast<Weight>(static_cast<double>(memory_->estimate()) * o_.memory.adjustT);
        log(3) << "adjustt: " << T << "=" << static_cast<double>(T) / static_cast<double>(F_);
      } else {
        const double target =
            static_cast<double>(upperCost_) * o_.uFaktor - static_cast<double>(L) / static_cast<double>(F_);
        T = std::llround(
            std::clamp(target * lambda_ / static_cast<double>(GG - GGadjust) * static_cast<double>(F_), -1e12, 1e12));
        if (T == 0) T = 1;
        if (memory_ && o_.memory.adjustT < 0 && memory_->estimate() < T) {
          log(3) << "adjust!";
          T = memory_->estimate();
        }
        log(3) << "t: " << T << "=" << static_cast<double>(T) / static_cast<double>(F_) << "GG" << ":" << GG << ", "
               << "GGadjust" << ":" << GGadjust << ", " << "f" << ":" << lambda_ << ", ";
      }
      countChanges(s, reference);
      P_.applyStep(reference, s, T);
    } else {
      if (!deflectedStep(s, reference)) break;
      if (o_.projection != 0)
        for (int a = 1; a <= P_.slots(); ++a)
          if (P_.live(a)) P_.project(a);
    }
    if (noImprove_ > o_.half) {
      log(3) << "--- 1/2 ---\n";
      noImprove_ = 0;
      lambda_ = static_cast<float>(lambda_ / 2);
      lambda0_ /= 2;
      if (factorTooSmall(s, false)) break;
    }
  }
  log(1) << "\nLower : " << P_.real(bestLower) << ", Upper : " << upperBest_ << "\n";
  R.setLower(clampToInt(ceilDiv(bestLower, F_) + R.contractCost), 0);
  if (shell.Iget("printR", 0) != 0) {
    for (int a = 1; a <= P_.slots(); ++a) {
      if (!P_.live(a)) continue;
      Weight reduced = Weight{R.arcs[a].cost} * F_;
      for (int k = 1; k <= R.R; ++k)
        if (P_.commodity(k)) reduced -= P_.w(a, k);
      log(3) << R.arcs[a] << (P_.treeSlot(a) ? "UP" : "  ") << "R: " << static_cast<double>(reduced) / static_cast<double>(F_)
             << "\t";
    }
    log(3) << "\n";
  }
  // The counters are indexed by slot, which the clean-up renumbers.
  const std::string changes = verbose > 3 && o_.reinelt == 0 ? changeReport() : std::string();
  if (o_.reduction != 0) finishReductions(bestLower);
  log(4) << changes;
}

}  // namespace

void lgr1a(ReduceGraph& R) {
  shell.echoLevel = 3;
  const Lgr1Options options(R, false);
  shell.echoLevel = 0;
  const int root = PathRelaxation::startAscent(R, options.root, "l1 Lagrangian ascent");
  if (root == 0) return;
  L1Ascent(R, options, root).run();
}

void lgr1aEarly(ReduceGraph& R) {
  shell.echoLevel = 3;
  const Lgr1Options options(R, true);
  shell.echoLevel = 0;
  const int root = PathRelaxation::startAscent(R, options.root, "early l1 ascent");
  if (root == 0) return;
  L1Ascent ascent(R, options, root);
  if (ascent.earlyTablesFit()) ascent.run();
}

}  // namespace tesmo
