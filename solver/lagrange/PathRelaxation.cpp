#include "PathRelaxation.h"

#include "EdgeDeletion.h"
#include "LogStream.h"
#include "Scaled.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tesmo {

PathRelaxation::PathRelaxation(ReduceGraph& R, Weight faktor, int root, int projection, int lockReq)
    : R_(R), F_(faktor), nR_(R.R), root_(root), rootVertex_(R.terminals[root]), slots_(2 * R.E), width_(R.R + 1),
      projection_(projection), lockReq_(lockReq), commodityWeight_(static_cast<std::size_t>(slots_ + 1) * width_, 0),
      pathMark_(commodityWeight_.size(), 0), selected_(slots_ + 1, 0), treeSlot_(slots_ + 1, 0), scaledCost_(slots_ + 1, 0),
      dist_(R.V + 1, 0), pred_(R.V + 1, 0), fixed_(R.V + 1, 0), sortScratch_(width_, 0),
      inTreeScratch_(slots_ + 1, 0) {
  heap_.reserve(static_cast<std::size_t>(slots_) + R.V + 1);
  // An edge dearer than the whole upper bound is used by no better tree; capping its scaled
  // cost keeps every sum within 32 bits and only lowers the bound.
  const Weight upperScaled = R.upperValue < maxint ? (Weight{R.upperValue} - R.contractCost) * F_ : Weight{INT_MAX};
  const Weight cap = std::clamp<Weight>(upperScaled + F_, 0, INT_MAX / 2);
  for (int s = 1; s <= slots_; ++s) scaledCost_[s] = std::min<Weight>(F_ * R.arcs[s].cost, cap);
}

void PathRelaxation::findTreeSlots() {
  // Depth-first from the root over the stored tree, marking the slots that point away from it.
  const ReduceGraph& R = R_;
  std::vector<unsigned char> seen(R.V + 1, 0);
  std::vector<int> stack{rootVertex_};
  seen[rootVertex_] = 1;
  int terminalsSeen = 1;
  while (!stack.empty() && terminalsSeen < nR_) {
    const int v = stack.back();
    stack.pop_back();
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
      const int h = R.arcs[s].head;
      if (seen[h] || !R.inTree[R.ID[s]]) continue;
      seen[h] = 1;
      treeSlot_[s] = 1;
      if (R.isReq[h] != 0) ++terminalsSeen;
      stack.push_back(h);
    }
  }
}

void PathRelaxation::correctSum(int s) {
  Weight diff = scaledCost_[s];
  for (int k = 1; k <= nR_; ++k)
    if (commodity(k)) diff -= w(s, k);
  // Passes over the commodities: one unit more for each (sum too small), or one unit less for
  // each positive entry (sum too large).
  if (diff > 0) {
    const Weight each = diff / (nR_ - 1);
    for (int k = 1; k <= nR_; ++k)
      if (commodity(k)) w(s, k) += static_cast<int>(each);
    diff -= each * (nR_ - 1);
  }
  while (diff != 0) {
    bool moved = false;
    for (int k = 1; k <= nR_ && diff != 0; ++k) {
      if (!commodity(k)) continue;
      if (diff > 0) {
        ++w(s, k), --diff, moved = true;
      } else if (w(s, k) > 0) {
        --w(s, k), ++diff, moved = true;
      }
    }
    if (!moved) break;
  }
}

void PathRelaxation::evenStart() {
  for (int s = 1; s <= slots_; ++s)
    for (int k = 1; k <= nR_; ++k) w(s, k) = 0;
  if (projection_ != 1) return;
  for (int s = 1; s <= slots_; ++s) {
    if (treeSlot_[s]) continue;
    const int share = clampToInt(scaledCost_[s] / (nR_ - 1));
    for (int k = 1; k <= nR_; ++k)
      if (commodity(k)) w(s, k) = share;
    correctSum(s);
  }
}

