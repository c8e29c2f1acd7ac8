#include "SteinerDegree.h"

#include "LiveEdgeIterator.h"
#include "LogStream.h"
#include "RunTimer.h"
#include "Shell.h"
#include "StableSort.h"
#include "UnionFind.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tesmo {

namespace {

// Whether the star of v's records at the chosen positions is never cheaper than the tree that
// joins their far ends along bottleneck distances.
class StarCheck {
public:
  StarCheck(ReduceGraph& R, int k) : R_(R), pairs_(static_cast<std::size_t>(k) * k + 1) {
    keys_.assign(pairs_.size(), 0);
    index_.assign(pairs_.size(), 0);
    keysWork_.assign(pairs_.size(), 0);
    indexWork_.assign(pairs_.size(), 0);
    sets_.assign(static_cast<std::size_t>(R.V) + 1, 0);
  }

  bool starNotCheaper(const std::vector<Arc>& records, const std::vector<int>& subset) {
    const int s = static_cast<int>(subset.size());
    std::int64_t star = 0;
    for (int i : subset) star += records[i].cost;
    int count = 0;
    std::int64_t largest = 0, sum = 0;
    for (int i = 0; i < s; ++i)
      for (int j = i + 1; j < s; ++j) {
        const int a = records[subset[i]].head, b = records[subset[j]].head;
        const int d = R_.bottleneckDistance(a, b);
        ++count;
        pairs_[count] = {a, b, d};
        keys_[count] = d;
        sum += d;
        largest = std::max<std::int64_t>(largest, d);
      }
    std::int64_t tree = 0;
    if (s == 3) {
      tree = sum - largest;
    } else {
      stableSortWithIndex(count, keys_, index_, keysWork_, indexWork_);
      for (int i : subset) sets_[records[i].head] = 0;
      int joins = 0;
      for (int p = 1; p <= count && joins < s - 1; ++p) {
        const Arc& pair = pairs_[index_[p]];
        if (!unionFindJoin(pair.tail, pair.head, true, sets_)) continue;
        ++joins;
        tree += pair.cost;
      }
    }
    return star >= tree;
  }

private:
  ReduceGraph& R_;
  std::vector<Arc> pairs_;
  IntArray keys_, index_, keysWork_, indexWork_, sets_;
};

// Advances subset (positions in 0..n-1, ascending) to the next one of its size in lexicographic
// order; false after the last.
bool nextSubset(std::vector<int>& subset, int n) {
  const int s = static_cast<int>(subset.size());
  int i = s - 1;
  while (i >= 0 && subset[i] == n - s + i) --i;
  if (i < 0) return false;
  ++subset[i];
  for (int j = i + 1; j < s; ++j) subset[j] = subset[j - 1] + 1;
  return true;
}

}  // namespace

void steinerDegree(ReduceGraph& R) {
  R.isReq[0] = 0;
  const int maxDegree = shell.Iget("maxDegree", 8);
  if (shell.Iget("speedtest", 0) != 0) {
    R.computeVoronoiRegions(maxint);
    runTimer.printProgress(3);
    R.generalizedMst();
  }
  R.computeVoronoiRegions(maxint);
  R.secondNearestTerminals(maxint);
  R.thirdNearestTerminals(maxint);
  runTimer.printProgress(3);
  R.generalizedMstUpper(0);
  R.getFindSave();

  int replaced = 0;
  std::int64_t newEdges = 0, removed = 0;
  if (R.blowUpMark >= maxint) {
    log(3) << "@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@ maxint=maxLink\n";
  } else {
    StarCheck check(R, std::max(maxDegree, 1));
    std::vector<Arc> records;
    std::vector<int> subset;
    for (int v = 1; v <= R.V; ++v) {
      if (R.isReq[v] != 0 || R.degree[v] <= 2 || R.degree[v] > maxDegree) continue;
      records.clear();
      LiveEdgeIterator it(R, v);
      while (nextLiveEdge(R, it) && static_cast<int>(records.size()) < maxDegree)
        if (!R.delE[it.slot]) records.push_back(*it.arc);
      const int n = static_cast<int>(records.size());
      if (n >= maxDegree) continue;
      bool fails = false;
      for (int s = 3; s <= std::min(n, R.R) && !fails; ++s) {
        subset.resize(s);
        for (int i = 0; i < s; ++i) subset[i] = i;
        do {
          fails = !check.starNotCheaper(records, subset);
        } while (!fails && nextSubset(subset, n));
      }
      if (fails) continue;
      newEdges += R.replaceVertex(v, true);
      removed += n;
      ++replaced;
    }
  }
  R.rebuildAdjacency();
  R.deleteUnreachable();
  log(3) << "\nreplaced: " << replaced << " (new edges: " << newEdges
         << ", edge difference = " << (removed - newEdges) << ")\n";
}

}  // namespace tesmo
