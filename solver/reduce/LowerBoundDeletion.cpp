#include "LowerBoundDeletion.h"

#include "EdgeDeletion.h"
#include "LogStream.h"
#include "Shell.h"
#include "UnionFind.h"
#include "Upper.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

struct RegionBounds {
  std::int64_t mst = 0, top = 0;  // the nR - 2 shortest links of the spanning tree, its last
  std::int64_t rad = 0, rtop = 0;  // the nR - 2 smallest radii, the largest of them
};

// The spanning tree over the shortest links between the regions (link length: cost plus the
// smaller distance of its ends) and the region radii, both over nR - 2 terms.
RegionBounds regionBounds(const ReduceGraph& R, const int* d1, const int* b1) {
  struct Link {
    int A, B;
    std::int64_t length;
  };
  RegionBounds out;
  const int terms = R.R - 2;
  if (terms <= 0) return out;
  std::vector<Link> links;
  std::vector<std::int64_t> radius(static_cast<std::size_t>(R.R) + 1, maxint);
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    const Arc& a = R.arcs[s];
    if (b1[a.tail] == 0 || b1[a.head] == 0 || b1[a.tail] == b1[a.head]) continue;
    std::int64_t& r = radius[R.isReq[b1[a.tail]]];
    r = std::min(r, std::int64_t{d1[a.tail]} + a.cost);
    if (a.tail > a.head) continue;
    links.push_back({std::min(b1[a.tail], b1[a.head]), std::max(b1[a.tail], b1[a.head]),
                     a.cost + std::int64_t{std::min(d1[a.tail], d1[a.head])}});
  }
  log(4) << "Finding the shortest link between each two regions\n";
  std::stable_sort(links.begin(), links.end(), [](const Link& x, const Link& y) {
    return x.A != y.A ? x.A < y.A : x.B != y.B ? x.B < y.B : x.length < y.length;
  });
  links.erase(std::unique(links.begin(), links.end(),
                          [](const Link& x, const Link& y) { return x.A == y.A && x.B == y.B; }),
              links.end());
  log(4) << "Computing the generalized MST\n";
  std::stable_sort(links.begin(), links.end(),
                   [](const Link& x, const Link& y) { return x.length < y.length; });
  UnionFind regions(R.V);
  int joins = 0;
  for (const Link& link : links) {
    if (joins == terms) break;
    if (!regions.join(link.A, link.B)) continue;
    ++joins;
    out.mst += link.length;
    out.top = link.length;
  }
  std::sort(radius.begin() + 1, radius.end());
  for (int i = 1; i <= terms; ++i) out.rad += radius[i];
  out.rtop = radius[terms];
  return out;
}

// The cheapest way two vertices reach two different terminals.
std::int64_t twoEnds(const int* const d[4], const int* const b[4], int x, int y) {
  if (b[1][x] != b[1][y]) return std::int64_t{d[1][x]} + d[1][y];
  return std::min(std::int64_t{d[2][x]} + d[1][y], std::int64_t{d[1][x]} + d[2][y]);
}

}  // namespace