bool PathRelaxation::dualAscent(const SubgradientMemory* memory, int remained, Weight& bound) {
  ReduceGraph& R = R_;
  componentLabel_.assign(static_cast<std::size_t>(R.V + 1) * width_, -1);
  std::vector<Weight> residual(slots_ + 1, 0);
  std::vector<std::vector<int>> zeroInto(R.V + 1);  // zero-residual slots by their head
  for (int s = 1; s <= slots_; ++s) {
    if (!live(s)) continue;
    residual[s] = R.arcs[s].cost;
    // A slot of cost 0 joins its tail to any component at once.
    if (residual[s] == 0) zeroInto[R.arcs[s].head].push_back(s);
  }
  std::vector<std::vector<int>> members(nR_ + 1);
  std::vector<unsigned char> open(nR_ + 1, 0), locked(nR_ + 1, 0);
  // Adds v to k's component and everything that reaches it over zero-residual slots.
  std::vector<int> stack;
  auto grow = [&](int k, int v) {
    stack.assign(1, v);
    componentLabel(v, k) = 0;
    members[k].push_back(v);
    while (!stack.empty() && open[k]) {
      const int x = stack.back();
      stack.pop_back();
      if (x == rootVertex_) {
        open[k] = 0;
        break;
      }
      for (int s : zeroInto[x]) {
        const int t = R.arcs[s].tail;
        if (componentLabel(t, k) >= 0) continue;
        componentLabel(t, k) = 0;
        members[k].push_back(t);
        stack.push_back(t);
      }
    }
  };
  for (int k = 1; k <= nR_; ++k)
    if (commodity(k)) {
      open[k] = 1;
      grow(k, R.terminals[k]);
    }
  bound = 0;
  // The refusal rule of the closing ascent: the lock works once a raise has been decided since
  // the start or the last unlock and at most remained components are open.
  bool decided = false;
  int lastKeptBad = 0;
  std::vector<int> entering, zeroed;
  for (;;) {
    int openCount = 0;
    for (int j = 1; j <= nR_; ++j) openCount += open[j];
    if (openCount == 0) break;
    const bool lockActive = memory != nullptr && decided && openCount <= remained;
    int k = 0;
    for (int j = 1; j <= nR_; ++j)
      if (open[j] && !(lockActive && locked[j]) && (k == 0 || members[j].size() < members[k].size())) k = j;
    if (k == 0 && !lockActive) break;  // not reached: without the lock every open one is chosen
    if (k == 0) {
      // Every open component is locked: lift the locks; the next raise is then kept, so the
      // ascent goes on growing.
      log(3) << "\nUnlock!\n";
      std::fill(locked.begin(), locked.end(), 0);
      decided = false;
      continue;
    }
    entering.clear();
    Weight d = 0;
    for (int v : members[k])
      for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
        const int p = R.partner[s];  // the slot into v
        if (componentLabel(R.arcs[p].tail, k) >= 0 || residual[p] == 0) continue;
        entering.push_back(p);
        if (d == 0 || residual[p] < d) d = residual[p];
      }
    if (entering.empty()) {
      // No slot enters the component: its terminal cannot reach the root.
      return false;
    }
    if (memory != nullptr) {
      for (int s : entering) saved(s, k) += static_cast<int>(d);
      int bad = 0;
      for (int r = 1; r <= memory->filled(); ++r) {
        const Weight savedSum = weightedSum(memory->pairs(r), memory->length(r), true);
        if (F_ * savedSum < memory->sum(r)) {
          log(4) << "weight0" << ":" << memory->bound(r) << ", " << "sum" << ":" << savedSum << ", " << "sum0" << ":"
                 << memory->sum(r) << ", ";
          ++bad;
        }
      }
      log(3) << "bad Ascent" << bad << "/" << memory->filled() << "\n ";
      const bool keep = bound == 0 || bad <= lastKeptBad || !lockActive;
      decided = true;
      if (!keep) {
        // Refused: the commodity waits, its saved weights as before the raise.
        locked[k] = 1;
        log(3) << "L" << k;
        for (int s : entering) saved(s, k) -= static_cast<int>(d);
        continue;
      }
      lastKeptBad = bad;
      log(3) << k << " : " << d;
    }
    bound += d;
    for (int v : members[k]) componentLabel(v, k) += d;
    zeroed.clear();
    for (int s : entering) {
      residual[s] -= d;
      if (residual[s] == 0) {
        zeroInto[R.arcs[s].head].push_back(s);
        zeroed.push_back(s);
      }
    }
    for (int j = 1; j <= nR_; ++j) {
      if (!open[j]) continue;
      for (int s : zeroed) {
        if (!open[j]) break;
        const Arc& a = R.arcs[s];
        if (componentLabel(a.head, j) >= 0 && componentLabel(a.tail, j) < 0) grow(j, a.tail);
      }
    }
  }
  return true;
}

