#include "AscentDriver.h"

#include "AscentConsole.h"
#include "AscentDeletion.h"
#include "AscentFast.h"
#include "AscentLpFiles.h"
#include "CutBound.h"
#include "DisplayHooks.h"
#include "DualAscent.h"
#include "EdgeDeletion.h"
#include "LogStream.h"
#include "Prune1.h"
#include "Random.h"
#include "ReducedCostDeletion.h"
#include "RootedAscent.h"
#include "ScriptLetters.h"
#include "Shell.h"
#include "Upper.h"
#include "VoronoiAscent.h"

#include <cstdint>
#include <algorithm>
#include <limits>
#include <optional>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

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

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

int saturatedSum(std::int64_t a, std::int64_t b) { return static_cast<int>(std::min<std::int64_t>(a + b, maxint)); }

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
  int random = 0;
  int ssChoose = 0;
  int ssChooseLimit = maxint;
  int diff = 5;
  int upgrade = 0;
  bool upgradeUseSlack = true;
  bool upgradePrune = false;
  bool reduce = false;
  bool showSteps = false;
  bool showRoots = true;
  int ask = 0;

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
    random = shell.Iget("Random", 0);
    ssChoose = shell.Iget("SSChoose", 0);
    ssChooseLimit = shell.Iget("SSChooseLimit", maxint);
    diff = shell.Iget("diff", 5);
    upgrade = shell.Iget("upgrade", 0);
    upgradePrune = shell.Iget("upgradePrune", 0) != 0;
    upgradeUseSlack = shell.Iget("upgradeUseSlack", 1) != 0;
    reduce = shell.Iget("reduce", 0) != 0;
    showSteps = shell.Iget("ascentDisplay", 0) != 0;
    showRoots = shell.Iget("ascentDisplay2", 1) != 0;
    ask = shell.Iget("ascentAsk", 0);
    shell.Iget("ascentCheckFB", 0);
    shell.echoLevel = echo == 3 ? 0 : echo;
    if (ssChoose != 0) {
      // The tentative choice judges every terminal by itself; tree rules would only bias it.
      lock = false;
      upperChoose = 0;
      diff = maxint;
      log(3) << "diff=maxint,upperChoose=0,doLock=0\n";
    }
  }
};

class DriverAscent;

// The tentative choice: each candidate's cut is lowered by its raise for a moment, and what the
// raise leaves of the reduced-cost distances from the root to the terminals (SSChoose below 10)
// or of a shortest-path tree from the root (10 and above) is added to it; the candidate with
// the largest sum wins, so the raise goes where it helps most.
class TentativeChoice {
public:
  explicit TentativeChoice(const ReduceGraph& R)
      : order_(static_cast<std::size_t>(R.R) + 2, 0), cut_(static_cast<std::size_t>(2 * R.E) + 1, 0),
        keys_(static_cast<std::size_t>(R.V) + 1, 0), pred_(static_cast<std::size_t>(R.V) + 1, 0),
        seen_(static_cast<std::size_t>(R.V) + 1, 0), settled_(static_cast<std::size_t>(R.V) + 1, 0),
        flag_(static_cast<std::size_t>(R.V) + 1, 0), inTree_(static_cast<std::size_t>(R.V) + 1, 0),
        treeList_(static_cast<std::size_t>(R.V) + 1, 0), heap_(R.V, keys_) {}
  TentativeChoice(const TentativeChoice&) = delete;
  TentativeChoice& operator=(const TentativeChoice&) = delete;

  // The terminal to raise next (its size2 then holds its value); 0 when no candidate has a cut.
  int choose(DriverAscent& ascent);

private:
  std::int64_t leftToTerminals(const ReduceGraph& R, const IntArray& rc, int rootVertex, int mode);
  std::int64_t shortestPathTree(const ReduceGraph& R, const IntArray& rc, int rootVertex);
  int nextStamp() {
    if (stamp_ == maxint) {
      stamp_ = 0;
      for (std::size_t v = 0; v < seen_.size(); ++v) seen_[v] = settled_[v] = inTree_[v] = 0;
    }
    return ++stamp_;
  }
  // One step of a search over reduced costs: v settled, its live arcs relaxed.
  void relax(const ReduceGraph& R, const IntArray& rc, int v, int stamp) {
    for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
      const int w = R.arcs[s].head;
      if (R.delE[s] || settled_[w] == stamp) continue;
      const int key = static_cast<int>(std::min<std::int64_t>(std::int64_t{keys_[v]} + rc[s], maxint - 1));
      if (seen_[w] != stamp) {
        seen_[w] = stamp;
        pred_[w] = s;
        heap_.heapInsert(w, key);
      } else if (key < keys_[w]) {
        pred_[w] = s;
        heap_.heapDecreaseKey(w, key);
      }
    }
  }

  IntArray order_, cut_, keys_, pred_, seen_, settled_, flag_, inTree_, treeList_;
  IndexedHeap heap_;
  int stamp_ = 0;
};

