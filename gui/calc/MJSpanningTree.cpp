#include "MJSpanningTree.h"
#include "MJRenumber.h"

#include <numeric>
#include <utility>

void TMJSpanningTree::Set(int count, std::vector<uint8_t> active, std::vector<Edge> edges) {
  count_ = count;
  active_ = std::move(active);
  active_.resize(static_cast<std::size_t>(count) + 1, 0);
  edges_ = std::move(edges);
  adjacent_ = false;
}

void TMJSpanningTree::BuildAdjacency() {
  const auto n = static_cast<std::size_t>(count_) + 1;
  start_.assign(n + 1, 0);
  for (const Edge& e : edges_) {
    ++start_[static_cast<std::size_t>(e.a) + 1];
    ++start_[static_cast<std::size_t>(e.b) + 1];
  }
  for (std::size_t v = 1; v <= n; ++v) start_[v] += start_[v - 1];
  next_.resize(static_cast<std::size_t>(start_[n]));
  weight_.resize(next_.size());
  from_.assign(start_.begin(), start_.end() - 1);  // fill positions
  for (const Edge& e : edges_) {
    for (const auto& [x, y] : {std::pair{e.a, e.b}, std::pair{e.b, e.a}}) {
      const auto at = static_cast<std::size_t>(from_[static_cast<std::size_t>(x)]++);
      next_[at] = y;
      weight_[at] = e.w;
    }
  }
  adjacent_ = true;
}

void TMJSpanningTree::Remove(const std::vector<int>& removed) {
  if (removed.empty()) return;
  std::vector<int> newNumber;
  const int next = RenumberRemaining(count_, removed, newNumber);
  CompactByNumber(newNumber, next, active_);
  count_ = next;
  std::size_t write = 0;
  for (const Edge& e : edges_) {
    const int a = newNumber[static_cast<std::size_t>(e.a)];
    const int b = newNumber[static_cast<std::size_t>(e.b)];
    if (a == 0 || b == 0) continue;
    edges_[write++] = {a, b, e.w};
  }
  edges_.resize(write);
  adjacent_ = false;
}

int TMJSpanningTree::Pieces(std::vector<int>& piece) {
  if (!adjacent_) BuildAdjacency();
  piece.assign(static_cast<std::size_t>(count_) + 1, -1);
  int pieces = 0;
  for (int s = 1; s <= count_; ++s) {
    if (!active_[static_cast<std::size_t>(s)] || piece[static_cast<std::size_t>(s)] >= 0) continue;
    piece[static_cast<std::size_t>(s)] = pieces;
    stack_.assign(1, s);
    while (!stack_.empty()) {
      const auto u = static_cast<std::size_t>(stack_.back());
      stack_.pop_back();
      for (int e = start_[u]; e < start_[u + 1]; ++e) {
        const int v = next_[static_cast<std::size_t>(e)];
        if (piece[static_cast<std::size_t>(v)] >= 0) continue;
        piece[static_cast<std::size_t>(v)] = pieces;
        stack_.push_back(v);
      }
    }
    ++pieces;
  }
  return pieces;
}

void TMJSpanningTree::Join(const std::vector<Edge>& links) {
  edges_.insert(edges_.end(), links.begin(), links.end());
  adjacent_ = false;
}

void TMJSpanningTree::Widest(int from, std::vector<int>& widest) {
  if (!adjacent_) BuildAdjacency();
  widest.resize(static_cast<std::size_t>(count_) + 1, 0);
  widest[static_cast<std::size_t>(from)] = 0;
  // Parent on the walk instead of a visited mark: the tree has no cycles.
  stack_.assign(1, from);
  best_.assign(static_cast<std::size_t>(count_) + 1, 0);  // the position we came from
  while (!stack_.empty()) {
    const auto u = static_cast<std::size_t>(stack_.back());
    stack_.pop_back();
    for (int e = start_[u]; e < start_[u + 1]; ++e) {
      const int v = next_[static_cast<std::size_t>(e)];
      if (v == best_[u]) continue;
      best_[static_cast<std::size_t>(v)] = static_cast<int>(u);
      widest[static_cast<std::size_t>(v)] = std::max(widest[u], weight_[static_cast<std::size_t>(e)]);
      stack_.push_back(v);
    }
  }
}

