// The bottleneck store of the reduction instance, built from its current region links.

#include "FindSave.h"
#include "FindSaveMatrix.h"
#include "FindSaveTreeCached.h"
#include "ReduceGraph.h"
#include "Shell.h"

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

}  // namespace tesmo
