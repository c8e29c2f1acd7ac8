#include "GridPruning.h"

#include "LogStream.h"
#include "ReduceGraph.h"
#include "Shell.h"

#include <algorithm>
#include <cstdlib>

namespace tesmo {

namespace {

// Direction rows: predecessor and successor along axis A, then along axis B.
constexpr int predA = 0;
constexpr int succA = 1;
constexpr int predB = 2;
constexpr int succB = 3;

struct Axis {
  int pred, succ;          // rows of the line's own axis
  int sidePred, sideSucc;  // rows of the other axis
  int visitMark;
  bool logSteps;
};

class GridLines {
public:
  GridLines(const ReduceGraph& R, IntMatrix& dir, IntArray& mark)
      : R_(R), dir_(dir), mark_(mark) {}

  // Walks every line of the axis and chooses the edges of the prunable ones; returns their
  // number.
  int pass(const Axis& axis) {
    int chosen = 0;
    for (int v = 1; v <= R_.V; ++v)
      if (mark_[v] == 0 && dir_[axis.pred][v] == 0) chosen += line(axis, v);
    return chosen;
  }

private:
  // A present neighbour; edges chosen for deletion (negated) count as absent.
  int at(int row, int v) const { return v > 0 ? std::max(dir_[row][v], 0) : 0; }

  bool closesCell(const Axis& axis, int p, int w, int side, int back) const {
    const int b = at(side, w);
    const int q = at(axis.pred, b);
    return b != 0 && q != 0 && at(back, q) == p;
  }

  int line(const Axis& axis, int v) {
    int terminalsOnLine = R_.isReq[v] != 0 ? 2 : 0;
    bool left = at(axis.sidePred, v) != 0;
    bool right = at(axis.sideSucc, v) != 0;
    bool anyPred = dir_[axis.sidePred][v] != 0;
    bool anySucc = dir_[axis.sideSucc][v] != 0;
    if (mark_[v] < axis.visitMark) mark_[v] = axis.visitMark;
    int p = v;
    for (int steps = 0, w; (w = at(axis.succ, p)) != 0 && steps < R_.V; ++steps, p = w) {
      if (axis.logSteps) log(5) << w << " ";
      if (mark_[w] < axis.visitMark) mark_[w] = axis.visitMark;
      left = left && closesCell(axis, p, w, axis.sidePred, axis.sideSucc);
      right = right && closesCell(axis, p, w, axis.sideSucc, axis.sidePred);
      anyPred = anyPred || dir_[axis.sidePred][w] != 0;
      anySucc = anySucc || dir_[axis.sideSucc][w] != 0;
      if (R_.isReq[w] != 0) terminalsOnLine += at(axis.succ, w) == 0 ? 2 : 1;
    }
    if (mark_[p] == maxint) return 0;
    const bool prune = (terminalsOnLine == 0 && left && right) ||
                       (terminalsOnLine < 2 && ((left && !anySucc) || (right && !anyPred)));
    if (!prune) return 0;
    int chosen = 0;
    for (int q = v, w; q != p; q = w) {
      w = at(axis.succ, q);
      dir_[axis.succ][q] = -w;
      dir_[axis.pred][w] = -q;
      ++chosen;
    }
    return chosen;
  }