// The ascent of the driver: the choice by component size can follow the stored tree (terminals
// far from the root along it first) and lock terminals whose cut crosses the tree twice, so
// that the saturated arcs stay close to the tree; it can also be tentative, interactive or
// randomised. Each raise may write a row of the cut LP, each step the ascent LP.
class DriverAscent : public RootedAscent {
public:
  DriverAscent(ReduceGraph& R, const DriverOptions& options, AscentLpFiles& lp)
      : RootedAscent(R), options_(options), lp_(lp), treeArc_(static_cast<std::size_t>(2 * R.E) + 1, 0),
        treeDist_(static_cast<std::size_t>(R.V) + 1, 0), workDegree_(static_cast<std::size_t>(R.V) + 1, 0),
        locked_(static_cast<std::size_t>(R.R) + 2, 0), walk_(static_cast<std::size_t>(R.V) + 1, 0),
        seen_(static_cast<std::size_t>(R.V) + 1, 0) {
    setDiff(options_.diff);
    if (options_.ssChoose != 0) tentative_.emplace(R);
  }

  // Reads the stored tree for the choice of this root; both tree rules are off without one.
  void prepareRoot(int rootIndex) {
    ReduceGraph& R = R_;
    upperChoose_ = R.upperOk ? options_.upperChoose : 0;
    lock_ = R.upperOk && options_.lock;
    for (int s = 1; s <= 2 * R.E; ++s) treeArc_[s] = 0;
    if (upperChoose_ == 0 && !lock_ && !(lp_.slackLpWanted() && R.upperOk)) return;
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

  // Arcs of the stored tree directed away from the root (all 0 without a tree rule or tree).
  const IntArray& treeArcs() const { return treeArc_; }

  // After a pass with the tree-led choice: the terminals whose component never reached the
  // stored tree at a branching point (their tree distance is still positive).
  void logPrematureEnds() const {
    if (upperChoose_ == 0 || upperChoose_ % 10 != 0) return;
    for (int k = 1; k <= terminals_; ++k)
      if (treeDist_[R_.terminals[k]] > 0) log(4) << "Premature End: " << k << "\n";
  }

protected:
  void onRootStart() override {
    for (int k = 0; k < static_cast<int>(locked_.size()); ++k) locked_[k] = 0;
    lockValue_ = 0;
    lp_.startRootInCutLp(R_, rootIndex());
  }

  int chooseTerminal() override {
    for (;;) {
      if (!anyActive()) return 0;
      ++step_;
      if (step_ >= lp_.ascentLpFromStep()) lp_.writeAscentLp(R_, rc_, rootIndex(), static_cast<int>(value_));
      if (options_.showSteps) displayAscent(R_, rc_);
      if (upperChoose_ > 9) {
        for (int k = 1; k <= terminals_; ++k) {
          if (!isActive(k)) continue;
          const int d = treeDist_[R_.terminals[k]];
          size_[k] = upperChoose_ % 10 == 0 ? 400000000 - d : d;
        }
      }
      int k = 0;
      if (tentative_ && (options_.ssChoose >= 100 || step_ >= terminals_ - 2)) {
        k = tentative_->choose(*this);
        if (k == 0) return 0;
      } else {
        if (options_.random != 0) {
          for (int t = 1; t <= terminals_; ++t)
            if (isActive(t) && size_[t] > 1) size_[t] = randomNumber(options_.random);
        }
        k = choiceBySize(&locked_);
        if (k != 0 && locked_[k] && options_.unlock != 0 && lockValue_ != value_ &&
            (options_.unlock > 1 || lockValue_ == 0)) {
          for (int& l : locked_) l = 0;
          log(3) << "Unlock!\n";
          lockValue_ = static_cast<int>(value_);
          continue;
        }
      }
      return options_.ask != 0 ? askForTerminal(k) : k;
    }
  }

  // The step line; with the lock rule a terminal whose cut holds two tree arcs is locked
  // instead of raised (once, until the locks are cleared).
  bool beforeRaise() override {
    const ReduceGraph& R = R_;
    int inUp = 0;
    for (int i = 1; i <= cut_[0]; ++i) {
      const int a = cut_[i];
      if (treeArc_[a] || (options_.rootLock && R.arcs[a].tail == rootVertex())) ++inUp;
    }
    log(4) << step_ << ".Comp:" << chosen_ << " / Cut:" << delta_ << " Size:" << size_[chosen_]
           << " size2:" << size2_[chosen_] << " inUp:" << inUp << "   aprox: " << R.contractCost + value_;
    if (lock_ && inUp >= 2 && !locked_[chosen_]) {
      log(4) << " <- LOCK!\n";
      locked_[chosen_] = 1;
      return false;
    }
    log(4) << "\n";
    if (lp_.cutLpWanted()) lp_.addCutRow(R, rootIndex(), chosen_, cut_);
    return true;
  }

  // A terminal whose cut saturates a tree arc at a branching point (or at a terminal) has
  // found its way onto the tree: it goes to the back of the tree-led choice.
  void onSaturated(int a) override {
    if (upperChoose_ == 0 || upperChoose_ % 10 != 0 || !treeArc_[a]) return;
    const ReduceGraph& R = R_;
    const int tail = R.arcs[a].tail;
    if (workDegree_[tail] <= 2 && R.isReq[tail] == 0) return;
    --workDegree_[tail];
    treeDist_[R.terminals[chosen_]] = upperChoose_ >= 40 && R.isReq[tail] != 0 ? -800000000 : 0;
  }

private:
  // The interactive choice: the active terminals are listed ("L" after a locked one) and one is
  // read from the console (ascentAsk 1) or picked on the display (2); any other value waits for
  // one word and keeps the automatic choice k. Without input (or display) k stays; an index
  // that names no active terminal ends the pass.
  int askForTerminal(int k) {
    log(3) << "\nAllowed :";
    for (int t = 1; t <= terminals_; ++t) {
      if (!isActive(t)) continue;
      log(3) << " " << t;
      if (locked_[t]) log(3) << "L";
    }
    log(3) << "\n";
    if (k == 0) return 0;
    const auto isChoice = [&](int t) { return t >= 1 && t <= terminals_ && isActive(t); };
    int typed = 0;
    if (options_.ask == 1) {
      if (!readConsoleInt(typed)) return k;
    } else if (options_.ask == 2) {
      if (!displayActive()) return k;
      do typed = getReq(R_);
      while (!isChoice(typed));
    } else {
      std::string word;
      readConsoleWord(word);
      return k;
    }
    return isChoice(typed) ? typed : 0;
  }

  friend class TentativeChoice;

  const DriverOptions& options_;
  AscentLpFiles& lp_;
  std::optional<TentativeChoice> tentative_;
  IntArray treeArc_, treeDist_, workDegree_, locked_, walk_, seen_;
  int upperChoose_ = 0;
  bool lock_ = false;
  int lockValue_ = 0;  // the ascent value at the last unlock
};

int TentativeChoice::choose(DriverAscent& e) {
  const ReduceGraph& R = e.R_;
  IntArray& rc = e.rc_;
  // Every terminal by ascending size (the inactive ones last), ties in index order.
  const int count = e.terminals_;
  for (int k = 1; k <= count; ++k) {
    e.size2_[k] = maxint;
    int j = k;
    while (j > 1 && e.size_[order_[j - 1]] > e.size_[k]) {
      order_[j] = order_[j - 1];
      --j;
    }
    order_[j] = k;
  }
  const int limit = std::min(count - 1, e.options_.ssChooseLimit);
  std::int64_t best = -1;
  int chosen = 0;
  for (int i = 1; i <= limit; ++i) {
    const int k = order_[i];
    if (!e.isActive(k)) continue;
    log(5) << k << ": ";
    cut_[0] = 0;
    int delta = maxint;
    for (int j = 1; j <= e.componentSize(k); ++j) {
      const int v = e.componentVertex(k, j);
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        const int in = R.partner[s];
        if (R.delE[s] || e.inComponent(k, R.arcs[s].head) || rc[in] == 0) continue;
        cut_[++cut_[0]] = in;
        delta = std::min(delta, rc[in]);
      }
    }
    e.size2_[k] = 0;
    if (cut_[0] == 0) continue;
    for (int c = 1; c <= cut_[0]; ++c) rc[cut_[c]] -= delta;
    const std::int64_t left = e.options_.ssChoose >= 10 ? shortestPathTree(R, rc, e.rootVertex())
                                                        : leftToTerminals(R, rc, e.rootVertex(), e.options_.ssChoose);
    for (int c = 1; c <= cut_[0]; ++c) rc[cut_[c]] += delta;
    const std::int64_t value = std::int64_t{delta} + left + e.value_;
    e.size2_[k] = static_cast<int>(std::min<std::int64_t>(value, maxint));
    log(6) << left;
    log(5) << value << ", ";
    if (value > best) {
      best = value;
      chosen = k;
    }
  }
  return chosen;
}