void TMJSpanningTree::PrepareQueries() {
  if (!adjacent_) BuildAdjacency();
  const auto n = static_cast<std::size_t>(count_) + 1;
  int levels = 1;
  while ((1 << levels) < count_ + 1) ++levels;
  up_.assign(static_cast<std::size_t>(levels), std::vector<int>(n, 0));
  upMax_.assign(static_cast<std::size_t>(levels), std::vector<int>(n, 0));
  depth_.assign(n, -1);
  std::vector<int> order;
  order.reserve(n);
  for (int s = 1; s <= count_; ++s) {
    if (!active_[static_cast<std::size_t>(s)] || depth_[static_cast<std::size_t>(s)] >= 0) continue;
    depth_[static_cast<std::size_t>(s)] = 0;
    up_[0][static_cast<std::size_t>(s)] = s;
    order.push_back(s);
    for (std::size_t r = order.size() - 1; r < order.size(); ++r) {
      const auto u = static_cast<std::size_t>(order[r]);
      for (int e = start_[u]; e < start_[u + 1]; ++e) {
        const auto v = static_cast<std::size_t>(next_[static_cast<std::size_t>(e)]);
        if (depth_[v] >= 0) continue;
        depth_[v] = depth_[u] + 1;
        up_[0][v] = static_cast<int>(u);
        upMax_[0][v] = weight_[static_cast<std::size_t>(e)];
        order.push_back(static_cast<int>(v));
      }
    }
  }
  for (std::size_t l = 1; l < up_.size(); ++l)
    for (std::size_t v = 1; v < n; ++v) {
      const auto mid = static_cast<std::size_t>(up_[l - 1][v]);
      up_[l][v] = up_[l - 1][mid];
      upMax_[l][v] = std::max(upMax_[l - 1][v], upMax_[l - 1][mid]);
    }
}

int TMJSpanningTree::Largest(int a, int b) const {
  auto x = static_cast<std::size_t>(a), y = static_cast<std::size_t>(b);
  int largest = 0;
  if (depth_[x] < depth_[y]) std::swap(x, y);
  int lift = depth_[x] - depth_[y];
  for (std::size_t l = 0; lift > 0; ++l, lift >>= 1)
    if (lift & 1) {
      largest = std::max(largest, upMax_[l][x]);
      x = static_cast<std::size_t>(up_[l][x]);
    }
  if (x == y) return largest;
  for (std::size_t l = up_.size(); l-- > 0;)
    if (up_[l][x] != up_[l][y]) {
      largest = std::max({largest, upMax_[l][x], upMax_[l][y]});
      x = static_cast<std::size_t>(up_[l][x]);
      y = static_cast<std::size_t>(up_[l][y]);
    }
  return std::max({largest, upMax_[0][x], upMax_[0][y]});
}

bool TMJSpanningTree::PrepareLevels(std::size_t maxLevels) {
  levels_.clear();
  for (const Edge& e : edges_) levels_.push_back(e.w);
  std::sort(levels_.begin(), levels_.end());
  levels_.erase(std::unique(levels_.begin(), levels_.end()), levels_.end());
  levelAt_.clear();
  if (levels_.size() > maxLevels || levels_.size() > 255) {
    levels_.clear();
    return false;
  }
  const auto n = static_cast<std::size_t>(count_) + 1;
  const std::size_t levelCount = levels_.size();
  std::vector<Edge> order = edges_;
  std::sort(order.begin(), order.end(), [](const Edge& l, const Edge& r) { return l.w < r.w; });
  // Joining the pieces in order of link length, each piece keeps its members as a list and two
  // pieces join by chaining their lists: every piece ever formed is then a run of the final
  // order. Labels per level say which piece a position is in at that level.
  std::vector<int> parent(n), head(n), tail(n), next(n, -1);
  std::iota(parent.begin(), parent.end(), 0);
  std::iota(head.begin(), head.end(), 0);
  std::iota(tail.begin(), tail.end(), 0);
  const auto find = [&](int x) {
    while (parent[static_cast<std::size_t>(x)] != x) {
      auto& p = parent[static_cast<std::size_t>(x)];
      p = parent[static_cast<std::size_t>(p)];
      x = p;
    }
    return x;
  };
  std::vector<int> labels(levelCount * n);
  std::size_t e = 0;
  for (std::size_t level = 0; level < levelCount; ++level) {
    for (; e < order.size() && order[e].w < levels_[level]; ++e) {
      const auto a = static_cast<std::size_t>(find(order[e].a));
      const auto b = static_cast<std::size_t>(find(order[e].b));
      if (a == b) continue;
      next[static_cast<std::size_t>(tail[a])] = head[b];
      tail[a] = tail[b];
      parent[b] = static_cast<int>(a);
    }
    for (std::size_t v = 0; v < n; ++v) labels[level * n + v] = find(static_cast<int>(v));
  }
  place_.assign(n, 0);
  int32_t place = 0;
  for (std::size_t v = 0; v < n; ++v) {
    if (parent[v] != static_cast<int>(v)) continue;
    for (int x = head[v]; x >= 0; x = next[static_cast<std::size_t>(x)])
      place_[static_cast<std::size_t>(x)] = place++;
  }
  runs_.assign(n * levelCount, Run{INT32_MAX, -1});
  std::vector<Run> byLabel(n);
  for (std::size_t level = 0; level < levelCount; ++level) {
    std::fill(byLabel.begin(), byLabel.end(), Run{INT32_MAX, -1});
    for (std::size_t v = 0; v < n; ++v) {
      Run& r = byLabel[static_cast<std::size_t>(labels[level * n + v])];
      r.first = std::min(r.first, place_[v]);
      r.last = std::max(r.last, place_[v]);
    }
    for (std::size_t v = 0; v < n; ++v)
      runs_[v * levelCount + level] = byLabel[static_cast<std::size_t>(labels[level * n + v])];
  }
  // Distances are small numbers as a rule: a table answers the level of a threshold at once.
  const int largest = levels_.empty() ? 0 : levels_.back();
  if (largest >= 0 && largest <= (1 << 20)) {
    levelAt_.resize(static_cast<std::size_t>(largest) + 1);
    std::size_t level = 0;
    for (int t = 0; t <= largest; ++t) {
      while (level < levelCount && levels_[level] < t) ++level;
      levelAt_[static_cast<std::size_t>(t)] = static_cast<uint8_t>(level);
    }
  }
  return true;
}

