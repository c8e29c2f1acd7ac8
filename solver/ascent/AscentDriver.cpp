#include "AscentDriver.h"

#include "AscentDeletion.h"
#include "AscentEngine.h"
#include "AscentFast.h"
#include "CutBound.h"
#include "DisplayHooks.h"
#include "DualAscent.h"
#include "EdgeDeletion.h"
#include "LogStream.h"
#include "Prune1.h"
#include "ReducedCostDeletion.h"
#include "ScriptLetters.h"
#include "Shell.h"
#include "VoronoiAscent.h"

#include <cstdint>
#include <limits>
#include <string>

namespace tesmo {

void registerDualAscentLetters() {
  ScriptLetters::registerLetter('a', "ascent(&R)", ascent);
  ScriptLetters::registerLetter('i', "ascentDel(&R)", ascentDel);
  ScriptLetters::registerLetter('+', "ascent2(&R)", ascent2);
  ScriptLetters::registerLetter('c', "cutRelax(&R)", cutRelax);
  ScriptLetters::registerLetter('d', "dual(&R)", dual);
  ScriptLetters::registerLetter('o', "ascentVR(&R)", ascentVR);
  ScriptLetters::registerLetter('O', "ascentVROLD(&R)", ascentVROLD);
}

namespace {

struct DriverOptions {
  int root = 1;
  int calcUpper = 1;
  std::string prune = "((mvsn)r)";
  bool prunes = false;
  bool original = false;
  bool inzident = false;
  bool full = false;
  bool construct = false;
  bool doReduction = true;
  int maxDegree = 10;
  bool garbageCollection = false;
  int upperChoose = 0;
  bool lock = false;
  bool rootLock = true;
  int unlock = 1;

  DriverOptions() {
    const int echo = shell.echoLevel;
    shell.echoLevel = 3;
    inzident = shell.Iget("inzident", 0) != 0;
    full = shell.Iget("full", 0) != 0;
    root = shell.Iget("root", 1);
    prunes = shell.Iget("prunes", 0) != 0;
    original = shell.Iget("original", 0) != 0;
    maxDegree = shell.Iget("ascentMaxDegree", 10);
    calcUpper = shell.Iget("calcUpper", 1);
    prune = shell.Sget("ascentPrune", "((mvsn)r)");
    garbageCollection = shell.Iget("garbageCollection", 0) != 0;
    construct = shell.Iget("construct", 0) != 0;
    upperChoose = shell.Iget("upperChoose", 0);
    lock = shell.Iget("ascentLock", 0) != 0;
    rootLock = shell.Iget("ascentRootLock", 1) != 0;
    unlock = shell.Iget("ascentUnlock", 1);
    doReduction = shell.Iget("doReduction", 1) != 0;
    shell.echoLevel = echo == 3 ? 0 : echo;
  }
};

// The ascent of the driver: the engine's pass with a choice that can follow the stored tree
// (terminals far from the root along it first) and lock terminals whose cut crosses the tree
// twice, so that the saturated arcs stay close to the tree.
class DriverAscent : public AscentEngine {
public:
  DriverAscent(ReduceGraph& R, const DriverOptions& options)
      : AscentEngine(R), options_(options), treeArc_(static_cast<std::size_t>(2 * R.E) + 1, 0),
        treeDist_(static_cast<std::size_t>(R.V) + 1, 0), workDegree_(static_cast<std::size_t>(R.V) + 1, 0),
        locked_(static_cast<std::size_t>(R.R) + 2, 0), walk_(static_cast<std::size_t>(R.V) + 1, 0),
        seen_(static_cast<std::size_t>(R.V) + 1, 0) {}

  // Reads the stored tree for the choice of this root; both tree rules are off without one.
  void prepareRoot(int rootIndex) {
    ReduceGraph& R = instance;
    upperChoose_ = R.upperOk ? options_.upperChoose : 0;
    lock_ = R.upperOk && options_.lock;
    lockValue_ = 0;
    for (int& l : locked_) l = 0;
    if (upperChoose_ == 0 && !lock_) return;
    for (int s = 1; s <= 2 * R.E; ++s) treeArc_[s] = 0;
    for (int v = 1; v <= R.V; ++v) {
      treeDist_[v] = 0;
      seen_[v] = 0;
      workDegree_[v] = R.treeDegree[v];
    }
    // Depth-first walk from the root over the tree's edges, directing each away from the root.
    const int start = R.terminals[rootIndex];
    int top = 0;
    walk_[++top] = start;
    seen_[start] = 1;
    while (top > 0) {
      const int v = walk_[top--];
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || seen_[w] || !R.inTree[R.ID[s]]) continue;
        seen_[w] = 1;
        treeArc_[s] = 1;
        treeDist_[w] = treeDist_[v] + R.arcs[s].cost;
        walk_[++top] = w;
      }
    }
  }