void lower(ReduceGraph& R) {
  leaveOverflowMode(R);
  const int nR = R.R;
  if (shell.Iget("forceLowerExecution", 0) == 0 && std::int64_t{R.Vanz} < std::int64_t{nR} * nR) {
    log(3) << "Skipping lower R^2>V \n";
    return;
  }
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  const bool lower3 = shell.Iget("lower3", 1) != 0;
  const int lower3Degree = shell.Iget("lower3Degree", 10);
  std::int64_t U = shell.Iget("upper", 0);
  shell.echoLevel = echo == 3 ? 0 : echo;
  if (nR < 2) return;  // one terminal: nothing to bound
  if (U == 0) {
    U = R.upperValue;
    if (U >= maxint) {
      log(3) << "No upper bound calculated ... just doing it for you... \n";
      upper(R);
      U = R.upperValue;
    }
    log(3) << "Upper Bound from Graph: " << U << "\n";
  }
  log(3) << "\n";
  if (U >= maxint) return;
  // A tie spares what the stored tree uses, and only when that tree has the value U.
  const bool tieTree = R.upperOk && U == R.upperValue;

  log(4) << "Determining the Voronoi regions und the links between them\n";
  R.computeVoronoiRegions(maxint);
  R.secondNearestTerminals(maxint);
  R.thirdNearestTerminals(maxint);
  const int* const d[4] = {nullptr, R.nearDist[1], R.nearDist[2], R.nearDist[3]};
  const int* const b[4] = {nullptr, R.nearBase[1], R.nearBase[2], R.nearBase[3]};
  const RegionBounds rb = regionBounds(R, d[1], b[1]);
  log(3) << "MST:      " << rb.mst << " (3: " << (rb.mst - rb.top) << ")\n";
  log(3) << "minLinks: " << rb.rad << " (3: " << (rb.rad - rb.rtop) << ")\n";
  const std::int64_t B2 = std::max(rb.mst, rb.rad) + R.contractCost;
  const std::int64_t B3 = std::max(rb.mst - rb.top, rb.rad - rb.rtop) + R.contractCost;
  const std::int64_t B2e = rb.rad + R.contractCost;
  auto exceeds = [&](std::int64_t L, bool spared) { return L > U || (L == U && tieTree && !spared); };

  int vertices = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] || R.degree[v] == 0 || b[2][v] == 0) continue;
    const std::int64_t L = B2 + d[1][v] + d[2][v];
    log(4) << "Lower: " << L << "\n";
    if (exceeds(L, R.treeDegree[v] != 0)) {
      R.markVertexDeleted(v);
      ++vertices;
    }
  }

  int degree3 = 0, added = 0, notAdded = 0;
  if (lower3 && nR >= 3) {
    R.compactEdges(nullptr);
    for (int v = 1; v <= R.V; ++v) {
      if (R.isReq[v] || R.degree[v] == 0 || R.degree[v] > lower3Degree || b[3][v] == 0) continue;
      const std::int64_t L3 = B3 + d[1][v] + d[2][v] + d[3][v];
      log(4) << "Lower: " << L3 << "\n";
      if (!exceeds(L3, R.upperOk && R.treeDegree[v] >= 3)) continue;
      if (R.lacksEdgeSpace(v)) {
        log(3) << "Stopping lower3-test at " << v << "\n";
        break;
      }
      bool treeKept = !R.upperOk || R.treeDegree[v] == 0;
      for (int s1 = R.nextLiveSlot(v, 0); s1 != 0; s1 = R.nextLiveSlot(v, s1)) {
        for (int s2 = R.nextLiveSlot(v, s1); s2 != 0; s2 = R.nextLiveSlot(v, s2)) {
          const int x = R.arcs[s1].head, y = R.arcs[s2].head;
          const std::int64_t path = std::int64_t{R.arcs[s1].cost} + R.arcs[s2].cost;
          const bool bothInTree = R.upperOk && R.inTree[R.ID[s1]] && R.inTree[R.ID[s2]];
          const std::int64_t L = path + B2e + twoEnds(d, b, x, y);
          ++notAdded;
          if (x == y || path >= maxint || exceeds(L, bothInTree)) continue;
          if (R.addEdge(Arc{x, y, static_cast<int>(path)}, s1, s2) == 0) continue;
          if (bothInTree) treeKept = true;
          ++added;
          --notAdded;
        }
      }
      // The stored tree passes v on only through one of the new edges.
      if (treeKept && R.upperOk && R.treeDegree[v] <= 2) R.treeDegree[v] = 0;
      R.deleteVertex(v);
      ++degree3;
    }
    R.rebuildAdjacency();
  }

  int edges = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    const Arc a = R.arcs[s];
    if (a.tail >= a.head) continue;
    const std::int64_t L = B2 + a.cost + twoEnds(d, b, a.tail, a.head);
    log(4) << "Lower: " << L << "\n";
    if (exceeds(L, R.upperOk && R.inTree[R.ID[s]])) {
      deleteEdgeLazily(R, s);
      ++edges;
    }
  }
  log(3) << "deleted Vertices: " << vertices << ",  deleted Grad3:" << degree3 << "\n";
  log(3) << "Grad3 +" << added << ", Grad3 - " << notAdded << "\n";
  log(3) << "deleted Edges: " << edges << "\n";
  R.compactEdges(nullptr);
  R.deleteUnreachable();
}

}  // namespace tesmo