void TMJSpanningTree::AppendRow(const std::vector<int>& row) {
  // The new tree is the minimal one of the tree's links and the new sequence's links to all. One
  // pass over the tree from its leaves up finds it: below each position v, the minimal tree of
  // v's subtree and the new sequence u is known with the largest link on its path from v to u;
  // joining a child's subtree by the tree link closes one cycle, whose largest link goes.
  // The walk keeps what it needs per position in one record, in the order visited, so that the
  // passes read their records in order instead of several arrays by position.
  const int u = count_ + 1;
  if (!adjacent_) BuildAdjacency();
  std::vector<Edge> tree;
  tree.reserve(edges_.size() + 1);
  int root = 0;
  for (int v = 1; v < u && root == 0; ++v)
    if (active_[static_cast<std::size_t>(v)]) root = v;
  if (root != 0) {
    // Breadth first from the root: parents before children.
    steps_.clear();
    steps_.push_back({root, -1, 0, 0, row[static_cast<std::size_t>(root)], 1, 0, 0});
    for (std::size_t r = 0; r < steps_.size(); ++r) {
      const int x = steps_[r].pos;
      const int parentPos = steps_[r].parentPos;
      const auto sx = static_cast<std::size_t>(x);
      for (int e = start_[sx]; e < start_[sx + 1]; ++e) {
        const int y = next_[static_cast<std::size_t>(e)];
        if (y == parentPos) continue;
        const auto id = static_cast<int>(steps_.size()) + 1;
        steps_.push_back({y, static_cast<int>(r), x, weight_[static_cast<std::size_t>(e)],
                          row[static_cast<std::size_t>(y)], id, 0, 0});
      }
    }
    // Links by the record they come from: the tree link of record r to its parent is -(r + 1),
    // the link of u to record r's position is r + 1. Per record the largest link on its path to
    // u and whether each link stays.
    const auto drop = [&](int id) {
      if (id > 0)
        steps_[static_cast<std::size_t>(id - 1)].starGone = 1;
      else
        steps_[static_cast<std::size_t>(-id - 1)].linkKept = 0;
    };
    // Children before parents: each child joins its parent here.
    for (std::size_t r = steps_.size(); r-- > 1;) {
      Step& v = steps_[r];
      Step& p = steps_[static_cast<std::size_t>(v.parent)];
      const int w = v.up;
      const int a = v.heavy, b = p.heavy;
      if (w >= a && w >= b) continue;  // the tree link itself is the cycle's largest
      v.linkKept = 1;
      if (a >= b) {
        drop(v.heavyId);
      } else {
        drop(p.heavyId);
        if (w >= a) {
          p.heavy = w;
          p.heavyId = -static_cast<int>(r + 1);
        } else {
          p.heavy = a;
          p.heavyId = v.heavyId;
        }
      }
    }
    for (const Step& x : steps_) {
      if (!x.starGone) tree.push_back({x.pos, u, row[static_cast<std::size_t>(x.pos)]});
      if (x.linkKept) tree.push_back({x.pos, x.parentPos, x.up});
    }
  }
  count_ = u;
  active_.push_back(1);
  edges_ = std::move(tree);
  adjacent_ = false;
}

int TMJSpanningTree::LargestLink() const {
  int largest = 0;
  for (const Edge& e : edges_) largest = std::max(largest, e.w);
  return largest;
}
