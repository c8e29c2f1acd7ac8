#include "PathDeletion.h"

#include "EdgeDeletion.h"
#include "FindSave.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

// The generalized MST with every edge of its expanded forest (the link edges and the paths from
// their ends to the region terminals) flagged in mstLink. The tie rule of the long-edge test
// spares flagged edges: with zero-cost edges a link of the MST may be realised by an edge of
// exactly maxLink that is not a terminal-terminal edge, and deleting it would cut a terminal off.
void regionsAndMst(ReduceGraph& R, int radius, bool threeNearest) {
  R.computeVoronoiRegions(radius);
  if (threeNearest) {
    R.secondNearestTerminals(radius);
    R.thirdNearestTerminals(radius);
  }
  R.generalizedMstUpper(0);
}

bool longEdge(const ReduceGraph& R, int s, int c) {
  const int maxLink = R.blowUpMark;
  return c > maxLink || (c == maxLink && !R.mstLink[R.ID[s]]);
}

}  // namespace

void fastptm3(ReduceGraph& R) {
  leaveOverflowMode(R);
  bool allow = shell.Iget("allowDestroyUpper", 0) != 0;
  if (shell.Iget("preserveUpper", 0) != 0) allow = true;
  if (!R.upperOk) allow = true;
  const int radius = shell.Iget("Radius", R.maxCost);
  regionsAndMst(R, radius, false);
  const int* d1 = R.nearDist[1];
  const int* b1 = R.nearBase[1];
  const int* p1 = R.nearPred[1];
  int longCount = 0;
  int pathCount = 0;
  const int slots = 2 * R.E;
  for (int s = 1; s <= slots; ++s) {
    if (R.delE[s]) continue;
    if (!allow && R.inTree[R.ID[s]]) continue;
    const Arc a = R.arcs[s];
    const int u = a.tail, w = a.head, c = a.cost;
    if (u >= w) continue;
    if (longEdge(R, s, c)) {
      deleteEdgeLazily(R, s);
      ++longCount;
    } else if (d1[u] <= c && d1[w] <= c && R.isReq[b1[u]] == R.isReq[b1[w]]) {
      const bool firstOfShortestPath = (d1[u] == 0 && p1[w] == u) || (d1[w] == 0 && p1[u] == w);
      if (!firstOfShortestPath) {
        deleteEdgeLazily(R, s);
        ++pathCount;
      }
    }
  }
  log(3) << "deleted edges: " << longCount << "+" << pathCount << "=" << (longCount + pathCount)
         << "\n";
  R.compactEdges(nullptr);
  R.deleteUnreachable();
}