void PathRelaxation::keepSavedWeights() {
  if (savedWeight_.empty()) savedWeight_.assign(commodityWeight_.size(), 0);
}

bool PathRelaxation::ascentStart(bool start) {
  ReduceGraph& R = R_;
  log(3) << "\n\n";
  Weight bound = 0;
  if (!dualAscent(nullptr, 0, bound)) return false;
  log(2) << "Lower: " << bound;
  bound += R.contractCost;
  log(2) << "+Contr= " << bound << "\n";
  R.setLower(clampToInt(bound), root_);
  if (!start && !savesWeights()) return true;
  for (int s = 1; s <= slots_; ++s) {
    if (!live(s)) continue;
    const Arc& a = R.arcs[s];
    for (int k = 1; k <= nR_; ++k) {
      if (!commodity(k)) continue;
      // Labels outside a component count as 0.
      const Weight rise = std::max<Weight>(
          0, std::max<Weight>(componentLabel(a.head, k), 0) - std::max<Weight>(componentLabel(a.tail, k), 0));
      w(s, k) = clampToInt(F_ * rise);
    }
    if (projection_ == 1) {
      Weight remainder = scaledCost_[s];
      for (int k = 1; k <= nR_; ++k)
        if (commodity(k)) remainder -= w(s, k);
      const Weight share = std::llround(static_cast<double>(remainder) / (nR_ - 1));
      for (int k = 1; k <= nR_; ++k)
        if (commodity(k)) w(s, k) = clampToInt(std::max<Weight>(0, Weight{w(s, k)} + share));
      correctSum(s);
    }
  }
  if (savesWeights()) std::copy(commodityWeight_.begin(), commodityWeight_.end(), savedWeight_.begin());
  return true;
}

bool PathRelaxation::closingAscent(const SubgradientMemory& memory, int remained) {
  ReduceGraph& R = R_;
  keepSavedWeights();
  std::fill(savedWeight_.begin(), savedWeight_.end(), 0);
  log(3) << "\n\n";
  Weight bound = 0;
  if (!dualAscent(&memory, remained, bound)) return false;
  log(2) << "Lower: " << bound;
  log(2) << "+Contr= " << bound + R.contractCost << "\n";
  R.setLower(clampToInt(bound + R.contractCost), root_);
  return true;
}

int PathRelaxation::subgradientPairs(int m, int it, int* out) {
  int n = 0;
  for (int s = 1; s <= slots_; ++s) {
    if (!live(s)) continue;
    const bool isSelected = selected_[s] == m;
    for (int k = 1; k <= nR_; ++k) {
      if (!commodity(k) || isSelected == (mark(s, k) == it)) continue;
      out[2 * n] = isSelected ? -s : s;
      out[2 * n + 1] = k;
      ++n;
    }
  }
  return n;
}

PathRelaxation::Weight PathRelaxation::weightedSum(const int* pairs, int n, bool savedWeights) {
  Weight sum = 0;
  for (int i = 0; i < n; ++i) {
    const int s = pairs[2 * i], k = pairs[2 * i + 1];
    const Weight v = savedWeights ? saved(s < 0 ? -s : s, k) : w(s < 0 ? -s : s, k);
    sum += s < 0 ? -v : v;
  }
  return sum;
}

