#pragma once
// LDL^T factors of the weighted Laplacians of one graph, root row and column left out: one
// fill-reducing order and one structure for all, numeric factors per weight vector.
//
// The order is an approximate minimum-fill choice among the few vertices of smallest degree
// (cholOrdering candidates). Only vertices with a live slot other than the root take part;
// the rest keep rank 0, and solves leave their entries unchanged.

#include "ReduceGraph.h"

#include <cstdint>
#include <vector>

namespace tesmo {

class SparseCholesky {
public:
  // Orders and lays out the structure of R's live slots (deleted slots and the root excluded),
  // with room for `factors` numeric factors. Logs the fill as it goes. False, with nothing
  // allocated for the factors, when they would take more than maxValues doubles.
  bool symbolic(const ReduceGraph& R, int root, int factors, int cholOrdering, double maxValues);

  // Factor k (1..factors) of the Laplacian whose edge u-w weighs weight[s] + weight[partner(s)]
  // summed over the live slots s between them. False on a zero, negative or NaN pivot (failed
  // vertex in failedVertex()); tiny positive pivots are raised to a small share of their
  // diagonal.
  bool numeric(const ReduceGraph& R, int k, const double* weight);
  // b (vertex-indexed, 1..V) := M_k^{-1} b on the ordered vertices; other entries unchanged.
  void solve(int k, double* b);

  int size() const { return n_; }                     // ordered vertices
  std::int64_t offDiagonal() const { return static_cast<std::int64_t>(row_.size()); }
  int rankOf(int v) const { return rank_[v]; }
  int orderAt(int i) const { return order_[i]; }
  int failedVertex() const { return failedVertex_; }
  int regularised() const { return regularised_; }
  // Doubles the factors take: used for the memory check before they are allocated.
  static std::int64_t valueCount(std::int64_t n, std::int64_t offDiagonal, int factors) {
    return (n + 1 + offDiagonal) * factors;
  }

private:
  int n_ = 0;
  int factors_ = 0;
  int root_ = 0;
  std::vector<int> order_;     // [1..n] vertex of rank i
  std::vector<int> rank_;      // [0..V] 0 = not ordered
  std::vector<int> colStart_;  // [1..n+1] column j of L: row_[colStart_[j] .. colStart_[j+1]-1]
  std::vector<int> row_;       // ranks, ascending within a column
  std::vector<int> rowListStart_, rowList_;  // per rank: columns whose column holds it
  std::vector<double> values_; // per factor: diag[1..n], then L in column order
  std::vector<double> work_;   // [0..n] dense scratch by rank
  std::vector<int> position_;  // [1..n] current entry per column during numeric
  int failedVertex_ = 0;
  int regularised_ = 0;
};

}  // namespace tesmo