void ptm3(ReduceGraph& R) {
  leaveOverflowMode(R);
  const bool useMark = shell.Iget("useMark", 1) != 0;
  const bool mayDeleteTree = !R.upperOk || shell.Iget("delUpper", 1) != 0;
  const int radius = shell.Iget("Radius", R.maxCost);
  std::vector<unsigned char> mark(static_cast<std::size_t>(2 * R.E) + 1, 0);

  regionsAndMst(R, radius, true);
  FindSave& bottleneck = R.getFindSave();
  const int maxLink = R.blowUpMark;
  const int* const dist[4] = {nullptr, R.nearDist[1], R.nearDist[2], R.nearDist[3]};
  const int* const base[4] = {nullptr, R.nearBase[1], R.nearBase[2], R.nearBase[3]};
  const int* const pred[4] = {nullptr, R.nearPred[1], R.nearPred[2], R.nearPred[3]};
  auto terminalOf = [&](int k, int v) { return R.isReq[base[k][v]]; };
  auto d = [&](int i, int j) { return bottleneck.d(i, j, maxint); };

  int degreeEdges = 0, degreeVertices = 0;
  if (maxLink < maxint && shell.Iget("delDegree", 0) != 0) {
    // A tree that meets v in k of its edges pays at least the k cheapest; without v its k parts
    // are joined again by k - 1 links of the generalized MST, each at most maxLink. Only a strict
    // saving for every k proves that no optimal tree uses v: a link may run through v itself, so
    // an equal cost proves nothing, and a cheap star of three is not ruled out by the two
    // cheapest edges and the sum of all.
    std::vector<std::int64_t> costs;
    for (int v = 1; v <= R.V; ++v) {
      if (R.isReq[v] != 0 || R.degree[v] <= 2) continue;
      const int first = R.firstArc[v], end = R.firstArc[v] + R.degree[v];
      costs.clear();
      for (int s = first; s < end; ++s)
        if (!R.delE[s]) costs.push_back(R.arcs[s].cost);
      std::sort(costs.begin(), costs.end());
      bool qualifies = true;
      std::int64_t cheapest = 0;
      for (std::size_t k = 1; k <= costs.size() && qualifies; ++k) {
        cheapest += costs[k - 1];
        qualifies = k < 2 || cheapest > static_cast<std::int64_t>(k - 1) * maxLink;
      }
      // The sum of all is weighed against the whole slot range, deleted slots included.
      if (!qualifies || cheapest <= std::int64_t{R.degree[v] - 1} * maxLink) continue;
      ++degreeVertices;
      for (int s = first; s < end; ++s) {
        if (R.delE[s]) continue;
        deleteEdgeLazily(R, s);
        ++degreeEdges;
      }
    }
  }

  // Marks the slot that the scan examines for the edge x-y (deleted slots included).
  auto markEdge = [&](int x, int y) {
    const int low = std::min(x, y), high = std::max(x, y);
    for (int s = R.firstArc[low]; s < R.firstArc[low] + R.degree[low]; ++s)
      if (R.arcs[s].head == high) {
        mark[s] = 1;
        return;
      }
  };

  int longCount = 0, sameCount = 0, firstCount = 0, furtherCount = 0;
  const int slots = 2 * R.E;
  for (int s = 1; s <= slots; ++s) {
    if (R.delE[s]) continue;
    if (!mayDeleteTree && R.inTree[R.ID[s]]) continue;
    const Arc a = R.arcs[s];
    const int u = a.tail, w = a.head, c = a.cost;
    if (u >= w) continue;
    if (longEdge(R, s, c)) {
      deleteEdgeLazily(R, s);
      ++longCount;
      continue;
    }
    if (dist[1][u] > c || dist[1][w] > c) continue;
    const int tu = terminalOf(1, u), tw = terminalOf(1, w);
    if (tu == tw) {
      const bool firstOfShortestPath =
          (dist[1][u] == 0 && pred[1][w] == u) || (dist[1][w] == 0 && pred[1][u] == w);
      if (!firstOfShortestPath) {
        deleteEdgeLazily(R, s);
        ++sameCount;
      }
      continue;
    }
    const int D = d(tu, tw);
    const bool uAtTerminal = dist[1][u] == 0, wAtTerminal = dist[1][w] == 0;
    if (uAtTerminal && wAtTerminal) {
      if (D < c || (D == c && !R.mstLink[R.ID[s]])) {
        deleteEdgeLazily(R, s);
        ++firstCount;
      }
      continue;
    }
    if (!uAtTerminal && !wAtTerminal) {
      if (D <= c) {
        deleteEdgeLazily(R, s);
        ++firstCount;
        continue;
      }
      auto within = [&](int k, int x) { return dist[k][x] <= c; };
      bool further = (within(2, w) && d(tu, terminalOf(2, w)) <= c) ||
                     (within(3, w) && d(tu, terminalOf(3, w)) <= c);
      for (int k = 2; k <= 3 && !further; ++k) {
        if (!within(k, u)) continue;
        const int ix = terminalOf(k, u);
        further = d(ix, tw) <= c || (within(2, w) && d(ix, terminalOf(2, w)) <= c) ||
                  (within(3, w) && d(ix, terminalOf(3, w)) <= c);
      }
      if (further) {
        deleteEdgeLazily(R, s);
        ++furtherCount;
      }
      continue;
    }
    // Exactly one end lies at its terminal; ties at the edge cost may be used once, guarded by
    // the marks of the direct edges they rely on.
    // Rows 2 and 3 keep the region terminal, not the neighbour, as predecessor of a vertex
    // reached straight from another region: a tie there may run over this very edge whenever
    // y lies at its terminal, so it is not used then.
    auto near = [&](int k, int x, int y) {
      if (dist[k][x] < c) return true;
      if (!useMark || dist[k][x] != c || mark[s] || pred[k][x] == y) return false;
      return k == 1 || dist[1][y] != 0;
    };
    if (D <= c && near(1, u, w) && near(1, w, u)) {
      deleteEdgeLazily(R, s);
      ++firstCount;
      if (uAtTerminal && dist[1][w] == c) markEdge(w, base[1][w]);
      if (wAtTerminal && dist[1][u] == c) markEdge(u, base[1][u]);
      continue;
    }
    bool done = false;
    for (int k = 2; k <= 3 && !done; ++k)
      if (near(k, w, u) && d(tu, terminalOf(k, w)) <= c) {
        done = true;
        if (uAtTerminal && dist[k][w] == c) markEdge(w, base[k][w]);
      }
    for (int k = 2; k <= 3 && !done; ++k)
      if (near(k, u, w) && d(terminalOf(k, u), tw) <= c) {
        done = true;
        if (wAtTerminal && dist[k][u] == c) markEdge(u, base[k][u]);
      }
    if (done) {
      deleteEdgeLazily(R, s);
      ++furtherCount;
    }
  }
  const int total = degreeEdges + longCount + sameCount + firstCount + furtherCount;
  log(3) << "deleted edges: " << degreeEdges << "(" << degreeVertices << ")+" << longCount << "+"
         << sameCount << "+" << firstCount << "+" << furtherCount << "=" << total << "\n";
  R.compactEdges(nullptr);
  R.deleteUnreachable();
}

}  // namespace tesmo