// Search from the root until every other terminal is settled. Mode 1: the sum of their
// distances; else the sum over the terminals reached through a path that has an arc of non-zero
// cost since the last terminal on it.
std::int64_t TentativeChoice::leftToTerminals(const ReduceGraph& R, const IntArray& rc, int rootVertex, int mode) {
  const int stamp = nextStamp();
  heap_.clearHeap();
  seen_[rootVertex] = stamp;
  pred_[rootVertex] = 0;
  heap_.heapInsert(rootVertex, 0);
  std::int64_t sum = 0;
  int terminals = 0;
  while (!heap_.empty() && terminals < R.R - 1) {
    const int v = heap_.heapExtractMin();
    settled_[v] = stamp;
    if (v != rootVertex) {
      const int a = pred_[v];
      flag_[v] = flag_[R.arcs[a].tail] != 0 || R.arcs[a].cost != 0 ? 1 : 0;
      if (R.isReq[v] != 0) {
        ++terminals;
        if (mode == 1 || flag_[v]) sum += keys_[v];
        flag_[v] = 0;
      }
    } else {
      flag_[v] = 0;
    }
    relax(R, rc, v, stamp);
  }
  // Terminals the reduced costs no longer reach count as far away.
  return sum + std::int64_t{R.R - 1 - terminals} * maxint;
}

