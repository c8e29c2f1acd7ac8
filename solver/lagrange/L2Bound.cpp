#include "L2Bound.h"

#include "EdgeDeletion.h"
#include "LazyHeap.h"
#include "LogStream.h"
#include "PathRelaxation.h"
#include "Scaled.h"
#include "Shell.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace tesmo {

namespace {

using Weight = std::int64_t;

// The pair tables hold (P+1) x (2E+1) entries each; larger instances are refused.
constexpr std::int64_t maxPairEntries = std::int64_t{1} << 26;
constexpr Weight far = std::int64_t{1} << 60;

struct L2Options {
  int iterations, stop, limit, breakAt, root;
  Weight faktor;
  double start, reinelt;
  int pardalos, projection;
  double uFaktor;
  int half;
  std::string lpFile;

  explicit L2Options(const ReduceGraph& R) {
    iterations = shell.Iget("l2Iter", maxint);
    stop = shell.Iget("l2Stop", 2000);
    limit = shell.Iget("l2Limit", 0);
    breakAt = shell.Iget("l2Break", 0);
    root = shell.Iget("root", 1);
    faktor = std::max(1, shell.Iget("l2Faktor", std::max(1, 160000000 / std::max(1, R.upperValue))));
    start = shell.Fget("l2Start", 2.0);
    reinelt = shell.Fget("l2Reinelt", 0.0);
    pardalos = shell.Iget("l2Pardalos", 0);
    projection = shell.Iget("l2Projection", 1);
    uFaktor = shell.Fget("l2UFaktor", 1.1);
    half = shell.Iget("l2Half", 20);
    const char* lp = shell.Sget("writeLP2T", "");
    lpFile = lp != nullptr ? lp : "";
  }
};

// The pair formulation: a common flow y from the root, branches l to k2 and r to k1.
void writeLp(const ReduceGraph& R, int root, const std::string& file) {
  std::ofstream out(file);
  if (!out) {
    log(1) << "Error: cannot write the LP file " << file << "\n";
    return;
  }
  const int rootVertex = R.terminals[root];
  out << "Minimize";
  if (R.contractCost != 0) out << "\ncontr";
  for (int a = 1; a <= 2 * R.E; ++a)
    if (!R.delE[a]) out << "\n+ " << R.arcs[a].cost << "x" << a;
  out << "\nSubject To\ndummy: contr=" << R.contractCost << "\n";
  int q = 0;
  for (int k1 = 1; k1 <= R.R; ++k1) {
    if (k1 == root) continue;
    for (int k2 = k1 + 1; k2 <= R.R; ++k2) {
      if (k2 == root) continue;
      ++q;
      auto rows = [&](const char* name, const char* branch, int sink) {
        for (int v = 1; v <= R.V; ++v) {
          if (v == rootVertex || !R.hasLiveSlot(v)) continue;
          out << name << q << "_" << v << ": ";
          for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s))
            out << "+y" << q << "_" << R.partner[s] << "-y" << q << "_" << s << "+" << branch << q << "_" << R.partner[s]
                << "-" << branch << q << "_" << s;
          out << (v == sink ? "=1\n" : "=0\n");
        }
      };
      for (int v = 1; v <= R.V; ++v) {
        if (!R.hasLiveSlot(v)) continue;
        out << "cy" << q << "_" << v << ": ";
        for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s))
          out << " + y" << q << "_" << R.partner[s] << " - y" << q << "_" << s;
        out << (v == rootVertex ? ">= -1\n" : ">= 0\n");
      }
      rows("cl", "l", R.terminals[k2]);
      rows("cr", "r", R.terminals[k1]);
      for (int a = 1; a <= 2 * R.E; ++a)
        if (!R.delE[a]) out << "cx" << q << "_" << a << ": y" << q << "_" << a << "+r" << q << "_" << a << "+l" << q << "_" << a << "-x" << a << "<=0\n";
    }
  }
  out << "End\n";
  if (!out) log(1) << "Error: cannot write the LP file " << file << "\n";
}

