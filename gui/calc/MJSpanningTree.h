#pragma once
// A minimum spanning tree of the active sequences kept from round to round of median joining, so
// that the feasibility test follows what changed: a sequence appended is joined by one pass of
// Prim's algorithm over the tree's links and its own links (the new tree lies within those); the
// sequences removed leave pieces of the tree that are joined again by the shortest links between
// the pieces. Only the largest link on tree paths matters to the test, and that is the same for
// every minimum spanning tree, so the tree chosen among equal ones makes no difference.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

class TMJSpanningTree {
public:
  struct Edge {
    int a, b, w;
  };

  // The tree over positions 1..count whose `active` flag is set (active[0] unused).
  void Set(int count, std::vector<uint8_t> active, std::vector<Edge> edges);
  void Clear() {
    adjacent_ = false;
    count_ = 0;
    active_.assign(1, 0);
    edges_.clear();
  }
  int Count() const { return count_; }
  const std::vector<Edge>& Edges() const { return edges_; }
  bool Active(int p) const { return active_[static_cast<std::size_t>(p)] != 0; }

  // Appends position Count()+1 as an active sequence and makes the tree minimal again.
  // `distance(a, b)` gives the length of a link; `row`, when given, receives the new sequence's
  // distance to every earlier active position (by position, 0 elsewhere).
  template <class Distance>
  void Append(Distance&& distance, std::vector<int>* row = nullptr);
  // Drops the given positions (ascending, no repeats) with their tree links and renumbers the
  // others in order; the tree may fall apart into pieces (Pieces, Join).
  void Remove(const std::vector<int>& removed);
  // The piece of every position (-1 for positions not active) into `piece`; returns their number.
  int Pieces(std::vector<int>& piece);
  // Adds links between pieces.
  void Join(const std::vector<Edge>& links);

  // The largest tree link on the path from `from` to every active position into `widest`
  // (0 at `from`; positions of other pieces keep their value).
  void Widest(int from, std::vector<int>& widest);
  // Prepares Largest(): the tree must be connected.
  void PrepareQueries();
  // The largest link on the tree path between a and b.
  int Largest(int a, int b) const;

private:
  void BuildAdjacency();

  int count_ = 0;
  std::vector<uint8_t> active_{0};
  std::vector<Edge> edges_;
  // Adjacency of the tree (by position), rebuilt when needed.
  std::vector<int> start_, next_, weight_;
  bool adjacent_ = false;  // the adjacency matches edges_
  // Scratch of Append and Widest.
  std::vector<int> best_, from_, stack_;
  std::vector<uint8_t> done_;
  std::vector<uint64_t> heap_;
  // Ancestors by powers of two and the largest link up to them, for Largest().
  std::vector<int> depth_;
  std::vector<std::vector<int>> up_, upMax_;
};

template <class Distance>
void TMJSpanningTree::Append(Distance&& distance, std::vector<int>* row) {
  // Prim's algorithm from the new sequence over its links and the tree's.
  BuildAdjacency();
  const int u = count_ + 1;
  const auto n = static_cast<std::size_t>(u) + 1;
  best_.assign(n, INT_MAX);
  from_.assign(n, 0);
  done_.assign(n, 0);
  heap_.clear();
  if (row) row->assign(n, 0);
  const auto key = [](int w, int v) {
    return static_cast<uint64_t>(static_cast<uint32_t>(w)) << 32 | static_cast<uint32_t>(v);
  };
  for (int v = 1; v < u; ++v) {
    if (!active_[static_cast<std::size_t>(v)]) continue;
    const int d = distance(u, v);
    if (row) (*row)[static_cast<std::size_t>(v)] = d;
    best_[static_cast<std::size_t>(v)] = d;
    from_[static_cast<std::size_t>(v)] = u;
    heap_.push_back(~key(d, v));  // a max-heap of complements pops the smallest key
  }
  std::make_heap(heap_.begin(), heap_.end());
  done_[static_cast<std::size_t>(u)] = 1;
  std::vector<Edge> tree;
  tree.reserve(edges_.size() + 1);
  while (!heap_.empty()) {
    std::pop_heap(heap_.begin(), heap_.end());
    const uint64_t k = ~heap_.back();
    heap_.pop_back();
    const auto v = static_cast<int>(k & 0xFFFFFFFFu);
    const auto w = static_cast<int>(k >> 32);
    const auto sv = static_cast<std::size_t>(v);
    if (done_[sv] || w != best_[sv]) continue;
    done_[sv] = 1;
    tree.push_back({v, from_[sv], w});
    for (int e = start_[sv]; e < start_[sv + 1]; ++e) {
      const auto y = static_cast<std::size_t>(next_[static_cast<std::size_t>(e)]);
      const int wy = weight_[static_cast<std::size_t>(e)];
      if (done_[y] || wy >= best_[y]) continue;
      best_[y] = wy;
      from_[y] = v;
      heap_.push_back(~key(wy, static_cast<int>(y)));
      std::push_heap(heap_.begin(), heap_.end());
    }
  }
  count_ = u;
  active_.push_back(1);
  edges_ = std::move(tree);
  adjacent_ = false;
}
