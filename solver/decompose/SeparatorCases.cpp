#include "SeparatorCases.h"

#include "DecomposeSupport.h"
#include "DisplayHooks.h"
#include "EdgeDeletion.h"
#include "FindSave.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>

namespace tesmo {

namespace {

int readAnimate() {
  shell.echoLevel = 4;
  const int animate = shell.Iget("animate", 0);
  shell.echoLevel = 0;
  return animate;
}

}  // namespace

SeparatorCases::SeparatorCases(ReduceGraph& R, int head, const IntArray& next, std::span<const int> separator,
                               IntArray& vertexMap, TerminalOrder order)
    : R_(R),
      head_(head),
      next_(next),
      k_(static_cast<int>(separator.size())),
      vertexMap_(vertexMap),
      order_(order),
      E_(R.E),
      V_(R.V),
      state_(2 * static_cast<std::size_t>(R.E) + 1, 0),
      inSide_(static_cast<std::size_t>(R.V) + 1, 0),
      key_(static_cast<std::size_t>(R.V) + 1, maxint),
      done_(static_cast<std::size_t>(R.V) + 1, 0),
      heap_(R.V, key_),
      first_(newPiece()) {
  for (int p = 1; p <= k_; ++p) sep_[p] = separator[p - 1];
  const int animate = readAnimate();
  if (displayActive() && animate != 0) display(first_);
  for (int s = head_; s != 0; s = next_[s]) {
    state_[s] = -1;
    inSide_[R.arcs[s].tail] = inSide_[R.arcs[s].head] = 1;
  }
}

ReduceGraph SeparatorCases::newPiece() {
  ReduceGraph B = ReduceGraph::graphFromSolution(R_, head_, next_, false, true);
  B.destroyUpper();  // the tree inherited from R does not apply
  if (order_ == TerminalOrder::Ascending) {
    for (int v = 1; v <= B.V; ++v)
      if (B.degree[v] > 0 && R_.isReq[v] != 0) B.addTerminal(v);
  } else {
    for (int i = 1; i <= R_.R; ++i)
      if (B.degree[R_.terminals[i]] > 0) B.addTerminal(R_.terminals[i]);
  }
  B.deleteUnreachable();
  return B;
}

int SeparatorCases::minimax(int from, int to, int allowed) {
  heap_.clearHeap();
  key_[from] = 0;
  heap_.heapInsert(from, 0);
  touched_.clear();
  touched_.push_back(from);
  while (!heap_.empty()) {
    const int u = heap_.heapExtractMin();
    if (u == to) break;
    done_[u] = 1;
    for (int s = R_.nextLiveSlot(u, 0); s != 0; s = R_.nextLiveSlot(u, s)) {
      const int w = R_.arcs[s].head;
      if ((inSide_[w] != 0) != (allowed != 0) || done_[w] != 0) continue;
      const int c = std::max(key_[u], R_.arcs[s].cost);
      if (c >= key_[w]) continue;
      if (key_[w] == maxint) {
        heap_.heapInsert(w, c);
        touched_.push_back(w);
      } else {
        heap_.heapDecreaseKey(w, c);
      }
    }
  }
  const int result = key_[to];
  for (int v : touched_) {
    key_[v] = maxint;
    done_[v] = 0;
  }
  return result;
}

void SeparatorCases::fillMinimax(int (*table)[maxTerminals + 1], int allowed) {
  for (int p = 1; p <= k_; ++p) inSide_[sep_[p]] = allowed;
  for (int p = 1; p <= k_; ++p) {
    table[p][p] = 0;
    for (int q = p + 1; q <= k_; ++q) table[p][q] = table[q][p] = minimax(sep_[p], sep_[q], allowed);
  }
}

void SeparatorCases::fillSteiner(ReduceGraph& G, int (*table)[maxTerminals + 1]) {
  G.computeVoronoiRegions(maxint);
  G.generalizedMstUpper(0);
  FindSave& store = G.buildFindSaveTree(0);
  for (int p = 1; p <= k_; ++p) {
    table[p][p] = 0;
    for (int q = p + 1; q <= k_; ++q)
      table[p][q] = table[q][p] = store.d(G.isReq[sep_[p]], G.isReq[sep_[q]], maxint);
  }
}

void SeparatorCases::computeOutside() { fillMinimax(out_, 0); }
void SeparatorCases::computeInside() { fillMinimax(in_, 1); }
void SeparatorCases::computeInsideSteiner() { fillSteiner(first_, sin_); }
void SeparatorCases::computeWholeSteiner() { fillSteiner(R_, sr_); }

bool SeparatorCases::solveCase(const PieceCheck& check, std::span<const std::pair<int, int>> bottles,
                               std::vector<bool>& bottleUsed) {
  bottleUsed.assign(bottles.size(), false);
  if (abandoned_) return false;
  ReduceGraph piece = bottles.empty() && !firstUsed_ ? std::move(first_) : newPiece();
  if (bottles.empty()) firstUsed_ = true;
  std::vector<int> bottleIDs;
  for (const auto& [p, q] : bottles) {
    // A connection that does not exist outside cannot be stood in for.
    if (out_[p][q] >= maxint) return true;
    const int s = piece.addEdge(Arc{sep_[p], sep_[q], out_[p][q]}, 0, 0);
    if (s == 0) {
      abandoned_ = true;
      return false;
    }
    bottleIDs.push_back(piece.ID[s]);
  }
  if (!bottles.empty()) {
    piece.rebuildAdjacency();
    piece.deleteUnreachable();
    piece.destroyUpper();
  }
  piece.lowerValue = 0;
  if (!solvePiece(piece, R_, check)) {
    abandoned_ = true;
    return false;
  }
  piece.reconstructSolution(R_);
  for (std::size_t i = 0; i < bottleIDs.size(); ++i) bottleUsed[i] = piece.upperOk && piece.inTree[bottleIDs[i]];
  return true;
}

bool SeparatorCases::solveAndCount(const PieceCheck& check, std::span<const std::pair<int, int>> bottles) {
  std::vector<bool> used;
  if (!solveCase(check, bottles, used)) return false;
  if (std::find(used.begin(), used.end(), false) != used.end()) {
    log(3) << "---------- bottle edge not used ------\n";
    return false;
  }
  countCase();
  return true;
}

void SeparatorCases::countCase() {
  ++counted_;
  for (int i = 1; i <= solutionList[0]; ++i) {
    const int s = solutionList[i];
    state_[std::min(s, R_.partner[s])] += 2;
  }
}

int SeparatorCases::apply(int cases, int ruledOut) {
  int deleted = 0;
  std::vector<std::pair<int, int>> contract;
  // Without a counted case (all ruled out) the rule would contract every edge of R; a piece
  // that was not solved to the end proves nothing. Both leave R unchanged.
  if (!abandoned_ && counted_ > 0) {
    const int threshold = 2 * cases - 2;
    for (int s = 1; s <= 2 * E_; ++s) {
      if (R_.delE[s] || R_.partner[s] < s) continue;
      if (state_[s] < 0) {
        ++deleted;
        deleteEdgeLazily(R_, s);
      } else if (state_[s] + 2 * ruledOut > threshold) {
        contract.push_back({R_.arcs[s].tail, R_.arcs[s].head});
      }
    }
    R_.compactEdges(nullptr);
    IntArray newNumber;
    contractPairs(R_, contract, &newNumber);
    for (int v = 1; v <= vertexMap_[0]; ++v)
      if (vertexMap_[v] != 0) vertexMap_[v] = vertexMap_[v] < static_cast<int>(newNumber.size()) ? newNumber[vertexMap_[v]] : 0;
    // Deleting unused side edges may cut off what hung on them.
    if (deleted > 0) R_.deleteUnreachable();
  }
  log(3) << "deleted edges: " << deleted << ", contracted: " << static_cast<int>(contract.size()) << "\n\n";
  return deleted > 0 || !contract.empty() ? 1 : 0;
}

int smallMstValue(std::span<const int> items, int* parent, const int (*distance)[5]) {
  int key[5], done[5];
  for (int i = 1; i <= 4; ++i) {
    key[i] = maxint;
    parent[i] = 0;
    done[i] = 0;
  }
  if (items.empty()) return 0;
  key[items[0]] = 0;
  parent[items[0]] = 1;
  int sum = 0;
  for (std::size_t round = 0; round < items.size(); ++round) {
    int chosen = 0;
    for (int item : items)
      if (!done[item] && (chosen == 0 || key[item] < key[chosen])) chosen = item;
    sum = saturatingSum(sum, key[chosen]);
    done[chosen] = 1;
    for (int j : items)
      if (!done[j] && distance[chosen][j] < key[j]) {
        key[j] = distance[chosen][j];
        parent[j] = chosen;
      }
  }
  return sum;
}

}  // namespace tesmo