// Cost in reduced costs of a tree grown from the root by joining the nearest terminal each time.
std::int64_t TentativeChoice::shortestPathTree(const ReduceGraph& R, const IntArray& rc, int rootVertex) {
  const int treeStamp = nextStamp();
  inTree_[rootVertex] = treeStamp;
  treeList_[0] = 0;
  treeList_[++treeList_[0]] = rootVertex;
  int joined = 1;
  std::int64_t total = 0;
  while (joined < R.R) {
    const int stamp = nextStamp();
    heap_.clearHeap();
    for (int i = 1; i <= treeList_[0]; ++i) {
      const int v = treeList_[i];
      seen_[v] = stamp;
      heap_.heapInsert(v, 0);
    }
    int reached = 0;
    while (!heap_.empty()) {
      const int v = heap_.heapExtractMin();
      settled_[v] = stamp;
      if (R.isReq[v] != 0 && inTree_[v] != treeStamp) {
        reached = v;
        break;
      }
      relax(R, rc, v, stamp);
    }
    if (reached == 0) return total + std::int64_t{R.R - joined} * maxint;
    for (int x = reached; inTree_[x] != treeStamp; x = R.arcs[pred_[x]].tail) {
      inTree_[x] = treeStamp;
      treeList_[++treeList_[0]] = x;
      total += rc[pred_[x]];
      if (R.isReq[x] != 0) ++joined;
    }
  }
  return total;
}

// After a pass: per vertex the nearest terminal other than the root along the engine's
// reduced-cost paths (its base), and the reduced-cost distance d2 to a terminal of another base;
// 0 at the terminals, maxint where none is reached.
//
// d2 never exceeds the cheapest path from v to a terminal other than its base that meets no
// terminal on the way: along such a path the bases stay v's up to a first vertex of another
// base, whose predecessor is seeded with d1 of it, and the search carries that back to v (a
// vertex only refuses the vertices of its own second base, which were seeded with less). So
// root distance + d1 + d2 bounds every tree in which v branches toward two terminals.
class SecondTerminalDistances {
public:
  explicit SecondTerminalDistances(const ReduceGraph& R)
      : d2_(static_cast<std::size_t>(R.V) + 1, maxint), second_(static_cast<std::size_t>(R.V) + 1, 0),
        state_(static_cast<std::size_t>(R.V) + 1, 0), heap_(R.V, d2_) {}

