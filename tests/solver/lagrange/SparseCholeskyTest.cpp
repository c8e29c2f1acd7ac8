// The LDL^T factors of weighted Laplacians (root row and column left out) against a dense solve.

#include "SparseCholesky.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "RandomInstances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

// Dense Gaussian elimination with partial pivoting on the ordered vertices.
std::vector<double> denseSolve(const ReduceGraph& R, const SparseCholesky& chol, const std::vector<double>& weight,
                               const std::vector<double>& rhs) {
  const int n = chol.size();
  std::vector<std::vector<double>> M(n, std::vector<double>(n + 1, 0.0));
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    const int i = chol.rankOf(R.arcs[s].tail), j = chol.rankOf(R.arcs[s].head);
    const double a = weight[s] + weight[R.partner[s]];
    if (i == 0) continue;
    M[i - 1][i - 1] += a;
    if (j != 0) M[i - 1][j - 1] -= a;
  }
  for (int i = 1; i <= n; ++i) M[i - 1][n] = rhs[chol.orderAt(i)];
  for (int c = 0; c < n; ++c) {
    int pivot = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(M[r][c]) > std::fabs(M[pivot][c])) pivot = r;
    std::swap(M[c], M[pivot]);
    for (int r = c + 1; r < n; ++r) {
      const double f = M[r][c] / M[c][c];
      for (int k = c; k <= n; ++k) M[r][k] -= f * M[c][k];
    }
  }
  std::vector<double> x(rhs);
  for (int c = n - 1; c >= 0; --c) {
    double v = M[c][n];
    for (int k = c + 1; k < n; ++k) v -= M[c][k] * x[chol.orderAt(k + 1)];
    x[chol.orderAt(c + 1)] = v / M[c][c];
  }
  return x;
}

// A random instance with a pendant vertex at the root, a vertex whose slots are all deleted and
// one without any edge.
ReduceGraph laplacianInstance(std::mt19937& random, int V, int& root) {
  Graph g = randomGraph(random, V, 9);
  std::vector<Edge> edges;
  for (int s = 1; s <= 2 * g.E; ++s)
    if (g.arcs[s].tail < g.arcs[s].head) edges.push_back({g.arcs[s].tail, g.arcs[s].head, g.arcs[s].cost});
  root = 1 + static_cast<int>(random() % V);
  edges.push_back({root, V + 1, 3});          // pendant at the root
  edges.push_back({V + 2, 1 + static_cast<int>(random() % V), 2});  // to be deleted
  std::vector<int> terminals;
  for (int k = 1; k <= g.R; ++k) terminals.push_back(g.terminals[k]);
  ReduceGraph R(makeGraph(V + 3, edges, terminals));  // V + 3 has no edge at all
  const int dead = V + 2;
  for (int s = R.firstArc[dead]; s < R.firstArc[dead] + R.degree[dead]; ++s) R.delE[s] = R.delE[R.partner[s]] = 1;
  return R;
}

TEST(SparseCholesky, AgreesWithADenseSolve) {
  LogCapture log{0};
  std::mt19937 random(4242);
  for (int round = 0; round < 30; ++round) {
    for (int ordering : {1, 3, 200}) {
      SCOPED_TRACE(testing::Message() << "round " << round << ", cholOrdering " << ordering);
      int root = 0;
      ReduceGraph R = laplacianInstance(random, 4 + round % 12, root);
      const int factors = 2;
      SparseCholesky chol;
      ASSERT_TRUE(chol.symbolic(R, root, factors, ordering, 1e9));
      // Exactly the vertices with a live slot other than the root are ordered.
      int live = 0;
      for (int v = 1; v <= R.V; ++v) {
        bool hasLive = false;
        for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s) hasLive |= R.delE[s] == 0;
        const bool ordered = v != root && hasLive;
        EXPECT_EQ(chol.rankOf(v) != 0, ordered) << "vertex " << v;
        live += ordered;
      }
      ASSERT_EQ(chol.size(), live);
      std::uniform_real_distribution<double> weightDraw(0.01, 100.0), rhsDraw(-5, 5);
      std::vector<std::vector<double>> weights(factors + 1, std::vector<double>(2 * R.E + 1, 0.0));
      for (int k = 1; k <= factors; ++k) {
        for (int s = 1; s <= 2 * R.E; ++s) weights[k][s] = weightDraw(random);
        ASSERT_TRUE(chol.numeric(R, k, weights[k].data()));
      }
      for (int k = 1; k <= factors; ++k) {
        std::vector<double> b(R.V + 1);
        for (double& v : b) v = rhsDraw(random);
        const std::vector<double> expected = denseSolve(R, chol, weights[k], b);
        std::vector<double> x = b;
        chol.solve(k, x.data());
        for (int v = 1; v <= R.V; ++v) {
          if (chol.rankOf(v) == 0) EXPECT_EQ(x[v], b[v]) << "untouched vertex " << v;
          else EXPECT_NEAR(x[v], expected[v], 1e-8 * (1 + std::fabs(expected[v]))) << "vertex " << v;
        }
      }
    }
  }
}