SubgradientMemory::SubgradientMemory(int rows, int maxGG) {
  // Ring positions 1 .. rows-1; each row holds fewer than maxGG pairs (none when maxGG <= 1).
  constexpr std::int64_t maxEntries = std::int64_t{1} << 26;
  if (rows <= 0) return;
  maxGG_ = std::max(maxGG, 1);
  if ((std::int64_t{rows} - 1) * 2 * maxGG_ > maxEntries) {
    refused_ = true;
    return;
  }
  enabled_ = true;
  ring_ = maxGG_ > 1 ? rows - 1 : 0;
  width_ = static_cast<std::size_t>(2) * maxGG_;
  entries_.assign(static_cast<std::size_t>(ring_) * width_, 0);
  length_.assign(ring_ + 1, 0);
  sum_.assign(ring_ + 1, 0);
  bound_.assign(ring_ + 1, 0);
  candidate_.assign(width_, 0);
}

bool SubgradientMemory::holds(int n) const {
  for (int r = 1; r <= filled_; ++r)
    if (length_[r] == n && std::equal(candidate_.begin(), candidate_.begin() + 2 * n, pairs(r))) return true;
  return false;
}

void SubgradientMemory::store(int n, Weight sum, Weight bound) {
  if (ring_ == 0 || n >= maxGG_) return;
  position_ = position_ % ring_ + 1;
  filled_ = std::max(filled_, position_);
  std::copy(candidate_.begin(), candidate_.begin() + 2 * n,
            entries_.begin() + static_cast<std::ptrdiff_t>((position_ - 1) * width_));
  length_[position_] = n;
  sum_[position_] = sum;
  bound_[position_] = bound;
}

void PathRelaxation::project(int s) {
  const ReduceGraph& R = R_;
  if (lockReq_ & 1) {
    const int j = R.isReq[R.arcs[s].head];
    if (j != 0 && commodity(j)) w(s, j) = 160000000;
  }
  if (lockReq_ & 2) {
    const int j = R.isReq[R.arcs[s].tail];
    if (j != 0 && commodity(j)) w(s, j) = -160000000;
  }
  int n = 0;
  Weight excess = -scaledCost_[s];
  for (int k = 1; k <= nR_; ++k)
    if (commodity(k)) {
      sortScratch_[n++] = w(s, k);
      excess += w(s, k);
    }
  std::sort(sortScratch_.begin(), sortScratch_.begin() + n);
  int dropped = 0;
  for (int i = 1; i <= n; ++i) {
    const Weight v = sortScratch_[i - 1];
    if (excess - v <= Weight{nR_ - i - 1} * v) break;
    excess -= v;
    ++dropped;
  }
  const int share = nR_ - dropped - 1;
  for (int k = 1; k <= nR_; ++k) {
    if (!commodity(k)) continue;
    const Weight lowered = share > 0 ? Weight{w(s, k)} - excess / share : 0;
    w(s, k) = clampToInt(std::max<Weight>(0, lowered));
  }
  correctSum(s);
}

bool PathRelaxation::shortestPath(int k, int it, Weight& distance) {
  const ReduceGraph& R = R_;
  const int target = R.terminals[k];
  constexpr Weight far = std::int64_t{1} << 62;
  std::fill(dist_.begin(), dist_.end(), far);
  std::fill(fixed_.begin(), fixed_.end(), 0);
  heap_.clear();
  dist_[rootVertex_] = 0;
  pred_[rootVertex_] = 0;
  heap_.push(0, rootVertex_);
  while (!heap_.empty()) {
    const auto [d, v] = heap_.pop();
    if (fixed_[v] || d != dist_[v]) continue;
    fixed_[v] = 1;
    if (v == target) break;
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
      const int h = R.arcs[s].head;
      const Weight through = d + w(s, k);
      // Labels above the target's are of no use.
      if (fixed_[h] || through >= dist_[h] || through > dist_[target]) continue;
      dist_[h] = through;
      pred_[h] = s;
      heap_.push(through, h);
    }
  }
  if (!fixed_[target]) return false;
  distance = dist_[target];
  for (int v = target; v != rootVertex_; v = R.arcs[pred_[v]].tail) mark(pred_[v], k) = it;
  return true;
}

