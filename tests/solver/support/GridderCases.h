#pragma once
// Helpers shared by the tests of the gridder letters: options from a blank-separated text, the
// live edges of an instance as sorted triples, and the instance families of their safety tests.

#include "DegreeThreeInstances.h"
#include "InstanceBuilders.h"

#include "ReduceGraph.h"
#include "Shell.h"

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace steinertest {

// Clears the shell and applies each name=value of text.
inline void setShellOptions(const std::string& text) {
  tesmo::shell.clearVariables();
  for (std::size_t p = 0; p < text.size();) {
    const std::size_t q = std::min(text.find(' ', p), text.size());
    if (q > p) tesmo::shell.setAssignment(text.substr(p, q - p));
    p = q + 1;
  }
}

// Live edges of R as (smaller end, larger end, cost), sorted.
inline std::vector<std::tuple<int, int, int>> liveEdgeTriples(const tesmo::ReduceGraph& R) {
  std::vector<std::tuple<int, int, int>> list;
  for (int s : tesmotest::liveEdgeSlots(R))
    list.emplace_back(std::min(R.arcs[s].tail, R.arcs[s].head), std::max(R.arcs[s].tail, R.arcs[s].head), R.arcs[s].cost);
  std::sort(list.begin(), list.end());
  return list;
}

// Runs method on the cheap-triangle instance (vertex 1 joined to the terminals 2, 3, 4 by edges
// of cost 5, the terminals by edges of cost 1) with the stored tree 2-1-3-4 through vertex 1 and
// gAllowDestroyUpper=allow; whether vertex 1 is still there afterwards (-1: no tree stored).
inline int storedTreeVertexKept(const std::function<void(tesmo::ReduceGraph&)>& method, int allow) {
  const tesmo::Graph g =
      tesmotest::makeGraph(4, {{1, 2, 5}, {1, 3, 5}, {1, 4, 5}, {2, 3, 1}, {3, 4, 1}, {2, 4, 1}}, {2, 3, 4});
  setShellOptions("gAllowDestroyUpper=" + std::to_string(allow));
  tesmo::ReduceGraph R(g);
  tesmo::IntArray tree = tesmotest::slotList(R, {{2, 1}, {1, 3}, {3, 4}});
  R.setUpper(tree, "test", 0);
  if (!R.upperOk) return -1;
  method(R);
  return R.hasLiveSlot(1) ? 1 : 0;
}

enum class GridderFamily { Mix, Ladders, Grids, DegreeThree };

inline std::vector<GeneratedInstance> gridderFamily(GridderFamily f) {
  switch (f) {
    case GridderFamily::Ladders: return shapeMix(Shape::Ladder, 150);
    case GridderFamily::Grids: return shapeMix(Shape::Grid, 150);
    case GridderFamily::DegreeThree: return degreeThreeMix(200);
    case GridderFamily::Mix: break;
  }
  return instanceMix(300);
}

}  // namespace steinertest
