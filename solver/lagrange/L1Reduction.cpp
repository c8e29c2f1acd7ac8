#include "L1Reduction.h"

#include "EdgeDeletion.h"
#include "LogStream.h"

#include <algorithm>

namespace tesmo {

namespace {
constexpr std::int64_t far = std::int64_t{1} << 60;
}

L1Reduction::L1Reduction(ReduceGraph& R, PathRelaxation& P)
    : R_(R), P_(P), width_(R.R + 1), reduced_(static_cast<std::size_t>(2 * R.E + 1) * (R.R + 1), 0),
      sum_(2 * R.E + 1, 0), fromRoot_(R.V + 1, far), toTerminal_(R.V + 1, far), dist_(R.V + 1, far),
      settled_(R.V + 1, 0), next_(far) {
  for (auto& table : label_) table.assign(static_cast<std::size_t>(R.R + 1) * (R.V + 1), far);
  heap_.reserve(static_cast<std::size_t>(2 * R.E) + R.V + 1);
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

void L1Reduction::potential(int k, bool predecessorFirst) {
  // Labels max(d(u), D - B(v)): never below what v still needs to reach t_k, and at t_k exactly
  // D. The reduced cost of v->u, set when u settles, is its weight less the label's rise.
  const ReduceGraph& R = R_;
  const int root = P_.rootVertex(), target = R.terminals[k];
  const Weight D = B(k, root);
  for (int v = 1; v <= R.V; ++v) dist_[v] = far;
  std::fill(settled_.begin(), settled_.end(), 0);
  heap_.clear();
  dist_[root] = 0;
  heap_.push(0, root);
  auto setReduced = [&](int u, int s) {
    const int in = R.partner[s];
    if (R.delE[in]) return;
    const int v = R.arcs[s].head;
    const Weight rise = dist_[v] >= far ? 0 : std::max<Weight>(0, dist_[u] - dist_[v]);
    // A rise above the weight would make the reduced cost negative: it is held at -1, which
    // the pass takes as the sign to exclude nothing.
    r(in, k) = static_cast<int>(P_.w(in, k) - std::min<Weight>(rise, P_.w(in, k) + Weight{1}));
  };
  while (!heap_.empty()) {
    const auto [d, u] = heap_.pop();
    if (settled_[u] || d != dist_[u]) continue;
    settled_[u] = 1;
    const int end = R.firstArc[u] + R.degree[u];
    for (int s = R.firstArc[u]; s < end; ++s) {
      if (predecessorFirst) setReduced(u, s);
      const int v = R.arcs[s].head;
      if (!R.delE[s] && u != target && !settled_[v]) {
        const Weight need = B(k, v) >= far ? 0 : std::max<Weight>(0, D - d - B(k, v));
        const Weight through = d + need;
        if (through < dist_[v]) {
          dist_[v] = through;
          heap_.push(through, v);
        }
      }
      if (!predecessorFirst) setReduced(u, s);
    }
  }
  for (int v = 1; v <= R.V; ++v) Pot(k, v) = dist_[v];
}

void L1Reduction::exclude(int a) {
  ReduceGraph& R = R_;
  if (R.delE[R.partner[a]]) {
    deleteEdgeLazily(R, a);
    ++deletedEdges_;
    log(3) << "delE";
  } else {
    R.delE[a] = 1;
    excluded_.push_back(a);
    log(3) << "\xBE";
  }
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

bool L1Reduction::pass(Weight best, int step, const Settings& settings) {
  ReduceGraph& R = R_;
  const Weight F = P_.faktor();
  if (!weightsSound()) {
    log(3) << "NR";
    return false;
  }
  const int root = P_.rootVertex();
  // Per commodity: A from the root, B to its terminal, then the potential and reduced costs.
  Weight bound = 0;
  for (int k = 1; k <= R.R; ++k) {
    if (!P_.commodity(k)) continue;
    log(6) << "\nk: " << k << "\n";
    for (int v = 1; v <= R.V; ++v) dist_[v] = far;
    dist_[root] = 0;
    search(dist_, true, [&](int a) { return Weight{P_.w(a, k)}; });
    for (int v = 1; v <= R.V; ++v) A(k, v) = dist_[v];
    for (int v = 1; v <= R.V; ++v) dist_[v] = far;
    dist_[R.terminals[k]] = 0;
    search(dist_, false, [&](int a) { return Weight{P_.w(a, k)}; });
    for (int v = 1; v <= R.V; ++v) B(k, v) = dist_[v];
    if (B(k, root) >= far) return false;  // cut off: the ascent itself reports it
    bound += B(k, root);
    for (int a = 1; a <= P_.slots(); ++a) r(a, k) = P_.w(a, k);
    potential(k, settings.predecessorFirst);
  }
  const Weight gap = best * F - bound;
  if (next_ <= gap && settings.propagate == 0) {
    log(3) << "NR";
    return false;
  }
  log(3) << "Rest: " << static_cast<double>(gap) / static_cast<double>(F) << "\n";
  for (int a = 1; a <= P_.slots(); ++a) {
    sum_[a] = 0;
    if (!P_.live(a)) continue;
    for (int k = 1; k <= R.R; ++k)
      if (P_.commodity(k)) {
        if (r(a, k) < 0) return false;  // not a potential after all: nothing is excluded
        sum_[a] += r(a, k);
      }
  }
  for (int v = 1; v <= R.V; ++v) fromRoot_[v] = toTerminal_[v] = far;
  fromRoot_[root] = 0;
  search(fromRoot_, true, [&](int a) { return sum_[a]; });
  for (int k = 1; k <= R.R; ++k)
    if (P_.commodity(k)) toTerminal_[R.terminals[k]] = 0;
  search(toTerminal_, false, [&](int a) { return sum_[a]; });

  if (settings.tests) testAndExclude(gap, step, settings.delay);
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
    for (int v = 1; v <= R.V; ++v) dist_[v] = far;
    dist_[root] = 0;
    search(dist_, true, [&](int a) { return Weight{P_.w(a, k)} + sum_[a]; });
    const Weight gain = dist_[R.terminals[k]] - B(k, root);
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

void L1Reduction::testAndExclude(Weight gap, int step, int delay) {
  ReduceGraph& R = R_;
  const Weight F = P_.faktor();
  const int root = P_.rootVertex();
  // A tree no better than the best known one may go; the stored one (of that cost) is kept by
  // never testing its vertices and its slots pointing away from the root.
  const Weight limit = R.upperOk ? gap - F : gap;
  const int probe = P_.commodity(1) ? 1 : 2;
  Weight next = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0 || !R.hasLiveSlot(v)) continue;
    const Weight through = fromRoot_[v] >= far || toTerminal_[v] >= far ? far : fromRoot_[v] + toTerminal_[v];
    const bool unreachable = A(probe, v) >= far;
    if (unreachable || (through > limit && (!R.upperOk || R.treeDegree[v] == 0))) {
      log(3) << "delV";
      liftAt(v);
      R.markVertexDeleted(v);
      ++deletedVertices_;
    } else {
      next = std::max(next, through);
    }
  }
  for (int a = 1; a <= P_.slots(); ++a) {
    if (!P_.live(a) || (R.upperOk && P_.treeSlot(a))) continue;
    const int u = R.arcs[a].tail, v = R.arcs[a].head;
    // Per commodity: its path through a, or a paid beside its path together with the slots that
    // then enter u and leave v (or its path through u or v, capped by the path through a).
    Weight test1 = 0;
    for (int k = 1; k <= R.R; ++k) {
      if (!P_.commodity(k)) continue;
      const Weight D = B(k, root), c = P_.w(a, k);
      if (A(k, u) >= far || B(k, v) >= far) {
        test1 += c;
        continue;
      }
      Weight delta = A(k, u) + c + B(k, v) - D;
      Weight tau = std::min(c, delta);
      if (delta > c) {
        Weight rest = delta - c;
        const Weight e1 = A(k, u) + B(k, u) - D;
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
        const Weight e2 = A(k, v) + B(k, v) - D;
        if (e2 != 0 && rest != 0 && R.isReq[v] == 0) {
          Weight m = std::min(rest, e2);
          const int end = R.firstArc[v] + R.degree[v];
          for (int s = R.firstArc[v]; s < end; ++s)
            if (!R.delE[s] && R.arcs[s].head != u) m = std::min<Weight>(m, P_.w(s, k));
          tau += m;
        }
      }
      test1 += tau;
    }
    const Weight test2 = fromRoot_[u] >= far || toTerminal_[v] >= far ? far : sum_[a] + fromRoot_[u] + toTerminal_[v];
    const Weight value = std::max(test1, test2);
    if (value > limit) {
      exclude(a);
    } else {
      next = std::max(next, value);
    }
  }
  if (R.upperOk) next += F;
  next_ = step < delay ? far : next;
  log(3) << "\nnext: " << static_cast<double>(next_) / static_cast<double>(F) << "\n";
}

}  // namespace tesmo