  void run(const ReduceGraph& R, const RootedAscent& ascent) {
    const IntArray& rc = ascent.reducedCosts();
    const IntArray& d1 = ascent.distancesToTerminal();
    const IntArray& base_ = ascent.bases();
    const int rootVertex = ascent.rootVertex();
    heap_.clearHeap();
    for (int v = 1; v <= R.V; ++v) {
      d2_[v] = maxint;
      state_[v] = 0;
    }
    for (int v = 1; v <= R.V; ++v) {
      if (v == rootVertex || base_[v] == 0 || d1[v] >= maxint) continue;
      for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || R.isReq[w] != 0 || base_[w] == base_[v]) continue;
        offer(w, saturatedSum(d1[v], rc[R.partner[s]]), base_[v]);
      }
    }
    const int limit = R.Vanz - R.R;
    int settled = 0;
    while (settled < limit && !heap_.empty()) {
      const int x = heap_.heapExtractMin();
      state_[x] = 2;
      if (x == rootVertex) continue;
      ++settled;
      for (int s = R.firstArc[x]; s < R.firstArc[x] + R.degree[x]; ++s) {
        const int w = R.arcs[s].head;
        if (R.delE[s] || R.isReq[w] != 0 || base_[w] == second_[x]) continue;
        offer(w, saturatedSum(d2_[x], rc[R.partner[s]]), second_[x]);
      }
    }
    // Left in the heap (only if the live count fell short): a tentative key is no bound, the
    // nearest terminal's distance is.
    if (!heap_.empty()) {
      for (int v = 1; v <= R.V; ++v)
        if (state_[v] == 1) d2_[v] = d1[v];
    }
    for (int k = 1; k <= R.R; ++k) d2_[R.terminals[k]] = 0;
  }

  const IntArray& distances() const { return d2_; }

private:
  void offer(int w, int key, int base) {
    if (state_[w] == 2 || key >= d2_[w]) return;
    second_[w] = base;
    if (state_[w] == 0) {
      state_[w] = 1;
      heap_.heapInsert(w, key);
    } else {
      heap_.heapDecreaseKey(w, key);
    }
  }

  IntArray d2_, second_, state_;
  IndexedHeap heap_;
};

// The branch and bound that SLACK-PRUNE falls back to, installed by the layer that owns it.
AscentBranching ascentBranching = nullptr;
// Set while that branching runs, so that a nested SLACK-PRUNE takes the upper-bound method.
bool slackBranchingRunning = false;

// SLACK-PRUNE: when the reduced costs prove nothing, the vertices farthest beyond them go
// without proof. Only prune copies (or instances already reduced without proof) take it, and
// they are marked so that no bound found later on them claims anything.
void slackPrune(ReduceGraph& R, const RootedAscent& engine, const IntArray& d2) {
  if (!R.heuristicallyReduced && shell.phase != 'P' && shell.phase != 'B') {
    log(3) << "SLACK-PRUNE skipped: only prune copies are reduced without proof\n";
    return;
  }
  const double reduceMin = shell.Fget("reduceMin", 2.0);
  const double reduceMax = shell.Fget("reduceMax", 100.0);
  const int minNumber = shell.Iget("reduceMinNo", 1);
  const bool useUpper = shell.Iget("reduceUseUpper", 1) != 0;
  const bool useTree = shell.Iget("reduceUseTree", 1) != 0;
  R.upperValueValid = 0;
  R.heuristicallyReduced = 1;

  const IntArray& fromRoot = engine.distancesFromRoot();
  const IntArray& d1 = engine.distancesToTerminal();
  std::vector<std::pair<std::int64_t, int>> order;
  order.reserve(static_cast<std::size_t>(R.V));
  for (int v = 1; v <= R.V; ++v)
    order.emplace_back(-(std::int64_t{fromRoot[v]} + d1[v] + d2[v]), v);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });

  const bool voronoi = useTree || (useUpper && !R.upperOk);
  if (voronoi) {
    R.computeVoronoiRegions(maxint);
    R.generalizedMstUpper(0);
  }
  const int live = R.Vanz;
  double percent = live > 0 ? 50 - (300 * std::int64_t{R.R}) / live : 0;
  percent = std::min(reduceMax, std::max(reduceMin, percent));
  const int quota = std::max(minNumber, static_cast<int>(std::lround(live * percent / 100)));

  auto walk = [&](bool spareVoronoi) {
    int deleted = 0;
    for (const auto& [key, v] : order) {
      if (deleted >= quota) break;
      if (R.degree[v] == 0 || R.isReq[v] != 0) continue;
      if (useUpper && R.upperOk && R.treeDegree[v] != 0) continue;
      if (spareVoronoi && R.vertexValue[v] != 0) continue;
      R.markVertexDeleted(v);
      R.compactEdges(nullptr);
      ++deleted;
    }
    return deleted;
  };
  int deleted = walk(voronoi);
  if (deleted == 0 && voronoi && useUpper && R.upperOk) deleted = walk(false);
  if (deleted == 0) {
    if (!slackBranchingRunning && ascentBranching) {
      log(1) << "WARNING (SLACK-PRUNE): no deletion possible -> branching.\n";
      slackBranchingRunning = true;
      ascentBranching(R, 0);
      slackBranchingRunning = false;
    } else {
      log(1) << "WARNING (SLACK-PRUNE): no deletion possible -> tm3.\n";
      upper(R);
    }
  }
  log(1) << "Reduce: " << deleted << "\n";
}