class PairRelaxation {
public:
  PairRelaxation(ReduceGraph& R, const L2Options& o, int root, int pairs)
      : R_(R), o_(o), F_(o.faktor), rootVertex_(R.terminals[root]), P_(pairs), slots_(2 * R.E),
        W_(static_cast<std::size_t>(pairs + 1) * (slots_ + 1), 0), T_(W_.size(), 0), stamp_(slots_ + 1, 0),
        scaled_(slots_ + 1, 0), sortScratch_(pairs + 1, 0), pairK1_(pairs + 1, 0), pairK2_(pairs + 1, 0),
        marked_(R.V + 1, 0) {
    for (auto& d : dist_) d.assign(R.V + 1, far);
    for (auto& p : pred_) p.assign(R.V + 1, 0);
    settled_.assign(R.V + 1, 0);
    for (int v = 1; v <= R.V; ++v)
      if (R.hasLiveSlot(v)) ++liveVertices_;
    heap_.reserve(static_cast<std::size_t>(slots_) + R.V + 1);
    // As in the path relaxation: an edge dearer than the whole tree is capped, which keeps the
    // sums within 32 bits and only lowers the bound.
    const Weight upperScaled = R.upperValue < maxint ? (Weight{R.upperValue} - R.contractCost) * F_ : Weight{INT_MAX};
    const Weight cap = std::clamp<Weight>(upperScaled + F_, 0, INT_MAX / 2);
    for (int a = 1; a <= slots_; ++a) scaled_[a] = std::min<Weight>(F_ * R.arcs[a].cost, cap);
    int p = 0;
    for (int k1 = 1; k1 <= R.R && p < pairs; ++k1) {
      if (k1 == root) continue;
      for (int k2 = k1 + 1; k2 <= R.R && p < pairs; ++k2) {
        if (k2 == root) continue;
        ++p;
        pairK1_[p] = k1;
        pairK2_[p] = k2;
      }
    }
  }

  void run();
  int k1(int p) const { return pairK1_[p]; }
  int k2(int p) const { return pairK2_[p]; }

private:
  int& W(int p, int a) { return W_[static_cast<std::size_t>(p) * (slots_ + 1) + a]; }
  int& T(int p, int a) { return T_[static_cast<std::size_t>(p) * (slots_ + 1) + a]; }
  bool live(int a) const { return !R_.delE[a]; }
  void evenStart();
  void stampStoredTree();
  Weight selectArcs(int t);
  // Dijkstra j (0 from the root, 1 and 2 towards k1 and k2 over reversed slots) under W[p].
  void search(int j, int p, int start);
  // The pair's cheapest tree, its slots stamped t; false when no vertex meets all three.
  bool pairTree(int p, int t, Weight& value);
  void project(int a);
  bool factorTooSmall(int t, double f) const {
    if (o_.stop * f > 1) return false;
    log(3) << "Faktor zu klein. " << t << "\n";
    return true;
  }

  ReduceGraph& R_;
  const L2Options& o_;
  Weight F_;
  int rootVertex_, P_, slots_;
  int liveVertices_ = 0;  // the instance does not change during the run
  std::vector<int> W_, T_;
  IntArray stamp_;
  std::vector<Weight> scaled_;
  std::vector<int> sortScratch_;
  std::vector<int> pairK1_, pairK2_;
  std::vector<unsigned char> marked_, settled_;
  std::vector<Weight> dist_[3];
  std::vector<int> pred_[3];
  LazyHeap heap_;
};

void PairRelaxation::evenStart() {
  for (int a = 1; a <= slots_; ++a) {
    if (!live(a)) continue;
    const Weight share = scaled_[a] / P_;
    for (int p = 2; p <= P_; ++p) W(p, a) = static_cast<int>(share);
    W(1, a) = static_cast<int>(scaled_[a] - (P_ - 1) * share);
  }
}

void PairRelaxation::stampStoredTree() {
  const ReduceGraph& R = R_;
  std::vector<unsigned char> seen(R.V + 1, 0);
  std::vector<int> stack{rootVertex_};
  seen[rootVertex_] = 1;
  while (!stack.empty()) {
    const int v = stack.back();
    stack.pop_back();
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
      const int h = R.arcs[s].head;
      if (seen[h] || !R.inTree[R.ID[s]]) continue;
      seen[h] = 1;
      stamp_[s] = 1;
      stack.push_back(h);
    }
  }
}

Weight PairRelaxation::selectArcs(int t) {
  const ReduceGraph& R = R_;
  if (o_.pardalos) {
    std::fill(marked_.begin(), marked_.end(), 0);
    marked_[rootVertex_] = 1;
  }
  heap_.clear();
  for (int a = 1; a <= slots_; ++a) {
    if (!live(a)) continue;
    Weight key = scaled_[a];
    for (int p = 1; p <= P_; ++p) key -= W(p, a);
    heap_.push(key, a);
  }
  Weight weight = 0;
  int taken = 0;
  while (taken < R.V - 1) {
    if (heap_.empty()) {
      log(1) << "Zu wenig!";
      break;
    }
    const auto [key, a] = heap_.pop();
    if (taken >= R.R - 1 && key >= 0) break;
    if (o_.pardalos) {
      if (marked_[R.arcs[a].head]) continue;
      marked_[R.arcs[a].head] = 1;
    }
    stamp_[a] = t;
    log(6) << R.arcs[a] << key;
    weight += key;
    ++taken;
  }
  log(4) << t << ". weight1: " << weight;
  return weight;
}