  int choosePosition() override {
    if (upperChoose_ <= 9 && !lock_) return AscentEngine::choosePosition();
    for (;;) {
      int p = active[0];
      std::int64_t best = std::numeric_limits<std::int64_t>::max();
      for (int i = active[0]; i >= 1; --i) {
        const int k = active[i];
        const std::int64_t key = (locked_[k] ? 400000000 : 0) + keyOf(k);
        if (key < best) {
          best = key;
          p = i;
        }
      }
      const int k = active[p];
      if (locked_[k]) {
        if (options_.unlock != 0 && lockValue_ != lower && (options_.unlock > 1 || lockValue_ == 0)) {
          for (int& l : locked_) l = 0;
          log(3) << "Unlock!\n";
          lockValue_ = lower;
          continue;
        }
        return p;
      }
      if (lock_ && treeArcsEntering(k) >= 2) {
        log(4) << " <- LOCK!\n";
        locked_[k] = 1;
        continue;
      }
      return p;
    }
  }

  // A terminal whose cut saturates a tree arc at a branching point (or at a terminal) has found
  // its way onto the tree: it goes to the back of the choice.
  void onDualIncrease() override {
    if (upperChoose_ == 0 || upperChoose_ % 10 != 0) return;
    ReduceGraph& R = instance;
    for (int i = 1; i <= cutArcs[0]; ++i) {
      const int a = cutArcs[i];
      if (reducedCost[a] != delta || !treeArc_[a]) continue;
      const int tail = R.arcs[a].tail;
      if (workDegree_[tail] <= 2 && R.isReq[tail] == 0) continue;
      --workDegree_[tail];
      treeDist_[R.terminals[chosen]] = upperChoose_ >= 40 && R.isReq[tail] != 0 ? -800000000 : 0;
    }
  }

private:
  std::int64_t keyOf(int k) const {
    if (upperChoose_ <= 9) return priority[k];
    const int d = treeDist_[instance.terminals[k]];
    return upperChoose_ % 10 == 0 ? std::int64_t{400000000} - d : d;
  }

  // Arcs entering k's component from outside that run along the tree away from the root (or
  // leave the root itself).
  int treeArcsEntering(int k) const {
    const ReduceGraph& R = instance;
    int count = 0;
    for (int j = 1; j <= component[k][0]; ++j) {
      const int w = component[k][j];
      for (int s = R.firstArc[w]; s < R.firstArc[w] + R.degree[w]; ++s) {
        const int u = R.arcs[s].head;
        const int in = R.partner[s];
        if (R.delE[s] || inComponent(k, u) || reducedCost[in] == 0) continue;
        if (treeArc_[in] || (options_.rootLock && u == rootVertex)) ++count;
      }
    }
    return count;
  }

  const DriverOptions& options_;
  IntArray treeArc_, treeDist_, workDegree_, locked_, walk_, seen_;
  int upperChoose_ = 0;
  bool lock_ = false;
  int lockValue_ = 0;
};

// Prunes a kept-ID copy of R that holds only the edges the zero reduced costs span and offers
// the tree found to R (and, with option original, a prune of R seeded with it).
class AuxiliaryUpper {
public:
  AuxiliaryUpper(const ReduceGraph& R, const DriverOptions& options)
      : options_(options), keep_(static_cast<std::size_t>(2 * R.E) + 1, 0),
        mark_(static_cast<std::size_t>(R.V) + 1, 0), walk_(static_cast<std::size_t>(R.V) + 1, 0) {}

