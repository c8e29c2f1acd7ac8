#include "SparseCholesky.h"

#include "LogStream.h"
#include "SortedList.h"

#include <algorithm>
#include <cmath>

namespace tesmo {

namespace {

// The elimination graph while ordering: entries u -> v linked per vertex, fill appended.
class FillGraph {
public:
  FillGraph(int V, int A) : head_(V + 1, 0), target_(std::max(4 * (V + A), 4), 0), next_(target_.size(), 0) {
    target_[0] = maxint;
  }
  void add(int u, int v) {
    if (free_ >= static_cast<int>(target_.size())) {
      const std::size_t n = target_.size();
      log(3) << "increasing nonzero space: " << static_cast<long long>(free_) << " --> "
             << static_cast<long long>(2 * n) << std::endl;
      target_.resize(2 * n, 0);
      next_.resize(2 * n, 0);
    }
    target_[free_] = v;
    next_[free_] = head_[u];
    head_[u] = free_++;
  }
  int first(int u) const { return head_[u]; }
  int next(int e) const { return next_[e]; }
  int target(int e) const { return target_[e]; }

private:
  std::vector<int> head_, target_, next_;
  int free_ = 1;
};

void removeFromList(SortedList& list, int i) {
  list.next[list.prev[i]] = list.next[i];
  list.prev[list.next[i]] = list.prev[i];
  list.key[i] = 0;
}

// Slot weight of the Laplacian entry of s's edge (both directions count).
double edgeWeight(const ReduceGraph& R, const double* weight, int s) { return weight[s] + weight[R.partner[s]]; }

}  // namespace

bool SparseCholesky::symbolic(const ReduceGraph& R, int root, int factors, int cholOrdering, double maxValues) {
  const int V = R.V;
  root_ = root;
  factors_ = factors;
  rank_.assign(V + 1, 0);
  std::vector<int> fill(V + 1, -1);
  std::vector<int> liveDegree(V + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s]) ++liveDegree[R.arcs[s].tail];

  // Keys are the elimination degree plus one: a vertex joined to the root alone keeps key 1 and
  // stays in the list (key 0 would mean absent).
  SortedList list(V);
  FillGraph graph(V, 2 * R.E);
  std::vector<int> keyChange(V + 1, 0);
  n_ = 0;
  long long nz = 0;
  for (int v = 1; v <= V; ++v)
    if (v != root && liveDegree[v] > 0) {
      ++n_;
      keyChange[v] = liveDegree[v] + 1;
    }
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    const int t = R.arcs[s].tail, h = R.arcs[s].head;
    if (t == root && h != root) --keyChange[h];
    if (t == root || h == root) continue;
    graph.add(t, h);
    ++nz;
    log(7) << R.arcs[s];
  }
  for (int v = 1; v <= V; ++v)
    if (keyChange[v] > 0) moveInSortedList(list, v, keyChange[v]);
  std::fill(keyChange.begin(), keyChange.end(), 0);
  log(4) << "NZ before symbolic: " << nz / 2 << std::endl;
  log(4) << "aprox. min. fillin: " << cholOrdering << std::endl;

  order_.assign(n_ + 1, 0);
  std::vector<int> mark(V + 1, 0);
  int stamp = 0;
  std::vector<int> around;  // live neighbours of the vertex being eliminated
  auto liveNeighbours = [&](int u, std::vector<int>& out) {
    out.clear();
    for (int e = graph.first(u); e != 0; e = graph.next(e))
      if (rank_[graph.target(e)] == 0) out.push_back(graph.target(e));
  };
  std::vector<int> scratch;
  for (int step = 1; step < n_; ++step) {
    log(5) << "\n\n" << step << ":";
    int winner = list.next[0];
    long long best = maxint;
    int u = list.next[0];
    for (int seen = 1; seen < cholOrdering && u != 0; ++seen, u = list.next[u]) {
      if (fill[u] < 0) {
        // Missing pairs among u's neighbours, plus the fixed offset of the estimate.
        liveNeighbours(u, scratch);
        ++stamp;
        for (int w : scratch) mark[w] = stamp;
        long long adjacent = 0;
        for (int w : scratch)
          for (int e = graph.first(w); e != 0; e = graph.next(e))
            if (mark[graph.target(e)] == stamp) ++adjacent;
        const long long d = list.key[u] - 1;
        const long long f = d * (d - 1) / 2 + 100 - adjacent / 2;
        fill[u] = static_cast<int>(std::min<long long>(f, maxint - 1));
      }
      if (fill[u] < best) {
        best = fill[u];
        winner = u;
      }
    }
    const int c = winner;
    log(5) << c << ", dg: " << list.key[c] - 1 << ", fil:" << best;
    removeFromList(list, c);
    order_[step] = c;
    rank_[c] = step;
    liveNeighbours(c, around);
    for (std::size_t i = 0; i < around.size(); ++i) {
      const int n = around[i];
      fill[n] = -1;
      for (int e = graph.first(n); e != 0; e = graph.next(e)) fill[graph.target(e)] = -1;
      --keyChange[n];
      ++stamp;
      for (int e = graph.first(n); e != 0; e = graph.next(e)) mark[graph.target(e)] = stamp;
      for (std::size_t j = i + 1; j < around.size(); ++j) {
        const int m = around[j];
        if (mark[m] == stamp) continue;
        log(6) << "f:" << Arc{n, m, 0};
        graph.add(n, m);
        graph.add(m, n);
        mark[m] = stamp;
        ++keyChange[n];
        ++keyChange[m];
        nz += 2;
      }
    }
    for (int n : around) {
      if (keyChange[n] != 0) moveInSortedList(list, n, list.key[n] + keyChange[n]);
      keyChange[n] = 0;
    }
  }
  if (n_ >= 1) {
    const int last = list.next[0];
    order_[n_] = last;
    rank_[last] = n_;
  }

  // Columns of L by rank, rows ascending; the row lists follow from walking the columns in order.
  colStart_.assign(n_ + 2, 0);
  for (int j = 1; j <= n_; ++j) {
    const int v = order_[j];
    for (int e = graph.first(v); e != 0; e = graph.next(e))
      if (rank_[graph.target(e)] > j) ++colStart_[j + 1];
  }
  colStart_[1] = 0;
  for (int j = 1; j <= n_; ++j) colStart_[j + 1] += colStart_[j];
  row_.assign(colStart_[n_ + 1], 0);
  std::vector<int> rowCount(n_ + 2, 0);
  for (int j = 1; j <= n_; ++j) {
    int p = colStart_[j];
    for (int e = graph.first(order_[j]); e != 0; e = graph.next(e)) {
      const int r = rank_[graph.target(e)];
      if (r > j) {
        row_[p++] = r;
        ++rowCount[r];
      }
    }
    std::sort(row_.begin() + colStart_[j], row_.begin() + colStart_[j + 1]);
  }
  rowListStart_.assign(n_ + 2, 0);
  for (int i = 1; i <= n_; ++i) rowListStart_[i + 1] = rowListStart_[i] + rowCount[i];
  rowList_.assign(row_.size(), 0);
  std::vector<int> fillAt(rowListStart_.begin(), rowListStart_.end());
  for (int j = 1; j <= n_; ++j)
    for (int e = colStart_[j]; e < colStart_[j + 1]; ++e) rowList_[fillAt[row_[e]]++] = j;
  const long long P = static_cast<long long>(row_.size());
  log(4) << "NZ after symbolic: " << nz / 2 << std::endl;
  log(3) << "isize: " << 3LL * V + 3 + 2 * P << "used: " << static_cast<long long>(3 * (n_ + 1) + 2 * P) << std::endl;
  log(3) << "rsize: " << static_cast<long long>(V + 1) + (static_cast<long long>(V) + 1 + P) * factors
         << "used: " << valueCount(n_, P, factors) << std::endl;
  if (static_cast<double>(valueCount(n_, P, factors)) > maxValues) return false;
  values_.assign(static_cast<std::size_t>(valueCount(n_, P, factors)), 0.0);
  work_.assign(n_ + 1, 0.0);
  position_.assign(n_ + 1, 0);
  return true;
}

