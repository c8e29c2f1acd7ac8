// The bottleneck store of the reduction instance, built from its current region links, and the
// bottleneck distance estimates it answers together with the nearest terminals.

#include "FindSave.h"
#include "FindSaveMatrix.h"
#include "FindSaveTreeCached.h"
#include "ReduceGraph.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

namespace {

const RegionLink* linkData(const CheckedVector<RegionLink>& links) {
  return links.empty() ? nullptr : links.data();
}

}  // namespace

FindSave& ReduceGraph::getFindSave() {
  if (shell.Iget("useTreeFindSave", R >= 301 ? 1 : 0) != 0) return buildFindSaveTree(0);
  return buildFindSaveMatrix();
}

FindSave& ReduceGraph::buildFindSaveMatrix() {
  if (findSave && findSave->kind() != FindSave::matrixKind) findSave.reset();
  if (!findSave) findSave = std::make_unique<FindSaveMatrix>(R);
  findSave->build(linkCount, linkData(regionLinks), R);
  return *findSave;
}

FindSave& ReduceGraph::buildFindSaveTree(int cached) {
  const int wanted = cached != 0 ? FindSave::treeCachedKind : FindSave::treeKind;
  if (findSave && findSave->kind() != wanted) findSave.reset();
  if (!findSave) {
    if (cached != 0)
      findSave = std::make_unique<FindSaveTreeCached>(R, shell.Iget("findsaveHashSize", 10));
    else
      findSave = std::make_unique<FindSaveTree>(R);
  }
  findSave->build(linkCount, linkData(regionLinks), R);
  return *findSave;
}

int ReduceGraph::bottleneckDistance(int i, int j) {
  if (nearBase.isNull() || i < 1 || i > V || j < 1 || j > V) return maxint;
  const int bi1 = nearBase[1][i];
  const int bj1 = nearBase[1][j];
  if (bi1 == 0 || bj1 == 0) return maxint;
  int best = std::max(nearDist[1][i], nearDist[1][j]);
  if (isReq[bi1] == isReq[bj1]) return best;
  FindSave& store = findSave ? *findSave : getFindSave();
  // isReq of base 0 is 0, which the store answers with maxint.
  auto D = [&](int s, int t) { return store.d(isReq[s], isReq[t], maxint); };
  best = std::max(best, D(bi1, bj1));
  auto di = [&](int k) { return nearDist[k][i]; };
  auto dj = [&](int k) { return nearDist[k][j]; };
  auto candidate = [&](int k, int l) {
    const int value = std::max({di(k), dj(l), D(nearBase[k][i], nearBase[l][j])});
    if (value < best) best = value;
  };
  if (di(1) < best) {
    if (dj(2) < best) candidate(1, 2);
    if (dj(3) < best) candidate(1, 3);
  }
  if (di(2) < best) {
    candidate(2, 1);
    if (dj(2) < best) candidate(2, 2);
    if (dj(3) < best) candidate(2, 3);
  }
  if (di(3) < best) {
    candidate(3, 1);
    if (dj(2) < best) candidate(3, 2);
    if (dj(3) < best) candidate(3, 3);
  }
  return best;
}

}  // namespace tesmo