  void run(ReduceGraph& R, const AscentEngine& engine, int rootVertex, int lower) {
    log(3) << "calculating upper bound... ";
    const IntArray& rc = engine.reducedCosts();
    spanZeroArcs(R, rc, rootVertex);
    ReduceGraph aux = ReduceGraph::copyGraph(R, 2);
    aux.clearUpper();
    for (int s = 1; s <= 2 * aux.E; ++s) {
      if (aux.delE[s] || aux.partner[s] < s) continue;
      if (!options_.inzident && !keep_[s] && !keep_[aux.partner[s]]) deleteEdgeLazily(aux, s);
    }
    if (options_.inzident) {
      for (int v = 1; v <= aux.V; ++v)
        if (!mark_[v] && aux.isReq[v] == 0 && aux.degree[v] != 0) aux.markVertexDeleted(v);
    }
    aux.compactEdges(nullptr);
    aux.deleteUnreachable();
    log(3) << "auxiliary graph: |V|=" << aux.Vanz << ", |E|=" << aux.Eanz << ", |R|=" << R.R << "\n";
    std::int64_t value = pruneRepeated(aux);
    if (!aux.upperOk) {
      log(0) << "WARNING: No upper in auxiliary graph!\n";
    } else {
      aux.reconstructSolution(R);
      tree_ = solutionList;
      R.setUpper(solutionList, "auxGraph", 1);
      if (options_.original) value = pruneOriginal(R);
    }
    log(2) << "upper: " << value;
    log(2) << " , lower: " << lower;
  }

private:
  // keep_ marks the zero arcs met (from the root, or all with option full), mark_ their ends.
  void spanZeroArcs(const ReduceGraph& R, const IntArray& rc, int rootVertex) {
    for (int s = 1; s <= 2 * R.E; ++s) keep_[s] = 0;
    for (int v = 1; v <= R.V; ++v) mark_[v] = 0;
    if (options_.full) {
      for (int s = 1; s <= 2 * R.E; ++s) {
        if (R.delE[s] || rc[s] != 0) continue;
        keep_[s] = 1;
        mark_[R.arcs[s].tail] = mark_[R.arcs[s].head] = 1;
      }
      return;
    }
    int top = 0;
    walk_[++top] = rootVertex;
    mark_[rootVertex] = 1;
    while (top > 0) {
      const int v = walk_[top--];
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        if (R.delE[s] || rc[s] != 0) continue;
        keep_[s] = 1;
        const int w = R.arcs[s].head;
        if (mark_[w]) continue;
        mark_[w] = 1;
        walk_[++top] = w;
      }
    }
  }

  std::int64_t pruneRepeated(ReduceGraph& G) const {
    std::int64_t value = prune1(G, options_.prune.c_str());
    while (options_.prunes) {
      const std::int64_t again = prune1(G, options_.prune.c_str());
      if (again == value) break;
      value = again;
    }
    return value;
  }

  std::int64_t pruneOriginal(ReduceGraph& R) {
    ReduceGraph copy = ReduceGraph::copyGraph(R, 2);
    if (shell.Iget("originalClearUpper", 1) != 0) {
      copy.clearUpper();
      copy.setUpper(tree_, nullptr, 0);
    }
    const std::int64_t value = pruneRepeated(copy);
    if (copy.upperOk) {
      copy.reconstructSolution(R);
      R.setUpper(solutionList, "Originalgraph to auxGraph", 1);
    }
    return value;
  }

  const DriverOptions& options_;
  IntArray keep_, mark_, walk_, tree_;
};

}  // namespace

void ascent(ReduceGraph& R) {
  const DriverOptions options;
  leaveOverflowMode(R);
  DriverAscent engine(R, options);
  AuxiliaryUpper auxiliary(R, options);
  IntArray replace(static_cast<std::size_t>(R.V) + 1, 0);

  const IntArray roots = ascentRoots(options.root, R.R, R.Eanz, R.lowerTag);
  for (int i = 1; i <= roots[0]; ++i) {
    if (options.doReduction && R.upperOpt != 0) break;
    const int root = roots[i];
    const int rootVertex = R.terminals[root];
    display(R);
    log(3) << root << ". root: " << rootVertex << "\n";
    engine.prepareRoot(root);
    const int lower = engine.ascentPass(root);
    if (engine.disconnected()) return;
    log(3) << "size: |V|=" << R.Vanz << ", |E|=" << R.Eanz << ", |R|=" << R.R << "\n";
    if (options.calcUpper >= 0 && (!R.upperOk || options.calcUpper != 0))
      auxiliary.run(R, engine, rootVertex, lower);

    engine.reducedCostDistances();
    const std::int64_t rest = std::int64_t{R.upperValue} - lower;
    log(3) << "rest: " << rest << ", lower: " << lower << ", upper: " << R.upperValue << "\n";
    if (rest < 0) {
      R.markDisconnected();
      return;
    }
    if (!options.doReduction) continue;
    if (rest == 0 && !options.construct) {
      // setLower or setUpper has closed the instance already (unless the bounds no longer
      // speak for it after a deletion without proof).
      log(2) << "lower=upper\n\n";
      continue;
    }
    deleteByReducedCosts(R, engine, rest, options.maxDegree, replace,
                         {"\ndeleted vertices: ", ", deleted edges:  ", ", replaced: "});
  }

  R.deleteUnreachable();
  if (R.upperOpt != 0) return;
  log(4) << " Replacing...";
  const int replaced = replaceMarkedVertices(R, replace, options.garbageCollection);
  log(4) << replaced;
  R.rebuildAdjacency();
}

}  // namespace tesmo