void PathRelaxation::pathPotential(Weight distance, Weight* out) const {
  // Unsettled vertices are at least distance away, so the cap keeps every rise within its weight.
  for (int v = 1; v <= R_.V; ++v) out[v] = fixed_[v] ? std::min(dist_[v], distance) : distance;
}

void PathRelaxation::moveAbovePotentials(int j, const Weight* potentials, std::size_t stride) {
  const ReduceGraph& R = R_;
  for (int s = 1; s <= slots_; ++s) {
    if (!live(s)) continue;
    const int t = R.arcs[s].tail, h = R.arcs[s].head;
    for (int k = 1; k <= nR_; ++k) {
      if (!commodity(k) || k == j) continue;
      const Weight* pot = potentials + static_cast<std::size_t>(k) * stride;
      const Weight part = Weight{w(s, k)} - std::max<Weight>(0, pot[h] - pot[t]);
      if (part <= 0) continue;
      w(s, k) -= static_cast<int>(part);
      w(s, j) = clampToInt(Weight{w(s, j)} + part);
    }
  }
}

PathRelaxation::Weight PathRelaxation::selectBySlack(int it) {
  // Without the projection the slots' slack (cost minus the commodities' weights) is a term of
  // its own: at least R-1 and at most V-1 slots are chosen, the cheapest first.
  const ReduceGraph& R = R_;
  heap_.clear();
  for (int s = 1; s <= slots_; ++s) {
    if (!live(s)) continue;
    Weight slack = scaledCost_[s];
    for (int k = 1; k <= nR_; ++k)
      if (commodity(k)) slack -= w(s, k);
    heap_.push(slack, s);
  }
  Weight chosen = 0, first = 0, rest = 0;
  int count = 0;
  for (int taken = 0; taken < R.V - 1 && !heap_.empty(); ++taken) {
    const auto [slack, s] = heap_.pop();
    if (count < nR_ - 1 || slack < 0) {
      selected_[s] = it;
      ++count;
      chosen += slack;
      if (count <= nR_ - 1) first += slack;
      log(6) << R.arcs[s] << " " << slack << "\n";
    } else {
      rest += slack;
    }
  }
  const double f = static_cast<double>(F_);
  log(5) << "w: " << chosen / f << ", wl:" << (first - chosen) / f << ", wu:" << rest / f << ", pa" << count << "\n";
  return chosen;
}


void PathRelaxation::logWeights() {
  if (verbose <= 5) return;
  for (int s = 1; s <= slots_; ++s) {
    if (!live(s)) continue;
    log(6) << R_.arcs[s];
    for (int k = 1; k <= nR_; ++k)
      if (commodity(k)) log(6) << " " << k << ":" << static_cast<double>(w(s, k)) / static_cast<double>(F_) << " ";
    log(6) << "\n";
  }
}

bool PathRelaxation::stepBound(int it, Weight& bound) {
  bound = projection_ == 0 ? selectBySlack(it) : 0;
  for (int k = 1; k <= nR_; ++k) {
    if (!commodity(k)) continue;
    log(6) << "\nk: " << k;
    Weight d = 0;
    if (!shortestPath(k, it, d)) return false;
    bound += d;
    log(6) << "\nw: " << bound << "d[t]" << d;
  }
  return true;
}

