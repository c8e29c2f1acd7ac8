#include "SolutionTree.h"

#include "ReduceGraph.h"

#include <limits>

namespace tesmo {

int SolutionTree::liveNodes = 0;

namespace {

constexpr std::int64_t kSaturated = std::numeric_limits<std::int64_t>::max();

void append(IntArray& list, int value) {
  if (list.empty()) list.assign(1, 0);
  const int count = list[0] + 1;
  if (static_cast<std::size_t>(count) >= list.size()) list.resize(2 * list.size() + 1, 0);
  list[count] = value;
  list[0] = count;
}

int listCount(const IntArray& list) { return list.empty() ? 0 : list[0]; }

std::int64_t addSaturated(std::int64_t a, std::int64_t b) {
  return a > kSaturated - b ? kSaturated : a + b;
}

std::int64_t mulSaturated(std::int64_t a, std::int64_t b) {
  if (a == 0 || b == 0) return 0;
  return a > kSaturated / b ? kSaturated : a * b;
}

// Stamps of the memoised walks; a wrap clears nothing, since a stale node would need to survive
// four thousand million walks.
std::uint32_t nextWalkStamp() {
  static std::uint32_t stamp = 0;
  if (++stamp == 0) stamp = 1;
  return stamp;
}

// Work stack of the walks, kept between calls (the solver runs in one thread).
struct Frame {
  const SolutionTree* node;
  int next;  // the child to visit next, counted down from childCount - 1; -1 = all done
  int mark;  // path length on entry (flatten only)
};
std::vector<Frame>& frames() {
  static std::vector<Frame> stack;
  return stack;
}

// Post-order over the distinct nodes below root: visit(node) runs once per node after all its
// children; nodes already stamped are not entered again.
template <class Visit>
void postOrder(const SolutionTree* root, std::uint32_t stamp, Visit visit) {
  std::vector<Frame>& stack = frames();
  stack.clear();
  stack.push_back({root, root->childCount - 1, 0});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next >= 0) {
      const SolutionTree* child = top.node->children[top.next--];
      if (child->walkMark != stamp) stack.push_back({child, child->childCount - 1, 0});
      continue;
    }
    const SolutionTree* done = top.node;
    stack.pop_back();
    if (done->walkMark == stamp) continue;  // reached twice before it was finished
    visit(done);
    done->walkMark = stamp;
  }
}

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
  // The last reference: the node's children lose one each, and so on down (without recursion:
  // a chain is as long as the instance has vertices).
  static std::vector<SolutionTree*> pending;
  const std::size_t base = pending.size();  // a nested call keeps the entries of its caller
  for (int c = 0; c < node->childCount; ++c) pending.push_back(node->children[c]);
  node->edges.clear();
  node->children.clear();
  node->childCount = 0;
  if (destroy) {
    --SolutionTree::liveNodes;
    delete node;
  }
  while (pending.size() > base) {
    SolutionTree* n = pending.back();
    pending.pop_back();
    if (n == nullptr) continue;
    if (n->extraReferences > 0) {
      --n->extraReferences;
      continue;
    }
    for (int c = 0; c < n->childCount; ++c) pending.push_back(n->children[c]);
    --SolutionTree::liveNodes;
    delete n;
  }
}

void countTreeSolutions(const SolutionTree* node, std::int64_t& count, std::int64_t& ints) {
  postOrder(node, nextWalkStamp(), [](const SolutionTree* n) {
    const std::int64_t own = listCount(n->edges);
    if (n->childCount == 0) {
      n->walkCount = 1;
      n->walkInts = own + 1;
      return;
    }
    std::int64_t c = 0;
    std::int64_t i = 0;
    for (int k = 0; k < n->childCount; ++k) {
      const SolutionTree* child = n->children[k];
      c = addSaturated(c, child->walkCount);
      i = addSaturated(i, addSaturated(mulSaturated(own, child->walkCount), child->walkInts));
    }
    n->walkCount = c;
    n->walkInts = i;
  });
  count = node->walkCount;
  ints = node->walkInts;
}

void flattenTreeSolutions(const SolutionTree* node, IntArray& path, IntArray& store,
                          IntArray& starts) {
  if (path.empty()) path.assign(1, 0);
  if (store.empty()) store.assign(1, 0);
  // Depth first, last children first, the path holding the lists from the root down.
  std::vector<Frame>& stack = frames();
  stack.clear();
  auto enter = [&](const SolutionTree* n) {
    const int own = listCount(n->edges);
    if (n->childCount == 0) {
      append(starts, store[0] + 1);
      for (int k = 1; k <= path[0]; ++k) append(store, path[k]);
      for (int k = 1; k <= own; ++k) append(store, n->edges[k]);
      append(store, 0);
      return;
    }
    stack.push_back({n, n->childCount - 1, path[0]});
    for (int k = 1; k <= own; ++k) append(path, n->edges[k]);
  };
  enter(node);
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next < 0) {
      path[0] = top.mark;
      stack.pop_back();
      continue;
    }
    enter(top.node->children[top.next--]);
  }
}

std::int64_t treeSolutionCost(const SolutionTree* node, const ReduceGraph& R, std::int64_t sum,
                              std::int64_t best) {
  if (best != maxint) return best;
  // The first leaf reached is the one at the end of the last children.
  for (const SolutionTree* n = node;; n = n->children[n->childCount - 1]) {
    const int own = listCount(n->edges);
    for (int k = 1; k <= own; ++k) sum += R.arcs[n->edges[k]].cost;
    if (n->childCount == 0) return sum;
  }
}

std::int64_t checkTreeSolutions(const SolutionTree* node, const ReduceGraph& R) {
  // walkCount holds the cost below each node, -1 once two solutions below it differ.
  postOrder(node, nextWalkStamp(), [&R](const SolutionTree* n) {
    std::int64_t own = 0;
    for (int k = 1; k <= listCount(n->edges); ++k) {
      const int s = n->edges[k];
      if (s < 1 || s > 2 * R.E || R.delE[s]) {
        n->walkCount = -1;
        return;
      }
      own += R.arcs[s].cost;
    }
    std::int64_t below = n->childCount == 0 ? 0 : n->children[0]->walkCount;
    for (int k = 1; k < n->childCount && below >= 0; ++k)
      if (n->children[k]->walkCount != below) below = -1;
    n->walkCount = below < 0 ? -1 : own + below;
  });
  return node->walkCount;
}

}  // namespace tesmo