  const ReduceGraph& R_;
  IntMatrix& dir_;
  IntArray& mark_;
};

}  // namespace

GridPruning::GridPruning(ReduceGraph& R)
    : R_(R),
      degree_(R),
      slotOfID_(static_cast<std::size_t>(R.IDcount) + 1, 0),
      dir_(3, R.V),
      mark_(static_cast<std::size_t>(R.V) + 1, 0),
      liveDegree_(static_cast<std::size_t>(R.V) + 1, 0) {}

void GridPruning::run() {
  ReduceGraph& R = R_;
  if (shell.Iget("skipGrid", 0) != 0) return;
  const bool doSwap = shell.Iget("doSwap", 1) != 0;
  if (currentGraph == nullptr) return;
  if (R.overflowMode) R.rebuildAdjacency();
  const Graph& G = *currentGraph;
  const int V = R.V;

  // Identity -> the slot that carries it (0 none, -1 ambiguous), merged identities included.
  slotOfID_.assign(static_cast<std::size_t>(R.IDcount) + 1, 0);
  IntArray& slotOfID = slotOfID_;
  for (int s = 1; s <= 2 * R.E; ++s) {
    const int c = R.arcs[s].cost;
    if (!R.delE[s] && R.arcs[s].tail < R.arcs[s].head && (c % 13 == 0 || c % 5 == 0))
      slotOfID[R.ID[s]] = s;
  }
  for (int t = R.mergeHistory[0] - 2; t >= 1; t -= 3) {
    const int s = slotOfID[R.mergeHistory[t + 2]];
    if (s <= 0) continue;
    for (int part : {R.mergeHistory[t], R.mergeHistory[t + 1]})
      slotOfID[part] = slotOfID[part] == 0 ? s : -1;
  }

  dir_.newMatrix(3, V);
  IntMatrix& dir = dir_;
  mark_.assign(static_cast<std::size_t>(V) + 1, maxint);
  liveDegree_.assign(static_cast<std::size_t>(V) + 1, 0);
  IntArray& mark = mark_;
  IntArray& liveDegree = liveDegree_;
  for (int v = 1; v <= V; ++v) {
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) ++liveDegree[v];
    if (liveDegree[v] > 0) mark[v] = 0;
  }
  auto set = [&](int row, int v, int to) {
    int& entry = dir[row][v];
    if (entry != 0 && entry != to) mark[v] = maxint;  // two neighbours in one direction
    entry = to;
  };
  auto original = [&R](int v) { return std::abs(R.origVertex[v]); };
  for (int a = 1; a <= 2 * G.E && a <= R.IDcount; ++a) {
    const Arc& arc = G.arcs[a];
    if (arc.head >= arc.tail) continue;
    const int s = slotOfID[a];
    if (s <= 0) continue;
    int x = R.arcs[s].tail;
    int y = R.arcs[s].head;
    if (doSwap && (original(x) == arc.head || original(y) == arc.tail)) std::swap(x, y);
    if (original(x) != arc.tail && original(y) != arc.head) continue;
    if (arc.cost == 13) {
      set(predA, y, x);
      set(succA, x, y);
    } else {
      set(predB, y, x);
      set(succB, x, y);
    }
  }
  for (int v = 1; v <= V; ++v) {
    int entries = 0;
    for (int row = 0; row <= 3; ++row)
      if (dir[row][v] != 0) ++entries;
    if (entries != liveDegree[v] || mark[v] == maxint) {
      mark[v] = maxint;
      for (int row = 0; row <= 3; ++row) dir[row][v] = 0;
    }
  }

  GridLines lines(R, dir, mark);
  int chosen = lines.pass(Axis{predA, succA, predB, succB, 1, true});
  for (int v = 1; v <= V; ++v)
    if (mark[v] == 1) mark[v] = 0;
  chosen += lines.pass(Axis{predB, succB, predA, succA, 2, false});

  int deleted = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    const int x = R.arcs[s].tail;
    const int y = R.arcs[s].head;
    if (R.delE[s] || x >= y) continue;
    bool marked = false;
    for (int row = 0; row <= 3; ++row) marked = marked || dir[row][x] == -y;
    if (!marked) continue;
    if (R.upperOk && R.inTree[R.ID[s]]) R.destroyUpper();
    --R.Eanz;
    R.delE[s] = R.delE[R.partner[s]] = 1;
    R.vertexWork[x] = R.vertexWork[y] = 1;
    ++deleted;
  }
  log(3) << "Prune Grid: " << chosen << " / " << deleted << std::endl;
  R.compactEdges(nullptr);
  R.deleteUnreachable();
  degree_.removeVertices();
}

// The instance's own entry point, so that callers and the script letter keep naming it there.
void ReduceGraph::pruneGrid() { GridPruning(*this).run(); }

}  // namespace tesmo
