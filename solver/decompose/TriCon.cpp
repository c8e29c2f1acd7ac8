#include "TriCon.h"

#include "BlockAnalyser.h"
#include "EdgeDeletion.h"
#include "LogStream.h"
#include "SeparatorCases.h"
#include "Shell.h"
#include "SmallSide.h"

#include <algorithm>
#include <vector>

namespace tesmo {

namespace {

// The terminal cut vertices of R without t, found by one depth-first search per component
// (numbers are depths, as lowpoints compare them); a terminal is listed once per child that
// cannot climb above it. Iterative, so long paths do not grow the call stack.
class TerminalCuts {
public:
  explicit TerminalCuts(const ReduceGraph& R)
      : num_(static_cast<std::size_t>(R.V) + 2, 0), low_(static_cast<std::size_t>(R.V) + 2, 0) {}

  const std::vector<int>& run(const ReduceGraph& R, int t) {
    std::fill(num_.begin(), num_.end(), 0);
    list_.clear();
    for (int v = 1; v <= R.V; ++v)
      if (num_[v] == 0 && v != t && R.hasLiveSlot(v)) search(R, t, v);
    return list_;
  }

private:
  struct Frame {
    int vertex, parent, slot;
  };
  void search(const ReduceGraph& R, int t, int root) {
    frames_.clear();
    num_[root] = low_[root] = 1;
    frames_.push_back({root, R.V + 1, 0});
    while (!frames_.empty()) {
      const Frame f = frames_.back();
      const int s = R.nextLiveSlot(f.vertex, f.slot);
      if (s == 0) {
        frames_.pop_back();
        if (frames_.empty()) break;
        const int v = frames_.back().vertex;
        if (low_[f.vertex] >= num_[v] && R.isReq[v] != 0) list_.push_back(v);
        else low_[v] = std::min(low_[v], low_[f.vertex]);
        continue;
      }
      frames_.back().slot = s;
      const int w = R.arcs[s].head;
      if (w == t) continue;
      if (num_[w] == 0) {
        num_[w] = low_[w] = static_cast<int>(frames_.size()) + 1;
        frames_.push_back({w, f.vertex, 0});
      } else if (num_[w] < num_[f.vertex] && w != f.parent) {
        low_[f.vertex] = std::min(low_[f.vertex], num_[w]);
      }
    }
  }

  IntArray num_, low_;
  std::vector<int> list_;
  std::vector<Frame> frames_;
};

}  // namespace

void findSeparatorPairs(ReduceGraph& R, IntMatrix& pairs, int maxSeparators) {
  int n = 0;
  const int limit = std::min(maxSeparators, pairs.rows() - 1);
  if (limit >= 1) {
    TerminalCuts cuts(R);
    for (int i = 1; i <= R.R && n < limit; ++i) {
      const int t = R.terminals[i];
      for (int v : cuts.run(R, t)) {
        if (n >= limit) break;
        if (R.isReq[v] > i) {
          ++n;
          pairs[n][1] = t;
          pairs[n][2] = v;
        }
      }
    }
  }
  if (!pairs.isNull()) pairs[0][0] = n;
  log(3) << "\n" << n << " separator pairs:\n";
  for (int i = 1; i <= n; ++i) log(3) << pairs[i][1] << "," << pairs[i][2];
  log(3) << "\n";
}

int triConCases(ReduceGraph& R, int head, const IntArray& next, int a, int b, IntArray& vertexMap) {
  const int separator[] = {a, b};
  SeparatorCases cases(R, head, next, separator, vertexMap, SeparatorCases::TerminalOrder::Ascending);
  bool ruled[3] = {false, false, false};
  cases.computeOutside();
  cases.computeInsideSteiner();
  log(3) << cases.outside(1, 2) << " " << cases.insideSteiner(1, 2) << "\n";
  if (cases.insideSteiner(1, 2) <= cases.outside(1, 2)) {
    log(3) << "ruled out case 2\n";
    ruled[2] = true;
  }
  cases.computeInside();
  cases.computeWholeSteiner();
  log(3) << cases.inside(1, 2) << " " << cases.wholeSteiner(1, 2) << "\n";
  if (cases.wholeSteiner(1, 2) < cases.inside(1, 2)) {
    log(3) << "ruled out case 1\n";
    ruled[1] = true;
  }
  if (!ruled[1]) {
    log(3) << "TRICON:  1" << std::endl;
    cases.solveAndCount({"!B.upperOpt || !B.upperOk", 639}, {});
  }
  if (!ruled[2]) {
    log(3) << "TRICON: 2" << std::endl;
    const std::pair<int, int> bottle[] = {{1, 2}};
    if (!cases.solveAndCount({"!B.upperOpt || !B.upperOk", 663}, bottle)) ruled[2] = true;
  }
  return cases.apply(2, ruled[1] + ruled[2]);
}

void triCon(ReduceGraph& R) {
  leaveOverflowMode(R);
  if (R.R < 2) return;
  {
    BlockAnalyser analyser(R);
    analyser.reset();
    analyser.search(R.terminals[1]);
    if (analyser.blockCount() >= 2) {
      log(3) << "graph not biconnected! TriCon->biCon\n";
      decomposeBlocks(R, analyser, false, {880, "s != B.upperValue", 889, 902});
      return;
    }
  }
  const int maxSeparators = shell.Iget("maxSeparators", R.R);
  const int maxSize = std::min(std::max(R.V / 3, 200), R.V / 2);
  const SideLimits limits{shell.Iget("maxSize", maxSize), shell.Iget("minReqs", 6), 0};
  IntMatrix pairs(std::max(maxSeparators, 0), 2);
  findSeparatorPairs(R, pairs, maxSeparators);
  IntArray vertexMap(static_cast<std::size_t>(R.V) + 1, 0);
  vertexMap[0] = R.V;
  for (int v = 1; v <= R.V; ++v) vertexMap[v] = v;
  SmallSide side(R);
  for (int i = 1; i <= pairs[0][0]; ++i) {
    const int a = vertexMap[pairs[i][1]];
    const int b = vertexMap[pairs[i][2]];
    if (a == 0 || b == 0 || a == b) continue;
    const int separator[] = {a, b};
    if (!side.find(R, separator, limits)) continue;
    triConCases(R, side.head(), side.next(), a, b, vertexMap);
  }
}

}  // namespace tesmo
