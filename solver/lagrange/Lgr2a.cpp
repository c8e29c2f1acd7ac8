#include "Lgr2a.h"

#include "LogStream.h"
#include "PathRelaxation.h"
#include "Scaled.h"
#include "Shell.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

using Weight = std::int64_t;


struct Lgr2Options {
  int iterations, delay, breakAt, root, reduction;
  Weight faktor;
  double start;
  int ascent, ascentStart, remained, postAscent, fixToTree, projection, lockReq, memory, maxGG, adjustGG, half;
  double uFaktor;

  explicit Lgr2Options(const ReduceGraph& R) {
    iterations = shell.Iget("l1Iter", maxint);
    delay = shell.Iget("l1Delay", 0);
    breakAt = shell.Iget("l1Break", 0);
    root = shell.Iget("root", 1);
    reduction = shell.Iget("l1Reduction", 0);
    faktor = std::max(1, shell.Iget("l1Faktor", std::max(1, 160000000 / std::max(1, R.upperValue))));
    start = shell.Fget("l1Start", 2.0);
    ascent = shell.Iget("l1Ascent", 0);
    ascentStart = shell.Iget("l1ASCENT", 0);
    remained = shell.Iget("l1Remained", R.R - 1);
    postAscent = shell.Iget("l1PostAscent", 0);
    fixToTree = shell.Iget("l1X", 0);
    projection = shell.Iget("l1Projection", 1);
    lockReq = shell.Iget("l1LockReq", 0);
    memory = shell.Iget("l1Memory", 0);
    maxGG = shell.Iget("l1MaxGG", 600);
    adjustGG = shell.Iget("l1AdjustGG", 0);
    half = shell.Iget("l1Half", 20);
    uFaktor = shell.Fget("l1UFaktor", 1.1);
  }
};

// The memory rows against the weights at hand and the saved ones: the bad rows (their saved sum
// below their stored one), the misses (the same for the weights at hand) and the cutting-plane
// approximation of the bound; then the subgradient at hand is kept when it is short and new.
// The rows change no weight.
void reviewMemory(PathRelaxation& P, SubgradientMemory& memory, int m, int it, Weight GG, Weight bound,
                  int& missIterations) {
  int bad = 0, misses = 0, best = 0;
  Weight approximation = bound;
  for (int r = 1; r <= memory.position(); ++r) {
    const Weight current = P.weightedSum(memory.pairs(r), memory.length(r), false);
    const Weight savedSum = P.weightedSum(memory.pairs(r), memory.length(r), true);
    if (savedSum < memory.sum(r)) {
      log(4) << "weight0" << ":" << memory.bound(r) << ", " << "SUM" << ":" << savedSum << ", " << "sum" << ":"
             << current << ", " << "sum0" << ":" << memory.sum(r) << ", ";
      ++bad;
    }
    if (current < memory.sum(r)) {
      ++misses;
      log(3) << "|" << r << "|";
    }
    const Weight value = current - memory.sum(r) + memory.bound(r);
    if (best == 0 || value < approximation) best = r, approximation = value;
  }
  log(3) << "\n bad Ascent" << bad << "\n ";
  log(3) << "Aprox: (" << best << ") " << P.real(approximation) << "  " << P.real(bound);
  log(3) << "Miss: " << missIterations << "  " << misses << "/" << memory.position() << "\n";
  if (misses > 0) ++missIterations;
  if (GG < memory.maxGG()) {
    const int n = P.subgradientPairs(m, it, memory.candidate());
    if (!memory.holds(n)) memory.store(n, P.weightedSum(memory.candidate(), n, false), bound);
  }
}

