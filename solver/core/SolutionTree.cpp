#include "SolutionTree.h"

#include "ReduceGraph.h"

namespace tesmo {

int SolutionTree::liveNodes = 0;

namespace {

void append(IntArray& list, int value) {
  if (list.empty()) list.assign(1, 0);
  const int count = list[0] + 1;
  if (static_cast<std::size_t>(count) >= list.size()) list.resize(2 * list.size() + 1, 0);
  list[count] = value;
  list[0] = count;
}

int listCount(const IntArray& list) { return list.empty() ? 0 : list[0]; }

}  // namespace

SolutionTree* extendTree(SolutionTree* tree, const IntArray& list) {
  if (listCount(list) == 0) {
    ++tree->extraReferences;
    return tree;
  }
  auto* node = new SolutionTree;
  ++SolutionTree::liveNodes;
  node->edges.assign(list.begin(), list.begin() + list[0] + 1);
  if (listCount(tree->edges) == 0 && tree->childCount == 0) return node;
  node->children.push_back(tree);
  node->childCount = 1;
  ++tree->extraReferences;
  return node;
}

void releaseTree(SolutionTree* node, bool destroy) {
  if (node == nullptr) return;
  if (node->extraReferences > 0) {
    --node->extraReferences;
    return;
  }
  node->edges.clear();
  for (int c = 0; c < node->childCount; ++c) releaseTree(node->children[c], true);
  node->children.clear();
  node->childCount = 0;
  if (destroy) {
    --SolutionTree::liveNodes;
    delete node;
  }
}

void countTreeSolutions(const SolutionTree* node, std::int64_t& count, std::int64_t& ints) {
  const int own = listCount(node->edges);
  if (node->childCount == 0) {
    count = 1;
    ints = own + 1;
    return;
  }
  count = 0;
  ints = 0;
  for (int c = node->childCount - 1; c >= 0; --c) {
    std::int64_t childCount = 0;
    std::int64_t childInts = 0;
    countTreeSolutions(node->children[c], childCount, childInts);
    count += childCount;
    ints += own * childCount + childInts;
  }
}

void flattenTreeSolutions(const SolutionTree* node, IntArray& path, IntArray& store,
                          IntArray& starts) {
  if (path.empty()) path.assign(1, 0);
  if (store.empty()) store.assign(1, 0);
  const int own = listCount(node->edges);
  if (node->childCount == 0) {
    append(starts, store[0] + 1);
    for (int k = 1; k <= path[0]; ++k) append(store, path[k]);
    for (int k = 1; k <= own; ++k) append(store, node->edges[k]);
    append(store, 0);
    return;
  }
  const int mark = path[0];
  for (int k = 1; k <= own; ++k) append(path, node->edges[k]);
  for (int c = node->childCount - 1; c >= 0; --c)
    flattenTreeSolutions(node->children[c], path, store, starts);
  path[0] = mark;
}

std::int64_t treeSolutionCost(const SolutionTree* node, const ReduceGraph& R, std::int64_t sum,
                              std::int64_t best) {
  const int own = listCount(node->edges);
  for (int k = 1; k <= own; ++k) sum += R.arcs[node->edges[k]].cost;
  if (node->childCount == 0) return best != maxint ? best : sum;
  for (int c = node->childCount - 1; c >= 0; --c)
    best = treeSolutionCost(node->children[c], R, sum, best);
  return best;
}

}  // namespace tesmo
