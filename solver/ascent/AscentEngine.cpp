#include "AscentEngine.h"

#include "LiveEdgeIterator.h"
#include "Shell.h"

namespace tesmo {

AscentEngine::AscentEngine(ReduceGraph& instance) : R(instance) {
  revBack = shell.Iget("revBack", 1);
  const int V = R.V;
  const int roots = R.R;
  const std::size_t vertices = static_cast<std::size_t>(V) + 1;
  reached.newMatrix(roots, V + 1);
  reachedPosition.newMatrix(roots, V);
  component.assign(vertices, 0);
  componentParent.assign(static_cast<std::size_t>(roots) + 1, 0);
  active.assign(static_cast<std::size_t>(roots) + 1, 0);
  rootValue.assign(static_cast<std::size_t>(roots) + 1, 0);
  vertexStack.assign(vertices + 1, 0);
  membership.assign(vertices, 0);
  workCost.assign(2 * static_cast<std::size_t>(R.Emax) + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s) workCost[s] = R.arcs[s].cost;
  for (int r = 1; r <= roots; ++r) {
    const int t = R.terminals[r];
    componentParent[r] = r;
    active[r] = r;
    reached[r][0] = 1;
    reached[r][1] = t;
    reachedPosition[r][t] = 1;
    component[t] = r;
    ++membership[t];
  }
  active[0] = roots;
}

AscentEngine::~AscentEngine() = default;

int AscentEngine::findComponent(int c) {
  int root = c;
  while (componentParent[root] != root) root = componentParent[root];
  while (componentParent[c] != root) {
    const int up = componentParent[c];
    componentParent[c] = root;
    c = up;
  }
  return root;
}

void AscentEngine::pushVertex(int v) {
  const int count = vertexStack[0] + 1;
  if (static_cast<std::size_t>(count) >= vertexStack.size())
    vertexStack.resize(2 * vertexStack.size(), 0);
  vertexStack[count] = v;
  vertexStack[0] = count;
}

void AscentEngine::addToReachedSet(int r, int v) {
  if (countingMode == 1) ++rootValue[r];
  pushVertex(v);
  const int p = ++reached[r][0];
  reached[r][p] = v;
  reachedPosition[r][v] = p;
  ++membership[v];
}

int AscentEngine::extendActiveComponent(int v, int w, int r, int& index) {
  if (inReachedSet(r, v)) return 0;
  const int c = component[v];
  if (c != 0) {
    const int target = findComponent(c);
    if (!inReachedSet(target, R.terminals[r])) {
      const int own = findComponent(r);
      if (own != target) componentParent[own] = target;
      active[index] = active[active[0]];
      --active[0];
      --index;
      rootValue[r] = maxint;
      if (revBack == 0) return 1;
      // Flood the joined component over zero-slack slots into vertices of no component.
      pushVertex(w);
      component[w] = target;
      while (vertexStack[0] > 0) {
        const int u = vertexStack[vertexStack[0]--];
        LiveEdgeIterator it(R, u);
        while (nextLiveEdge(R, it)) {
          if (R.delE[it.slot] || workCost[it.slot] != 0) continue;
          const int x = it.arc->head;
          if (component[x] != 0) continue;
          component[x] = target;
          pushVertex(x);
        }
      }
      return 1;
    }
  }
  addToReachedSet(r, v);
  return 0;
}

}  // namespace tesmo
