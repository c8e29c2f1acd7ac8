#include "LagrangianTree.h"

#include "LogStream.h"
#include "Prune1.h"
#include "RunTimer.h"
#include "SlotView.h"
#include "TreeCompletion.h"

#include <algorithm>

namespace tesmo {

LagrangianTree::LagrangianTree(const ReduceGraph& R, Weight faktor)
    : Faktor(faktor), R_(R), twoE_(2 * R.E) {
  const std::size_t slots = static_cast<std::size_t>(twoE_) + 1;
  const std::size_t vertices = static_cast<std::size_t>(R.V) + 1;
  lagrWeight.assign(slots + vertices, 0);
  lagrMult.assign(slots, 0);
  lagrPred.assign(vertices, 0);
  lagrPredSlot.assign(vertices, 0);
  lagrKey.assign(vertices, 0);
  lagrDepth.assign(vertices, 0);
  lagrTreeDegree.assign(vertices, 0);
  pathMax.assign(slots + vertices, notComputed);
  replaceMin.assign(vertices, farAway);
  fixed_.assign(vertices, 0);
  heap_.reserve(slots + vertices);
  lagrDepth[0] = -1;
}

bool LagrangianTree::isTreeEdge(int s) const {
  const Arc& a = R_.arcs[s];
  return lagrPredSlot[a.head] == s || lagrPredSlot[a.tail] == R_.partner[s];
}

void LagrangianTree::addToMultiplier(int s, Weight d) {
  lagrMult[s] += d;
  lagrWeight[s] += d;
  lagrWeight[R_.partner[s]] += d;
  lagrWeight[artificial(R_.arcs[s].tail)] += d;
  lagrWeight[0] -= d;
}

void LagrangianTree::dropEdgeMultipliers(int s) {
  const int p = R_.partner[s];
  for (int slot : {s, p}) {
    lagrWeight[0] += lagrMult[slot];
    lagrWeight[artificial(R_.arcs[slot].tail)] -= lagrMult[slot];
    lagrMult[slot] = 0;
  }
}

void LagrangianTree::dropVertexMultipliers(int v) {
  for (int s = R_.nextLiveSlot(v, 0); s != 0; s = R_.nextLiveSlot(v, s)) dropEdgeMultipliers(s);
}

LagrangianTree::Weight LagrangianTree::computeTree(int root, bool& reached) {
  const ReduceGraph& R = R_;
  heap_.clear();
  Weight lagrLower = lagrWeight[0];
  int live = 0;
  for (int v = 1; v <= R.V; ++v) {
    fixed_[v] = 0;
    lagrTreeDegree[v] = 0;
    if (!R.hasLiveSlot(v)) {
      lagrPred[v] = 0;
      lagrPredSlot[v] = artificial(v);
      lagrKey[v] = farAway;
      continue;
    }
    ++live;
    lagrPred[v] = 0;
    lagrDepth[v] = 0;
    if (R.isReq[v] == 0 || v == root) {
      lagrPredSlot[v] = artificial(v);
      lagrKey[v] = lagrWeight[artificial(v)];
      heap_.push(lagrKey[v], v);
    } else {
      lagrPredSlot[v] = 0;  // not yet reached
      lagrKey[v] = farAway * 4;
    }
  }
  int taken = 0;
  reached = true;
  while (taken < live) {
    if (heap_.empty()) {
      log(1) << "empty PQ \n";
      reached = false;
      break;
    }
    const auto [key, v] = heap_.pop();
    if (fixed_[v] || key != lagrKey[v]) continue;
    fixed_[v] = 1;
    ++taken;
    if (lagrPredSlot[v] == artificial(v)) {
      lagrPred[v] = 0;
      lagrDepth[v] = 0;
      log(5) << v << "/" << key << "  ";
    } else {
      const int p = R.arcs[lagrPredSlot[v]].tail;
      lagrPred[v] = p;
      lagrDepth[v] = lagrDepth[p] + 1;
      ++lagrTreeDegree[v];
      ++lagrTreeDegree[p];
      log(5) << v << "-" << p << "/" << key << "  ";
    }
    lagrLower += key;
    for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
      const int u = R.arcs[s].head;
      if (fixed_[u] || lagrWeight[s] >= lagrKey[u]) continue;
      lagrKey[u] = lagrWeight[s];
      lagrPredSlot[u] = s;
      heap_.push(lagrWeight[s], u);
    }
  }
  for (int v = 1; v <= R.V; ++v)
    if (R.isReq[v] != 0 && R.hasLiveSlot(v) && !fixed_[v]) reached = false;
  log(4) << " " << lagrLower << ", C0:" << lagrWeight[0] << std::endl;
  return lagrLower;
}

void LagrangianTree::TreePathMaximum() {
  const ReduceGraph& R = R_;
  runTimer.printTime(4);
  std::fill(replaceMin.begin() + 1, replaceMin.end(), farAway);
  std::fill(pathMax.begin() + 1, pathMax.end(), notComputed);
  for (int s = 1; s <= twoE_; ++s) {
    const Arc& e = R.arcs[s];
    if (R.delE[s] || e.tail >= e.head || isTreeEdge(s)) continue;
    const Weight c = lagrWeight[s];
    int a = e.tail, b = e.head;
    if (lagrDepth[a] < lagrDepth[b]) std::swap(a, b);
    while (lagrDepth[a] > lagrDepth[b]) {
      coverTreeEdge(a, c, s);
      a = lagrPred[a];
    }
    // Up to the nearest common ancestor, 0 when the ends hang below different vertices.
    while (a != b) {
      coverTreeEdge(a, c, s);
      coverTreeEdge(b, c, s);
      a = lagrPred[a];
      b = lagrPred[b];
    }
    pathMax[R.partner[s]] = pathMax[s];
  }
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0 || hangsOnRoot(v) || !R.hasLiveSlot(v)) continue;
    const Weight c = lagrWeight[artificial(v)];
    for (int x = v; x != 0; x = lagrPred[x]) coverTreeEdge(x, c, artificial(v));
  }
  log(4) << "Normal TBAC: ";
  runTimer.printTime(4);
}

