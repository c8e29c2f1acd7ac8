#include "DynamicCutPool.h"

#include "Check.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tesmo {

namespace {

int toInt(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX)); }

}  // namespace

DynamicCutPool::DynamicCutPool(ReduceGraph& R, IntArray& weights) : R_(R), weights_(weights) {
  faktor_ = std::max(1, shell.Iget("beasleyFaktor", std::max(1, 160000000 / std::max(1, R.upperValue))));
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  clearLimit_ = shell.Iget("clearLimit", 2);
  maxCuts_ = std::max(0, shell.Iget("maxCuts", std::min(R.V, 500)));
  dynamicCuts_ = shell.Iget("dynamicCuts", 1) != 0;
  shell.echoLevel = echo == 3 ? 0 : echo;
  const std::size_t places = static_cast<std::size_t>(maxCuts_) + 1;
  first_.assign(places, 0);
  multiplier_.assign(places, -1);
  zeroUpdates_.assign(places, 0);
  slotCount_.assign(places, 0);
  nodeSlot_.assign(1, 0);
  nodeNext_.assign(1, 0);
  forestRoot_.assign(static_cast<std::size_t>(R.V) + 1, 0);
  mark_.assign(static_cast<std::size_t>(R.V) + 1, 0);
  initialConstant_ = weights_.empty() ? 0 : weights_[0];
}

DynamicCutPool::~DynamicCutPool() {
  for (int i = 1; i <= maxCuts_; ++i)
    if (multiplier_[i] >= 0) log(4) << static_cast<double>(multiplier_[i]) / faktor_ << " ";
  log(4) << "\n";
}

int DynamicCutPool::cutsInUse() const {
  int n = 0;
  for (int i = 1; i <= maxCuts_; ++i) n += multiplier_[i] >= 0 ? 1 : 0;
  return n;
}

void DynamicCutPool::findRoots(const IntArray& parent) {
  const int V = R_.V;
  if (static_cast<int>(parent.size()) < V + 1) {
    exitWithWarning("parent array shorter than the vertex range", __LINE__, "cuts", R_.warningDump());
    return;
  }
  // A walk up longer than V steps has met a cycle: the array is no forest.
  for (int v = 1; v <= V; ++v) {
    int x = v, steps = 0;
    while (parent[x] > 0 && parent[x] <= V && steps <= V) {
      x = parent[x];
      ++steps;
    }
    if (steps > V) {
      exitWithWarning("parent array holds a cycle", __LINE__, "cuts", R_.warningDump());
      forestRoot_[v] = v;
      continue;
    }
    forestRoot_[v] = x;
  }
}

bool DynamicCutPool::findCut(int k, const IntArray& parent, std::vector<int>& cut) {
  cut.clear();
  if (k < 1 || k > R_.R) return false;
  findRoots(parent);
  const int root = forestRoot_[R_.terminals[k]];
  int terminals = 0;
  for (int j = 1; j <= R_.R; ++j)
    if (forestRoot_[R_.terminals[j]] == root) ++terminals;
  if (terminals >= R_.R) {
    log(3) << "All conected, no cut possible.\n";
    return false;
  }
  log(5) << "Cut from " << k << ":";
  for (int v = 1; v <= R_.V; ++v) {
    if (forestRoot_[v] != root) continue;
    for (int s = R_.firstArc[v]; s < R_.firstArc[v] + R_.degree[v]; ++s) {
      if (R_.delE[s] || forestRoot_[R_.arcs[s].head] == root) continue;
      cut.push_back(s);
      log(5) << " " << s;
    }
  }
  log(5) << "\n";
  return !cut.empty();
}

int DynamicCutPool::storeCut(const std::vector<int>& cut) {
  int place = 0;
  for (int i = 1; i <= maxCuts_ && place == 0; ++i)
    if (multiplier_[i] < 0) place = i;
  if (place == 0) return 0;
  multiplier_[place] = 0;
  zeroUpdates_[place] = 0;
  slotCount_[place] = static_cast<int>(cut.size());
  first_[place] = 0;
  for (auto it = cut.rbegin(); it != cut.rend(); ++it) {
    int n = freeNode_;
    if (n != 0) {
      freeNode_ = nodeNext_[n];
    } else {
      n = static_cast<int>(nodeSlot_.size());
      nodeSlot_.push_back(0);
      nodeNext_.push_back(0);
    }
    nodeSlot_[n] = *it;
    nodeNext_[n] = first_[place];
    first_[place] = n;
  }
  return place;
}

void DynamicCutPool::changeWeights(int i, std::int64_t amount) {
  // The multiplier rises by amount: the constant term with it, the slots of the cut lose it.
  weights_[0] = toInt(std::int64_t{weights_[0]} + amount);
  for (int n = first_[i]; n != 0; n = nodeNext_[n]) {
    const int s = nodeSlot_[n];
    weights_[s] = toInt(std::int64_t{weights_[s]} - amount);
    const int p = R_.partner[s];
    weights_[p] = toInt(std::int64_t{weights_[p]} - amount);
  }
  multiplier_[i] += amount;
}

void DynamicCutPool::deleteCut(int i) {
  if (i < 1 || i > maxCuts_ || multiplier_[i] < 0) return;
  log(5) << "Loesche " << i << "\n";
  changeWeights(i, -multiplier_[i]);
  int n = first_[i];
  while (n != 0) {
    const int next = nodeNext_[n];
    nodeNext_[n] = freeNode_;
    freeNode_ = n;
    n = next;
  }
  first_[i] = 0;
  multiplier_[i] = -1;
  zeroUpdates_[i] = 0;
  slotCount_[i] = 0;
}