// Prunes a copy of R that keeps R's edge identifiers (with its stored tree forgotten when asked)
// and offers the copy's tree to R under the label; marks as for prune1. Returns the value of the
// tree found, contractCost alone when none was.
std::int64_t pruneCopyForR(ReduceGraph& R, const char* script, const int* marks, const char* label,
                           bool clearUpper) {
  ReduceGraph copy = ReduceGraph::copyGraph(R, 2);
  if (clearUpper) copy.clearUpper();
  prune1(copy, script, marks);
  if (!copy.upperOk) return R.contractCost;
  const std::int64_t value = copy.upperValue;
  copy.reconstructSolution(R);
  R.setUpper(solutionList, label, 1);
  return value;
}

// Upgrade: vertices on many tree branches that the reduced costs tie to the terminals become
// terminals of a prune copy, whose tree is offered to R.
void upgradePrune(ReduceGraph& R, const RootedAscent& engine, const IntArray& d2, const DriverOptions& options,
                  IntArray& marks) {
  const int upgrade = options.upgrade;
  const bool useSlack = options.upgradeUseSlack;
  const IntArray& fromRoot = engine.distancesFromRoot();
  const IntArray& d1 = engine.distancesToTerminal();
  int lifted = 0;
  for (int v = 1; v <= R.V; ++v) {
    marks[v] = 0;
    if (R.degree[v] == 0 || R.isReq[v] != 0 || R.treeDegree[v] <= upgrade) continue;
    if (useSlack && std::int64_t{fromRoot[v]} + d1[v] + d2[v] != 0) continue;
    marks[v] = 1;
    ++lifted;
    log(3) << " U: " << v;
  }
  log(2) << "upgraded: " << lifted << "\n";
  if (lifted == 0) return;
  const std::string script = text(shell.Sget("R-prune2", "(((mvsn)B)r)"));
  shell.Sset("quietPrune", "0");
  const std::int64_t value = pruneCopyForR(R, script.c_str(), marks.data(), "Upgraded", true);
  log(3) << "Upgraded-Upper: " << value << "\n";
  if (options.upgradePrune) pruneCopyForR(R, nullptr, nullptr, "Originalgraph nach Upgradedgraph", false);
}

// Prunes a kept-ID copy of R that holds only the edges the zero reduced costs span and offers
// the tree found to R (and, with option original, a prune of R seeded with it).
class AuxiliaryUpper {
public:
  AuxiliaryUpper(const ReduceGraph& R, const DriverOptions& options)
      : options_(options), keep_(static_cast<std::size_t>(2 * R.E) + 1, 0),
        mark_(static_cast<std::size_t>(R.V) + 1, 0), walk_(static_cast<std::size_t>(R.V) + 1, 0) {}

