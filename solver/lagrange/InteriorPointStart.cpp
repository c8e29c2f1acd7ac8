// The start of the interior point from an integer dual ascent: the ascent's labels become the
// vertex duals, its bound is proven and raises the instance's lower bound, and every commodity
// starts on one path to the root.

#include "InteriorPoint.h"

#include "LogStream.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

bool ipClass::ascentStart() {
  log(3) << "\n\n";
  const ReduceGraph& G = R_;
  std::vector<std::int64_t> slack(A + 1, 0);
  for (int a : live_) slack[a] = G.arcs[a].cost;
  // label[k][v]: -1 outside S_k; sets of commodities only (the root's own set is never grown).
  std::vector<std::vector<std::int64_t>> label(K + 1, std::vector<std::int64_t>(V + 1, -1));
  std::vector<std::vector<int>> members(K + 1), active(K + 1);
  std::vector<std::vector<int>> saturatedIn(V + 1);  // tails w of saturated arcs w -> u, kept at u
  std::vector<int> size(K + 1, 1);
  for (int k = 1; k <= K; ++k) {
    label[k][terminal_[k]] = 0;
    members[k].push_back(terminal_[k]);
    active[k].push_back(terminal_[k]);
  }
  std::int64_t lower = 0;
  std::vector<int> cut, saturated, stack;
  auto join = [&](int j, int v) {
    label[j][v] = 0;
    ++size[j];
    members[j].push_back(v);
    active[j].push_back(v);
  };
  // Every vertex that reaches v over saturated arcs joins S_j; reaching the root closes S_j.
  auto closeBackwards = [&](int j, int v) {
    stack.assign(1, v);
    while (!stack.empty() && size[j] < maxint) {
      const int x = stack.back();
      stack.pop_back();
      for (int z : saturatedIn[x]) {
        if (label[j][z] >= 0) continue;
        if (z == root) {
          size[j] = maxint;
          break;
        }
        join(j, z);
        stack.push_back(z);
      }
    }
  };
  // An arc of cost 0 is saturated from the start: without this a set would pay for a cut that
  // a free arc crosses, and the bound could pass the optimum.
  for (int a : live_)
    if (slack[a] == 0) saturatedIn[G.arcs[a].head].push_back(G.arcs[a].tail);
  for (int k = 1; k <= K; ++k) closeBackwards(k, terminal_[k]);
  for (;;) {
    int k = 0;
    for (int j = 1; j <= K; ++j)
      if (size[j] < maxint && (k == 0 || size[j] < size[k])) k = j;
    if (k == 0) break;
    cut.clear();
    std::int64_t delta = -1;
    std::vector<int>& act = active[k];
    std::size_t kept = 0;
    for (std::size_t i = 0; i < act.size(); ++i) {
      const int u = act[i];
      bool any = false;
      for (int sl = G.firstArc[u]; sl < G.firstArc[u] + G.degree[u]; ++sl) {
        if (G.delE[sl]) continue;
        const int in = G.partner[sl];  // w -> u
        const int w = G.arcs[sl].head;
        if (slack[in] > 0 && label[k][w] < 0) {
          cut.push_back(in);
          any = true;
          if (delta < 0 || slack[in] < delta) delta = slack[in];
        }
      }
      if (any) act[kept++] = u;
    }
    act.resize(kept);
    if (delta < 0) {
      // No arc enters S_k: the root cannot reach this terminal.
      log(1) << "ip: terminal " << k << " cannot be reached from the root, no start\n";
      return false;
    }
    lower += delta;
    for (int v : members[k]) label[k][v] += delta;
    saturated.clear();
    for (int in : cut) {
      slack[in] -= delta;
      if (slack[in] == 0) {
        saturated.push_back(in);
        saturatedIn[G.arcs[in].head].push_back(G.arcs[in].tail);
      }
    }
    for (int j = 1; j <= K; ++j) {
      for (std::size_t i = 0; i < saturated.size() && size[j] < maxint; ++i) {
        const int in = saturated[i];
        const int w = G.arcs[in].tail, u = G.arcs[in].head;
        if (label[j][u] < 0 || label[j][w] >= 0) continue;
        if (w == root) {
          size[j] = maxint;
          break;
        }
        join(j, w);
        closeBackwards(j, w);
      }
    }
  }
  const std::int64_t withContract = lower + G.contractCost;
  log(2) << "Lower: " << lower;
  log(2) << "+Contr= " << withContract << "\n";
  if (withContract < maxint) R_.setLower(static_cast<int>(withContract), nR);

  std::vector<int> pred(V + 1, 0);
  std::vector<unsigned char> reached(V + 1, 0);
  for (int a : live_) {
    x[a] = 2e-10;
    dx[a] = 0;
    if (ipPositivX) {
      zx[a] = std::max(cost(a) - 1e-10, 1e-10);
      dzx[a] = 0;
    }
  }
  for (int k = 1; k <= K; ++k) {
    double* yk = rowV(y, k);
    for (int v = 0; v <= V; ++v) {
      kV(dy, k, v) = 0;
      yk[v] = v == root ? 0.0 : static_cast<double>(std::max<std::int64_t>(label[k][v], 0));
    }
    for (int a : live_) {
      const double d = yk[tail(a)] - yk[head(a)];
      const double wa = std::max(d, 1e-10);
      kA(w, k, a) = wa;
      kA(zs, k, a) = wa;
      kA(f, k, a) = 1e-10;
      kA(zf, k, a) = wa - d + 1e-10;
    }
    // A path from the root to t_k; the commodity flows along it towards the root.
    std::fill(reached.begin(), reached.end(), 0);
    stack.assign(1, root);
    reached[root] = 1;
    const int t = terminal_[k];
    while (!stack.empty() && !reached[t]) {
      const int v = stack.back();
      stack.pop_back();
      for (int sl = G.firstArc[v]; sl < G.firstArc[v] + G.degree[v]; ++sl) {
        const int h = G.arcs[sl].head;
        if (G.delE[sl] || reached[h]) continue;
        reached[h] = 1;
        pred[h] = sl;
        stack.push_back(h);
      }
    }
    for (int v = t; v != root && reached[t]; v = G.arcs[pred[v]].tail) {
      const int toRoot = G.partner[pred[v]];
      kA(f, k, toRoot) = 0.9999999999;
      x[toRoot] = 1.0;
    }
  }
  for (int k = 1; k <= K; ++k)
    for (int a : live_) kA(s, k, a) = x[a] - kA(f, k, a);
  return true;
}

}  // namespace tesmo