void LagrangianTree::MultiplierAdjust(Weight& lagrLower) {
  const ReduceGraph& R = R_;
  TreePathMaximum();
  // Lowering: a multiplier of a slot whose edge and whose tail's artificial edge both lie
  // outside the tree can fall while both keep a non-negative reduced weight; the tree stays
  // minimal and the constant term grows.
  Weight g1 = 0;
  for (int s = 1; s <= twoE_; ++s) {
    const int t = R.arcs[s].tail;
    if (R.delE[s] || R.isReq[t] != 0 || hangsOnRoot(t) || isTreeEdge(s)) continue;
    const Weight d = std::min({lagrWeight[s] - pathMax[s],
                               lagrWeight[artificial(t)] - pathMax[artificial(t)], lagrMult[s]});
    if (d <= 0) continue;
    addToMultiplier(s, -d);
    lagrLower += d;
    g1 += d;
  }
  TreePathMaximum();
  // Raising: u hangs on 0 and has a tree child v, so the constraint of slot u->v is violated;
  // both tree edges may grow up to their replacement weight.
  Weight total = g1;
  for (int v = 1; v <= R.V; ++v) {
    const int u = lagrPred[v];
    if (u == 0 || !R.hasLiveSlot(v) || !hangsOnRoot(u) || R.isReq[u] != 0) continue;
    const Weight d = std::min(replaceMin[u] - lagrKey[u], replaceMin[v] - lagrKey[v]);
    if (d <= 0) continue;
    lagrKey[u] += d;
    lagrKey[v] += d;
    addToMultiplier(lagrPredSlot[v], d);
    lagrLower += d;
    total += d;
  }
  if (total == 0)
    log(3) << "A";
  else
    log(3) << "Adjust: " << total << "(" << g1 << ")  -> " << lagrLower << "\n";
}

void LagrangianTree::LagrangianUpperBound(ReduceGraph& R, bool prune, Weight& upperScaled) {
  IntArray marks(static_cast<std::size_t>(R.V) + 1, 0);
  int used = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (!R.hasLiveSlot(v)) continue;
    int x = v;
    if (R.isReq[v] == 0)
      while (!hangsOnRoot(x) && R.isReq[x] == 0) x = lagrPred[x];
    if (R.isReq[x] == 0) continue;
    const int t = R.isReq[x];
    for (int y = v; y != 0 && marks[y] == 0; y = lagrPred[y]) {
      marks[y] = t;
      ++used;
    }
  }
  log(3) << "Used: " << used << std::endl;

  std::vector<unsigned char> flagged(static_cast<std::size_t>(R.V) + 1, 0);
  for (int v = 1; v <= R.V; ++v) flagged[v] = marks[v] != 0;
  TreeCompletion completion(R.V);
  IntArray mstTree(1, 0);
  Weight mstCandidate = maxint;
  if (completion.run(SlotView(R), flagged.data(), R.isReq.data(), R.R)) {
    log(3) << "MST: " << completion.mstWeight() << " Pruned: " << completion.weight() << std::endl;
    completion.writeSlots(mstTree);
    mstCandidate = completion.weight() + R.contractCost;
  } else {
    log(3) << "Not Connected!" << std::endl;
  }

  Weight pruneCandidate = maxint;
  if (prune) {
    log(3) << "Spannbaum: ";
    pruneCandidate = std::min<Weight>(pruneCandidate, prune1(R, nullptr, marks.data()));
    // The limit passes drop non-tree vertices of cheap artificial edges; their limits are all 0
    // here, so a pass whose marks equal the previous pass's is not run again.
    IntArray previous;
    for (int k = 6; k >= 0; --k) {
      const Weight limit = 0;
      log(3) << "Limit: " << static_cast<double>(limit) / static_cast<double>(Faktor) << ":";
      int count = 0;
      for (int v = 1; v <= R.V; ++v) {
        marks[v] = lagrWeight[artificial(v)] <= limit && R.treeDegree[v] <= 0 ? -1 : 0;
        if (marks[v] < 0) ++count;
      }
      log(3) << count << " ";
      if (marks == previous) continue;
      pruneCandidate = std::min<Weight>(pruneCandidate, prune1(R, nullptr, marks.data()));
      previous = marks;
    }
  }

  const Weight best = std::min<Weight>(pruneCandidate, mstCandidate >= maxint ? maxint : mstCandidate);
  log(3) << "R:" << R.R << ", Vanz:" << R.Vanz << ", Used:" << used << " Old Upper: " << R.upperValue
         << ", Lagr Upper: " << best;
  if (best < maxint && (best - R.contractCost) * Faktor <= upperScaled) {
    // A tree of prune1 has been offered by prune1 itself; the spanning tree is offered here.
    if (best == mstCandidate) {
      solutionList = mstTree;
      R.setUpper(solutionList, nullptr, 1);
    }
    upperScaled = (best - R.contractCost) * Faktor;
    log(2) << "      (Dual Success!) \n";
    log(2) << "Mst: " << mstCandidate << ", KMB: " << 0 << ", Prune1:" << pruneCandidate << std::endl;
  }
  log(3) << std::endl;
}

}  // namespace tesmo
