#pragma once
// A minimum spanning tree of the active sequences kept from round to round of median joining, so
// that the feasibility test follows what changed: a sequence appended is joined by one pass over
// the tree that weighs its links against the tree's (the new tree lies within those); the
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
    edgesStale_ = false;
    piecesValid_ = false;
  }
  int Count() const { return count_; }
  const std::vector<Edge>& Edges() const {
    SyncEdges();
    return edges_;
  }
  bool Active(int p) const { return active_[static_cast<std::size_t>(p)] != 0; }

  // Appends position Count()+1 as an active sequence and makes the tree minimal again.
  // `distance(a, b)` gives the length of a link; `row`, when given, receives the new sequence's
  // distance to every earlier active position (by position, 0 elsewhere).
  template <class Distance>
  void Append(Distance&& distance, std::vector<int>* row = nullptr);
  // The same with the new sequence's distances given: row[v] for every active position v below
  // Count()+1 (by position; other entries are not read).
  void AppendRow(const std::vector<int>& row);
  // The largest link of the tree (0 without links).
  int LargestLink() const;
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
  // Prepares Below() when the tree's links have at most `maxLevels` different lengths (false
  // otherwise): per length, the pieces of the links shorter than it.
  bool PrepareLevels(std::size_t maxLevels);
  // True when a and b are joined by tree links all shorter than t (the tree path's largest link
  // lies below t). The tree must be connected.
  bool Below(int a, int b, int t) const {
    const std::size_t level = LevelOf(t);
    if (level == levels_.size()) return true;
    return InRun(RunsOf(a)[level], b);
  }
  // After PrepareLevels: the levels are numbered from 0 (the shortest link length); the piece of
  // the links shorter than level L's length that holds a sequence is a run of positions in one
  // order of the sequences, so a pair is answered by comparing one position with a run.
  struct Run {
    int32_t first, last;
  };
  std::size_t LevelOf(int t) const {
    if (t >= 0 && static_cast<std::size_t>(t) < levelAt_.size()) return levelAt_[static_cast<std::size_t>(t)];
    return static_cast<std::size_t>(std::lower_bound(levels_.begin(), levels_.end(), t) - levels_.begin());
  }
  const Run* RunsOf(int a) const { return runs_.data() + static_cast<std::size_t>(a) * levels_.size(); }
  bool InRun(Run r, int b) const {
    const int32_t p = place_[static_cast<std::size_t>(b)];
    return p >= r.first && p <= r.last;
  }
  // Prepares Largest(): the tree must be connected.
  void PrepareQueries();
  // The largest link on the tree path between a and b.
  int Largest(int a, int b) const;

private:
  void BuildAdjacency();
  // The pieces of the shortest links: a new sequence no nearer to any than the shortest link
  // leaves them whole (a link it drops is longer than its nearest link), so it is taken in by
  // the same pass over the tree of the pieces, each piece standing for its members with its
  // nearest member's link. False when that does not hold (the caller walks the whole tree).
  bool AppendByPieces(const std::vector<int>& row);
  void AppendByWalk(const std::vector<int>& row);
  void BuildPieces();
  // The pass from the leaves up over steps_ (children after parents).
  void JoinUp();
  // edges_ from the pieces' links after appends by pieces.
  void SyncEdges() const;
  int NewPiece();

  int count_ = 0;
  std::vector<uint8_t> active_{0};
  mutable std::vector<Edge> edges_;
  mutable bool edgesStale_ = false;  // edges_ lags behind inner_ and inter_
  // The pieces of the links no longer than shortest_: per position its piece, per piece its
  // members as a list; the links inside pieces and those between them.
  bool piecesValid_ = false;
  int shortest_ = 0;
  std::vector<int> pieceOf_, memberNext_, pieceHead_, pieceSize_, freePieces_;
  std::vector<Edge> inner_, inter_;
  std::vector<int> pieceMin_, pieceArg_, joined_;
  std::vector<int> pieceStart_, pieceNext_, pieceLink_;  // the tree of the pieces
  std::vector<uint8_t> interGone_;
  // Adjacency of the tree (by position), rebuilt when needed.
  std::vector<int> start_, next_, weight_;
  bool adjacent_ = false;  // the adjacency matches edges_
  // Scratch of Append and Widest.
  std::vector<int> best_, from_, stack_, rowScratch_;
  struct Step {
    int pos;        // the position visited
    int parent;     // the parent's record (-1 at the root)
    int parentPos;  // the parent's position (0 at the root)
    int up;         // the length of the link to the parent
    int heavy;      // the largest link on the path to the new sequence
    int heavyId;    // which link that is
    uint8_t starGone, linkKept;
    int link;       // the link to the parent in inter_ (for the tree of the pieces)
  };
  std::vector<Step> steps_;
  // Ancestors by powers of two and the largest link up to them, for Largest().
  std::vector<int> depth_;
  std::vector<int> levels_;
  std::vector<int32_t> place_;      // position -> place in the order of the runs
  std::vector<uint8_t> levelAt_;    // t -> LevelOf(t), for t up to the largest link
  std::vector<Run> runs_;           // per position and level
  std::vector<std::vector<int>> up_, upMax_;
};

template <class Distance>
void TMJSpanningTree::Append(Distance&& distance, std::vector<int>* row) {
  const int u = count_ + 1;
  std::vector<int>& d = row ? *row : rowScratch_;
  d.assign(static_cast<std::size_t>(u) + 1, 0);
  for (int v = 1; v < u; ++v)
    if (active_[static_cast<std::size_t>(v)]) d[static_cast<std::size_t>(v)] = distance(u, v);
  AppendRow(d);
}