void PairRelaxation::search(int j, int p, int start) {
  const ReduceGraph& R = R_;
  std::vector<Weight>& dist = dist_[j];
  std::vector<int>& pred = pred_[j];
  std::fill(dist.begin(), dist.end(), far);
  std::fill(settled_.begin(), settled_.end(), 0);
  heap_.clear();
  dist[start] = 0;
  pred[start] = 0;
  heap_.push(0, start);
  int settledCount = 0;
  while (!heap_.empty()) {
    const auto [d, u] = heap_.pop();
    if (settled_[u] || d != dist[u]) continue;
    settled_[u] = 1;
    ++settledCount;
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      // From the root along s; towards a terminal against it (the slot v->u).
      const int a = j == 0 ? s : R.partner[s];
      if (!live(a)) continue;
      const int v = R.arcs[s].head;
      const Weight through = d + W(p, a);
      if (settled_[v] || through >= dist[v]) continue;
      dist[v] = through;
      pred[v] = a;
      heap_.push(through, v);
    }
  }
  // The heap ran out before every live vertex was reached: part of the instance lies apart.
  if (settledCount < liveVertices_) log(j == 1 ? 6 : 1) << "empty PQ \n";
  if (verbose > 5)
    for (int v = 1; v <= R.V; ++v) log(6) << v << ": " << dist[v] << " ";
}

bool PairRelaxation::pairTree(int p, int t, Weight& value) {
  const ReduceGraph& R = R_;
  const int t1 = R.terminals[k1(p)], t2 = R.terminals[k2(p)];
  log(5) << p << ":" << k1(p) << "," << k2(p) << "  ";
  search(0, p, rootVertex_);
  search(1, p, t1);
  search(2, p, t2);
  int meet = 0;
  Weight best = far;
  for (int v = 1; v <= R.V; ++v) {
    if (dist_[0][v] >= far || dist_[1][v] >= far || dist_[2][v] >= far) continue;
    const Weight sum = dist_[0][v] + dist_[1][v] + dist_[2][v];
    if (sum < best) best = sum, meet = v;
  }
  if (meet == 0) return false;
  log(6) << t1 << " " << t2 << " " << meet << " : " << best << ", ";
  value = best;
  for (int v = meet; v != rootVertex_; v = R.arcs[pred_[0][v]].tail) T(p, pred_[0][v]) = t;
  for (int j = 1; j <= 2; ++j) {
    const int start = j == 1 ? t1 : t2;
    for (int v = meet; v != start; v = R.arcs[pred_[j][v]].head) T(p, pred_[j][v]) = t;
  }
  return true;
}

void PairRelaxation::project(int a) {
  Weight excess = -scaled_[a];
  for (int p = 1; p <= P_; ++p) {
    sortScratch_[p - 1] = W(p, a);
    excess += W(p, a);
  }
  std::sort(sortScratch_.begin(), sortScratch_.begin() + P_);
  int dropped = 0;
  for (int i = 1; i <= P_; ++i) {
    const Weight v = sortScratch_[i - 1];
    if (excess - v <= Weight{P_ - i} * v) break;
    excess -= v;
    ++dropped;
  }
  const int share = P_ - dropped;
  for (int p = 1; p <= P_; ++p) {
    const Weight lowered = share > 0 ? Weight{W(p, a)} - excess / share : 0;
    W(p, a) = clampToInt(std::max<Weight>(0, lowered));
  }
  // Units: one less from each positive share while the sum is too large, one more to each
  // while it is too small.
  Weight diff = scaled_[a];
  for (int p = 1; p <= P_; ++p) diff -= W(p, a);
  while (diff != 0) {
    bool moved = false;
    for (int p = 1; p <= P_ && diff != 0; ++p) {
      if (diff > 0) {
        ++W(p, a), --diff, moved = true;
      } else if (W(p, a) > 0) {
        --W(p, a), ++diff, moved = true;
      }
    }
    if (!moved) break;
  }
}

