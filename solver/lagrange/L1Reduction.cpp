#include "L1Reduction.h"

#include "DisplayHooks.h"
#include "EdgeDeletion.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <climits>

namespace tesmo {

namespace {
constexpr std::int64_t far = std::int64_t{1} << 60;

// A label difference kept in an int: -1 for no label, large values cut down (which only weakens
// the term that reads it).
int heldRise(std::int64_t from, std::int64_t explained) {
  if (from >= far || explained >= far) return -1;
  return static_cast<int>(std::clamp<std::int64_t>(from - explained, 0, INT_MAX));
}
}  // namespace

L1Reduction::L1Reduction(ReduceGraph& R, PathRelaxation& P, bool secondTerm)
    : R_(R), P_(P), width_(R.R + 1), reduced_(static_cast<std::size_t>(2 * R.E + 1) * (R.R + 1), 0),
      D_(R.R + 1, 0), sum_(2 * R.E + 1, 0), firstTest_(2 * R.E + 1, 0), fromRoot_(R.V + 1, far),
      toTerminal_(R.V + 1, far), a_(R.V + 1, far), b_(R.V + 1, far), pot_(R.V + 1, far), q_(R.V + 1, far),
      settled_(R.V + 1, 0), probeReached_(R.V + 1, 0), next_(far) {
  heap_.reserve(static_cast<std::size_t>(2 * R.E) + R.V + 1);
  if (!secondTerm) return;
  const std::int64_t entries = 2 * std::int64_t{R.R + 1} * (R.V + 1);
  if (entries > maxTermEntries) {
    log(1) << "l1Reduction2 refused: " << R.R << " required vertices on " << R.V
           << " vertices need more memory than allowed\n";
    return;
  }
  rise_.assign(static_cast<std::size_t>(R.R + 1) * (R.V + 1), -1);
  riseBack_.assign(rise_.size(), -1);
}

bool L1Reduction::weightsSound() {
  for (int a = 1; a <= P_.slots(); ++a) {
    if (!P_.live(a)) continue;
    Weight total = 0;
    for (int k = 1; k <= R_.R; ++k) {
      if (!P_.commodity(k)) continue;
      if (P_.w(a, k) < 0) return false;
      total += P_.w(a, k);
    }
    if (total > P_.scaledCost(a)) return false;
  }
  return true;
}

template <class Length>
void L1Reduction::search(std::vector<Weight>& dist, bool forward, Length length) {
  const ReduceGraph& R = R_;
  heap_.clear();
  std::fill(settled_.begin(), settled_.end(), 0);
  for (int v = 1; v <= R.V; ++v)
    if (dist[v] == 0) heap_.push(0, v);
  while (!heap_.empty()) {
    const auto [d, u] = heap_.pop();
    if (settled_[u] || d != dist[u]) continue;
    settled_[u] = 1;
    const int end = R.firstArc[u] + R.degree[u];
    for (int s = R.firstArc[u]; s < end; ++s) {
      // Forward along s = u->v; backward along its partner v->u.
      const int a = forward ? s : R.partner[s];
      if (R.delE[a]) continue;
      const int v = R.arcs[s].head;
      const Weight through = d + length(a);
      if (settled_[v] || through >= dist[v]) continue;
      dist[v] = through;
      heap_.push(through, v);
    }
  }
}

bool L1Reduction::potential(int k, bool predecessorFirst, std::vector<Weight>& pot) {
  // Labels max(d(u), D - B(v)): never below what v still needs to reach t_k, and at t_k exactly
  // D. The reduced cost of v->u, set when u settles, is its weight less the label's rise.
  const ReduceGraph& R = R_;
  const int root = P_.rootVertex(), target = R.terminals[k];
  const Weight D = D_[k];
  for (int v = 1; v <= R.V; ++v) pot[v] = far;
  std::fill(settled_.begin(), settled_.end(), 0);
  heap_.clear();
  pot[root] = 0;
  heap_.push(0, root);
  bool sound = true;
  auto setReduced = [&](int u, int s) {
    const int in = R.partner[s];
    if (R.delE[in]) return;
    const int v = R.arcs[s].head;
    const Weight rise = pot[v] >= far ? 0 : std::max<Weight>(0, pot[u] - pot[v]);
    // A rise above the weight would make the reduced cost negative: nothing is excluded then.
    if (rise > P_.w(in, k)) sound = false;
    r(in, k) = static_cast<int>(P_.w(in, k) - std::min<Weight>(rise, P_.w(in, k)));
  };
  while (!heap_.empty()) {
    const auto [d, u] = heap_.pop();
    if (settled_[u] || d != pot[u]) continue;
    settled_[u] = 1;
    const int end = R.firstArc[u] + R.degree[u];
    for (int s = R.firstArc[u]; s < end; ++s) {
      if (predecessorFirst) setReduced(u, s);
      const int v = R.arcs[s].head;
      if (!R.delE[s] && u != target && !settled_[v]) {
        const Weight need = b_[v] >= far ? 0 : std::max<Weight>(0, D - d - b_[v]);
        const Weight through = d + need;
        if (through < pot[v]) {
          pot[v] = through;
          heap_.push(through, v);
        }
      }
      if (!predecessorFirst) setReduced(u, s);
    }
  }
  return sound;
}

void L1Reduction::addFirstTest(int k) {
  // Per slot a = u->v: commodity k's path through a, or a paid beside its path together with the
  // slots that then enter u and leave v (or its path through u or v, capped by the path through a).
  const ReduceGraph& R = R_;
  const int root = P_.rootVertex();
  const Weight D = D_[k];
  for (int a = 1; a <= P_.slots(); ++a) {
    if (!P_.live(a)) continue;
    const int u = R.arcs[a].tail, v = R.arcs[a].head;
    const Weight c = P_.w(a, k);
    if (a_[u] >= far || b_[v] >= far) {
      firstTest_[a] += c;
      continue;
    }
    Weight delta = a_[u] + c + b_[v] - D;
    Weight tau = std::min(c, delta);
    if (delta > c) {
      Weight rest = delta - c;
      const Weight e1 = a_[u] + b_[u] - D;
      if (rest != 0 && e1 != 0 && u != root) {
        Weight m = std::min(rest, e1);
        const int end = R.firstArc[u] + R.degree[u];
        for (int s = R.firstArc[u]; s < end; ++s) {
          const int in = R.partner[s];
          if (!R.delE[in] && R.arcs[in].tail != v) m = std::min<Weight>(m, P_.w(in, k));
        }
        tau += m;
        rest -= m;
      }
      const Weight e2 = a_[v] + b_[v] - D;
      if (e2 != 0 && rest != 0 && R.isReq[v] == 0) {
        Weight m = std::min(rest, e2);
        const int end = R.firstArc[v] + R.degree[v];
        for (int s = R.firstArc[v]; s < end; ++s)
          if (!R.delE[s] && R.arcs[s].head != u) m = std::min<Weight>(m, P_.w(s, k));
        tau += m;
      }
    }
    firstTest_[a] += tau;
  }
}

bool L1Reduction::exclude(int a) {
  ReduceGraph& R = R_;
  if (R.delE[R.partner[a]]) {
    deleteEdgeLazily(R, a);
    ++deletedEdges_;
    log(3) << "delE";
    return true;
  }
  R.delE[a] = 1;
  excluded_.push_back(a);
  log(3) << "\xBE";
  return false;
}

void L1Reduction::liftAt(int v) {
  ReduceGraph& R = R_;
  const int end = R.firstArc[v] + R.degree[v];
  for (int s = R.firstArc[v]; s < end; ++s)
    if (R.delE[s] != R.delE[R.partner[s]]) R.delE[s] = R.delE[R.partner[s]] = 0;
}

void L1Reduction::liftSingleExclusions() {
  ReduceGraph& R = R_;
  for (int a : excluded_)
    if (R.delE[a] && !R.delE[R.partner[a]]) R.delE[a] = 0;
  excluded_.clear();
}

void L1Reduction::suspend() {
  ReduceGraph& R = R_;
  suspended_.clear();
  for (int a : excluded_)
    if (R.delE[a] && !R.delE[R.partner[a]]) {
      R.delE[a] = 0;
      suspended_.push_back(a);
    }
}

void L1Reduction::resume() {
  for (int a : suspended_) R_.delE[a] = 1;
  suspended_.clear();
}

bool L1Reduction::pass(Weight best, Weight bound, int step, const Settings& settings) {
  ReduceGraph& R = R_;
  const Weight F = P_.faktor();
  if (next_ <= best * F - bound && settings.propagate == 0) {
    log(3) << "NR";
    return false;
  }
  log(3) << "Rest: " << static_cast<double>(best * F - bound) / static_cast<double>(F) << "\n";
  if (!weightsSound()) return false;
  const int root = P_.rootVertex();
  const bool firstTest = settings.tests && shell.Iget("oldReduction", 1) != 0;
  const bool term = settings.tests && secondTerm();
  const int probe = P_.commodity(1) ? 1 : 2;
  std::fill(firstTest_.begin(), firstTest_.end(), 0);
  // Per commodity: A from the root, B to its terminal, then the potential and reduced costs;
  // the bound is taken again from these labels, so that the tests rest on them alone.
  Weight labelled = 0;
  for (int k = 1; k <= R.R; ++k) {
    if (!P_.commodity(k)) continue;
    log(6) << "\nk: " << k << "\n";
    auto weight = [&](int a) { return Weight{P_.w(a, k)}; };
    for (int v = 1; v <= R.V; ++v) a_[v] = b_[v] = far;
    a_[root] = 0;
    search(a_, true, weight);
    b_[R.terminals[k]] = 0;
    search(b_, false, weight);
    if (b_[root] >= far) return false;  // cut off: the ascent itself reports it
    D_[k] = b_[root];
    labelled += D_[k];
    if (k == probe)
      for (int v = 1; v <= R.V; ++v) probeReached_[v] = a_[v] < far;
    if (firstTest) addFirstTest(k);
    for (int a = 1; a <= P_.slots(); ++a) r(a, k) = P_.w(a, k);
    if (!potential(k, settings.predecessorFirst, pot_)) return false;
    if (!term) continue;
    // Q: to the terminal under the rises alone (weight less reduced cost).
    for (int v = 1; v <= R.V; ++v) q_[v] = far;
    q_[R.terminals[k]] = 0;
    search(q_, false, [&](int a) { return Weight{P_.w(a, k)} - r(a, k); });
    for (int v = 1; v <= R.V; ++v) {
      riseFromRoot(k, v) = heldRise(a_[v], pot_[v]);
      riseToTerminal(k, v) = heldRise(b_[v], q_[v]);
    }
  }
  const Weight gap = best * F - labelled;
  for (int a = 1; a <= P_.slots(); ++a) {
    sum_[a] = 0;
    if (!P_.live(a)) continue;
    for (int k = 1; k <= R.R; ++k)
      if (P_.commodity(k)) sum_[a] += r(a, k);
  }
  for (int v = 1; v <= R.V; ++v) fromRoot_[v] = toTerminal_[v] = far;
  fromRoot_[root] = 0;
  search(fromRoot_, true, [&](int a) { return sum_[a]; });
  for (int k = 1; k <= R.R; ++k)
    if (P_.commodity(k)) toTerminal_[R.terminals[k]] = 0;
  search(toTerminal_, false, [&](int a) { return sum_[a]; });

  if (settings.tests) testAndExclude(gap, step, settings.delay, firstTest);
  const bool propagating = settings.propagate >= 3 || (settings.propagate != 0 && step > settings.delay);
  return propagating && propagate();
}

bool L1Reduction::propagate() {
  const ReduceGraph& R = R_;
  const Weight F = P_.faktor();
  const int root = P_.rootVertex();
  int best = 0, successes = 0;
  Weight bestGain = -1, sum = 0;
  for (int k = 1; k <= R.R; ++k) {
    if (!P_.commodity(k)) continue;
    for (int v = 1; v <= R.V; ++v) pot_[v] = far;
    pot_[root] = 0;
    search(pot_, true, [&](int a) { return Weight{P_.w(a, k)} + sum_[a]; });
    const Weight gain = pot_[R.terminals[k]] - D_[k];
    if (gain > bestGain) bestGain = gain, best = k;
    if (gain > 0) {
      log(4) << "s:" << static_cast<double>(gain) / static_cast<double>(F);
      ++successes;
      sum += gain;
    }
  }
  log(3) << "Propagate-Successes: " << successes << " sum: " << static_cast<double>(sum) / static_cast<double>(F) << "\n";
  if (best == 0) return false;
  log(3) << "Best: " << best << ", success: " << static_cast<double>(bestGain) / static_cast<double>(F) << "\n";
  Weight moved = 0;
  for (int a = 1; a <= P_.slots(); ++a) {
    if (!P_.live(a) || sum_[a] == 0) continue;
    for (int k = 1; k <= R.R && sum_[a] != 0; ++k) {
      if (!P_.commodity(k) || k == best || r(a, k) == 0) continue;
      // r <= w: the weight moved leaves k's weight at the rise of its potential, >= 0.
      const int part = r(a, k);
      P_.w(a, k) -= part;
      P_.w(a, best) += part;
      sum_[a] -= part;
      r(a, k) = 0;
      moved += part;
    }
  }
  log(3) << "Propagating " << static_cast<double>(moved) / static_cast<double>(F) << " to " << best << "\n";
  return moved != 0;
}

L1Reduction::Weight L1Reduction::secondTermOf(int a) {
  // Per commodity k the rise of a (its weight less its reduced cost) is paid by every tree
  // whose path to t_k avoids a; a path through a = u->v instead pays what its potential leaves
  // unexplained before u and after v, beyond what the summed reduced costs already count there.
  const ReduceGraph& R = R_;
  const int u = R.arcs[a].tail, v = R.arcs[a].head;
  Weight term = 0;
  for (int k = 1; k <= R.R; ++k) {
    if (!P_.commodity(k)) continue;
    const Weight rise = Weight{P_.w(a, k)} - r(a, k);
    const int before = riseFromRoot(k, u), after = riseToTerminal(k, v);
    if (before < 0 || after < 0) {
      term += rise;  // no path of k runs through a
      continue;
    }
    const Weight p = std::max<Weight>(0, before - fromRoot_[u]);
    const Weight q = std::max<Weight>(0, after - toTerminal_[v]);
    term += std::max<Weight>(0, std::min(rise, p + q));
  }
  return term;
}

void L1Reduction::testAndExclude(Weight gap, int step, int delay, bool firstTest) {
  ReduceGraph& R = R_;
  const Weight F = P_.faktor();
  // A tree no better than the best known one may go; the stored one (of that cost) is kept by
  // never testing its vertices and its slots pointing away from the root.
  const Weight limit = R.upperOk ? gap - F : gap;
  Weight next = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0 || !R.hasLiveSlot(v)) continue;
    const Weight through = fromRoot_[v] >= far || toTerminal_[v] >= far ? far : fromRoot_[v] + toTerminal_[v];
    if (!probeReached_[v] || (through > limit && (!R.upperOk || R.treeDegree[v] == 0))) {
      log(3) << "delV";
      liftAt(v);
      R.markVertexDeleted(v);
      ++deletedVertices_;
    } else {
      next = std::max(next, through);
    }
  }
  // The sums of the finite test values, for the report.
  double first = 0, second = 0, withTerm = 0;
  for (int a = 1; a <= P_.slots(); ++a) {
    if (!P_.live(a) || (R.upperOk && P_.treeSlot(a))) continue;
    const int u = R.arcs[a].tail, v = R.arcs[a].head;
    const Weight test1 = firstTest ? firstTest_[a] : 0;
    const Weight test2 = fromRoot_[u] >= far || toTerminal_[v] >= far ? far : sum_[a] + fromRoot_[u] + toTerminal_[v];
    const Weight test2Term = test2 < far && secondTerm() ? test2 + secondTermOf(a) : test2;
    if (test1 < far) first += static_cast<double>(test1);
    if (test2 < far) second += static_cast<double>(test2), withTerm += static_cast<double>(test2Term);
    const Weight value = std::max(test1, test2Term);
    if (value > limit) {
      if (exclude(a)) {
        if (test2Term > limit) ++deletedBySumAndTerm_;
        if (test2 > limit) ++deletedBySum_;
      }
    } else {
      next = std::max(next, value);
    }
  }
  if (displayActive()) display(R);
  if (R.upperOk) next += F;
  next_ = step < delay ? far : next;
  const double f = static_cast<double>(F);
  log(3) << "\nSnew: " << second / f << " Sold: " << first / f << "Snew2: " << withTerm / f << " Sold2: " << 0 << "\n";
  log(3) << "next: " << static_cast<double>(next_) / f << "\n";
}

}  // namespace tesmo