void PathRelaxation::countSubgradient(int m, int it, bool adjust, Weight& GG, Weight& GGadjust) {
  GG = GGadjust = 0;
  for (int s = 1; s <= slots_; ++s) {
    if (!live(s)) continue;
    const bool isSelected = selected_[s] == m;
    for (int k = 1; k <= nR_; ++k) {
      if (!commodity(k) || isSelected == (mark(s, k) == it)) continue;
      ++GG;
      if (isSelected && adjust && w(s, k) == 0) ++GGadjust;
    }
  }
}

void PathRelaxation::applyStep(int m, int it, Weight T) {
  for (int s = 1; s <= slots_; ++s) {
    if (!live(s)) continue;
    const bool isSelected = selected_[s] == m;
    for (int k = 1; k <= nR_; ++k) {
      if (!commodity(k) || isSelected == (mark(s, k) == it)) continue;
      Weight next = Weight{w(s, k)} + (isSelected ? -T : T);
      if (projection_ == 0) next = std::max<Weight>(0, next);
      w(s, k) = clampToInt(next);
    }
    if (projection_ != 0) project(s);
  }
}

PathRelaxation::Weight PathRelaxation::usedSlotTree(int it, IntArray& tree) {
  const ReduceGraph& R = R_;
  constexpr Weight far = std::int64_t{1} << 62;
  std::fill(dist_.begin(), dist_.end(), far);
  std::fill(fixed_.begin(), fixed_.end(), 0);
  heap_.clear();
  dist_[rootVertex_] = 0;
  pred_[rootVertex_] = 0;
  heap_.push(0, rootVertex_);
  int terminalsLeft = nR_ - 1;
  while (!heap_.empty() && terminalsLeft > 0) {
    const auto [d, v] = heap_.pop();
    if (fixed_[v] || d != dist_[v]) continue;
    fixed_[v] = 1;
    if (R.isReq[v] != 0 && v != rootVertex_) --terminalsLeft;
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
      const int h = R.arcs[s].head;
      if (fixed_[h]) continue;
      bool used = false;
      for (int k = 1; k <= nR_ && !used; ++k) used = commodity(k) && mark(s, k) == it;
      const Weight through = d + R.arcs[s].cost;
      if (!used || through >= dist_[h]) continue;
      dist_[h] = through;
      pred_[h] = s;
      heap_.push(through, h);
    }
  }
  if (terminalsLeft > 0) return -1;
  // The union of the terminals' root paths, each shared slot once.
  tree.assign(1, 0);
  Weight cost = 0;
  for (int k = 1; k <= nR_; ++k) {
    if (!commodity(k)) continue;
    for (int v = R.terminals[k]; v != rootVertex_ && !inTreeScratch_[pred_[v]]; v = R.arcs[pred_[v]].tail) {
      inTreeScratch_[pred_[v]] = 1;
      tree.push_back(pred_[v]);
      cost += R.arcs[pred_[v]].cost;
    }
  }
  tree[0] = static_cast<int>(tree.size()) - 1;
  for (std::size_t i = 1; i < tree.size(); ++i) inTreeScratch_[tree[i]] = 0;
  return cost;
}

int PathRelaxation::chooseRoot(const ReduceGraph& R, int option) {
  int root = option < 1 ? R.lowerTag : option;
  if (root > R.R || root < 1) root = 1;
  return root;
}

int PathRelaxation::startAscent(ReduceGraph& R, int rootOption, const char* name) {
  // The per-commodity tables hold (2E+1) x (R+1) entries each; larger instances are refused.
  constexpr std::int64_t maxCommodityEntries = std::int64_t{1} << 27;
  if (R.R < 2) return 0;
  leaveOverflowMode(R);
  const int root = chooseRoot(R, rootOption);
  log(3) << "root->" << root << "\n";
  if ((2 * std::int64_t{R.E} + 1) * (R.R + 1) > maxCommodityEntries) {
    log(1) << name << " refused: " << R.R << " required vertices on " << R.E << " edges need more memory than allowed\n";
    return 0;
  }
  return root;
}

}  // namespace tesmo
