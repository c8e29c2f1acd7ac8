#include "MJSpanningTree.h"
#include "MJPartition.h"
#include "MJRenumber.h"

#include <numeric>
#include <utility>

void TMJSpanningTree::Set(int count, std::vector<uint8_t> active, std::vector<Edge> edges) {
  edgesStale_ = false;
  piecesValid_ = false;
  count_ = count;
  active_ = std::move(active);
  active_.resize(static_cast<std::size_t>(count) + 1, 0);
  edges_ = std::move(edges);
  adjacent_ = false;
}

void TMJSpanningTree::BuildAdjacency() {
  SyncEdges();
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
  SyncEdges();
  piecesValid_ = false;
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
  SyncEdges();
  piecesValid_ = false;
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
  SyncEdges();
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
  TMJPartition parts(count_);
  std::vector<int> head(n), tail(n), next(n, -1);
  std::iota(head.begin(), head.end(), 0);
  std::iota(tail.begin(), tail.end(), 0);
  std::vector<int> labels(levelCount * n);
  std::size_t e = 0;
  for (std::size_t level = 0; level < levelCount; ++level) {
    for (; e < order.size() && order[e].w < levels_[level]; ++e) {
      const auto a = static_cast<std::size_t>(parts.Find(order[e].a));
      const auto b = static_cast<std::size_t>(parts.Find(order[e].b));
      if (a == b) continue;
      next[static_cast<std::size_t>(tail[a])] = head[b];
      tail[a] = tail[b];
      parts.Join(static_cast<int>(b), static_cast<int>(a));
    }
    for (std::size_t v = 0; v < n; ++v) labels[level * n + v] = parts.Find(static_cast<int>(v));
  }
  place_.assign(n, 0);
  int32_t place = 0;
  for (std::size_t v = 0; v < n; ++v) {
    if (parts.Find(static_cast<int>(v)) != static_cast<int>(v)) continue;
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
  if (AppendByPieces(row)) return;
  SyncEdges();
  piecesValid_ = false;
  AppendByWalk(row);
}

void TMJSpanningTree::SyncEdges() const {
  if (!edgesStale_) return;
  edges_ = inner_;
  edges_.insert(edges_.end(), inter_.begin(), inter_.end());
  edgesStale_ = false;
}

int TMJSpanningTree::NewPiece() {
  if (!freePieces_.empty()) {
    const int p = freePieces_.back();
    freePieces_.pop_back();
    return p;
  }
  pieceHead_.push_back(-1);
  pieceSize_.push_back(0);
  return static_cast<int>(pieceHead_.size()) - 1;
}

void TMJSpanningTree::BuildPieces() {
  SyncEdges();
  const auto n = static_cast<std::size_t>(count_) + 1;
  shortest_ = INT_MAX;
  for (const Edge& e : edges_) shortest_ = std::min(shortest_, e.w);
  TMJPartition parts(count_);
  inner_.clear();
  inter_.clear();
  for (const Edge& e : edges_) {
    if (e.w <= shortest_) {
      inner_.push_back(e);
      parts.Join(e.a, e.b);
    } else {
      inter_.push_back(e);
    }
  }
  pieceHead_.clear();
  pieceSize_.clear();
  freePieces_.clear();
  pieceOf_.assign(n, -1);
  memberNext_.assign(n, -1);
  std::vector<int> idOf(n, -1);
  for (std::size_t v = 1; v < n; ++v) {
    if (!active_[v]) continue;
    const auto r = static_cast<std::size_t>(parts.Find(static_cast<int>(v)));
    if (idOf[r] < 0) idOf[r] = NewPiece();
    const int p = idOf[r];
    pieceOf_[v] = p;
    memberNext_[v] = pieceHead_[static_cast<std::size_t>(p)];
    pieceHead_[static_cast<std::size_t>(p)] = static_cast<int>(v);
    ++pieceSize_[static_cast<std::size_t>(p)];
  }
  // edges_ stays as it is until the next append by pieces.
  piecesValid_ = true;
}

bool TMJSpanningTree::AppendByPieces(const std::vector<int>& row) {
  if (!piecesValid_) BuildPieces();
  const int u = count_ + 1;
  const std::size_t ids = pieceHead_.size();
  if (inter_.size() + 1 != ids - freePieces_.size()) return false;  // not one tree
  // Per piece its nearest member (the active positions are those in a piece), and the nearest
  // of all.
  pieceMin_.assign(ids, INT_MAX);
  pieceArg_.assign(ids, 0);
  int root = 0, nearest = INT_MAX;
  for (int v = 1; v < u; ++v) {
    const int p = pieceOf_[static_cast<std::size_t>(v)];
    if (p < 0) continue;
    if (root == 0) root = v;
    const int d = row[static_cast<std::size_t>(v)];
    nearest = std::min(nearest, d);
    if (d < pieceMin_[static_cast<std::size_t>(p)]) {
      pieceMin_[static_cast<std::size_t>(p)] = d;
      pieceArg_[static_cast<std::size_t>(p)] = v;
    }
  }
  if (root == 0 || nearest < shortest_) return false;
  // The tree of the pieces, walked breadth first from the root's piece.
  pieceStart_.assign(ids + 1, 0);
  for (const Edge& e : inter_) {
    ++pieceStart_[static_cast<std::size_t>(pieceOf_[static_cast<std::size_t>(e.a)]) + 1];
    ++pieceStart_[static_cast<std::size_t>(pieceOf_[static_cast<std::size_t>(e.b)]) + 1];
  }
  for (std::size_t p = 1; p <= ids; ++p) pieceStart_[p] += pieceStart_[p - 1];
  pieceNext_.resize(2 * inter_.size());
  pieceLink_.resize(2 * inter_.size());
  joined_.assign(pieceStart_.begin(), pieceStart_.end() - 1);  // fill positions
  for (std::size_t k = 0; k < inter_.size(); ++k) {
    const int pa = pieceOf_[static_cast<std::size_t>(inter_[k].a)];
    const int pb = pieceOf_[static_cast<std::size_t>(inter_[k].b)];
    for (const auto& [x, y] : {std::pair{pa, pb}, std::pair{pb, pa}}) {
      const auto at = static_cast<std::size_t>(joined_[static_cast<std::size_t>(x)]++);
      pieceNext_[at] = y;
      pieceLink_[at] = static_cast<int>(k);
    }
  }
  const int rootPiece = pieceOf_[static_cast<std::size_t>(root)];
  steps_.clear();
  steps_.push_back({rootPiece, -1, -1, 0, pieceMin_[static_cast<std::size_t>(rootPiece)], 1, 0, 0, -1});
  for (std::size_t r = 0; r < steps_.size(); ++r) {
    const auto x = static_cast<std::size_t>(steps_[r].pos);
    const int parentPiece = steps_[r].parentPos;
    for (int e = pieceStart_[x]; e < pieceStart_[x + 1]; ++e) {
      const int y = pieceNext_[static_cast<std::size_t>(e)];
      if (y == parentPiece) continue;
      const int link = pieceLink_[static_cast<std::size_t>(e)];
      const auto id = static_cast<int>(steps_.size()) + 1;
      steps_.push_back({y, static_cast<int>(r), static_cast<int>(x), inter_[static_cast<std::size_t>(link)].w,
                        pieceMin_[static_cast<std::size_t>(y)], id, 0, 0, link});
    }
  }
  if (steps_.size() != ids - freePieces_.size()) return false;
  JoinUp();
  // The links between pieces that stay, the new sequence's links: those no longer than the
  // shortest join its piece.
  interGone_.assign(inter_.size(), 0);
  for (std::size_t r = 1; r < steps_.size(); ++r)
    if (!steps_[r].linkKept) interGone_[static_cast<std::size_t>(steps_[r].link)] = 1;
  std::size_t write = 0;
  for (std::size_t k = 0; k < inter_.size(); ++k)
    if (!interGone_[k]) inter_[write++] = inter_[k];
  inter_.resize(write);
  joined_.clear();
  for (const Step& x : steps_) {
    if (x.starGone) continue;
    const auto p = static_cast<std::size_t>(x.pos);
    const Edge link{pieceArg_[p], u, pieceMin_[p]};
    if (link.w <= shortest_) {
      inner_.push_back(link);
      joined_.push_back(x.pos);
    } else {
      inter_.push_back(link);
    }
  }
  // The new sequence's piece: the largest it joins takes in the others.
  pieceOf_.push_back(-1);
  memberNext_.push_back(-1);
  int target;
  if (joined_.empty()) {
    target = NewPiece();
  } else {
    target = *std::max_element(joined_.begin(), joined_.end(), [&](int a, int b) {
      return pieceSize_[static_cast<std::size_t>(a)] < pieceSize_[static_cast<std::size_t>(b)];
    });
    for (const int p : joined_) {
      if (p == target) continue;
      int last = -1;
      for (int v = pieceHead_[static_cast<std::size_t>(p)]; v >= 0; v = memberNext_[static_cast<std::size_t>(v)]) {
        pieceOf_[static_cast<std::size_t>(v)] = target;
        last = v;
      }
      memberNext_[static_cast<std::size_t>(last)] = pieceHead_[static_cast<std::size_t>(target)];
      pieceHead_[static_cast<std::size_t>(target)] = pieceHead_[static_cast<std::size_t>(p)];
      pieceSize_[static_cast<std::size_t>(target)] += pieceSize_[static_cast<std::size_t>(p)];
      pieceHead_[static_cast<std::size_t>(p)] = -1;
      pieceSize_[static_cast<std::size_t>(p)] = 0;
      freePieces_.push_back(p);
    }
  }
  pieceOf_[static_cast<std::size_t>(u)] = target;
  memberNext_[static_cast<std::size_t>(u)] = pieceHead_[static_cast<std::size_t>(target)];
  pieceHead_[static_cast<std::size_t>(target)] = u;
  ++pieceSize_[static_cast<std::size_t>(target)];
  count_ = u;
  active_.push_back(1);
  edgesStale_ = true;
  adjacent_ = false;
  return true;
}

void TMJSpanningTree::AppendByWalk(const std::vector<int>& row) {
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
    steps_.push_back({root, -1, 0, 0, row[static_cast<std::size_t>(root)], 1, 0, 0, -1});
    for (std::size_t r = 0; r < steps_.size(); ++r) {
      const int x = steps_[r].pos;
      const int parentPos = steps_[r].parentPos;
      const auto sx = static_cast<std::size_t>(x);
      for (int e = start_[sx]; e < start_[sx + 1]; ++e) {
        const int y = next_[static_cast<std::size_t>(e)];
        if (y == parentPos) continue;
        const auto id = static_cast<int>(steps_.size()) + 1;
        steps_.push_back({y, static_cast<int>(r), x, weight_[static_cast<std::size_t>(e)],
                          row[static_cast<std::size_t>(y)], id, 0, 0, -1});
      }
    }
    JoinUp();
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

void TMJSpanningTree::JoinUp() {
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
}

int TMJSpanningTree::LargestLink() const {
  SyncEdges();
  int largest = 0;
  for (const Edge& e : edges_) largest = std::max(largest, e.w);
  return largest;
}
