#include "SeparatorDecompositions.h"

#include "BlockAnalyser.h"
#include "EdgeDeletion.h"
#include "IntMatrix.h"
#include "LogStream.h"
#include "SeparatorCases.h"
#include "SeparatorSearch.h"
#include "Shell.h"
#include "SmallSide.h"

#include <algorithm>
#include <vector>

namespace tesmo {

namespace {

struct DecompositionOptions {
  int maxSeparators;
  SideLimits limits;
  int source;
};

// Options of Q and P, echoed at level 3. sourceShift: 0 for Q's default (V mod R), 1 for P's.
DecompositionOptions readOptions(const ReduceGraph& R, int sourceShift) {
  shell.echoLevel = 3;
  DecompositionOptions o{};
  o.maxSeparators = shell.Iget("maxSeparators", R.R);
  o.limits.maxSize = shell.Iget("maxSize", std::min(std::max(R.V / 3, 200), R.V / 2));
  o.limits.minReqs = shell.Iget("minReqs", 6);
  o.source = shell.Iget("Source", R.V % R.R + sourceShift);
  shell.echoLevel = 0;
  if (o.source < 1 || o.source > R.R) o.source = 1;
  return o;
}

// Runs the separator search and hands each row's side to solve(separator); rows whose size
// does not pass accept are skipped, as are rows whose vertices have disappeared.
template <class Accept, class Solve>
void decomposeAtSeparators(ReduceGraph& R, int k, int sourceShift, Accept accept, Solve solve) {
  const DecompositionOptions options = readOptions(R, sourceShift);
  IntMatrix list(std::max(options.maxSeparators, 0), k);
  findSeparators(R, list, k, options.source);
  IntArray vertexMap(static_cast<std::size_t>(R.V) + 1, 0);
  vertexMap[0] = R.V;
  for (int v = 1; v <= R.V; ++v) vertexMap[v] = v;
  SmallSide side(R);
  std::vector<int> separator;
  for (int i = 1; i <= list[0][0]; ++i) {
    const int size = list[i][0];
    if (!accept(size)) continue;
    separator.clear();
    for (int j = 1; j <= size; ++j) separator.push_back(vertexMap[list[i][j]]);
    if (std::find(separator.begin(), separator.end(), 0) != separator.end()) continue;
    SideLimits limits = options.limits;
    if (size == 4) limits.belowSize = std::max(limits.maxSize / 4, 1);
    if (!side.find(R, separator, limits)) continue;
    solve(side, separator, vertexMap);
  }
}

}  // namespace

void quadroCon(ReduceGraph& R) {
  leaveOverflowMode(R);
  if (R.R < 2) return;
  if (biconTest(R) >= 2) {
    log(3) << "graph not biconnected! leaving quadroCon\n";
    return;
  }
  if (R.R < 3) return;
  decomposeAtSeparators(
      R, 3, 0, [](int size) { return size == 3; },
      [&R](const SmallSide& side, const std::vector<int>& s, IntArray& map) {
        quadroConCases(R, side.head(), side.next(), s[0], s[1], s[2], map);
      });
}

void pentaCon(ReduceGraph& R) {
  leaveOverflowMode(R);
  if (R.R < 2) return;
  if (biconTest(R) > 1) log(3) << "Warning: graph not biconnected! yet giong on....\n";
  decomposeAtSeparators(
      R, 4, 1, [](int size) { return size >= 2; },
      [&R](const SmallSide& side, const std::vector<int>& s, IntArray& map) {
        if (s.size() == 2) triConCases(R, side.head(), side.next(), s[0], s[1], map);
        else if (s.size() == 3) quadroConCases(R, side.head(), side.next(), s[0], s[1], s[2], map);
        else pentaConCases(R, side.head(), side.next(), s, map);
      });
}

}  // namespace tesmo
