#include "SeparatorSearch.h"

#include "Check.h"
#include "Heap.h"
#include "LogStream.h"
#include "Random.h"
#include "RunTimer.h"
#include "Shell.h"

#include <algorithm>
#include <set>
#include <vector>

namespace tesmo {

namespace {

constexpr int unlimited = 10000;

// The flow graph over the vertices of R that the region admits (all when region is null),
// built once and reused for every sink.
class FlowSearch {
public:
  FlowSearch(const ReduceGraph& R, const IntArray* region) : R_(R) {
    const int V = R.V;
    exitNode_.assign(static_cast<std::size_t>(V) + 1, 0);
    entryNode_.assign(static_cast<std::size_t>(V) + 1, 0);
    vertexOf_.assign(1, 0);
    auto admitted = [&](int v) { return region == nullptr || (*region)[v] != 0; };
    for (int v = 1; v <= V; ++v) {
      if (!admitted(v)) continue;
      if (R.isReq[v] != 0) {
        exitNode_[v] = newNode(v);
        entryNode_[v] = newNode(v);
      } else if (R.hasLiveSlot(v)) {
        exitNode_[v] = entryNode_[v] = newNode(v);
      }
    }
    const int nodes = static_cast<int>(vertexOf_.size()) - 1;
    std::vector<std::vector<int>> lists(static_cast<std::size_t>(nodes) + 1);
    auto addPair = [&](int from, int to, int capacity, int reverseCapacity) {
      const int a = static_cast<int>(head_.size());
      head_.push_back(to);
      capacity_.push_back(capacity);
      head_.push_back(from);
      capacity_.push_back(reverseCapacity);
      lists[from].push_back(a);
      lists[to].push_back(a + 1);
    };
    for (int v = 1; v <= V; ++v) {
      if (exitNode_[v] == 0) continue;
      if (R.isReq[v] != 0) addPair(entryNode_[v], exitNode_[v], 1, 1);
      for (int s = R.nextLiveSlot(v, 0); s != 0; s = R.nextLiveSlot(v, s)) {
        const int w = R.arcs[s].head;
        if (w <= v || exitNode_[w] == 0) continue;
        if (R.isReq[v] == 0 && R.isReq[w] == 0) {
          addPair(exitNode_[v], exitNode_[w], unlimited, unlimited);
        } else {
          addPair(exitNode_[v], entryNode_[w], unlimited, 0);
          addPair(exitNode_[w], entryNode_[v], unlimited, 0);
        }
      }
    }
    first_.assign(static_cast<std::size_t>(nodes) + 2, 0);
    for (int n = 1; n <= nodes; ++n) first_[n + 1] = first_[n] + static_cast<int>(lists[n].size());
    arcsOf_.reserve(static_cast<std::size_t>(first_[nodes + 1]));
    for (int n = 1; n <= nodes; ++n) arcsOf_.insert(arcsOf_.end(), lists[n].begin(), lists[n].end());
    residual_ = capacity_;
    predArc_.assign(static_cast<std::size_t>(nodes) + 1, -1);
    queue_.reserve(static_cast<std::size_t>(nodes));
    side_.reserve(static_cast<std::size_t>(nodes));
    sinkSide_.assign(static_cast<std::size_t>(nodes) + 1, 0);
  }

  bool admitted(int v) const { return exitNode_[v] != 0; }

