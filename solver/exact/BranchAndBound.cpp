#include "BranchAndBound.h"

#include "AscentFast.h"
#include "Check.h"
#include "LogStream.h"
#include "ReduceByString.h"
#include "RunTimer.h"
#include "Shell.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>

namespace tesmo {

namespace {

int clampToInt(std::int64_t value) {
  return value >= maxint ? maxint : static_cast<int>(value);
}

}  // namespace

void BranchAndBound::extendLabel(std::string& label, char sign, int vertex) {
  if (label.size() > 94) return;
  label += sign;
  label += std::to_string(vertex);
  if (label.size() > 99) label.resize(99);
}

void BranchAndBound::readOptions() {
  const int savedEcho = shell.echoLevel;
  (void)savedEcho;
  shell.echoLevel = 4;
  opt_.stack = std::max(2, shell.Iget("Stack", 100));
  opt_.reduction = shell.Sget("Reduction", nullptr);
  opt_.reduction1 = shell.Sget("Reduction1", opt_.reduction);
  shell.Iget("wait", 2);  // only a display would wait
  opt_.branchMode = shell.Iget("branchMode", 1);
  opt_.bestFirst = shell.Iget("bestFirst", 0);
  opt_.useGlobalUpper = shell.Iget("useGlobalUpper", 1);
  opt_.forwardBranching = shell.Iget("forwardBranching", 1) != 0 ? 1 : 0;
  opt_.maxSeconds = shell.Fget("R-maxSec", 1600000000.0);
  shell.echoLevel = 0;
  // The small nodes are solved by enumeration, whose work doubles with every vertex.
  opt_.exactMstMax = std::clamp(shell.Iget("exactMstMax", 8), 0, SubsetEnumeration::limit());
  opt_.noSetUpper = shell.Iget("noSetUpper", 0);
}

std::int64_t BranchAndBound::costStep(const ReduceGraph& R) {
  // Scaled costs carry random tie-breaking parts: no common step is known then.
  if (R.costScale != 1) return 1;
  std::int64_t g = R.contractCost < 0 ? -std::int64_t{R.contractCost} : R.contractCost;
  for (int s = 1; s <= 2 * R.E && g != 1; ++s)
    if (!R.delE[s]) g = std::gcd(g, std::int64_t{R.arcs[s].cost < 0 ? -R.arcs[s].cost : R.arcs[s].cost});
  return g > 0 ? g : 1;
}

std::int64_t BranchAndBound::nodeBound() const {
  if (costStep_ <= 1 || best_ >= maxint || best_ <= 0) return best_;
  // Trees better than best_ cost at most the largest multiple of the step below it.
  return (best_ - 1) / costStep_ * costStep_ + 1;
}

int BranchAndBound::liveFreeVertices(const ReduceGraph& node) const {
  int count = 0;
  for (int v = 1; v <= node.V; ++v)
    if (node.isReq[v] == 0 && node.hasLiveSlot(v)) ++count;
  return count;
}

void BranchAndBound::selectBestFirst() {
  log(4) << "lowerValues: ";
  int chosen = top_;
  for (int i = top_; i >= 0; --i) {
    log(4) << stack_[i].node->lowerValue << " ";
    if (stack_[i].node->lowerValue < stack_[chosen].node->lowerValue) chosen = i;
  }
  log(4) << std::endl;
  // The chosen entry goes to the top; the ones above it move down, keeping their order.
  if (chosen != top_)
    std::rotate(stack_.begin() + chosen, stack_.begin() + chosen + 1, stack_.begin() + top_ + 1);
}

void BranchAndBound::solveSmall(ReduceGraph& node) {
  IntArray& slots = smallTree_;
  const std::int64_t value = enumeration_.run(node, slots);
  if (value >= maxint) {  // the terminals are not joined: no tree in this node
    node.upperOpt = -1;
    return;
  }
  node.setLower(clampToInt(value), 0);
  node.setUpper(slots, nullptr, 1);
}

void BranchAndBound::offerToInstance(ReduceGraph& R, ReduceGraph& node) {
  const std::int64_t w = node.reconstructSolution(R);
  best_ = node.upperValue;
  log(2) << "\nbranching: new upper bound:" << best_ << "/" << (w + R.contractCost) << "\n\n";
  if (opt_.noSetUpper) {
    validTree_ = true;
    return;
  }
  R.setUpper(solutionList, nullptr, 1);
  // The instance holds a tree of the value the search now prunes with.
  if (R.upperOk && R.upperValueValid && R.upperValue <= best_) {
    validTree_ = true;
    best_ = R.upperValue;
  }
}

bool BranchAndBound::processTop(ReduceGraph& R) {
  Entry& entry = stack_[top_];
  ReduceGraph& node = *entry.node;
  log(2) << "step: " << step_ << ", stack: " << top_ << "   " << "first lower: " << firstLower_
         << ", current lower: " << node.lowerValue << ", upper: " << best_ << std::endl;
  log(2) << "graph: '" << entry.label << "';  size: |V|=" << node.Vanz << ", |E|=" << node.Eanz
         << ", |R|= " << node.R << ";  upper: " << node.upperValue << " (OK: " << node.upperOk
         << ")\n\n";
  node.deleteUnreachable();
  const std::int64_t bound = nodeBound();
  if (node.upperOpt != 0 || node.lowerValue >= bound) return false;
  if (opt_.useGlobalUpper && bound < node.upperValue) {
    log(2) << "using global upper bound: " << best_ << std::endl;
    node.clearUpper();
    node.upperValueValid = 0;
    node.upperValue = clampToInt(bound);
  } else if (!(node.upperOk && node.upperValueValid) && node.upperValue != bound) {
    // A value without a tree of the node behind it must not close the node when the lower
    // bound meets it: only the search's own bound may.
    node.clearUpper();
    node.upperValue = clampToInt(bound);
  }
  int freeCount = liveFreeVertices(node);
  if (freeCount > opt_.exactMstMax && node.R > 1) {
    const char* script = step_ == 1 ? opt_.reduction1 : opt_.reduction;
    reduceByString(script ? script : "", node, opt_.exactMstMax + 1);
    node.deleteUnreachable();
    nodeBound_.run(node);
    freeCount = liveFreeVertices(node);
  }
  // Vertices deleted without proof: what the search finds below here holds for less than the node.
  if (node.heuristicallyReduced) heuristic_ = true;
  if (node.R <= 1 && node.upperOpt >= 0) {
    IntArray none(1, 0);
    node.setUpper(none, nullptr, 1);
    node.setLower(clampToInt(node.contractCost), 0);
  }
  if (node.upperOpt == 0 && freeCount <= opt_.exactMstMax) solveSmall(node);
  // Branching by tree degree needs a tree: a node to be split without one gets the tree of a
  // fast ascent, which also raises its lower bound and may close it.
  if (opt_.branchMode == 2 && node.upperOpt == 0 && node.lowerValue < best_ && !node.upperOk) {
    node.clearUpper();
    ascentFast(node);
    if (!node.upperOk) exitWithWarning("!R->upperOk", 175, "branching", R.warningDump());
    if (node.heuristicallyReduced) heuristic_ = true;
    // What the ascent deleted may leave a node small enough to be enumerated.
    freeCount = liveFreeVertices(node);
    if (node.upperOpt == 0 && node.R > 1 && freeCount <= opt_.exactMstMax) solveSmall(node);
  }
  // A reduction that had to drop the node's tree keeps its value, and the lower bound may then
  // meet that value with no tree of it at hand. Closing such a node would lose its optimum and
  // prove the search's bound for the instance instead: the node is searched on under the
  // search's own bound.
  if (node.upperOpt == 1 && !(node.upperOk && node.upperValueValid) && node.upperValue < nodeBound()) {
    log(2) << "no tree of the value " << node.upperValue << " at hand, searching on\n";
    node.clearUpper();
    node.upperValueValid = 0;
    node.upperValue = clampToInt(nodeBound());
  }
  if (step_ == 1) firstLower_ = node.lowerValue;
  log(2) << "lower: " << node.lowerValue << " , upper: " << node.upperValue << std::endl;
  if (node.upperValueValid && node.upperOk && node.upperOpt >= 0 && node.upperValue < best_)
    offerToInstance(R, node);
  return !(node.upperOpt != 0 || node.lowerValue >= nodeBound());
}

int BranchAndBound::chooseVertex(const ReduceGraph& node) const {
  const int V = node.V;
  auto candidate = [&](int v) { return node.isReq[v] == 0 && node.hasLiveSlot(v); };
  // The start vertex: the first live non-required vertex from (E * R) mod V + 1 on.
  int s = static_cast<int>((static_cast<std::int64_t>(node.E) * node.R) % V) + 1;
  int tries = 0;
  while (!candidate(s) && tries++ < V) s = s % V + 1;
  if (!candidate(s)) return 0;
  if (opt_.branchMode < 0) return s;
  auto treeDegreeOf = [&](int v) -> std::int64_t {
    return node.treeDegree[v] == maxint ? 0 : node.treeDegree[v];
  };
  const bool treeDegreesSet = node.treeDegree[0] != maxint || node.upperOk;
  bool byTree = false;
  if (opt_.branchMode == 1) byTree = node.upperOk || treeDegreesSet;
  if (opt_.branchMode == 2) byTree = node.upperOk != 0;  // processTop gave the node a tree
  if (opt_.branchMode <= 2) {
    int best = s;
    std::int64_t score = byTree ? treeDegreeOf(s) : node.degree[s];
    for (int v = 1; v <= V; ++v) {
      if (!candidate(v)) continue;
      const std::int64_t value = byTree ? treeDegreeOf(v) : node.degree[v];
      if (value > score) {
        score = value;
        best = v;
      }
    }
    return best;
  }
  // Cost plus ten times the tree degree plus the degree of the tail, per live slot.
  auto slotScore = [&](int slot) -> std::int64_t {
    const int tail = node.arcs[slot].tail;
    return static_cast<std::int64_t>(node.arcs[slot].cost) + 10 * treeDegreeOf(tail) + node.degree[tail];
  };
  int best = s;
  std::int64_t score = slotScore(node.nextLiveSlot(s, 0));
  for (int slot = 1; slot <= 2 * node.E; ++slot) {
    if (node.delE[slot]) continue;
    const int tail = node.arcs[slot].tail;
    if (!candidate(tail)) continue;
    const std::int64_t value = slotScore(slot);
    if (value > score) {
      score = value;
      best = tail;
    }
  }
  return best;
}

void BranchAndBound::split(int v) {
  const int t = top_;
  ReduceGraph& node = *stack_[t].node;
  log(2) << "Branching with " << v << ", degree: " << node.degree[v] << ", uDegree: "
         << node.treeDegree[v] << std::endl;
  if (stack_.size() < static_cast<std::size_t>(t) + 2) stack_.resize(static_cast<std::size_t>(t) + 2);
  stack_[t + 1].node = std::make_unique<ReduceGraph>(ReduceGraph::copyGraph(node, 1));
  stack_[t + 1].label = stack_[t].label;
  top_ = t + 1;
  const int deletion = t - opt_.forwardBranching + 1;
  const int requirement = deletion == t ? t + 1 : t;
  const int input = std::abs(node.origVertex[v]);
  {
    ReduceGraph& child = *stack_[deletion].node;
    if (!(child.upperOk && child.treeDegree[v] == 0)) child.clearUpper();
    child.deleteVertex(v);
    extendLabel(stack_[deletion].label, '-', input);
  }
  {
    ReduceGraph& child = *stack_[requirement].node;
    if (!(child.upperOk && child.treeDegree[v] != 0)) child.clearUpper();
    child.addTerminal(v);
    extendLabel(stack_[requirement].label, '+', input);
  }
}

int BranchAndBound::run(ReduceGraph& R, const char* label, int firstStep) {
  readOptions();
  if (opt_.reduction == nullptr) {
    exitWithWarning("\"No reduction specified.\"", 39, "branching", R.warningDump());
    opt_.reduction = opt_.reduction1 = "";
  }
  if (stack_.size() < static_cast<std::size_t>(opt_.stack) + 2)
    stack_.resize(static_cast<std::size_t>(opt_.stack) + 2);
  stack_[0].node = std::make_unique<ReduceGraph>(ReduceGraph::copyGraph(R, 1));
  stack_[0].label = label;
  if (opt_.noSetUpper) stack_[0].node->destroyUpper();
  top_ = 0;
  step_ = firstStep;
  firstLower_ = 0;
  timedOut_ = false;
  heuristic_ = false;
  openNodes_ = 0;
  validTree_ = R.upperValueValid && R.upperOk;
  // A value without a tree behind it may be the optimum: the search looks for a tree of that
  // value too, so that it does not end without one.
  best_ = R.upperValue;
  if (!validTree_ && best_ < maxint) best_ += 1;
  costStep_ = costStep(R);
  bool incomplete = false;

  while (top_ >= 0) {
    if (opt_.bestFirst) selectBestFirst();
    if (processTop(R)) {
      const int v = chooseVertex(*stack_[top_].node);
      if (v == 0) {
        // Nothing left to branch on, yet the node is open: stop rather than lose its part.
        log(0) << "branching: no vertex to branch on in '" << stack_[top_].label << "'\n";
        incomplete = true;
        ++step_;
        break;
      }
      split(v);
    } else {
      stack_[top_].node.reset();
      --top_;
    }
    ++step_;
    if (firstLower_ >= nodeBound()) break;
    if (top_ >= 0 && runTimer.elapsedTime() >= opt_.maxSeconds) {
      timedOut_ = true;
      break;
    }
  }

  const bool complete = top_ < 0 || (firstLower_ >= nodeBound() && !incomplete);
  std::int64_t openLower = maxint;
  for (int i = 0; i <= top_; ++i) {
    if (!complete) openLower = std::min<std::int64_t>(openLower, stack_[i].node->lowerValue);
    stack_[i].node.reset();
  }
  openNodes_ = complete ? 0 : top_ + 1;
  steps_ = step_ - firstStep;
  if (heuristic_) {
    // A heuristic deletion may have cut the optimum away: the trees found stand, nothing is proven.
    log(2) << "branching: nodes were reduced heuristically, the lower bound is left as it was\n";
  } else if (complete) {
    if (!opt_.noSetUpper) {
      std::int64_t proven = std::min<std::int64_t>(best_, maxint);
      if (R.upperValueValid) proven = std::min<std::int64_t>(proven, R.upperValue);
      R.setLower(clampToInt(proven), 0);
    }
  } else {
    if (timedOut_) log(2) << "Time out!\n";
    if (!opt_.noSetUpper) {
      std::int64_t proven = std::min(openLower, best_);
      if (R.upperValueValid) proven = std::min<std::int64_t>(proven, R.upperValue);
      R.setLower(clampToInt(proven), 0);
    }
  }
  log(2) << "\nbranching finished: " << "step: " << steps_;
  if (openNodes_ > 0) log(2) << ", stack: " << openNodes_;
  log(2) << "\n\n";
  top_ = -1;
  if (!validTree_ && R.upperValueValid)
    log(0) << "WARNING: Possible inconsistency: No valid upper with value " << best_ << " found.\n";
  return R.upperValue;
}

}  // namespace tesmo
