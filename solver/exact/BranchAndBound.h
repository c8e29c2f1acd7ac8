#pragma once
// Exact solution of an instance by branch and bound over whole copies of it. Every node runs a
// reduction script and the node bound (NodeBound); a node with few non-required vertices left is
// solved by enumeration; any other node is split on one live non-required vertex v into a child
// without v and a child in which v is required. Trees found in nodes go back to the instance as
// upper bounds; when the search completes, its lower bound is raised to the best value found,
// and on a time-out to the smallest lower bound still open.
//
// The object owns the node stack and the enumeration of small nodes and reuses them from one node
// and one run to the next; the stack grows when a search goes deeper than the option Stack
// foresaw (that option only sizes it at first).

#include "NodeBound.h"
#include "ReduceGraph.h"
#include "SubsetEnumeration.h"

#include <memory>
#include <string>
#include <vector>

namespace tesmo {

class BranchAndBound {
public:
  // Solves R (left with its graph unchanged; trees offered through setUpper, the proven bound
  // through setLower). Returns R's upperValue afterwards.
  int run(ReduceGraph& R, const char* label, int firstStep);

  // --- results of the last run ---
  int steps() const { return steps_; }           // entries taken from the stack
  int openNodes() const { return openNodes_; }   // entries left at a time-out
  bool timedOut() const { return timedOut_; }
  // A node script deleted vertices heuristically: the search proved nothing about R.
  bool heuristic() const { return heuristic_; }
  bool foundTree() const { return validTree_; }  // R holds a tree of the value returned

  // Largest label kept: 99 characters; a label of 95 or more is no longer extended.
  static void extendLabel(std::string& label, char sign, int vertex);

private:
  struct Entry {
    std::unique_ptr<ReduceGraph> node;
    std::string label;
  };
  struct Options {
    int stack = 100;
    const char* reduction = nullptr;
    const char* reduction1 = nullptr;
    int branchMode = 1;
    int bestFirst = 0;
    int useGlobalUpper = 1;
    int forwardBranching = 1;
    double maxSeconds = 1600000000.0;
    int exactMstMax = 8;
    int noSetUpper = 0;
  };
  void readOptions();
  void selectBestFirst();
  // Processes the top entry; true when it is to be split.
  bool processTop(ReduceGraph& R);
  void split(int v);
  // The branching vertex of the node by option branchMode; 0 when no vertex is left to branch on.
  int chooseVertex(const ReduceGraph& node) const;
  static std::int64_t costStep(const ReduceGraph& R);
  // The bound a node works under: it need only keep trees below this value, which are the trees
  // better than best_.
  std::int64_t nodeBound() const;
  int liveFreeVertices(const ReduceGraph& node) const;
  void solveSmall(ReduceGraph& node);
  void offerToInstance(ReduceGraph& R, ReduceGraph& node);

  Options opt_;
  std::vector<Entry> stack_;  // entries 0..top_
  int top_ = -1;
  int step_ = 0;
  int steps_ = 0;
  int openNodes_ = 0;
  bool timedOut_ = false;
  bool heuristic_ = false;
  bool validTree_ = false;
  std::int64_t best_ = maxint;  // the search's bound: a node with a lower bound at or above it
                                // cannot hold a better tree
  int firstLower_ = 0;
  // Every tree value of R is a multiple of this (the gcd of its costs and its contracted cost;
  // 1 when unknown), so a better tree costs at least costStep_ less than best_.
  std::int64_t costStep_ = 1;
  NodeBound nodeBound_;
  SubsetEnumeration enumeration_;  // solves every small node, its buffers reused
  IntArray smallTree_;             // the tree it finds
};

}  // namespace tesmo
