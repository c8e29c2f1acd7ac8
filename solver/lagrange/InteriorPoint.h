#pragma once
// A primal-dual interior-point method for the LP relaxation of the directed multicommodity-flow
// formulation (one unit from every terminal but the last to the last), script letter '.'.
//
// Per commodity k the flows f, slacks s (f + s = x), coupling duals w and the dual slacks zf, zs;
// vertex duals y. Each Newton system is reduced to the arc slots (the Schur complement of the
// per-commodity vertex Laplacians, factorised once per iteration) and solved by conjugate
// residuals. Only the integer dual-ascent start (ipStartZero 0) changes the instance: it raises
// the lower bound by a proven value. The LP values themselves are only logged.

#include "ReduceGraph.h"
#include "SparseCholesky.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace tesmo {

// The script method: builds the object, runs it, logs.
void ip(ReduceGraph& R);

class ipClass {
public:
  explicit ipClass(ReduceGraph& R);
  ~ipClass();
  ipClass(const ipClass&) = delete;
  ipClass& operator=(const ipClass&) = delete;

  void ipDriver();

  // --- results of the last evaluation ---
  double primalCost() const { return primalcost; }
  double dualCost() const { return dualcost; }
  double primalError() const { return primalerror; }
  double dualError() const { return dualerror; }
  int iterations() const { return iteration; }
  // Squared error of the linearised rows at the last direction (checked at verbosity 4 and up).
  double linearError() const { return lastLinearError_; }
  // Why the driver stopped: 0 converged, 1 iteration limit, 2 numerical failure, 3 not run
  // (nothing to solve, memory budget, disconnected instance).
  int stopReason() const { return stopReason_; }

  // --- pieces, public for the tests ---
  void readOptions();
  void constantStart();
  bool ascentStart();  // false: a terminal cannot reach the root (nothing is changed)
  void ipErrors();
  bool factorise();
  void schurSolve();
  void schurApply(double* out, const double* u, double* work);
  void backSubstitution();
  void checkSolution();
  // Convergence test of a plain iterative solver after steps steps: the size of the spare stacked
  // vector (its vertex parts without the root, then its arc part) is below pcgError.
  bool pcgConverged(int steps);
  std::vector<double>& spareArcPart() { return sx; }     // [0..A]
  std::vector<double>& spareVertexPart() { return sy; }  // K x (V+1)
  void ipStep();
  void saveVariables();
  bool readVariables();
  void writeTraceStart();
  void writeTrace();
  void writePythonMatrix();
  void writePythonVector(const double* stacked);
  void writePythonArray(const double* values, int count);
  // The folder of the pickle and variable files: option ipDumpDir, else a private temporary
  // folder made on first use.
  std::string dumpPath(const char* name);

  int V, A, K, root, nR;

private:
  // Flat K x (A+1) and K x (V+1) storage; row k (1..K) at (k-1) * stride.
  double& kA(std::vector<double>& m, int k, int a) { return m[static_cast<std::size_t>(k - 1) * (A + 1) + a]; }
  double& kV(std::vector<double>& m, int k, int v) { return m[static_cast<std::size_t>(k - 1) * (V + 1) + v]; }
  double* rowA(std::vector<double>& m, int k) { return m.data() + static_cast<std::size_t>(k - 1) * (A + 1); }
  double* rowV(std::vector<double>& m, int k) { return m.data() + static_cast<std::size_t>(k - 1) * (V + 1); }
  int tail(int a) const { return R_.arcs[a].tail; }
  int head(int a) const { return R_.arcs[a].head; }
  double cost(int a) const { return R_.arcs[a].cost; }
  double dot(const std::vector<double>& u, const std::vector<double>& w) const;
  // Full-system product of the stacked direction (dx; dy) into (outX; outY).
  void fullProduct(std::vector<double>& outX, std::vector<double>& outY);
  void conjugateResiduals();
  void backSolve();
  bool memoryFits();
  double allocatedMB() const;
  void traceMatrix(std::vector<double>& m, int stride, const char* name, bool skipRoot);

  ReduceGraph& R_;
  std::vector<int> live_;      // live slots, ascending
  std::vector<int> terminal_;  // [1..K] vertex of commodity k
  // arc vectors [0..A]
  std::vector<double> x, zx, dzx, dx, rCost, rhsX, Dx, r, p, q, Ar, b, sx;
  // K x (A+1)
  std::vector<double> f, s, w, zs, zf, df, ds, dw, dzs, dzf, rCouple, rDualF, rDualS, D, Ew;
  // K x (V+1)
  std::vector<double> y, dy, rFlow, rhsY, sy;
  std::vector<double> work, fullFlow_;  // [0..V]
  double lastLinearError_ = -1;
  SparseCholesky chol_;
  bool factored_ = false;
  double rho = 0, muy = 0, mul = 0, mux = 0;
  double primalerror = 0, dualerror = 0, primalcost = 0, dualcost = 0;
  int iteration = 0;
  int stopReason_ = 3;
  std::ofstream trace_;
  std::string dumpDir_;

  // options
  int loadVars = 0, saveVars = 0, writePython = 0, ipMaxIter = 1000, ipStartZero = 1, ipPositivX = 0;
  double ipBorder = 0.9, ipRhoStart = 0.999, ipRhoStep = 0.5;
  int ipRhoReset = 0, rhoAdaptive = 1;
  double ipMaxScale = 1.0, ipError = 0.5, ipRebalanceW = 0.9;
  int pcgDirect = 0;
  double pcgError = 1e-5;
  int pcgAdaptive = 100, pcgRecalc = 20000, pcgMaxSteps = 0;
  int writeVerbose = 1, cholOrdering = 200;
  double memoryLimitMB = 2048;
};

}  // namespace tesmo