int DynamicCutPool::edgesOnCut(int i, const IntArray& parent) {
  if (i < 1 || i > maxCuts_ || multiplier_[i] < 0) return 0;
  log(5) << "Edges on Cut " << i << "\n";
  if (++markStamp_ == INT_MAX) {
    std::fill(mark_.begin(), mark_.end(), 0);
    markStamp_ = 1;
  }
  // A forest edge is known by its child vertex.
  int edges = 0;
  for (int n = first_[i]; n != 0; n = nodeNext_[n]) {
    const int s = nodeSlot_[n];
    const int u = R_.arcs[s].tail, w = R_.arcs[s].head;
    int child = 0;
    if (parent[u] == w)
      child = u;
    else if (parent[w] == u)
      child = w;
    if (child == 0 || mark_[child] == markStamp_) continue;
    mark_[child] = markStamp_;
    ++edges;
  }
  return edges;
}

void DynamicCutPool::subgradientStep(const IntArray& parent, int stepSize) {
  for (int i = 1; i <= maxCuts_; ++i) {
    if (multiplier_[i] < 0 || slotCount_[i] == 0) continue;
    const std::int64_t e = edgesOnCut(i, parent);
    std::int64_t step = std::int64_t{stepSize} * (1 - e) / slotCount_[i];
    if (step == 0) step = (1 - e) > 0 ? 1 : ((1 - e) < 0 ? -1 : 0);
    step = std::max(step, -multiplier_[i]);
    // Weights and the constant term stay within the int range.
    if (step > 0) {
      std::int64_t room = std::int64_t{INT_MAX} - weights_[0];
      for (int n = first_[i]; n != 0; n = nodeNext_[n]) {
        const int s = nodeSlot_[n];
        room = std::min(room, std::int64_t{weights_[s]} - INT_MIN);
        room = std::min(room, std::int64_t{weights_[R_.partner[s]]} - INT_MIN);
      }
      step = std::min(step, std::max<std::int64_t>(0, room / 2));
    }
    if (step != 0) changeWeights(i, step);
  }
}

void DynamicCutPool::update(const IntArray& parent) {
  int used = 0;
  std::int64_t sum = 0, smallest = -1, largest = -1;
  for (int i = 1; i <= maxCuts_; ++i) {
    if (multiplier_[i] < 0) continue;
    ++used;
    sum += multiplier_[i];
    if (smallest < 0 || multiplier_[i] < smallest) smallest = multiplier_[i];
    largest = std::max(largest, multiplier_[i]);
    zeroUpdates_[i] = multiplier_[i] == 0 ? zeroUpdates_[i] + 1 : 0;
  }
  log(4) << "Cuts: " << used;
  if (used > 0)
    log(4) << " Avg:" << static_cast<double>(sum) / used / faktor_ << " " << static_cast<double>(smallest) / faktor_
           << " " << static_cast<double>(largest) / faktor_;
  log(4) << "\n";

  int deleted = 0, added = 0;
  if (used >= maxCuts_ && maxCuts_ > 0 && dynamicCuts_) {
    for (int i = 1; i <= maxCuts_; ++i) {
      if (multiplier_[i] == 0 && zeroUpdates_[i] >= clearLimit_) {
        deleteCut(i);
        ++deleted;
      }
    }
    if (deleted == 0) {
      int weakest = 0;
      for (int i = 1; i <= maxCuts_; ++i)
        if (multiplier_[i] >= 0 && (weakest == 0 || multiplier_[i] < multiplier_[weakest])) weakest = i;
      if (weakest != 0) {
        deleteCut(weakest);
        ++deleted;
      }
    }
    used -= deleted;
  }
  // While more than one place is free, terminals in order; the last place goes to the terminal
  // whose cut is the smallest.
  int k = 1;
  for (; k <= R_.R && maxCuts_ - used > 1; ++k) {
    if (!findCut(k, parent, cutBuffer_)) continue;
    if (storeCut(cutBuffer_) != 0) {
      ++used;
      ++added;
    }
  }
  if (maxCuts_ - used == 1) {
    bestCut_.clear();
    bool found = false;
    for (; k <= R_.R; ++k) {
      if (!findCut(k, parent, cutBuffer_)) continue;
      if (!found || cutBuffer_.size() < bestCut_.size()) {
        bestCut_.swap(cutBuffer_);
        found = true;
      }
    }
    if (found && storeCut(bestCut_) != 0) ++added;
  }
  log(4) << "deleted: " << deleted << ", added: " << added << "\n";
}

int DynamicCutPool::check() const {
  const int n = 2 * R_.E;
  std::vector<std::int64_t> expected(static_cast<std::size_t>(n) + 1, 0);
  expected[0] = initialConstant_;
  for (int s = 1; s <= n; ++s) expected[s] = std::int64_t{faktor_} * R_.arcs[s].cost;
  for (int i = 1; i <= maxCuts_; ++i) {
    if (multiplier_[i] < 0) continue;
    expected[0] += multiplier_[i];
    for (int node = first_[i]; node != 0; node = nodeNext_[node]) {
      const int s = nodeSlot_[node];
      expected[s] -= multiplier_[i];
      expected[R_.partner[s]] -= multiplier_[i];
    }
  }
  int errors = 0;
  for (int s = 0; s <= n; ++s) {
    if (s > 0 && R_.delE[s]) continue;
    if (expected[s] == weights_[s]) continue;
    log(1) << "L-Error: " << s << " : soll: " << expected[s] << " ist: " << weights_[s] << "\n";
    ++errors;
  }
  return errors;
}

}  // namespace tesmo