void PairRelaxation::run() {
  ReduceGraph& R = R_;
  if (o_.projection != 0) {
    evenStart();
    stampStoredTree();
  }
  log(3) << "Upper: " << R.upperValue << "\n";
  double f = o_.start, start = o_.start;
  Weight best = 0;
  int noImprove = 0, divisor = 1;
  const Weight upperScaled = (Weight{R.upperValue} - R.contractCost) * F_;
  for (std::int64_t t64 = 1; t64 <= o_.iterations; ++t64) {
    const int t = static_cast<int>(std::min<std::int64_t>(t64, INT_MAX));
    Weight weight = o_.projection == 0 ? selectArcs(t) : 0;
    for (int p = 1; p <= P_; ++p) {
      Weight value = 0;
      if (!pairTree(p, t, value)) {
        // Some terminal of the pair cannot be joined to the root: there is no tree.
        R.markDisconnected();
        return;
      }
      weight += value;
    }
    log(4) << "Weight : " << static_cast<double>(R.contractCost) + static_cast<double>(weight) / static_cast<double>(F_)
           << "\n";
    if (weight > best) {
      log(3) << "Lower (" << t << ") : "
             << static_cast<double>(R.contractCost) + static_cast<double>(weight) / static_cast<double>(F_) << "\n";
      if (ceilDiv(weight, F_) > ceilDiv(best, F_)) R.setLower(clampToInt(ceilDiv(weight, F_) + R.contractCost), 0);
      best = weight;
      noImprove = 0;
      const bool reachedBreak = o_.breakAt > 0 && weight > F_ * o_.breakAt - F_;
      const bool reachedUpper = o_.breakAt != 0 && R.upperValue < maxint && weight > upperScaled - F_;
      if (reachedBreak || reachedUpper) {
        log(2) << "\nLower==Upper !\n\n";
        // setLower has marked the bounds met when they are; a limit of the caller's claims nothing.
        break;
      }
    } else {
      ++noImprove;
    }

    const int reference = o_.projection != 0 ? 1 : t;
    auto direction = [&](int p, int a) { return (T(p, a) == t ? 1 : 0) - (stamp_[a] == reference ? 1 : 0); };
    Weight step = 0;
    if (o_.reinelt != 0) {
      step = std::max<Weight>(1, std::llround(static_cast<double>(F_) * f));
      log(4) << "t: " << step << ", f: " << f;
    } else {
      Weight GG = 0;
      for (int p = 1; p <= P_; ++p)
        for (int a = 1; a <= slots_; ++a)
          if (live(a) && direction(p, a) != 0) ++GG;
      if (GG == 0) {
        log(3) << "Keine Verbesserung moeglich...\n";
        break;
      }
      const double target = o_.uFaktor * static_cast<double>(Weight{R.upperValue} - R.contractCost) -
                            static_cast<double>(weight) / static_cast<double>(F_);
      step = std::max<Weight>(
          1, std::llround(std::clamp(target * f / static_cast<double>(GG) * static_cast<double>(F_), -1e12, 1e12)));
      log(4) << "t: " << step << ", GG: " << GG << ", f: " << f;
    }
    for (int p = 1; p <= P_; ++p)
      for (int a = 1; a <= slots_; ++a) {
        if (!live(a)) continue;
        const int g = direction(p, a);
        if (g == 0) continue;
        Weight next = Weight{W(p, a)} + step * g;
        if (o_.projection == 0) next = std::max<Weight>(0, next);
        W(p, a) = clampToInt(next);
      }
    if (o_.reinelt != 0) {
      if (o_.reinelt > 0) {
        f *= o_.reinelt;
      } else if (o_.reinelt == -1.0) {
        f = start / t;
      } else {
        f = start / divisor;
        const int every = static_cast<int>(std::lround(-o_.reinelt));
        if (noImprove != 0 && every != 0 && noImprove % every == 0) {
          log(3) << "-- Step --\n";
          ++divisor;
        }
      }
      if (factorTooSmall(t, f)) break;
    }
    if (o_.projection != 0)
      for (int a = 1; a <= slots_; ++a)
        if (live(a)) project(a);
    if (noImprove > o_.half) {
      log(3) << "--- 1/2 ---\n";
      noImprove = 0;
      f = static_cast<float>(f / 2);
      start /= 2;
      if (factorTooSmall(t, f)) break;
    }
  }
  log(1) << "\nLower : " << static_cast<double>(R.contractCost) + static_cast<double>(best) / static_cast<double>(F_)
         << ", Upper : " << maxint << "\n";
  R.setLower(clampToInt(ceilDiv(best, F_) + R.contractCost), 0);
}

}  // namespace

void l2Bound(ReduceGraph& R) {
  shell.echoLevel = 3;
  const L2Options options(R);
  shell.echoLevel = 0;
  leaveOverflowMode(R);
  const int root = PathRelaxation::chooseRoot(R, options.root);
  if (R.R >= 2) log(3) << "root->" << root << "\n";
  if (!options.lpFile.empty() && R.R >= 2) writeLp(R, root, options.lpFile);
  // One pair needs three terminals.
  if (R.R < 3) return;
  const std::int64_t allPairs = std::int64_t{R.R - 2} * (R.R - 1) / 2;
  const std::int64_t pairs = options.limit > 0 ? std::min<std::int64_t>(options.limit, allPairs) : allPairs;
  if (!R.upperOk) {
    log(3) << "l2 bound skipped: no stored tree\n";
    return;
  }
  if ((pairs + 1) * (2 * std::int64_t{R.E} + 1) > maxPairEntries) {
    log(1) << "l2 bound refused: " << pairs << " pairs of terminals on " << R.E << " edges need more memory than allowed\n";
    return;
  }
  PairRelaxation(R, options, root, static_cast<int>(pairs)).run();
}

}  // namespace tesmo