bool SparseCholesky::numeric(const ReduceGraph& R, int k, const double* weight) {
  const std::size_t block = static_cast<std::size_t>(n_) + 1 + row_.size();
  double* diag = values_.data() + block * (k - 1);
  double* L = diag + n_ + 1;
  for (int j = 1; j <= n_; ++j) position_[j] = colStart_[j];
  failedVertex_ = 0;
  for (int j = 1; j <= n_; ++j) {
    const int v = order_[j];
    double d = 0;
    for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) {
      if (R.delE[s]) continue;
      const double a = edgeWeight(R, weight, s);
      d += a;
      const int r = rank_[R.arcs[s].head];
      if (r > j) work_[r] -= a;
    }
    const double diagonal = d;
    for (int p = rowListStart_[j]; p < rowListStart_[j + 1]; ++p) {
      const int c = rowList_[p];
      const int pos = position_[c]++;
      const double ljc = L[pos];
      const double t = ljc * diag[c];
      d -= t * ljc;
      for (int e = pos + 1; e < colStart_[c + 1]; ++e) work_[row_[e]] -= L[e] * t;
    }
    if (!std::isfinite(d) || !(diagonal > 0)) {
      failedVertex_ = v;
      for (int e = colStart_[j]; e < colStart_[j + 1]; ++e) work_[row_[e]] = 0;
      for (int i = j + 1; i <= n_; ++i) work_[i] = 0;
      return false;
    }
    // Cancellation can leave a pivot at rounding level; it is raised to a small share of its
    // diagonal rather than divided by.
    if (d < 1e-14 * diagonal) {
      d = 1e-14 * diagonal;
      ++regularised_;
    }
    diag[j] = d;
    for (int e = colStart_[j]; e < colStart_[j + 1]; ++e) {
      L[e] = work_[row_[e]] / d;
      work_[row_[e]] = 0;
    }
  }
  return true;
}

void SparseCholesky::solve(int k, double* b) {
  const std::size_t block = static_cast<std::size_t>(n_) + 1 + row_.size();
  const double* diag = values_.data() + block * (k - 1);
  const double* L = diag + n_ + 1;
  double* x = work_.data();
  for (int j = 1; j <= n_; ++j) x[j] = b[order_[j]];
  for (int j = 1; j <= n_; ++j) {
    const double xj = x[j];
    if (xj != 0)
      for (int e = colStart_[j]; e < colStart_[j + 1]; ++e) x[row_[e]] -= L[e] * xj;
  }
  for (int j = n_; j >= 1; --j) {
    double xj = x[j] / diag[j];
    for (int e = colStart_[j]; e < colStart_[j + 1]; ++e) xj -= L[e] * x[row_[e]];
    x[j] = xj;
  }
  for (int j = 1; j <= n_; ++j) {
    b[order_[j]] = x[j];
    x[j] = 0;
  }
}

}  // namespace tesmo