  void run(ReduceGraph& R, const RootedAscent& engine, int rootVertex, std::int64_t lower) {
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

void replaceMarked(ReduceGraph& R, const IntArray& replace, bool garbageCollection);

}  // namespace

void setAscentBranching(AscentBranching solver) { ascentBranching = solver; }

void ascent(ReduceGraph& R) {
  const DriverOptions options;
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  AscentLpFiles lp;
  shell.echoLevel = echo;
  leaveOverflowMode(R);
  if (lp.cutLpWanted()) lp.openCutLp(R);
  DriverAscent engine(R, options, lp);
  AuxiliaryUpper auxiliary(R, options);
  IntArray replace(static_cast<std::size_t>(R.V) + 1, 0);
  IntArray marks(options.upgrade != 0 ? static_cast<std::size_t>(R.V) + 1 : 0, 0);
  SecondTerminalDistances second(R);
  // The slack LP is written after the deletions have moved the slots: each slot's origin.
  const std::size_t slots = lp.slackLpWanted() ? static_cast<std::size_t>(2 * R.E) + 1 : 0;
  IntArray origin(slots, 0), movedCosts(slots, 0), movedTree(slots, 0);

  const IntArray roots = ascentRoots(options.root, R.R, R.E, R.lowerTag);
  for (int i = 1; i <= roots[0]; ++i) {
    if (options.doReduction && R.upperOpt != 0) break;
    const int root = roots[i];
    const int rootVertex = R.terminals[root];
    if (options.showRoots) display(R);
    log(3) << root << ". root: " << rootVertex << "\n";
    engine.prepareRoot(root);
    engine.run(root);
    if (engine.disconnected()) {
      log(3) << "ascent: required vertex cannot be reached from the root\n";
      R.markDisconnected();
      return;
    }
    if (options.showSteps && options.ask == 0) {
      // The pause after an ascent; it ends at once when nobody is at the console.
      std::string word;
      readConsoleWord(word);
    }
    const std::int64_t lower = std::int64_t{R.contractCost} + engine.ascentValue();
    R.setLower(static_cast<int>(std::min<std::int64_t>(lower, maxint)), root);
    engine.logPrematureEnds();
    log(3) << "size: |V|=" << R.Vanz << ", |E|=" << R.Eanz << ", |R|=" << R.R << "\n";
    if (options.calcUpper >= 0 && (!R.upperOk || options.calcUpper != 0))
      auxiliary.run(R, engine, rootVertex, lower);

    engine.computeDistances();
    // The second distances read the reduced costs by slot: before the deletions move them.
    second.run(R, engine);
    const std::int64_t rest = std::int64_t{R.upperValue} - lower;
    log(3) << "rest: " << rest << ", lower: " << lower << ", upper: " << R.upperValue << "\n";
    if (rest < 0) {
      R.markDisconnected();
      return;
    }
    for (std::size_t s = 1; s < origin.size(); ++s) origin[s] = static_cast<int>(s);
    if (options.doReduction && rest == 0 && !options.construct) {
      // setLower or setUpper has closed the instance already (unless the bounds no longer
      // speak for it after a deletion without proof).
      log(2) << "lower=upper\n\n";
    } else if (options.doReduction) {
      const ReducedCostDeletions done =
          deleteByReducedCosts(R, engine.reducedCosts(), engine.distancesFromRoot(), engine.distancesToTerminal(),
                               rest, options.maxDegree, replace,
                               {"\ndeleted vertices: ", ", deleted edges:  ", ", replaced: "}, &second.distances(), {},
                               origin.empty() ? nullptr : &origin);
      if (options.upgrade != 0) upgradePrune(R, engine, second.distances(), options, marks);
      if (options.reduce && done.vertices == 0 && done.edges == 0 && done.marked == 0)
        slackPrune(R, engine, second.distances());
    }
    if (lp.slackLpWanted()) {
      // Only the deletions have moved slots since the ascent (the prunes work on copies).
      const IntArray& rc = engine.reducedCosts();
      const IntArray& tree = engine.treeArcs();
      for (int s = 1; s <= 2 * R.E; ++s) {
        const bool known = static_cast<std::size_t>(s) < origin.size() && !R.delE[s];
        movedCosts[s] = known ? rc[origin[s]] : 0;
        movedTree[s] = known ? tree[origin[s]] : 0;
      }
      lp.writeSlackLp(R, movedCosts, root, rest, movedTree);
    }
  }

  R.deleteUnreachable();
  if (R.upperOpt == 0 && !lp.slackLpWanted()) replaceMarked(R, replace, options.garbageCollection);
  lp.closeCutLp();
}

namespace {

void replaceMarked(ReduceGraph& R, const IntArray& replace, bool garbageCollection) {
  log(4) << " Replacing...";
  const int replaced = replaceMarkedVertices(R, replace, garbageCollection);
  log(4) << replaced;
  R.rebuildAdjacency();
}

}  // namespace

}  // namespace tesmo
