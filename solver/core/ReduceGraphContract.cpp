// Contractions, merge records and slot maintenance of the reduction instance.

#include "ReduceGraph.h"

#include "LogStream.h"
#include "Shell.h"
#include "Sort.h"

#include <algorithm>

namespace tesmo {

namespace {

// Tree degrees are maxint while no tree's degrees are held; keep them there.
int addDegrees(int a, int b) {
  if (a >= maxint || b >= maxint) return maxint;
  return a + b;
}

}  // namespace

void ReduceGraph::addPendingContraction(int s) {
  delE[s] = 1;
  delE[partner[s]] = 1;
  --Eanz;
  const int count = vertexWork[0] + 1;
  if (static_cast<std::size_t>(count) >= vertexWork.size()) vertexWork.resize(count + 1, 0);
  vertexWork[count] = s;
  vertexWork[0] = count;
}

void ReduceGraph::ensureIDCapacity(int id) {
  if (id <= IDmax) return;
  // Identities are handed out for every merge; the arrays grow instead of overflowing.
  IDmax = static_cast<int>(std::clamp<std::int64_t>(2 * std::int64_t{IDmax}, id, IDlimit));
  const std::size_t ids = static_cast<std::size_t>(IDmax) + 1;
  ID.resize(std::max(ID.size(), ids), 0);
  spareID.resize(std::max(spareID.size(), ids), 0);
  inTree.resize(ids, 0);
  if (!mstLink.empty()) mstLink.resize(2 * ids, 0);
}

void ReduceGraph::newContractID(int s) {
  if (contractID[0] >= contractMax) {
    failCheck("contractID[0]>=contractMax", __LINE__);
    contractMax *= 2;  // the run goes on (exitWarning 0): make room rather than overrun
    contractID.resize(static_cast<std::size_t>(contractMax) + 1, 0);
  }
  const int id = ID[s];
  contractID[++contractID[0]] = id;
  contractCost += arcs[s].cost;
  if (upperOk) {
    removeFromUpperTree(id);
    upperTree[upperTree[0] + 1] = contractID[0];
  }
}

void ReduceGraph::newMergedID(int s1, int s2, int s) {
  if (mergeHistory[0] + 5 > historyMax) {
    historyMax *= 2;
    mergeHistory.resize(static_cast<std::size_t>(historyMax) + 1, 0);
  }
  if (IDcount >= IDlimit) {
    log(0) << "ID overflow!\n";
    failCheck("1", __LINE__);
    // Going on would give two edges one identity and corrupt every tree carried back.
    exitWithError("no edge identity left for a merged edge");
  }
  ++IDcount;
  ensureIDCapacity(IDcount);
  const int newID = IDcount;
  ID[s] = ID[partner[s]] = newID;
  if (s1 == 0) return;
  const int i1 = ID[s1];
  const int i2 = ID[s2];
  if (i1 == i2) failCheck("i1==i2", __LINE__);
  int& used = mergeHistory[0];
  mergeHistory[used + 1] = i1;
  mergeHistory[used + 2] = i2;
  mergeHistory[used + 3] = newID;
  used += 3;
  inTree[newID] = inTree[i1] && inTree[i2];
  if (upperOk && inTree[newID]) {
    removeFromUpperTree(i1);
    removeFromUpperTree(i2);
    const int count = upperTree[0];
    if (static_cast<std::size_t>(count) + 3 > upperTree.size()) upperTree.resize(count + 3, 0);
    const int marker = upperTree[count + 1];
    upperTree[count + 1] = newID;
    upperTree[count + 2] = marker;
    upperTree[0] = count + 1;
  }
  if (!mstLink.empty()) mstLink[newID] = mstLink[i1] && mstLink[i2];
}

void ReduceGraph::updateContract(IntArray* map, bool record) {
  log(4) << "UpdateContract\n";
  UnionFind& merged = vertexSets_;
  merged.reset(V);
  auto root = [&merged](int x) { return merged.find(x); };

  const int pending = vertexWork[0];
  for (int i = 1; i <= pending; ++i) {
    const int s = vertexWork[i];
    int x = arcs[s].tail;
    int y = arcs[s].head;
    int rx = root(x);
    int ry = root(y);
    if (rx == ry) continue;  // closes a cycle among the pending edges: nothing left to merge
    if (rx < ry) {
      std::swap(x, y);
      std::swap(rx, ry);
    }
    merged.joinUnder(ry, rx);  // a set's root stays its smallest vertex
    --Vanz;
    if (record) newContractID(s);
    if (isReq[x] == 0 && isReq[y] == 0) {
      // An edge between two non-terminals that must be in the tree makes the merged vertex
      // required.
      if (static_cast<std::size_t>(R) + 2 > terminals.size()) terminals.resize(R + 2, 0);
      terminals[++R] = x;
      origVertex[x] = -std::abs(origVertex[x]);
      origVertex[y] = -std::abs(origVertex[y]);
    }
    if (treeDegree[x] < maxint) --treeDegree[x];
    if (treeDegree[y] < maxint) --treeDegree[y];
  }

  // New numbers; members of a group are chained in vertex order behind their root.
  IntArray& newNumber = numberScratch_;
  IntArray& nextMember = groupScratch_;
  IntArray& lastMember = headScratch_;
  int groups = 0;
  for (int v = 1; v <= V; ++v) {
    nextMember[v] = 0;
    const int r = root(v);
    if (r == v) {
      if (degree[v] == 0 && isReq[v] == 0) {
        newNumber[v] = 0;
        continue;
      }
      const int k = ++groups;
      newNumber[v] = k;
      lastMember[v] = v;
      treeDegree[k] = treeDegree[v];
      if (!vertexValue.empty()) vertexValue[k] = vertexValue[v];
      origVertex[k] = origVertex[v];
    } else {
      newNumber[v] = newNumber[r];
      nextMember[lastMember[r]] = v;
      lastMember[r] = v;
      treeDegree[newNumber[r]] = addDegrees(treeDegree[newNumber[r]], treeDegree[v]);
    }
  }
  if (map) {
    if (map->size() < static_cast<std::size_t>(V) + 1) map->resize(V + 1, 0);
    (*map)[0] = 0;
    for (int v = 1; v <= V; ++v) (*map)[v] = newNumber[v];
  }

  // Terminals: renumbered, duplicates (merged into one vertex) removed.
  vertexWork[0] = 0;
  for (int v = 1; v <= V; ++v) isReq[v] = 0;
  for (int k = 1; k <= R;) {
    const int t = newNumber[terminals[k]];
    if (t == 0 || isReq[t] != 0) {
      terminals[k] = terminals[R--];
      continue;
    }
    terminals[k] = t;
    isReq[t] = k;
    ++k;
  }
  // isReq is indexed by new numbers from here; entries of old numbers above are cleared below.

  const int improve = shell.Iget("improveUpperWhileContract", 1);
  IntArray& newest = lastMember;  // newest written spare slot per new head number
  int position = 1;
  int dropped = 0;
  int parallels = 0;
  int balance = 0;
  maxCost = 0;
  IntArray& groupStart = groupStart_;
  for (int g = 0; g <= groups; ++g) newest[g] = 0;
  int k = 0;
  for (int v = 1; v <= V; ++v) {
    if (root(v) != v || newNumber[v] == 0) continue;
    k = newNumber[v];
    groupStart[k] = position;
    for (int m = v; m != 0; m = nextMember[m]) {
      const int end = firstArc[m] + degree[m];
      for (int s = firstArc[m]; s < end; ++s) {
        if (delE[s]) continue;
        const int x = k;
        const int y = newNumber[arcs[s].head];
        const int c = arcs[s].cost;
        if (x == y) {
          ++dropped;
          if (upperOk && !improve && inTree[ID[s]]) destroyUpper();
          continue;
        }
        const int kept = newest[y];
        if (kept >= groupStart[k] && kept < position && spareArcs[kept].tail == x) {
          ++parallels;
          if (x <= y) {
            --Eanz;
            ++balance;
          } else {
            --balance;
          }
          const int keptID = spareID[kept];
          const int newID = ID[s];
          if (!improve || !upperOk) {
            const bool take = c < spareArcs[kept].cost ||
                              (c == spareArcs[kept].cost && upperOk && inTree[newID] &&
                               !inTree[keptID]);
            const int droppedID = take ? keptID : newID;
            if (take) {
              spareArcs[kept].cost = c;
              spareID[kept] = newID;
            }
            if (upperOk && inTree[droppedID]) destroyUpper();
          } else {
            const int keptCost = spareArcs[kept].cost;
            const std::int64_t sum =
                (inTree[keptID] ? keptCost : 0) + (inTree[newID] ? std::int64_t{c} : 0);
            // Tree membership, not the summed cost, decides: a tree edge may cost 0.
            const bool treePair = inTree[keptID] || inTree[newID];
            inTree[keptID] = 0;
            inTree[newID] = 0;
            // The cheaper stays; on equal costs the smaller identity, so that both sides of the
            // pair decide alike.
            const bool takeNew = c < keptCost || (c == keptCost && newID < keptID);
            if (takeNew) {
              spareArcs[kept].cost = c;
              spareID[kept] = newID;
            }
            const int stays = spareArcs[kept].cost;
            if (treePair) {
              inTree[spareID[kept]] = 1;
              const std::int64_t gain = sum - stays;
              upperValue -= static_cast<int>(gain);
              if (gain > 0) {
                log(3) << "Improving Upper by: " << gain << " --> " << upperValue << std::endl;
              } else if (gain < 0) {
                destroyUpper();
              }
            }
          }
          continue;
        }
        spareArcs[position] = Arc{x, y, c};
        spareID[position] = ID[s];
        maxCost = std::max(maxCost, c);
        newest[y] = position;
        ++position;
      }
    }
  }
  groupStart[groups + 1] = position;

  Eanz -= dropped / 2;
  E = Eanz;
  if (position / 2 != E || balance != 0) {
    log(1) << "Rearrange Diff: " << balance << ", Dou:" << parallels << ", Sin:" << dropped
           << std::endl;
    log(1) << "2*E: " << 2 * E << ", pi: " << position << std::endl;
    log(1) << std::string(54, '!') << std::endl;
    E = Eanz = position / 2;
    failCheck("1", __LINE__);
  }

  // Lay the groups out again: each edge once, from its side with the higher tail number, into
  // both ranges.
  const int oldV = V;
  V = groups;
  for (int g = 1; g <= V; ++g) {
    firstArc[g] = groupStart[g];
    degree[g] = groupStart[g + 1] - groupStart[g];
  }
  firstArc[V + 1] = position;
  degree[V + 1] = 1;
  for (int v = V + 2; v <= oldV + 1; ++v) degree[v] = firstArc[v] = 0;
  for (int v = V + 1; v <= oldV; ++v) {
    isReq[v] = 0;
    treeDegree[v] = 0;
    origVertex[v] = 0;
  }
  IntArray& fill = numberScratch_;
  for (int g = 1; g <= V; ++g) fill[g] = firstArc[g];
  for (int q = 1; q < position; ++q) {
    const Arc& arc = spareArcs[q];
    if (arc.tail < arc.head) continue;
    const int a = fill[arc.tail]++;
    const int b = fill[arc.head]++;
    arcs[a] = arc;
    arcs[b] = Arc{arc.head, arc.tail, arc.cost};
    partner[a] = b;
    partner[b] = a;
    ID[a] = ID[b] = spareID[q];
    delE[a] = delE[b] = 0;
  }
  for (int v = 0; v <= V + 1 && v < static_cast<int>(fill.size()); ++v) fill[v] = 0;

  if (upperOk && improve) {
    IntArray& tree = listScratch_;
    int count = 0;
    for (int s = 1; s <= 2 * E; ++s) {
      if (s < partner[s] && inTree[ID[s]]) {
        if (static_cast<std::size_t>(count) + 2 > tree.size()) tree.resize(count + 2, 0);
        tree[++count] = s;
      }
    }
    tree[0] = count;
    setUpper(tree, "contract", 1);
  }

  std::fill(vertexWork.begin(), vertexWork.end(), 0);
  if (contractCost < 0 || contractCost > maxint)
    failCheck("contractCost<0 || contractCost>maxint", __LINE__);
}

std::int64_t ReduceGraph::reconstructSolution(const ReduceGraph& old) const {
  solutionList.assign(std::max<std::size_t>(solutionList.size(), 2 * old.E + 2), 0);
  solutionList[0] = 0;
  CheckedVector<unsigned char> marked(static_cast<std::size_t>(IDcount) + 1, 0);
  auto mark = [&](int id) {
    if (id >= 1 && id <= IDcount) marked[id] = 1;
  };
  const int count = upperTree[0];
  for (int i = 1; i <= count; ++i) mark(upperTree[i]);
  const int marker = upperTree[count + 1];
  log(3) << "Reconstructing old solutions...\n";
  for (int i = old.contractID[0] + 1; i <= marker && i <= contractID[0]; ++i) mark(contractID[i]);
  for (int t = mergeHistory[0] - 2; t > old.mergeHistory[0]; t -= 3) {
    if (mergeHistory[t + 2] >= 1 && mergeHistory[t + 2] <= IDcount && marked[mergeHistory[t + 2]]) {
      mark(mergeHistory[t]);
      mark(mergeHistory[t + 1]);
    }
  }
  std::int64_t value = 0;
  for (int a = 1; a <= 2 * old.E; ++a) {
    if (old.delE[a] || old.partner[a] <= a) continue;
    const int id = old.ID[a];
    if (id >= 1 && id <= IDcount && marked[id]) {
      solutionList[++solutionList[0]] = a;
      value += old.arcs[a].cost;
    }
  }
  log(3) << "Value of the partial solution (without contractCost) " << value << std::endl;
  return value;
}

void ReduceGraph::compactEdges(IntArray* parallel) {
  bool reported = false;
  for (int v = 1; v <= V; ++v) {
    if (vertexWork[v] == 0 || degree[v] == 0) continue;
    int front = firstArc[v];
    int back = firstArc[v] + degree[v] - 1;
    while (front <= back) {
      if (!delE[front]) {
        ++front;
        continue;
      }
      while (back > front && delE[back]) {
        --back;
        --degree[v];
      }
      if (back == front) {  // only the deleted slot itself is left
        --degree[v];
        break;
      }
      arcs[front] = arcs[back];
      ID[front] = ID[back];
      partner[front] = partner[back];
      partner[partner[back]] = front;
      if (parallel) (*parallel)[front] = (*parallel)[back];
      delE[front] = 0;
      delE[back] = 1;
      --back;
      --degree[v];
      ++front;
    }
    if (degree[v] == 0) {
      log(4) << (reported ? ", " : "All edges deleted for ") << v;
      reported = true;
      if (upperOk && treeDegree[v] != 0) destroyUpper();
      --Vanz;
    }
  }
  if (reported) log(4) << std::endl;
  std::fill(vertexWork.begin(), vertexWork.end(), 0);
}

void ReduceGraph::sortAdjacency() {
  // Deleted slots are left out and the ranges shrink to their live slots.
  IntArray& fill = numberScratch_;
  for (int v = 1; v <= V; ++v) fill[v] = firstArc[v];
  for (int v = 1; v <= V; ++v) {
    const int end = firstArc[v] + degree[v];
    for (int s = firstArc[v]; s < end; ++s) {
      if (delE[s]) continue;
      const Arc& arc = arcs[s];
      const int place = fill[arc.head]++;
      spareArcs[place] = Arc{arc.head, arc.tail, arc.cost};
      spareID[place] = ID[s];
    }
  }
  for (int v = 1; v <= V; ++v) {
    const int end = firstArc[v] + degree[v];
    for (int s = fill[v]; s < end; ++s) delE[s] = 1;
    for (int s = firstArc[v]; s < fill[v]; ++s) delE[s] = 0;
    degree[v] = fill[v] - firstArc[v];
  }
  arcs.swap(spareArcs);
  spareID[0] = ID[0];  // the message-level offset stays with the live array
  ID.swap(spareID);
  // Partners: each slot (a, b) with a < b takes the next unpaired place of b's range.
  for (int v = 1; v <= V; ++v) fill[v] = firstArc[v];
  for (int v = 1; v <= V; ++v) {
    const int end = firstArc[v] + degree[v];
    for (int s = firstArc[v]; s < end; ++s) {
      const int b = arcs[s].head;
      if (v >= b) continue;
      const int t = fill[b]++;
      partner[s] = t;
      partner[t] = s;
    }
  }
  for (int v = 1; v <= V; ++v) fill[v] = 0;
}

void ReduceGraph::sortAdjacencyByCost() {
  for (int s = 1; s <= 2 * E; ++s) {
    slotNext[s] = arcs[s].cost;
    slotScratch[s] = s;
  }
  for (int v = 1; v <= V; ++v) {
    const int n = degree[v];
    if (n <= 1) continue;
    const int first = firstArc[v];
    // The range's keys and slots sorted together; sortWithIndex gives the former positions.
    sortWithIndex(n, slotNext.data() + first - 1, slotScratch.data() + first - 1);
    for (int i = 0; i < n; ++i) slotScratch[first + i] += first - 1;
  }
  std::fill(slotNext.begin(), slotNext.end(), 0);
}

}  // namespace tesmo
