#pragma once
// Bottleneck distances between terminals in a forest of links between them: d(i, j) is the
// largest link length on the path from terminal i to terminal j, maxint when no path exists (or
// when i or j is no terminal index 1..n). Three forms with the same answers trade memory against
// query time: a full matrix, a tree walked per query, and that tree with a per-terminal cache.

#include "RegionLink.h"

namespace tesmo {

class FindSave {
public:
  enum Kind { matrixKind = 2, treeKind = 3, treeCachedKind = 4 };

  FindSave() = default;
  FindSave(const FindSave&) = delete;
  FindSave& operator=(const FindSave&) = delete;

  // Rebuilds the store for terminals 1..n (n = 0 keeps the current count) from links[1..linkCount],
  // normally the generalized MST in ascending order. A link that would close a cycle is skipped,
  // so the store always describes the forest of the links taken in list order.
  virtual void build(int linkCount, const RegionLink* links, int n) = 0;
  // The limit is accepted for callers that could stop early; no form needs it.
  virtual int d(int i, int j, int limit) = 0;
  virtual int kind() const = 0;
  virtual ~FindSave() = default;

  int n() const { return n_; }

protected:
  bool isTerminal(int i) const { return i >= 1 && i <= n_; }
  // Validates a link's ends; a bad one fails the check and is skipped when the run goes on.
  bool validLink(const RegionLink& link) const;

  int n_ = 0;
};

}  // namespace tesmo