  // Maximum flow from terminal s to terminal t; when it stays at most k, the cut nearest t is
  // left in cut and the flow returned; above k, k + 1.
  int separate(int s, int t, int k, std::vector<int>& cut) {
    residual_ = capacity_;
    const int source = exitNode_[s];
    const int sink = entryNode_[t];
    int flow = 0;
    for (;;) {
      if (!augmentingPath(source, sink)) break;
      int bottleneck = maxint;
      for (int n = sink; n != source; n = head_[predArc_[n] ^ 1]) bottleneck = std::min(bottleneck, residual_[predArc_[n]]);
      for (int n = sink; n != source; n = head_[predArc_[n] ^ 1]) {
        residual_[predArc_[n]] -= bottleneck;
        residual_[predArc_[n] ^ 1] += bottleneck;
      }
      flow += bottleneck;
      if (flow > k) return k + 1;
    }
    // The sink side: nodes from which the sink can still be reached.
    std::fill(sinkSide_.begin(), sinkSide_.end(), 0);
    side_.clear();
    side_.push_back(sink);
    sinkSide_[sink] = 1;
    for (std::size_t i = 0; i < side_.size(); ++i) {
      const int u = side_[i];
      for (int j = first_[u]; j < first_[u + 1]; ++j) {
        const int a = arcsOf_[j];
        const int w = head_[a];
        if (!sinkSide_[w] && residual_[a ^ 1] > 0) {
          sinkSide_[w] = 1;
          side_.push_back(w);
        }
      }
    }
    cut.clear();
    int check = 0;
    for (int u : side_) {
      for (int j = first_[u]; j < first_[u + 1]; ++j) {
        const int a = arcsOf_[j];
        if (sinkSide_[head_[a]]) continue;
        check += capacity_[a ^ 1];
        if (capacity_[a] == 1) cut.push_back(vertexOf_[head_[a]]);
      }
    }
    if (check != flow) {
      log(2) << "!!!! value != check value " << flow << "!=" << check << "\n";
      exitWithWarning("1", __LINE__, "partition", R_.warningDump());
    }
    return flow;
  }

private:
  int newNode(int v) {
    vertexOf_.push_back(v);
    return static_cast<int>(vertexOf_.size()) - 1;
  }
  // Breadth-first search over arcs of positive residual capacity; stops when the sink is taken.
  bool augmentingPath(int source, int sink) {
    for (int n : queue_) predArc_[n] = -1;
    queue_.clear();
    queue_.push_back(source);
    predArc_[source] = -2;
    for (std::size_t i = 0; i < queue_.size(); ++i) {
      const int u = queue_[i];
      if (u == sink) return true;
      for (int j = first_[u]; j < first_[u + 1]; ++j) {
        const int a = arcsOf_[j];
        const int w = head_[a];
        if (residual_[a] <= 0 || predArc_[w] != -1) continue;
        predArc_[w] = a;
        queue_.push_back(w);
      }
    }
    return false;
  }

  const ReduceGraph& R_;
  IntArray exitNode_, entryNode_;
  std::vector<int> vertexOf_, head_, capacity_, residual_, first_, arcsOf_, predArc_, queue_, side_;
  std::vector<char> sinkSide_;
};

// Drops from the candidates the terminals joined to v by paths through non-terminals only
// (inside the region). seen (V+1 zeros) and reached are scratch; seen is left all zero.
void gluedTerminals(const ReduceGraph& R, const FlowSearch& flow, int v, std::vector<char>& candidate,
                    std::vector<char>& seen, std::vector<int>& reached) {
  reached.assign(1, v);
  seen[v] = 1;
  for (std::size_t i = 0; i < reached.size(); ++i) {
    const int u = reached[i];
    if (u != v && R.isReq[u] != 0) continue;  // terminals are met, not entered
    for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
      const int w = R.arcs[s].head;
      if (seen[w] || !flow.admitted(w)) continue;
      seen[w] = 1;
      if (R.isReq[w] != 0) candidate[R.isReq[w]] = 0;
      reached.push_back(w);
    }
  }
  for (int u : reached) seen[u] = 0;
}

struct SeparatorList {
  IntMatrix& rows;
  int capacity;  // rows that may be filled
  std::set<std::vector<int>> seen;