TEST(SparseCholesky, InvalidWeightStopsTheFactorisation) {
  LogCapture log{0};
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 4}));
  SparseCholesky chol;
  ASSERT_TRUE(chol.symbolic(R, 4, 1, 200, 1e9));
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), 0.0}) {
    SCOPED_TRACE(bad);
    std::vector<double> weight(2 * R.E + 1, bad);
    EXPECT_FALSE(chol.numeric(R, 1, weight.data()));
    EXPECT_NE(chol.failedVertex(), 0);
  }
  std::vector<double> weight(2 * R.E + 1, 1.0);
  EXPECT_TRUE(chol.numeric(R, 1, weight.data()));
}

TEST(SparseCholesky, RefusesFactorsAboveTheBudget) {
  LogCapture log{0};
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}}, {1, 4}));
  SparseCholesky chol;
  EXPECT_FALSE(chol.symbolic(R, 4, 1000, 200, 100.0));
}

TEST(SparseCholesky, FillIsLoggedOnAGrid) {
  LogCapture log{4};
  // A 4 x 4 grid needs fill whatever the order.
  std::vector<Edge> edges;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      const int v = 1 + 4 * r + c;
      if (c < 3) edges.push_back({v, v + 1, 1});
      if (r < 3) edges.push_back({v, v + 4, 1});
    }
  ReduceGraph R(makeGraph(16, edges, {1, 16}));
  SparseCholesky chol;
  ASSERT_TRUE(chol.symbolic(R, 16, 1, 200, 1e9));
  const std::string text = log.text();
  EXPECT_NE(text.find("NZ before symbolic: 22\n"), std::string::npos) << text;
  EXPECT_NE(text.find("aprox. min. fillin: 200\n"), std::string::npos);
  EXPECT_GT(chol.offDiagonal(), 22) << "fill entries";
  EXPECT_NE(text.find("NZ after symbolic: "), std::string::npos);
}

// A large grid fills in past the first room of the elimination graph; the entries are kept
// and the solve still inverts the matrix (checked by its residual).
TEST(SparseCholesky, GrowingFillKeepsEveryEntry) {
  LogCapture log{3};
  const int n = 40;
  std::vector<Edge> edges;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const int v = 1 + n * r + c;
      if (c + 1 < n) edges.push_back({v, v + 1, 1});
      if (r + 1 < n) edges.push_back({v, v + n, 1});
    }
  ReduceGraph R(makeGraph(n * n, edges, {1, n * n}));
  const int root = n * n / 2;
  SparseCholesky chol;
  ASSERT_TRUE(chol.symbolic(R, root, 1, 200, 1e9));
  EXPECT_NE(log.text().find("increasing nonzero space: "), std::string::npos);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> draw(0.1, 10.0);
  std::vector<double> weight(2 * R.E + 1);
  for (double& w : weight) w = draw(random);
  ASSERT_TRUE(chol.numeric(R, 1, weight.data()));
  std::vector<double> b(R.V + 1, 0.0);
  for (int v = 1; v <= R.V; ++v) b[v] = v == root ? 0 : draw(random) - 5;
  std::vector<double> x = b;
  chol.solve(1, x.data());
  x[root] = 0;
  std::vector<double> product(R.V + 1, 0.0);
  for (int s = 1; s <= 2 * R.E; ++s) {
    const int t = R.arcs[s].tail, h = R.arcs[s].head;
    const double a = weight[s] + weight[R.partner[s]];
    product[t] += a * (x[t] - x[h]);
  }
  double worst = 0;
  for (int v = 1; v <= R.V; ++v)
    if (v != root) worst = std::max(worst, std::fabs(product[v] - b[v]));
  EXPECT_LT(worst, 1e-8);
}

}  // namespace
