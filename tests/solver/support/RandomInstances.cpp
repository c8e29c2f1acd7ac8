#include "RandomInstances.h"

#include "InstanceBuilders.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace tesmotest {

// The draws inside each call keep the order in which they were first written, so that the seeds
// of the tests keep naming the same instances.
tesmo::Graph randomGraph(std::mt19937& random, int V, int maxCost, int hanging, int minCost) {
  std::vector<Edge> edges;
  std::uniform_int_distribution<int> cost(minCost, maxCost);
  for (int v = 2; v <= V; ++v) {
    std::uniform_int_distribution<int> earlier(1, v - 1);
    edges.emplace_back(earlier(random), v, cost(random));
  }
  std::uniform_int_distribution<int> vertex(1, V);
  for (int k = 0; k < V; ++k) {
    const int a = vertex(random);
    const int b = vertex(random);
    if (a != b) edges.emplace_back(a, b, cost(random));
  }
  std::vector<int> terminals;
  for (int v = 1; v <= V; ++v)
    if (v == 1 || random() % 3 == 0) terminals.push_back(v);
  int last = V;
  for (int path = 0; path < hanging; ++path) {
    int previous = vertex(random);
    for (int length = 1 + static_cast<int>(random() % 3); length > 0; --length) {
      edges.emplace_back(previous, ++last, cost(random));
      previous = last;
    }
    if (random() % 4 == 0) terminals.push_back(last);
  }
  return makeGraph(last, edges, terminals);
}

tesmo::Graph randomSimpleGraph(std::mt19937& random, int V, int edgeCount, int terminalCount,
                               int maxCost) {
  std::uniform_int_distribution<int> cost(0, maxCost);
  std::vector<int> order(V);
  for (int i = 0; i < V; ++i) order[i] = i + 1;
  std::shuffle(order.begin(), order.end(), random);
  std::set<std::pair<int, int>> used;
  std::vector<Edge> edges;
  for (int i = 1; i < V; ++i) {
    const int u = order[i];
    const int w = order[std::uniform_int_distribution<int>(0, i - 1)(random)];
    used.insert({std::min(u, w), std::max(u, w)});
    edges.push_back({u, w, cost(random)});
  }
  std::uniform_int_distribution<int> vertex(1, V);
  for (int tries = 0; static_cast<int>(edges.size()) < edgeCount && tries < 1000; ++tries) {
    const int u = vertex(random);
    const int w = vertex(random);
    if (u == w || !used.insert({std::min(u, w), std::max(u, w)}).second) continue;
    edges.push_back({u, w, cost(random)});
  }
  std::vector<int> terminals(order.begin(), order.begin() + terminalCount);
  return makeGraph(V, edges, terminals);
}

}  // namespace tesmotest