  int count() const { return rows[0][0]; }
  bool full() const { return count() >= capacity; }
  // Appends a new set; false when it was there already.
  bool add(const std::vector<int>& cut) {
    std::vector<int> key(cut);
    std::sort(key.begin(), key.end());
    if (!seen.insert(key).second) return false;
    const int n = ++rows[0][0];
    rows[n][0] = static_cast<int>(cut.size());
    for (std::size_t j = 0; j < cut.size(); ++j) rows[n][j + 1] = cut[j];
    return true;
  }
};

// One flow search from the source over the region (all of R when null). minSize: cuts of fewer
// terminals are dropped; allSinks 0 drops the terminals glued to a sink that cannot be separated.
void searchFrom(ReduceGraph& R, const IntArray* region, SeparatorList& list, int k, int sourceIndex, int minSize,
                bool allSinks) {
  FlowSearch flow(R, region);
  const int s = R.terminals[sourceIndex];
  if (region == nullptr) log(4) << "\nsource: " << s << "\n";
  else log(4) << "\nsource: " << sourceIndex << " (" << s << ")\n";
  std::vector<char> candidate(static_cast<std::size_t>(R.R) + 1, 0);
  for (int i = 1; i <= R.R; ++i) candidate[i] = flow.admitted(R.terminals[i]) ? 1 : 0;
  candidate[sourceIndex] = 0;
  std::vector<char> seen(static_cast<std::size_t>(R.V) + 1, 0);
  std::vector<int> reached;
  gluedTerminals(R, flow, s, candidate, seen, reached);
  std::vector<int> cut;
  // Separators stored by this search only: a region's search sees its own.
  std::set<std::vector<int>> local;
  for (int i = 1; i <= R.R && !list.full(); ++i) {
    if (!candidate[i]) continue;
    const int t = R.terminals[i];
    if (region == nullptr) log(4) << "\nsink: " << t << "\n";
    else log(4) << "\nsink: " << i << " (" << t << ")\n";
    const int f = flow.separate(s, t, k, cut);
    if (f > k) {
      if (!allSinks) gluedTerminals(R, flow, t, candidate, seen, reached);
      continue;
    }
    for (int v : cut) log(4) << v << " ";
    log(4) << "\n";
    if (static_cast<int>(cut.size()) < minSize) continue;
    std::vector<int> key(cut);
    std::sort(key.begin(), key.end());
    if (!local.insert(key).second) continue;
    list.add(cut);
  }
}

void findByPartition(ReduceGraph& R, SeparatorList& list, int k) {
  log(3) << "\n";
  const int T = R.R;
  IntArray region(static_cast<std::size_t>(R.V) + 1, 0);
  IntArray label(static_cast<std::size_t>(R.V) + 1, 0);
  IntArray dist(static_cast<std::size_t>(R.V) + 1, maxint);
  IndexedHeap heap(R.V, dist);
  for (int round = 1; round <= 2 && !list.full(); ++round) {
    std::vector<int> bases;
    int r = randomNumber(T);
    for (int i = 0; i < 4; ++i) {
      bases.push_back(r);
      r = (r + T / 4) % T + 1;
    }
    log(3) << "\n-------- find separators (by partition): " << round << ". round ---------\n";
    log(3) << "bases: ";
    for (int b : bases) log(3) << b << " ";
    log(3) << "\n\n";
    std::fill(dist.begin(), dist.end(), maxint);
    std::fill(label.begin(), label.end(), 0);
    std::vector<char> settled(static_cast<std::size_t>(R.V) + 1, 0);
    heap.clearHeap();
    for (int b : bases) {
      const int v = R.terminals[b];
      if (dist[v] == 0) continue;
      label[v] = b;
      heap.heapInsert(v, 0);
    }
    for (int extracted = 0; !heap.empty() && extracted < R.Vanz; ++extracted) {
      const int u = heap.heapExtractMin();
      settled[u] = 1;
      for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s)) {
        const int w = R.arcs[s].head;
        if (settled[w]) continue;
        const int d = std::min<std::int64_t>(static_cast<std::int64_t>(dist[u]) + R.arcs[s].cost, maxint - 1);
        if (d >= dist[w]) continue;
        label[w] = label[u];
        if (dist[w] == maxint) heap.heapInsert(w, d);
        else heap.heapDecreaseKey(w, d);
      }
    }
    for (int b : bases) {
      int size = 0;
      for (int v = 1; v <= R.V; ++v) {
        region[v] = label[v] == b ? 1 : 0;
        size += region[v];
      }
      log(3) << "size" << ":" << size << ", " << "\n";
      searchFrom(R, &region, list, k, b, 3, true);
      log(3) << "current number of separators: " << list.count() << "\n";
      if (list.full()) break;
    }
  }
}

}  // namespace

void findSeparators(ReduceGraph& R, IntMatrix& separators, int k, int sourceIndex) {
  if (separators.isNull()) return;
  separators[0][0] = 0;
  const int few = shell.Iget("fewTerminalsForPartitionSeparator", 2500);
  const int saved = shell.echoLevel;
  shell.echoLevel = 3;
  const int maxSeparators = shell.Iget("maxSeparators", R.R);
  const int allSinks = R.R > few ? 1 : shell.Iget("allSinks", 1);
  shell.echoLevel = saved;
  SeparatorList list{separators, std::min(maxSeparators, separators.rows() - 1), {}};
  k = std::min(k, separators.columns() - 1);
  if (list.capacity >= 1 && R.R >= 2 && k >= 1) {
    if (R.R > few) {
      findByPartition(R, list, k);
    } else {
      log(4) << "\n";
      searchFrom(R, nullptr, list, k, std::clamp(sourceIndex, 1, R.R), 1, allSinks != 0);
    }
  }
  const int n = list.count();
  log(3) << "\n" << n << " separators:\n";
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= separators[i][0]; ++j) log(3) << separators[i][j] << " ";
    log(3) << "\n";
  }
  runTimer.printTime(3);
  log(3) << "\n";
}

}  // namespace tesmo
