#pragma once
// Helpers shared by the tests of the gridder letters: options from a blank-separated text, the
// live edges of an instance as sorted triples, and the instance families of their safety tests.

#include "DegreeThreeInstances.h"
#include "InstanceBuilders.h"

#include "ReduceGraph.h"
#include "Shell.h"

#include <algorithm>
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