// The options of the ascent loop; the path relaxation itself takes the scale, the root, the
// projection and the locks.
void runSecondAscent(ReduceGraph& R, const Lgr2Options& o, int root) {
  PathRelaxation P(R, o.faktor, root, o.projection, o.lockReq);
  const Weight F = P.faktor();
  bool fixToTree = o.fixToTree != 0;
  if (fixToTree && !R.upperOk) {
    log(3) << "l1X=0! (!upperOk)\n";
    fixToTree = false;
  }
  if (((fixToTree && o.projection) || o.reduction) && R.upperOk) P.findTreeSlots();
  SubgradientMemory memory(o.memory, o.maxGG);
  if (memory.refused())
    log(1) << "l1Memory refused: " << o.memory << " rows of " << o.maxGG << " components need more memory than allowed\n";
  if (memory.enabled() || o.postAscent != 0) P.keepSavedWeights();
  const bool fromAscent = o.ascent != 0 && o.ascentStart != 0;
  if (o.ascent != 0 && !P.ascentStart(fromAscent)) {
    R.markDisconnected();
    return;
  }
  if (!fromAscent) P.evenStart();

  int treeVertices = 0;
  for (int v = 1; v <= R.V; ++v)
    if (R.treeDegree[v] != 0) ++treeVertices;
  log(3) << "Upper: " << R.upperValue << "(" << treeVertices - 1 << ")\n";
  const bool fixed = fixToTree && o.projection;
  const int printedUpper = fixed ? R.upperValue : maxint;
  if (fixed)
    for (int s = 1; s <= P.slots(); ++s) P.selected()[s] = P.treeSlot(s) ? 1 : 0;

  double f = o.start;
  Weight bestLower = 0;
  int noImprove = 0, missIterations = 0;
  const Weight upperScaled = R.upperValue < maxint ? (Weight{R.upperValue} - R.contractCost) * F : -1;
  for (std::int64_t it64 = 1; it64 <= o.iterations; ++it64) {
    const int it = static_cast<int>(std::min<std::int64_t>(it64, INT_MAX));
    const int m = fixed ? 1 : it;
    P.logWeights();
    Weight bound = 0;
    if (!P.stepBound(it, bound)) {
      // A terminal the root cannot reach: the instance holds no tree.
      R.markDisconnected();
      return;
    }
    log(4) << "Weight : " << P.real(bound) << "\n";

    if (it64 > o.delay) {
      if (bound > bestLower) {
        log(3) << "Lower (" << it << ") : " << P.real(bound) << "\n";
        if (ceilDiv(bound, F) > ceilDiv(bestLower, F)) R.setLower(clampToInt(ceilDiv(bound, F) + R.contractCost), 0);
        bestLower = bound;
        noImprove = 0;
        const bool reachedBreak = o.breakAt > 0 && bound > F * o.breakAt - F;
        const bool reachedUpper = o.breakAt != 0 && upperScaled >= 0 && bound > upperScaled - F;
        if (reachedBreak || reachedUpper) {
          log(2) << "\nLower==Upper !\n\n";
          // Only a bound that met the upper bound proves the stored tree optimal (setLower has
          // marked that); a limit of the caller's own ends the run and claims nothing.
          break;
        }
      } else {
        ++noImprove;
      }
    }

    Weight GG = 0, GGadjust = 0;
    P.countSubgradient(m, it, o.adjustGG != 0, GG, GGadjust);
    if (GG == 0 || GG == GGadjust) {
      log(3) << "Keine Verbesserung moeglich...\n";
      break;
    }
    if (memory.enabled()) reviewMemory(P, memory, m, it, GG, bound, missIterations);
    const double target = static_cast<double>(R.upperValue - R.contractCost) * o.uFaktor -
                          static_cast<double>(bound) / static_cast<double>(F);
    Weight T = std::llround(
        std::clamp(target * f / static_cast<double>(GG - GGadjust) * static_cast<double>(F), -1e12, 1e12));
    if (T == 0) T = 1;
    log(3) << "t: " << T << "=" << static_cast<double>(T) / static_cast<double>(F) << "GG" << ":" << GG << ", "
           << "GGadjust" << ":" << GGadjust << ", " << "f" << ":" << f << ", ";
    P.applyStep(m, it, T);
    if (noImprove > o.half) {
      log(3) << "--- 1/2 ---\n";
      f = static_cast<float>(f / 2);
      noImprove = 0;
      if (f * 2000 <= 1) {
        log(3) << "Faktor zu klein. " << it << "\n";
        break;
      }
    }
  }
  log(1) << "\nLower : " << P.real(bestLower) << ", Upper : " << printedUpper << "\n";
  R.setLower(clampToInt(ceilDiv(bestLower, F) + R.contractCost), 0);
  if (o.postAscent != 0 && !P.closingAscent(memory, o.remained)) R.markDisconnected();
}

}  // namespace

void lgr2a(ReduceGraph& R) {
  shell.echoLevel = 3;
  const Lgr2Options options(R);
  shell.echoLevel = 0;
  const int root = PathRelaxation::startAscent(R, options.root, "second Lagrangian ascent");
  if (root == 0) return;
  runSecondAscent(R, options, root);
}

}  // namespace tesmo
